#include "core/convert/admxexport.h"

#include <algorithm>
#include <deque>
#include <map>
#include <tuple>
#include <unordered_map>

#include "core/admx/admxformat.h"
#include "core/admx/admxread.h"
#include "core/admx/admxschema.h"
#include "core/admx/admxset.h"
#include "core/admx/admxwrite.h"
#include "core/admx/supportedon.h"
#include "core/convert/admxmapping.h"
#include "core/model/nodeobjects.h"
#include "core/model/partkinds.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"

namespace {

enum : int { kNoClass = 0, kMachine = 1, kUser = 2, kBoth = 3 };

const char* ClassName(int cls) {
    return cls == kMachine ? "Machine" : cls == kUser ? "User" : "Both";
}

bool IsReference(TextView text) {
    return text.size() > 2 && text[0] == u'!' && text[1] == u'!';
}

// An id after a node's display text: a "!!name" reference lends its name.
std::string IdFrom(TextView text, const char* fallback) {
    return MakeId(IsReference(text) ? text.substr(2) : text, fallback);
}

std::string Quote(TextView text) {
    return "\"" + ToUtf8(text) + "\"";
}

struct cCategoryOut {
    const cCategory* node;
    int parent;  // index, or -1 at the top
    std::string id;
    cTreeItem* item = nullptr;  // in the new set
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
    Text StringRef(const Text& text, const std::string& fallback, int line);
    Text Shown(const Text& text, int line);

    void Category(cCategoryOut& category);
    void SupportedOn();
    void Policy(const cPolicyOut& out);
    void Part(cObjPolPart& part, const cObjPolPart& from, const Text& policyKey,
              const cPolicyOut& policy, cIdSet& ids);
    // The model's fields made what an ADMX file can hold; what it cannot is noted.
    void Value(cDescVal& value, int line, const std::string& where);
    void List(cActionList& list, int line, const std::string& where);
    void OnAndOff(cOptionalValue& on, cOptionalValue& off, cActionList& listOn,
                  cActionList& listOff, int line, const std::string& where);
    void Unsigned(int& flag, Text& text, int line, const std::string& what);
    Text Clean(const Text& text, const char* what, int line);

    void Note(int line, std::string what) { m_out.notExported.push_back({line, std::move(what)}); }
    void Error(int line, std::string what) { m_out.errors.push_back({line, std::move(what)}); }

    cExportSource m_doc;
    const std::string& m_name;
    const cAdmxOptions& m_options;
    cAdmxOutput& m_out;

    std::vector<cCategoryOut> m_categories;
    std::map<std::pair<int, Text>, int> m_categoryIndex;
    std::vector<cPolicyOut> m_policies;
    // Categories and policies in the order the template first gives them: the new set's tree
    // is built in it, so that its files list them as the template does.
    struct cPlace {
        bool category;
        int index;
    };
    std::vector<cPlace> m_order;
    // SUPPORTED texts to their supportedOn definition names, one per distinct text.
    std::map<TextView, std::string> m_supported;

    cIdSet m_stringIds;
    // By the name after "!!", viewing the nodes' own texts.
    std::unordered_map<TextView, cReference> m_references;
    std::unordered_set<Text> m_undefinedNoted;

