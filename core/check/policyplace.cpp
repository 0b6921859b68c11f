#include "core/check/policyplace.h"

#include "core/document/formats.h"

namespace {

bool IsAdmReference(TextView text) {
    return text.size() > 2 && text[0] == u'!' && text[1] == u'!';
}

constexpr TextView kStringHead = u"$(string.";

// The ID of "$(string.ID)"; empty for any other text.
TextView AdmxStringId(TextView text) {
    if (text.size() <= kStringHead.size() + 1 || text.back() != u')' ||
        text.substr(0, kStringHead.size()) != kStringHead)
        return {};
    return text.substr(kStringHead.size(), text.size() - kStringHead.size() - 1);
}

}  // namespace

std::vector<Text> PolicyClasses(const cTreeItem& policyItem) {
    for (const cTreeItem* up = policyItem.parent; up; up = up->parent) {
        if (!up->node || up->node->kind != kKindClass)
            continue;
        const Text& name = static_cast<const cPolClass&>(*up->node).className;
        if (KeywordEquals(name, u"MACHINE"))
            return {u"MACHINE"};
        if (KeywordEquals(name, u"USER"))
            return {u"USER"};
        return {name};
    }
    // A policy of an ADMX set holds its class itself.
    if (const cData* node = policyItem.node.get(); node && node->admx) {
        const Text& cls = node->admx->policyClass;
        if (cls == u"Both")
            return {u"MACHINE", u"USER"};
        if (cls == u"User")
            return {u"USER"};
        if (cls == u"Machine")
            return {u"MACHINE"};
    }
    return {};
}

TextView RegistryRoot(TextView className) {
    if (className == u"MACHINE")
        return u"HKEY_LOCAL_MACHINE";
    if (className == u"USER")
        return u"HKEY_CURRENT_USER";
    return {};
}

std::vector<Text> PolicyCategories(const cTreeOwner& owner, const cTreeItem& policyItem) {
    std::vector<Text> names;
    for (const cTreeItem* up = policyItem.parent; up; up = up->parent)
        if (up->node && up->node->kind == kKindCategory)
            names.push_back(ShownText(owner, static_cast<const cCategory&>(*up->node).name));
    return {names.rbegin(), names.rend()};
}

Text PolicyPath(const cTreeOwner& owner, const cTreeItem& policyItem, TextView className) {
    Text path(className);
    for (const Text& category : PolicyCategories(owner, policyItem))
        path += (path.empty() ? u"" : u" > ") + category;
    if (policyItem.node)
        path += (path.empty() ? u"" : u" > ") +
                ShownText(owner, static_cast<const cPolicy&>(*policyItem.node).name);
    return path;
}

Text ShownText(const cTreeOwner& owner, const Text& text) {
    if (!AdmxStringId(text).empty())
        return owner.ResolveText(text);
    Text shown = IsAdmReference(text) ? owner.ResolveText(text) : text;
    size_t at = shown.find(u"\\n");
    if (at == Text::npos)
        return shown;
    Text out;
    out.reserve(shown.size());
    size_t from = 0;
    for (; at != Text::npos; at = shown.find(u"\\n", from)) {
        out.append(shown, from, at - from);
        out += u'\n';
        from = at + 2;
    }
    out.append(shown, from);
    return out;
}

Text KeyWithValueName(const cObjPolicy& policy) {
    Text key = policy.GetEffectiveKey();
    if (policy.valueNameFlag)
        key += u"\\" + policy.valueName;
    return key;
}

const Text* ReferencedString(const CPelwinDoc& doc, TextView text) {
    if (&doc.Format() == &AdmxFormat()) {
        TextView id = AdmxStringId(text);
        return id.empty() ? nullptr : doc.Strings().Find(id);
    }
    return IsAdmReference(text) ? doc.Strings().Find(text.substr(2)) : nullptr;
}

bool BackslashNIsLineBreak(const CPelwinDoc& doc) {
    return &doc.Format() != &AdmxFormat();
}
