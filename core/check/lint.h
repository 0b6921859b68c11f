#pragma once

#include <span>
#include <vector>

#include "core/model/readlog.h"
#include "core/text/text.h"

class CPelwinDoc;

enum class cLintSeverity { Error, Warning };

// One fault of a template, at the line it stands on.
struct cFinding {
    int line = 0;
    cLintSeverity severity = cLintSeverity::Error;
    const char* rule = "";  // the rule's id, e.g. "undefined-string"
    Text text;
    // The file the line is in when it is not the template's own (an ADML of an ADMX set).
    Text file;
};

// One rule of lint: its id, its severity, what it finds.
struct cLintRule {
    const char* id;
    cLintSeverity severity;
    const char* summary;
};

// Every rule, those of ADM templates and those of ADMX sets.
std::span<const cLintRule> LintRules();

// Checks a template that was read with `log` and returns its findings sorted by line
// (findings on one line in the order the checks found them; those of other files, which a
// format's read noted, after the template's own, in the order noted).
std::vector<cFinding> LintTemplate(const CPelwinDoc& doc, const cReadLog& log);

const char* SeverityName(cLintSeverity severity);
