#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text/text.h"

class cAdmxSet;

// What an ADMX file says of itself beyond its policies: the namespace it defines (its
// prefix there and its name), the namespaces it uses under prefixes of its own, its revision
// and the least revision its language files must have. Edited as a whole on the Template
// properties dialog; the document keeps the edited values beside the set, which stays as
// read, and a save writes them.

struct cAdmxNamespace {
    Text prefix;
    Text name;  // "Microsoft.Policies.Windows"
    bool operator==(const cAdmxNamespace&) const = default;
};

struct cAdmxTemplateProps {
    cAdmxNamespace target;
    std::vector<cAdmxNamespace> usings;  // in the file's order
    Text revision;                       // of policyDefinitions
    Text minRequiredRevision;            // of resources
    bool operator==(const cAdmxTemplateProps&) const = default;
};

// The values as the set's ADMX holds them.
cAdmxTemplateProps TemplatePropsOf(const cAdmxSet& set);

// A revision as the schema writes it: 1 to 4 digits, a period, 1 to 5 digits ("1.0",
// "2.19"); the pair of numbers, none for anything else.
std::optional<std::pair<long, long>> ParseAdmxRevision(std::string_view text);
// Whether two revisions are the same numbers ("1.0" and "1.00"), or else the same text.
bool SameAdmxRevision(std::string_view a, std::string_view b);
