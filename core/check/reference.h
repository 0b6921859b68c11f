#pragma once

#include <string>
#include <vector>

#include "core/text/text.h"

class CPelwinDoc;

// A reference of every policy of a template (`tessary-cli doc`): where it stands, what it
// writes to the registry, its parts and its texts, as CSV, Markdown or one HTML page.

struct cReferencePart {
    Text kind;       // CHECKBOX, COMBOBOX, ...
    Text label;      // as shown
    Text key;        // empty for a text part
    Text valueName;  // empty for a list box or a text part
    Text valueType;  // "dword", "string", "expandable string", "string values", ...
    // Range, defaults, how a list names its values, ...: one fact each.
    std::vector<Text> details;
    // A drop-down list's items, "VALUE = Name" each; a combo box's suggestions.
    std::vector<Text> items;

    // The details and items in one line.
    Text DetailsText() const;
};

struct cReferencePolicy {
    std::vector<Text> classes;
    std::vector<Text> categories;
    Text name;
    Text key;
    Text valueName;
    bool hasValueName = false;
    Text valueType;
    Text values;  // what enabling and disabling write
    std::vector<cReferencePart> parts;
    Text supportedOn;
    Text explain;
    Text anchor;  // unique within the reference: letters, digits, '-', '_' and '.'
    int line = 0;

    // "Category > ... > Category": where the policy stands below its class.
    Text Path() const;
    // "MACHINE", or "MACHINE, USER" for a policy of both classes.
    Text Classes() const;
    // One line per part.
    Text PartsText() const;
};

// Every policy of the template in tree order, one entry each.
std::vector<cReferencePolicy> BuildReference(const CPelwinDoc& doc);

// RFC 4180: a header row and one row per policy, CRLF line ends, UTF-8 after a byte-order
// mark. A cell that a spreadsheet would take for a formula gets a leading apostrophe.
std::string ReferenceCsv(const std::vector<cReferencePolicy>& policies);
// Markdown: contents by category, then the policies, each with an anchor.
std::string ReferenceMarkdown(const std::vector<cReferencePolicy>& policies,
                              const std::string& title);
// One self-contained HTML page (styles inline, no script, nothing fetched): contents by
// category with a link to every policy, then every policy under its anchor. language, when
// given, is the page's lang.
std::string ReferenceHtml(const std::vector<cReferencePolicy>& policies, const std::string& title,
                          const std::string& language);

// A text for HTML content or an attribute value in quotes, in UTF-8: the characters that
// could end either escaped.
std::string HtmlEscaped(TextView text);
// A policy's parts as an HTML table (kind, label, registry value, type, items and details);
// empty for a policy without parts.
std::string ReferencePartsHtml(const cReferencePolicy& policy);
