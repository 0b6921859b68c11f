#pragma once

#include <functional>
#include <string>

class CPelwinDoc;

// The conversions of `tessary-cli convert` that involve ADMX, on a template already read
// from in: ADMX to ADMX (the set written again), ADMX to ADM (one language; what ADM has no
// form for reported as "IN:LINE: warning: not converted: WHAT"), ADM to ADMX (the export).
// format: the ADM format asked for (-1: none); language: the ADML language of an export.
// Returns the exit status.
int ConvertWithAdmx(CPelwinDoc& doc, const std::string& in, const std::string& out, int format,
                    const std::string& language,
                    const std::function<void(const std::string&)>& setFile);

// Whether a file name is an ADMX file's (".admx", any case): what convert writes to it.
bool IsAdmxName(const std::string& path);
