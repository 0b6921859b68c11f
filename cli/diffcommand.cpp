#include "cli/diffcommand.h"

#include <cstdio>
#include <filesystem>

#include "cli/helptext.h"

#include "core/check/diff.h"
#include "core/check/storeread.h"
#include "core/document/document.h"
#include "core/io/paths.h"

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
    bool stores = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string option = a.substr(0, a.find('='));
        if (option == "--format") {
            std::string value;
            if (!OptionValue(args, i, value) || (value != "text" && value != "json"))
                return DiffUsage("--format takes text or json");
            json = value == "json";
        } else if (a == "--store") {
            stores = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return DiffUsage("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return DiffUsage(stores ? "diff --store takes OLD_DIR and NEW_DIR"
                                : "diff takes OLD and NEW");
    cDiffResult result;
    if (stores) {
        // Both stores stay until the process ends, as check leaves its one template.
        auto* older = new cStore;
        auto* newer = new cStore;
        std::vector<const CPelwinDoc*> docs[2];
        for (int side = 0; side < 2; ++side) {
            cStore& store = side ? *newer : *older;
            if (!std::filesystem::is_directory(PathFromUtf8(files[side]))) {
                setFile(files[side]);
                std::fprintf(stderr, "%s: not a folder of ADMX files\n", files[side].c_str());
                return 2;
            }
            if (!ReadStore({files[side]}, "", store, setFile))
                return 2;
            for (const auto& doc : store.docs)
                docs[side].push_back(doc.get());
        }
        result = DiffStores(docs[0], docs[1]);
    } else {
        // Both templates stay until the process ends, as check leaves its one.
        auto* older = new CPelwinDoc;
        auto* newer = new CPelwinDoc;
        for (auto [doc, file] : {std::pair{older, &files[0]}, std::pair{newer, &files[1]}}) {
            setFile(*file);
            if (!read(*doc, *file))
                return 2;
        }
        result = DiffTemplates(*older, *newer);
    }
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
