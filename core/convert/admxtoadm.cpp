#include "core/convert/admxtoadm.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxset.h"
#include "core/model/partkinds.h"

namespace {

using Names = std::initializer_list<std::string_view>;

// What the template has a keyword for, by element: attributes, then child elements.
struct cKnown {
    std::string_view element;
    Names attributes;
    Names children;
};

const cKnown kKnown[] = {
    {"policy",
     {"name", "class", "displayName", "explainText", "presentation", "key", "valueName",
      "clientExtension"},
     {"parentCategory", "supportedOn", "enabledValue", "disabledValue", "enabledList",
      "disabledList", "elements"}},
    {"category", {"name", "displayName", "explainText"}, {"parentCategory"}},
    {"boolean", {"id", "key", "valueName"}, {"trueValue", "falseValue", "trueList", "falseList"}},
    {"decimal", {"id", "key", "valueName", "required", "minValue", "maxValue", "storeAsText"}, {}},
    {"longDecimal",
     {"id", "key", "valueName", "required", "minValue", "maxValue", "storeAsText"},
     {}},
    {"text", {"id", "key", "valueName", "required", "maxLength", "expandable"}, {}},
    {"multiText", {"id", "key", "valueName", "required", "maxLength"}, {}},
    {"enum", {"id", "key", "valueName", "required"}, {"item"}},
    {"list", {"id", "key", "valuePrefix", "additive", "explicitValue"}, {}},
    {"checkBox", {"refId", "defaultChecked"}, {}},
    {"textBox", {"refId"}, {"label", "defaultValue"}},
    {"decimalTextBox", {"refId", "defaultValue", "spin", "spinStep"}, {}},
    {"longDecimalTextBox", {"refId", "defaultValue", "spin", "spinStep"}, {}},
    {"multiTextBox", {"refId"}, {}},
    {"comboBox", {"refId", "noSort"}, {"label", "default", "suggestion"}},
    {"dropdownList", {"refId", "noSort", "defaultItem"}, {}},
    {"listBox", {"refId"}, {}},
    {"text", {}, {}},
};

bool Among(Names names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

Text Quoted(TextView text) {
    return u"\"" + Text(text) + u"\"";
}

// A display text as a template holds it: line breaks as "\n", which is how templates
// write them and what their texts show as a line break.
Text AdmLineBreaks(const Text& text) {
    Text adm;
    adm.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\n')
            adm += u"\\n";
        else if (c != u'\r')
            adm.push_back(c);
    }
    return adm;
}

// "$(string.ID)" as "!!ID"; any other text as it is, its line breaks as "\n".
Text AdmReference(const Text& text) {
    std::string_view id;
    std::string utf8 = ToUtf8(text);
    id = StringId(utf8);
    return id.empty() ? AdmLineBreaks(text) : u"!!" + FromUtf8(id);
}

enum : int { kMachine = 0, kUser = 1 };
enum : int { kMachineBit = 1, kUserBit = 2 };

// The classes of a policy: its record's class, else the class node it stands under.
int ClassBits(const cTreeItem* item) {
    const auto& policy = static_cast<const cObjPolicy&>(*item->node);
    if (policy.admx && !policy.admx->policyClass.empty()) {
        const Text& cls = policy.admx->policyClass;
        return cls == u"Both" ? kMachineBit | kUserBit : cls == u"User" ? kUserBit : kMachineBit;
    }
    for (const cTreeItem* up = item->parent; up; up = up->parent)
        if (up->node && up->node->kind == kKindClass)
            return KeywordEquals(static_cast<const cPolClass&>(*up->node).className, u"USER")
                       ? kUserBit
                       : kMachineBit;
    return kMachineBit;
}

class cLowering {
public:
    cLowering(const cTemplateTree& from, const cStringMap& fromStrings, cTemplateTree& tree,
              cStringMap& strings, std::vector<cConversionNote>& notes)
        : m_from(from),
          m_fromStrings(fromStrings),
          m_tree(tree),
          m_strings(strings),
          m_notes(notes) {}

