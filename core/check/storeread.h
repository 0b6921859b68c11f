#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/text/text.h"

class CPelwinDoc;
class cAdmxSet;
struct cReadLog;

// A policy store: a folder of ADMX files, each with the ADML files of its language folders
// (DIR/NAME.admx, DIR/LL-CC/NAME.adml), read set by set, and the namespaces that tie the sets
// together ("windows:WindowsComponents" in one set names a category of the set whose target
// namespace the prefix "windows" stands for).

// The ADMX files directly in folder, sorted by name whatever the case; false with the reason
// in error when the folder cannot be listed.
bool ListAdmxFiles(const std::string& folder, std::vector<std::string>& files, std::string& error);

// The folders beside the ADMX file at path that hold its ADML file (any case of the file's
// name), as named on disk.
std::vector<std::string> AdmlFolders(const std::string& admxPath);

// Whether the ADMX file at path has an ADML file in the language folder `language` (any case
// of the folder's and the file's names).
bool HasAdmlLanguage(const std::string& admxPath, const std::string& language);

// Reads the file at path into doc without a window (the document's own tree stands in for
// the views), holding back what the read says: `said` gets it, for the caller to report as
// it reports faults. False when the read failed.
bool ReadWithoutWindow(CPelwinDoc& doc, const std::string& path, cReadLog& log, Text& said);

// Reads one template of a store: an ADMX set with the texts of `language` where it has that
// language and its own choice otherwise, or an ADM template. References into nothing and the
// other faults lint reports of a set do not stop the read (a store of real sets holds them);
// a read that fails shows its messages and returns false.
bool ReadStoreTemplate(CPelwinDoc& doc, const std::string& path, const std::string& language);

struct cStore {
    std::vector<std::unique_ptr<CPelwinDoc>> docs;
    // What could not be read, by file; each was named in a message.
    std::vector<std::string> failed;
};

// Reads every ADMX file of each folder given and each file given as it is, in the order
// given. Returns false when a folder could not be listed or a template not read (the others
// are read still). onFile, when given, is told of each file before it is read.
bool ReadStore(const std::vector<std::string>& foldersOrFiles, const std::string& language,
               cStore& store, const std::function<void(const std::string&)>& onFile = {});

// The set a template was read from; null for an ADM template or a new set.
const cAdmxSet* SetOf(const CPelwinDoc& doc);
// The namespace a set defines as its ADMX holds it; empty for a template that is no set.
std::string TargetNamespace(const CPelwinDoc& doc);

// The templates of a store by the namespace each defines; where two define one namespace, the
// first given.
std::unordered_map<std::string, size_t> NamespaceIndex(const std::vector<const CPelwinDoc*>& docs);

// The namespace a prefixed reference of set points into and the name there: "windows:Foo"
// with windows the prefix of a using namespace, or the set's own; a reference without prefix
// is the set's own. False when the prefix is none the set declares.
bool ResolveReference(const cAdmxSet& set, std::string_view reference, std::string& ns,
                      std::string& name);
