#pragma once

#include <string>
#include <string_view>
#include <vector>

class cStringMap;
class cTemplateTree;

// Export of a template to an ADMX file (the policy definitions) and an ADML file (its strings
// and presentations in one language). Standard library and pugixml only.

// What an export reads of a template: its tree and its string table. Made from anything that
// has both, such as a read document.
struct cExportSource {
    const cTemplateTree& tree;
    const cStringMap& strings;
    template <typename Doc>
    cExportSource(const Doc& doc) : tree(doc.Tree()), strings(doc.Strings()) {}
    cExportSource(const cTemplateTree& t, const cStringMap& s) : tree(t), strings(s) {}
};

struct cAdmxOptions {
    std::string language = "en-US";  // the ADML's folder
    std::string nameSpace;           // empty: derived from the file name
    std::string prefix;              // empty: the file name in lower case, made valid
    bool strict = false;             // a construct that is not exported fails the export
    // What a policy without a SUPPORTED text refers to: "prefix:name" of a known namespace
    // (KnownNamespace), whose `using` the export adds; empty: a definition the export adds,
    // kNotSpecifiedName, named in a report line.
    std::string supportedOn;
};

// The definition a policy without a SUPPORTED text refers to unless the options name another:
// the policy editor refuses a policy without a supportedOn.
inline constexpr char kNotSpecifiedName[] = "SUPPORTED_NotSpecified";
inline constexpr char16_t kNotSpecifiedText[] = u"Not specified";

// The namespace of a prefix every system's policy store has ("windows"); empty for another.
std::string_view KnownNamespace(std::string_view prefix);
// Why a --supported-on reference cannot be used; empty when it can.
std::string SupportedOnProblem(std::string_view reference);

// One line of the mapping report: something of the template that ADMX cannot hold.
struct cAdmxNote {
    int line = 0;      // of the template; 0 when the construct has none
    std::string what;  // UTF-8
};

struct cAdmxOutput {
    std::string admx;  // UTF-8, with the XML declaration
    std::string adml;
    // Constructs that ADMX has no form for; the rest of the template is exported.
    std::vector<cAdmxNote> notExported;
    // Values that cannot be written at all; the export fails.
    std::vector<cAdmxNote> errors;
    // The supportedOn reference of the policies without a SUPPORTED text; empty when none.
    std::string unspecifiedSupportedOn;
};

// Language folder names as ADMX expects them: "en-US", "de-DE", "sr-Latn-RS".
bool IsValidLanguage(std::string_view language);

// The namespace and prefix used when the options leave them empty.
std::string DefaultNamespace(std::string_view name);
std::string DefaultPrefix(std::string_view name);

// Builds both files in memory from a read template. `name` is the base name of the files.
// False when `errors` holds something that cannot be exported.
bool BuildAdmx(cExportSource doc, const std::string& name, const cAdmxOptions& options,
               cAdmxOutput& out);

// Reads the two texts back and compares every policy's registry bindings (class, key, value
// name, on and off values and lists, elements with their keys, value names, values, list
// forms) and the references between the two files with those of the template. True when
// all agree; otherwise `differences` says what differs, one line each.
// A policy of the template without a SUPPORTED text is to refer to `unspecified`.
bool CheckAdmx(cExportSource doc, std::string_view admx, std::string_view adml,
               std::vector<std::string>& differences,
               std::string_view unspecified = kNotSpecifiedName);

struct cAdmxReport {
    std::vector<cAdmxNote> notExported;
    std::vector<cAdmxNote> errors;  // why the export failed, one line each
    std::string admxPath;           // the files written
    std::string admlPath;
};

// The whole export: builds both files, writes them beside their targets
// OUTDIR/NAME.admx and OUTDIR/LANGUAGE/NAME.adml, reads the written files back and checks
// them, and only then puts them in place. On false nothing in OUTDIR has been replaced and
// `errors` says why.
bool ExportAdmx(cExportSource doc, const std::string& outDir, const std::string& name,
                const cAdmxOptions& options, cAdmxReport& report);

// The report one line each, as the command line prints it and the editor shows it:
// "FILE:LINE: warning: not exported: WHAT", then "FILE:LINE: error: WHAT" (without ":LINE"
// where there is none).
std::vector<std::string> ReportLines(const cAdmxReport& report, const std::string& file);
