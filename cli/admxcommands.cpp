#include "cli/admxcommands.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "core/convert/admxexport.h"
#include "core/convert/admxtoadm.h"
#include "core/document/document.h"
#include "core/document/formats.h"

namespace {

void PrintLine(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

bool IsAdmxName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".admx";
}

int ConvertWithAdmx(CPelwinDoc& doc, const std::string& in, const std::string& out, int format,
                    const std::string& language,
                    const std::function<void(const std::string&)>& setFile) {
    const bool fromAdmx = &doc.Format() == &AdmxFormat();
    if (!fromAdmx) {
        // From ADM: the export, named after OUT.
        cAdmxOptions options;
        if (!language.empty())
            options.language = language;
        std::filesystem::path target(out);
        std::string folder = target.parent_path().string();
        cAdmxReport report;
        bool ok =
            ExportAdmx(doc, folder.empty() ? "." : folder, target.stem().string(), options, report);
        for (const std::string& line : ReportLines(report, in))
            PrintLine(line);
        return ok ? 0 : 1;
    }
    setFile(out);
    if (IsAdmxName(out))
        return doc.WriteFile(FromUtf8(out)) ? 0 : 1;

    // One language of the set as an ADM template.
    auto* adm = new CPelwinDoc;  // left to the system at exit, as check leaves its template
    adm->SetFrame(adm);
    adm->SetTreeView(&adm->Tree());
    std::vector<cConversionNote> notes;
    AdmxToAdm(doc.Tree(), doc.Strings(), adm->Tree(), adm->Strings(), notes);
    for (const cConversionNote& note : notes)
        PrintLine(in + (note.line > 0 ? ":" + std::to_string(note.line) : std::string()) +
                  ": warning: not converted: " + ToUtf8(note.what));
    adm->SetUtf16(format >= 0 ? format : 1);
    return adm->WriteFile(FromUtf8(out)) ? 0 : 1;
}
