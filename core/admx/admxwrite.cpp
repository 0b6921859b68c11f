#include "core/admx/admxwrite.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxread.h"
#include "core/admx/admxset.h"
#include "core/io/files.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

namespace {

namespace fs = std::filesystem;
using Order = std::span<const std::string_view>;

// The order of the children the model writes, as the schema has them.
constexpr std::string_view kPolicyOrder[] = {"parentCategory", "seeAlso",      "keywords",
                                             "supportedOn",    "enabledValue", "disabledValue",
                                             "enabledList",    "disabledList", "elements"};
constexpr std::string_view kCategoryOrder[] = {"parentCategory", "seeAlso", "keywords"};
constexpr std::string_view kBooleanOrder[] = {"trueValue", "falseValue", "trueList", "falseList"};
constexpr std::string_view kRootOrder[] = {"policyNamespaces", "supersededAdm", "annotation",
                                           "resources",        "supportedOn",   "categories",
                                           "policies"};
constexpr std::string_view kNamespacesOrder[] = {"target", "using"};
constexpr std::string_view kAdmlResourcesOrder[] = {"stringTable", "presentationTable"};
constexpr std::string_view kTextBoxOrder[] = {"label", "defaultValue"};
constexpr std::string_view kComboOrder[] = {"label", "default", "suggestion"};
constexpr std::string_view kItemOrder[] = {"value", "valueList"};

// The elements that may be soft: written only where the registry holds no value yet.
bool CanBeSoftElement(pugi::xml_node element) {
    return Is(element, "text") || Is(element, "decimal") || Is(element, "longDecimal") ||
           Is(element, "multiText");
}

bool IsBlankText(pugi::xml_node node) {
    if (node.type() != pugi::node_pcdata)
        return false;
    for (const char* c = node.value(); *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n')
            return false;
    return true;
}

// The blanks that stand before node (its indentation with the line break before it).
std::string BlanksBefore(pugi::xml_node node) {
    pugi::xml_node before = node.previous_sibling();
    return IsBlankText(before) ? before.value() : std::string();
}

// The references of a document by the prefix they are made with.
std::map<std::string, cPrefixUses> ReferencePrefixes(const pugi::xml_document& document) {
    std::map<std::string, cPrefixUses> uses;
    ForEachElement(document.document_element(), [&](pugi::xml_node node) {
        std::string_view ref = node.attribute("ref").value();
        if (size_t colon = ref.find(':'); colon != std::string_view::npos) {
            cPrefixUses& use = uses[std::string(ref.substr(0, colon))];
            ++use.total;
            ++use.elements[std::string(LocalName(node.name()))];
        }
    });
    return uses;
}

// Writes the documents of one set again from the model.
class cSetWriter {
public:
    cSetWriter(const cTemplateContent& content, const cAdmxState& state)
        : m_content(content),
          m_set(*state.set),
          m_languages(state.languages ? &*state.languages : nullptr),
          m_supportedOn(state.supportedOn ? &*state.supportedOn : nullptr),
          m_props(state.templateProps ? &*state.templateProps : nullptr) {}

    bool Run(cTemplateTree& tree) {
        m_admx.reset(m_set.admx.Document());
        MapCopy(m_set.admx.Document(), m_admx, true);
        m_adml.resize(m_set.languages.size());
        for (size_t i = 0; i < m_set.languages.size(); ++i) {
            m_adml[i] = std::make_unique<pugi::xml_document>();
            m_adml[i]->reset(m_set.languages[i]->xml.Document());
            MapCopy(m_set.languages[i]->xml.Document(), *m_adml[i], i == m_set.display);
        }

        SyncStrings();
        WalkTree(tree);
        RemoveUnclaimed();
        WriteSupportedOn();
        MirrorControls();
        SyncLanguages();
        WriteTemplateProps();
        return m_failed.empty();
    }

    const Text& Failure() const { return m_failed; }
    const pugi::xml_document& Admx() const { return m_admx; }
    const pugi::xml_document& Adml(size_t i) const { return *m_adml[i]; }

    // A language the set had no ADML for: its folder's name and its document.
    struct cNewLanguage {
        Text folder;
        std::unique_ptr<pugi::xml_document> adml;
    };
    const std::vector<cNewLanguage>& NewLanguages() const { return m_newLanguages; }

private:
    // ---- The copies -----------------------------------------------------------------------

    // Pairs the nodes of the original with those of its copy (same structure), without
    // recursion: every element with its copy where the model edits the document, and every
    // text and comment of the copy with its original, whose line breaks it keeps.
    void MapCopy(const pugi::xml_document& from, pugi::xml_document& to, bool elements) {
        pugi::xml_node a = from.first_child();
        pugi::xml_node b = to.first_child();
        while (a && b) {
            if (a.type() == pugi::node_element) {
                if (elements)
                    m_copies[a.internal_object()] = b;
            } else if (a.type() == pugi::node_pcdata || a.type() == pugi::node_cdata ||
                       a.type() == pugi::node_comment) {
                m_originals[b.internal_object()] = a;
            }
            if (a.first_child() && b.first_child()) {
                a = a.first_child();
                b = b.first_child();
                continue;
            }
            while (a && b && !a.next_sibling()) {
                a = a.parent();
                b = b.parent();
            }
            if (!a || !b || a.type() == pugi::node_document)
                break;
            a = a.next_sibling();
            b = b.next_sibling();
        }
    }

public:
    // The text or comment of a document read that a node written was copied from.
    pugi::xml_node OriginalOf(pugi::xml_node copy) const {
        auto found = m_originals.find(copy.internal_object());
        return found == m_originals.end() ? pugi::xml_node() : found->second;
    }

private:
    pugi::xml_node CopyOf(pugi::xml_node original) const {
        auto found = m_copies.find(original.internal_object());
        return found == m_copies.end() ? pugi::xml_node() : found->second;
    }

    pugi::xml_document& DisplayAdml() { return *m_adml[m_set.display]; }

    // ---- Building blocks -----------------------------------------------------------------

    static void SetAttribute(pugi::xml_node node, const char* name, const Text& value,
                             bool present = true) {
        if (!present) {
            node.remove_attribute(name);
            return;
        }
        std::string text = ToUtf8(value);
        pugi::xml_attribute attribute = node.attribute(name);
        if (!attribute)
            attribute = node.append_attribute(name);
        attribute.set_value(text.c_str());
    }

    static void SetFlag(pugi::xml_node node, const char* name, int flag) {
        if (flag)
            SetAttribute(node, name, u"true");
        else
            node.remove_attribute(name);
    }

    // Puts text as the element's only content.
    static void SetText(pugi::xml_node node, const Text& text) {
        while (node.first_child())
            node.remove_child(node.first_child());
        std::string utf8 = ToUtf8(text);
        if (!utf8.empty())
            node.append_child(pugi::node_pcdata).set_value(utf8.c_str());
    }

    // Puts text as the element's character data, keeping its comments and processing
    // instructions (a string's note to translators) where they stand: the text goes where
    // its first character data stood, else at the end.
    static void ReplaceText(pugi::xml_node node, const Text& text) {
        pugi::xml_node first;
        for (pugi::xml_node child = node.first_child(), next; child; child = next) {
            next = child.next_sibling();
            if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)
                continue;
            if (first)
                node.remove_child(child);
            else
                first = child;
        }
        std::string utf8 = ToUtf8(text);
        if (!utf8.empty())
            (first ? node.insert_child_before(pugi::node_pcdata, first)
                   : node.append_child(pugi::node_pcdata))
                .set_value(utf8.c_str());
        if (first)
            node.remove_child(first);
    }

    // A new element at the end of parent's elements, indented as its siblings are.
    pugi::xml_node AppendElement(pugi::xml_node parent, const char* name) {
        pugi::xml_node last;
        for (pugi::xml_node child = parent.last_child(); child && !last;
             child = child.previous_sibling())
            if (child.type() == pugi::node_element)
                last = child;
        if (last) {
            std::string blanks = BlanksBefore(last);
            pugi::xml_node element = parent.insert_child_after(name, last);
            if (!blanks.empty())
                parent.insert_child_before(pugi::node_pcdata, element).set_value(blanks.c_str());
            return element;
        }
        std::string outer = BlanksBefore(parent);
        if (outer.empty())
            outer = "\n";
        std::string inner = outer + "  ";
        // Blanks alone in the parent are its closing line.
        bool blanksOnly = !parent.first_child() || (IsBlankText(parent.first_child()) &&
                                                    !parent.first_child().next_sibling());
        if (blanksOnly) {
            while (parent.first_child())
                parent.remove_child(parent.first_child());
            parent.append_child(pugi::node_pcdata).set_value(inner.c_str());
            pugi::xml_node element = parent.append_child(name);
            parent.append_child(pugi::node_pcdata).set_value(outer.c_str());
            return element;
        }
        return parent.append_child(name);
    }

    // An element with its indentation before it, or a copy of an element of another set.
    pugi::xml_node InsertElement(pugi::xml_node parent, const char* name, pugi::xml_node before) {
        if (!before)
            return AppendElement(parent, name);
        std::string blanks = BlanksBefore(before);
        pugi::xml_node element = parent.insert_child_before(name, before);
        if (!blanks.empty())
            parent.insert_child_before(pugi::node_pcdata, before).set_value(blanks.c_str());
        return element;
    }

    pugi::xml_node AppendCopy(pugi::xml_node parent, pugi::xml_node original) {
        pugi::xml_node placeholder = AppendElement(parent, "x");
        pugi::xml_node copy = parent.insert_copy_after(original, placeholder);
        parent.remove_child(placeholder);
        return copy;
    }

    // Removes an element with the blanks that stood before it.
    static void RemoveElement(pugi::xml_node node) {
        pugi::xml_node parent = node.parent();
        pugi::xml_node before = node.previous_sibling();
        if (IsBlankText(before))
            parent.remove_child(before);
        parent.remove_child(node);
    }

    // The child of that local name, made where the order puts it when there is none.
    pugi::xml_node EnsureChild(pugi::xml_node parent, std::string_view local, Order order) {
        if (pugi::xml_node child = Child(parent, local))
            return child;
        auto rank = [&](std::string_view name) {
            auto at = std::find(order.begin(), order.end(), name);
            return at == order.end() ? order.size() : size_t(at - order.begin());
        };
        const size_t mine = rank(local);
        pugi::xml_node before;
        for (pugi::xml_node child = parent.first_child(); child && !before;
             child = child.next_sibling())
            if (child.type() == pugi::node_element && rank(LocalName(child.name())) > mine)
                before = child;
        return InsertElement(parent, std::string(local).c_str(), before);
    }

    static void RemoveChild(pugi::xml_node parent, std::string_view local) {
        if (pugi::xml_node child = Child(parent, local))
            RemoveElement(child);
    }

    // A value element's content: the number as decimal (longDecimal where the value held
    // one or the number needs 64 bits), a string, or the removal of the value.
    void WriteValue(pugi::xml_node holder, const cDescVal& value) {
        bool wasLong = Is(holder.first_child(), "longDecimal");
        for (pugi::xml_node c = holder.first_child(); c; c = holder.first_child())
            holder.remove_child(c);
        if (value.IsDelete()) {
            holder.append_child("delete");
        } else if (value.IsNumeric()) {
            bool ok = false;
            long long number = ParseLeadingInt(value.valueText, &ok);
            bool wide = wasLong || number > 4294967295LL || number < -2147483648LL;
            holder.append_child(wide ? "longDecimal" : "decimal")
                .append_attribute("value")
                .set_value(ToUtf8(value.valueText).c_str());
        } else {
            SetText(holder.append_child("string"), value.valueText);
        }
    }

    void WriteOptionalValue(pugi::xml_node parent, std::string_view local, Order order,
                            const cOptionalValue& value) {
        if (!value) {
            RemoveChild(parent, local);
            return;
        }
        pugi::xml_node holder = EnsureChild(parent, local, order);
        WriteValue(holder, *value);
    }

    // A list again from the model; an item names its key where it is not the list's own.
    void WriteList(pugi::xml_node parent, std::string_view local, Order order,
                   const cActionList& list, const Text& ownerKey) {
        bool entries = std::any_of(list.begin(), list.end(),
                                   [](const cActionKey& key) { return !key.entries.empty(); });
        if (!entries) {
            RemoveChild(parent, local);
            return;
        }
        pugi::xml_node node = EnsureChild(parent, local, order);
        WriteListItems(node, list, ownerKey);
    }

    void WriteListItems(pugi::xml_node node, const cActionList& list, const Text& ownerKey) {
        const Text defaultKey =
            node.attribute("defaultKey") ? AttributeText(node, "defaultKey") : ownerKey;
        for (pugi::xml_node c = node.first_child(); c; c = node.first_child())
            node.remove_child(c);
        for (const cActionKey& group : list)
            for (const cActionValue& entry : group.entries) {
                pugi::xml_node item = AppendElement(node, "item");
                SetAttribute(item, "key", group.keyName, group.keyName != defaultKey);
                SetAttribute(item, "valueName", entry.valueName);
                WriteValue(item.append_child("value"), entry);
            }
    }

    // A display text as the schema wants it: a reference to a string. A text of its own
    // becomes a new string of the display language.
    Text StringFor(const Text& text, const std::string& base) {
        if (!StringId(ToUtf8(text)).empty())
            return text;
        pugi::xml_node resources =
            EnsureChild(DisplayAdml().document_element(), "resources", Order{});
        pugi::xml_node table = EnsureChild(resources, "stringTable", kAdmlResourcesOrder);
        std::string id = base;
        for (int n = 2; m_stringIds.count(id) || m_content.strings.Contains(FromUtf8(id)); ++n)
            id = base + "_" + std::to_string(n);
        m_stringIds.insert(id);
        pugi::xml_node string = AppendElement(table, "string");
        string.append_attribute("id").set_value(id.c_str());
        SetText(string, text);
        MirrorString(string);
        return StringReference(id);
    }

    void Refuse(const Text& why) {
        if (m_failed.empty())
            m_failed = why;
    }

    // ---- Strings -------------------------------------------------------------------------

    // The display language's string table from the model's: texts changed where they
    // differ, strings gone from the model removed, new ones added at the end.
    void SyncStrings() {
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

    // ---- Nodes ---------------------------------------------------------------------------

    void WalkTree(cTemplateTree& tree) {
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

    pugi::xml_node Container(const char* local) {
        return EnsureChild(m_admx.document_element(), local, kRootOrder);
    }

    // The element a node writes: its own copy when it came from this set and no other node
    // took it yet; else a new one, copied from the element of another set it came from.
    pugi::xml_node ElementFor(const cData& node, const char* container, const char* local,
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

    // A name no other element of the list has, from the node's own or its display text.
    std::string UniqueName(const cData& node, const Text& shown, pugi::xml_node element,
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

    // The reference from a node to the category it stands in; the one written is kept when
    // it still names the same category.
    void WriteParent(cTreeItem* item, pugi::xml_node element, Order order) {
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

    void Category(cTreeItem* item, cObjCategory& node) {
        // Each category node is a category of its own: a second node of one origin (a paste)
        // gets a copy of the element.
        pugi::xml_node element = ElementFor(node, "categories", "category", m_claimedCategories);
        m_categoryElements[&node] = element;

        const std::string name = element.attribute("name")
                                     ? std::string(element.attribute("name").value())
                                     : std::string();
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

    // The class a policy is written with: its record's, else the class node it stands under
    // (a policy brought from a template), else Machine.
    static Text ClassOf(const cTreeItem* item, const cObjPolicy& node) {
        if (node.admx && !node.admx->policyClass.empty())
            return node.admx->policyClass;
        for (const cTreeItem* up = item->parent; up; up = up->parent)
            if (const auto* cls = dynamic_cast<const cPolClass*>(up->node.get()))
                return KeywordEquals(cls->className, u"USER") ? u"User" : u"Machine";
        return u"Machine";
    }

    void Policy(cTreeItem* item, cObjPolicy& node) {
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
            WriteList(element, "enabledList", kPolicyOrder, node.actionListOn, node.keyName);
        if (node.actionListOff != read.actionListOff)
            WriteList(element, "disabledList", kPolicyOrder, node.actionListOff, node.keyName);
        Parts(node, element, origin && own ? origin->element : pugi::xml_node(), base);
    }

    // A policy's fields as its element gives them, the supported-on text shown through the
    // table as edited.
    void ReadPolicy(pugi::xml_node element, cPolicy& read) const {
        ReadPolicyFields(m_set, element, read);
        if (m_supportedOn && read.supportedFlag)
            read.supportedText = SupportedOnText(
                *m_supportedOn, m_set, Child(element, "supportedOn").attribute("ref").value());
    }

    // ---- Supported on --------------------------------------------------------------------
    // The table as edited: an entry read from the file keeps its element, with only the
    // attributes and the condition that differ written; entries gone are removed, new ones
    // appended. Containers left empty go.

    static constexpr std::string_view kSupportedOnOrder[] = {"products", "definitions"};

    // The copy of the original children of `local` under parent that no entry claims, removed.
    void RemoveUnclaimedEntries(pugi::xml_node original, std::string_view local,
                                const std::unordered_set<pugi::xml_node_struct*>& claimed) {
        for (pugi::xml_node e = original.first_child(); e; e = e.next_sibling())
            if (Is(e, local) && !claimed.count(e.internal_object()))
                if (pugi::xml_node copy = CopyOf(e))
                    RemoveElement(copy);
    }

    // The element of an entry: its copy, else a new one at the end of parent.
    pugi::xml_node EntryElement(pugi::xml_node parent, pugi::xml_node origin, const char* local,
                                std::unordered_set<pugi::xml_node_struct*>& claimed) {
        if (origin && claimed.insert(origin.internal_object()).second)
            if (pugi::xml_node copy = CopyOf(origin))
                return copy;
        return AppendElement(parent, local);
    }

    static void SetChanged(pugi::xml_node element, const char* name, const Text& value) {
        if (AttributeText(element, name) != value)
            SetAttribute(element, name, value);
    }

    static void RemoveIfEmpty(pugi::xml_node element) {
        if (!element)
            return;
        for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                return;
        RemoveElement(element);
    }

    void WriteVersions(pugi::xml_node parent, pugi::xml_node original, const char* local,
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

    void WriteCondition(pugi::xml_node element, const cSupportedOnDefinition& definition) {
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

    void WriteSupportedOn() {
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

    // ---- Parts ---------------------------------------------------------------------------

    struct cPartTags {
        const char* element;
        const char* control;
    };

    static cPartTags TagsOf(const cObjPolPart& part) {
        return VisitPart(part, cOverloaded{
                                   [](const cObjPolPartCheckBox&) {
                                       return cPartTags{"boolean", "checkBox"};
                                   },
                                   [](const cObjPolPartCombo&) {
                                       return cPartTags{"text", "comboBox"};
                                   },
                                   [](const cObjPolPartDropDown&) {
                                       return cPartTags{"enum", "dropdownList"};
                                   },
                                   [](const cObjPolPartEditText&) {
                                       return cPartTags{"text", "textBox"};
                                   },
                                   [](const cObjPolPartListBox&) {
                                       return cPartTags{"list", "listBox"};
                                   },
                                   [](const cObjPolPartNum&) {
                                       return cPartTags{"decimal", "decimalTextBox"};
                                   },
                                   [](const cObjPolPartText&) {
                                       return cPartTags{nullptr, "text"};
                                   },
                                   [](const cObjPolPartMultiText&) {
                                       return cPartTags{"multiText", "multiTextBox"};
                                   },
                                   [](const cObjPolPartLongNum&) {
                                       return cPartTags{"longDecimal", "longDecimalTextBox"};
                                   },
                               });
    }

    // The presentation the policy's controls stand in, made (and referred to) when needed.
    pugi::xml_node PresentationOf(pugi::xml_node policy, const std::string& base, bool make) {
        std::string_view id = PresentationId(policy.attribute("presentation").value());
        pugi::xml_node resources = Child(DisplayAdml().document_element(), "resources");
        pugi::xml_node table = Child(resources, "presentationTable");
        if (!id.empty())
            for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
                if (Is(p, "presentation") && p.attribute("id").value() == id)
                    return p;
        if (!make)
            return pugi::xml_node();
        if (!table)
            table = EnsureChild(EnsureChild(DisplayAdml().document_element(), "resources", Order{}),
                                "presentationTable", kAdmlResourcesOrder);
        std::string name = id.empty() ? base : std::string(id);
        pugi::xml_node presentation = AppendElement(table, "presentation");
        presentation.append_attribute("id").set_value(name.c_str());
        SetAttribute(policy, "presentation", u"$(presentation." + FromUtf8(name) + u")");
        for (size_t i = 0; i < m_adml.size(); ++i)
            if (i != m_set.display && !OtherPresentation(i, name))
                AppendElement(OtherTable(i, "presentationTable"), "presentation")
                    .append_attribute("id")
                    .set_value(name.c_str());
        return presentation;
    }

    void Parts(cObjPolicy& node, pugi::xml_node element, pugi::xml_node original,
               const std::string& base) {
        // What the policy held: its elements and controls, taken by the parts from it.
        std::unordered_set<pugi::xml_node_struct*> taken;
        pugi::xml_node presentation = PresentationOf(element, base, false);
        // A presentation shared with a policy written before keeps what that one wrote.
        const bool sharedPresentation =
            presentation && !m_claimedPresentations.insert(presentation.internal_object()).second;
        std::vector<pugi::xml_node> controls;
        std::unordered_set<std::string> ids;
        for (pugi::xml_node e = Child(element, "elements").first_child(); e; e = e.next_sibling())
            if (e.type() == pugi::node_element)
                ids.insert(e.attribute("id").value());

        for (const auto& part : node.Parts()) {
            const cAdmxOrigin* origin = OriginIn(*part, &m_set);
            // Its own element and control only when they are this policy's, once.
            bool mine =
                origin && original &&
                (origin->element ? origin->element.parent().parent() == original
                                 : origin->control.parent() == OriginalPresentation(original));
            pugi::xml_node partElement = mine ? CopyOf(origin->element) : pugi::xml_node();
            pugi::xml_node control = mine ? CopyOf(origin->control) : pugi::xml_node();
            if (mine &&
                !taken.insert((partElement ? partElement : control).internal_object()).second)
                mine = false, partElement = control = pugi::xml_node();
            const cPartTags tags = TagsOf(*part);
            if (!mine && tags.element) {
                const cAdmxOrigin* foreign =
                    part->admx && part->admx->origin
                        ? dynamic_cast<const cAdmxOrigin*>(part->admx->origin.get())
                        : nullptr;
                pugi::xml_node elements = EnsureChild(element, "elements", kPolicyOrder);
                partElement = foreign && foreign->element ? AppendCopy(elements, foreign->element)
                                                          : AppendElement(elements, tags.element);
                std::string id = part->admx && !part->admx->name.empty()
                                     ? ToUtf8(part->admx->name)
                                     : std::string(tags.element);
                std::string unique = id;
                for (int n = 2; ids.count(unique); ++n)
                    unique = id + "_" + std::to_string(n);
                ids.insert(unique);
                SetAttribute(partElement, "id", FromUtf8(unique));
                taken.insert(partElement.internal_object());
            }
            if (partElement && mine && part->admx &&
                ToUtf8(part->admx->name) != partElement.attribute("id").value()) {
                SetAttribute(partElement, "id", part->admx->name);
                if (control && !sharedPresentation)
                    MirrorRefId(control, part->admx->name);
                SetAttribute(control, "refId", part->admx->name, bool(control));
            }
            if (partElement && part->admx && CanBeSoftElement(partElement) &&
                part->admx->soft != AttributeFlag(partElement, "soft"))
                SetFlag(partElement, "soft", part->admx->soft);
            if (!control && !sharedPresentation) {
                // A part without a control shows its element's id; any other name needs one.
                bool needed = !tags.element || part->name != AttributeText(partElement, "id");
                if (needed) {
                    if (!presentation)
                        presentation = PresentationOf(element, base, true);
                    const cAdmxOrigin* from =
                        part->admx && part->admx->origin
                            ? dynamic_cast<const cAdmxOrigin*>(part->admx->origin.get())
                            : nullptr;
                    control = from && from->control && Is(from->control, tags.control)
                                  ? AppendCopy(presentation, from->control)
                                  : AppendElement(presentation, tags.control);
                    if (partElement)
                        SetAttribute(control, "refId", AttributeText(partElement, "id"));
                    m_newControls.push_back({presentation, control});
                }
            }
            if (control)
                controls.push_back(control);
            PartFields(*part, partElement, control, element, sharedPresentation);
        }
        // What no part took any more was deleted; elements the model does not know stay.
        if (original) {
            for (pugi::xml_node e = Child(original, "elements").first_child(); e;
                 e = e.next_sibling())
                if (IsModelledElement(e) && !taken.count(CopyOf(e).internal_object()))
                    RemoveElement(CopyOf(e));
            if (presentation && !sharedPresentation) {
                for (const cControlInfo& info :
                     PolicyControls(original, OriginalPresentation(original), nullptr)) {
                    if (!info.control || (info.element && !IsModelledElement(info.element)))
                        continue;
                    pugi::xml_node copy = CopyOf(info.control);
                    if (std::find(controls.begin(), controls.end(), copy) == controls.end()) {
                        MirrorRemoval(info.control);
                        RemoveElement(copy);
                    }
                }
            }
        }
        if (presentation && !sharedPresentation)
            Reorder(presentation, controls);
    }

    pugi::xml_node OriginalPresentation(pugi::xml_node policy) const {
        auto found = m_set.presentations.find(
            std::string(PresentationId(policy.attribute("presentation").value())));
        return found == m_set.presentations.end() ? pugi::xml_node() : found->second;
    }

    // Puts the controls in the order of the parts, where they stand otherwise.
    void Reorder(pugi::xml_node presentation, const std::vector<pugi::xml_node>& controls) {
        std::vector<pugi::xml_node> now;
        for (pugi::xml_node c = presentation.first_child(); c; c = c.next_sibling())
            if (std::find(controls.begin(), controls.end(), c) != controls.end())
                now.push_back(c);
        if (now == controls)
            return;
        for (size_t i = 1; i < controls.size(); ++i) {
            std::string blanks = BlanksBefore(controls[i]);
            if (IsBlankText(controls[i].previous_sibling()))
                presentation.remove_child(controls[i].previous_sibling());
            presentation.insert_move_after(controls[i], controls[i - 1]);
            if (!blanks.empty())
                presentation.insert_child_before(pugi::node_pcdata, controls[i])
                    .set_value(blanks.c_str());
        }
    }

    void PartFields(const cObjPolPart& part, pugi::xml_node element, pugi::xml_node control,
                    pugi::xml_node policy, bool sharedPresentation) {
        std::unique_ptr<cObjPolPart> read = ReadPart({control, element}, policy, nullptr);
        if (!read || read->PanelKind() != part.PanelKind()) {
            Refuse(
                FormatText(u"The part \"%.50s\" cannot be written to an ADMX file: its "
                           u"element is of another kind.",
                           {ResolveAdmxText(m_content.strings, part.name)}));
            return;
        }
        if (control && !sharedPresentation && part.name != read->name) {
            if (Is(control, "textBox") || Is(control, "comboBox"))
                SetText(
                    EnsureChild(control, "label",
                                Is(control, "textBox") ? Order(kTextBoxOrder) : Order(kComboOrder)),
                    part.name);
            else
                SetText(control, part.name);
        }
        if (!element)
            return;
        if (part.useDefaultKey != read->useDefaultKey || part.keyName != read->keyName)
            SetAttribute(element, "key", part.keyName, part.useDefaultKey == 0);
        if (UsesValueName(part) && part.valueName != read->valueName)
            SetAttribute(element, "valueName", part.valueName);
        const Text ownerKey = part.useDefaultKey ? AttributeText(policy, "key") : part.keyName;
        const bool controlFields = control && !sharedPresentation;
        auto optional = [&](pugi::xml_node node, const char* name, int flag, int readFlag,
                            const Text& text, const Text& readText) {
            if (flag != readFlag || (flag && text != readText))
                SetAttribute(node, name, text, flag != 0);
        };
        auto flag = [&](pugi::xml_node node, const char* name, int value, int readValue) {
            if ((value != 0) != (readValue != 0))
                SetFlag(node, name, value);
        };
        VisitPart(part, [&](const auto& kind) {
            using Kind = std::remove_cvref_t<decltype(kind)>;
            const Kind& was = static_cast<const Kind&>(*read);
            if constexpr (std::is_same_v<Kind, cObjPolPartCheckBox>) {
                if (kind.valueOn != was.valueOn)
                    WriteOptionalValue(element, "trueValue", kBooleanOrder, kind.valueOn);
                if (kind.valueOff != was.valueOff)
                    WriteOptionalValue(element, "falseValue", kBooleanOrder, kind.valueOff);
                if (kind.actionListOn != was.actionListOn)
                    WriteList(element, "trueList", kBooleanOrder, kind.actionListOn, ownerKey);
                if (kind.actionListOff != was.actionListOff)
                    WriteList(element, "falseList", kBooleanOrder, kind.actionListOff, ownerKey);
                if (controlFields)
                    flag(control, "defaultChecked", kind.defChecked, was.defChecked);
            } else if constexpr (std::is_same_v<Kind, cObjPolPartNum> ||
                                 std::is_same_v<Kind, cObjPolPartLongNum>) {
                flag(element, "required", kind.required, was.required);
                optional(element, "minValue", kind.minFlag, was.minFlag, kind.min, was.min);
                optional(element, "maxValue", kind.maxFlag, was.maxFlag, kind.max, was.max);
                flag(element, "storeAsText", kind.txtConvert, was.txtConvert);
                if (controlFields) {
                    optional(control, "defaultValue", kind.defaultFlag, was.defaultFlag,
                             kind.defaultValue, was.defaultValue);
                    if (kind.spinFlag != was.spinFlag || kind.spin != was.spin) {
                        control.remove_attribute("spin");
                        control.remove_attribute("spinStep");
                        if (kind.spinFlag && kind.spin == u"0")
                            SetAttribute(control, "spin", u"false");
                        else if (kind.spinFlag)
                            SetAttribute(control, "spinStep", kind.spin);
                    }
                }
            } else if constexpr (std::is_same_v<Kind, cObjPolPartEditText> ||
                                 std::is_same_v<Kind, cObjPolPartCombo>) {
                flag(element, "required", kind.required, was.required);
                optional(element, "maxLength", kind.maxLenFlag, was.maxLenFlag, kind.maxLen,
                         was.maxLen);
                flag(element, "expandable", kind.expandableText, was.expandableText);
                if (kind.oemConvert)
                    Refuse(
                        FormatText(u"The part \"%.50s\" converts to OEM characters, which an "
                                   u"ADMX file cannot hold. Clear the OEM conversion.",
                                   {ResolveAdmxText(m_content.strings, kind.name)}));
                if (!controlFields)
                    return;
                const bool combo = std::is_same_v<Kind, cObjPolPartCombo>;
                const char* defaultTag = combo ? "default" : "defaultValue";
                const Order order = combo ? Order(kComboOrder) : Order(kTextBoxOrder);
                if (kind.defaultFlag != was.defaultFlag ||
                    (kind.defaultFlag && kind.defaultText != was.defaultText)) {
                    if (kind.defaultFlag)
                        SetText(EnsureChild(control, defaultTag, order), kind.defaultText);
                    else
                        RemoveChild(control, defaultTag);
                }
                if constexpr (std::is_same_v<Kind, cObjPolPartCombo>) {
                    flag(control, "noSort", kind.noSort, was.noSort);
                    if (kind.suggestions != was.suggestions) {
                        while (pugi::xml_node s = Child(control, "suggestion"))
                            RemoveElement(s);
                        for (const cSuggestion& suggestion : kind.suggestions)
                            SetText(AppendElement(control, "suggestion"), suggestion.text);
                    }
                }
            } else if constexpr (std::is_same_v<Kind, cObjPolPartMultiText>) {
                flag(element, "required", kind.required, was.required);
                optional(element, "maxLength", kind.maxLenFlag, was.maxLenFlag, kind.maxLen,
                         was.maxLen);
                optional(element, "maxStrings", kind.maxStringsFlag, was.maxStringsFlag,
                         kind.maxStrings, was.maxStrings);
                if (controlFields)
                    optional(control, "defaultHeight", kind.defaultHeightFlag,
                             was.defaultHeightFlag, kind.defaultHeight, was.defaultHeight);
            } else if constexpr (std::is_same_v<Kind, cObjPolPartDropDown>) {
                flag(element, "required", kind.required, was.required);
                Items(kind, was, element, ownerKey);
                if (controlFields) {
                    flag(control, "noSort", kind.noSort, was.noSort);
                    auto isDefault = [](const cItemList& item) { return item.defaultFlag != 0; };
                    auto now = std::find_if(kind.itemList.begin(), kind.itemList.end(), isDefault);
                    auto before = std::find_if(was.itemList.begin(), was.itemList.end(), isDefault);
                    long index =
                        now == kind.itemList.end() ? -1 : long(now - kind.itemList.begin());
                    long readIndex =
                        before == was.itemList.end() ? -1 : long(before - was.itemList.begin());
                    if (index != readIndex)
                        SetAttribute(control, "defaultItem", FormatText(u"%d", {index}),
                                     index >= 0);
                }
            } else if constexpr (std::is_same_v<Kind, cObjPolPartListBox>) {
                optional(element, "valuePrefix", kind.valuePrefixFlag, was.valuePrefixFlag,
                         kind.valuePrefix, was.valuePrefix);
                flag(element, "additive", kind.additive, was.additive);
                flag(element, "explicitValue", kind.explicitValue, was.explicitValue);
            }
        });
    }

    // An enum's items: each one changed where it differs; the whole list again when items
    // were added or removed.
    void Items(const cObjPolPartDropDown& now, const cObjPolPartDropDown& was,
               pugi::xml_node element, const Text& ownerKey) {
        std::vector<pugi::xml_node> items;
        for (pugi::xml_node item = element.first_child(); item; item = item.next_sibling())
            if (Is(item, "item"))
                items.push_back(item);
        const std::string base = element.attribute("id").value();
        if (now.itemList.size() != was.itemList.size()) {
            for (pugi::xml_node item : items)
                RemoveElement(item);
            items.clear();
            for (size_t i = 0; i < now.itemList.size(); ++i) {
                pugi::xml_node item = AppendElement(element, "item");
                item.append_child("value");
                items.push_back(item);
            }
        }
        for (size_t i = 0; i < now.itemList.size(); ++i) {
            const cItemList& item = now.itemList[i];
            const bool fresh = now.itemList.size() != was.itemList.size();
            const cItemList* before = fresh ? nullptr : &was.itemList[i];
            pugi::xml_node node = items[i];
            if (!before || item.name != before->name)
                SetAttribute(node, "displayName",
                             StringFor(item.name, base + "_" + std::to_string(i + 1)));
            if (!before || !(item.value == before->value))
                WriteValue(EnsureChild(node, "value", kItemOrder), item.value);
            if (!before || item.actionList != before->actionList)
                WriteList(node, "valueList", kItemOrder, item.actionList, ownerKey);
        }
    }

    // Elements of the set that no node took any more were deleted.
    void RemoveUnclaimed() {
        pugi::xml_node root = m_set.admx.Root();
        for (auto [list, kind, claimed] :
             {std::tuple{"categories", "category", &m_claimedCategories},
              std::tuple{"policies", "policy", &m_claimedPolicies}})
            for (pugi::xml_node e = Child(root, list).first_child(); e; e = e.next_sibling())
                if (Is(e, kind) && !claimed->count(e.internal_object()))
                    RemoveElement(CopyOf(e));
    }

    // ---- The other languages ---------------------------------------------------------------
    // What the display language gains or loses in ids the others follow, untranslated, so
    // that the policy editor can still show every language.

    pugi::xml_node OtherTable(size_t language, const char* local) {
        pugi::xml_node root = m_adml[language]->document_element();
        return EnsureChild(EnsureChild(root, "resources", Order{}), local, kAdmlResourcesOrder);
    }

    pugi::xml_node OtherPresentation(size_t language, std::string_view id) {
        pugi::xml_node table =
            Child(Child(m_adml[language]->document_element(), "resources"), "presentationTable");
        for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
            if (Is(p, "presentation") && p.attribute("id").value() == id)
                return p;
        return pugi::xml_node();
    }

    void MirrorString(pugi::xml_node string) {
        const std::string id = string.attribute("id").value();
        for (size_t i = 0; i < m_adml.size(); ++i) {
            if (i == m_set.display)
                continue;
            pugi::xml_node table = OtherTable(i, "stringTable");
            bool present = false;
            for (pugi::xml_node s = table.first_child(); s && !present; s = s.next_sibling())
                present = Is(s, "string") && s.attribute("id").value() == id;
            if (!present)
                AppendCopy(table, string);
        }
    }

    // The controls made for new parts, once their fields are written.
    void MirrorControls() {
        for (const auto& [presentation, control] : m_newControls) {
            const std::string id = presentation.attribute("id").value();
            for (size_t i = 0; i < m_adml.size(); ++i)
                if (i != m_set.display)
                    if (pugi::xml_node other = OtherPresentation(i, id))
                        AppendCopy(other, control);
        }
    }

    // The control of the other languages that stands for a control of the display language:
    // the one of the same refId, a static text by its place among the static texts.
    void MirrorRemoval(pugi::xml_node control) {
        pugi::xml_node presentation = control.parent();
        const std::string id = presentation.attribute("id").value();
        const std::string refId = control.attribute("refId").value();
        size_t ordinal = 0;
        for (pugi::xml_node c = presentation.first_child(); c != control; c = c.next_sibling())
            ordinal += Is(c, "text");
        for (size_t i = 0; i < m_adml.size(); ++i) {
            pugi::xml_node other = i == m_set.display ? pugi::xml_node() : OtherPresentation(i, id);
            size_t texts = 0;
            for (pugi::xml_node c = other.first_child(); c; c = c.next_sibling()) {
                bool same = Is(control, "text")
                                ? Is(c, "text") && texts++ == ordinal
                                : !refId.empty() && refId == c.attribute("refId").value();
                if (same) {
                    RemoveElement(c);
                    break;
                }
            }
        }
    }

    // ---- Translations ---------------------------------------------------------------------
    // The other languages' tables as edited: a text that differs from its ADML's is set, an
    // id the ADML lacks (and the display language has) is added at the end of its string
    // table. A table of a language the set has no ADML for becomes a new ADML: a copy of the
    // display language's as written, with the table's texts.

    static std::unordered_map<std::string, pugi::xml_node> StringsById(pugi::xml_node root) {
        std::unordered_map<std::string, pugi::xml_node> ids;
        pugi::xml_node table = Child(Child(root, "resources"), "stringTable");
        for (pugi::xml_node s = table.first_child(); s; s = s.next_sibling())
            if (Is(s, "string"))
                ids.try_emplace(s.attribute("id").value(), s);
        return ids;
    }

    static std::unordered_map<std::string, pugi::xml_node> PresentationsById(pugi::xml_node root) {
        std::unordered_map<std::string, pugi::xml_node> ids;
        pugi::xml_node table = Child(Child(root, "resources"), "presentationTable");
        for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
            if (Is(p, "presentation"))
                ids.try_emplace(p.attribute("id").value(), p);
        return ids;
    }

    // A presentation's control texts, a line each in order (a control's label, else its own
    // text): lines beyond the controls go to the last one, controls beyond the lines keep
    // theirs. A presentation the language lacks is the display language's with these texts.
    void SyncPresentation(pugi::xml_node root, const std::string& id, const Text& texts,
                          const std::unordered_map<std::string, pugi::xml_node>& own,
                          const std::unordered_map<std::string, pugi::xml_node>& display) {
        pugi::xml_node presentation;
        if (auto found = own.find(id); found != own.end()) {
            presentation = found->second;
        } else if (auto source = display.find(id); source != display.end()) {
            pugi::xml_node table = EnsureChild(EnsureChild(root, "resources", Order{}),
                                               "presentationTable", kAdmlResourcesOrder);
            presentation = AppendCopy(table, source->second);
        } else {
            return;
        }
        std::vector<pugi::xml_node> controls;
        for (pugi::xml_node c = presentation.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                controls.push_back(c);
        size_t start = 0;
        for (size_t i = 0; i < controls.size() && start <= texts.size(); ++i) {
            size_t end = i + 1 == controls.size() ? texts.size() : texts.find(u'\n', start);
            if (end == Text::npos)
                end = texts.size();
            pugi::xml_node label = Child(controls[i], "label");
            pugi::xml_node holder = label ? label : controls[i];
            const Text line = texts.substr(start, end - start);
            if (ElementText(holder) != line)
                ReplaceText(holder, line);
            start = end + 1;
        }
    }

    void SyncLanguages() {
        if (!m_languages)
            return;
        const auto display = StringsById(DisplayAdml().document_element());
        const auto presentations = PresentationsById(DisplayAdml().document_element());
        for (const cLanguageTable& table : *m_languages) {
            size_t index = 0;
            while (index < m_set.languages.size() &&
                   !KeywordEquals(m_set.languages[index]->folder, table.language))
                ++index;
            if (index == m_set.display)
                continue;
            pugi::xml_document* adml = nullptr;
            if (index < m_set.languages.size()) {
                adml = m_adml[index].get();
            } else {
                auto made = std::make_unique<pugi::xml_document>();
                made->reset(DisplayAdml());
                adml = made.get();
                m_newLanguages.push_back({table.language, std::move(made)});
            }
            pugi::xml_node root = adml->document_element();
            auto own = StringsById(root);
            auto ownPresentations = PresentationsById(root);
            pugi::xml_node holder;
            for (const auto& [name, text] : table.strings.Entries()) {
                const std::string id = ToUtf8(name);
                if (std::string_view presentation = PresentationId(id); !presentation.empty()) {
                    SyncPresentation(root, std::string(presentation), text, ownPresentations,
                                     presentations);
                    continue;
                }
                if (auto found = own.find(id); found != own.end()) {
                    if (ElementText(found->second) != text)
                        ReplaceText(found->second, text);
                    continue;
                }
                auto source = display.find(id);
                if (source == display.end())
                    continue;
                if (!holder)
                    holder = EnsureChild(EnsureChild(root, "resources", Order{}), "stringTable",
                                         kAdmlResourcesOrder);
                SetText(AppendCopy(holder, source->second), text);
            }
        }
    }

    // A renamed element: the controls of the other languages that refer to it follow, or
    // they would refer to nothing. Before the display language's control takes the name.
    void MirrorRefId(pugi::xml_node control, const Text& name) {
        const std::string id = control.parent().attribute("id").value();
        const std::string refId = control.attribute("refId").value();
        for (size_t i = 0; i < m_adml.size(); ++i) {
            pugi::xml_node other = i == m_set.display ? pugi::xml_node() : OtherPresentation(i, id);
            for (pugi::xml_node c = other.first_child(); c; c = c.next_sibling())
                if (!refId.empty() && refId == c.attribute("refId").value()) {
                    SetAttribute(c, "refId", name);
                    break;
                }
        }
    }

    // ---- Namespaces and revisions ----------------------------------------------------------
    // The values of the Template properties dialog, written last, over everything the nodes
    // wrote: a reference made with the file's own prefix follows a new prefix, a prefix that
    // leaves the using list while references still use it refuses the save, and a language
    // file whose revision was the ADMX file's follows its new revision.

    void WriteTemplateProps() {
        if (!m_props || !m_failed.empty())
            return;
        const cAdmxTemplateProps& props = *m_props;
        const cAdmxTemplateProps read = TemplatePropsOf(m_set);
        pugi::xml_node root = m_admx.document_element();
        pugi::xml_node namespaces = EnsureChild(root, "policyNamespaces", kRootOrder);

        const auto uses = ReferencePrefixes(m_admx);
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
            if (SameAdmxRevision(resourcesRoot.attribute("revision").value(),
                                 ToUtf8(read.revision)))
                SetAttribute(resourcesRoot, "revision", props.revision);
        }
    }

    // "from:name" becomes "to:name" in every reference.
    static void RenamePrefix(pugi::xml_node root, const std::string& from, const std::string& to) {
        const std::string head = from + ":";
        ForEachElement(root, [&](pugi::xml_node node) {
            if (pugi::xml_attribute ref = node.attribute("ref");
                ref && std::string_view(ref.value()).starts_with(head))
                ref.set_value((to + ":" + (ref.value() + head.size())).c_str());
        });
    }

    const cTemplateContent& m_content;
    const cAdmxSet& m_set;
    const std::vector<cLanguageTable>* m_languages;
    const cSupportedOnTable* m_supportedOn;  // none: the element stays as read
    const cAdmxTemplateProps* m_props;
    std::vector<cNewLanguage> m_newLanguages;
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> m_newControls;
    Text m_failed;
    pugi::xml_document m_admx;
    std::vector<std::unique_ptr<pugi::xml_document>> m_adml;
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> m_copies;
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> m_originals;
    std::unordered_set<std::string> m_stringIds;
    std::unordered_set<pugi::xml_node_struct*> m_claimedCategories;
    std::unordered_set<pugi::xml_node_struct*> m_claimedPolicies;
    std::unordered_set<pugi::xml_node_struct*> m_claimedPresentations;
    std::unordered_map<const cData*, pugi::xml_node> m_categoryElements;
    std::unordered_set<std::string> m_categoryNames;
    std::unordered_set<std::string> m_policyNames;
};

}  // namespace

namespace {

// A file of the set as it was read: its bytes and its text. The first save takes them from
// the file, while it still holds what was read, and the file's document keeps them for the
// saves after it; both empty when they are not to be had.
struct cOnDisk {
    std::string bytes;
    std::string text;
};

cOnDisk OnDisk(const cXmlFile& read, const Text& readPath) {
    cOnDisk file;
    if (!read.Kept()) {
        std::string bytes;
        int err = 0;
        if (!ReadWholeFile(ToUtf8(readPath), bytes, err) || !read.Keep(bytes))
            return file;
    }
    if (read.KeptText(file.text))
        file.bytes = *read.Kept();
    else
        file.text.clear();
    return file;
}

// A document the write left as it was is saved as the bytes it was read from: the serializer
// gives the same document, but not every byte of its markup (blanks inside a tag, the quotes
// of attributes), and a save must not touch the files of what did not change.
void KeepUnchanged(const cXmlFile& read, cOnDisk& onDisk, cFileOutput& file) {
    if (onDisk.text.empty())
        return;
    std::string asRead;
    Text problem;
    const cXmlSource source{read, onDisk.text, {}};
    if (SaveXml(read.Document(), read.Form(), asRead, problem, &source) && asRead == file.bytes)
        file.bytes = std::move(onDisk.bytes);
}

}  // namespace

std::map<std::string, cPrefixUses> AdmxReferencePrefixes(const cTemplateContent& content) {
    const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
    cTemplateTree* tree = content.tree();
    if (!state || !state->set || !tree)
        return {};
    cSetWriter writer(content, *state);
    // A write refused on the way leaves the elements it did not reach as they were read,
    // references and all.
    writer.Run(*tree);
    return ReferencePrefixes(writer.Admx());
}

bool WriteAdmxSet(const cTemplateContent& content, const Text& path,
                  std::vector<cFileOutput>& files, Text* problem) {
    const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
    cTemplateTree* tree = content.tree();
    if (!state || !state->set || !tree) {
        Text why =
            u"Only a set read from an ADMX file can be written as one; export the "
            u"template to ADMX instead.";
        if (problem)
            *problem = why;
        else
            ShowMessage(kSeverityError, u"%s", {why});
        return false;
    }
    const cAdmxSet& set = *state->set;
    cSetWriter writer(content, *state);
    bool ok = writer.Run(*tree);
    std::vector<cFileOutput> out;
    Text why = writer.Failure();
    if (ok) {
        const fs::path target(ToUtf8(path));
        const std::string name = target.stem().string();
        // Texts and comments the write left as they were keep their characters (a check
        // writes nothing and needs no files).
        auto original = [&writer](pugi::xml_node node) { return writer.OriginalOf(node); };
        cFileOutput admx{path, {}};
        cOnDisk admxOnDisk = problem ? cOnDisk() : OnDisk(set.admx, set.path);
        const cXmlSource admxSource{set.admx, admxOnDisk.text, original};
        ok = SaveXml(writer.Admx(), set.admx.Form(), admx.bytes, why, &admxSource);
        if (!ok)
            why = set.path + u": " + why;
        else if (!problem)
            KeepUnchanged(set.admx, admxOnDisk, admx);
        out.push_back(std::move(admx));
        for (size_t i = 0; ok && i < set.languages.size(); ++i) {
            const cAdmlFile& adml = *set.languages[i];
            cFileOutput file;
            file.path =
                FromUtf8((target.parent_path() / ToUtf8(adml.folder) / (name + ".adml")).string());
            cOnDisk onDisk = problem ? cOnDisk() : OnDisk(adml.xml, adml.path);
            const cXmlSource source{adml.xml, onDisk.text, original};
            ok = SaveXml(writer.Adml(i), adml.xml.Form(), file.bytes, why, &source);
            if (!ok)
                why = adml.path + u": " + why;
            else if (!problem)
                KeepUnchanged(adml.xml, onDisk, file);
            out.push_back(std::move(file));
        }
        for (const auto& added : writer.NewLanguages()) {
            if (!ok)
                break;
            cFileOutput file;
            file.path =
                FromUtf8((target.parent_path() / ToUtf8(added.folder) / (name + ".adml")).string());
            ok = SaveXml(*added.adml, set.Display().xml.Form(), file.bytes, why);
            if (!ok)
                why = file.path + u": " + why;
            out.push_back(std::move(file));
        }
    }
    if (problem) {
        *problem = ok ? Text() : why;
        return ok;
    }
    if (!ok) {
        ShowMessage(kSeverityError, u"%s", {why});
        return false;
    }
    for (cFileOutput& file : out)
        files.push_back(std::move(file));
    return true;
}
