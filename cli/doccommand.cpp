#include <cstdio>
#include <filesystem>

#include "cli/diffcommand.h"
#include "core/admx/admxexport.h"
#include "core/check/reference.h"
#include "core/document/document.h"

const char kDocUsage[] =
    "  tessary-cli doc [--format csv|md|html] [--lang LL-CC] FILE\n"
    "      Reads FILE as check does and prints a reference of every policy on standard\n"
    "      output: path, class, display name, registry key and value name, value type and\n"
    "      values, parts, supported on and explain text. md (the default) is Markdown, html\n"
    "      one self-contained page with contents by category and an anchor per policy, csv\n"
    "      one row per policy (RFC 4180, UTF-8 with a byte-order mark). --lang marks the\n"
    "      page's language. Exit status 0 written, 1 the read failed, 2 wrong usage.\n";

namespace {

int DocUsage(const std::string& problem) {
    std::fprintf(stderr, "tessary-cli: %s\n\nUsage:\n%s", problem.c_str(), kDocUsage);
    return 2;
}

}  // namespace

int RunDoc(const std::vector<std::string>& args, const cReadDocumentFn& read,
           const std::function<void(const std::string&)>& setFile) {
    std::string format = "md";
    std::string language;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string option = a.substr(0, a.find('='));
        std::string* value = option == "--format" ? &format
                             : option == "--lang" ? &language
                                                  : nullptr;
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
    if (files.size() != 1)
        return DocUsage("doc takes one FILE");
    setFile(files[0]);
    auto* doc = new CPelwinDoc;
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
