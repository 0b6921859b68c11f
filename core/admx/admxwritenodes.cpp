// The strings, categories and policies of a set written again from the model.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxsetwriter.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

void cSetWriter::SyncStrings() {
    const cStringMap& strings = m_content.strings;
    pugi::xml_node root = DisplayAdml().document_element();
    pugi::xml_node table = Child(Child(root, "resources"), "stringTable");
    std::unordered_set<std::string> present;
    for (pugi::xml_node s = table.first_child(), next; s; s = next) {
        next = s.next_sibling();
        if (!Is(s, "string"))
            continue;
        std::string id = s.attribute("id").value();
        const Text* text = strings.Find(FromUtf8(id));
        if (!text) {
            RemoveElement(s);
            continue;
        }
        present.insert(id);
        if (ElementText(s) != *text)
            ReplaceText(s, *text);
    }
    for (const auto& [name, text] : strings.Entries()) {
        std::string id = ToUtf8(name);
        if (present.count(id))
            continue;
        if (!table)
            table = EnsureChild(EnsureChild(root, "resources", Order{}), "stringTable",
                                kAdmlResourcesOrder);
        pugi::xml_node s = AppendElement(table, "string");
        s.append_attribute("id").set_value(id.c_str());
        SetText(s, text);
        MirrorString(s);
        present.insert(id);
    }
    m_stringIds = std::move(present);
}

void cSetWriter::WalkTree(cTemplateTree& tree) {
    tree.ForEachPreOrder([&](cTreeItem* item) {
        cData* node = item->node.get();
        if (!node || !m_failed.empty())
            return;
        if (node->kind == kKindCategory)
            Category(item, static_cast<cObjCategory&>(*node));
        else if (node->kind == kKindPolicy)
            Policy(item, static_cast<cObjPolicy&>(*node));
    });
}

pugi::xml_node cSetWriter::Container(const char* local) {
    return EnsureChild(m_admx.document_element(), local, kRootOrder);
}

pugi::xml_node cSetWriter::ElementFor(const cData& node, const char* container, const char* local,
                                      std::unordered_set<pugi::xml_node_struct*>& claimed) {
    if (const cAdmxOrigin* origin = OriginIn(node, &m_set)) {
        if (claimed.insert(origin->element.internal_object()).second)
            return CopyOf(origin->element);
        return AppendCopy(Container(container), origin->element);
    }
    if (node.admx && node.admx->origin) {
        if (const auto* foreign = dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get()))
            return AppendCopy(Container(container), foreign->element);
    }
    return AppendElement(Container(container), local);
}

std::string cSetWriter::UniqueName(const cData& node, const Text& shown, pugi::xml_node element,
                                   std::unordered_set<std::string>& names) {
    std::string base = node.admx ? ToUtf8(node.admx->name) : std::string();
    if (base.empty()) {
        std::string_view id = StringId(ToUtf8(shown));
        base = id.empty() ? ToUtf8(AdmxNameFrom(ResolveAdmxText(m_content.strings, shown)))
                          : std::string(id);
    }
    if (base.empty())
        base = element.name();
    std::string name = base;
    for (int n = 2; names.count(name); ++n)
        name = base + "_" + std::to_string(n);
    names.insert(name);
    return name;
}

void cSetWriter::WriteParent(cTreeItem* item, pugi::xml_node element, Order order) {
    pugi::xml_node written = Child(element, "parentCategory");
    cTreeItem* parentItem = item->parent;
    cData* parent = parentItem ? parentItem->node.get() : nullptr;
    if (!parent || parent->kind != kKindCategory) {
        // At the top: a category of another file, or none, as written; a reference to
        // a category defined nowhere stays until the user places the node.
        std::string name;
        if (written &&
            m_set.Resolve(written.attribute("ref").value(), name) == cAdmxSet::cPlace::Here &&
            m_set.categories.count(name))
            RemoveElement(written);
        return;
    }
    auto found = m_categoryElements.find(parent);
    if (found == m_categoryElements.end())
        return;
    std::string target = found->second.attribute("name").value();
    if (written) {
        std::string name;
        if (m_set.Resolve(written.attribute("ref").value(), name) == cAdmxSet::cPlace::Here &&
            name == target)
            return;
    }
    pugi::xml_node reference = EnsureChild(element, "parentCategory", order);
    SetAttribute(reference, "ref", FromUtf8(target));
}

void cSetWriter::Category(cTreeItem* item, cObjCategory& node) {
    // Each category node is a category of its own: a second node of one origin (a paste)
    // gets a copy of the element.
    pugi::xml_node element = ElementFor(node, "categories", "category", m_claimedCategories);
    m_categoryElements[&node] = element;

    const std::string name =
        element.attribute("name") ? std::string(element.attribute("name").value()) : std::string();
    if (!OriginIn(node, &m_set) || (node.admx && ToUtf8(node.admx->name) != name))
        SetAttribute(element, "name",
                     FromUtf8(UniqueName(node, node.name, element, m_categoryNames)));
    else
        m_categoryNames.insert(name);

    cObjCategory read;
    ReadCategoryFields(element, read);
    const std::string base = element.attribute("name").value();
    if (node.name != read.name)
        SetAttribute(element, "displayName", StringFor(node.name, base));
    if (node.explainFlag != read.explainFlag || node.explainText != read.explainText)
        SetAttribute(element, "explainText", StringFor(node.explainText, base + "_Explain"),
                     node.explainFlag != 0);
    if (!node.useDefaultKey)
        Refuse(
            FormatText(u"The key of category \"%.50s\" cannot be written to an ADMX file: "
                       u"ADMX categories have no registry key. Give the key to its "
                       u"policies instead.",
                       {ResolveAdmxText(m_content.strings, node.name)}));
    WriteParent(item, element, kCategoryOrder);
}

