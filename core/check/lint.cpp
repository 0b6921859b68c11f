#include "core/check/lint.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/document/document.h"
#include "core/model/partkinds.h"

namespace {

Text Quoted(TextView text) {
    Text out = u"\"";
    out += text;
    out += u"\"";
    return out;
}

Text Number(long long n) {
    return FormatText(u"%d", {n});
}

bool HasEntries(const cActionList& list) {
    return std::any_of(list.begin(), list.end(),
                       [](const cActionKey& group) { return !group.entries.empty(); });
}

bool EntryWithoutKey(const cActionList& list) {
    return std::any_of(list.begin(), list.end(), [](const cActionKey& group) {
        return !group.entries.empty() && group.keyName.empty();
    });
}

// What a value writes: two items with the same key write the same thing.
Text ValueKey(const cDescVal& value) {
    if (value.del)
        return u"D";
    return (value.numeric ? u"N" : u"S") + value.valueText;
}

class cLinter {
public:
    cLinter(const CPelwinDoc& doc, const cReadLog& log) : m_doc(doc), m_log(log) {}

    std::vector<cFinding> Run() {
        CheckStrings();
        CheckTree();
        for (const cReadLog::cMessage& message : m_log.messages)
            Add(message.line, cLintRuleId::ReadMessage, message.text);
        for (const cPassedOver& line : m_doc.PassedOver())
            Add(line.line, cLintRuleId::PassedOver,
                u"passed over and lost on saving: " + line.text);
        for (const cReadLog::cDefaultMarks& marks : m_log.severalDefaults)
            Add(marks.line, cLintRuleId::SeveralDefaults,
                u"part " + Quoted(m_doc.ResolveText(marks.part)) + u" marks " +
                    Number(marks.count) + u" items DEFAULT; only the last one is kept");
        if (m_doc.Tree().IsEmpty() && m_doc.Strings().Empty())
            Add(1, cLintRuleId::EmptyTemplate,
                u"nothing was read from this template: no class, category, policy or string");
        // What the format's own checks found: in the template's file, or in another file
        // of its set.
        for (const cReadLog::cFormatFinding& finding : m_log.findings)
            m_findings.push_back(FindingOf(finding));
        SortFindings(m_findings);
        return std::move(m_findings);
    }

private:
    void Add(int line, cLintRuleId rule, Text text) {
        const cLintRule& entry = LintRule(rule);
        m_findings.push_back({line, entry.severity, entry.id, std::move(text), Text()});
    }

    bool InStringsSection(int line) const {
        return m_log.stringsFirstLine && line >= m_log.stringsFirstLine &&
               line <= m_log.stringsLastLine;
    }

    void CheckStrings() {
        const cStringMap& strings = m_doc.Strings();
        // Entries are told apart by where the table keeps their texts.
        std::unordered_set<const Text*> used;
        for (const cReadLog::cReference& ref : m_log.references) {
            // A display text of the strings section that looks like a reference is only text.
            if (InStringsSection(ref.line))
                continue;
            if (const Text* text = strings.Find(ref.name))
                used.insert(text);
            else
                Add(ref.line, cLintRuleId::UndefinedString,
                    u"the strings section does not define " + Quoted(u"!!" + ref.name));
        }
        // Each name's definition in force is its last one.
        std::unordered_map<const Text*, int> lastLine;
        for (const cReadLog::cStringLine& string : m_log.strings) {
            const Text* text = strings.Find(string.name);
            if (!text)
                continue;
            auto [it, fresh] = lastLine.try_emplace(text, string.line);
            if (!fresh) {
                Add(string.line, cLintRuleId::DuplicateString,
                    u"string " + Quoted(string.name) +
                        u" is defined again; this text replaces "
                        u"the one of line " +
                        Number(it->second));
                it->second = string.line;
            }
        }
        for (const cReadLog::cStringLine& string : m_log.strings) {
            const Text* text = strings.Find(string.name);
            if (text && !used.count(text) && lastLine[text] == string.line)
                Add(string.line, cLintRuleId::UnusedString,
                    u"string " + Quoted(string.name) + u" is not referenced");
        }
    }

