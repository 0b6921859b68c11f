#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/admx/admxnamespaces.h"
#include "core/model/templateformat.h"

// Writes a set read by ReadAdmxSet: copies of its documents, each changed only where the
// model differs from what the documents hold (an attribute, a value, a list, a string, a
// control; elements for new nodes and parts, none for deleted ones), then serialized in the
// form each file was read in. Files: the ADMX at path, the ADML of each language read at
// DIR/FOLDER/NAME.adml beside it (NAME from path). With `problem` given nothing is produced:
// only whether the set can be written, and if not why.
bool WriteAdmxSet(const cTemplateContent& content, const Text& path,
                  std::vector<cFileOutput>& files, Text* problem);

// The references the ADMX file of a write of content would hold, by their prefix.
std::map<std::string, cPrefixUses> AdmxReferencePrefixes(const cTemplateContent& content);
