#include "core/pages/admxtemplatepage.h"

#include <algorithm>
#include <set>

#include "core/admx/admxset.h"
#include "core/document/document.h"
#include "core/pages/admxpages.h"

namespace {

cAdmxState* AdmxStateOf(CPelwinDoc& doc) {
    auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
    return state && state->set ? state : nullptr;
}

Text Trimmed(const Text& text) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// The references of the document as its save would write them, by prefix.
std::map<std::string, cPrefixUses> PrefixUsesOf(CPelwinDoc& doc, const cAdmxState& state) {
    // A write over copies of the document's parts: it only reads them.
    cStringMap strings = doc.Strings();
    std::vector<Text> trailing = doc.TrailingComments();
    std::vector<cPassedOver> passedOver;
    std::unique_ptr<cFormatState> copy = state.Clone();
    int encoding = doc.Utf16();
    cTemplateTree* tree = &doc.Tree();
    cTemplateContent content{[tree] { return tree; }, strings, trailing, passedOver, copy, encoding,
                             doc.Language()};
    return AdmxReferencePrefixes(content);
}

// "2 parentCategory, 1 supportedOn"
Text UsesText(const cPrefixUses& uses) {
    Text text;
    for (const auto& [element, count] : uses.elements) {
        if (!text.empty())
            text += u", ";
        text += FormatText(u"%d ", {long(count)}) + FromUtf8(element);
    }
    return text;
}

}  // namespace

std::optional<cAdmxTemplatePageValues> cAdmxTemplatePageValues::Load(CPelwinDoc& doc) {
    const cAdmxState* state = AdmxStateOf(doc);
    if (!state)
        return std::nullopt;
    const cAdmxSet& set = *state->set;
    cAdmxTemplatePageValues values;
    values.m_loaded = state->templateProps ? *state->templateProps : TemplatePropsOf(set);
    values.targetPrefix = values.m_loaded.target.prefix;
    values.targetNamespace = values.m_loaded.target.name;
    values.usings = values.m_loaded.usings;
    values.revision = values.m_loaded.revision;
    values.minRequiredRevision = values.m_loaded.minRequiredRevision;
    const cAdmxTemplateProps read = TemplatePropsOf(set);
    values.m_readRevision = read.revision;
    values.m_readTarget = read.target.prefix;
    for (const auto& language : set.languages)
        values.m_languageRevisions.emplace_back(language->folder,
                                                AttributeText(language->xml.Root(), "revision"));
    values.m_uses = PrefixUsesOf(doc, *state);
    return values;
}

size_t cAdmxTemplatePageValues::AddUsing() {
    usings.push_back({});
    return usings.size() - 1;
}

void cAdmxTemplatePageValues::DeleteUsing(size_t row) {
    if (row < usings.size())
        usings.erase(usings.begin() + long(row));
}

cAdmxTemplateProps cAdmxTemplatePageValues::Props() const {
    cAdmxTemplateProps props;
    props.target = {Trimmed(targetPrefix), Trimmed(targetNamespace)};
    for (const cAdmxNamespace& use : usings)
        props.usings.push_back({Trimmed(use.prefix), Trimmed(use.name)});
    props.revision = Trimmed(revision);
    props.minRequiredRevision = Trimmed(minRequiredRevision);
    return props;
}

