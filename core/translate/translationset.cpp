#include "core/translate/translationset.h"

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/model/nodeobjects.h"
#include "core/model/partkinds.h"
#include "core/translate/translationsteps.h"

cTranslationSet::cTranslationSet(CPelwinDoc& doc) : m_doc(doc), m_languages(LanguagesOf(doc)) {
    Refresh();
}

namespace {

// The names of the rows: the display table's, then those of the languages' further sources.
std::vector<Text> RowNames(const cStringMap& strings, const cDocumentLanguages* languages) {
    std::vector<Text> names;
    const cStringMap* more = languages ? languages->MoreSources() : nullptr;
    names.reserve(strings.Size() + (more ? more->Size() : 0));
    for (const auto& entry : strings.Entries())
        names.push_back(entry.first);
    if (more)
        for (const auto& entry : more->Entries())
            names.push_back(entry.first);
    return names;
}

bool SameNames(const cStringMap& strings, const cDocumentLanguages* languages,
               const std::vector<Text>& names) {
    const cStringMap* more = languages ? languages->MoreSources() : nullptr;
    const size_t own = strings.Size();
    if (own + (more ? more->Size() : 0) != names.size())
        return false;
    for (size_t i = 0; i < own; ++i)
        if (strings.Entries()[i].first != names[i])
            return false;
    for (size_t i = own; i < names.size(); ++i)
        if (more->Entries()[i - own].first != names[i])
            return false;
    return true;
}

std::vector<Text> TagsOf(const cDocumentLanguages* languages) {
    std::vector<Text> tags;
    if (languages)
        for (size_t i = 0; i < languages->Count(); ++i)
            tags.push_back(languages->At(i).language);
    return tags;
}

}  // namespace

bool cTranslationSet::NeedsRefresh() const {
    return !SameNames(m_doc.Strings(), m_languages.get(), m_names) ||
           TagsOf(m_languages.get()) != m_tags;
}

bool cTranslationSet::Refresh() {
    bool changed = false;
    if (!SameNames(m_doc.Strings(), m_languages.get(), m_names)) {
        m_names = RowNames(m_doc.Strings(), m_languages.get());
        changed = true;
    }
    std::vector<Text> tags = TagsOf(m_languages.get());
    if (tags != m_tags) {
        m_tags = std::move(tags);
        changed = true;
    }
    return changed;
}

const Text* cTranslationSet::SourceText(size_t row) const {
    if (const Text* text = m_doc.Strings().Find(m_names[row]))
        return text;
    const cStringMap* more = m_languages ? m_languages->MoreSources() : nullptr;
    return more ? more->Find(m_names[row]) : nullptr;
}

bool cTranslationSet::IsDisplayText(size_t row) const {
    return m_doc.Strings().Contains(m_names[row]);
}

size_t cTranslationSet::RowOf(TextView name) const {
    for (size_t row = 0; row < m_names.size(); ++row)
        if (m_names[row] == name)
            return row;
    return npos;
}

Text cTranslationSet::SourceLanguage() const {
    return m_languages ? m_languages->SourceLanguage() : Text();
}

size_t cTranslationSet::IndexOf(TextView language) const {
    for (size_t i = 0; i < m_tags.size(); ++i)
        if (m_tags[i] == language)
            return i;
    return npos;
}

const cLanguageTable* cTranslationSet::Table(size_t language) const {
    // Looked up by tag every time: a table that an undo took away is never reached.
    return m_languages && language < m_tags.size() ? m_languages->Find(m_tags[language]) : nullptr;
}

const Text* cTranslationSet::TargetText(size_t row, size_t language) const {
    const cLanguageTable* table = Table(language);
    return table ? table->strings.Find(m_names[row]) : nullptr;
}

cCellState cTranslationSet::State(size_t row, size_t language) const {
    const cLanguageTable* table = Table(language);
    if (!table)
        return cCellState::Missing;
    const Text* source = SourceText(row);
    const Text* target = table->strings.Find(m_names[row]);
    auto basis = table->basis.find(TextView(m_names[row]));
    return CellState(source ? TextView(*source) : TextView(), target,
                     basis == table->basis.end() ? nullptr : &basis->second);
}

