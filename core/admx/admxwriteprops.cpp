// The supported-on table and the template properties (namespaces and revisions) as edited.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxsetwriter.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

void cSetWriter::RemoveUnclaimedEntries(pugi::xml_node original, std::string_view local,
                                        const std::unordered_set<pugi::xml_node_struct*>& claimed) {
    for (pugi::xml_node e = original.first_child(); e; e = e.next_sibling())
        if (Is(e, local) && !claimed.count(e.internal_object()))
            if (pugi::xml_node copy = CopyOf(e))
                RemoveElement(copy);
}

pugi::xml_node cSetWriter::EntryElement(pugi::xml_node parent, pugi::xml_node origin,
                                        const char* local,
                                        std::unordered_set<pugi::xml_node_struct*>& claimed) {
    if (origin && claimed.insert(origin.internal_object()).second)
        if (pugi::xml_node copy = CopyOf(origin))
            return copy;
    return AppendElement(parent, local);
}

void cSetWriter::SetChanged(pugi::xml_node element, const char* name, const Text& value) {
    if (AttributeText(element, name) != value)
        SetAttribute(element, name, value);
}

void cSetWriter::RemoveIfEmpty(pugi::xml_node element) {
    if (!element)
        return;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return;
    RemoveElement(element);
}

void cSetWriter::WriteVersions(pugi::xml_node parent, pugi::xml_node original, const char* local,
                               const std::vector<cSupportedOnVersion>& versions) {
    std::unordered_set<pugi::xml_node_struct*> claimed;
    for (const cSupportedOnVersion& version : versions) {
        pugi::xml_node element = EntryElement(parent, version.origin, local, claimed);
        SetChanged(element, "name", version.name);
        SetChanged(element, "displayName", version.displayName);
        SetChanged(element, "versionIndex", version.versionIndex);
        if (std::string_view(local) == "majorVersion")
            WriteVersions(element, version.origin, "minorVersion", version.minors);
    }
    RemoveUnclaimedEntries(original, local, claimed);
}

void cSetWriter::WriteCondition(pugi::xml_node element, const cSupportedOnDefinition& definition) {
    RemoveChild(element, "or");
    RemoveChild(element, "and");
    if (definition.join == cSupportedOnJoin::None)
        return;
    pugi::xml_node condition =
        AppendElement(element, definition.join == cSupportedOnJoin::And ? "and" : "or");
    for (const cSupportedOnReference& reference : definition.references) {
        pugi::xml_node r = AppendElement(condition, reference.range ? "range" : "reference");
        SetAttribute(r, "ref", reference.ref);
        if (reference.range) {
            SetAttribute(r, "minVersionIndex", reference.minVersionIndex,
                         !reference.minVersionIndex.empty());
            SetAttribute(r, "maxVersionIndex", reference.maxVersionIndex,
                         !reference.maxVersionIndex.empty());
        }
    }
}

void cSetWriter::WriteSupportedOn() {
    if (!m_supportedOn)
        return;
    const cSupportedOnTable& table = *m_supportedOn;
    const pugi::xml_node original = Child(m_set.admx.Root(), "supportedOn");
    pugi::xml_node element = CopyOf(original);
    if (!element) {
        if (table.products.empty() && table.definitions.empty())
            return;
        element = Container("supportedOn");
    }
    const pugi::xml_node originalProducts = Child(original, "products");
    pugi::xml_node products = Child(element, "products");
    if (!table.products.empty() && !products)
        products = EnsureChild(element, "products", kSupportedOnOrder);
    std::unordered_set<pugi::xml_node_struct*> claimed;
    for (const cSupportedOnProduct& product : table.products) {
        pugi::xml_node e = EntryElement(products, product.origin, "product", claimed);
        SetChanged(e, "name", product.name);
        SetChanged(e, "displayName", product.displayName);
        WriteVersions(e, product.origin, "majorVersion", product.majors);
    }
    RemoveUnclaimedEntries(originalProducts, "product", claimed);
    RemoveIfEmpty(products);

    const pugi::xml_node originalDefinitions = Child(original, "definitions");
    pugi::xml_node definitions = Child(element, "definitions");
    if (!table.definitions.empty() && !definitions)
        definitions = EnsureChild(element, "definitions", kSupportedOnOrder);
    claimed.clear();
    for (const cSupportedOnDefinition& definition : table.definitions) {
        pugi::xml_node e = EntryElement(definitions, definition.origin, "definition", claimed);
        SetChanged(e, "name", definition.name);
        SetChanged(e, "displayName", definition.displayName);
        const cSupportedOnDefinition read =
            definition.origin ? cSupportedOnTable::ReadDefinition(definition.origin)
                              : cSupportedOnDefinition();
        if (!definition.origin || read.join != definition.join ||
            read.references != definition.references)
            WriteCondition(e, definition);
    }
    RemoveUnclaimedEntries(originalDefinitions, "definition", claimed);
    RemoveIfEmpty(definitions);
    RemoveIfEmpty(element);
}

