#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "core/translate/xliff.h"

class CPelwinDoc;
class cTranslationSet;

// A language of a template as an exchange file for translators: every name with its display
// text, the language's text (none when missing) and its state: untranslated texts are
// "needs-translation", stale ones "needs-review-translation", the rest "translated".
cXliffFile ExportLanguage(const cTranslationSet& set, size_t language, const Text& original);

// What importing an exchange file changes: each name whose text in the file differs from
// the language's, with the display text the translator saw (the unit's source), which a
// translation is then noted as made against.
struct cImportChange {
    Text name;
    Text text;
    // None when the file gave no display text: the one of the moment.
    std::optional<Text> basis;
};
struct cImportPlan {
    Text language;
    std::vector<cImportChange> changes;
};

// Plans the import of file into set. False, with problem, when the file is for a language
// the template does not hold, another display language, or names ids the template does not
// have (all of them listed): nothing is to change then. Units without a target change
// nothing.
bool PlanImport(const cTranslationSet& set, const cXliffFile& file, cImportPlan& plan,
                Text& problem);

// Makes the planned changes as one step of the document ("Import translations (de-DE)").
// False when there is nothing to change or the step could not be made.
bool ApplyImport(CPelwinDoc& doc, const cImportPlan& plan);
