// tessary-cli: the editor's read and save steps without a window.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/admxcommands.h"
#include "cli/checkcommands.h"
#include "cli/exportcommand.h"
#include "core/document/document.h"
#include "core/document/formats.h"
#include "core/text/messages.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  tessary-cli check FILE\n"
    "      Reads FILE as the editor's Open does, without a window.\n"
    "  tessary-cli convert [--format unicode|ascii] [--lang LL-CC] IN OUT\n"
    "      Reads IN as Open does and, when that succeeds, saves it to OUT as Save does:\n"
    "      in the given format, or else in the one IN was read in. OUT is replaced only\n"
    "      once the whole template was written. An IN that holds no template (no node,\n"
    "      no string, no comment line) is refused and OUT left as it was. Content that\n"
    "      OUT cannot keep is named on standard error, one line each, as\n"
    "      'IN:LINE: warning: passed over: TEXT'.\n"
    "      IN may be an ADMX file (recognized by its content), read with the ADML files of\n"
    "      its language folders. OUT.admx gets the whole set again: OUT.admx and\n"
    "      OUTDIR/LL-CC/OUT.adml for each language read. Any other OUT gets an ADM template\n"
    "      of one language (--lang, else en-US), what ADM cannot hold reported as\n"
    "      'IN:LINE: warning: not converted: WHAT'. An ADM template converted to OUT.admx\n"
    "      is exported as export does, its ADML in the --lang folder.\n";

const char kUsageTail[] =
    "  tessary-cli --help\n"
    "\n"
    "Every message is printed to standard error as 'FILE: TEXT'.\n"
    "Exit status: 0 success, 1 the read or the save failed, 2 wrong usage.\n";

// Prints every message as "FILE: TEXT", one line each.
class cStderrSink : public cMessageSink {
public:
    void Show(int, const Text& text) override {
        std::string line = m_file + ": " + ToUtf8(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    // A message that names its own file and line: "FILE:LINE: TEXT".
    void ShowAt(const cMessagePlace& place, int, const Text& text) override {
        std::string line = ToUtf8(PlaceText(place) + text) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    void SetFile(std::string file) { m_file = std::move(file); }

private:
    std::string m_file;
};

int Usage(const char* problem) {
    if (problem)
        std::fprintf(stderr, "tessary-cli: %s\n\n", problem);
    for (const char* text : {kUsage, kLintUsage, kFindUsage, kExportUsage, kUsageTail})
        std::fputs(text, problem ? stderr : stdout);
    return problem ? 2 : 0;
}

// The process ends right after its one job: tearing down a large template's tree node by
// node would only cost time, so the memory is left to the system.
[[noreturn]] void Finish(bool ok) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(ok ? 0 : 1);
}

bool ReadTemplateFile(CPelwinDoc& doc, const std::string& path, cReadLog* log = nullptr) {
    // Without a window, the document's own tree stands in for the views.
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    return doc.ReadFile(FromUtf8(path), log);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return Usage(nullptr);

    cStderrSink sink;
    SetMessageSink(&sink);

    if (args[0] == "check") {
        if (args.size() != 2)
            return Usage("check takes exactly one FILE");
        sink.SetFile(args[1]);
        auto* doc = new CPelwinDoc;
        Finish(ReadTemplateFile(*doc, args[1]));
    }

    if (args[0] == "convert") {
        int format = -1;
        std::string language;
        std::vector<std::string> files;
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string& a = args[i];
            std::string value;
            if (a == "--lang" || a.rfind("--lang=", 0) == 0) {
                if (a == "--lang" && i + 1 >= args.size())
                    return Usage("--lang needs a language such as en-US");
                language = a == "--lang" ? args[++i] : a.substr(std::strlen("--lang="));
                if (language.empty())
                    return Usage("--lang needs a language such as en-US");
                continue;
            }
            if (a == "--format") {
                if (i + 1 >= args.size())
                    return Usage("--format needs unicode or ascii");
                value = args[++i];
            } else if (a.rfind("--format=", 0) == 0) {
                value = a.substr(std::strlen("--format="));
            } else {
                files.push_back(a);
                continue;
            }
            if (value == "unicode")
                format = 1;
            else if (value == "ascii")
                format = 0;
            else
                return Usage("--format takes unicode or ascii");
        }
        if (files.size() != 2)
            return Usage("convert takes IN and OUT");
        if (format >= 0 && IsAdmxName(files[1]))
            return Usage("--format is the format of an ADM template, not of an ADMX file");
        sink.SetFile(files[0]);
        auto* doc = new CPelwinDoc;
        doc->SetLanguage(FromUtf8(language));
        if (!ReadTemplateFile(*doc, files[0]))
            Finish(false);
        // Saving what was no template would only empty OUT.
        if (doc->ReadNothing()) {
            ShowMessage(kSeverityError, u"nothing in this file was read as a template");
            Finish(false);
        }
        // What the read left behind is lost in OUT: say so, line by line, and convert.
        for (const cPassedOver& line : doc->PassedOver()) {
            std::string warning = files[0] + ":" + std::to_string(line.line) +
                                  ": warning: passed over: " + ToUtf8(line.text) + "\n";
            std::fwrite(warning.data(), 1, warning.size(), stderr);
        }
        if (&doc->Format() != &AdmFormat() || IsAdmxName(files[1]))
            Finish(ConvertWithAdmx(*doc, files[0], files[1], format, language,
                                   [&sink](const std::string& file) { sink.SetFile(file); }) == 0);
        if (format >= 0)
            doc->SetUtf16(format);
        sink.SetFile(files[1]);
        Finish(doc->WriteFile(FromUtf8(files[1])));
    }

    if (args[0] == "export") {
        int status = RunExport(
            std::vector<std::string>(args.begin() + 1, args.end()),
            [](CPelwinDoc& doc, const std::string& path) { return ReadTemplateFile(doc, path); },
            [&sink](const std::string& file) { sink.SetFile(file); });
        if (status == 2)
            return status;
        Finish(status == 0);
    }

    if (args[0] == "lint" || args[0] == "find") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        auto setFile = [&sink](const std::string& file) { sink.SetFile(file); };
        int status = args[0] == "lint" ? RunLint(rest, ReadTemplateFile, setFile)
                                       : RunFind(rest, ReadTemplateFile, setFile);
        if (status == 2)
            return Usage(args[0] == "lint" ? "lint takes [--werror] FILE..."
                                           : "find takes [--key] PATTERN FILE...");
        Finish(status == 0);
    }

    return Usage("unknown command");
}
