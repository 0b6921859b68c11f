#include "cli/exportcommand.h"

#include <cstdio>
#include <filesystem>

#include "cli/helptext.h"
#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/document/formats.h"
#include "core/io/paths.h"

namespace {

int ExportUsage(const char* problem) {
    std::fprintf(stderr, "tessary-cli: %s\n\nUsage:\n%s", problem, CommandUsage("export").c_str());
    return 2;
}

}  // namespace

int RunExport(const std::vector<std::string>& args,
              const std::function<bool(CPelwinDoc&, const std::string&)>& read,
              const std::function<void(const std::string&)>& setFile) {
    cAdmxOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* value = nullptr;
        std::string option = a.substr(0, a.find('='));
        if (option == "--lang")
            value = &options.language;
        else if (option == "--namespace")
            value = &options.nameSpace;
        else if (option == "--prefix")
            value = &options.prefix;
        else if (option == "--supported-on")
            value = &options.supportedOn;
        if (a == "--strict") {
            options.strict = true;
        } else if (value) {
            if (a.find('=') != std::string::npos)
                *value = a.substr(a.find('=') + 1);
            else if (i + 1 < args.size())
                *value = args[++i];
            else
                return ExportUsage((option + " needs a value").c_str());
            if (value->empty())
                return ExportUsage((option + " needs a value").c_str());
        } else if (a.size() > 1 && a[0] == '-') {
            return ExportUsage(("unknown option " + a).c_str());
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return ExportUsage("export takes IN and OUTDIR");
    if (!IsValidLanguage(options.language))
        return ExportUsage(
            ("--lang takes a language such as en-US, not " + options.language).c_str());

    if (!options.supportedOn.empty()) {
        if (std::string problem = SupportedOnProblem(options.supportedOn); !problem.empty())
            return ExportUsage(problem.c_str());
    }

    const std::string& in = files[0];
    setFile(in);
    auto* doc = new CPelwinDoc;  // left to the system at exit, as check does
    if (!read(*doc, in))
        return 1;
    std::string name = Utf8FromPath(PathFromUtf8(in).stem());
    // An ADMX set is written again, whole, into OUTDIR.
    if (&doc->Format() == &AdmxFormat()) {
        setFile(files[1]);
        return doc->WriteFile(FromUtf8(Utf8FromPath(PathFromUtf8(files[1]) / (name + ".admx"))))
                   ? 0
                   : 1;
    }
    cAdmxReport report;
    bool ok = ExportAdmx(*doc, files[1], name, options, report);
    for (std::string line : ReportLines(report, in)) {
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return ok ? 0 : 1;
}
