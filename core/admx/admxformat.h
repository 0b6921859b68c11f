#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/model/templateformat.h"

// The ADMX format: an ADMX file of policy definitions with the ADML file of each of its
// languages (DIR/NAME.admx, DIR/LL-CC/NAME.adml), read into the model and written back
// without loss.
class cAdmxFormat : public cTemplateFormat {
public:
    // An XML declaration or a policyDefinitions element first.
    bool Recognizes(std::string_view bytes) const override;
    cReadOutcome Read(const Text& path, cFileBytes& file, cTemplateContent& content,
                      cReadLog* log) const override;
    Text ResolveText(const cStringMap& strings, TextView text) const override;
    // The ADMX file and every ADML file read with it.
    std::vector<Text> FilesRead(const Text& path, const cTemplateContent& content) const override;
    // An empty set: one namespace named after name, an en-US language, revision 1.0.
    bool New(const Text& name, cTemplateContent& content) const override;
    // A new set's namespace and prefix after the file's name, unless the user gave them.
    void NameAfterFile(cTemplateContent& content, const Text& path) const override;
    // The folder name of the language the string table holds.
    Text DisplayLanguage(const cTemplateContent& content) const override;
    bool HasClassNodes() const override { return false; }
    bool CheckWritable(const cTemplateContent& content, Text& message) const override;
    // The ADMX file at path and the ADML file of each language read, in the folders beside
    // it.
    bool Write(const cTemplateContent& content, const Text& path,
               std::vector<cFileOutput>& files) const override;
};

// A set made from nothing: its namespace, the `using`s it declares, and one language whose
// ADML has the given display name and description. `containers`: the categories, policies,
// string and presentation tables are there from the start, empty (the editor's new set);
// else the write makes those it fills.
struct cNewAdmxSet {
    std::string prefix;
    std::string nameSpace;
    std::vector<std::pair<std::string, std::string>> usings;  // prefix, namespace
    std::string language = "en-US";
    std::string displayName;
    std::string description;
    bool containers = true;
};

// Reads such a set into content as if from DIR/NAME.admx at path, so that a write puts its
// files there.
bool ReadNewAdmxSet(const Text& path, const cNewAdmxSet& set, cTemplateContent& content);
