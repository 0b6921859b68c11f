#include "core/convert/admxexport.h"

#include <pugixml.hpp>

#include <algorithm>
#include <deque>
#include <map>
#include <tuple>
#include <unordered_map>

#include "core/admx/admxschema.h"
#include "core/convert/admxmapping.h"
#include "core/model/partkinds.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"

namespace {

constexpr char kSchemaNamespace[] =
    "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

enum : int { kNoClass = 0, kMachine = 1, kUser = 2, kBoth = 3 };

const char* ClassName(int cls) {
    return cls == kMachine ? "Machine" : cls == kUser ? "User" : "Both";
}

bool IsReference(TextView text) {
    return text.size() > 2 && text[0] == u'!' && text[1] == u'!';
}

std::string Quote(TextView text) {
    return "\"" + ToUtf8(text) + "\"";
}

class cStringWriter : public pugi::xml_writer {
public:
    explicit cStringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, size_t size) override {
        m_out.append(static_cast<const char*>(data), size);
    }

private:
    std::string& m_out;
};

std::string Serialize(const pugi::xml_document& document) {
    std::string out;
    cStringWriter writer(out);
    document.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration,
                  pugi::encoding_utf8);
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + out;
}

struct cCategoryOut {
    const cCategory* node;
    int parent;  // index, or -1 at the top
    std::string id;
};

struct cPolicyOut {
    const cObjPolicy* node;
    int cls;
    int category;  // index, or -1 outside any category
    std::string name;
};

class cBuilder {
public:
    cBuilder(cExportSource doc, const std::string& name, const cAdmxOptions& options,
             cAdmxOutput& out)
        : m_doc(doc), m_name(name), m_options(options), m_out(out) {}

    bool Run();

private:
    struct cReference {
        std::string id;
        bool written = false;
    };

    void Collect(const cTreeItem* parent, int cls, int category);
    int CategoryIndex(const cCategory& category, int parent);
    void MergeClasses();
    cReference* Reserve(const Text& text);
    void ReserveTexts(const cObjPolicy& policy);
    // The string id for a display text: a reference keeps its name, any other text gets
    // `fallback` made unique. The string enters the table at its first use.
    std::string StringRef(const Text& text, const std::string& fallback, int line);
    std::string Shown(const Text& text, int line);

    void Categories(pugi::xml_node root);
    void SupportedOn(pugi::xml_node root);
    void Policy(pugi::xml_node policies, pugi::xml_node presentations, const cPolicyOut& out);
    void Element(pugi::xml_node elements, pugi::xml_node presentation, const cObjPolPart& part,
                 const cPolicyOut& policy, cIdSet& ids);
    void Value(pugi::xml_node parent, const cDescVal& value, int line, const std::string& where);
    void List(pugi::xml_node parent, const char* tag, const cActionList& list, int line,
              const std::string& where);
    void Unsigned(pugi::xml_node node, const char* attribute, int flag, const Text& text, int line,
                  const std::string& what);
    void Flag(pugi::xml_node node, const char* attribute, int flag) {
        if (flag)
            node.append_attribute(attribute) = "true";
    }
    void Attribute(pugi::xml_node node, const char* name, const Text& text, int line);

    void Note(int line, std::string what) { m_out.notExported.push_back({line, std::move(what)}); }
    void Error(int line, std::string what) { m_out.errors.push_back({line, std::move(what)}); }

    cExportSource m_doc;
    const std::string& m_name;
    const cAdmxOptions& m_options;
    cAdmxOutput& m_out;

    std::vector<cCategoryOut> m_categories;
    std::map<std::pair<int, Text>, int> m_categoryIndex;
    std::vector<cPolicyOut> m_policies;
    // SUPPORTED texts to their supportedOn definition names, one per distinct text.
    std::map<TextView, std::string> m_supported;

    cIdSet m_stringIds;
    // By the name after "!!", viewing the nodes' own texts.
    std::unordered_map<TextView, cReference> m_references;
    std::unordered_set<Text> m_undefinedNoted;
    pugi::xml_node m_stringTable;
};

