#include "core/check/find.h"

#include "core/check/policyplace.h"
#include "core/document/document.h"
#include "core/model/partkinds.h"

char16_t FoldChar(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return char16_t(c + 32);
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital and small letters, mostly capital first.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? char16_t(c + 1) : c;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c & 1) ? c : char16_t(c + 1);
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return char16_t(c + 32);
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 80);
    return c;
}

Text FoldCase(TextView text) {
    Text out(text);
    for (char16_t& c : out)
        c = FoldChar(c);
    return out;
}

cTextMatcher::cTextMatcher(TextView pattern, bool matchCase)
    : m_pattern(matchCase ? Text(pattern) : FoldCase(pattern)), m_matchCase(matchCase) {}

bool cTextMatcher::Matches(TextView text) const {
    if (m_pattern.empty())
        return true;
    if (text.size() < m_pattern.size())
        return false;
    if (m_matchCase)
        return text.find(m_pattern) != TextView::npos;
    // Folded as it is compared: most positions fail at their first character, and the text
    // is not copied (the find bar runs this over every text of a template per keystroke).
    const char16_t first = m_pattern[0];
    const size_t length = m_pattern.size();
    for (size_t i = 0, last = text.size() - length; i <= last; ++i) {
        if (FoldChar(text[i]) != first)
            continue;
        size_t j = 1;
        while (j < length && FoldChar(text[i + j]) == m_pattern[j])
            ++j;
        if (j == length)
            return true;
    }
    return false;
}

namespace {

// Hands every text of a node that find looks at to `match` until one matches.
class cNodeSearch {
public:
    cNodeSearch(const cTreeOwner& owner, const cFindOptions& options, const cTextMatcher& matcher)
        : m_owner(owner), m_options(options), m_matcher(matcher) {}

    // A display text: its reference name and what it shows.
    bool Shown(const Text& text) const {
        if (!m_options.namesAndTexts)
            return false;
        if (m_matcher.Matches(text))
            return true;
        // A reference: "!!name" in an ADM template, "$(string.ID)" in an ADMX set.
        return text.size() >= 2 &&
               ((text[0] == u'!' && text[1] == u'!') || (text[0] == u'$' && text[1] == u'(')) &&
               m_matcher.Matches(m_owner.ResolveText(text));
    }
    bool Registry(const Text& text) const {
        return m_options.keysAndValues && m_matcher.Matches(text);
    }
    bool Actions(const cActionList& list) const {
        for (const cActionKey& group : list) {
            if (Registry(group.keyName))
                return true;
            for (const cActionValue& entry : group.entries)
                if (Registry(entry.valueName))
                    return true;
        }
        return false;
    }

    bool Part(const cObjPolPart& part) const {
        if (Shown(part.name) || (!part.useDefaultKey && Registry(part.keyName)) ||
            Registry(part.valueName))
            return true;
        return VisitPart(part, cOverloaded{
                                   [&](const cObjPolPartCheckBox& check) {
                                       return Actions(check.actionListOn) ||
                                              Actions(check.actionListOff);
                                   },
                                   [&](const cObjPolPartDropDown& drop) {
                                       for (const cItemList& item : drop.itemList)
                                           if (Shown(item.name) || Actions(item.actionList))
                                               return true;
                                       return false;
                                   },
                                   [](const auto&) { return false; },
                               });
    }

    bool Node(const cData& node) const {
        switch (node.kind) {
            case kKindClass:
                return Shown(static_cast<const cPolClass&>(node).className);
            case kKindVersion:
                return Shown(static_cast<const cPolVersion&>(node).label);
            case kKindCategory: {
                const auto& category = static_cast<const cCategory&>(node);
                return Shown(category.name) ||
                       (category.explainFlag && Shown(category.explainText)) ||
                       (!category.useDefaultKey && Registry(category.keyName));
            }
            case kKindPolicy:
                break;
            default:
                return false;
        }
        const auto* policy = static_cast<const cObjPolicy*>(&node);
        if (Shown(policy->name) || (policy->explainFlag && Shown(policy->explainText)) ||
            (policy->supportedFlag && Shown(policy->supportedText)) ||
            (!policy->useDefaultKey && Registry(policy->keyName)) ||
            (policy->valueNameFlag && Registry(policy->valueName)) ||
            Actions(policy->actionListOn) || Actions(policy->actionListOff))
            return true;
        for (const auto& part : policy->Parts())
            if (Part(*part))
                return true;
        return false;
    }

private:
    const cTreeOwner& m_owner;
    const cFindOptions& m_options;
    const cTextMatcher& m_matcher;
};

Text KeyAndValue(Text key, const Text& valueName, bool hasValueName) {
    if (hasValueName && !valueName.empty())
        key += u"\\" + valueName;
    return key;
}

}  // namespace

bool NodeMatches(const cData& node, const cTreeOwner& owner, const cFindOptions& options,
                 const cTextMatcher& matcher) {
    return cNodeSearch(owner, options, matcher).Node(node);
}

std::vector<cFindHit> FindInTemplate(const CPelwinDoc& doc, TextView pattern, bool byKey) {
    std::vector<cFindHit> hits;
    cTextMatcher matcher(pattern, false);
    auto contains = [&](const Text& text, bool shown) {
        return matcher.Matches(text) || (shown && matcher.Matches(doc.ResolveText(text)));
    };
    const cTemplateTree& tree = doc.Tree();
    tree.ForEachPreOrder([&](cTreeItem* item) {
        if (!item->node || item->node->kind != kKindPolicy)
            return;
        const auto* policy = static_cast<const cObjPolicy*>(item->node.get());
        // The path through classes and categories; version conditions are not places.
        Text path;
        const cTreeItem* top = nullptr;
        for (const cTreeItem* up = item->parent; up && up != tree.Root(); up = up->parent) {
            if (up->node && up->node->kind == kKindVersion)
                continue;
            // A node of an ADMX set by its name, without the notes of its label.
            const Text shown = up->node && up->node->admx && up->node->kind == kKindCategory
                                   ? doc.ResolveText(static_cast<const cCategory&>(*up->node).name)
                                   : up->label;
            path = shown + (path.empty() ? u"" : u" > " + path);
            top = up;
        }
        // An ADMX set has no class nodes: its policy's class leads the path.
        if (!top || !top->node || top->node->kind != kKindClass) {
            // A policy of both classes names both.
            Text classes;
            for (const Text& cls : PolicyClasses(*item))
                classes += (classes.empty() ? u"" : u", ") + cls;
            if (!classes.empty())
                path = classes + (path.empty() ? u"" : u" > " + path);
        }
        path += (path.empty() ? u"" : u" > ") + doc.ResolveText(policy->name);
        Text key = policy->GetEffectiveKey();
        bool hit = byKey ? contains(key, false) ||
                               (policy->valueNameFlag && contains(policy->valueName, false))
                         : contains(policy->name, true);
        if (hit)
            hits.push_back(
                {policy->line, path, KeyAndValue(key, policy->valueName, policy->valueNameFlag)});
        for (const auto& part : policy->Parts()) {
            if (!UsesKey(*part) && byKey)
                continue;
            Text partKey = UsesKey(*part) ? part->GetEffectiveKey() : Text();
            bool valueName = UsesValueName(*part);
            hit = byKey
                      ? contains(partKey, false) || (valueName && contains(part->valueName, false))
                      : contains(part->name, true);
            if (hit)
                hits.push_back({part->line, path + u" > " + doc.ResolveText(part->name),
                                KeyAndValue(partKey, part->valueName, valueName)});
        }
    });
    return hits;
}