    void Run() {
        Strings();
        DocumentNotes();
        // The classes of the policies each category holds: it stands under each of them
        // (under MACHINE when it holds none), as a template's categories do.
        std::unordered_map<const cTreeItem*, int> holds;
        m_from.ForEachPreOrder([&](cTreeItem* item) {
            if (!item->node || item->node->kind != kKindPolicy)
                return;
            const int bits = ClassBits(item);
            for (const cTreeItem* up = item->parent; up && up->node; up = up->parent)
                holds[up] |= bits;
        });
        m_from.ForEachPreOrder([&](cTreeItem* item) {
            const cData* node = item->node.get();
            if (!node)
                return;
            if (node->kind == kKindCategory) {
                auto found = holds.find(item);
                const int bits = found == holds.end() ? 0 : found->second;
                if ((bits & kMachineBit) || !bits)
                    Chain(item, kMachine);
                if (bits & kUserBit)
                    Chain(item, kUser);
            } else if (node->kind == kKindPolicy) {
                const auto& policy = static_cast<const cObjPolicy&>(*node);
                const int bits = ClassBits(item);
                if (bits & kMachineBit)
                    m_tree.InsertLast(Parent(item, policy, kMachine), Text(), kImagePage,
                                      Policy(policy, true));
                if (bits & kUserBit)
                    m_tree.InsertLast(Parent(item, policy, kUser), Text(), kImagePage,
                                      Policy(policy, !(bits & kMachineBit)));
            }
        });
        std::stable_sort(
            m_notes.begin(), m_notes.end(),
            [](const cConversionNote& a, const cConversionNote& b) { return a.line < b.line; });
    }

private:
    void Note(int line, Text what) {
        if (!m_quiet)
            m_notes.push_back({line, std::move(what)});
    }

    void Strings() {
        static constexpr TextView kKeywords[] = {u"CLASS", u"CATEGORY", u"#if", u"#IFDEF"};
        for (const auto& [id, text] : m_fromStrings.Entries()) {
            Text adm = AdmLineBreaks(text);
            for (TextView keyword : kKeywords)
                if (KeywordEquals(adm, keyword)) {
                    // The template would read it as the keyword.
                    adm += u" ";
                    Note(0, u"the text of string " + id + u" is the keyword " + Text(keyword) +
                                u"; it is written with a blank after it");
                }
            m_strings.Set(id, std::move(adm));
        }
    }

    const cAdmxSet* SetOf(const cData& node) const {
        if (!node.admx || !node.admx->origin)
            return nullptr;
        const auto* origin = dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get());
        return origin ? origin->set.get() : nullptr;
    }

