#include "cli/checkcommands.h"

#include <cstdio>
#include <optional>

#include "cli/findingreport.h"
#include "core/check/find.h"
#include "core/check/lint.h"
#include "core/check/mdm.h"
#include "core/check/store.h"
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
        Text file;  // of a message shown at a place; none: the template's
    };

    void Show(int severity, const Text& text) override {
        int line = 0;
        // The read's own sink notes a message in the log before it passes it on.
        if (m_log && m_log->messages.size() > m_logged) {
            m_logged = m_log->messages.size();
            line = m_log->messages.back().line;
        }
        m_held.push_back({severity, text, line, Text()});
    }
    void ShowAt(const cMessagePlace& place, int severity, const Text& text) override {
        m_held.push_back({severity, text, place.line, place.file});
    }
    const std::vector<cHeld>& Held() const { return m_held; }
    // The held messages, one line each, without the blanks around them.
    std::string Joined() const {
        std::string out;
        for (const cHeld& held : m_held) {
            std::string text = ToUtf8(
                held.file.empty() ? held.text : PlaceText({held.file, held.line}) + held.text);
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
            for (const cHeld& held : m_held) {
                if (held.file.empty())
                    m_next->Show(held.severity, held.text);
                else
                    m_next->ShowAt({held.file, held.line}, held.severity, held.text);
            }
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
        for (const cHeldMessages::cHeld& message : held.Held()) {
            // A warning of a read that went on is the fault lint names by its rule.
            const char* severity = message.severity == kSeverityInformation ? "note"
                                   : message.severity == kSeverityWarning   ? "warning"
                                                                            : "error";
            std::string text = ToUtf8(message.text);
            if (message.severity == kSeverityWarning && text.rfind("warning: ", 0) == 0)
                text.erase(0, 9);
            report.Add({message.file.empty() ? file : ToUtf8(message.file), message.line, severity,
                        ok ? "read-message" : "read-failed", text});
        }
    }
    report.Finish();
    return ok ? 0 : 1;
}

