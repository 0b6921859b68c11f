#include <gtest/gtest.h>

#include "core/pages/listtables.h"

namespace {

cActionValue Entry(Text valueName, Text text, int numeric = 0, int del = 0) {
    cActionValue entry;
    entry.valueName = std::move(valueName);
    entry.valueText = std::move(text);
    entry.numeric = numeric;
    entry.del = del;
    return entry;
}

cValueGroupValues Explicit(Text text, bool numeric = false) {
    return {cValueGroupValues::Choice::Explicit, numeric, std::move(text)};
}

std::vector<Text> KeyNames(const std::vector<cActionRow>& rows) {
    std::vector<Text> names;
    for (const cActionRow& row : rows)
        names.push_back(row.keyName);
    return names;
}

}  // namespace

TEST(ActionListTable, OnAndOffEntriesShareOneRowAndComeBackToTheirOwnLists) {
    cActionList on = {{u"Software\\B", {Entry(u"v", u"1", 1)}},
                      {u"Software\\A", {Entry(u"w", u"x")}}};
    cActionList off = {{u"software\\b", {Entry(u"v", u"", 0, 1)}}};
    cActionListTable table(on, &off);

    ASSERT_EQ(table.Rows().size(), 2u);
    // Sorted by key name; the second list is read first, so it names the shared row.
    EXPECT_EQ(table.Rows()[0], (cActionRow{u"Software\\A", u"w", u"x", u"<string>", u"", u""}));
    EXPECT_EQ(table.Rows()[1],
              (cActionRow{u"software\\b", u"v", u"1", u"<numeric>", u"", u"<delete>"}));
    EXPECT_EQ(table.Selected(), 0);
    EXPECT_EQ(table.Loaded(), 0);

    cActionList newOn;
    cActionList newOff = {{u"stale", {}}};
    table.WriteTo(newOn, &newOff);
    // New groups go to the front: the rows A, b come out as b, A.
    EXPECT_EQ(newOn, (cActionList{{u"software\\b", {Entry(u"v", u"1", 1)}},
                                  {u"Software\\A", {Entry(u"w", u"x")}}}));
    EXPECT_EQ(newOff, (cActionList{{u"software\\b", {Entry(u"v", u"", 0, 1)}}}));
}

TEST(ActionListTable, KeysDifferingInCaseJoinOneRowAndOneGroupLaterEntriesWinning) {
    cActionList on = {{u"Key", {Entry(u"v", u"first")}}, {u"KEY", {Entry(u"v", u"second")}}};
    cActionListTable table(on, nullptr);
    ASSERT_EQ(table.Rows().size(), 1u);
    EXPECT_EQ(table.Rows()[0].keyName, u"Key");
    EXPECT_EQ(table.Rows()[0].valueOn, u"second");

    cActionList out;
    table.WriteTo(out, nullptr);
    EXPECT_EQ(out, (cActionList{{u"Key", {Entry(u"v", u"second")}}}));
}

TEST(ActionListTable, RowsComeOutReversedAndALaterRowOverwritesAnEarlierOne) {
    cActionList none;
    cActionListTable table(none, nullptr);
    EXPECT_EQ(table.Selected(), -1);
    EXPECT_EQ(table.LoadedRow(), nullptr);
    for (Text key : {u"C", u"a", u"B"}) {
        table.AddNew();
        table.SetKeyName(key);
        table.SetOnGroup(Explicit(key + u"-value"));
    }
    // Each "<new>" sorts in front of the letters, and typing its key name does not move it.
    EXPECT_EQ(KeyNames(table.Rows()), (std::vector<Text>{u"B", u"a", u"C"}));

    cActionList out;
    table.WriteTo(out, nullptr);
    EXPECT_EQ(KeyNames(table.Rows()).size(), 3u);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].keyName, u"C");
    EXPECT_EQ(out[2].keyName, u"B");

    // Two rows for one key and value name leave one entry, that of the lower row.
    table.Select(0);
    table.LoadSelected();
    table.SetKeyName(u"C");
    table.WriteTo(out, nullptr);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].keyName, u"C");
    EXPECT_EQ(out[1].entries, (std::vector<cActionValue>{Entry(u"", u"C-value")}));
}

TEST(ActionListTable, NewRowsStartWithoutValueInTwoListsAndAsStringInOne) {
    cActionList on;
    cActionList off;
    cActionListTable two(on, &off);
    two.AddNew();
    EXPECT_EQ(two.Rows()[0], (cActionRow{u"<new>", u"", u"", u"", u"", u""}));
    two.WriteTo(on, &off);
    EXPECT_TRUE(on.empty());
    EXPECT_TRUE(off.empty());

    cActionListTable one(on, nullptr);
    one.AddNew();
    EXPECT_EQ(one.Rows()[0].typeOn, u"<string>");
    one.WriteTo(on, nullptr);
    EXPECT_EQ(on, (cActionList{{u"<new>", {Entry(u"", u"")}}}));
}

TEST(ActionListTable, ChoicesSetTheCellsAndDeleteKeepsNoText) {
    cActionList on = {{u"K", {Entry(u"v", u"7")}}};
    cActionList off;
    cActionListTable table(on, &off);
    table.SetOnGroup({cValueGroupValues::Choice::Delete, true, u"ignored"});
    table.SetOffGroup(Explicit(u"9", true));
    EXPECT_EQ(table.Rows()[0], (cActionRow{u"K", u"v", u"", u"<delete>", u"9", u"<numeric>"}));
    table.WriteTo(on, &off);
    EXPECT_EQ(on, (cActionList{{u"K", {Entry(u"v", u"", 0, 1)}}}));
    EXPECT_EQ(off, (cActionList{{u"K", {Entry(u"v", u"9", 1)}}}));

    table.SetOnGroup({});
    EXPECT_TRUE(table.Rows()[0].typeOn.empty());
    table.WriteTo(on, &off);
    EXPECT_TRUE(on.empty());
}