    static const cAdmxOrigin* Origin(const cData& node) {
        if (!node.admx || !node.admx->origin)
            return nullptr;
        return dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get());
    }

    // What the whole file holds that no template can: found through any node's set.
    void DocumentNotes() {
        const cAdmxSet* set = nullptr;
        m_from.ForEachPreOrder([&](cTreeItem* item) {
            if (!set && item->node)
                set = SetOf(*item->node);
        });
        if (!set)
            return;
        const cXmlFile& admx = set->admx;
        for (pugi::xml_node child = admx.Root().first_child(); child;
             child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            std::string_view local = LocalName(child.name());
            if (!Among({"policyNamespaces", "resources", "supportedOn", "categories", "policies"},
                       local))
                Note(admx.LineOf(child), FromUtf8(local) + u" of the ADMX file");
        }
        pugi::xml_node supported = Child(admx.Root(), "supportedOn");
        if (pugi::xml_node products = Child(supported, "products"))
            Note(admx.LineOf(products),
                 u"the products of supportedOn: a template's SUPPORTED is a text");
        for (pugi::xml_node d = Child(supported, "definitions").first_child(); d;
             d = d.next_sibling())
            if (Is(d, "definition") && (Child(d, "or") || Child(d, "and")))
                Note(admx.LineOf(d), u"the products and versions of supportedOn definition " +
                                         AttributeText(d, "name") + u"; its display name is kept");
    }

    // Attributes and child elements of element that the template has no keyword for, at
    // their own lines when the element is the ADMX file's (file given), else at line.
    void Unmodelled(pugi::xml_node element, const Text& owner, int line,
                    const cXmlFile* file = nullptr) {
        if (!element)
            return;
        std::string_view local = LocalName(element.name());
        // A static text of a presentation is the last "text" of the table.
        const bool control = Is(element.parent(), "presentation");
        const cKnown* known = nullptr;
        for (const cKnown& k : kKnown) {
            if (k.element != local)
                continue;
            known = &k;
            if (!control)
                break;
        }
        if (!known)
            return;
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
            std::string_view name = a.name();
            if (name.substr(0, 5) == "xmlns" || Among(known->attributes, name))
                continue;
            Note(file ? file->LineOf(a) : line, u"the attribute " + FromUtf8(name) + u"=" +
                                                    Quoted(FromUtf8(a.value())) + u" of " + owner);
        }
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element &&
                !Among(known->children, LocalName(child.name())))
                Note(file ? file->LineOf(child) : line,
                     FromUtf8(LocalName(child.name())) + u" of " + owner);
    }

    cTreeItem* ClassItem(int cls) {
        cTreeItem*& item = m_classes[cls];
        if (!item) {
            auto node = std::make_unique<cObjClass>();
            node->className = cls == kUser ? u"USER" : u"MACHINE";
            Text label = node->className;
            item = cls == kUser
                       ? m_tree.InsertLast(nullptr, label, kImageClosedBook, std::move(node))
                       : m_tree.InsertFirst(nullptr, label, kImageClosedBook, std::move(node));
        }
        return item;
    }

    // The template's category for the model's item (a category, or a class for a policy of
    // another file's category) under the class, made with the categories above it.
    cTreeItem* Chain(const cTreeItem* item, int cls) {
        std::vector<const cTreeItem*> categories;
        for (const cTreeItem* at = item; at && at->node && at->node->kind == kKindCategory;
             at = at->parent)
            categories.push_back(at);
        std::reverse(categories.begin(), categories.end());
        cTreeItem* parent = ClassItem(cls);
        for (const cTreeItem* at : categories) {
            const auto& category = static_cast<const cObjCategory&>(*at->node);
            const cAdmxOrigin* origin = Origin(category);
            const void* key = origin ? static_cast<const void*>(origin->element.internal_object())
                                     : static_cast<const void*>(&category);
            cTreeItem*& made = m_categories[cls][key];
            if (!made)
                made = InsertCategory(parent, Category(category));
            parent = made;
        }
        return parent;
    }

    std::unique_ptr<cObjCategory> Category(const cObjCategory& from) {
        auto node = std::make_unique<cObjCategory>();
        node->name = AdmReference(from.name);
        node->explainFlag = from.explainFlag;
        node->explainText = AdmReference(from.explainText);
        const cAdmxOrigin* origin = Origin(from);
        if (origin && m_notedCategories.insert(origin->element.internal_object()).second) {
            const Text owner = u"category " + from.admx->name;
            Unmodelled(origin->element, owner, from.line, &origin->set->admx);
            std::string name;
            pugi::xml_node parent = Child(origin->element, "parentCategory");
            if (parent && origin->set->Resolve(parent.attribute("ref").value(), name) !=
                              cAdmxSet::cPlace::Here)
                Note(from.line, u"the parent category " + AttributeText(parent, "ref") + u" of " +
                                    owner +
                                    u", which another file defines; the category is "
                                    u"written at the top of its class");
        }
        return node;
    }

    cTreeItem* Parent(const cTreeItem* item, const cObjPolicy& policy, int cls) {
        const cData* parent = item->parent ? item->parent->node.get() : nullptr;
        return parent && parent->kind == kKindCategory ? Chain(item->parent, cls)
                                                       : ForeignCategory(policy, cls);
    }

    // After the categories the parent holds, before its policies.
    cTreeItem* InsertCategory(cTreeItem* parent, std::unique_ptr<cObjCategory> node) {
        cTreeItem* after = nullptr;
        for (const auto& child : parent->children)
            if (child->node && child->node->kind == kKindCategory)
                after = child.get();
        return after ? m_tree.InsertAfter(parent, after, Text(), kImageClosedBook, std::move(node))
                     : m_tree.InsertFirst(parent, Text(), kImageClosedBook, std::move(node));
    }

    // The category of another file a policy stands in directly under its class.
    cTreeItem* ForeignCategory(const cObjPolicy& policy, int cls) {
        const cAdmxOrigin* origin = Origin(policy);
        Text reference =
            origin ? AttributeText(Child(origin->element, "parentCategory"), "ref") : Text();
        if (reference.empty())
            reference = u"(no category)";
        cTreeItem*& made = m_foreign[cls][reference];
        if (!made) {
            auto node = std::make_unique<cObjCategory>();
            node->name = reference;
            made = InsertCategory(ClassItem(cls), std::move(node));
            Note(policy.line, u"the category " + reference +
                                  u", which another file defines: its policies stand in a "
                                  u"category of that name");
        }
        return made;
    }

    // A text the template writes in quotes, which cannot hold a double quote or a line break.
    void Quotable(Text& text, const Text& what, int line) {
        bool changed = false;
        for (char16_t& c : text) {
            if (c == u'"' || c == u'\n' || c == u'\r') {
                c = c == u'"' ? u'\'' : u' ';
                changed = true;
            }
        }
        if (changed)
            Note(line, u"a double quote or line break in " + what +
                           u"; written as a single quote or blank");
    }

    void Values(cDescVal& value, const Text& what, int line) {
        if (value.IsNumeric()) {
            bool ok = false;
            long long number = ParseLeadingInt(value.valueText, &ok);
            if (number > 4294967295LL || number < -2147483648LL)
                Note(line, u"the 64-bit value " + value.valueText + u" of " + what +
                               u", written as NUMERIC, which holds 32 bits");
        } else if (!value.IsDelete()) {
            Quotable(value.valueText, what, line);
        }
    }

    void Lists(cActionList& list, const Text& what, int line) {
        for (cActionKey& key : list) {
            Quotable(key.keyName, what, line);
            for (cActionValue& entry : key.entries) {
                Quotable(entry.valueName, what, line);
                Values(entry, what, line);
            }
        }
    }

    // notes: whether to name what is lost (not again for the second copy of class Both).
    std::unique_ptr<cObjPolicy> Policy(const cObjPolicy& from, bool notes) {
        m_quiet = !notes;
        auto node = std::make_unique<cObjPolicy>();
        static_cast<cPolicy&>(*node) = static_cast<const cPolicy&>(from);
        node->admx.reset();
        node->line = 0;
        const int line = from.line;
        const Text name = from.admx ? from.admx->name : from.name;
        const Text owner = u"policy " + name;
        node->name = AdmReference(from.name);
        node->explainText = AdmReference(from.explainText);
        Quotable(node->keyName, owner, line);
        Quotable(node->valueName, owner, line);
        if (node->valueOn)
            Values(*node->valueOn, owner, line);
        if (node->valueOff)
            Values(*node->valueOff, owner, line);
        Lists(node->actionListOn, owner, line);
        Lists(node->actionListOff, owner, line);
        const cAdmxOrigin* origin = Origin(from);
        if (node->supportedFlag) {
            if (StringId(ToUtf8(from.supportedText)).empty()) {
                if (notes)
                    Note(origin ? origin->set->admx.LineOf(Child(origin->element, "supportedOn"))
                                : line,
                         u"the supportedOn reference " + from.supportedText + u" of " + owner +
                             u", which another file defines");
                node->supportedFlag = 0;
                node->supportedText.clear();
            } else {
                node->supportedText = AdmReference(from.supportedText);
            }
        }
        if (origin && notes)
            Unmodelled(origin->element, owner, line, &origin->set->admx);
        int texts = 0;
        for (const auto& part : from.Parts())
            node->AppendPart(Part(*part, *node, ToUtf8(name), texts, notes));
        m_quiet = false;
        return node;
    }

    // A part's label as a string of its own.
    Text Label(const Text& label, const std::string& base) {
        // The second copy of a policy of class Both shows the same strings.
        auto made = m_labels.find(base);
        if (made != m_labels.end())
            return made->second;
        std::string id = base;
        for (int n = 2; m_strings.Contains(FromUtf8(id)); ++n)
            id = base + "_" + std::to_string(n);
        Text name = FromUtf8(id);
        m_strings.Set(name, AdmLineBreaks(label));
        return m_labels[base] = u"!!" + name;
    }

    std::unique_ptr<cObjPolPart> Part(const cObjPolPart& from, cObjPolicy& policy,
                                      const std::string& policyName, int& texts, bool note) {
        const int line = from.line;
        const Text id = from.admx ? from.admx->name : Text();
        const Text owner =
            u"element " + (id.empty() ? from.name : id) + u" of policy " + FromUtf8(policyName);
        Text how;
        std::unique_ptr<cObjPolPart> part = AdmPartFor(from, policy, how);
        if (part && note)
            Note(line, (dynamic_cast<const cPolPartMultiText*>(&from)
                            ? u"the list of texts (multiText) "
                            : u"the 64-bit number (longDecimal) ") +
                           owner + how);
        if (!part)
            part = from.ClonePart(&policy);
        part->admx.reset();
        part->line = 0;
        const bool text = part->PanelKind() == cPanelKind::Text;
        const std::string base =
            policyName + "_" + (text ? "Text" + std::to_string(++texts) : ToUtf8(id));
        part->name = Label(from.name, base);
        Quotable(part->keyName, owner, line);
        Quotable(part->valueName, owner, line);
        VisitPart(*part,
                  cOverloaded{
                      [&](cObjPolPartCheckBox& box) {
                          if (box.valueOn)
                              Values(*box.valueOn, owner, line);
                          if (box.valueOff)
                              Values(*box.valueOff, owner, line);
                          Lists(box.actionListOn, owner, line);
                          Lists(box.actionListOff, owner, line);
                      },
                      [&](cObjPolPartDropDown& list) {
                          for (cItemList& item : list.itemList) {
                              item.name = AdmReference(item.name);
                              Values(item.value, owner, line);
                              Lists(item.actionList, owner, line);
                          }
                      },
                      [&](cObjPolPartCombo& combo) {
                          Quotable(combo.defaultText, owner, line);
                          for (cSuggestion& s : combo.suggestions)
                              Quotable(s.text, owner, line);
                      },
                      [&](cObjPolPartEditText& edit) { Quotable(edit.defaultText, owner, line); },
                      [&](cObjPolPartListBox& box) { Quotable(box.valuePrefix, owner, line); },
                      [](auto&) {},
                  });
        const cAdmxOrigin* origin = Origin(from);
        if (origin && note) {
            Unmodelled(origin->element, owner, line, &origin->set->admx);
            if (origin->control)
                Unmodelled(origin->control, u"the control of " + owner, line);
        }
        return part;
    }

    const cTemplateTree& m_from;
    const cStringMap& m_fromStrings;
    cTemplateTree& m_tree;
    cStringMap& m_strings;
    std::vector<cConversionNote>& m_notes;
    cTreeItem* m_classes[2] = {nullptr, nullptr};
    std::map<const void*, cTreeItem*> m_categories[2];
    std::map<Text, cTreeItem*> m_foreign[2];
    std::unordered_set<const void*> m_notedCategories;
    std::map<std::string, Text> m_labels;
    bool m_quiet = false;
};

}  // namespace

