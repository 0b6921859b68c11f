#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Every text of a template is held as UTF-16 code units exactly as read or typed.
using Text = std::u16string;
using TextView = std::u16string_view;

// Keywords of the template language compare without regard to the case of A-Z only;
// every other character must match exactly. Inline: the reader compares each token with a
// chain of keywords, most of which differ in length.
inline bool KeywordEquals(TextView a, TextView b) {
    if (a.size() != b.size())
        return false;
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

// The same for a keyword written as a literal, whose length is known without counting.
template <size_t N>
bool KeywordEquals(TextView a, const char16_t (&keyword)[N]) {
    return KeywordEquals(a, TextView(keyword, N - 1));
}

// Blank, tab, LF, vertical tab, form feed, CR.
inline bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}
TextView TrimBlanks(TextView s);

// The text with every character that shows nothing, or shows as something else, written as
// "\xNN" (four digits above FF): control characters, unpaired surrogates, the direction and
// zero-width marks, U+FEFF, U+FFFE and U+FFFF. For quoting what a file held.
Text PrintableText(TextView text);

// A format string of the program's own: only compile-time constants convert to it, so user
// data can never become a format.
class MessageFormat {
public:
    consteval MessageFormat(const char16_t* text) : m_text(text) {}
    const char16_t* text() const { return m_text; }

private:
    const char16_t* m_text;
};

// One printf argument: a text or an integer.
struct FormatArg {
    FormatArg(TextView s) : isText(true), text(s) {}
    FormatArg(const Text& s) : isText(true), text(s) {}
    FormatArg(const char16_t* s) : isText(true), text(s) {}
    FormatArg(int n) : number(n) {}
    FormatArg(long n) : number(n) {}
    FormatArg(long long n) : number(n) {}

    bool isText = false;
    TextView text;
    long long number = 0;
};

// printf-style formatting of %s, %.Ns, %d, %ld, %i, %u and %%; a placeholder without an
// argument expands to nothing.
Text FormatText(TextView format, std::initializer_list<FormatArg> args);
// A count with its noun, singular for one: "1 error", "2 errors".
Text Counted(long long count, TextView one, TextView many);

std::string ToUtf8(TextView text);
// Appends the UTF-8 form of the code point c (a scalar value).
void AppendUtf8(std::string& out, char32_t c);
// Writes the UTF-8 form of c at out, which has room for four bytes; the count written.
size_t PutUtf8(char* out, char32_t c);
Text FromUtf8(std::string_view utf8);
Text FromLatin1(std::string_view bytes);
// A UTF-8 name with A-Z in lower case, for comparing file names whatever their case.
std::string AsciiLower(std::string text);

// Reads a leading decimal integer with optional sign, as strtol does; 0 when there is none.
long ParseLeadingInt(TextView text, bool* ok = nullptr);

// utf8 as a JSON string, quotes included: the quote, the backslash and control characters
// escaped, everything else as it is.
std::string JsonQuoted(std::string_view utf8);
