#pragma once

#include <pugixml.hpp>

#include <string_view>
#include <vector>

#include "core/text/text.h"

class cAdmxSet;

// The supportedOn table of an ADMX file as values: its products with their versions and its
// definitions. Each entry read from the file remembers its element there (`origin`), so that
// a write changes only what differs from it; an entry made in the editor has none. Display
// names are as written: "$(string.ID)" references into the display language's strings.

// A reference of a definition to a product, a version or another definition; a range names
// a product or major version and the version indexes it covers (empty: not given).
struct cSupportedOnReference {
    bool range = false;
    Text ref;
    Text minVersionIndex;
    Text maxVersionIndex;
    bool operator==(const cSupportedOnReference&) const = default;
};

// How a definition joins its references: none given, any of them, all of them.
enum class cSupportedOnJoin { None, Or, And };

struct cSupportedOnDefinition {
    Text name;
    Text displayName;
    cSupportedOnJoin join = cSupportedOnJoin::None;
    std::vector<cSupportedOnReference> references;
    pugi::xml_node origin;
    bool operator==(const cSupportedOnDefinition&) const = default;
};

// A major version with its minor versions, or a minor version (no minors).
struct cSupportedOnVersion {
    Text name;
    Text displayName;
    Text versionIndex;
    std::vector<cSupportedOnVersion> minors;
    pugi::xml_node origin;
    bool operator==(const cSupportedOnVersion&) const = default;
};

struct cSupportedOnProduct {
    Text name;
    Text displayName;
    std::vector<cSupportedOnVersion> majors;
    pugi::xml_node origin;
    bool operator==(const cSupportedOnProduct&) const = default;
};

struct cSupportedOnTable {
    std::vector<cSupportedOnProduct> products;
    std::vector<cSupportedOnDefinition> definitions;

    // The table of the file's supportedOn element (none: an empty table).
    static cSupportedOnTable Read(pugi::xml_node supportedOn);
    // A definition's own fields, its references and join, read from its element.
    static cSupportedOnDefinition ReadDefinition(pugi::xml_node element);

    // The display name of the definition, product or version of that name; null for none.
    const Text* DisplayNameOf(TextView name) const;
    // Every name a reference may give, in order: definitions, then each product followed by
    // its major versions, each major version followed by its minor versions.
    std::vector<Text> Names() const;

    bool operator==(const cSupportedOnTable&) const = default;
};

// The supported-on text of a policy that refers to `reference`: the display name of the
// table's definition or product of that name (a reference into the file's own namespace),
// else the reference as written.
Text SupportedOnText(const cSupportedOnTable& table, const cAdmxSet& set,
                     std::string_view reference);