void cBuilder::Collect(const cTreeItem* parent, int cls, int category) {
    for (const auto& child : parent->children) {
        const cData* node = child->node.get();
        if (!node)
            continue;
        switch (node->kind) {
            case kKindClass: {
                const auto& name = static_cast<const cObjClass*>(node)->className;
                int childClass = KeywordEquals(name, u"MACHINE") ? kMachine
                                 : KeywordEquals(name, u"USER")  ? kUser
                                                                 : kNoClass;
                if (childClass == kNoClass) {
                    Note(node->line, "CLASS " + ToUtf8(name) +
                                         " with everything in it: ADMX has the classes MACHINE "
                                         "and USER only");
                    continue;
                }
                Collect(child.get(), childClass, -1);
                break;
            }
            case kKindVersion: {
                const auto* version = static_cast<const cObjVersion*>(node);
                Note(node->line, "#if version " + ToUtf8(version->op) + " " +
                                     ToUtf8(version->number) +
                                     " (what it holds is exported without the condition)");
                Collect(child.get(), cls, category);
                break;
            }
            case kKindCategory: {
                const auto* cat = static_cast<const cObjCategory*>(node);
                Reserve(cat->name);
                if (cat->explainFlag)
                    Reserve(cat->explainText);
                Collect(child.get(), cls, CategoryIndex(*cat, category));
                break;
            }
            case kKindPolicy: {
                const auto* policy = static_cast<const cObjPolicy*>(node);
                if (cls == kNoClass) {
                    Note(node->line, "POLICY " + ToUtf8(policy->name) + " outside any class");
                    continue;
                }
                ReserveTexts(*policy);
                m_policies.push_back({policy, cls, category, {}});
                break;
            }
            default:
                break;
        }
    }
}

// Categories are one list for both classes: the same names along the same path are one
// category, wherever and however often the template opens it.
int cBuilder::CategoryIndex(const cCategory& category, int parent) {
    auto [it, added] = m_categoryIndex.try_emplace({parent, category.name}, 0);
    if (added) {
        it->second = int(m_categories.size());
        m_categories.push_back({&category, parent, {}});
    }
    return it->second;
}

bool SamePart(const cObjPolPart& a, const cObjPolPart& b) {
    if (a.PanelKind() != b.PanelKind() || a.name != b.name || a.valueName != b.valueName ||
        a.GetEffectiveKey() != b.GetEffectiveKey())
        return false;
    // The fields of each kind, compared between two parts of one kind.
    auto fields = cOverloaded{
        [](const cObjPolPartCheckBox& x) {
            return std::tie(x.actionListOn, x.actionListOff, x.defChecked, x.valueOff, x.valueOn);
        },
        [](const cObjPolPartCombo& x) {
            return std::tie(x.defaultFlag, x.defaultText, x.maxLenFlag, x.maxLen, x.oemConvert,
                            x.required, x.expandableText, x.noSort, x.suggestions);
        },
        [](const cObjPolPartDropDown& x) { return std::tie(x.itemList, x.required, x.noSort); },
        [](const cObjPolPartEditText& x) {
            return std::tie(x.defaultFlag, x.defaultText, x.maxLenFlag, x.maxLen, x.oemConvert,
                            x.required, x.expandableText);
        },
        [](const cObjPolPartListBox& x) {
            return std::tie(x.additive, x.explicitValue, x.valuePrefixFlag, x.valuePrefix);
        },
        [](const cObjPolPartNum& x) {
            return std::tie(x.defaultFlag, x.defaultValue, x.maxFlag, x.max, x.minFlag, x.min,
                            x.required, x.spinFlag, x.spin, x.txtConvert);
        },
        [](const cObjPolPartText&) { return std::tuple<>(); },
        [](const cObjPolPartMultiText& x) {
            return std::tie(x.required, x.maxLenFlag, x.maxLen, x.maxStringsFlag, x.maxStrings,
                            x.defaultHeightFlag, x.defaultHeight);
        },
        [](const cObjPolPartLongNum& x) {
            return std::tie(x.defaultFlag, x.defaultValue, x.maxFlag, x.max, x.minFlag, x.min,
                            x.required, x.spinFlag, x.spin, x.txtConvert);
        },
    };
    return VisitPart(a, [&](const auto& x) {
        return VisitPart(b, [&](const auto& y) {
            if constexpr (std::is_same_v<decltype(x), decltype(y)>)
                return fields(x) == fields(y);
            else
                return false;
        });
    });
}

