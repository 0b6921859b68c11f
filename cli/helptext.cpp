#include "cli/helptext.h"

const char kHelpSummary[] =
    "check, convert, lint, search and export policy templates (.adm and .admx files)";

const cCommandHelp kCommandHelp[] = {
    {"check", "tessary-cli check [--format text|json] FILE",
     "Reads FILE as the editor's Open does, without a window. With --format json its\n"
     "messages go to standard output as JSON instead (rule read-message, or read-failed\n"
     "when the read failed). An ADMX set whose references name nothing is read all the\n"
     "same, each such reference a 'FILE:LINE: warning: TEXT', and exits 0."},
    {"convert", "tessary-cli convert [--format unicode|ascii] [--lang LL-CC] IN OUT",
     "Reads IN as Open does and, when that succeeds, saves it to OUT as Save does:\n"
     "in the given format, or else in the one IN was read in. OUT is replaced only\n"
     "once the whole template was written. An IN that holds no template (no node,\n"
     "no string, no comment line) is refused and OUT left as it was. Content that\n"
     "OUT cannot keep is named on standard error, one line each, as\n"
     "'IN:LINE: warning: passed over: TEXT'.\n"
     "IN may be an ADMX file (recognized by its content), read with the ADML files of\n"
     "its language folders. OUT.admx gets the whole set again: OUT.admx and\n"
     "OUTDIR/LL-CC/OUT.adml for each language read. Any other OUT gets an ADM template\n"
     "of one language (--lang, else en-US), what ADM cannot hold reported as\n"
     "'IN:LINE: warning: not converted: WHAT'. An ADM template converted to OUT.admx\n"
     "is exported as export does, its ADML in the --lang folder."},
    {"lint",
     "tessary-cli lint [--werror] [--profile mdm] [--format text|json|sarif] FILE... | [FILE] "
     "--store DIR",
     "Reads each FILE as check does and reports its faults on standard output as\n"
     "'FILE:LINE: error|warning: TEXT [RULE]', sorted by line, then the counts\n"
     "on standard error. Exit status 1 when there is an error or a read failed (with\n"
     "--werror also when there is a warning), else 0. --format json prints the same\n"
     "findings as JSON, --format sarif as a SARIF 2.1.0 log that lists every rule.\n"
     "An ADMX file is checked with its ADML files; a finding in an ADML names that file.\n"
     "--profile mdm checks the ADMX files as one upload to a cloud device-management\n"
     "service: the mdm-* rules run as well, and an unused namespace is an error.\n"
     "A line break in a finding's text is written as \\n in the text form.\n"
     "--store DIR checks a policy store (DIR/*.admx with DIR/LL-CC/ language folders)\n"
     "as the policy editor loads it: each set, then the references between the files\n"
     "through their namespaces (rules store-*). With FILE, only FILE is checked, as it\n"
     "would stand in the store in place of the store's file of its name."},
    {"import-order", "tessary-cli import-order FILE...",
     "Reads each ADMX file as check does and prints the files one a line in an order in\n"
     "which each comes after the files that target the namespaces its references use:\n"
     "the order to upload them in. A namespace that none of them targets, or files\n"
     "that use each other's namespaces, are reported as 'FILE:LINE: error: TEXT' and\n"
     "nothing is printed (exit status 1)."},
    {"find", "tessary-cli find [--key] [--format text|json] PATTERN FILE...",
     "Prints every policy and part whose display text or name (with --key: whose\n"
     "registry key or value name) contains PATTERN, whatever the case, as\n"
     "'FILE:LINE: CLASS > Category > ... > Policy [> Part]: KEY\\VALUENAME'.\n"
     "Exit status 0 when something matched, 1 when nothing did."},
    {"export",
     "tessary-cli export [--lang LL-CC] [--namespace NS] [--prefix P] [--supported-on REF] "
     "[--strict] IN OUTDIR",
     "Reads IN as check does and writes OUTDIR/NAME.admx and OUTDIR/LL-CC/NAME.adml\n"
     "(NAME: IN's name without its extension; LL-CC: en-US unless given). Both files\n"
     "are read back and their registry bindings compared with the template's before\n"
     "they replace anything. What ADMX cannot hold is reported as\n"
     "'IN:LINE: warning: not exported: WHAT'; --strict makes that a failure.\n"
     "A policy without SUPPORTED refers to a definition SUPPORTED_NotSpecified\n"
     "(\"Not specified\"), reported so; --supported-on REF names another, such as\n"
     "windows:SUPPORTED_WindowsVista, and adds its namespace's using.\n"
     "An ADMX file IN is written again with its ADML files into OUTDIR, as convert\n"
     "IN OUTDIR/NAME.admx does; the options do not apply to it."},
    {"rekey", "tessary-cli rekey [--dry-run] OLD NEW FILE...",
     "Reads each FILE as check does and moves every registry key that is OLD or\n"
     "beneath it (compared without regard to case) to NEW: the keys of categories,\n"
     "policies and parts, and those of their value lists. Each FILE is then saved as\n"
     "Save does; an ADMX file changes only in those key values, its ADML files not at\n"
     "all. Prints 'FILE: N keys changed' on standard error; with --dry-run it counts\n"
     "them ('FILE: N keys to change') and saves nothing. A FILE with no such key is\n"
     "left as it was."},
    {"diff", "tessary-cli diff [--format text|json] [--store] OLD NEW",
     "Reads both templates as check does and prints, sorted by path, what changed\n"
     "from OLD to NEW, one policy a line: '+ CLASS > Category > ... > Policy: KEY\\VALUE'\n"
     "for an added policy, '- ...' for a removed one, '~ ...: WHAT, WHAT' for a changed\n"
     "one; then 'N added, M removed, K changed' on standard error. Policies are known\n"
     "by class, key and value name (without one: class, key and display text),\n"
     "whatever the case; ADM and ADMX files mix, and an ADMX policy of class Both\n"
     "counts under each class. With --store, OLD and NEW are folders of ADMX files\n"
     "(a policy store, each with its LL-CC language folders) compared as wholes: a\n"
     "policy that moved to another file is the same policy. Exit status 0 no\n"
     "difference, 1 differences, 2 trouble."},
    {"doc", "tessary-cli doc [--format csv|md|html] [--lang LL-CC] FILE",
     "Reads FILE as check does and prints a reference of every policy on standard\n"
     "output: path, class, display name, registry key and value name, value type and\n"
     "values, parts, supported on and explain text. md (the default) is Markdown, html\n"
     "one self-contained page with contents by category and an anchor per policy, csv\n"
     "one row per policy (RFC 4180, UTF-8 with a byte-order mark). --lang marks the\n"
     "page's language and, for an ADMX file, chooses the ADML whose texts are shown (a\n"
     "language the set lacks fails the read). Exit status 0 written, 1 the read failed,\n"
     "2 wrong usage."},
    {"doc --site",
     "tessary-cli doc --site OUTDIR [--lang LL-CC] [--compare OLD_STORE] STORE_OR_FILES...",
     "Writes a reference site of every ADMX file of each STORE folder (and each FILE\n"
     "given) into OUTDIR, to be opened from the file system: index.html with the\n"
     "category tree merged across files through their namespaces, Computer and User\n"
     "apart, and a search that filters as one types (index.html?q=WORDS starts with\n"
     "WORDS), a page per policy (path, texts, registry key and value, what the enabled\n"
     "and disabled states write, a .reg text, file and line, languages) and a page per\n"
     "file. Texts come from the --lang ADML where a set has one, else from the set's\n"
     "own choice. With --compare, changes.html lists the policies added, removed and\n"
     "changed since OLD_STORE, as diff --store does, and their pages are marked.\n"
     "A file that cannot be read is named and left out (exit status 1)."},
    {"translations", "tessary-cli translations status FILE",
     "Reads FILE and the files of its other languages beside it and prints per\n"
     "language how many texts are missing, untranslated, stale and translated."},
    {"translations export", "tessary-cli translations export FILE --lang LL-CC OUT.xlf",
     "Writes the language's texts as XLIFF 1.2 for translators: per id the display\n"
     "text, the language's text and its state. A language without a file starts as\n"
     "a copy of the display texts."},
    {"translations import", "tessary-cli translations import FILE IN.xlf",
     "Writes the texts of IN.xlf into the file of its target language; only texts\n"
     "that differ are changed, and no file is written when none does. Ids that FILE\n"
     "does not have, or a file that is no XLIFF, change nothing (exit status 1).\n"
     "A language's file lies beside FILE, named as FILE with the language's tag in\n"
     "place of FILE's own (chrome-en-US.adm: chrome-de-DE.adm), or added to its name\n"
     "when it has none (app.adm: app-de-DE.adm); FILE's language is its tag, else en-US.\n"
     "For an ADMX file the languages are its ADML files (DIR/LL-CC/NAME.adml), the\n"
     "display language's the source; a new language becomes a new ADML file."},
    {"--help", "tessary-cli --help", ""},
};
const size_t kCommandHelpCount = sizeof(kCommandHelp) / sizeof(kCommandHelp[0]);

