#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"

// The translation exchange file that translation tools read and write (XLIFF 1.2): one
// <file> of one source and one target language, one <trans-unit> per name. Written and
// read by tessary_xliff (with pugixml); the rest of the core sees only these structs.

struct cXliffUnit {
    Text id;
    Text source;
    // None: the unit has no <target> (the language has no text yet).
    std::optional<Text> target;
    // The target's state attribute ("translated", "needs-translation", ...); may be empty.
    Text state;
};

struct cXliffFile {
    Text original;  // the template's file name
    Text sourceLanguage;
    Text targetLanguage;
    std::vector<cXliffUnit> units;
};

// The file as UTF-8 XML. False, with problem naming the unit, when a text holds a character
// XML cannot carry (a control character, a lone surrogate); nothing is written then.
bool WriteXliff(const cXliffFile& file, std::string& out, Text& problem);

// Reads an XLIFF 1.2 file: its one <file> element and every <trans-unit> below its body (in
// groups too). False, with problem saying what and where, for a file that is no
// well-formed XML, no XLIFF, holds several files, a unit without an id, an id twice, or a
// target with markup inside (which a template's plain texts cannot take).
bool ReadXliff(std::string_view bytes, cXliffFile& file, Text& problem);
