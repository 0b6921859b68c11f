#include "core/admx/supportedon.h"

#include "core/admx/admxset.h"

namespace {

std::vector<cSupportedOnVersion> ReadVersions(pugi::xml_node parent, std::string_view local) {
    std::vector<cSupportedOnVersion> versions;
    for (pugi::xml_node v = parent.first_child(); v; v = v.next_sibling()) {
        if (!Is(v, local))
            continue;
        cSupportedOnVersion& version = versions.emplace_back();
        version.name = AttributeText(v, "name");
        version.displayName = AttributeText(v, "displayName");
        version.versionIndex = AttributeText(v, "versionIndex");
        version.origin = v;
        if (local == "majorVersion")
            version.minors = ReadVersions(v, "minorVersion");
    }
    return versions;
}

}  // namespace

cSupportedOnDefinition cSupportedOnTable::ReadDefinition(pugi::xml_node element) {
    cSupportedOnDefinition definition;
    definition.name = AttributeText(element, "name");
    definition.displayName = AttributeText(element, "displayName");
    definition.origin = element;
    pugi::xml_node condition = Child(element, "or");
    definition.join = condition ? cSupportedOnJoin::Or : cSupportedOnJoin::None;
    if (!condition && (condition = Child(element, "and")))
        definition.join = cSupportedOnJoin::And;
    for (pugi::xml_node r = condition.first_child(); r; r = r.next_sibling()) {
        if (!Is(r, "reference") && !Is(r, "range"))
            continue;
        cSupportedOnReference& reference = definition.references.emplace_back();
        reference.range = Is(r, "range");
        reference.ref = AttributeText(r, "ref");
        reference.minVersionIndex = AttributeText(r, "minVersionIndex");
        reference.maxVersionIndex = AttributeText(r, "maxVersionIndex");
    }
    return definition;
}

cSupportedOnTable cSupportedOnTable::Read(pugi::xml_node supportedOn) {
    cSupportedOnTable table;
    for (pugi::xml_node p = Child(supportedOn, "products").first_child(); p; p = p.next_sibling()) {
        if (!Is(p, "product"))
            continue;
        cSupportedOnProduct& product = table.products.emplace_back();
        product.name = AttributeText(p, "name");
        product.displayName = AttributeText(p, "displayName");
        product.majors = ReadVersions(p, "majorVersion");
        product.origin = p;
    }
    for (pugi::xml_node d = Child(supportedOn, "definitions").first_child(); d;
         d = d.next_sibling())
        if (Is(d, "definition"))
            table.definitions.push_back(ReadDefinition(d));
    return table;
}

const Text* cSupportedOnTable::DisplayNameOf(TextView name) const {
    for (const cSupportedOnDefinition& d : definitions)
        if (d.name == name)
            return &d.displayName;
    for (const cSupportedOnProduct& p : products) {
        if (p.name == name)
            return &p.displayName;
        for (const cSupportedOnVersion& major : p.majors) {
            if (major.name == name)
                return &major.displayName;
            for (const cSupportedOnVersion& minor : major.minors)
                if (minor.name == name)
                    return &minor.displayName;
        }
    }
    return nullptr;
}

std::vector<Text> cSupportedOnTable::Names() const {
    std::vector<Text> names;
    for (const cSupportedOnDefinition& d : definitions)
        names.push_back(d.name);
    for (const cSupportedOnProduct& p : products) {
        names.push_back(p.name);
        for (const cSupportedOnVersion& major : p.majors) {
            names.push_back(major.name);
            for (const cSupportedOnVersion& minor : major.minors)
                names.push_back(minor.name);
        }
    }
    return names;
}

Text SupportedOnText(const cSupportedOnTable& table, const cAdmxSet& set,
                     std::string_view reference) {
    std::string name;
    if (set.Resolve(reference, name) == cAdmxSet::cPlace::Here) {
        if (const Text* shown = table.DisplayNameOf(FromUtf8(name)); shown && !shown->empty())
            return *shown;
    } else if (auto found = set.neighbourSupportedOn.find(std::string(reference));
               found != set.neighbourSupportedOn.end() && !found->second.empty()) {
        return found->second;
    }
    return FromUtf8(reference);
}
