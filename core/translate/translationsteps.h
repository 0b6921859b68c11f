#pragma once

#include <memory>
#include <optional>

#include "core/edit/editstep.h"
#include "core/model/languagetable.h"

// The undoable changes of a template's translations, steps of the template's history like
// every other edit. They find their languages again through LanguagesOf, by tag.

// One name's text in a target language: set, or taken away (the name is missing then).
// The text is noted as made against the display text of the moment.
class cTranslationTextStep : public cEditStep {
public:
    // Null when doc has no such language. basis is the display text the text was made
    // against; by default the display text of the moment.
    static std::unique_ptr<cTranslationTextStep> Make(CPelwinDoc& doc, Text language, Text name,
                                                      std::optional<Text> text,
                                                      std::optional<Text> basis = std::nullopt);

    bool Apply(CPelwinDoc& doc) override { return Put(doc, m_after, m_afterBasis); }
    bool Revert(CPelwinDoc& doc) override { return Put(doc, m_before, m_beforeBasis); }

private:
    cTranslationTextStep(Text label, Text language, Text name)
        : cEditStep(std::move(label)), m_language(std::move(language)), m_name(std::move(name)) {}
    bool Put(CPelwinDoc& doc, const std::optional<Text>& text, const std::optional<Text>& basis);

    Text m_language;
    Text m_name;
    std::optional<Text> m_before, m_beforeBasis;
    std::optional<Text> m_after, m_afterBasis;
};

// One name's display text (the document's own string table); every label shows it anew.
class cDisplayTextStep : public cEditStep {
public:
    // Null when the table has no such name.
    static std::unique_ptr<cDisplayTextStep> Make(CPelwinDoc& doc, Text name, Text text);

    bool Apply(CPelwinDoc& doc) override { return Put(doc, m_after); }
    bool Revert(CPelwinDoc& doc) override { return Put(doc, m_before); }

private:
    cDisplayTextStep(Text label, Text name, Text before, Text after)
        : cEditStep(std::move(label)),
          m_name(std::move(name)),
          m_before(std::move(before)),
          m_after(std::move(after)) {}
    bool Put(CPelwinDoc& doc, const Text& text);

    Text m_name;
    Text m_before;
    Text m_after;
};

// A new target language, starting as a copy of the display texts (each one untranslated);
// the step holds the language while it is undone.
class cAddLanguageStep : public cEditStep {
public:
    // Null, with problem saying why, when doc cannot take the language.
    static std::unique_ptr<cAddLanguageStep> Make(CPelwinDoc& doc, const Text& language,
                                                  Text& problem);

    bool Apply(CPelwinDoc& doc) override;
    bool Revert(CPelwinDoc& doc) override;

private:
    cAddLanguageStep(Text label, cLanguageTable table)
        : cEditStep(std::move(label)), m_language(table.language), m_held(std::move(table)) {}

    Text m_language;
    std::optional<cLanguageTable> m_held;
};
