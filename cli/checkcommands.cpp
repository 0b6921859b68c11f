#include "cli/checkcommands.h"

#include <cstdio>

#include "core/check/find.h"
#include "core/check/lint.h"
#include "core/document/document.h"
#include "core/text/messages.h"

const char kLintUsage[] =
    "  tessary-cli lint [--werror] FILE...\n"
    "      Reads each FILE as check does and reports its faults on standard output as\n"
    "      'FILE:LINE: error|warning: TEXT [RULE]', sorted by line, then the counts\n"
    "      on standard error. Exit status 1 when there is an error or a read failed (with\n"
    "      --werror also when there is a warning), else 0.\n";

const char kFindUsage[] =
    "  tessary-cli find [--key] PATTERN FILE...\n"
    "      Prints every policy and part whose display text or name (with --key: whose\n"
    "      registry key or value name) contains PATTERN, whatever the case, as\n"
    "      'FILE:LINE: CLASS > Category > ... > Policy [> Part]: KEY\\VALUENAME'.\n"
    "      Exit status 0 when something matched, 1 when nothing did.\n";

namespace {

void PrintLine(FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
}

// Holds back the messages of a read: a read that fails prints them, one that succeeds
// reports them as findings instead.
class cHeldMessages : public cMessageSink {
public:
    cHeldMessages() : m_next(SetMessageSink(this)) {}
    ~cHeldMessages() override { SetMessageSink(m_next); }
    cHeldMessages(const cHeldMessages&) = delete;
    cHeldMessages& operator=(const cHeldMessages&) = delete;

    void Show(int severity, const Text& text) override { m_held.push_back({severity, text}); }
    void ShowAt(const cMessagePlace& place, int severity, const Text& text) override {
        m_held.push_back({severity, PlaceText(place) + text});
    }
    void Release() {
        if (m_next)
            for (const auto& [severity, text] : m_held)
                m_next->Show(severity, text);
        m_held.clear();
    }

private:
    cMessageSink* m_next;  // Not owned.
    std::vector<std::pair<int, Text>> m_held;
};

}  // namespace

int RunLint(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool werror = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--werror")
            werror = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return 2;
        else
            files.push_back(arg);
    }
    if (files.empty())
        return 2;
    long errors = 0;
    long warnings = 0;
    for (const std::string& file : files) {
        setFile(file);
        // Each template is left to the system at exit, as check leaves its one.
        auto* doc = new CPelwinDoc;
        cReadLog log;
        bool ok;
        {
            cHeldMessages held;
            ok = read(*doc, file, &log);
            // A read that failed on a fault with a rule reports that as a finding.
            if (!ok && log.findings.empty())
                held.Release();
        }
        auto print = [&](const cFinding& finding) {
            ++(finding.severity == cLintSeverity::Error ? errors : warnings);
            PrintLine(stdout, (finding.file.empty() ? file : ToUtf8(finding.file)) + ":" +
                                  std::to_string(finding.line) + ": " +
                                  SeverityName(finding.severity) + ": " + ToUtf8(finding.text) +
                                  " [" + finding.rule + "]\n");
        };
        if (!ok) {
            if (log.findings.empty())
                ++errors;
            for (const cReadLog::cFormatFinding& f : log.findings)
                print({f.line, f.error ? cLintSeverity::Error : cLintSeverity::Warning, f.rule,
                       f.text, f.file});
            continue;
        }
        for (const cFinding& finding : LintTemplate(*doc, log))
            print(finding);
    }
    std::fprintf(stderr, "%ld errors, %ld warnings\n", errors, warnings);
    return errors || (werror && warnings) ? 1 : 0;
}

int RunFind(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool byKey = false;
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        if (arg == "--key" && words.empty())
            byKey = true;
        else
            words.push_back(arg);
    }
    if (words.size() < 2 || words[0].empty())
        return 2;
    const Text pattern = FromUtf8(words[0]);
    bool matched = false;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& file = words[i];
        setFile(file);
        auto* doc = new CPelwinDoc;
        // A file that cannot be read has printed why; the others are still searched.
        if (!read(*doc, file, nullptr))
            continue;
        for (const cFindHit& hit : FindInTemplate(*doc, pattern, byKey)) {
            matched = true;
            std::string line = file + ":" + std::to_string(hit.line) + ": " + ToUtf8(hit.path);
            if (!hit.key.empty())
                line += ": " + ToUtf8(hit.key);
            PrintLine(stdout, line + "\n");
        }
    }
    return matched ? 0 : 1;
}
