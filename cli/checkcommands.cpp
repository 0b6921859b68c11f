#include "cli/checkcommands.h"

#include <cstdio>

#include "cli/findingreport.h"
#include "core/check/find.h"
#include "core/check/lint.h"
#include "core/document/document.h"
#include "core/text/messages.h"

namespace {

// Holds back the messages of a read: a read that fails prints them, one that succeeds
// reports them as findings instead. Given the read's log, each message keeps the line the
// read noted for it (0 for a message shown outside the template's text).
class cHeldMessages : public cMessageSink {
public:
    explicit cHeldMessages(const cReadLog* log = nullptr)
        : m_log(log), m_next(SetMessageSink(this)) {}
    ~cHeldMessages() override { SetMessageSink(m_next); }
    cHeldMessages(const cHeldMessages&) = delete;
    cHeldMessages& operator=(const cHeldMessages&) = delete;

    struct cHeld {
        int severity;
        Text text;
        int line;
    };

    void Show(int severity, const Text& text) override {
        int line = 0;
        // The read's own sink notes a message in the log before it passes it on.
        if (m_log && m_log->messages.size() > m_logged) {
            m_logged = m_log->messages.size();
            line = m_log->messages.back().line;
        }
        m_held.push_back({severity, text, line});
    }
    const std::vector<cHeld>& Held() const { return m_held; }
    // The held messages, one line each, without the blanks around them.
    std::string Joined() const {
        std::string out;
        for (const cHeld& held : m_held) {
            std::string text = ToUtf8(held.text);
            size_t first = text.find_first_not_of(" \t\r\n");
            if (first == std::string::npos)
                continue;
            text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
            out += (out.empty() ? "" : "\n") + text;
        }
        return out;
    }
    void Release() {
        if (m_next)
            for (const cHeld& held : m_held)
                m_next->Show(held.severity, held.text);
        m_held.clear();
    }

private:
    const cReadLog* m_log;  // Not owned.
    size_t m_logged = 0;
    cMessageSink* m_next;  // Not owned.
    std::vector<cHeld> m_held;
};

// Takes "--format NAME" or "--format=NAME" at args[i], moving i past it. 1 when taken, 0 when
// args[i] is no --format, -1 when the name is missing or not one of `allowed`.
int TakeFormat(const std::vector<std::string>& args, size_t& i,
               std::initializer_list<cReportFormat> allowed, cReportFormat& format) {
    std::string name;
    if (args[i] == "--format") {
        if (i + 1 >= args.size())
            return -1;
        name = args[++i];
    } else if (args[i].rfind("--format=", 0) == 0) {
        name = args[i].substr(std::string_view("--format=").size());
    } else {
        return 0;
    }
    if (!ParseReportFormat(name, format))
        return -1;
    for (cReportFormat one : allowed)
        if (one == format)
            return 1;
    return -1;
}

cReportOptions LintReportOptions(cReportFormat format) {
    cReportOptions options;
    options.format = format;
    options.toolVersion = TESSARY_VERSION;
    for (const cLintRule& rule : kLintRules)
        options.rules.push_back({rule.id, SeverityName(rule.severity), rule.summary});
    return options;
}

}  // namespace

bool RefuseNothingRead(const CPelwinDoc& doc) {
    if (!doc.ReadNothing())
        return false;
    ShowMessage(kSeverityError, u"nothing in this file was read as a template");
    return true;
}

int RunCheck(const std::vector<std::string>& args, const cReadTemplateFn& read,
             const std::function<void(const std::string&)>& setFile) {
    cReportFormat format = cReportFormat::Text;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        int taken = TakeFormat(args, i, {cReportFormat::Text, cReportFormat::Json}, format);
        if (taken < 0)
            return 2;
        if (!taken)
            files.push_back(args[i]);
    }
    if (files.size() != 1)
        return 2;
    const std::string& file = files[0];
    setFile(file);
    // The template is left to the system at exit.
    auto* doc = new CPelwinDoc;
    if (format == cReportFormat::Text)
        return read(*doc, file, nullptr) && !RefuseNothingRead(*doc) ? 0 : 1;
    cReadLog log;
    bool ok;
    cReportOptions options;
    options.format = format;
    cFindingReport report(stdout, options);
    {
        cHeldMessages held(&log);
        ok = read(*doc, file, &log) && !RefuseNothingRead(*doc);
        for (const cHeldMessages::cHeld& message : held.Held())
            report.Add({file, message.line,
                        message.severity == kSeverityInformation ? "note" : "error",
                        ok ? "read-message" : "read-failed", ToUtf8(message.text)});
    }
    report.Finish();
    return ok ? 0 : 1;
}

int RunLint(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool werror = false;
    cReportFormat format = cReportFormat::Text;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        int taken = TakeFormat(
            args, i, {cReportFormat::Text, cReportFormat::Json, cReportFormat::Sarif}, format);
        if (taken < 0)
            return 2;
        if (taken)
            continue;
        if (arg == "--werror")
            werror = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return 2;
        else
            files.push_back(arg);
    }
    if (files.empty())
        return 2;
    cFindingReport report(stdout, LintReportOptions(format));
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
            if (!ok && log.findings.empty()) {
                report.Notify(file, "error", held.Joined());
                held.Release();
            }
        }
        auto print = [&](const cFinding& finding) {
            ++(finding.severity == cLintSeverity::Error ? errors : warnings);
            report.Add({finding.file.empty() ? file : ToUtf8(finding.file), finding.line,
                        SeverityName(finding.severity), finding.rule, ToUtf8(finding.text)});
        };
        if (!ok) {
            if (log.findings.empty())
                ++errors;
            for (const cReadLog::cFormatFinding& finding : log.findings)
                print(FindingOf(finding));
            continue;
        }
        for (const cFinding& finding : LintTemplate(*doc, log))
            print(finding);
    }
    report.Finish();
    std::fprintf(stderr, "%ld errors, %ld warnings\n", errors, warnings);
    return errors || (werror && warnings) ? 1 : 0;
}

int RunFind(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool byKey = false;
    cReportFormat format = cReportFormat::Text;
    std::vector<std::string> words;
    // Options stand before PATTERN; "--" ends them, for a pattern that begins with "--".
    bool inOptions = true;
    for (size_t i = 0; i < args.size(); ++i) {
        if (inOptions && args[i] == "--") {
            inOptions = false;
            continue;
        }
        int taken =
            inOptions ? TakeFormat(args, i, {cReportFormat::Text, cReportFormat::Json}, format) : 0;
        if (taken < 0)
            return 2;
        if (taken)
            continue;
        if (inOptions && args[i] == "--key") {
            byKey = true;
            continue;
        }
        inOptions = false;
        words.push_back(args[i]);
    }
    if (words.size() < 2 || words[0].empty())
        return 2;
    const Text pattern = FromUtf8(words[0]);
    cReportOptions options;
    options.format = format;
    options.textNamesSeverityAndRule = false;
    cFindingReport report(stdout, options);
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
            std::string path = ToUtf8(hit.path);
            std::string key = ToUtf8(hit.key);
            report.Add({file,
                        hit.line,
                        "note",
                        "find",
                        key.empty() ? path : path + ": " + key,
                        {{"path", path}, {"key", key}}});
        }
    }
    report.Finish();
    return matched ? 0 : 1;
}
