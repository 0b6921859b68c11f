#pragma once

#include "core/model/readlog.h"
#include "core/model/stringmap.h"
#include "core/text/text.h"

// The strings section of an ADM template.

// Whether a line (without its leading blanks) is a comment: ";" or "//" first.
inline bool IsCommentLine(TextView line) {
    return !line.empty() &&
           (line[0] == u';' || (line.size() >= 2 && line[0] == u'/' && line[1] == u'/'));
}

// Fills map from the section headed [strings] (any case) of a template's decoded text. The
// section is read whole, whatever its size. Returns false only when the table cannot be
// built; a missing or empty section leaves the map empty and succeeds. With a log, the lines
// of the section and of every definition in it are noted there.
bool LoadStrings(TextView text, cStringMap& map, cReadLog* log = nullptr);
