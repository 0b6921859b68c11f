#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How a command prints what it found.
enum class cReportFormat { Text, Json, Sarif };

// "text", "json" or "sarif"; false for any other name.
bool ParseReportFormat(std::string_view name, cReportFormat& format);

// One thing a command found in a file.
struct cReportItem {
    std::string file;                // as named on the command line
    int line = 0;                    // from 1; 0 when it has no line (JSON null, no SARIF region)
    const char* severity = "error";  // "error", "warning" or "note"
    std::string rule;
    std::string message;  // UTF-8
    // Further members of the item's JSON object, all with string values.
    std::vector<std::pair<std::string, std::string>> more = {};
};

// A rule as the SARIF log lists it for the tool.
struct cReportRule {
    std::string id;
    const char* level = "error";  // its default level: "error", "warning" or "note"
    std::string summary;
};

struct cReportOptions {
    cReportFormat format = cReportFormat::Text;
    // The text form: "FILE:LINE: SEVERITY: MESSAGE [RULE]", or without severity and rule
    // "FILE:LINE: MESSAGE".
    bool textNamesSeverityAndRule = true;
    // SARIF: the tool and every rule it has, whether or not a finding uses it.
    std::string toolName = "tessary-cli";
    std::string toolVersion;
    std::vector<cReportRule> rules;
};

// Prints findings as they come: as text a line each; as JSON one array with an object per
// finding {file, line, severity, rule, message, ...}; as SARIF one log with one run. Finish
// closes the array or the log; nothing is held back but the SARIF notifications.
class cFindingReport {
public:
    cFindingReport(std::FILE* out, cReportOptions options);
    cFindingReport(const cFindingReport&) = delete;
    cFindingReport& operator=(const cFindingReport&) = delete;

    void Add(const cReportItem& item);
    // Something about a whole file that is no finding: a read that failed (level "error")
    // or a file left unchecked ("note"). SARIF lists it among the run's notifications, and
    // an error marks the run as not successful; text and JSON leave it out, the command
    // tells it on standard error.
    void Notify(const std::string& file, const char* level, const std::string& message);
    void Finish();

private:
    void Begin();
    void Write(const std::string& text);

    std::FILE* m_out;
    cReportOptions m_options;
    bool m_begun = false;
    bool m_first = true;
    struct cNotification {
        std::string file;
        const char* level;
        std::string message;
    };
    std::vector<cNotification> m_notifications;
};

// The text on one line, each line break written as "\n": a finding of the text form is one
// line, for the parsers of CI systems and editors.
std::string OneLine(std::string_view text);

// A JSON string literal of text, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// A file name as a URI reference: a relative name stays relative, an absolute one becomes a
// file: URI; every byte but letters, digits, "/" and "-._~!$&'()*+,;=@" is percent-encoded.
std::string FileUri(std::string_view file);