std::optional<Text> cAdmxTemplatePageValues::Validate() const {
    const cAdmxTemplateProps props = Props();
    std::vector<const cAdmxNamespace*> all{&props.target};
    for (const cAdmxNamespace& use : props.usings)
        all.push_back(&use);
    std::set<Text> prefixes;
    std::set<Text> names;
    for (const cAdmxNamespace* space : all) {
        if (!IsAdmxName(space->prefix))
            return FormatText(
                u"The prefix \"%.50s\" cannot be used: a prefix begins with a letter or an "
                u"underscore and holds only letters, digits, underscores, hyphens and periods.",
                {space->prefix});
        if (!prefixes.insert(space->prefix).second)
            return FormatText(
                u"The prefix \"%.50s\" is given twice: each namespace needs a prefix of its own.",
                {space->prefix});
        if (space->name.empty())
            return space == &props.target
                       ? Text(u"The file's own namespace has no name.")
                       : FormatText(u"The namespace of the prefix \"%.50s\" has no name.",
                                    {space->prefix});
        if (!names.insert(space->name).second)
            return FormatText(u"The namespace \"%.50s\" is given twice.", {space->name});
    }

    // References made with the file's own prefix follow it to a new one; a using prefix of
    // that name would be taken for the file's own.
    if (props.target.prefix != m_readTarget && prefixes.count(m_readTarget))
        return FormatText(
            u"The prefix \"%.50s\" was this file's own: its references move to \"%.50s\". "
            u"Give the other namespace another prefix.",
            {m_readTarget, props.target.prefix});

    const bool revisionChanged = props.revision != m_loaded.revision;
    const bool minimumChanged = props.minRequiredRevision != m_loaded.minRequiredRevision;
    for (const auto& [changed, value, label] :
         {std::tuple{revisionChanged, &props.revision, u"revision"},
          std::tuple{minimumChanged, &props.minRequiredRevision, u"minimum required revision"}})
        if (changed && !ParseAdmxRevision(ToUtf8(*value)))
            return FormatText(
                u"The %s \"%.50s\" is not a revision: up to four digits, a period and up to "
                u"five digits, as in 1.0.",
                {Text(label), *value});

    // A prefix that leaves the using list would leave its references pointing nowhere, and
    // a file with such a parent category does not read.
    for (const cAdmxNamespace& before : m_loaded.usings) {
        const bool stays =
            std::any_of(props.usings.begin(), props.usings.end(),
                        [&](const cAdmxNamespace& now) { return now.prefix == before.prefix; });
        if (stays)
            continue;
        auto used = m_uses.find(ToUtf8(before.prefix));
        if (used != m_uses.end() && used->second.total > 0)
            return FormatText(
                u"The prefix \"%.50s\" cannot leave the using list: %s of this file still "
                u"use it (%s). Change them first.",
                {before.prefix, Counted(used->second.total, u"reference", u"references"),
                 UsesText(used->second)});
    }

    // The language files the save writes: a file of the ADMX file's revision takes the new
    // one, the others keep theirs; each must still satisfy the minimum.
    if (revisionChanged || minimumChanged) {
        const auto minimum = ParseAdmxRevision(ToUtf8(props.minRequiredRevision));
        for (const auto& [folder, read] : m_languageRevisions) {
            const Text after =
                SameAdmxRevision(ToUtf8(read), ToUtf8(m_readRevision)) ? props.revision : read;
            const auto value = ParseAdmxRevision(ToUtf8(after));
            if (minimum && value && *value < *minimum)
                return FormatText(
                    u"The language file %s would have the revision %s, below the minimum "
                    u"required revision %s: the policy editor would not show that language.",
                    {folder, after, props.minRequiredRevision});
        }
    }
    return std::nullopt;
}

std::unique_ptr<cTemplatePropsStep> cTemplatePropsStep::Make(CPelwinDoc& doc,
                                                             cAdmxTemplateProps props) {
    const cAdmxState* state = AdmxStateOf(doc);
    if (!state)
        return nullptr;
    // Values the same as the set's are kept as none: the save then leaves every file as read.
    std::optional<cAdmxTemplateProps> after;
    if (props != TemplatePropsOf(*state->set))
        after = std::move(props);
    return std::make_unique<cTemplatePropsStep>(state->templateProps, std::move(after));
}

bool cTemplatePropsStep::Put(CPelwinDoc& doc, const std::optional<cAdmxTemplateProps>& props) {
    cAdmxState* state = AdmxStateOf(doc);
    if (!state)
        return false;
    state->templateProps = props;
    doc.SetModifiedFlag(1);
    ShowFileChange(doc);
    return true;
}