std::unique_ptr<cObjPolPart> AdmPartFor(const cObjPolPart& from, cObjPolicy& policy, Text& how) {
    std::unique_ptr<cObjPolPart> part;
    VisitPart(from, cOverloaded{
                        [&](const cObjPolPartMultiText& text) {
                            auto edit = std::make_unique<cObjPolPartEditText>(&policy);
                            static_cast<cPolicyPart&>(*edit) = text;
                            edit->typeKeyword = cPolPartEditText::kKeyword;
                            edit->required = text.required;
                            edit->maxLenFlag = text.maxLenFlag;
                            edit->maxLen = text.maxLen;
                            how = u": written as a one-line EDITTEXT";
                            part = std::move(edit);
                        },
                        [&](const cObjPolPartLongNum& number) {
                            auto num = std::make_unique<cObjPolPartNum>(&policy);
                            static_cast<cPolicyPart&>(*num) = number;
                            num->typeKeyword = cPolPartNum::kKeyword;
                            static_cast<cPolPartNum&>(*num).defaultFlag = number.defaultFlag;
                            num->defaultValue = number.defaultValue;
                            num->maxFlag = number.maxFlag;
                            num->max = number.max;
                            num->minFlag = number.minFlag;
                            num->min = number.min;
                            num->required = number.required;
                            num->spinFlag = number.spinFlag;
                            num->spin = number.spin;
                            num->txtConvert = number.txtConvert;
                            how = u": written as NUMERIC, which holds 32 bits";
                            part = std::move(num);
                        },
                        [](const auto&) {},
                    });
    return part;
}

void AdmxToAdm(const cTemplateTree& from, const cStringMap& fromStrings, cTemplateTree& tree,
               cStringMap& strings, std::vector<cConversionNote>& notes) {
    cLowering(from, fromStrings, tree, strings, notes).Run();
}
