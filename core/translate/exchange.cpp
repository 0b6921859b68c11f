#include "core/translate/exchange.h"

#include <unordered_map>

#include "core/document/document.h"
#include "core/translate/translationset.h"
#include "core/translate/translationsteps.h"

cXliffFile ExportLanguage(const cTranslationSet& set, size_t language, const Text& original) {
    cXliffFile file;
    file.original = original;
    file.sourceLanguage = set.SourceLanguage();
    file.targetLanguage = set.Language(language);
    file.units.reserve(set.RowCount());
    for (size_t row = 0; row < set.RowCount(); ++row) {
        cXliffUnit unit;
        unit.id = set.Name(row);
        if (const Text* source = set.SourceText(row))
            unit.source = *source;
        if (const Text* target = set.TargetText(row, language)) {
            unit.target = *target;
            switch (set.State(row, language)) {
                case cCellState::Untranslated:
                    unit.state = u"needs-translation";
                    break;
                case cCellState::Stale:
                    unit.state = u"needs-review-translation";
                    break;
                default:
                    unit.state = u"translated";
                    break;
            }
        }
        file.units.push_back(std::move(unit));
    }
    return file;
}

bool PlanImport(const cTranslationSet& set, const cXliffFile& file, cImportPlan& plan,
                Text& problem) {
    plan = {};
    if (file.targetLanguage.empty()) {
        problem = u"the file names no target language";
        return false;
    }
    const size_t language = set.IndexOf(file.targetLanguage);
    if (language == cTranslationSet::npos) {
        problem = FormatText(u"the template has no %s translation", {file.targetLanguage});
        return false;
    }
    const Text source = set.SourceLanguage();
    if (!file.sourceLanguage.empty() && !source.empty() && file.sourceLanguage != source) {
        problem = FormatText(u"the file translates from %s, the template's language is %s",
                             {file.sourceLanguage, source});
        return false;
    }
    std::unordered_map<TextView, size_t> rows;
    rows.reserve(set.RowCount());
    for (size_t row = 0; row < set.RowCount(); ++row)
        rows.emplace(set.Name(row), row);
    Text unknown;
    int unknownCount = 0;
    plan.language = file.targetLanguage;
    for (const cXliffUnit& unit : file.units) {
        auto found = rows.find(TextView(unit.id));
        const size_t row = found == rows.end() ? cTranslationSet::npos : found->second;
        if (row == cTranslationSet::npos) {
            if (unknownCount++ < 20)
                unknown += (unknown.empty() ? u"" : u", ") + unit.id;
            continue;
        }
        if (!unit.target)
            continue;
        const Text* now = set.TargetText(row, language);
        if (now && *now == *unit.target)
            continue;
        plan.changes.push_back(
            {unit.id, *unit.target,
             unit.source.empty() ? std::nullopt : std::optional<Text>(unit.source)});
    }
    if (unknownCount > 0) {
        if (unknownCount > 20)
            unknown += FormatText(u" and %d more", {unknownCount - 20});
        problem = FormatText(u"%s of the file %s not in the template (%s); nothing was imported",
                             {Counted(unknownCount, u"id", u"ids"),
                              Text(unknownCount == 1 ? u"is" : u"are"), unknown});
        plan.changes.clear();
        return false;
    }
    return true;
}

bool ApplyImport(CPelwinDoc& doc, const cImportPlan& plan) {
    if (plan.changes.empty())
        return false;
    auto step = std::make_unique<cCompoundStep>(u"Import translations (" + plan.language + u")");
    for (const cImportChange& change : plan.changes) {
        auto text =
            cTranslationTextStep::Make(doc, plan.language, change.name, change.text, change.basis);
        if (!text)
            return false;
        step->Add(std::move(text));
    }
    return PerformStep(doc, std::move(step));
}
