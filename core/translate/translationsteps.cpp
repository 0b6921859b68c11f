#include "core/translate/translationsteps.h"

#include "core/document/document.h"
#include "core/translate/languages.h"

namespace {

std::optional<Text> Optional(const Text* text) {
    return text ? std::optional<Text>(*text) : std::nullopt;
}

}  // namespace

// ---- A target language's text --------------------------------------------------------

std::unique_ptr<cTranslationTextStep> cTranslationTextStep::Make(CPelwinDoc& doc, Text language,
                                                                 Text name,
                                                                 std::optional<Text> text,
                                                                 std::optional<Text> basis) {
    auto languages = LanguagesOf(doc);
    const cLanguageTable* table = languages ? languages->Find(language) : nullptr;
    if (!table)
        return nullptr;
    Text label = u"Translate " + name + u" (" + language + u")";
    std::unique_ptr<cTranslationTextStep> step(
        new cTranslationTextStep(std::move(label), std::move(language), std::move(name)));
    step->m_before = Optional(table->strings.Find(step->m_name));
    auto before = table->basis.find(TextView(step->m_name));
    if (before != table->basis.end())
        step->m_beforeBasis = before->second;
    if (text) {
        const Text* source = doc.Strings().Find(step->m_name);
        if (!source && languages->MoreSources())
            source = languages->MoreSources()->Find(step->m_name);
        step->m_afterBasis = basis ? std::move(basis) : Optional(source);
        step->m_after = std::move(text);
    }
    return step;
}

bool cTranslationTextStep::Put(CPelwinDoc& doc, const std::optional<Text>& text,
                               const std::optional<Text>& basis) {
    auto languages = LanguagesOf(doc);
    cLanguageTable* table = languages ? languages->Find(m_language) : nullptr;
    if (!table)
        return false;
    if (text)
        table->strings.Set(m_name, *text);
    else
        table->strings.Remove(m_name);
    if (basis)
        table->basis.insert_or_assign(m_name, *basis);
    else
        table->basis.erase(m_name);
    doc.SetModifiedFlag(1);
    return true;
}

// ---- A display text ------------------------------------------------------------------

std::unique_ptr<cDisplayTextStep> cDisplayTextStep::Make(CPelwinDoc& doc, Text name, Text text) {
    const Text* before = doc.Strings().Find(name);
    if (!before)
        return nullptr;
    Text label = u"Edit text " + name;
    return std::unique_ptr<cDisplayTextStep>(
        new cDisplayTextStep(std::move(label), std::move(name), *before, std::move(text)));
}

bool cDisplayTextStep::Put(CPelwinDoc& doc, const Text& text) {
    if (!doc.Strings().Contains(m_name))
        return false;
    doc.Strings().Set(m_name, text);
    doc.RefreshAllNodes();
    doc.SetModifiedFlag(1);
    return true;
}

// ---- A new language ------------------------------------------------------------------

std::unique_ptr<cAddLanguageStep> cAddLanguageStep::Make(CPelwinDoc& doc, const Text& language,
                                                         Text& problem) {
    auto languages = LanguagesOf(doc);
    if (!languages) {
        problem = u"This template's format keeps no other languages.";
        return nullptr;
    }
    if (!languages->CanAddLanguage(language, problem))
        return nullptr;
    cLanguageTable table;
    table.language = language;
    table.strings = doc.Strings();
    if (const cStringMap* more = languages->MoreSources())
        for (const auto& [name, text] : more->Entries())
            table.strings.Set(name, text);
    for (const auto& [name, text] : table.strings.Entries())
        table.basis.emplace(name, text);
    return std::unique_ptr<cAddLanguageStep>(
        new cAddLanguageStep(u"Add language " + language, std::move(table)));
}

bool cAddLanguageStep::Apply(CPelwinDoc& doc) {
    auto languages = LanguagesOf(doc);
    if (!languages || !m_held || !languages->Insert(*m_held))
        return false;
    m_held.reset();
    doc.SetModifiedFlag(1);
    return true;
}

bool cAddLanguageStep::Revert(CPelwinDoc& doc) {
    auto languages = LanguagesOf(doc);
    if (!languages || m_held)
        return false;
    m_held = languages->Take(m_language);
    return m_held.has_value();
}
