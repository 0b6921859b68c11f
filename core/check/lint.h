#pragma once

#include <vector>

#include "core/check/lintrules.h"
#include "core/model/readlog.h"
#include "core/text/text.h"

class CPelwinDoc;

// One fault of a template, at the line it stands on.
struct cFinding {
    int line = 0;
    cLintSeverity severity = cLintSeverity::Error;
    const char* rule = "";  // the rule's id in kLintRules, e.g. "undefined-string"
    Text text;
    // The file the line is in when it is not the template's own (an ADML of an ADMX set).
    Text file;
};

// A finding of a format's own checks, with the severity of its rule.
cFinding FindingOf(const cReadLog::cFormatFinding& finding);

// "KEY\VALUE" in capitals: registry keys and value names are not told apart by the case of
// their letters.
Text RegistryName(TextView key, TextView valueName);

// Checks a template that was read with `log` and returns its findings sorted by line
// (findings on one line in the order the checks found them; those of other files, which a
// format's read noted, after the template's own, in the order noted).
std::vector<cFinding> LintTemplate(const CPelwinDoc& doc, const cReadLog& log);

// Sorts findings as LintTemplate returns them: the template's own by line, then those of
// its set's other files by file and line; findings on one line keep their order.
void SortFindings(std::vector<cFinding>& findings);
