// Writing the two files through the one replace of files there is: both are written beside
// their targets, read back from the disk and checked, and only then put in place, so that a
// failed export leaves whatever OUTDIR held before.

#include <filesystem>

#include "core/convert/admxexport.h"
#include "core/io/files.h"
#include "core/io/paths.h"
#include "core/text/messages.h"

namespace fs = std::filesystem;

bool ExportAdmx(cExportSource doc, const std::string& outDir, const std::string& name,
                const cAdmxOptions& options, cAdmxReport& report) {
    report = cAdmxReport();
    if (!IsValidLanguage(options.language)) {
        report.errors.push_back({0, "not a language name: " + options.language});
        return false;
    }
    cAdmxOutput out;
    bool built = BuildAdmx(doc, name, options, out);
    report.notExported = out.notExported;
    if (!built) {
        for (const cAdmxNote& error : out.errors)
            report.errors.push_back({error.line, "cannot export " + error.what});
        return false;
    }
    if (options.strict && !out.notExported.empty()) {
        report.errors.push_back({0, "not everything can be exported, and --strict was given"});
        return false;
    }

    const fs::path folder = PathFromUtf8(outDir);
    const std::string admxPath = Utf8FromPath(folder / PathFromUtf8(name + ".admx"));
    const std::string admlPath =
        Utf8FromPath(folder / PathFromUtf8(options.language) / PathFromUtf8(name + ".adml"));
    bool checked = true;
    auto check = [&](const std::vector<std::string>& readBack) {
        std::vector<std::string> differences;
        if (readBack.size() == 2 &&
            CheckAdmx(doc, readBack[0], readBack[1], differences, out.unspecifiedSupportedOn))
            return true;
        for (const std::string& difference : differences)
            report.errors.push_back({0, "re-read check: " + difference});
        checked = false;
        return false;
    };
    cMessageCollector messages;
    if (!ReplaceFiles({{FromUtf8(admxPath), out.admx}, {FromUtf8(admlPath), out.adml}}, check)) {
        if (checked) {
            // The message box's text, without its leading blank and word: the report line
            // says "error:" itself.
            Text why = messages.Texts();
            while (!why.empty() && why.front() == u' ')
                why.erase(0, 1);
            if (why.starts_with(u"Error "))
                why.erase(0, 6);
            report.errors.push_back({0, ToUtf8(why)});
        }
        return false;
    }
    report.admxPath = admxPath;
    report.admlPath = admlPath;
    return true;
}

std::vector<std::string> ReportLines(const cAdmxReport& report, const std::string& file) {
    std::vector<std::string> lines;
    auto add = [&](const cAdmxNote& note, const char* kind) {
        std::string line = file;
        if (note.line > 0)
            line += ":" + std::to_string(note.line);
        lines.push_back(line + ": " + kind + note.what);
    };
    for (const cAdmxNote& note : report.notExported)
        add(note, "warning: not exported: ");
    for (const cAdmxNote& error : report.errors)
        add(error, "error: ");
    return lines;
}
