#include "core/admx/xmlfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "testsupport.h"

namespace {

std::string Utf16(std::string_view ascii, bool bigEndian, bool mark) {
    std::string out;
    if (mark)
        out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(bigEndian ? '\0' : c);
        out.push_back(bigEndian ? c : '\0');
    }
    return out;
}

std::string Saved(const cXmlFile& file) {
    std::string bytes;
    Text problem;
    EXPECT_TRUE(SaveXml(file.Document(), file.Form(), bytes, problem)) << ToUtf8(problem);
    return bytes;
}

const char kDocument[] =
    "<?xml version=\"1.0\"   encoding=\"utf-8\" ?>\r\n"
    "<!-- before -->\r\n"
    "<policyDefinitions revision=\"1.0\" x=\"a&amp;b\">\r\n"
    "  <?target data?>\r\n"
    "  <string id=\"a\">line one\r\nline two &lt;&gt;</string>\r\n"
    "  <![CDATA[<kept>]]>\r\n"
    "  <empty></empty>\r\n"
    "</policyDefinitions>\r\n"
    "<!-- after -->\r\n";

}  // namespace

// Each storage form is recognized and written back as it was: byte-order mark or none,
// the declaration as it stood (UTF-16 declared, UTF-8 held), line ends, comments, blanks.
TEST(XmlFile, ReadsEachFormAndWritesItBack) {
    struct cCase {
        const char* name;
        std::string bytes;
        std::string expected;
        cXmlEncoding encoding;
        bool mark;
    };
    // Only the empty element changes its form.
    const std::string body = kDocument;
    std::string written = body;
    written.replace(written.find("<empty></empty>"), 15, "<empty/>");
    const std::string declaredUtf16 =
        "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<a>caf\xC3\xA9</a>\n";
    const cCase cases[] = {
        {"UTF-8", body, written, cXmlEncoding::Utf8, false},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + body, "\xEF\xBB\xBF" + written, cXmlEncoding::Utf8,
         true},
        {"UTF-16LE with mark", Utf16(body, false, true), Utf16(written, false, true),
         cXmlEncoding::Utf16LE, true},
        {"UTF-16BE with mark", Utf16(body, true, true), Utf16(written, true, true),
         cXmlEncoding::Utf16BE, true},
        {"UTF-16LE without mark", Utf16(body, false, false), Utf16(written, false, false),
         cXmlEncoding::Utf16LE, false},
        {"UTF-16BE without mark, a blank first",
         Utf16(" " + body.substr(body.find('<', 1)), true, false),
         Utf16(" " + written.substr(written.find('<', 1)), true, false), cXmlEncoding::Utf16BE,
         false},
        {"declares UTF-16, holds UTF-8", declaredUtf16, declaredUtf16, cXmlEncoding::Utf8, false},
        // A UTF-8 mark before bytes of the code page: read in the code page, the mark kept.
        {"UTF-8 mark, windows-1252 bytes", "\xEF\xBB\xBF<a>caf\xE9</a>\n",
         "\xEF\xBB\xBF<a>caf\xE9</a>\n", cXmlEncoding::Windows1252, true},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cXmlFile file;
        cXmlProblem problem;
        ASSERT_TRUE(file.Load(c.bytes, problem)) << ToUtf8(problem.text);
        EXPECT_EQ(file.Form().encoding, c.encoding);
        EXPECT_EQ(file.Form().byteOrderMark, c.mark);
        EXPECT_EQ(Saved(file), c.expected);
    }
    cXmlFile file;
    cXmlProblem problem;
    ASSERT_TRUE(file.Load(declaredUtf16, problem));
    EXPECT_EQ(XmlToText(file.Root().child_value()), u"caf\u00e9");
}

// Bytes that are no UTF-8 are read in the encoding the declaration names, and written in it
// again; a character that encoding cannot hold refuses the save instead of being lost.
TEST(XmlFile, SingleByteEncodingsFromTheDeclaration) {
    const std::string latin = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>";
    cXmlFile file;
    cXmlProblem problem;
    ASSERT_TRUE(file.Load(latin, problem)) << ToUtf8(problem.text);
    EXPECT_EQ(file.Form().encoding, cXmlEncoding::Latin1);
    EXPECT_EQ(XmlToText(file.Root().child_value()), u"caf\u00e9");
    EXPECT_EQ(Saved(file), latin);

    file.Root().first_child().set_value(TextToXml(u"\u20ac").c_str());
    std::string bytes;
    Text why;
    EXPECT_FALSE(SaveXml(file.Document(), file.Form(), bytes, why));
    EXPECT_NE(why.find(u"U+20AC"), Text::npos);

    const std::string windows = "<?xml version='1.0' encoding='windows-1252'?><a>\x80</a>";
    ASSERT_TRUE(file.Load(windows, problem));
    EXPECT_EQ(XmlToText(file.Root().child_value()), u"\u20ac");
    EXPECT_EQ(Saved(file), windows);

    // Declared as UTF-8 and held in the 8-bit code page: read as that, written as it was.
    const std::string mislabeled = "<?xml version='1.0' encoding='utf-8'?>\n<a>\n\xE9\x80</a>";
    ASSERT_TRUE(file.Load(mislabeled, problem));
    EXPECT_EQ(file.Form().encoding, cXmlEncoding::Windows1252);
    EXPECT_EQ(XmlToText(file.Root().child_value()), u"\n\u00e9\u20ac");
    EXPECT_EQ(Saved(file), mislabeled);

    // A byte the code page has no character for, under a declaration of another encoding.
    EXPECT_FALSE(file.Load("<?xml version='1.0' encoding='koi8-r'?>\n<a>\n\xE9</a>", problem));
    EXPECT_EQ(problem.line, 3);
    EXPECT_NE(problem.text.find(u"0xE9"), Text::npos);
    EXPECT_NE(problem.text.find(u"koi8-r"), Text::npos);
    EXPECT_FALSE(file.Load("<a>\x81</a>", problem));
    EXPECT_NE(problem.text.find(u"0x81"), Text::npos);
}

