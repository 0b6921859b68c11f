// tessary-cli: the editor's read and save steps without a window.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "cli/admxcommands.h"
#include "cli/checkcommands.h"
#include "cli/diffcommand.h"
#include "cli/exportcommand.h"
#include "cli/helptext.h"
#include "cli/rekeycommand.h"
#include "cli/translationscommand.h"
#include "core/document/document.h"
#include "core/document/formats.h"
#include "core/io/paths.h"
#include "core/text/messages.h"

namespace {

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
    std::fputs(HelpText().c_str(), problem ? stderr : stdout);
    return problem ? 2 : 0;
}

#ifdef _WIN32
// Output is UTF-8, byte for byte what other systems print: the streams write bytes as they
// are (no CR before each LF), and a console shows them as UTF-8 while the program runs.
UINT g_consoleCodePage = 0;

void PrepareOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    DWORD mode = 0;
    if (::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
        ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode)) {
        g_consoleCodePage = ::GetConsoleOutputCP();
        ::SetConsoleOutputCP(CP_UTF8);
    }
}

// The console goes back to the code page it had, for whatever runs in it next.
void RestoreOutput() {
    if (g_consoleCodePage)
        ::SetConsoleOutputCP(g_consoleCodePage);
}
#else
void RestoreOutput() {}
#endif

// The process ends right after its one job: tearing down a large template's tree node by
// node would only cost time, so the memory is left to the system.
[[noreturn]] void Finish(bool ok) {
    std::fflush(stdout);
    std::fflush(stderr);
    RestoreOutput();
    std::_Exit(ok ? 0 : 1);
}

bool ReadTemplateFile(CPelwinDoc& doc, const std::string& path, cReadLog* log = nullptr) {
    // Without a window, the document's own tree stands in for the views.
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    return doc.ReadFile(FromUtf8(path), log);
}

// A command of its own file over the words after its name, reading templates as check does
// and naming the file its messages are about.
using cCommand = int (*)(const std::vector<std::string>&,
                         const std::function<bool(CPelwinDoc&, const std::string&)>&,
                         const std::function<void(const std::string&)>&);
int RunCommand(cCommand command, const std::vector<std::string>& args, cStderrSink& sink) {
    return command(
        std::vector<std::string>(args.begin() + 1, args.end()),
        [](CPelwinDoc& doc, const std::string& path) { return ReadTemplateFile(doc, path); },
        [&sink](const std::string& file) { sink.SetFile(file); });
}

int Run(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return Usage(nullptr);

    cStderrSink sink;
    SetMessageSink(&sink);

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
        if (RefuseNothingRead(*doc))
            Finish(false);
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
        int status = RunCommand(RunExport, args, sink);
        if (status == 2)
            return status;
        Finish(status == 0);
    }

    if (args[0] == "translations") {
        int status = RunCommand(RunTranslations, args, sink);
        if (status == 2)
            return status;
        Finish(status == 0);
    }

    if (args[0] == "check" || args[0] == "lint" || args[0] == "find") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        auto setFile = [&sink](const std::string& file) { sink.SetFile(file); };
        int status = args[0] == "check"  ? RunCheck(rest, ReadTemplateFile, setFile)
                     : args[0] == "lint" ? RunLint(rest, ReadTemplateFile, setFile)
                                         : RunFind(rest, ReadTemplateFile, setFile);
        if (status == 2)
            return Usage(args[0] == "check" ? "check takes [--format text|json] and one FILE"
                         : args[0] == "lint"
                             ? "lint takes [--werror] [--profile mdm] [--format text|json|sarif] "
                               "FILE... or [FILE] --store DIR"
                             : "find takes [--key] [--format text|json] PATTERN FILE...");
        Finish(status == 0);
    }

    if (args[0] == "rekey") {
        int status = RunCommand(RunRekey, args, sink);
        if (status == 2)
            return Usage("rekey takes [--dry-run] OLD NEW FILE...");
        Finish(status == 0);
    }

    if (args[0] == "import-order") {
        int status =
            RunImportOrder(std::vector<std::string>(args.begin() + 1, args.end()), ReadTemplateFile,
                           [&sink](const std::string& file) { sink.SetFile(file); });
        if (status == 2)
            return Usage("import-order takes ADMX FILE...");
        Finish(status == 0);
    }

    if (args[0] == "diff" || args[0] == "doc") {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        auto read = [](CPelwinDoc& doc, const std::string& path) {
            return ReadTemplateFile(doc, path);
        };
        auto setFile = [&sink](const std::string& file) { sink.SetFile(file); };
        int status = args[0] == "diff" ? RunDiff(rest, read, setFile) : RunDoc(rest, read, setFile);
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }

    return Usage("unknown command");
}

}  // namespace

#ifdef _WIN32
// The arguments as the system holds them, in UTF-16, so that every file name arrives whole;
// the program works with them in UTF-8, as elsewhere.
int wmain(int argc, wchar_t** argv) {
    PrepareOutput();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8FromWide(argv[i]));
    int status = Run(args);
    std::fflush(stdout);
    std::fflush(stderr);
    RestoreOutput();
    return status;
}
#else
int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
