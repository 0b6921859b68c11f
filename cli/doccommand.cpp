#include <cstdio>

#include <filesystem>
#include "cli/helptext.h"

#include "cli/diffcommand.h"
#include "core/check/docsite.h"
#include "core/check/reference.h"
#include "core/check/storeread.h"
#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/io/paths.h"

namespace {

int DocUsage(const std::string& problem) {
    std::fprintf(stderr, "tessary-cli: %s\n\nUsage:\n%s", problem.c_str(),
                 CommandUsage("doc").c_str());
    return 2;
}

// The site of the stores or files given, with the changes since an older store.
int WriteDocSite(const std::string& folder, const std::vector<std::string>& given,
                 const std::string& language, const std::string& compare,
                 const std::function<void(const std::string&)>& setFile) {
    // The templates stay until the process ends, as check leaves its one.
    auto* store = new cStore;
    bool ok = ReadStore(given, language, *store, setFile);
    auto* older = new cStore;
    if (!compare.empty() && !ReadStore({compare}, language, *older, setFile))
        ok = false;
    if (store->docs.empty())
        return 1;
    std::vector<const CPelwinDoc*> docs, olderDocs;
    for (const auto& doc : store->docs)
        docs.push_back(doc.get());
    for (const auto& doc : older->docs)
        olderDocs.push_back(doc.get());
    cSiteOptions options;
    options.language = language;
    if (!compare.empty()) {
        options.older = &olderDocs;
        std::filesystem::path named = PathFromUtf8(compare);
        if (named.filename().empty())
            named = named.parent_path();
        options.olderName = Utf8FromPath(named.filename());
        if (options.olderName.empty())
            options.olderName = compare;
    }
    std::vector<cSiteFile> files = BuildSite(docs, options);
    setFile(folder);
    if (!WriteSite(folder, files))
        return 1;
    std::printf("%zu policy pages of %zu templates written to %s\n", SitePolicyCount(files),
                docs.size(), folder.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int RunDoc(const std::vector<std::string>& args, const cReadDocumentFn& read,
           const std::function<void(const std::string&)>& setFile) {
    std::string format = "md";
    std::string language;
    std::string site;
    std::string compare;
    bool formatGiven = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string option = a.substr(0, a.find('='));
        std::string* value = option == "--format"    ? &format
                             : option == "--lang"    ? &language
                             : option == "--site"    ? &site
                             : option == "--compare" ? &compare
                                                     : nullptr;
        formatGiven = formatGiven || option == "--format";
        if (value) {
            if (a.find('=') != std::string::npos)
                *value = a.substr(a.find('=') + 1);
            else if (i + 1 < args.size())
                *value = args[++i];
            else
                value->clear();
            if (value->empty())
                return DocUsage(option + " needs a value");
        } else if (a.size() > 1 && a[0] == '-') {
            return DocUsage("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (format != "csv" && format != "md" && format != "html")
        return DocUsage("--format takes csv, md or html");
    if (!language.empty() && !IsValidLanguage(language))
        return DocUsage("--lang takes a language tag such as en-US");
    if (!site.empty()) {
        if (formatGiven)
            return DocUsage("--site writes pages: --format does not apply");
        if (files.empty())
            return DocUsage("doc --site takes a STORE folder or FILEs");
        return WriteDocSite(site, files, language, compare, setFile);
    }
    if (!compare.empty())
        return DocUsage("--compare goes with --site");
    if (files.size() != 1)
        return DocUsage("doc takes one FILE");
    setFile(files[0]);
    auto* doc = new CPelwinDoc;
    // An ADMX set shows the texts of the language asked for; an ADM template has one.
    doc->SetLanguage(FromUtf8(language));
    if (!read(*doc, files[0]))
        return 1;
    std::vector<cReferencePolicy> policies = BuildReference(*doc);
    std::string title = std::filesystem::path(files[0]).filename().string();
    std::string out = format == "csv"  ? ReferenceCsv(policies)
                      : format == "md" ? ReferenceMarkdown(policies, title)
                                       : ReferenceHtml(policies, title, language);
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tessary-cli: the reference could not be written out\n");
        return 1;
    }
    return 0;
}
