#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <vector>

#include "core/io/files.h"
#include "core/adm/textsource.h"
#include "core/adm/tokenizer.h"
#include "core/document/document.h"
#include "tests/testsupport.h"

namespace {

// All tokens of a text, joined with '|' so that empty tokens stay visible.
std::string Tokens(const Text& text, bool raw = false) {
    cTokenizer tokens(text);
    std::string out;
    Text token;
    bool first = true;
    while (raw ? tokens.NextRawToken(token) : tokens.NextToken(token)) {
        if (!first)
            out += '|';
        out += ToUtf8(token);
        first = false;
    }
    return out;
}

std::string Tokens(const char* utf8) {
    return Tokens(FromUtf8(utf8));
}

// ---- Encoding --------------------------------------------------------------------------

TEST(TextSource, DecidesUtf16OnlyOnLittleEndianMark) {
    EXPECT_EQ(DecideEncoding(std::string("\xFF\xFE", 2)), 1);
    EXPECT_EQ(DecideEncoding(std::string("\xFF\xFE;\0", 4)), 1);
    EXPECT_EQ(DecideEncoding(std::string("\xFE\xFF", 2)), 0);
    EXPECT_EQ(DecideEncoding(std::string("\xEF\xBB\xBF", 3)), 0);
    EXPECT_EQ(DecideEncoding(std::string("\xFF", 1)), 0);
    EXPECT_EQ(DecideEncoding(""), 0);
}

TEST(TextSource, Utf16UnitsAreReadLowByteFirstAndAnOddLastByteIsDropped) {
    EXPECT_EQ(DecodeTemplate(std::string("\xFF\xFE"
                                         "A\0\x3D\xD8\x00\xDE\r\0\n\0",
                                         12),
                             1),
              Text(u"A\xD83D\xDE00\r\n"));
    EXPECT_EQ(DecodeTemplate(std::string("\xFF\xFE"
                                         "A\0B",
                                         5),
                             1),
              u"A");
    EXPECT_EQ(DecodeTemplate(std::string("\xFF\xFE"
                                         "\x1A\0",
                                         4),
                             1),
              Text(u"\x1A"));
    EXPECT_EQ(DecodeTemplate(std::string("\xFF\xFE", 2), 1), u"");
    EXPECT_EQ(DecodeTemplate(std::string("\xFF\xFE\xFF", 3), 1), u"");
}

TEST(TextSource, EightBitBytesKeepTheirNumbersInTextMode) {
    EXPECT_EQ(DecodeTemplate(std::string("a\r\nb\rc\xE9\0d", 9), 0), Text(u"a\nb\rc\u00E9\0d", 8));
    EXPECT_EQ(DecodeTemplate("x\r\r\ny\r", 0), u"x\r\ny\r");
    EXPECT_EQ(DecodeTemplate("abc\x1A"
                             "def",
                             0),
              u"abc");
    EXPECT_EQ(DecodeTemplate("\xFF\xFF", 0), u"\u00FF\u00FF");
}

// ---- Tokens ----------------------------------------------------------------------------

using TokenCase = cTextCase;

class TokenizerCases : public ::testing::TestWithParam<TokenCase> {};

TEST(TextSource, FindUnitAgreesWithASearchOneUnitAtATime) {
    // Fillers close to the unit looked for, so that a wrong lane test would show.
    const char16_t fillers[] = {u'a', u'\t', u'\v', char16_t(0x800A), char16_t(0xFFFF), 0};
    for (char16_t filler : fillers) {
        for (size_t length = 0; length < 40; ++length) {
            for (size_t at = 0; at <= length; ++at) {
                Text text(length, filler);
                if (at < length)
                    text[at] = u'\n';
                // A second one further on must not hide the first.
                if (at + 9 < length)
                    text[at + 9] = u'\n';
                for (size_t from = 0; from <= length; ++from)
                    ASSERT_EQ(FindUnit(text, u'\n', from), TextView(text).find(u'\n', from))
                        << int(filler) << " " << length << " " << at << " " << from;
            }
        }
    }
}

TEST(Tokenizer, ReleaseHookChangesNoTokenAndIsToldLineStartsInOrder) {
    Text text;
    for (int i = 0; i < 200; ++i)
        text += u"POLICY \"a/b\" ; comment\n  KEYNAME x/\n y\n";
    std::vector<size_t> released;
    cTokenizer plain(text);
    cTokenizer hooked(text);
    hooked.SetReleaseHook([&](size_t consumed) { released.push_back(consumed); }, 100);
    Text a;
    Text b;
    while (plain.NextToken(a)) {
        ASSERT_TRUE(hooked.NextToken(b));
        EXPECT_EQ(a, b);
    }
    EXPECT_FALSE(hooked.NextToken(b));
    EXPECT_GT(released.size(), 50u);
    EXPECT_TRUE(std::is_sorted(released.begin(), released.end()));
    // Always the start of a line: the lines before it are done with.
    for (size_t at : released)
        EXPECT_EQ(text[at - 1], u'\n');
}

// Passing over unwanted tokens of the strings section hands out what NextToken hands out,
// less only plain tokens on or after the header that are not wanted: tokens before the
// header, wanted ones (also quoted), #IFDEF blocks and joined tokens all still come.
TEST(Tokenizer, NextTokenOfLeavesOutOnlyUnwantedPlainTokensOfTheStringsSection) {
    const Text text = FromUtf8(
        "CLASS MACHINE x y\n"
        "[strings]\n"
        "a=\"text\" ; comment CLASS\n"
        "b=\"CLASS\"\n"
        "c=class d\n"
        "#ifdef X\nCLASS #endif\n"
        "e=1 f/\n  CLASS g\n"
        "  #if version\n"
        "h=\"last\"\n");
    const TextView wanted[] = {u"CLASS", u"#if"};
    cTokenizer all(text);
    cTokenizer some(text);
    std::vector<std::pair<Text, int>> every;
    Text token;
    while (all.NextToken(token))
        every.emplace_back(token, all.TokenLine());
    std::vector<std::pair<Text, int>> kept;
    while (some.NextTokenOf(token, wanted))
        kept.emplace_back(token, some.TokenLine());

    std::vector<std::string> left;
    size_t k = 0;
    for (const auto& [tok, line] : every) {
        if (k < kept.size() && kept[k] == std::make_pair(tok, line)) {
            ++k;
            continue;
        }
        EXPECT_GE(line, 2) << ToUtf8(tok);
        left.push_back(ToUtf8(tok));
    }
    EXPECT_EQ(k, kept.size());
    // The token after a comment or an #IFDEF block comes the usual way, so "b=" and "e=1" stay.
    EXPECT_EQ(left, (std::vector<std::string>{"[strings]", "a=", "text", "c=class", "d", "f", "/",
                                              "g", "version", "h=", "last"}));

    // With references to note, every token is handed out.
    std::vector<cReadLog::cReference> references;
    cTokenizer noted(text);
    noted.SetReferenceLog(&references);
    size_t count = 0;
    while (noted.NextTokenOf(token, wanted))
        ++count;
    EXPECT_EQ(count, every.size());
}

TEST_P(TokenizerCases, GivesTheExpectedTokens) {
    EXPECT_EQ(Tokens(GetParam().input), GetParam().expected) << GetParam().name;
}

const TokenCase kTokenCases[] = {
    {"backslashes are ordinary", "KEYNAME \"Software\\Policies\\x y\"",
     "KEYNAME|Software\\Policies\\x y"},
    {"delimiters", "a b\tc\r\nd", "a|b|c|d"},
    {"vertical tab and form feed only lead", "\v\fa\vb\fc", "a\vb\fc"},
    {"blank lines skipped", "\n\n   \n\t\r\nX\n\n", "X"},
    {"empty text", "", ""},
    {"semicolon quoted and not", "\"a;b\" a;b\nc", "a;b|a|c"},
    {"quote ends a word", "abc\"def\"ghi", "abc|def|ghi"},
    {"semicolon ends a word", "abc;xyz\nq", "abc|q"},
    {"unclosed quote takes the line", "\"rest of line\nnext", "rest of line|next"},
    {"unclosed quote keeps blanks", "\"  a  ", "  a  "},
    {"adjacent quotes", "\"\" x \"\"", "|x|"},
    {"quote cannot span lines", "\"a\nb\"", "a|b|"},
    {"comments", "   \n; comment\n// other\nCLASS \"MACHINE\" // tail", "CLASS|MACHINE"},
    {"slash joins words", "a/b/c d", "a/b/c|d"},
    {"leading slash stays", "/x y", "/x|y"},
    {"double slash is a comment", "a//b c\nd", "a|d"},
    {"slash joins a quoted text", "a/\"b c\" d", "a/b c|d"},
    {"joins across a line end", "a/ \nb c", "a/b|c"},
    {"joins past comments", "a/ ; note\n\n// more\nb", "a/b"},
    {"join at the end of the file", "a/ ", "a/"},
    {"join of a quote-ended word", "\"a\"/b", "a|/b"},
    {"lone trailing slash is a token", "a/", "a|/"},
    {"lone slash then next line", "a/\nb", "a|/|b"},
    {"lone slash line", "/\n/", "/|/"},
    {"ifdef block removed", "a #IFDEF X b c #ENDIF d", "a|d"},
    {"ifdef case disregarded", "#ifdef x #Endif y", "y"},
    {"ifdef blocks in a row", "#IFDEF a #ENDIF #IFDEF b #ENDIF c", "c"},
    {"ifdef blocks do not nest", "#IFDEF A\n#IFDEF B\nx\n#ENDIF\ny\n#ENDIF\nz", "y|#ENDIF|z"},
    {"ifdef alone", "#IFDEF", "#IFDEF"},
    {"ifdef unclosed gives last", "x #IFDEF a b", "x|b"},
    {"ifdef closed at the end", "x #IFDEF a #ENDIF", "x"},
    {"quoted ifdef counts", "\"#IFDEF\" x \"#ENDIF\" y", "y"},
    {"ifdef after a comment", "; c\n#IFDEF x #ENDIF y", "y"},
    {"endif outside a block is a token", "#ENDIF x", "#ENDIF|x"},
    {"joined word is skipped in a block", "#IFDEF a/#ENDIF #ENDIF z", "z"},
    {"join skips a block", "a/ \n#IFDEF q #ENDIF b", "a/b"},
    {"join into an unclosed block", "a/ #IFDEF q r", "a/r"},
    // Inside a block, a comment hands over to a fresh #IFDEF layer, so the next #IFDEF
    // opens a block of its own whose #ENDIF does not close the outer one.
    {"comment then ifdef inside a block", "#IFDEF A\n;c\n#IFDEF B x #ENDIF y #ENDIF z", "z"},
    {"comment inside a block at the end", "#IFDEF A\n;c\n#IFDEF B x", "x"},
};

INSTANTIATE_TEST_SUITE_P(Tokens, TokenizerCases, ::testing::ValuesIn(kTokenCases),
                         CaseName<TokenizerCases::ParamType>);

TEST(Tokenizer, CarriageReturnsOfUtf16LinesAreBlanks) {
    std::string bytes("\xFF\xFE", 2);
    for (char c : std::string("a/\r\nb \"q\"\r\nc\r\n"))
        bytes += {c, '\0'};
    EXPECT_EQ(Tokens(DecodeTemplate(bytes, 1)), "a/b|q|c");
}

TEST(Tokenizer, RawTokensKeepIfdefBlocksButCommentsStillSkipThem) {
    EXPECT_EQ(Tokens(u"#IFDEF x #ENDIF y", true), "#IFDEF|x|#ENDIF|y");
    EXPECT_EQ(Tokens(u"; c\n#IFDEF x #ENDIF y", true), "y");
    EXPECT_EQ(Tokens(u"a/ \n#IFDEF x #ENDIF b", true), "a/b");
}

TEST(Tokenizer, EndOfFileLeavesTheTokenUnchanged) {
    Text text = u"only";
    cTokenizer tokens(text);
    Text token;
    ASSERT_TRUE(tokens.NextToken(token));
    EXPECT_FALSE(tokens.NextToken(token));
    EXPECT_FALSE(tokens.NextRawToken(token));
    EXPECT_EQ(token, u"only");
}

// Comments and joining slashes each ask for the next token; a long run of them must not
// cost stack or repeated copying.
TEST(Tokenizer, LongRunsOfCommentsAndJoinsStayCheap) {
    Text comments;
    for (int i = 0; i < 200000; ++i)
        comments += u";c\n";
    EXPECT_EQ(Tokens(comments + u"X"), "X");

    Text blocks = u"#IFDEF A\n";
    for (int i = 0; i < 100000; ++i)
        blocks += u";c\n#IFDEF B\n";
    EXPECT_EQ(Tokens(blocks + u"#ENDIF z"), "z");

    Text joined = u"a";
    for (int i = 0; i < 200000; ++i)
        joined += u"/a";
    std::string expected = ToUtf8(joined);
    joined += u" \"\"";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Tokens(joined), expected + "|");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Every prefix of a template is a possible truncated file: none may hang or crash.
TEST(Tokenizer, EveryTruncationEnds) {
    const std::string sample =
        "; x\r\n#IFDEF A\r\nq\r\n#ENDIF\r\nCLASS MACHINE /\r\n\"quoted ; text\" a/b/ \r\n"
        "c// d\r\n#ifdef\r\n/";
    std::string utf16("\xFF\xFE", 2);
    for (char c : sample)
        utf16 += {c, '\0'};
    for (const std::string& bytes : {sample, utf16}) {
        for (size_t length = 0; length <= bytes.size(); ++length) {
            std::string_view prefix(bytes.data(), length);
            Text text = DecodeTemplate(prefix, DecideEncoding(prefix));
            cTokenizer tokens(text);
            Text token;
            size_t count = 0;
            while (tokens.NextToken(token))
                ASSERT_LT(++count, text.size() + 1) << "length " << length;
        }
    }
}

TEST(Tokenizer, CorpusTemplatesTokenizeToTheEnd) {
    SKIP_WITHOUT_CORPUS();
    for (const auto& path : CorpusFiles()) {
        std::string bytes;
        int err = 0;
        ASSERT_TRUE(ReadWholeFile(path.string(), bytes, err)) << path;
        Text text = DecodeTemplate(bytes, DecideEncoding(bytes));
        cTokenizer tokens(text);
        Text token;
        size_t count = 0;
        while (tokens.NextToken(token))
            ++count;
        EXPECT_GT(count, 10000u) << path;
    }
}

}  // namespace