// Everything that the export writes of a policy, its class aside.
bool SamePolicy(const cPolicyOut& a, const cPolicyOut& b) {
    const cObjPolicy& x = *a.node;
    const cObjPolicy& y = *b.node;
    if (a.category != b.category || x.Parts().size() != y.Parts().size() ||
        std::tie(x.name, x.explainFlag, x.valueNameFlag, x.clientExtFlag, x.valueOn, x.valueOff,
                 x.actionListOn, x.actionListOff) !=
            std::tie(y.name, y.explainFlag, y.valueNameFlag, y.clientExtFlag, y.valueOn, y.valueOff,
                     y.actionListOn, y.actionListOff) ||
        (x.explainFlag && x.explainText != y.explainText) || x.supportedFlag != y.supportedFlag ||
        (x.supportedFlag && x.supportedText != y.supportedText) ||
        (x.valueNameFlag && x.valueName != y.valueName) ||
        (x.clientExtFlag && x.clientExt != y.clientExt) ||
        x.GetEffectiveKey() != y.GetEffectiveKey())
        return false;
    for (size_t i = 0; i < x.Parts().size(); ++i)
        if (!SamePart(*x.Parts()[i], *y.Parts()[i]))
            return false;
    return true;
}

// A policy written the same under both classes becomes one policy of class Both.
void cBuilder::MergeClasses() {
    // Candidates share their name and category; only those are compared in full.
    std::map<std::pair<int, TextView>, std::deque<size_t>> machine;
    for (size_t i = 0; i < m_policies.size(); ++i)
        if (m_policies[i].cls == kMachine)
            machine[{m_policies[i].category, m_policies[i].node->name}].push_back(i);
    std::vector<bool> merged(m_policies.size(), false);
    for (size_t i = 0; i < m_policies.size(); ++i) {
        if (m_policies[i].cls != kUser)
            continue;
        auto it = machine.find({m_policies[i].category, m_policies[i].node->name});
        if (it == machine.end())
            continue;
        for (auto candidate = it->second.begin(); candidate != it->second.end(); ++candidate) {
            if (SamePolicy(m_policies[*candidate], m_policies[i])) {
                m_policies[*candidate].cls = kBoth;
                merged[i] = true;
                it->second.erase(candidate);
                break;
            }
        }
    }
    std::vector<cPolicyOut> kept;
    kept.reserve(m_policies.size());
    for (size_t i = 0; i < m_policies.size(); ++i)
        if (!merged[i])
            kept.push_back(m_policies[i]);
    m_policies.swap(kept);
}

cBuilder::cReference* cBuilder::Reserve(const Text& text) {
    if (!IsReference(text))
        return nullptr;
    auto [it, added] = m_references.try_emplace(TextView(text).substr(2));
    if (added)
        it->second.id = m_stringIds.Unique(MakeId(it->first, "String"));
    return &it->second;
}

void cBuilder::ReserveTexts(const cObjPolicy& policy) {
    Reserve(policy.name);
    if (policy.explainFlag)
        Reserve(policy.explainText);
    if (policy.supportedFlag)
        Reserve(policy.supportedText);
    for (const auto& part : policy.Parts())
        VisitPart(std::as_const(*part), cOverloaded{[&](const cObjPolPartDropDown& list) {
                                                        for (const cItemList& item : list.itemList)
                                                            Reserve(item.name);
                                                    },
                                                    [](const auto&) {}});
}

std::string cBuilder::Shown(const Text& text, int line) {
    TextView shown = text;
    if (IsReference(text)) {
        if (const Text* found = m_doc.strings.Find(TextView(text).substr(2)))
            shown = *found;
        else if (m_undefinedNoted.insert(text).second)
            Note(line, "the text of " + ToUtf8(text) +
                           ", which the strings section does not define (the reference is "
                           "shown as written)");
    }
    bool dropped = false;
    std::string out = ShownXmlText(shown, &dropped);
    if (dropped)
        Note(line, "control characters in the text " + Quote(text));
    return out;
}

