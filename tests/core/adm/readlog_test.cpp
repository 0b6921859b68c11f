#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/adm/tokenizer.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"

namespace {

// Every token with the line it began on.
std::vector<std::string> TokensWithLines(const Text& text) {
    cTokenizer tokens(text);
    std::vector<std::string> out;
    Text token;
    while (tokens.NextToken(token))
        out.push_back(std::to_string(tokens.TokenLine()) + ":" + ToUtf8(token));
    return out;
}

TEST(TokenLines, CountLineEndsThroughCommentsBlocksAndJoins) {
    EXPECT_EQ(TokensWithLines(u"a b\n\n; comment\n  \"c d\" e // x\n#ifdef X\nf\n#endif g\n"
                              u"h/ \ni j"),
              (std::vector<std::string>{"1:a", "1:b", "4:c d", "4:e", "7:g", "8:h/i", "9:j"}));
    // A joined token begins where its first piece stands, even inside a line after a block.
    EXPECT_EQ(TokensWithLines(u"#IFDEF A\n#ENDIF\n\nx/ \ny"), (std::vector<std::string>{"4:x/y"}));
    // An #IFDEF that the file ends in hands out its last token, from its own line.
    EXPECT_EQ(TokensWithLines(u"k\n#IFDEF A\nlast"), (std::vector<std::string>{"1:k", "3:last"}));
}

struct cRead {
    explicit cRead(const std::string& bytes) : file(bytes) {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ok = doc.ReadFile(file.PathText(), &log);
    }
    cTempFile file;
    cMessageRecorder messages;
    CPelwinDoc doc;
    cReadLog log;
    bool ok = false;
};

TEST(ReadLines, EveryNodePartItemAndStringKeepsItsLine) {
    cRead read(
        "; header\r\n"
        "CLASS MACHINE\r\n"                     // 2
        "  CATEGORY !!Cat\r\n"                  // 3
        "    #if version >= 4\r\n"              // 4
        "      POLICY \"Pol\"\r\n"              // 5
        "        EXPLAIN !!Explain\r\n"         // 6
        "        PART !!Part DROPDOWNLIST\r\n"  // 7
        "          VALUENAME v ITEMLIST\r\n"    // 8
        "            NAME one VALUE 1\r\n"      // 9
        "            NAME !!Two VALUE 2\r\n"    // 10
        "          END ITEMLIST\r\n"
        "        END PART\r\n"
        "      END POLICY\r\n"
        "    #endif\r\n"
        "  END CATEGORY\r\n"
        "\r\n"
        "[strings]\r\n"  // 17
        "Cat=Category\r\n"
        "; note\r\n"
        "Explain=\"Text\"\r\n"  // 20
        "Cat=Again\r\n");       // 21
    ASSERT_TRUE(read.ok);
    cTreeItem* cls = read.doc.Tree().FirstRootItem();
    cTreeItem* category = cls->children[0].get();
    cTreeItem* version = category->children[0].get();
    auto* policy = dynamic_cast<cObjPolicy*>(version->children[0]->node.get());
    ASSERT_NE(policy, nullptr);
    EXPECT_EQ(cls->node->line, 2);
    EXPECT_EQ(category->node->line, 3);
    EXPECT_EQ(version->node->line, 4);
    EXPECT_EQ(policy->line, 5);
    auto* part = dynamic_cast<cObjPolPartDropDown*>(policy->Parts()[0].get());
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->line, 7);
    EXPECT_EQ(part->itemList[0].line.number, 9);
    EXPECT_EQ(part->itemList[1].line.number, 10);
    // A copy is a new node that no line of the file holds.
    EXPECT_EQ(policy->Clone()->line, 0);

    EXPECT_EQ(read.log.stringsFirstLine, 17);
    EXPECT_EQ(read.log.stringsLastLine, 21);
    ASSERT_EQ(read.log.strings.size(), 3u);
    EXPECT_EQ(read.log.strings[0].line, 18);
    EXPECT_EQ(read.log.strings[1].line, 20);
    EXPECT_EQ(read.log.strings[2].name, u"Cat");
    EXPECT_EQ(read.log.strings[2].line, 21);

    std::vector<std::string> references;
    for (const auto& ref : read.log.references)
        references.push_back(std::to_string(ref.line) + ":" + ToUtf8(ref.name));
    EXPECT_EQ(references, (std::vector<std::string>{"3:Cat", "6:Explain", "7:Part", "10:Two"}));
    EXPECT_TRUE(read.log.messages.empty());
}

TEST(ReadLines, MessagesOfTheReadKeepTheLineTheReaderStoodOn) {
    cRead read("CLASS MACHINE\n CATEGORY one\n\n CATEGORY two\n END CATEGORY\n\n");
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.log.messages.size(), 1u);
    EXPECT_EQ(read.log.messages[0].line, 6);
    EXPECT_EQ(ToUtf8(read.log.messages[0].text),
              "Unexpected end of template file while reading category one");
    // The messages still reach the sink in use.
    EXPECT_EQ(
        read.messages.Utf8(),
        std::vector<std::string>{"Unexpected end of template file while reading category one"});
}

}  // namespace
