#include <gtest/gtest.h>

#include <string>

#include "core/model/partkinds.h"
#include "tests/core/model/fakes.h"

namespace {

// Gives a part shared data that differs from a fresh part's in every field.
void MarkShared(cPolicyPart& part, const Text& name) {
    part.name = name;
    part.keyName = u"Key" + name;
    part.valueName = u"Value" + name;
    part.useDefaultKey = 0;
    part.comments = {u"; " + name};
    part.line = 12;
}

void ExpectShared(const cPolicyPart& part, const Text& name, const std::string& kind) {
    EXPECT_EQ(part.name, name) << kind;
    EXPECT_EQ(part.keyName, u"Key" + name) << kind;
    EXPECT_EQ(part.valueName, u"Value" + name) << kind;
    EXPECT_EQ(part.useDefaultKey, 0) << kind;
    EXPECT_EQ(part.comments, std::vector<Text>{u"; " + name}) << kind;
}

// A copy of a part of every kind carries the shared part data and the keyword, belongs to the
// policy it is made for and has neither the line nor the panel; a part takes the data of a
// part of its own kind and keeps its line and policy.
TEST(NodeCopies, EveryPartKindCopiesAndTakesItsSharedData) {
    cFakePanelHost host;
    cObjPolicy policy;
    cObjPolicy other;
    ForEachPartKind([&](auto listed) {
        using Kind = typename decltype(listed)::type;
        const std::string keyword = ToUtf8(Text(Kind::kKeyword));
        cObjPolPart* part = policy.AppendPart(std::make_unique<Kind>(&policy));
        MarkShared(*part, u"Source");
        cRect rect{};
        ASSERT_EQ(part->CreatePanel(rect, &host), 1) << keyword;

        std::unique_ptr<cObjPolPart> copy = part->ClonePart(&other);
        ASSERT_NE(dynamic_cast<Kind*>(copy.get()), nullptr) << keyword;
        ExpectShared(*copy, u"Source", keyword);
        EXPECT_EQ(copy->typeKeyword, Kind::kKeyword) << keyword;
        EXPECT_EQ(copy->kind, kKindPart) << keyword;
        EXPECT_EQ(copy->line, 0) << keyword;
        EXPECT_EQ(copy->Policy(), &other) << keyword;
        EXPECT_FALSE(copy->HasPanel()) << keyword;

        MarkShared(*copy, u"Copy");
        copy->line = 40;
        ASSERT_TRUE(part->AssignData(*copy)) << keyword;
        ExpectShared(*part, u"Copy", keyword);
        EXPECT_EQ(part->line, 12) << keyword;
        EXPECT_EQ(part->Policy(), &policy) << keyword;
        EXPECT_TRUE(part->AssignData(*part)) << keyword;
        EXPECT_EQ(part->name, u"Copy") << keyword;
    });
}

// A part refuses the data of another kind, even one with the same fields, and is unchanged.
TEST(NodeCopies, PartsTakeOnlyTheirOwnKindsData) {
    cObjPolicy policy;
    auto* combo = static_cast<cObjPolPartCombo*>(
        policy.AppendPart(CreatePartFromKeyword(u"COMBOBOX", &policy, false)));
    auto* edit = static_cast<cObjPolPartEditText*>(
        policy.AppendPart(CreatePartFromKeyword(u"EDITTEXT", &policy, false)));

    cObjPolPartCombo source(nullptr);
    source.name = u"Other";
    source.defaultFlag = 1;
    source.defaultText = u"typed";
    source.noSort = 1;
    source.suggestions = {{u"a"}, {u"b"}};
    ASSERT_TRUE(combo->AssignData(source));
    EXPECT_EQ(combo->defaultFlag, 1);
    EXPECT_EQ(combo->defaultText, u"typed");
    EXPECT_EQ(combo->noSort, 1);
    EXPECT_EQ(combo->suggestions, source.suggestions);

    EXPECT_FALSE(edit->AssignData(source));
    EXPECT_FALSE(edit->AssignData(policy));
    EXPECT_EQ(edit->name, u"<new>");
    EXPECT_EQ(edit->defaultText, u"");
    EXPECT_EQ(edit->typeKeyword, u"EDITTEXT");
}

// The other node objects copy without the line or the tree, and take data from their own
// class only, keeping both.
TEST(NodeCopies, OtherNodesTakeOnlyTheirOwnClassesData) {
    cObjCategory category;
    category.name = u"First";
    category.comments = {u"; first"};
    category.line = 3;
    std::unique_ptr<cData> clone = category.Clone();
    auto* copy = dynamic_cast<cObjCategory*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->name, u"First");
    EXPECT_EQ(copy->comments, category.comments);
    EXPECT_EQ(copy->line, 0);

    copy->name = u"Second";
    copy->comments.clear();
    ASSERT_TRUE(category.AssignData(*copy));
    EXPECT_EQ(category.name, u"Second");
    EXPECT_TRUE(category.comments.empty());
    EXPECT_EQ(category.line, 3);

    cObjPolicy policy;
    cObjVersion version;
    cObjClass cls;
    EXPECT_FALSE(category.AssignData(policy));
    EXPECT_FALSE(policy.AssignData(category));
    EXPECT_FALSE(version.AssignData(cls));
    EXPECT_FALSE(cls.AssignData(version));
    EXPECT_EQ(category.name, u"Second");
    EXPECT_EQ(policy.name, u"<new>");
}

}  // namespace
