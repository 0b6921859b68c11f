// tessary-cli-manpage: writes the manual page of tessary-cli (roff) from the help texts and
// the lint rules, so that the page says what --help says.
//
// Usage: tessary-cli-manpage VERSION OUT

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/helptext.h"
#include "core/check/lintrules.h"

namespace {

// Text for a roff text line: backslashes and dashes escaped, so that an option reads
// "--werror" on every device.
std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A line that could be taken for a request (a leading "." or "'") is protected.
std::string TextLine(std::string_view line) {
    std::string out = Escaped(line);
    if (!line.empty() && (line[0] == '.' || line[0] == '\''))
        out = "\\&" + out;
    return out + "\n";
}

// Paragraphs of help text: an empty line starts a new paragraph, and lines indented by two
// blanks (commands to type) are set as they are.
std::string Paragraphs(std::string_view text) {
    std::string out;
    bool literal = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        bool example = line.substr(0, 2) == "  ";
        if (example != literal) {
            out += example ? ".PP\n.RS 4\n.nf\n" : ".fi\n.RE\n.PP\n";
            literal = example;
        }
        if (line.empty())
            out += ".PP\n";
        else
            out += TextLine(example ? line.substr(2) : line);
    }
    if (literal)
        out += ".fi\n.RE\n";
    return out;
}

// "tessary-cli lint [--werror] FILE..." with the program and the command in bold.
std::string Synopsis(std::string_view synopsis) {
    size_t cut = synopsis.find(' ');
    if (cut != std::string_view::npos && synopsis.size() > cut + 1 && synopsis[cut + 1] != '-')
        cut = synopsis.find(' ', cut + 1);
    if (cut == std::string_view::npos)
        return "\\fB" + Escaped(synopsis) + "\\fR";
    return "\\fB" + Escaped(synopsis.substr(0, cut)) + "\\fR" + Escaped(synopsis.substr(cut));
}

std::string ManPage(std::string_view version) {
    std::string out = ".\\\" Made by tessary-cli-manpage from the help texts of tessary-cli.\n";
    out += ".TH TESSARY\\-CLI 1 \"\" \"Tessary " + Escaped(version) + "\" \"User Commands\"\n";
    // Left-aligned and without hyphenation: names and options stay whole and can be copied.
    out += ".ad l\n.nh\n";
    out += ".SH NAME\ntessary\\-cli \\- " + Escaped(kHelpSummary) + "\n";
    out += ".SH SYNOPSIS\n";
    for (size_t i = 0; i < kCommandHelpCount; ++i)
        out += std::string(i ? ".br\n" : "") + Synopsis(kCommandHelp[i].synopsis) + "\n";
    out += ".SH DESCRIPTION\n";
    out += TextLine(
        "tessary-cli runs the editor's read and save steps without a window, for scripts and "
        "build pipelines.");
    out += ".SH COMMANDS\n";
    for (size_t i = 0; i < kCommandHelpCount; ++i) {
        if (!*kCommandHelp[i].text)
            continue;
        out += ".TP\n" + Synopsis(kCommandHelp[i].synopsis) + "\n";
        out += Paragraphs(kCommandHelp[i].text);
    }
    out += ".SH LINT RULES\n";
    out += TextLine("lint reports these rules; the errors fail a run, the warnings with --werror.");
    for (const cLintRule& rule : kLintRules) {
        out += ".TP\n\\fB" + Escaped(rule.id) + "\\fR (" + SeverityName(rule.severity) + ")\n";
        out += TextLine(std::string(rule.summary) + ".");
    }
    for (size_t i = 0; i < kHelpSectionCount; ++i) {
        out += ".SH " + Escaped(kHelpSections[i].title) + "\n";
        std::string text = kHelpSections[i].text;
        text[0] = char(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 'a' + 'A' : text[0]);
        out += Paragraphs(text);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessary-cli-manpage VERSION OUT\n");
        return 2;
    }
    const std::string page = ManPage(argv[1]);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(page.data(), 1, page.size(), out) != page.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
