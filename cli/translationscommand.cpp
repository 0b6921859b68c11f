#include "cli/translationscommand.h"

#include "cli/helptext.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/io/files.h"
#include "core/text/messages.h"
#include "core/translate/exchange.h"
#include "core/translate/translationset.h"
#include "core/translate/translationsteps.h"

namespace {

int TranslationsUsage(const std::string& problem) {
    std::fprintf(stderr, "tessary-cli: %s\n\nUsage:\n%s%s%s", problem.c_str(),
                 CommandUsage("translations").c_str(), CommandUsage("translations export").c_str(),
                 CommandUsage("translations import").c_str());
    return 2;
}

void PrintLine(FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
}

bool Exists(const Text& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(ToUtf8(path)), ec);
}

// Adds language to the document unless it holds it: its file when there is one, else a new
// language as a copy of the display texts. False when it cannot be (reported).
bool AddLanguage(CPelwinDoc& doc, cDocumentLanguages& languages, const Text& language) {
    // An ADMX set holds its languages already.
    if (languages.Find(language))
        return true;
    Text problem;
    const Text path = LanguageFilePath(doc.Path(), language);
    if (Exists(path)) {
        if (languages.AddFromFile(path, language, problem))
            return true;
    } else if (auto step = cAddLanguageStep::Make(doc, language, problem)) {
        return PerformStep(doc, std::move(step));
    }
    ShowMessage(kSeverityError, u"%s", {problem});
    return false;
}

// The languages whose files lie beside the template, by the naming rule, in name order.
std::vector<Text> LanguagesBeside(const Text& path) {
    std::vector<Text> found;
    const std::filesystem::path file(ToUtf8(path));
    std::filesystem::path folder = file.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    const Text own = LanguageOfFileName(path);
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        Text name = FromUtf8(entry.path().filename().string());
        Text language = LanguageOfFileName(name);
        if (language.empty() || language == own)
            continue;
        if (LanguageFilePath(FromUtf8(file.filename().string()), language) == name)
            found.push_back(language);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string CountsLine(const cTranslationSet& set, size_t language) {
    const cStateCounts counts = set.Counts(language);
    std::string line = ToUtf8(set.Language(language)) + ":";
    for (cCellState state :
         {cCellState::Missing, cCellState::Untranslated, cCellState::Stale, cCellState::Translated})
        line += " " + std::to_string(counts[state]) + " " + CellStateName(state) +
                (state == cCellState::Translated ? "" : ",");
    return line;
}

Text DisplayLanguage(const cTranslationSet& set) {
    Text language = set.SourceLanguage();
    return language.empty() ? Text(u"en-US") : language;
}

}  // namespace

int RunTranslations(const std::vector<std::string>& args,
                    const std::function<bool(CPelwinDoc&, const std::string&)>& read,
                    const std::function<void(const std::string&)>& setFile) {
    if (args.empty())
        return TranslationsUsage("translations needs status, export or import");
    const std::string& command = args[0];
    std::string language;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--lang" || a.rfind("--lang=", 0) == 0) {
            if (a != "--lang")
                language = a.substr(7);
            else if (i + 1 < args.size())
                language = args[++i];
            if (language.empty())
                return TranslationsUsage("--lang needs a language such as de-DE");
        } else if (a.size() > 1 && a[0] == '-') {
            return TranslationsUsage("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    const size_t wanted = command == "status" ? 1 : 2;
    if ((command != "status" && command != "export" && command != "import") ||
        files.size() != wanted)
        return TranslationsUsage(command == "status"   ? "status takes FILE"
                                 : command == "export" ? "export takes FILE --lang LL-CC OUT.xlf"
                                 : command == "import" ? "import takes FILE IN.xlf"
                                                       : "unknown translations command " + command);
    if (command == "export" && !IsLanguageTag(FromUtf8(language)))
        return TranslationsUsage("export needs --lang with a language such as de-DE");
    if (command != "export" && !language.empty())
        return TranslationsUsage("--lang belongs to export");

    const std::string& in = files[0];
    setFile(in);
    auto* doc = new CPelwinDoc;  // left to the system at exit, as check does
    if (!read(*doc, in))
        return 1;
    // The languages' files are found beside the template's.
    doc->SetPath(FromUtf8(in));
    cTranslationSet set(*doc);
    cDocumentLanguages* languages = set.Languages();
    if (!languages) {
        ShowMessage(kSeverityError, u"this template's format keeps no other languages");
        return 1;
    }

    if (command == "status") {
        bool ok = true;
        for (const Text& tag : LanguagesBeside(doc->Path()))
            ok = AddLanguage(*doc, *languages, tag) && ok;
        set.Refresh();
        PrintLine(stdout,
                  ToUtf8(DisplayLanguage(set)) + ": " +
                      ToUtf8(Counted(static_cast<long long>(set.RowCount()), u"text", u"texts")) +
                      " (display language)");
        for (size_t i = 0; i < set.LanguageCount(); ++i)
            PrintLine(stdout, CountsLine(set, i));
        return ok ? 0 : 1;
    }

    if (command == "export") {
        const Text tag = FromUtf8(language);
        if (!AddLanguage(*doc, *languages, tag))
            return 1;
        set.Refresh();
        cXliffFile file = ExportLanguage(set, set.IndexOf(tag),
                                         FromUtf8(std::filesystem::path(in).filename().string()));
        file.sourceLanguage = DisplayLanguage(set);
        std::string bytes;
        Text problem;
        setFile(files[1]);
        if (!WriteXliff(file, bytes, problem)) {
            ShowMessage(kSeverityError, u"%s", {problem});
            return 1;
        }
        return ReplaceFile(FromUtf8(files[1]), bytes) ? 0 : 1;
    }

    // import
    setFile(files[1]);
    std::string bytes;
    int err = 0;
    if (!ReadWholeFile(files[1], bytes, err)) {
        ShowMessage(kSeverityError, u"cannot be read: %s", {FromUtf8(std::strerror(err))});
        return 1;
    }
    cXliffFile file;
    Text problem;
    if (!ReadXliff(bytes, file, problem)) {
        ShowMessage(kSeverityError, u"%s; nothing was imported", {problem});
        return 1;
    }
    if (!IsLanguageTag(file.targetLanguage)) {
        ShowMessage(kSeverityError,
                    u"the file's target language \"%s\" is no language such as de-DE",
                    {file.targetLanguage});
        return 1;
    }
    setFile(in);
    if (!AddLanguage(*doc, *languages, file.targetLanguage))
        return 1;
    set.Refresh();
    cImportPlan plan;
    setFile(files[1]);
    if (!PlanImport(set, file, plan, problem)) {
        ShowMessage(kSeverityError, u"%s", {problem});
        return 1;
    }
    if (plan.changes.empty()) {
        ShowMessage(kSeverityInformation, u"no text differs; no file was changed");
        return 0;
    }
    if (!ApplyImport(*doc, plan))
        return 1;
    std::vector<Text> written;
    setFile(in);
    if (!languages->SaveTargets(&written))
        return 1;
    setFile(files[1]);
    for (const Text& path : written)
        ShowMessage(
            kSeverityInformation, u"%s imported into %s",
            {Counted(static_cast<long long>(plan.changes.size()), u"text", u"texts"), path});
    return 0;
}
