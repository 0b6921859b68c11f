#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/model/languagetable.h"
#include "core/text/text.h"

class CPelwinDoc;

// The languages a template holds beside its display language (the document's own string
// table, the source of every translation). Each format that keeps other languages offers
// them through this: the ADM format as sibling files (admlanguages.h), the ADMX format as
// the ADMLs of its set (admxlanguages.h). A view over the
// document: the tables live in it, so undo steps and saves reach them through it.
class cDocumentLanguages {
public:
    virtual ~cDocumentLanguages() = default;

    // The display language's tag; empty when not known.
    virtual Text SourceLanguage() const = 0;
    // The target languages, in the order they were added.
    virtual size_t Count() const = 0;
    virtual cLanguageTable& At(size_t index) = 0;
    const cLanguageTable& At(size_t index) const {
        return const_cast<cDocumentLanguages*>(this)->At(index);
    }
    // The table of a language, or null.
    cLanguageTable* Find(TextView language);
    const cLanguageTable* Find(TextView language) const {
        return const_cast<cDocumentLanguages*>(this)->Find(language);
    }
    // Texts beside the display table that every language translates too, by the names of
    // their rows (ADMX: the presentations' control texts), after the display table's rows.
    // Not display texts: they are not edited here. Null when there are none.
    virtual const cStringMap* MoreSources() const { return nullptr; }
    // Where a target language is kept (a file), for the user.
    virtual Text PlaceOf(size_t index) const = 0;

    // Takes the template in the file at path as the target language `language`. False, with
    // problem saying why, when it is no template of this format, when its structure is not
    // the document's (the first node or part that differs, with its line), or when the
    // language or the file is taken already; nothing is added then.
    virtual bool AddFromFile(const Text& path, const Text& language, Text& problem) = 0;
    // Whether AddFromFile can take a file at all (the window offers it only then).
    virtual bool AddsFiles() const { return true; }
    // Whether a new language of this tag can be added; problem says why not.
    virtual bool CanAddLanguage(const Text& language, Text& problem) const = 0;
    // Puts a table in as a new target language (Add language and its redo), taking its
    // contents only when it succeeds, or takes one out again (the undo); the place it is
    // saved to follows from the document's.
    virtual bool Insert(cLanguageTable& table) = 0;
    virtual std::optional<cLanguageTable> Take(TextView language) = 0;

    // Writes the target languages whose texts or structure changed since they were read or
    // last written, and nothing else: not the document's own file. Every failure has been
    // reported when this returns false. written receives the places written.
    virtual bool SaveTargets(std::vector<Text>* written = nullptr) = 0;
};

// The languages doc holds, or null when its format keeps none.
std::unique_ptr<cDocumentLanguages> LanguagesOf(CPelwinDoc& doc);

// A language tag of the form the templates use: two or three lower-case letters, then
// "-" and a region of two letters or three digits ("de-DE", "zh-CN", "es-419"), with
// optionally a script between them ("sr-Latn-RS").
bool IsLanguageTag(TextView tag);
// The tag at the end of a file's name, before its extension, after "-", "_" or "." (or the
// whole name): "chrome-de-DE.adm" → "de-DE". Empty when there is none.
Text LanguageOfFileName(TextView path);
// The file of language beside the template at path: path's own tag replaced by language,
// or without one "-LL-CC" added to its name ("x/chrome-en-US.adm" → "x/chrome-de-DE.adm",
// "x/app.adm" → "x/app-de-DE.adm").
Text LanguageFilePath(TextView path, TextView language);