void cSetWriter::WriteTemplateProps() {
    if (!m_props || !m_failed.empty())
        return;
    const cAdmxTemplateProps& props = *m_props;
    const cAdmxTemplateProps read = TemplatePropsOf(m_set);
    pugi::xml_node root = m_admx.document_element();
    pugi::xml_node namespaces = EnsureChild(root, "policyNamespaces", kRootOrder);

    const auto uses = AdmxReferencePrefixes(m_admx.document_element());
    std::vector<bool> kept(props.usings.size(), false);
    for (pugi::xml_node use = namespaces.first_child(), next; use; use = next) {
        next = use.next_sibling();
        if (!Is(use, "using"))
            continue;
        const Text prefix = AttributeText(use, "prefix");
        size_t row = 0;
        while (row < props.usings.size() && (kept[row] || props.usings[row].prefix != prefix))
            ++row;
        if (row < props.usings.size()) {
            kept[row] = true;
            if (AttributeText(use, "namespace") != props.usings[row].name)
                SetAttribute(use, "namespace", props.usings[row].name);
            continue;
        }
        if (auto used = uses.find(ToUtf8(prefix)); used != uses.end()) {
            Refuse(
                FormatText(u"The prefix \"%.50s\" cannot leave the using list: %d "
                           u"references of this file still use it.",
                           {prefix, long(used->second.total)}));
            return;
        }
        RemoveElement(use);
    }
    for (size_t row = 0; row < props.usings.size(); ++row) {
        if (kept[row])
            continue;
        pugi::xml_node use = AppendElement(namespaces, "using");
        SetAttribute(use, "prefix", props.usings[row].prefix);
        SetAttribute(use, "namespace", props.usings[row].name);
    }

    pugi::xml_node target = EnsureChild(namespaces, "target", kNamespacesOrder);
    if (AttributeText(target, "prefix") != props.target.prefix)
        SetAttribute(target, "prefix", props.target.prefix);
    if (AttributeText(target, "namespace") != props.target.name)
        SetAttribute(target, "namespace", props.target.name);
    if (props.target.prefix != read.target.prefix && !read.target.prefix.empty())
        RenamePrefix(root, ToUtf8(read.target.prefix), ToUtf8(props.target.prefix));

    if (AttributeText(root, "revision") != props.revision)
        SetAttribute(root, "revision", props.revision);
    pugi::xml_node resources = EnsureChild(root, "resources", kRootOrder);
    if (AttributeText(resources, "minRequiredRevision") != props.minRequiredRevision)
        SetAttribute(resources, "minRequiredRevision", props.minRequiredRevision);

    if (props.revision == read.revision)
        return;
    std::vector<pugi::xml_document*> admls;
    for (auto& adml : m_adml)
        admls.push_back(adml.get());
    for (auto& added : m_newLanguages)
        admls.push_back(added.adml.get());
    for (pugi::xml_document* adml : admls) {
        pugi::xml_node resourcesRoot = adml->document_element();
        if (SameAdmxRevision(resourcesRoot.attribute("revision").value(), ToUtf8(read.revision)))
            SetAttribute(resourcesRoot, "revision", props.revision);
    }
}

void cSetWriter::RenamePrefix(pugi::xml_node root, const std::string& from, const std::string& to) {
    const std::string head = from + ":";
    ForEachElement(root, [&](pugi::xml_node node) {
        if (pugi::xml_attribute ref = node.attribute("ref");
            ref && std::string_view(ref.value()).starts_with(head))
            ref.set_value((to + ":" + (ref.value() + head.size())).c_str());
    });
}