// Characters beyond ASCII in every encoding come out as the same text, and a fault of the
// encoding names the line it stands on.
TEST(XmlFile, DecodesEveryEncodingToTheSameText) {
    const Text expected = u"\u00e9\u20ac\U0001F600";
    std::string utf16le = "\xFF\xFE";
    for (char16_t unit : Text(u"<a>") + expected + u"</a>") {
        utf16le.push_back(char(unit & 0xFF));
        utf16le.push_back(char(unit >> 8));
    }
    std::string utf16be = "\xFE\xFF";
    for (size_t i = 2; i < utf16le.size(); i += 2)
        utf16be += std::string{utf16le[i + 1], utf16le[i]};
    for (const std::string& bytes : {"<a>" + ToUtf8(expected) + "</a>", utf16le, utf16be}) {
        cXmlFile file;
        cXmlProblem problem;
        ASSERT_TRUE(file.Load(bytes, problem)) << ToUtf8(problem.text);
        EXPECT_EQ(XmlToText(file.Root().child_value()), expected);
        EXPECT_EQ(Saved(file), bytes);
    }

    cXmlFile file;
    cXmlProblem problem;
    // An unpaired surrogate after two lines, and one at the very end.
    std::string broken =
        Utf16("<a>\n\n", false, true) + std::string("\x00\xD8", 2) + Utf16("</a>", false, false);
    ASSERT_FALSE(file.Load(broken, problem));
    EXPECT_EQ(problem.line, 3);
    EXPECT_NE(problem.text.find(u"U+D800"), Text::npos) << ToUtf8(problem.text);
    broken = Utf16("<a/>", true, true) + std::string("\xDC\x01", 2);
    ASSERT_FALSE(file.Load(broken, problem));
    EXPECT_EQ(problem.line, 1);
    EXPECT_NE(problem.text.find(u"U+DC01"), Text::npos) << ToUtf8(problem.text);
    // A byte windows-1252 has no character for, on the second line.
    ASSERT_FALSE(file.Load("<a>\xE9\n\x81</a>", problem));
    EXPECT_EQ(problem.line, 2);
    EXPECT_NE(problem.text.find(u"0x81"), Text::npos);
    // An empty file holds no element.
    ASSERT_FALSE(file.Load("", problem));
    EXPECT_NE(problem.text.find(u"no element"), Text::npos);
}

// A save checks that the file is still what was read by its length and digest: any one
// byte changed anywhere, in the long run of the file or in its last few bytes, tells.
TEST(XmlFile, AnyChangedByteIsNoLongerWhatWasRead) {
    std::string bytes = "<a>";
    while (bytes.size() < 100)
        bytes += "text of the element ";
    bytes += "</a>";
    cXmlFile file;
    cXmlProblem problem;
    ASSERT_TRUE(file.Load(bytes, problem)) << ToUtf8(problem.text);
    EXPECT_TRUE(file.WasReadFrom(bytes));
    EXPECT_FALSE(file.WasReadFrom(bytes + " "));
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] ^= 0x20;
        EXPECT_FALSE(file.WasReadFrom(changed)) << "byte " << i;
    }
    // Two words swapped keep every byte but not their order.
    std::string swapped = bytes;
    std::swap_ranges(swapped.begin() + 8, swapped.begin() + 16, swapped.begin() + 40);
    EXPECT_FALSE(file.WasReadFrom(swapped));

    // The kept bytes give the text as it was decoded.
    std::string utf16 = Utf16("<a>x</a>", false, true);
    ASSERT_TRUE(file.Load(utf16, problem));
    ASSERT_TRUE(file.Keep(utf16));
    std::string text;
    ASSERT_TRUE(file.KeptText(text));
    EXPECT_EQ(text, "<a>x</a>");
}

