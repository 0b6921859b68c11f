#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/translate/cellstate.h"
#include "core/translate/languages.h"

class CPelwinDoc;
class cTemplateTree;
struct cTreeItem;

// Which rows the Translations window shows: all, or those where one of the shown languages
// has a text in the given state.
enum class cTranslationFilter { All, Missing, Untranslated, Stale };

// A template's translations side by side: one row per name of the display language's table,
// in its order, with the display text and each target language's text and state. A view
// over the document: texts are looked up as they are asked for, and every change is a step
// of the document's history.
class cTranslationSet {
public:
    explicit cTranslationSet(CPelwinDoc& doc);

    CPelwinDoc& Document() const { return m_doc; }
    // Null when the template's format keeps no other languages.
    cDocumentLanguages* Languages() const { return m_languages.get(); }

    // Takes in the document's names and languages as they are now; true when they changed
    // (not merely texts).
    bool Refresh();
    // Whether Refresh would change the rows or the languages.
    bool NeedsRefresh() const;

    size_t RowCount() const { return m_names.size(); }
    const Text& Name(size_t row) const { return m_names[row]; }
    // The display text; null when the name has gone since the last Refresh.
    const Text* SourceText(size_t row) const;
    // Whether the row's source is a display text (else a further source, not edited here).
    bool IsDisplayText(size_t row) const;
    // The row of a name, or npos.
    size_t RowOf(TextView name) const;

    Text SourceLanguage() const;
    size_t LanguageCount() const { return m_tags.size(); }
    const Text& Language(size_t index) const { return m_tags[index]; }
    // The index of a language, or npos.
    size_t IndexOf(TextView language) const;

    const Text* TargetText(size_t row, size_t language) const;
    cCellState State(size_t row, size_t language) const;
    cStateCounts Counts(size_t language) const;

    // Whether the row passes the filter for one of languages (every row passes All).
    bool Passes(size_t row, cTranslationFilter filter, const std::vector<size_t>& languages) const;
    // Whether matches accepts the row's name, display text or the text of one of languages.
    bool Matches(size_t row, const std::function<bool(TextView)>& matches,
                 const std::vector<size_t>& languages) const;

    // Sets a language's text for the row as one step; false when nothing changed. An empty
    // text does not fill a missing one: that would hide that it is missing.
    bool SetTarget(size_t row, size_t language, Text text);
    // Sets the display text as one step; false when nothing changed.
    bool SetSource(size_t row, Text text);

    static constexpr size_t npos = size_t(-1);

private:
    const cLanguageTable* Table(size_t language) const;

    CPelwinDoc& m_doc;
    std::unique_ptr<cDocumentLanguages> m_languages;
    std::vector<Text> m_names;
    std::vector<Text> m_tags;
};

// The first item in tree order whose node, or one of its parts or items, shows the string
// name ("!!name"); null when none does.
cTreeItem* ItemUsingString(const cTemplateTree& tree, TextView name);