std::string cBuilder::StringRef(const Text& text, const std::string& fallback, int line) {
    cReference* reference = Reserve(text);
    std::string id = reference ? reference->id : m_stringIds.Unique(fallback);
    if (!reference || !reference->written) {
        auto string = m_stringTable.append_child("string");
        string.append_attribute("id") = id.c_str();
        string.text() = Shown(text, line).c_str();
        if (reference)
            reference->written = true;
    }
    return "$(string." + id + ")";
}

void cBuilder::Attribute(pugi::xml_node node, const char* name, const Text& text, int line) {
    bool dropped = false;
    node.append_attribute(name) = XmlText(text, &dropped).c_str();
    if (dropped)
        Note(line, std::string("control characters in ") + name + " " + Quote(text));
}

void cBuilder::Value(pugi::xml_node parent, const cDescVal& value, int line,
                     const std::string& where) {
    if (value.IsDelete()) {
        parent.append_child("delete");
    } else if (value.IsNumeric()) {
        uint32_t number = 0;
        if (!ParseDword(value.valueText, number))
            Error(line, "NUMERIC " + ToUtf8(value.valueText) + " of " + where +
                            " is not a 32-bit number");
        parent.append_child("decimal").append_attribute("value") = number;
    } else {
        bool dropped = false;
        parent.append_child("string").text() = XmlText(value.valueText, &dropped).c_str();
        if (dropped)
            Error(line,
                  "control characters in the value " + Quote(value.valueText) + " of " + where);
    }
}

void cBuilder::List(pugi::xml_node parent, const char* tag, const cActionList& list, int line,
                    const std::string& where) {
    pugi::xml_node out;
    for (const cActionKey& group : list) {
        for (const cActionValue& entry : group.entries) {
            if (!out)
                out = parent.append_child(tag);
            auto item = out.append_child("item");
            Attribute(item, "key", group.keyName, line);
            Attribute(item, "valueName", entry.valueName, line);
            Value(item.append_child("value"), entry, line, where);
        }
    }
}

void cBuilder::Unsigned(pugi::xml_node node, const char* attribute, int flag, const Text& text,
                        int line, const std::string& what) {
    if (!flag)
        return;
    uint32_t number = 0;
    if (ParseUnsigned(text, number))
        node.append_attribute(attribute) = number;
    else
        Note(line, what + " " + ToUtf8(text) + ": ADMX takes a number from 0 to 4294967295");
}

void cBuilder::Categories(pugi::xml_node root) {
    if (m_categories.empty())
        return;
    cIdSet ids;
    for (cCategoryOut& category : m_categories) {
        const Text& name = category.node->name;
        category.id =
            ids.Unique(MakeId(IsReference(name) ? TextView(name).substr(2) : name, "Category"));
    }
    auto list = root.append_child("categories");
    for (const cCategoryOut& category : m_categories) {
        auto node = list.append_child("category");
        node.append_attribute("name") = category.id.c_str();
        node.append_attribute("displayName") =
            StringRef(category.node->name, category.id, category.node->line).c_str();
        if (category.node->explainFlag)
            node.append_attribute("explainText") =
                StringRef(category.node->explainText, category.id + "_Explain", category.node->line)
                    .c_str();
        if (category.parent >= 0)
            node.append_child("parentCategory").append_attribute("ref") =
                m_categories[category.parent].id.c_str();
    }
}

