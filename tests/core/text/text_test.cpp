#include <gtest/gtest.h>

#include <climits>

#include "core/text/messages.h"
#include "tests/testsupport.h"

namespace {

TEST(Text, KeywordsIgnoreTheCaseOfAToZOnly) {
    EXPECT_TRUE(KeywordEquals(u"class", u"CLASS"));
    EXPECT_TRUE(KeywordEquals(u"ClAsS", u"class"));
    EXPECT_FALSE(KeywordEquals(u"CLASS", u"CLAS"));
    EXPECT_FALSE(KeywordEquals(u"\u00e9", u"\u00c9"));  // only A to Z fold
    EXPECT_TRUE(KeywordEquals(u"", u""));
    EXPECT_FALSE(KeywordEquals(u"[", u"{"));
}

TEST(Text, FormatsPrintfPlaceholders) {
    const Text longName(60, u'x');
    EXPECT_EQ(FormatText(u"Error Reading Parameter \"VALUENAME\" of %.50s.", {longName}),
              u"Error Reading Parameter \"VALUENAME\" of " + Text(50, u'x') + u".");
    EXPECT_EQ(FormatText(u"Error %ld creating TreeCtrl window style.", {5L}),
              u"Error 5 creating TreeCtrl window style.");
    EXPECT_EQ(FormatText(u"#if %s %s %s", {u"a", u"b"}), u"#if a b ");
    EXPECT_EQ(FormatText(u"100%% of %d", {-3}), u"100% of -3");
    EXPECT_EQ(FormatText(u"%s", {u"%d %s"}), u"%d %s");  // arguments are never formats
    EXPECT_EQ(FormatText(u"trailing %", {}), u"trailing %");
}

TEST(Text, PrintableTextWritesWhatShowsNothingByItsCode) {
    EXPECT_EQ(PrintableText(u"Plain text, \u00e9t\u00e9 \u65e5\u672c"),
              u"Plain text, \u00e9t\u00e9 \u65e5\u672c");
    EXPECT_EQ(PrintableText(Text(u"a\x00"
                                 u"b\tc\x7f\x85",
                                 7)),
              u"a\\x00b\\x09c\\x7F\\x85");
    // A pair of surrogates is one character; one alone, a bidi override and a BOM show nothing.
    EXPECT_EQ(PrintableText(u"\U0001F600"), u"\U0001F600");
    EXPECT_EQ(PrintableText(Text(1, char16_t(0xD800)) + u"x\u202E\uFEFF"),
              u"\\xD800x\\x202E\\xFEFF");
}

TEST(Messages, AreCutAfter1023CharactersAndRouteToTheSink) {
    cMessageRecorder recorder;
    const Text longText(2000, u'y');
    ShowMessage(kSeverityError, u"%s", {longText});
    ASSERT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.texts[0], Text(1023, u'y'));
    ShowMessage(kSeverityInternal, u"%s", {Text(1023, u'z')});
    EXPECT_EQ(recorder.texts[1].size(), 1023u);
    EXPECT_EQ(recorder.severities, (std::vector<int>{1, 4}));
}

TEST(Messages, FileErrorsWithAndWithoutCause) {
    cMessageRecorder recorder;
    ReportFileError(FileErrorFromErrno(ENOENT), u"C:\\x.adm");
    ReportFileError(cFileError{}, u"y.adm");
    cFileError verbose{5, std::string(300, 'd')};
    ReportFileError(verbose, u"z");
    EXPECT_EQ(recorder.Utf8()[0], " Error \"No such file or directory\" on file C:\\x.adm.");
    EXPECT_EQ(recorder.Utf8()[1], "Geen fout opgetreden bij benaderen file y.adm");
    EXPECT_EQ(recorder.Utf8()[2], " Error \"" + std::string(255, 'd') + "\" on file z.");
    EXPECT_EQ(recorder.severities, (std::vector<int>{1, 3, 1}));
}

TEST(Text, Utf8RoundTripsAndParsesLeadingIntegers) {
    const Text sample = u"Gr\u00fc\u00dfe \u4e2d\u6587 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(sample)), sample);
    EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // a lone surrogate
    bool ok = false;
    EXPECT_EQ(ParseLeadingInt(u"10abc", &ok), 10);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ParseLeadingInt(u"-7"), -7);
    EXPECT_EQ(ParseLeadingInt(u"abc", &ok), 0);
    EXPECT_FALSE(ok);
}

// Each length of UTF-8 sequence, and what is no UTF-8: a byte that begins nothing, a
// sequence cut short by the end or by a byte that does not continue it, each one U+FFFD.
TEST(Text, Utf8ConversionsOfEachLengthAndOfBrokenBytes) {
    EXPECT_EQ(FromUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"), u"a\u00e9\u20ac\U0001F600z");
    EXPECT_EQ(FromUtf8(""), u"");
    EXPECT_EQ(FromUtf8("\x80x"), u"\uFFFDx");
    EXPECT_EQ(FromUtf8("x\xE2\x82"), u"x\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xE2x\xAC"), u"\uFFFDx\uFFFD");
    const Text cut = FromUtf8("\xF0\x9F\x98");
    EXPECT_EQ(cut, Text(3, u'\uFFFD'));

    EXPECT_EQ(ToUtf8(u"a\u00e9\u0800\uFFFF\U0001F600"),
              "a\xC3\xA9\xE0\xA0\x80\xEF\xBF\xBF\xF0\x9F\x98\x80");
    // Surrogates out of their pairs, at the end and before another character.
    EXPECT_EQ(ToUtf8(Text(1, char16_t(0xDC00)) + u"a" + Text(1, char16_t(0xD83D))),
              "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(u""), "");

    std::string appended = "x";
    for (char32_t c : {char32_t(0x41), char32_t(0x7FF), char32_t(0xFFFD), char32_t(0x10FFFF)})
        AppendUtf8(appended, c);
    EXPECT_EQ(appended, "xA\xDF\xBF\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
}

// Numbers past the range of a long saturate instead of overflowing (the sanitizer build
// reports an overflow as an error).
TEST(Text, ParseLeadingIntSaturatesLongNumbers) {
    EXPECT_EQ(ParseLeadingInt(u"9223372036854775807"), LONG_MAX);
    EXPECT_EQ(ParseLeadingInt(u"9223372036854775808"), LONG_MAX);
    EXPECT_EQ(ParseLeadingInt(u"9999999999999999999"), LONG_MAX);
    bool ok = false;
    EXPECT_EQ(ParseLeadingInt(u" 12345678901234567890123456789012345678901 x", &ok), LONG_MAX);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ParseLeadingInt(u"-99999999999999999999"), -LONG_MAX);
    EXPECT_EQ(ParseLeadingInt(u"922337203685477580"), 922337203685477580L);
}

}  // namespace
