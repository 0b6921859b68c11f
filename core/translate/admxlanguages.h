#pragma once

#include "core/admx/admxset.h"
#include "core/translate/languages.h"

class CPelwinDoc;

// The languages of a document read from an ADMX set: the ADMLs other than the display
// language's, kept in its cAdmxState (LoadLanguages), so that the set's own save writes them.
// A language added here becomes DIR/TAG/NAME.adml when the set is saved.
class cAdmxLanguages : public cDocumentLanguages {
public:
    cAdmxLanguages(CPelwinDoc& doc, cAdmxState& state);

    Text SourceLanguage() const override;
    size_t Count() const override { return m_tables.size(); }
    cLanguageTable& At(size_t index) override { return m_tables[index]; }
    Text PlaceOf(size_t index) const override;
    const cStringMap* MoreSources() const override { return &m_state.presentations; }
    // A set's languages are its ADML files: a template file is never one of them.
    bool AddFromFile(const Text& path, const Text& language, Text& problem) override;
    bool AddsFiles() const override { return false; }
    bool CanAddLanguage(const Text& language, Text& problem) const override;
    bool Insert(cLanguageTable& table) override;
    std::optional<cLanguageTable> Take(TextView language) override;
    // Writes the ADMLs of the target languages whose bytes differ from their files; the ADMX
    // file and the display language's ADML are left alone.
    bool SaveTargets(std::vector<Text>* written) override;

private:
    // Whether language may be a new target (a tag no language of the set has, in any case).
    bool CanTake(const Text& language, Text& problem) const;
    // Where the set's ADMX file is.
    Text AdmxPath() const;
    // The ADML file of a language's folder beside the document's ADMX file.
    Text FileOf(const Text& folder) const;

    CPelwinDoc& m_doc;
    cAdmxState& m_state;
    std::vector<cLanguageTable>& m_tables;
};