// Every distinct SUPPORTED text becomes one definition with its text as display name; a
// reference lends its name to the definition as to the string. The policy editor refuses a
// policy without a supportedOn, so the policies without a SUPPORTED text refer to the one the
// options name, else to a definition added for them.
void cBuilder::SupportedOn(pugi::xml_node root) {
    pugi::xml_node definitions;
    cIdSet ids;
    const cObjPolicy* unspecified = nullptr;
    size_t unspecifiedCount = 0;
    for (const cPolicyOut& out : m_policies) {
        const cObjPolicy& policy = *out.node;
        if (!policy.supportedFlag) {
            if (!unspecified)
                unspecified = &policy;
            ++unspecifiedCount;
            continue;
        }
        auto [it, added] = m_supported.try_emplace(policy.supportedText);
        if (!added)
            continue;
        const Text& text = policy.supportedText;
        it->second = ids.Unique(
            MakeId(IsReference(text) ? TextView(text).substr(2) : TextView(), "SUPPORTED"));
        if (!definitions)
            definitions = root.append_child("supportedOn").append_child("definitions");
        auto definition = definitions.append_child("definition");
        definition.append_attribute("name") = it->second.c_str();
        definition.append_attribute("displayName") =
            StringRef(text, it->second, policy.line).c_str();
    }
    if (!unspecified)
        return;
    if (!m_options.supportedOn.empty()) {
        m_out.unspecifiedSupportedOn = m_options.supportedOn;
        return;
    }
    m_out.unspecifiedSupportedOn = ids.Unique(kNotSpecifiedName);
    if (!definitions)
        definitions = root.append_child("supportedOn").append_child("definitions");
    auto definition = definitions.append_child("definition");
    definition.append_attribute("name") = m_out.unspecifiedSupportedOn.c_str();
    definition.append_attribute("displayName") =
        StringRef(kNotSpecifiedText, m_out.unspecifiedSupportedOn, unspecified->line).c_str();
    Note(unspecified->line, "supported-on not specified, " + std::to_string(unspecifiedCount) +
                                (unspecifiedCount == 1 ? " policy" : " policies") +
                                " (given the definition " + m_out.unspecifiedSupportedOn +
                                ", \"Not specified\")");
}

void cBuilder::Policy(pugi::xml_node policies, pugi::xml_node presentations,
                      const cPolicyOut& out) {
    const cObjPolicy& policy = *out.node;
    const int line = policy.line;
    const std::string where = "POLICY " + ToUtf8(policy.name);
    auto node = policies.append_child("policy");
    node.append_attribute("name") = out.name.c_str();
    node.append_attribute("class") = ClassName(out.cls);
    node.append_attribute("displayName") = StringRef(policy.name, out.name, line).c_str();
    if (policy.explainFlag)
        node.append_attribute("explainText") =
            StringRef(policy.explainText, out.name + "_Explain", line).c_str();
    if (!policy.Parts().empty())
        node.append_attribute("presentation") = ("$(presentation." + out.name + ")").c_str();
    Attribute(node, "key", policy.GetEffectiveKey(), line);
    if (policy.valueNameFlag)
        Attribute(node, "valueName", policy.valueName, line);
    // The policy editor refuses a file whose clientExtension is no GUID in braces.
    if (policy.clientExtFlag && SchemaValueFits(cSchemaValue::Guid, ToUtf8(policy.clientExt)))
        Attribute(node, "clientExtension", policy.clientExt, line);
    else if (policy.clientExtFlag)
        Note(line, where + " CLIENTEXT " + Quote(policy.clientExt) +
                       ": ADMX takes a GUID in braces only");

    if (out.category >= 0)
        node.append_child("parentCategory").append_attribute("ref") =
            m_categories[out.category].id.c_str();
    else
        Note(line, where + " has no category: it stands outside every CATEGORY");
    node.append_child("supportedOn").append_attribute("ref") =
        (policy.supportedFlag ? m_supported.at(policy.supportedText) : m_out.unspecifiedSupportedOn)
            .c_str();
    if (policy.valueOn)
        Value(node.append_child("enabledValue"), *policy.valueOn, line, where);
    if (policy.valueOff)
        Value(node.append_child("disabledValue"), *policy.valueOff, line, where);
    List(node, "enabledList", policy.actionListOn, line, where);
    List(node, "disabledList", policy.actionListOff, line, where);

    if (policy.Parts().empty())
        return;
    auto presentation = presentations.append_child("presentation");
    presentation.append_attribute("id") = out.name.c_str();
    pugi::xml_node elements;
    cIdSet ids;
    for (const auto& part : policy.Parts()) {
        if (part->PanelKind() != cPanelKind::Text && !elements)
            elements = node.append_child("elements");
        Element(elements, presentation, *part, out, ids);
    }
}