int RunLint(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile) {
    bool werror = false;
    bool mdm = false;
    cReportFormat format = cReportFormat::Text;
    std::vector<std::string> files;
    std::optional<std::string> store;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        int taken = TakeFormat(
            args, i, {cReportFormat::Text, cReportFormat::Json, cReportFormat::Sarif}, format);
        if (taken < 0)
            return 2;
        if (taken)
            continue;
        if (arg == "--werror") {
            werror = true;
        } else if (arg == "--profile" || arg.rfind("--profile=", 0) == 0) {
            std::string profile =
                arg == "--profile" ? (i + 1 < args.size() ? args[++i] : "") : arg.substr(10);
            if (profile != "mdm")
                return 2;
            mdm = true;
        } else if (arg == "--store" && i + 1 < args.size()) {
            store = args[++i];
        } else if (arg.rfind("--store=", 0) == 0) {
            store = arg.substr(std::string_view("--store=").size());
        } else if (arg.size() > 1 && arg[0] == '-') {
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (store ? store->empty() || files.size() > 1 : files.empty())
        return 2;
    cFindingReport report(stdout, LintReportOptions(format));
    long errors = 0;
    long warnings = 0;
    if (store) {
        std::vector<cFinding> findings;
        Text problem;
        setFile(*store);
        if (!LintStore(*store, files.empty() ? std::string() : files[0], findings, problem)) {
            report.Notify(*store, "error", ToUtf8(problem));
            report.Finish();
            std::fprintf(stderr, "%s: %s\n", store->c_str(), ToUtf8(problem).c_str());
            return 1;
        }
        for (const cFinding& finding : findings) {
            ++(finding.severity == cLintSeverity::Error ? errors : warnings);
            report.Add({ToUtf8(finding.file), finding.line, SeverityName(finding.severity),
                        finding.rule, ToUtf8(finding.text)});
        }
        report.Finish();
        std::fprintf(stderr, "%ld errors, %ld warnings\n", errors, warnings);
        return errors || (werror && warnings) ? 1 : 0;
    }
    // All files are read before any is reported: under the MDM profile each file's findings
    // depend on which namespaces the others bring to the upload.
    struct cRead {
        CPelwinDoc* doc;  // Left to the system at exit, as check leaves its one.
        cReadLog log;
        bool ok;
    };
    std::vector<cRead> reads(files.size());
    std::vector<cMdmFile> upload;
    for (size_t f = 0; f < files.size(); ++f) {
        const std::string& file = files[f];
        cRead& one = reads[f];
        setFile(file);
        one.doc = new CPelwinDoc;
        {
            cHeldMessages held;
            one.ok = read(*one.doc, file, &one.log);
            // A read that failed on a fault with a rule reports that as a finding.
            if (!one.ok && one.log.findings.empty()) {
                report.Notify(file, "error", held.Joined());
                held.Release();
            }
        }
        const cAdmxSet* set = one.ok ? AdmxSetOfDocument(*one.doc) : nullptr;
        if (mdm && one.ok && !set) {
            std::fprintf(stderr, "%s: note: not an ADMX file; the MDM profile passes it over\n",
                         file.c_str());
            report.Notify(file, "note", "not an ADMX file; the MDM profile passes it over");
        }
        upload.push_back({FromUtf8(file), set});
    }
    std::vector<std::vector<cFinding>> profile;
    if (mdm)
        profile = CheckMdmUpload(upload);
    for (size_t f = 0; f < files.size(); ++f) {
        const std::string& file = files[f];
        const cRead& one = reads[f];
        auto print = [&](const cFinding& finding) {
            ++(finding.severity == cLintSeverity::Error ? errors : warnings);
            report.Add({finding.file.empty() ? file : ToUtf8(finding.file), finding.line,
                        SeverityName(finding.severity), finding.rule, ToUtf8(finding.text)});
        };
        if (!one.ok) {
            if (one.log.findings.empty())
                ++errors;
            for (const cReadLog::cFormatFinding& finding : one.log.findings)
                print(FindingOf(finding));
            continue;
        }
        std::vector<cFinding> findings = LintTemplate(*one.doc, one.log);
        if (mdm)
            ApplyMdmProfile(findings, std::move(profile[f]));
        for (const cFinding& finding : findings)
            print(finding);
    }
    report.Finish();
    std::fprintf(stderr, "%ld errors, %ld warnings\n", errors, warnings);
    return errors || (werror && warnings) ? 1 : 0;
}

int RunImportOrder(const std::vector<std::string>& args, const cReadTemplateFn& read,
                   const std::function<void(const std::string&)>& setFile) {
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-')
            return 2;
        files.push_back(arg);
    }
    if (files.empty())
        return 2;
    bool ok = true;
    std::vector<cMdmFile> upload;
    for (const std::string& file : files) {
        setFile(file);
        auto* doc = new CPelwinDoc;
        // With a log a reference to nothing does not end the read: lint tells of those, and
        // the order needs only the namespaces.
        cReadLog log;
        cHeldMessages held;
        const cAdmxSet* set = read(*doc, file, &log) ? AdmxSetOfDocument(*doc) : nullptr;
        if (!set) {
            std::string why = held.Joined();
            std::fprintf(stderr, "%s: error: %s\n", file.c_str(),
                         why.empty() ? "not an ADMX file" : why.c_str());
            ok = false;
        }
        upload.push_back({FromUtf8(file), set});
    }
    if (!ok)
        return 1;
    const cImportOrder order = MdmImportOrder(upload);
    for (const cImportFault& fault : order.faults)
        std::fprintf(stderr, "%s:%d: error: %s\n", files[fault.file].c_str(), fault.line,
                     ToUtf8(fault.text).c_str());
    for (size_t file : order.order)
        std::printf("%s\n", files[file].c_str());
    return order.faults.empty() ? 0 : 1;
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