    // The new set the template becomes.
    cHeldContent m_set;
    cSupportedOnTable m_table;
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
                m_order.push_back({false, int(m_policies.size())});
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
        m_order.push_back({true, it->second});
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
    std::vector<int> now(m_policies.size(), -1);
    for (size_t i = 0; i < m_policies.size(); ++i)
        if (!merged[i]) {
            now[i] = int(kept.size());
            kept.push_back(m_policies[i]);
        }
    m_policies.swap(kept);
    std::erase_if(m_order, [&](cPlace& place) {
        if (place.category)
            return false;
        place.index = now[place.index];
        return place.index < 0;
    });
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

Text cBuilder::Shown(const Text& text, int line) {
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
    Text out = ShownXmlTextOf(shown, &dropped);
    if (dropped)
        Note(line, "control characters in the text " + Quote(text));
    return out;
}

Text cBuilder::StringRef(const Text& text, const std::string& fallback, int line) {
    cReference* reference = Reserve(text);
    std::string id = reference ? reference->id : m_stringIds.Unique(fallback);
    if (!reference || !reference->written) {
        m_set.strings.Set(FromUtf8(id), Shown(text, line));
        if (reference)
            reference->written = true;
    }
    return u"$(string." + FromUtf8(id) + u")";
}

Text cBuilder::Clean(const Text& text, const char* what, int line) {
    bool dropped = false;
    Text out = XmlTextOf(text, &dropped);
    if (dropped)
        Note(line, std::string("control characters in ") + what + " " + Quote(text));
    return out;
}

void cBuilder::Value(cDescVal& value, int line, const std::string& where) {
    if (value.IsDelete())
        return;
    if (value.IsNumeric()) {
        uint32_t number = 0;
        if (!ParseDword(value.valueText, number))
            Error(line, "NUMERIC " + ToUtf8(value.valueText) + " of " + where +
                            " is not a 32-bit number");
        value.valueText = FromUtf8(std::to_string(number));
        return;
    }
    bool dropped = false;
    value.valueText = XmlTextOf(value.valueText, &dropped);
    if (dropped)
        Error(line, "control characters in the value " + Quote(value.valueText) + " of " + where);
}

void cBuilder::List(cActionList& list, int line, const std::string& where) {
    for (cActionKey& group : list) {
        group.keyName = Clean(group.keyName, "key", line);
        for (cActionValue& entry : group.entries) {
            entry.valueName = Clean(entry.valueName, "valueName", line);
            Value(entry, line, where);
        }
    }
}

void cBuilder::OnAndOff(cOptionalValue& on, cOptionalValue& off, cActionList& listOn,
                        cActionList& listOff, int line, const std::string& where) {
    if (on)
        Value(*on, line, where);
    if (off)
        Value(*off, line, where);
    List(listOn, line, where);
    List(listOff, line, where);
}

void cBuilder::Unsigned(int& flag, Text& text, int line, const std::string& what) {
    if (!flag)
        return;
    uint32_t number = 0;
    if (ParseUnsigned(text, number)) {
        text = FromUtf8(std::to_string(number));
        return;
    }
    Note(line, what + " " + ToUtf8(text) + ": ADMX takes a number from 0 to 4294967295");
    flag = 0;
    text.clear();
}

void cBuilder::Category(cCategoryOut& category) {
    const cCategory& from = *category.node;
    auto node = std::make_unique<cObjCategory>();
    node->line = from.line;
    node->name = StringRef(from.name, category.id, from.line);
    node->explainFlag = from.explainFlag;
    if (from.explainFlag)
        node->explainText = StringRef(from.explainText, category.id + "_Explain", from.line);
    // ADMX categories hold no key: their policies are given the key they inherit.
    node->useDefaultKey = 1;
    node->admx.emplace().name = FromUtf8(category.id);
    cTreeItem* parent = category.parent >= 0 ? m_categories[category.parent].item : nullptr;
    const Text label = ResolveAdmxText(m_set.strings, node->name);
    category.item = m_set.tree.InsertLast(parent, label, 0, std::move(node));
}

// Every distinct SUPPORTED text becomes one definition with its text as display name; a
// reference lends its name to the definition as to the string. The policy editor refuses a
// policy without a supportedOn, so the policies without a SUPPORTED text refer to the one the
// options name, else to a definition added for them.
void cBuilder::SupportedOn() {
    cIdSet ids;
    const cObjPolicy* unspecified = nullptr;
    size_t unspecifiedCount = 0;
    auto define = [&](const std::string& name, const Text& text, int line) {
        cSupportedOnDefinition definition;
        definition.name = FromUtf8(name);
        definition.displayName = StringRef(text, name, line);
        m_table.definitions.push_back(std::move(definition));
    };
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
        define(it->second, text, policy.line);
    }
    if (!unspecified)
        return;
    if (!m_options.supportedOn.empty()) {
        m_out.unspecifiedSupportedOn = m_options.supportedOn;
        return;
    }
    m_out.unspecifiedSupportedOn = ids.Unique(kNotSpecifiedName);
    define(m_out.unspecifiedSupportedOn, kNotSpecifiedText, unspecified->line);
    Note(unspecified->line, "supported-on not specified, " + std::to_string(unspecifiedCount) +
                                (unspecifiedCount == 1 ? " policy" : " policies") +
                                " (given the definition " + m_out.unspecifiedSupportedOn +
                                ", \"Not specified\")");
}

void cBuilder::Policy(const cPolicyOut& out) {
    const cObjPolicy& policy = *out.node;
    const int line = policy.line;
    const std::string where = "POLICY " + ToUtf8(policy.name);
    // The key as the template's tree gives it (the copy stands in no tree).
    const Text key = policy.GetEffectiveKey();
    std::unique_ptr<cData> cloned = policy.Clone();
    auto& copy = static_cast<cObjPolicy&>(*cloned);
    copy.name = StringRef(policy.name, out.name, line);
    if (policy.explainFlag)
        copy.explainText = StringRef(policy.explainText, out.name + "_Explain", line);
    copy.useDefaultKey = 0;
    copy.keyName = Clean(key, "key", line);
    if (policy.valueNameFlag)
        copy.valueName = Clean(policy.valueName, "valueName", line);
    // The policy editor refuses a file whose clientExtension is no GUID in braces.
    if (policy.clientExtFlag && !SchemaValueFits(cSchemaValue::Guid, ToUtf8(policy.clientExt))) {
        Note(line, where + " CLIENTEXT " + Quote(policy.clientExt) +
                       ": ADMX takes a GUID in braces only");
        copy.clientExtFlag = 0;
        copy.clientExt.clear();
    }
    if (out.category < 0)
        Note(line, where + " has no category: it stands outside every CATEGORY");

    cAdmxRecord& record = copy.admx.emplace();
    record.name = FromUtf8(out.name);
    record.policyClass = FromUtf8(ClassName(out.cls));
    record.supportedOn = FromUtf8(policy.supportedFlag ? m_supported.at(policy.supportedText)
                                                       : m_out.unspecifiedSupportedOn);
    // The supported-on text of a set's policy is the display name of what it refers to.
    copy.supportedFlag = 1;
    copy.supportedText = SupportedOnText(m_table, *static_cast<cAdmxState&>(*m_set.state).set,
                                         ToUtf8(record.supportedOn));

    OnAndOff(copy.valueOn, copy.valueOff, copy.actionListOn, copy.actionListOff, line, where);

    cIdSet ids;
    for (size_t i = 0; i < copy.Parts().size(); ++i)
        Part(*copy.Parts()[i], *policy.Parts()[i], key, out, ids);

    cTreeItem* parent = out.category >= 0 ? m_categories[out.category].item : nullptr;
    const Text label = ResolveAdmxText(m_set.strings, copy.name);
    m_set.tree.InsertLast(parent, label, 0, std::move(cloned));
}

void cBuilder::Part(cObjPolPart& part, const cObjPolPart& from, const Text& policyKey,
                    const cPolicyOut& policy, cIdSet& ids) {
    const int line = from.line;
    const Text key = from.GetEffectiveKey();
    const std::string where = "PART " + ToUtf8(part.name);
    const Text label = Shown(part.name, line);
    if (part.PanelKind() == cPanelKind::Text) {
        part.name = label;
        return;
    }
    const std::string id = ids.Unique(IdFrom(part.name, "Part"));
    part.name = label;
    part.admx.emplace().name = FromUtf8(id);
    part.useDefaultKey = key == policyKey;
    part.keyName = part.useDefaultKey ? Text() : Clean(key, "key", line);
    if (UsesValueName(part))
        part.valueName = Clean(part.valueName, "valueName", line);

    auto oem = [&](int& oemConvert) {
        if (oemConvert)
            Note(line, where + " OEMCONVERT: ADMX has no form for it");
        oemConvert = 0;
    };
    VisitPart(
        part,
        cOverloaded{
            [&](cObjPolPartCheckBox& box) {
                OnAndOff(box.valueOn, box.valueOff, box.actionListOn, box.actionListOff, line,
                         where);
            },
            [&](cObjPolPartEditText& edit) {
                Unsigned(edit.maxLenFlag, edit.maxLen, line, where + " MAXLEN");
                oem(edit.oemConvert);
                edit.defaultText = XmlTextOf(edit.defaultText);
            },
            [&](cObjPolPartCombo& combo) {
                Unsigned(combo.maxLenFlag, combo.maxLen, line, where + " MAXLEN");
                oem(combo.oemConvert);
                combo.defaultText = XmlTextOf(combo.defaultText);
                for (cSuggestion& suggestion : combo.suggestions)
                    suggestion.text = XmlTextOf(suggestion.text);
            },
            [&](cObjPolPartDropDown& list) {
                if (list.itemList.empty())
                    Note(line, where + " has no items: an ADMX enum needs at least one");
                int index = 0;
                bool seenDefault = false;
                for (cItemList& item : list.itemList) {
                    ++index;
                    const int itemLine = item.line.number ? item.line.number : line;
                    const std::string itemWhere = where + " item " + ToUtf8(item.name);
                    item.name = StringRef(
                        item.name, policy.name + "_" + id + "_" + std::to_string(index), itemLine);
                    Value(item.value, itemLine, itemWhere);
                    List(item.actionList, itemLine, itemWhere);
                    // The reader keeps one default item; should a list hold more, the first
                    // counts.
                    if (item.defaultFlag && seenDefault) {
                        Note(line, where + " has several DEFAULT items: ADMX keeps the first");
                        item.defaultFlag = 0;
                    }
                    seenDefault = seenDefault || item.defaultFlag;
                }
            },
            [&](cObjPolPartListBox& box) {
                if (box.valuePrefixFlag)
                    box.valuePrefix = Clean(box.valuePrefix, "valuePrefix", line);
            },
            [&](cObjPolPartNum& num) {
                Unsigned(num.minFlag, num.min, line, where + " MIN");
                Unsigned(num.maxFlag, num.max, line, where + " MAX");
                Unsigned(num.defaultFlag, num.defaultValue, line, where + " DEFAULT");
                // A step of 0 turns the spin control off.
                Unsigned(num.spinFlag, num.spin, line, where + " SPIN");
            },
            [](cObjPolPartText&) {},
            // The kinds that only ADMX has, from a part pasted out of an ADMX set.
            [&](cObjPolPartMultiText& text) {
                Unsigned(text.maxLenFlag, text.maxLen, line, where + " maximum length");
                Unsigned(text.maxStringsFlag, text.maxStrings, line,
                         where + " maximum number of strings");
                Unsigned(text.defaultHeightFlag, text.defaultHeight, line, where + " height");
            },
            [&](cObjPolPartLongNum& num) {
                num.min = Clean(num.min, "minValue", line);
                num.max = Clean(num.max, "maxValue", line);
                num.defaultValue = Clean(num.defaultValue, "defaultValue", line);
                num.spin = Clean(num.spin, "spinStep", line);
            },
        });
}

bool cBuilder::Run() {
    Collect(m_doc.tree.Root(), kNoClass, -1);
    MergeClasses();

    cIdSet policyNames;
    for (cPolicyOut& policy : m_policies)
        policy.name = policyNames.Unique(IdFrom(policy.node->name, "Policy"));

    cNewAdmxSet set;
    set.prefix = m_options.prefix.empty() ? DefaultPrefix(m_name) : m_options.prefix;
    set.nameSpace = m_options.nameSpace.empty() ? DefaultNamespace(m_name) : m_options.nameSpace;
    set.language = m_options.language;
    set.displayName = m_name;
    set.description = m_name + ".adm";
    // The containers come with what they hold: a template without policies has no list.
    set.containers = false;
    if (!m_options.supportedOn.empty()) {
        if (std::string problem = SupportedOnProblem(m_options.supportedOn); !problem.empty())
            Error(0, problem);
        const std::string_view usingPrefix =
            std::string_view(m_options.supportedOn).substr(0, m_options.supportedOn.find(':'));
        if (usingPrefix == set.prefix)
            Error(0, "the supported-on reference " + m_options.supportedOn +
                         " uses the prefix of the exported file itself");
        set.usings.emplace_back(usingPrefix, KnownNamespace(usingPrefix));
    }
    cTemplateContent content = m_set.Content();
    const Text path = FromUtf8(m_name) + u".admx";
    if (!ReadNewAdmxSet(path, set, content) || !dynamic_cast<cAdmxState*>(m_set.state.get())) {
        Error(0, "the new set could not be made");
        return false;
    }

    SupportedOn();
    cIdSet categoryIds;
    for (cCategoryOut& category : m_categories)
        category.id = categoryIds.Unique(IdFrom(category.node->name, "Category"));
    for (const cPlace& place : m_order) {
        if (place.category)
            Category(m_categories[place.index]);
        else
            Policy(m_policies[place.index]);
    }
    static_cast<cAdmxState&>(*m_set.state).supportedOn = m_table;

    std::stable_sort(m_out.notExported.begin(), m_out.notExported.end(),
                     [](const cAdmxNote& a, const cAdmxNote& b) { return a.line < b.line; });
    if (!m_out.errors.empty())
        return false;
    std::vector<cAdmxFilePlan> plans;
    Text problem;
    if (!PlanAdmxSet(content, path, plans, problem, false) || plans.size() != 2) {
        Error(0, ToUtf8(problem));
        return false;
    }
    m_out.admx = std::move(plans[0].bytes);
    m_out.adml = std::move(plans[1].bytes);
    return true;
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