void cBuilder::Element(pugi::xml_node elements, pugi::xml_node presentation,
                       const cObjPolPart& part, const cPolicyOut& policy, cIdSet& ids) {
    const int line = part.line;
    const std::string where = "PART " + ToUtf8(part.name);
    const std::string label = Shown(part.name, line);
    if (part.PanelKind() == cPanelKind::Text) {
        presentation.append_child("text").text() = label.c_str();
        return;
    }

    const std::string id = ids.Unique(
        MakeId(IsReference(part.name) ? TextView(part.name).substr(2) : part.name, "Part"));
    auto common = [&](const char* tag, bool valueName) {
        auto element = elements.append_child(tag);
        element.append_attribute("id") = id.c_str();
        Text key = part.GetEffectiveKey();
        if (key != policy.node->GetEffectiveKey())
            Attribute(element, "key", key, line);
        if (valueName)
            Attribute(element, "valueName", part.valueName, line);
        return element;
    };
    auto control = [&](const char* tag) {
        auto node = presentation.append_child(tag);
        node.append_attribute("refId") = id.c_str();
        return node;
    };

    VisitPart(
        part,
        cOverloaded{
            [&](const cObjPolPartCheckBox& box) {
                auto element = common("boolean", true);
                if (box.valueOn)
                    Value(element.append_child("trueValue"), *box.valueOn, line, where);
                if (box.valueOff)
                    Value(element.append_child("falseValue"), *box.valueOff, line, where);
                List(element, "trueList", box.actionListOn, line, where);
                List(element, "falseList", box.actionListOff, line, where);
                auto shown = control("checkBox");
                Flag(shown, "defaultChecked", box.defChecked);
                shown.text() = label.c_str();
            },
            [&](const cObjPolPartEditText& edit) {
                auto element = common("text", true);
                Flag(element, "required", edit.required);
                Unsigned(element, "maxLength", edit.maxLenFlag, edit.maxLen, line,
                         where + " MAXLEN");
                Flag(element, "expandable", edit.expandableText);
                if (edit.oemConvert)
                    Note(line, where + " OEMCONVERT: ADMX has no form for it");
                auto shown = control("textBox");
                shown.append_child("label").text() = label.c_str();
                if (edit.defaultFlag)
                    shown.append_child("defaultValue").text() = XmlText(edit.defaultText).c_str();
            },
            [&](const cObjPolPartCombo& combo) {
                auto element = common("text", true);
                Flag(element, "required", combo.required);
                Unsigned(element, "maxLength", combo.maxLenFlag, combo.maxLen, line,
                         where + " MAXLEN");
                Flag(element, "expandable", combo.expandableText);
                if (combo.oemConvert)
                    Note(line, where + " OEMCONVERT: ADMX has no form for it");
                auto shown = control("comboBox");
                Flag(shown, "noSort", combo.noSort);
                shown.append_child("label").text() = label.c_str();
                if (combo.defaultFlag)
                    shown.append_child("default").text() = XmlText(combo.defaultText).c_str();
                for (const cSuggestion& suggestion : combo.suggestions)
                    shown.append_child("suggestion").text() = XmlText(suggestion.text).c_str();
            },
            [&](const cObjPolPartDropDown& list) {
                auto element = common("enum", true);
                Flag(element, "required", list.required);
                if (list.itemList.empty())
                    Note(line, where + " has no items: an ADMX enum needs at least one");
                int index = 0;
                for (const cItemList& item : list.itemList) {
                    ++index;
                    int itemLine = item.line.number ? item.line.number : line;
                    auto out = element.append_child("item");
                    out.append_attribute("displayName") =
                        StringRef(item.name, policy.name + "_" + id + "_" + std::to_string(index),
                                  itemLine)
                            .c_str();
                    Value(out.append_child("value"), item.value, itemLine,
                          where + " item " + ToUtf8(item.name));
                    List(out, "valueList", item.actionList, itemLine,
                         where + " item " + ToUtf8(item.name));
                }
                auto shown = control("dropdownList");
                Flag(shown, "noSort", list.noSort);
                // The reader keeps one default item; should a list hold more, the first counts.
                auto isDefault = [](const cItemList& item) { return item.defaultFlag != 0; };
                auto first = std::find_if(list.itemList.begin(), list.itemList.end(), isDefault);
                if (first != list.itemList.end()) {
                    shown.append_attribute("defaultItem") = unsigned(first - list.itemList.begin());
                    if (std::find_if(first + 1, list.itemList.end(), isDefault) !=
                        list.itemList.end())
                        Note(line, where + " has several DEFAULT items: ADMX keeps the first");
                }
                shown.text() = label.c_str();
            },
            [&](const cObjPolPartListBox& box) {
                auto element = common("list", false);
                if (box.valuePrefixFlag)
                    Attribute(element, "valuePrefix", box.valuePrefix, line);
                Flag(element, "additive", box.additive);
                Flag(element, "explicitValue", box.explicitValue);
                control("listBox").text() = label.c_str();
            },
            [&](const cObjPolPartNum& num) {
                auto element = common("decimal", true);
                Flag(element, "required", num.required);
                Unsigned(element, "minValue", num.minFlag, num.min, line, where + " MIN");
                Unsigned(element, "maxValue", num.maxFlag, num.max, line, where + " MAX");
                Flag(element, "storeAsText", num.txtConvert);
                auto shown = control("decimalTextBox");
                Unsigned(shown, "defaultValue", num.defaultFlag, num.defaultValue, line,
                         where + " DEFAULT");
                if (num.spinFlag) {
                    uint32_t step = 0;
                    if (ParseUnsigned(num.spin, step) && step == 0)
                        shown.append_attribute("spin") = "false";
                    else
                        Unsigned(shown, "spinStep", 1, num.spin, line, where + " SPIN");
                }
                shown.text() = label.c_str();
            },
            // Written above.
            [](const cObjPolPartText&) {},
            // The kinds that only ADMX has, from a part pasted out of an ADMX set.
            [&](const cObjPolPartMultiText& text) {
                auto element = common("multiText", true);
                Flag(element, "required", text.required);
                Unsigned(element, "maxLength", text.maxLenFlag, text.maxLen, line,
                         where + " maximum length");
                Unsigned(element, "maxStrings", text.maxStringsFlag, text.maxStrings, line,
                         where + " maximum number of strings");
                auto shown = control("multiTextBox");
                Unsigned(shown, "defaultHeight", text.defaultHeightFlag, text.defaultHeight, line,
                         where + " height");
                shown.text() = label.c_str();
            },
            [&](const cObjPolPartLongNum& num) {
                auto element = common("longDecimal", true);
                Flag(element, "required", num.required);
                if (num.minFlag)
                    Attribute(element, "minValue", num.min, line);
                if (num.maxFlag)
                    Attribute(element, "maxValue", num.max, line);
                Flag(element, "storeAsText", num.txtConvert);
                auto shown = control("longDecimalTextBox");
                if (num.defaultFlag)
                    Attribute(shown, "defaultValue", num.defaultValue, line);
                if (num.spinFlag) {
                    if (num.spin == u"0")
                        shown.append_attribute("spin") = "false";
                    else
                        Attribute(shown, "spinStep", num.spin, line);
                }
                shown.text() = label.c_str();
            },
        });
}

