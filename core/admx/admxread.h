#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "core/model/stringmap.h"
#include "core/model/templateformat.h"

// Reads the ADMX file at path, whose bytes are given, together with the ADML file of each
// language folder beside it (DIR/LL-CC/NAME.adml, any case of the folder's name) into content.
// The string table takes the strings of content.language, else en-US, else the ADMX's
// fallbackCulture, else the first language. A reference to nothing (a string, presentation,
// category, supportedOn definition or control's element that is not defined) fails the read,
// every one named with its file and line; with a log the read goes on and notes these, and
// everything lint reports of a set, as findings.
cReadOutcome ReadAdmxSet(const Text& path, std::string_view bytes, cTemplateContent& content,
                         cReadLog* log);

// The same for a set held in memory: the ADML file of each language folder given.
struct cAdmlBytes {
    std::string folder;
    std::string_view bytes;
};
cReadOutcome ReadAdmxSetInMemory(const Text& path, std::string_view bytes,
                                 const std::vector<cAdmlBytes>& languages,
                                 cTemplateContent& content, cReadLog* log);

// Whether an element names a category or a supportedOn entry by its `ref`, here or under a
// prefix: a parentCategory, a policy's supportedOn, a definition's reference or range.
bool RefersByName(pugi::xml_node element);

// Whether a folder's name is that of a language folder: "en-US", "sr-Latn-RS", "zh-Hans".
bool IsLanguageFolder(std::string_view name);

// A display text: "$(string.ID)" shows the string table's text of ID, every other text
// itself.
Text ResolveAdmxText(const cStringMap& strings, TextView text);

// Whether bytes (the start of a file) look like an XML file: an XML declaration or a
// policyDefinitions element first, after a byte-order mark and blanks, in UTF-8 or UTF-16.
bool LooksLikeAdmx(std::string_view bytes);