cStateCounts cTranslationSet::Counts(size_t language) const {
    cStateCounts counts;
    for (size_t row = 0; row < m_names.size(); ++row)
        ++counts[State(row, language)];
    return counts;
}

bool cTranslationSet::Passes(size_t row, cTranslationFilter filter,
                             const std::vector<size_t>& languages) const {
    if (filter == cTranslationFilter::All)
        return true;
    const cCellState wanted = filter == cTranslationFilter::Missing ? cCellState::Missing
                              : filter == cTranslationFilter::Stale ? cCellState::Stale
                                                                    : cCellState::Untranslated;
    for (size_t language : languages)
        if (State(row, language) == wanted)
            return true;
    return false;
}

bool cTranslationSet::Matches(size_t row, const std::function<bool(TextView)>& matches,
                              const std::vector<size_t>& languages) const {
    if (matches(m_names[row]))
        return true;
    if (const Text* source = SourceText(row); source && matches(*source))
        return true;
    for (size_t language : languages)
        if (const Text* target = TargetText(row, language); target && matches(*target))
            return true;
    return false;
}

bool cTranslationSet::SetTarget(size_t row, size_t language, Text text) {
    if (row >= m_names.size() || language >= m_tags.size())
        return false;
    const Text* now = TargetText(row, language);
    if ((now && *now == text) || (!now && text.empty()))
        return false;
    return PerformStep(
        m_doc, cTranslationTextStep::Make(m_doc, m_tags[language], m_names[row], std::move(text)));
}

bool cTranslationSet::SetSource(size_t row, Text text) {
    if (row >= m_names.size())
        return false;
    const Text* now = SourceText(row);
    if (!now || *now == text)
        return false;
    return PerformStep(m_doc, cDisplayTextStep::Make(m_doc, m_names[row], std::move(text)));
}

// ---- Where a string is used --------------------------------------------------------------

namespace {

// "!!name", or the ADMX form "$(string.name)".
bool Shows(const Text& text, TextView name) {
    if (text.size() == name.size() + 2 && text[0] == u'!' && text[1] == u'!')
        return TextView(text).substr(2) == name;
    constexpr TextView kString = u"$(string.";
    return text.size() == kString.size() + name.size() + 1 && text.starts_with(kString) &&
           text.back() == u')' && TextView(text).substr(kString.size(), name.size()) == name;
}

bool PartShows(const cObjPolPart& part, TextView name) {
    if (Shows(part.name, name))
        return true;
    return VisitPart(part, cOverloaded{
                               [&](const cObjPolPartDropDown& drop) {
                                   for (const cItemList& item : drop.itemList)
                                       if (Shows(item.name, name))
                                           return true;
                                   return false;
                               },
                               [](const auto&) { return false; },
                           });
}

bool NodeShows(const cData& node, TextView name) {
    switch (node.kind) {
        case kKindClass:
            return Shows(static_cast<const cPolClass&>(node).className, name);
        case kKindCategory: {
            const auto& category = static_cast<const cCategory&>(node);
            return Shows(category.name, name) ||
                   (category.explainFlag && Shows(category.explainText, name));
        }
        case kKindPolicy:
            break;
        default:
            return false;
    }
    const auto& policy = static_cast<const cObjPolicy&>(node);
    if (Shows(policy.name, name) || (policy.explainFlag && Shows(policy.explainText, name)) ||
        (policy.supportedFlag && Shows(policy.supportedText, name)))
        return true;
    for (const auto& part : policy.Parts())
        if (PartShows(*part, name))
            return true;
    return false;
}

}  // namespace

cTreeItem* ItemUsingString(const cTemplateTree& tree, TextView name) {
    for (cTreeItem* item = tree.FirstRootItem(); item; item = tree.NextPreOrder(item))
        if (item->node && NodeShows(*item->node, name))
            return item;
    return nullptr;
}