bool cBuilder::Run() {
    Collect(m_doc.tree.Root(), kNoClass, -1);
    MergeClasses();

    cIdSet policyNames;
    for (cPolicyOut& policy : m_policies) {
        const Text& name = policy.node->name;
        policy.name = policyNames.Unique(
            MakeId(IsReference(name) ? TextView(name).substr(2) : name, "Policy"));
    }

    pugi::xml_document admx;
    auto root = admx.append_child("policyDefinitions");
    root.append_attribute("xmlns") = kSchemaNamespace;
    root.append_attribute("revision") = "1.0";
    root.append_attribute("schemaVersion") = "1.0";
    auto target = root.append_child("policyNamespaces").append_child("target");
    std::string prefix = m_options.prefix.empty() ? DefaultPrefix(m_name) : m_options.prefix;
    std::string nameSpace =
        m_options.nameSpace.empty() ? DefaultNamespace(m_name) : m_options.nameSpace;
    target.append_attribute("prefix") = prefix.c_str();
    target.append_attribute("namespace") = nameSpace.c_str();
    if (!m_options.supportedOn.empty()) {
        if (std::string problem = SupportedOnProblem(m_options.supportedOn); !problem.empty())
            Error(0, problem);
        const std::string_view usingPrefix =
            std::string_view(m_options.supportedOn).substr(0, m_options.supportedOn.find(':'));
        if (usingPrefix == prefix)
            Error(0, "the supported-on reference " + m_options.supportedOn +
                         " uses the prefix of the exported file itself");
        auto declared = target.parent().append_child("using");
        declared.append_attribute("prefix") = std::string(usingPrefix).c_str();
        declared.append_attribute("namespace") = std::string(KnownNamespace(usingPrefix)).c_str();
    }
    root.append_child("resources").append_attribute("minRequiredRevision") = "1.0";

    pugi::xml_document adml;
    auto resourcesRoot = adml.append_child("policyDefinitionResources");
    resourcesRoot.append_attribute("xmlns") = kSchemaNamespace;
    resourcesRoot.append_attribute("revision") = "1.0";
    resourcesRoot.append_attribute("schemaVersion") = "1.0";
    resourcesRoot.append_child("displayName").text() = m_name.c_str();
    resourcesRoot.append_child("description").text() = (m_name + ".adm").c_str();
    auto resources = resourcesRoot.append_child("resources");
    m_stringTable = resources.append_child("stringTable");
    auto presentations = resources.append_child("presentationTable");

    SupportedOn(root);
    Categories(root);
    if (!m_policies.empty()) {
        auto policies = root.append_child("policies");
        for (const cPolicyOut& policy : m_policies)
            Policy(policies, presentations, policy);
    }
    if (!presentations.first_child())
        resources.remove_child(presentations);

    std::stable_sort(m_out.notExported.begin(), m_out.notExported.end(),
                     [](const cAdmxNote& a, const cAdmxNote& b) { return a.line < b.line; });
    m_out.admx = Serialize(admx);
    m_out.adml = Serialize(adml);
    return m_out.errors.empty();
}

}  // namespace