Text cSetWriter::ClassOf(const cTreeItem* item, const cObjPolicy& node) {
    if (node.admx && !node.admx->policyClass.empty())
        return node.admx->policyClass;
    for (const cTreeItem* up = item->parent; up; up = up->parent)
        if (const auto* cls = dynamic_cast<const cPolClass*>(up->node.get()))
            return KeywordEquals(cls->className, u"USER") ? u"User" : u"Machine";
    return u"Machine";
}

void cSetWriter::Policy(cTreeItem* item, cObjPolicy& node) {
    const cAdmxOrigin* origin = OriginIn(node, &m_set);
    const bool own = origin && !m_claimedPolicies.count(origin->element.internal_object());
    pugi::xml_node element = ElementFor(node, "policies", "policy", m_claimedPolicies);
    if (!own) {
        // The parts make their elements and controls again.
        RemoveChild(element, "elements");
        element.remove_attribute("presentation");
    }
    const std::string name = element.attribute("name").value();
    if (!own || (node.admx && ToUtf8(node.admx->name) != name))
        SetAttribute(element, "name",
                     FromUtf8(UniqueName(node, node.name, element, m_policyNames)));
    else
        m_policyNames.insert(name);
    const std::string base = element.attribute("name").value();
    const Text shown = ResolveAdmxText(m_content.strings, node.name);

    const Text cls = ClassOf(item, node);
    if (AttributeText(element, "class") != cls)
        SetAttribute(element, "class", cls);
    WriteParent(item, element, kPolicyOrder);

    cObjPolicy read;
    ReadPolicy(element, read);
    if (node.name != read.name)
        SetAttribute(element, "displayName", StringFor(node.name, base));
    if (node.explainFlag != read.explainFlag || node.explainText != read.explainText)
        SetAttribute(element, "explainText", StringFor(node.explainText, base + "_Explain"),
                     node.explainFlag != 0);
    if (node.useDefaultKey != read.useDefaultKey || node.keyName != read.keyName)
        SetAttribute(element, "key", node.keyName, node.useDefaultKey == 0);
    if (node.valueNameFlag != read.valueNameFlag || node.valueName != read.valueName)
        SetAttribute(element, "valueName", node.valueName, node.valueNameFlag != 0);
    if (node.clientExtFlag != read.clientExtFlag || node.clientExt != read.clientExt)
        SetAttribute(element, "clientExtension", node.clientExt, node.clientExtFlag != 0);
    const Text supportedOn = node.admx ? node.admx->supportedOn : Text();
    if (supportedOn != AttributeText(Child(element, "supportedOn"), "ref")) {
        if (supportedOn.empty())
            RemoveChild(element, "supportedOn");
        else
            SetAttribute(EnsureChild(element, "supportedOn", kPolicyOrder), "ref", supportedOn);
        ReadPolicy(element, read);
    }
    if (node.supportedFlag != read.supportedFlag || node.supportedText != read.supportedText)
        Refuse(
            FormatText(u"The supported-on text of policy \"%.50s\" cannot be written to "
                       u"an ADMX file: there it is the display name of the supportedOn "
                       u"definition the policy refers to.",
                       {shown}));
    if (node.valueOn != read.valueOn)
        WriteOptionalValue(element, "enabledValue", kPolicyOrder, node.valueOn);
    if (node.valueOff != read.valueOff)
        WriteOptionalValue(element, "disabledValue", kPolicyOrder, node.valueOff);
    if (node.actionListOn != read.actionListOn)
        WriteList(element, "enabledList", kPolicyOrder, node.actionListOn, node.keyName,
                  read.actionListOn);
    if (node.actionListOff != read.actionListOff)
        WriteList(element, "disabledList", kPolicyOrder, node.actionListOff, node.keyName,
                  read.actionListOff);
    Parts(node, element, origin && own ? origin->element : pugi::xml_node(), base);
}

void cSetWriter::ReadPolicy(pugi::xml_node element, cPolicy& read) const {
    ReadPolicyFields(m_set, element, read);
    if (m_supportedOn && read.supportedFlag)
        read.supportedText = SupportedOnText(
            *m_supportedOn, m_set, Child(element, "supportedOn").attribute("ref").value());
}

void cSetWriter::RemoveUnclaimed() {
    pugi::xml_node root = m_set.admx.Root();
    for (auto [list, kind, claimed] : {std::tuple{"categories", "category", &m_claimedCategories},
                                       std::tuple{"policies", "policy", &m_claimedPolicies}})
        for (pugi::xml_node e = Child(root, list).first_child(); e; e = e.next_sibling())
            if (Is(e, kind) && !claimed->count(e.internal_object()))
                RemoveElement(CopyOf(e));
}
