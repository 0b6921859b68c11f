#include "core/check/storeread.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/admx/admxset.h"
#include "core/admx/admxtemplate.h"
#include "core/document/document.h"
#include "core/io/paths.h"
#include "core/model/readlog.h"
#include "core/text/messages.h"

namespace fs = std::filesystem;

namespace {

bool IsAdmxFile(const fs::path& path) {
    return AsciiLower(Utf8FromPath(path.extension())) == ".admx";
}

}  // namespace

bool ListAdmxFiles(const std::string& folder, std::vector<std::string>& files, std::string& error) {
    files.clear();
    std::error_code ec;
    const fs::path dir = PathFromUtf8(folder);
    fs::directory_iterator it(dir, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (IsAdmxFile(it->path()) && it->is_regular_file(kind))
            files.push_back(Utf8FromPath(it->path()));
    }
    if (ec) {
        error = ec.message();
        return false;
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        std::string x = AsciiLower(a), y = AsciiLower(b);
        return x != y ? x < y : a < b;
    });
    return true;
}

std::vector<std::string> AdmlFolders(const std::string& admxPath) {
    const fs::path admx = PathFromUtf8(admxPath);
    fs::path dir = admx.parent_path();
    if (dir.empty())
        dir = ".";
    const std::string wanted = AsciiLower(Utf8FromPath(admx.stem())) + ".adml";
    std::vector<std::string> folders;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_directory(kind))
            continue;
        std::error_code inner;
        for (fs::directory_iterator file(it->path(), inner), none; !inner && file != none;
             file.increment(inner))
            if (AsciiLower(Utf8FromPath(file->path().filename())) == wanted) {
                folders.push_back(Utf8FromPath(it->path().filename()));
                break;
            }
    }
    return folders;
}

bool HasAdmlLanguage(const std::string& admxPath, const std::string& language) {
    const std::string folder = AsciiLower(language);
    const std::vector<std::string> folders = AdmlFolders(admxPath);
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::string& name) { return AsciiLower(name) == folder; });
}

bool ReadWithoutWindow(CPelwinDoc& doc, const std::string& path, cReadLog& log, Text& said) {
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    cMessageCollector collected;
    const bool ok = doc.ReadFile(FromUtf8(path), &log);
    said = collected.Texts();
    return ok;
}

bool ReadStoreTemplate(CPelwinDoc& doc, const std::string& path, const std::string& language) {
    if (!language.empty() && HasAdmlLanguage(path, language))
        doc.SetLanguage(FromUtf8(language));
    cReadLog log;
    Text messages;
    // What a read that succeeds has to say is lint's to report; only a failure is told.
    if (!ReadWithoutWindow(doc, path, log, messages)) {
        ShowMessage(kSeverityError, u"%s",
                    {messages.empty() ? Text(u"could not be read") : messages});
        return false;
    }
    doc.SetPath(FromUtf8(path));
    return true;
}

bool ReadStore(const std::vector<std::string>& foldersOrFiles, const std::string& language,
               cStore& store, const std::function<void(const std::string&)>& onFile) {
    bool ok = true;
    for (const std::string& given : foldersOrFiles) {
        if (onFile)
            onFile(given);
        std::error_code ec;
        std::vector<std::string> files;
        if (fs::is_directory(PathFromUtf8(given), ec)) {
            std::string error;
            if (!ListAdmxFiles(given, files, error)) {
                ShowMessage(kSeverityError, u"the folder %s cannot be listed: %s",
                            {FromUtf8(given), FromUtf8(error)});
                store.failed.push_back(given);
                ok = false;
                continue;
            }
            if (files.empty()) {
                ShowMessage(kSeverityError, u"the folder %s holds no ADMX file", {FromUtf8(given)});
                store.failed.push_back(given);
                ok = false;
                continue;
            }
        } else {
            files.push_back(given);
        }
        for (const std::string& file : files) {
            if (onFile)
                onFile(file);
            auto doc = std::make_unique<CPelwinDoc>();
            if (!ReadStoreTemplate(*doc, file, language)) {
                store.failed.push_back(file);
                ok = false;
                continue;
            }
            store.docs.push_back(std::move(doc));
        }
    }
    return ok;
}

const cAdmxSet* SetOf(const CPelwinDoc& doc) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    return state ? state->set.get() : nullptr;
}

std::string TargetNamespace(const CPelwinDoc& doc) {
    const cAdmxSet* set = SetOf(doc);
    return set ? ToUtf8(TemplatePropsOf(*set).target.name) : std::string();
}

std::unordered_map<std::string, size_t> NamespaceIndex(const std::vector<const CPelwinDoc*>& docs) {
    std::unordered_map<std::string, size_t> index;
    for (size_t i = 0; i < docs.size(); ++i)
        if (std::string ns = TargetNamespace(*docs[i]); !ns.empty())
            index.emplace(std::move(ns), i);
    return index;
}

bool ResolveReference(const cAdmxSet& set, std::string_view reference, std::string& ns,
                      std::string& name) {
    switch (set.Resolve(reference, name)) {
        case cAdmxSet::cPlace::Here:
            ns = Child(Child(set.admx.Root(), "policyNamespaces"), "target")
                     .attribute("namespace")
                     .value();
            return true;
        case cAdmxSet::cPlace::Elsewhere:
            ns = set.usingPrefixes.at(std::string(reference.substr(0, reference.find(':'))));
            return true;
        case cAdmxSet::cPlace::Nowhere:
            break;
    }
    return false;
}
