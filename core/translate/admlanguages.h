#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/adm/admformat.h"
#include "core/model/languagetable.h"
#include "core/model/templatetree.h"
#include "core/translate/languages.h"

class CPelwinDoc;

// An ADM template's other languages: each one a file of the same structure beside it, with
// its own strings section ("chrome-de-DE.adm" beside "chrome-en-US.adm"). Kept as the
// document's format state, so that saving the template writes the languages whose texts
// changed, and only those.
class cAdmLanguageFiles : public cAdmCompanionFiles {
public:
    // One language's file.
    struct cTarget : public cTreeOwner {
        cLanguageTable table;
        Text path;
        // The file's own nodes, for their order and comments: it is written from them while
        // they have the template's structure. Null for a language added in the editor, which
        // is written from the template's nodes.
        std::unique_ptr<cTemplateTree> tree;
        std::vector<Text> trailingComments;
        int encoding = 1;
        // What the writer makes of the language as its file last held it (when read or last
        // written): while it still makes that, the file is not written, so an unchanged
        // language keeps its file exactly as it is, even one in another layout, and a change
        // another program made to it stays.
        mutable std::string baseline;
        // What the last save handed out to be written; it becomes the baseline once the file
        // is found to hold it.
        mutable std::string pending;

        void SetModifiedFlag(int) override {}
        Text ResolveText(TextView text) const override;
    };

    std::unique_ptr<cFormatState> Clone() const override;
    bool CheckWritable(const cTemplateContent& content, Text& message) const override;
    bool Write(const cTemplateContent& content, std::vector<cFileOutput>& files) const override;

    // The bytes of target's file as a save writes them, tree and trailingComments being the
    // template's; false when the file needs no writing.
    static bool Output(const cTarget& target, const cTemplateTree& tree,
                       const std::vector<Text>& trailingComments, std::string& bytes);

    std::vector<std::unique_ptr<cTarget>> targets;
};

// The languages of an ADM document, over its cAdmLanguageFiles.
class cAdmLanguages : public cDocumentLanguages {
public:
    cAdmLanguages(CPelwinDoc& doc, cAdmLanguageFiles& files) : m_doc(doc), m_files(files) {}

    Text SourceLanguage() const override;
    size_t Count() const override { return m_files.targets.size(); }
    cLanguageTable& At(size_t index) override { return m_files.targets[index]->table; }
    Text PlaceOf(size_t index) const override { return m_files.targets[index]->path; }
    bool AddFromFile(const Text& path, const Text& language, Text& problem) override;
    bool CanAddLanguage(const Text& language, Text& problem) const override;
    bool Insert(cLanguageTable& table) override;
    std::optional<cLanguageTable> Take(TextView language) override;
    bool SaveTargets(std::vector<Text>* written) override;

private:
    // Whether language may be a new target; problem says why not.
    bool CanTake(const Text& language, Text& problem) const;

    CPelwinDoc& m_doc;
    cAdmLanguageFiles& m_files;
};