bool IsValidLanguage(std::string_view language) {
    // Subtags of letters and digits joined by hyphens; the first of two or three letters.
    size_t start = 0;
    bool first = true;
    while (true) {
        size_t end = language.find('-', start);
        std::string_view tag =
            language.substr(start, end == std::string_view::npos ? end : end - start);
        if (tag.empty() || tag.size() > 8)
            return false;
        for (char c : tag) {
            bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (!letter && !(c >= '0' && c <= '9' && !first))
                return false;
        }
        if (first && (tag.size() < 2 || tag.size() > 3))
            return false;
        first = false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

std::string_view KnownNamespace(std::string_view prefix) {
    return prefix == "windows" ? "Microsoft.Policies.Windows" : "";
}

std::string SupportedOnProblem(std::string_view reference) {
    const size_t colon = reference.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == reference.size())
        return "the supported-on reference " + std::string(reference) +
               " needs a prefix and a name, such as windows:SUPPORTED_WindowsVista";
    if (KnownNamespace(reference.substr(0, colon)).empty())
        return "the supported-on reference " + std::string(reference) +
               " has a prefix of no known namespace: only windows: can be given";
    for (char c : reference.substr(colon + 1))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '.' || c == '-'))
            return "the supported-on reference " + std::string(reference) +
                   " has a name of other characters than letters, digits, '_', '.' and '-'";
    return std::string();
}

std::string DefaultNamespace(std::string_view name) {
    return "Policies." + MakeId(FromUtf8(name), "Template");
}

std::string DefaultPrefix(std::string_view name) {
    std::string prefix = MakeId(FromUtf8(name), "template");
    for (char& c : prefix)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return prefix;
}

bool BuildAdmx(cExportSource doc, const std::string& name, const cAdmxOptions& options,
               cAdmxOutput& out) {
    out = cAdmxOutput();
    cBuilder builder(doc, name, options, out);
    return builder.Run();
}
