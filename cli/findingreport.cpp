#include "cli/findingreport.h"

#include <algorithm>

#include "core/text/text.h"

bool ParseReportFormat(std::string_view name, cReportFormat& format) {
    if (name == "text")
        format = cReportFormat::Text;
    else if (name == "json")
        format = cReportFormat::Json;
    else if (name == "sarif")
        format = cReportFormat::Sarif;
    else
        return false;
    return true;
}

std::string JsonString(std::string_view text) {
    // A file name need not be UTF-8; the round trip puts U+FFFD for what is not.
    return JsonQuoted(ToUtf8(FromUtf8(text)));
}

std::string FileUri(std::string_view file) {
    static const char kHex[] = "0123456789ABCDEF";
    // A ":" is encoded too: in the first segment of a relative reference it would be
    // taken for the end of a scheme.
    static const std::string_view kKept = "/-._~!$&'()*+,;=@";
    std::string out = !file.empty() && file[0] == '/' ? "file://" : "";
    for (char c : file) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            kKept.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::string OneLine(std::string_view text) {
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            // CR LF is one break.
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

cFindingReport::cFindingReport(std::FILE* out, cReportOptions options)
    : m_out(out), m_options(std::move(options)) {}

void cFindingReport::Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), m_out);
}

void cFindingReport::Begin() {
    if (m_begun)
        return;
    m_begun = true;
    if (m_options.format == cReportFormat::Json) {
        Write("[");
    } else if (m_options.format == cReportFormat::Sarif) {
        std::string head =
            "{\n"
            "  \"$schema\": \"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/"
            "schemas/sarif-schema-2.1.0.json\",\n"
            "  \"version\": \"2.1.0\",\n"
            "  \"runs\": [\n"
            "    {\n"
            "      \"tool\": {\n"
            "        \"driver\": {\n"
            "          \"name\": " +
            JsonString(m_options.toolName) + ",\n";
        if (!m_options.toolVersion.empty())
            head += "          \"version\": " + JsonString(m_options.toolVersion) + ",\n";
        head += "          \"rules\": [";
        for (size_t i = 0; i < m_options.rules.size(); ++i) {
            const cReportRule& rule = m_options.rules[i];
            head += std::string(i ? "," : "") + "\n            {\"id\": " + JsonString(rule.id) +
                    ", \"shortDescription\": {\"text\": " + JsonString(rule.summary) +
                    "}, \"defaultConfiguration\": {\"level\": " + JsonString(rule.level) + "}}";
        }
        head += m_options.rules.empty() ? "]\n" : "\n          ]\n";
        head +=
            "        }\n"
            "      },\n"
            "      \"results\": [";
        Write(head);
    }
}

void cFindingReport::Add(const cReportItem& item) {
    Begin();
    const std::string line = std::to_string(item.line);
    if (m_options.format == cReportFormat::Text) {
        std::string text = item.file + ":" + line + ": ";
        if (m_options.textNamesSeverityAndRule)
            text += std::string(item.severity) + ": " + OneLine(item.message) + " [" + item.rule +
                    "]\n";
        else
            text += OneLine(item.message) + "\n";
        Write(text);
    } else if (m_options.format == cReportFormat::Json) {
        std::string object =
            std::string(m_first ? "\n" : ",\n") + "{\"file\": " + JsonString(item.file) +
            ", \"line\": " + (item.line ? line : "null") +
            ", \"severity\": " + JsonString(item.severity) +
            ", \"rule\": " + JsonString(item.rule) + ", \"message\": " + JsonString(item.message);
        for (const auto& [name, value] : item.more)
            object += ", " + JsonString(name) + ": " + JsonString(value);
        Write(object + "}");
    } else {
        std::string result = std::string(m_first ? "\n" : ",\n") +
                             "        {\n"
                             "          \"ruleId\": " +
                             JsonString(item.rule) + ",\n";
        for (size_t i = 0; i < m_options.rules.size(); ++i)
            if (m_options.rules[i].id == item.rule)
                result += "          \"ruleIndex\": " + std::to_string(i) + ",\n";
        result += "          \"level\": " + JsonString(item.severity) +
                  ",\n"
                  "          \"message\": {\"text\": " +
                  JsonString(item.message) +
                  "},\n"
                  "          \"locations\": [{\"physicalLocation\": {\"artifactLocation\": "
                  "{\"uri\": " +
                  JsonString(FileUri(item.file)) + "}";
        if (item.line > 0)
            result += ", \"region\": {\"startLine\": " + line + "}";
        result += "}}]\n        }";
        Write(result);
    }
    m_first = false;
}

void cFindingReport::Notify(const std::string& file, const char* level,
                            const std::string& message) {
    m_notifications.push_back({file, level, message});
}

void cFindingReport::Finish() {
    Begin();
    if (m_options.format == cReportFormat::Json) {
        Write(m_first ? "]\n" : "\n]\n");
    } else if (m_options.format == cReportFormat::Sarif) {
        bool successful = true;
        std::string tail = m_first ? "],\n" : "\n      ],\n";
        std::string notifications;
        for (const cNotification& note : m_notifications) {
            successful = successful && std::string_view(note.level) != "error";
            notifications += std::string(notifications.empty() ? "" : ",") +
                             "\n            {\"level\": " + JsonString(note.level) +
                             ", \"message\": {\"text\": " + JsonString(note.message) +
                             "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": "
                             "{\"uri\": " +
                             JsonString(FileUri(note.file)) + "}}}]}";
        }
        tail += "      \"invocations\": [\n        {\n          \"executionSuccessful\": ";
        tail += successful ? "true" : "false";
        if (!notifications.empty())
            tail +=
                ",\n          \"toolExecutionNotifications\": [" + notifications + "\n          ]";
        tail +=
            "\n        }\n"
            "      ]\n"
            "    }\n"
            "  ]\n"
            "}\n";
        Write(tail);
    }
}