TEST(ActionListTable, EditsGoToTheRowTheFieldsShowAndDeleteSelectsTheRowBefore) {
    cActionList on = {
        {u"A", {Entry(u"a", u"1")}}, {u"B", {Entry(u"b", u"2")}}, {u"C", {Entry(u"c", u"3")}}};
    cActionListTable table(on, nullptr);
    // A keyboard move selects without loading: typing still edits the row shown.
    table.Select(2);
    table.SetValueName(u"typed");
    EXPECT_EQ(table.Rows()[0].valueName, u"typed");
    EXPECT_EQ(table.Rows()[2].valueName, u"c");

    EXPECT_TRUE(table.DeleteSelected());
    EXPECT_EQ(KeyNames(table.Rows()), (std::vector<Text>{u"A", u"B"}));
    EXPECT_EQ(table.Selected(), 1);
    EXPECT_EQ(table.Loaded(), 1);
    table.Select(0);
    EXPECT_TRUE(table.DeleteSelected());
    EXPECT_EQ(table.Selected(), 0);
    EXPECT_TRUE(table.DeleteSelected());
    EXPECT_EQ(table.Selected(), -1);
    EXPECT_FALSE(table.DeleteSelected());
}

TEST(ListTextLess, IgnoresTheCaseOfLettersThenOrdersExactly) {
    EXPECT_TRUE(ListTextLess(u"abc", u"ABD"));
    EXPECT_TRUE(ListTextLess(u"AB", u"abc"));
    EXPECT_TRUE(ListTextLess(u"ABC", u"abc"));
    EXPECT_FALSE(ListTextLess(u"abc", u"abc"));
    EXPECT_TRUE(ListTextLess(u"<new>", u"A"));
}

namespace {

cItemList Item(Text name, Text value, int numeric = 0, int del = 0, cActionList list = {}) {
    cItemList item(std::move(name), {});
    item.value.valueText = std::move(value);
    item.value.numeric = numeric;
    item.value.del = del;
    item.actionList = std::move(list);
    return item;
}

std::vector<Text> Names(const std::vector<cItemRow>& rows) {
    std::vector<Text> names;
    for (const cItemRow& row : rows)
        names.push_back(row.name);
    return names;
}

}  // namespace

TEST(ItemListTable, AnUntouchedTableBuildsTheSameItemsInOrder) {
    cItemListChain items = {Item(u"One", u"1", 1, 0, {{u"K", {Entry(u"v", u"x")}}}),
                            Item(u"!!Two", u"two"), Item(u"Gone", u"", 0, 1)};
    items[1].defaultFlag = 1;
    cItemListTable table(items);
    EXPECT_EQ(table.Rows()[0].type, u"<numeric>");
    EXPECT_EQ(table.Rows()[2].type, u"<delete>");
    EXPECT_EQ(table.Build(), items);

    cItemListTable empty{cItemListChain{}};
    EXPECT_EQ(empty.Selected(), -1);
    EXPECT_TRUE(empty.Build().empty());
}

TEST(ItemListTable, AddPlacesRowsAroundTheSelection) {
    cItemListTable table(cItemListChain{Item(u"A", u"a"), Item(u"B", u"b")});
    EXPECT_EQ(table.AddBefore(), 0);
    EXPECT_EQ(Names(table.Rows()), (std::vector<Text>{u"<new>", u"A", u"B"}));
    table.Select(2);
    EXPECT_EQ(table.AddAfter(), 3);
    EXPECT_EQ(table.Loaded(), 3);
    EXPECT_EQ(table.Rows()[3], (cItemRow{u"<new>", u"", u"<string>", {}, false, {}}));

    table.Select(-1);
    EXPECT_EQ(table.AddBefore(), -1);
    EXPECT_EQ(table.Rows().size(), 4u);
    EXPECT_EQ(table.AddAfter(), 0);
    EXPECT_EQ(table.Rows().size(), 5u);
}

TEST(ItemListTable, EditsReachTheBuiltItems) {
    cItemListTable table(cItemListChain{Item(u"A", u"a"), Item(u"B", u"b")});
    table.SetGroup({cValueGroupValues::Choice::Delete, false, u""});
    EXPECT_TRUE(table.Rows()[0].value.empty());
    table.Select(1);
    table.LoadSelected();
    table.SetName(u"Bee");
    table.SetGroup(Explicit(u"42", true));
    table.SetActionList(1, {{u"K", {Entry(u"v", u"1")}}});
    table.SetDefault(0, true);
    table.SetDefault(1, true);

    cItemListChain built = table.Build();
    EXPECT_EQ(built[0], Item(u"A", u"", 0, 1));
    cItemList expected = Item(u"Bee", u"42", 1, 0, {{u"K", {Entry(u"v", u"1")}}});
    expected.defaultFlag = 1;
    EXPECT_EQ(built[1], expected);

    table.SetDefault(1, false);
    EXPECT_EQ(table.Build()[1].defaultFlag, 0);
}