// What the parser would let pass is refused with the line it stands on, quickly and
// without expanding or recursing into anything.
TEST(XmlFile, RefusesWhatIsNoWellFormedDocument) {
    struct cCase {
        const char* name;
        std::string bytes;
        int line;
        const char16_t* words;
    };
    const cCase cases[] = {
        {"billion laughs",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n"
         " <!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n]>\n"
         "<lolz>&lol2;</lolz>",
         2, u"document type declaration"},
        {"undefined entity", "<a>\n&nbsp;</a>", 2, u"&nbsp;"},
        {"lone ampersand", "<a b='x & y'/>", 1, u"&amp;"},
        {"character reference to NUL", "<a>&#0;</a>", 1, u"&#0;"},
        {"surrogate reference", "<a>&#xD800;</a>", 1, u"&#xD800;"},
        {"control character", "<a>\n\x01</a>", 2, u"U+0001"},
        {"text after the root", "<a/>\ntext", 2, u"outside the root"},
        {"second root", "<a/>\n<b/>", 2, u"second root"},
        {"no element", "<!-- only -->", 1, u"no element"},
        {"late declaration", "\n<?xml version='1.0'?><a/>", 2, u"very start"},
        // Found by fuzzing: the parser ends a declaration at "/>", leaving the rest as text.
        {"malformed declaration", "<?xml version=\"1\"/>\n.0\"?>\n<a/>", 1,
         u"declaration is malformed"},
        {"less-than in attribute", "<a b='<'/>", 1, u"&lt;"},
        {"mismatched tags", "<a>\n<b>\n</a>", 3, u"not well-formed"},
        {"unclosed comment", "<a/>\n<!-- open", 2, u"comment"},
        {"attribute twice", "<a\n b='1'\n b='2'/>", 3, u"twice"},
        {"half a UTF-16 character", "\xFF\xFE<\0a\0/\0>\0x", 0, u"half"},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cXmlFile file;
        cXmlProblem problem;
        ASSERT_FALSE(file.Load(c.bytes, problem));
        EXPECT_EQ(problem.line, c.line);
        EXPECT_NE(problem.text.find(c.words), Text::npos) << ToUtf8(problem.text);
    }
}

// Only "<?xml" and a blank (in any case, as the parser takes it) begin a declaration: a
// processing instruction of another name first is written once, as it stood.
TEST(XmlFile, DeclarationOrProcessingInstruction) {
    for (const char* bytes :
         {"<?xmlsrev ion=\"1.0\"?><a/>", "<?XML version=\"1.0\"?>\n<a/>", "<?xml?><a/>"}) {
        SCOPED_TRACE(bytes);
        cXmlFile file;
        cXmlProblem problem;
        ASSERT_TRUE(file.Load(bytes, problem)) << ToUtf8(problem.text);
        EXPECT_EQ(Saved(file), bytes);
    }
}

// Line ends are read as LF and written as the file has them; a carriage return, tab or line
// feed given by a character reference stays one, where a reader would otherwise take it for
// a line end or a blank.
TEST(XmlFile, BlanksOfCharacterReferencesStay) {
    const std::string bytes =
        "<a b=\"x&#9;y&#10;z&#13;\">\r\n one&#13;\r\n two\r\n<?pi a\r\nb?><!--c\r\nd--></a>";
    cXmlFile file;
    cXmlProblem problem;
    ASSERT_TRUE(file.Load(bytes, problem));
    EXPECT_STREQ(file.Root().attribute("b").value(), "x\ty\nz\r");
    EXPECT_STREQ(file.Root().first_child().value(), "\n one\r\n two\n");
    EXPECT_EQ(Saved(file), bytes);
}

TEST(XmlFile, DeepNestingFailsCleanly) {
    const int levels = 100000;
    std::string deep;
    for (int i = 0; i < levels; ++i)
        deep += "<a>";
    for (int i = 0; i < levels; ++i)
        deep += "</a>";
    cXmlFile file;
    cXmlProblem problem;
    auto start = std::chrono::steady_clock::now();
    ASSERT_FALSE(file.Load(deep, problem));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(problem.text.find(u"nested more than"), Text::npos);

    // At the limit the document reads and writes back.
    std::string limit;
    for (int i = 0; i < kMaxXmlDepth; ++i)
        limit += "<a>";
    for (int i = 0; i < kMaxXmlDepth; ++i)
        limit += "</a>";
    ASSERT_TRUE(file.Load(limit, problem)) << ToUtf8(problem.text);
}

TEST(XmlFile, LinesOfNodesAndAttributes) {
    cXmlFile file;
    cXmlProblem problem;
    ASSERT_TRUE(file.Load(kDocument, problem));
    pugi::xml_node root = file.Root();
    EXPECT_EQ(file.LineOf(root), 3);
    EXPECT_EQ(file.LineOf(root.attribute("x")), 3);
    EXPECT_EQ(file.LineOf(root.child("string")), 5);
    EXPECT_EQ(file.LineOf(root.child("empty")), 8);
    // A node made after the read has no line.
    EXPECT_EQ(file.LineOf(root.append_child("new")), 0);
    EXPECT_EQ(LocalName("ns:policy"), "policy");
    EXPECT_EQ(LocalName("policy"), "policy");
}
