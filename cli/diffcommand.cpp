#include "cli/diffcommand.h"

#include <cstdio>

#include "cli/helptext.h"

#include "core/check/diff.h"
#include "core/document/document.h"

namespace {

int DiffUsage(const std::string& problem) {
    std::fprintf(stderr, "tessary-cli: %s\n\nUsage:\n%s", problem.c_str(),
                 CommandUsage("diff").c_str());
    return 2;
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// Reads an option's value from "--name=value" or the next word; false when it has none.
bool OptionValue(const std::vector<std::string>& args, size_t& i, std::string& value) {
    const std::string& a = args[i];
    if (size_t equals = a.find('='); equals != std::string::npos) {
        value = a.substr(equals + 1);
    } else {
        if (i + 1 >= args.size())
            return false;
        value = args[++i];
    }
    return !value.empty();
}

}  // namespace

int RunDiff(const std::vector<std::string>& args, const cReadDocumentFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool json = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string option = a.substr(0, a.find('='));
        if (option == "--format") {
            std::string value;
            if (!OptionValue(args, i, value) || (value != "text" && value != "json"))
                return DiffUsage("--format takes text or json");
            json = value == "json";
        } else if (a.size() > 1 && a[0] == '-') {
            return DiffUsage("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return DiffUsage("diff takes OLD and NEW");
    // Both templates stay until the process ends, as check leaves its one.
    auto* older = new CPelwinDoc;
    auto* newer = new CPelwinDoc;
    for (auto [doc, file] : {std::pair{older, &files[0]}, std::pair{newer, &files[1]}}) {
        setFile(*file);
        if (!read(*doc, *file))
            return 2;
    }
    cDiffResult result = DiffTemplates(*older, *newer);
    if (json) {
        Print(DiffJson(result, files[0], files[1]));
    } else {
        std::string out;
        out.reserve(result.entries.size() * 256);
        for (const cDiffEntry& entry : result.entries)
            AppendDiffLine(out, entry);
        Print(out);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tessary-cli: the differences could not be written out\n");
        return 2;
    }
    std::fprintf(stderr, "%s\n", DiffSummary(result).c_str());
    return result.Empty() ? 0 : 1;
}