const cHelpSection kHelpSections[] = {
    {"OUTPUT",
     "Every message is printed to standard error as 'FILE: TEXT'. With --format json\n"
     "the findings are one JSON array on standard output, an object per finding with\n"
     "file, line, severity, rule and message; find's objects also hold path and key,\n"
     "with severity note and rule find."},
    {"EXIT STATUS",
     "0 success, 1 the read or the save failed (lint: or a fault was\n"
     "found; find: nothing matched), 2 wrong usage."},
    {"EXAMPLE",
     "in CI, fail on any fault and keep a SARIF log for code scanning:\n"
     "  tessary-cli lint --werror --format sarif templates/*.adm > lint.sarif"},
};
const size_t kHelpSectionCount = sizeof(kHelpSections) / sizeof(kHelpSections[0]);

namespace {

// Each line of text after indent.
std::string Indented(const char* text, const char* indent) {
    std::string out;
    std::string_view rest = text;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        out += line.empty() ? "" : indent;
        out += line;
        out += '\n';
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return out;
}

}  // namespace

std::string CommandUsage(std::string_view name) {
    for (size_t i = 0; i < kCommandHelpCount; ++i)
        if (name == kCommandHelp[i].name)
            return "  " + std::string(kCommandHelp[i].synopsis) + "\n" +
                   Indented(kCommandHelp[i].text, "      ");
    return {};
}

std::string HelpText() {
    std::string out = "Usage:\n";
    for (size_t i = 0; i < kCommandHelpCount; ++i)
        out += CommandUsage(kCommandHelp[i].name);
    for (size_t i = 0; i < kHelpSectionCount; ++i) {
        // "EXIT STATUS" leads its paragraph as "Exit status: ".
        std::string title = kHelpSections[i].title;
        for (size_t k = 1; k < title.size(); ++k)
            title[k] = char(title[k] >= 'A' && title[k] <= 'Z' ? title[k] - 'A' + 'a' : title[k]);
        out += "\n" + Indented((title + ": " + kHelpSections[i].text).c_str(), "");
    }
    return out;
}
