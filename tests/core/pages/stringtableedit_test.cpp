#include <gtest/gtest.h>

#include "core/edit/editstep.h"
#include "core/pages/stringtableedit.h"
#include "tests/core/adm/writertest.h"

namespace {

cStringMap Map(std::initializer_list<std::pair<Text, Text>> entries) {
    cStringMap map;
    for (const auto& [name, text] : entries)
        map.Set(name, text);
    return map;
}

}  // namespace

TEST(StringTableRows, RowsAreSortedAndAnUnchangedTableComesBackInItsOwnOrder) {
    Text longText(2979, u'x');
    cStringMap old = Map({{u"zeta", u"Z"}, {u"Alpha", longText}, {u"beta", u""}});
    cStringTableRows rows(old);
    ASSERT_EQ(rows.Rows().size(), 3u);
    EXPECT_EQ(rows.Rows()[0].name, u"Alpha");
    EXPECT_EQ(rows.Rows()[2].name, u"zeta");
    EXPECT_EQ(rows.Selected(), 0);
    EXPECT_EQ(rows.BuildMap(old).Entries(), old.Entries());
}

TEST(StringTableRows, RenamedAndAddedNamesFollowTheKeptOnes) {
    cStringMap old = Map({{u"b", u"B"}, {u"a", u"A"}, {u"c", u"C"}});
    cStringTableRows rows(old);
    rows.Select(0);  // "a"
    rows.SetName(u"renamed");
    rows.Add();
    rows.SetName(u"added");
    rows.SetText(u"new text");
    // "<new>" sorted in before the renamed row, so it is the first new name.
    cStringMap result = rows.BuildMap(old);
    EXPECT_EQ(
        result.Entries(),
        (Map({{u"b", u"B"}, {u"c", u"C"}, {u"added", u"new text"}, {u"renamed", u"A"}}).Entries()));
    EXPECT_FALSE(result.Contains(u"a"));
}

// The strings section's comments stay before a kept string and at the end; a renamed
// string is another string and goes without them.
TEST(StringTableRows, KeptStringsKeepTheirComments) {
    cStringMap old = Map({{u"a", u"A"}, {u"b", u"B"}});
    old.AddCommentsBefore(u"a", {u"; about a"});
    old.AddCommentsBefore(u"b", {u"; about b"});
    old.CommentsAfter().push_back(u"; the end");
    cStringTableRows rows(old);
    rows.Select(1);  // "b"
    rows.SetName(u"renamed");
    cStringMap result = rows.BuildMap(old);
    ASSERT_NE(result.CommentsBefore(u"a"), nullptr);
    EXPECT_EQ(*result.CommentsBefore(u"a"), std::vector<Text>{u"; about a"});
    EXPECT_EQ(result.CommentsBefore(u"renamed"), nullptr);
    EXPECT_EQ(result.CommentsAfter(), std::vector<Text>{u"; the end"});
}

TEST(StringTableRows, TheLowerOfTwoRowsOfOneNameWins) {
    cStringMap old = Map({{u"a", u"first"}, {u"b", u"second"}});
    cStringTableRows rows(old);
    rows.Select(1);
    rows.SetName(u"a");
    EXPECT_EQ(rows.BuildMap(old).Entries(), (Map({{u"a", u"second"}}).Entries()));
}

TEST(StringTableRows, AddAndDeleteKeepASensibleSelection) {
    cStringTableRows rows(cStringMap{});
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_FALSE(rows.DeleteSelected());
    EXPECT_EQ(rows.Add(), 0);
    EXPECT_EQ(rows.Rows()[0], (cStringRow{u"<new>", u""}));
    EXPECT_TRUE(rows.DeleteSelected());
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_TRUE(rows.BuildMap(Map({{u"x", u"y"}})).Empty());

    cStringTableRows three(Map({{u"a", u""}, {u"b", u""}, {u"c", u""}}));
    three.Select(2);
    EXPECT_TRUE(three.DeleteSelected());
    EXPECT_EQ(three.Selected(), 1);
    three.Select(0);
    EXPECT_TRUE(three.DeleteSelected());
    EXPECT_EQ(three.Selected(), 0);
    EXPECT_EQ(three.Rows()[0].name, u"b");
}

TEST(StringTableRows, RemoveUnusedKeepsWhatAnyNodeRefersTo) {
    cTestDoc t;
    cTreeItem* category = t.Category(t.Class(nullptr, u"MACHINE"), u"!!cat");
    cTreeItem* policy = t.Policy(category, u"Plain");
    cTestDoc::Node<cObjPolicy>(policy).supportedText = u"!!sup";
    cTestDoc::AddPart<cObjPolPartCombo>(policy, u"Box").suggestions = {{u"!!hint"}};
    cStringMap old = Map({{u"unused", u"U"},
                          {u"cat", u"C"},
                          {u"sup", u"S"},
                          {u"hint", u"H"},
                          {u"Plain", u"not a reference"}});
    cStringTableRows rows(old);
    rows.Select(3);
    cStringUses uses;
    uses.AddTree(t.Tree());
    EXPECT_EQ(rows.RemoveUnused(uses), 2u);
    EXPECT_EQ(rows.Selected(), 0);
    EXPECT_EQ(rows.BuildMap(old).Entries(),
              (Map({{u"cat", u"C"}, {u"sup", u"S"}, {u"hint", u"H"}}).Entries()));
    EXPECT_EQ(rows.RemoveUnused(uses), 0u);

    cStringTableRows none(old);
    EXPECT_EQ(none.RemoveUnused(cStringUses()), 5u);
    EXPECT_EQ(none.Selected(), -1);
}

TEST(StringTableStep, UndoAndRedoSwapTheTableItsOrderAndEveryLabel) {
    cTestDoc t;
    t.doc.Strings() = Map({{u"Cat", u"Old name"}, {u"Other", u"O"}});
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    cTreeItem* category = t.Category(cls, u"!!Cat");
    t.doc.RefreshAllNodes();
    ASSERT_EQ(category->label, u"Old name");

    cStringMap before = t.doc.Strings();
    cStringTableRows rows(before);
    rows.Select(0);
    rows.SetName(u"Renamed");
    cStringTableStep step(u"Edit string table", rows.BuildMap(before));
    t.doc.SetModifiedFlag(0);

    ASSERT_TRUE(step.Apply(t.doc));
    EXPECT_EQ(category->label, u"!!Cat");
    EXPECT_EQ(t.doc.Strings().Entries(),
              (Map({{u"Other", u"O"}, {u"Renamed", u"Old name"}}).Entries()));
    EXPECT_TRUE(t.doc.IsModified());
    ASSERT_TRUE(step.Revert(t.doc));
    EXPECT_EQ(category->label, u"Old name");
    EXPECT_EQ(t.doc.Strings().Entries(), before.Entries());
}