    void CheckTree() {
        m_doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
            if (item->node && item->node->kind == kKindPolicy)
                CheckPolicy(static_cast<const cObjPolicy&>(*item->node), ClassOf(item));
        });
    }

    // What a policy's values are compared within: its top-level item (a class, or a version
    // condition holding classes); for a policy of an ADMX set, which has no class nodes, its
    // class (Both as Machine, where it writes first).
    const cTreeItem* ClassOf(const cTreeItem* item) const {
        static const cTreeItem machine, user;
        if (item->node && item->node->admx && !item->node->admx->policyClass.empty())
            return item->node->admx->policyClass == u"User" ? &user : &machine;
        const cTreeItem* root = m_doc.Tree().Root();
        while (item->parent && item->parent != root)
            item = item->parent;
        return item;
    }

    // Remembers that `owner` writes the value; a second writer in the same class is reported.
    template <typename What>
    void Writes(const cTreeItem* cls, const Text& key, const Text& valueName, int line,
                const What& what) {
        auto [it, fresh] = m_values[cls].try_emplace(RegistryName(key, valueName), line);
        if (!fresh)
            Add(line, cLintRuleId::DuplicateValue,
                what() + u" writes " + Quoted(key + u"\\" + valueName) +
                    u", which is already written at line " + Number(it->second));
    }

    void CheckPolicy(const cObjPolicy& policy, const cTreeItem* cls) {
        // Names are resolved only for a finding's text.
        auto what = [&] { return u"policy " + Quoted(m_doc.ResolveText(policy.name)); };
        const Text key = policy.GetEffectiveKey();
        bool writes = policy.valueNameFlag || HasEntries(policy.actionListOn) ||
                      HasEntries(policy.actionListOff);
        if ((policy.valueNameFlag && key.empty()) || EntryWithoutKey(policy.actionListOn) ||
            EntryWithoutKey(policy.actionListOff))
            Add(policy.line, cLintRuleId::NoKey,
                what() + u" writes a value but has no registry key");
        if (policy.valueNameFlag && !policy.valueName.empty())
            Writes(cls, key, policy.valueName, policy.line, what);
        for (const auto& part : policy.Parts())
            writes = CheckPart(*part, cls) || writes;
        if (!writes)
            Add(policy.line, cLintRuleId::EmptyPolicy,
                what() + u" writes nothing: it has no value name, no part and no action list");
    }

    // Returns whether the part writes anything.
    bool CheckPart(const cObjPolPart& part, const cTreeItem* cls) {
        auto what = [&] { return u"part " + Quoted(m_doc.ResolveText(part.name)); };
        if (!UsesKey(part))
            return false;
        const Text key = part.GetEffectiveKey();
        const int line = part.line;
        // A list box names its values itself: it writes whenever it exists.
        bool listBox = !UsesValueName(part);
        bool valueName = !listBox && !part.valueName.empty();
        bool entries = false;
        bool entryWithoutKey = false;
        VisitPart(part, cOverloaded{
                            [&](const cObjPolPartCheckBox& check) {
                                entries = HasEntries(check.actionListOn) ||
                                          HasEntries(check.actionListOff);
                                entryWithoutKey = EntryWithoutKey(check.actionListOn) ||
                                                  EntryWithoutKey(check.actionListOff);
                            },
                            [&](const cObjPolPartNum& num) { CheckNumeric(num, what); },
                            [&](const cObjPolPartDropDown& drop) {
                                CheckItems(drop, what);
                                for (const cItemList& item : drop.itemList) {
                                    entries = entries || HasEntries(item.actionList);
                                    entryWithoutKey =
                                        entryWithoutKey || EntryWithoutKey(item.actionList);
                                }
                            },
                            [](const auto&) {},
                        });
        if (((listBox || valueName) && key.empty()) || entryWithoutKey)
            Add(line, cLintRuleId::NoKey, what() + u" writes a value but has no registry key");
        if (valueName)
            Writes(cls, key, part.valueName, line, what);
        return listBox || valueName || entries;
    }

    template <typename What>
    void CheckNumeric(const cObjPolPartNum& part, const What& what) {
        // Where a bound is not given, the policy editor uses 0 and 9999.
        long long min = part.minFlag ? ParseLeadingInt(part.min) : 0;
        long long max = part.maxFlag ? ParseLeadingInt(part.max) : 9999;
        if (min > max) {
            Add(part.line, cLintRuleId::NumericRange,
                what() + u": MIN " + Number(min) + u" is greater than MAX " + Number(max));
            return;
        }
        if (!part.defaultFlag)
            return;
        long long value = ParseLeadingInt(part.defaultValue);
        if (value < min || value > max)
            Add(part.line, cLintRuleId::NumericRange,
                what() + u": DEFAULT " + Number(value) + u" lies outside " + Number(min) + u" to " +
                    Number(max));
    }

    template <typename What>
    void CheckItems(const cObjPolPartDropDown& part, const What& what) {
        const cItemListChain& items = part.itemList;
        if (items.empty()) {
            Add(part.line, cLintRuleId::EmptyItemList,
                what() + u" is a drop-down list without items");
            return;
        }
        std::unordered_map<Text, size_t> seen;
        for (size_t i = 0; i < items.size(); ++i) {
            auto [it, fresh] = seen.try_emplace(ValueKey(items[i].value), i);
            if (fresh)
                continue;
            int line = items[i].line.number ? items[i].line.number : part.line;
            Add(line, cLintRuleId::DuplicateItemValue,
                what() + u": item " + Quoted(m_doc.ResolveText(items[i].name)) +
                    u" has the same value as item " +
                    Quoted(m_doc.ResolveText(items[it->second].name)));
        }
    }

    const CPelwinDoc& m_doc;
    const cReadLog& m_log;
    std::vector<cFinding> m_findings;
    std::unordered_map<const cTreeItem*, std::unordered_map<Text, int>> m_values;
};

}  // namespace

// Registry keys and value names are not told apart by the case of their letters.
Text RegistryName(TextView key, TextView valueName) {
    Text out;
    out.reserve(key.size() + valueName.size() + 1);
    for (char16_t c : key)
        out.push_back(c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
    out.push_back(u'\\');
    for (char16_t c : valueName)
        out.push_back(c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
    return out;
}

cFinding FindingOf(const cReadLog::cFormatFinding& finding) {
    // A format names its rules by their ids; the table gives the severity, which a format
    // may lower to a warning for a finding of lesser weight (an id missing in a translation
    // is an error only where the ADMX refers to it).
    const cLintRule* rule = FindLintRule(finding.rule);
    return {finding.line,
            rule && finding.error ? rule->severity
            : finding.error       ? cLintSeverity::Error
                                  : cLintSeverity::Warning,
            rule ? rule->id : finding.rule, finding.text, finding.file};
}

void SortFindings(std::vector<cFinding>& findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const cFinding& a, const cFinding& b) {
        const bool aElsewhere = !a.file.empty();
        const bool bElsewhere = !b.file.empty();
        return std::tie(aElsewhere, a.file, a.line) < std::tie(bElsewhere, b.file, b.line);
    });
}

std::vector<cFinding> LintTemplate(const CPelwinDoc& doc, const cReadLog& log) {
    return cLinter(doc, log).Run();
}
