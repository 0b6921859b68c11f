// What a read keeps beyond the nodes' own fields, and how it is written back: comments,
// supported-on texts and default items in their places, and what is passed over.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/adm/templatewriter.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/core/adm/writertest.h"
#include "tests/testsupport.h"

namespace {

// Reads bytes as Open does into t and returns the text a save writes.
Text ReadAndWrite(cTestDoc& t, const std::string& bytes) {
    cTempFile file(bytes);
    EXPECT_TRUE(t.doc.ReadFile(file.PathText()));
    Text message;
    EXPECT_TRUE(t.doc.CheckWritable(t.doc.Utf16(), message)) << ToUtf8(message);
    Text out;
    EXPECT_TRUE(t.doc.WriteText(out));
    return out;
}

std::string Utf16Bytes(const std::string& ascii) {
    return EncodeTemplate(FromLatin1(ascii), 1);
}

// Written, read again and written again gives the same text.
void ExpectStable(const Text& written, int utf16) {
    cTestDoc again;
    again.doc.SetUtf16(utf16);
    Text second = ReadAndWrite(again, EncodeTemplate(written, utf16));
    EXPECT_EQ(ToUtf8(second), ToUtf8(written));
}

// One comment before every construct that can carry one, comments that no construct
// follows, comments in the strings section, and end-of-line comments that are not kept.
const char kCommented[] =
    "; head 1\r\n"
    "  // head 2   \r\n"
    "CLASS MACHINE\r\n"
    "  ; before category\r\n"
    "  CATEGORY Cat   ; end of line, not kept\r\n"
    "    KEYNAME \"Software\\X\"\r\n"
    "    ; before version\r\n"
    "    #if version >= 4\r\n"
    "      ; before policy\r\n"
    "      POLICY Pol\r\n"
    "        ; about the value name\r\n"
    "        VALUENAME v\r\n"
    "        ; before part\r\n"
    "        PART P CHECKBOX\r\n"
    "        END PART\r\n"
    "        ; after the last part\r\n"
    "      END POLICY\r\n"
    "    #endif\r\n"
    "    ; before the second policy\r\n"
    "    POLICY Two\r\n"
    "      VALUENAME w\r\n"
    "    END POLICY\r\n"
    "  END CATEGORY\r\n"
    "; before a second class\r\n"
    "CLASS USER\r\n"
    "  ; at the end of the body\r\n"
    "\r\n"
    "[strings]\r\n"
    "; before s1\r\n"
    "s1=One\r\n"
    "  // after the last string\r\n";

const char16_t kCommentedWritten[] =
    u"; head 1\r\n"
    u"// head 2\r\n"
    u"CLASS MACHINE\r\n"
    u"   ; before category\r\n"
    u"   CATEGORY \"Cat\"\r\n"
    u"      KEYNAME \"Software\\X\"\r\n"
    u"      ; before version\r\n"
    u"      #if version >= 4\r\n"
    u"         ; before policy\r\n"
    u"         POLICY \"Pol\"\r\n"
    u"            VALUENAME \"v\"\r\n"
    u"            ; about the value name\r\n"
    u"            ; before part\r\n"
    u"            PART \"P\" CHECKBOX\r\n"
    u"               VALUENAME \"\"\r\n"
    u"            END PART \r\n"
    u"         END POLICY ; Pol\r\n"
    u"      #endif \r\n"
    u"      ; after the last part\r\n"
    u"      ; before the second policy\r\n"
    u"      POLICY \"Two\"\r\n"
    u"         VALUENAME \"w\"\r\n"
    u"      END POLICY ; Two\r\n"
    u"   END CATEGORY ; Cat\r\n"
    u"; before a second class\r\n"
    u"CLASS USER\r\n"
    u"; at the end of the body\r\n"
    u"\r\n"
    u"[STRINGS]\r\n"
    u"; before s1\r\n"
    u"s1 =\"One\"\r\n"
    u"// after the last string\r\n";

TEST(KeptContent, CommentsGoBeforeTheConstructThatFollowsThemInBothFormats) {
    for (int utf16 : {0, 1}) {
        SCOPED_TRACE(utf16);
        cTestDoc t;
        Text out = ReadAndWrite(t, utf16 ? Utf16Bytes(kCommented) : std::string(kCommented));
        EXPECT_EQ(ToUtf8(out), ToUtf8(kCommentedWritten));
        EXPECT_TRUE(t.doc.PassedOver().empty());
        ExpectStable(out, utf16);
    }
}

TEST(KeptContent, ACopiedNodeTakesItsCommentsAlongAndADeletedOneTakesThemAway) {
    cTestDoc t;
    ReadAndWrite(t, kCommented);
    cTreeItem* category = t.Tree().FirstChildOf(t.Tree().FirstRootItem());
    cTreeItem* version = t.Tree().FirstChildOf(category);
    cTreeItem* policy = t.Tree().FirstChildOf(version);
    auto& original = cTestDoc::Node<cObjPolicy>(policy);
    original.supportedFlag = 1;
    original.supportedText = u"!!SUPPORTED_WIN7";

    // Pasted after the second policy: comments, SUPPORTED and the part's comment come along.
    std::unique_ptr<cData> copy = original.Clone();
    cTreeItem* two = t.Tree().NextSiblingOf(version);
    t.Tree().InsertAfter(category, two, u"Pol", kImagePage, std::move(copy));
    Text out;
    ASSERT_TRUE(t.doc.WriteText(out));
    const Text pasted =
        u"      END POLICY ; Two\r\n"
        u"      ; before policy\r\n"
        u"      POLICY \"Pol\"\r\n"
        u"         #if VERSION >= 4\r\n"
        u"         SUPPORTED !!SUPPORTED_WIN7\r\n"
        u"         #endif\r\n"
        u"         VALUENAME \"v\"\r\n"
        u"         ; about the value name\r\n"
        u"         ; before part\r\n"
        u"         PART \"P\" CHECKBOX\r\n";
    EXPECT_NE(out.find(pasted), Text::npos) << ToUtf8(out);

    // Deleting the version node takes its comment and those of everything in it.
    t.Tree().DeleteItem(version);
    ASSERT_TRUE(t.doc.WriteText(out));
    EXPECT_EQ(out.find(u"; before version"), Text::npos);
    EXPECT_EQ(out.find(u"; about the value name"), out.rfind(u"; about the value name"));
}

TEST(KeptContent, ATemplateOfCommentsAloneIsSavedAsItsComments) {
    cTestDoc t;
    Text out = ReadAndWrite(t, "\r\n  ; one\r\n// two\r\n");
    EXPECT_EQ(ToUtf8(out), "; one\r\n// two\r\n");
    ExpectStable(out, 0);
}

TEST(KeptContent, ACommentThatTheAsciiFormatCannotHoldRefusesThatFormatOnly) {
    cTestDoc t;
    ReadAndWrite(t, Utf16Bytes("CLASS MACHINE\r\n"));
    cTreeItem* cls = t.Tree().FirstRootItem();
    t.Tree().NodeOf(cls)->comments.push_back(u"; \u65E5\u672C");
    Text message;
    EXPECT_FALSE(t.doc.CheckWritable(0, message));
    EXPECT_NE(message.find(u"comment"), Text::npos) << ToUtf8(message);
    EXPECT_TRUE(t.doc.CheckWritable(1, message)) << ToUtf8(message);
}

TEST(KeptContent, SupportedAndDefaultItemsAreKeptWhereverTheyStand) {
    cTestDoc t;
    Text out =
        ReadAndWrite(t,
                     "CLASS MACHINE CATEGORY C KEYNAME K\r\n"
                     "POLICY A EXPLAIN e #if version >= 4 SUPPORTED !!W7 #endif END POLICY\r\n"
                     "POLICY B #if version >= 4 SUPPORTED \"Windows 7\" #endif EXPLAIN e\r\n"
                     "PART D DROPDOWNLIST VALUENAME d ITEMLIST\r\n"
                     "NAME a VALUE 1 ACTIONLIST VALUENAME x VALUE 1 END ACTIONLIST DEFAULT\r\n"
                     "NAME b VALUE 2\r\n"
                     "END ITEMLIST END PART\r\n"
                     "PART E DROPDOWNLIST VALUENAME e ITEMLIST\r\n"
                     "NAME a VALUE 1 NAME b VALUE 2 DEFAULT ACTIONLIST VALUENAME y VALUE 2 "
                     "END ACTIONLIST\r\n"
                     "END ITEMLIST END PART END POLICY END CATEGORY\r\n"
                     "[strings]\r\nW7=Windows 7\r\n");
    const Text supportedFirst =
        u"#if VERSION >= 4\r\n"
        u"         SUPPORTED !!W7\r\n"
        u"         #endif\r\n"
        u"         #if VERSION >= 3\r\n"
        u"         EXPLAIN \"e\"\r\n";
    EXPECT_NE(out.find(supportedFirst), Text::npos) << ToUtf8(out);
    EXPECT_NE(out.find(u"SUPPORTED \"Windows 7\""), Text::npos);
    // DEFAULT after an item's action list and before it: both marks kept, after VALUE.
    const Text firstItem =
        u"NAME \"a\"\r\n"
        u"               VALUE \"1\"\r\n"
        u"               DEFAULT\r\n"
        u"               ACTIONLIST \r\n";
    const Text secondItem =
        u"NAME \"b\"\r\n"
        u"               VALUE \"2\"\r\n"
        u"               DEFAULT\r\n"
        u"               ACTIONLIST \r\n";
    EXPECT_NE(out.find(firstItem), Text::npos) << ToUtf8(out);
    EXPECT_NE(out.find(secondItem), Text::npos) << ToUtf8(out);
    EXPECT_TRUE(t.doc.PassedOver().empty());
    ExpectStable(out, 0);
}

TEST(KeptContent, WhatIsPassedOverIsNotedByLineButNotTheGuardsThatAreWrittenAgain) {
    cTestDoc t;
    cMessageRecorder messages;
    ReadAndWrite(t,
                 "stray words\r\n"                  // 1
                 "CLASS MACHINE\r\n"                // 2
                 " CATEGORY C KEYNAME K\r\n"        // 3
                 "  POLICY P\r\n"                   // 4
                 "   #if version >= 4\r\n"          // 5
                 "   SUPPORTED !!S\r\n"             // 6
                 "   #endif\r\n"                    // 7
                 "   #if version >= 4\r\n"          // 8
                 "   VALUENAME v\r\n"               // 9
                 "   #endif\r\n"                    // 10
                 "   FOO \"bar\" baz\r\n"           // 11
                 "   PART X CHEKBOX\r\n"            // 12
                 "    VALUENAME y\r\n"              // 13
                 "   END PART\r\n"                  // 14
                 "   PART L LISTBOX KEYNAME k\r\n"  // 15
                 "    VALUENAME z\r\n"              // 16
                 "   END PART\r\n"                  // 17
                 "  END POLICY\r\n"                 // 18
                 " END CATEGORY\r\n"                // 19
                 "[strings]\r\n"                    // 20
                 "S=Win\r\n"
                 "no equals sign here\r\n");
    EXPECT_TRUE(messages.texts.empty());
    std::vector<std::string> lines;
    for (const cPassedOver& line : t.doc.PassedOver())
        lines.push_back(std::to_string(line.line) + ":" + ToUtf8(line.text));
    EXPECT_EQ(lines, (std::vector<std::string>{"1:stray words", "8:#if version >= 4", "10:#endif",
                                               "11:FOO bar baz", "12:PART X CHEKBOX",
                                               "13:VALUENAME y", "14:END PART", "16:VALUENAME z"}));
}

}  // namespace
