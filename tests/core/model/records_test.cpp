#include <gtest/gtest.h>

#include "core/model/nodeobjects.h"
#include "core/model/records.h"

namespace {

cActionList SampleActions() {
    cActionList list(2);
    list[0].keyName = u"Software\\A";
    list[0].entries.resize(2);
    list[0].entries[0].valueName = u"x";
    list[0].entries[0].valueText = u"1";
    list[0].entries[1].valueName = u"y";
    list[0].entries[1].del = 1;
    list[1].keyName = u"";  // empty texts survive copies
    list[1].entries.resize(1);
    list[1].entries[0].valueName = u"";
    list[1].entries[0].numeric = 1;
    list[1].entries[0].valueText = u"7";
    return list;
}

TEST(Records, ValueRecordKindsAndAssign) {
    cDescVal both;
    both.del = 1;
    both.numeric = 1;
    both.valueText = u"5";
    EXPECT_TRUE(both.IsDelete());
    EXPECT_FALSE(both.IsNumeric());

    cDescVal target;
    target.Assign(&both);
    EXPECT_EQ(target, both);
    target.Assign(nullptr);
    EXPECT_EQ(target, cDescVal());
    both.Reset();
    EXPECT_EQ(both, cDescVal());
}

TEST(Records, ChainCopiesAreDeepAndKeepOrder) {
    cActionList source = SampleActions();
    cActionList copy = source;
    ASSERT_EQ(copy, source);
    copy[0].entries[0].valueText = u"changed";
    copy[1].entries.clear();
    EXPECT_EQ(source, SampleActions());

    cItemListChain items;
    ASSERT_TRUE(AppendItem(&items, cItemList{u"first", {}, SampleActions()}));
    ASSERT_TRUE(AppendItem(&items, cItemList{u"second", {}, {}}));
    EXPECT_FALSE(AppendItem(nullptr, cItemList{}));
    cItemListChain itemCopy = items;
    {
        cItemListChain doomed = items;  // destroying a copy leaves the source whole
    }
    itemCopy[0].actionList[0].keyName = u"other";
    EXPECT_EQ(items[0].actionList, SampleActions());
    EXPECT_EQ(items[0].name, u"first");
    EXPECT_EQ(items[1].name, u"second");
    EXPECT_TRUE(itemCopy[1].actionList.empty());
}

// Every part kind copies all of its fields, deeply, and attaches the copy to the new policy.
TEST(Records, PartClonesAreIndependent) {
    cObjPolicy policy;
    auto* check = static_cast<cObjPolPartCheckBox*>(
        policy.AppendPart(CreatePartFromKeyword(u"CHECKBOX", &policy, false)));
    check->name = u"!!Check";
    check->valueOn = cDescVal{u"", u"1", 1, 0};
    check->actionListOff = SampleActions();
    auto* combo = static_cast<cObjPolPartCombo*>(
        policy.AppendPart(CreatePartFromKeyword(u"COMBOBOX", &policy, false)));
    combo->suggestions = {{u"a"}, {u"b"}, {u"c"}};
    auto* drop = static_cast<cObjPolPartDropDown*>(
        policy.AppendPart(CreatePartFromKeyword(u"DROPDOWNLIST", &policy, false)));
    drop->itemList = {cItemList{u"one", {}, SampleActions()}, cItemList{u"two", {}, {}}};

    cObjPolicy other;
    auto checkCopy = check->ClonePart(&other);
    auto* c = static_cast<cObjPolPartCheckBox*>(checkCopy.get());
    EXPECT_EQ(c->Policy(), &other);
    EXPECT_EQ(c->name, u"!!Check");
    EXPECT_EQ(c->typeKeyword, u"CHECKBOX");
    EXPECT_FALSE(c->valueOff.has_value());
    c->valueOn->valueText = u"2";
    c->actionListOff[0].entries.clear();
    EXPECT_EQ(check->valueOn->valueText, u"1");
    EXPECT_EQ(check->actionListOff, SampleActions());

    auto comboCopy = combo->ClonePart(&other);
    EXPECT_EQ(static_cast<cObjPolPartCombo*>(comboCopy.get())->suggestions, combo->suggestions);
    auto dropCopy = drop->ClonePart(&other);
    auto* d = static_cast<cObjPolPartDropDown*>(dropCopy.get());
    ASSERT_EQ(d->itemList.size(), 2u);
    d->itemList[0].actionList.clear();
    EXPECT_EQ(drop->itemList[0].actionList, SampleActions());
}

// An optional record held outside its owner still copies, assigns and compares by value.
TEST(Records, OptionalValuesBehaveAsValues) {
    cOptionalValue none;
    cOptionalValue one = cDescVal{u"", u"1", 1, 0};
    EXPECT_FALSE(none.has_value());
    EXPECT_EQ(none, std::nullopt);
    EXPECT_FALSE(none == one);

    cOptionalValue copy = one;
    EXPECT_EQ(copy, one);
    copy->valueText = u"2";
    EXPECT_EQ(one->valueText, u"1");
    EXPECT_FALSE(copy == one);

    const cOptionalValue& alias = copy;
    copy = alias;  // assigning itself keeps the record
    EXPECT_EQ(copy->valueText, u"2");
    copy = none;
    EXPECT_FALSE(copy.has_value());
    copy = one;
    copy = std::nullopt;
    EXPECT_EQ(copy, none);
    EXPECT_THROW((void)copy.value(), std::bad_optional_access);
    EXPECT_EQ(copy.emplace(cDescVal{u"", u"", 0, 1}).del, 1);
}

TEST(Records, FreshPartsHaveTheirDefaults) {
    cObjPolicy policy;
    for (const char16_t* keyword : {u"CHECKBOX", u"COMBOBOX", u"DROPDOWNLIST", u"EDITTEXT",
                                    u"LISTBOX", u"NUMERIC", u"TEXT"}) {
        auto part = CreatePartFromKeyword(keyword, &policy, false);
        ASSERT_TRUE(part);
        EXPECT_EQ(part->typeKeyword, keyword);
        EXPECT_EQ(part->name, u"<new>");
        EXPECT_EQ(part->keyName, u"");
        EXPECT_EQ(part->useDefaultKey, 1);
        EXPECT_EQ(part->kind, kKindPart);
    }
    auto num = CreatePartFromKeyword(u"numeric", &policy, true);
    auto* n = dynamic_cast<cObjPolPartNum*>(num.get());
    ASSERT_TRUE(n);
    EXPECT_EQ(n->max, u"9999");
    EXPECT_EQ(n->min, u"0");
    EXPECT_EQ(n->spin, u"1");
    EXPECT_EQ(n->maxFlag + n->minFlag + n->spinFlag, 0);
    EXPECT_FALSE(CreatePartFromKeyword(u"numeric", &policy, false));
    EXPECT_FALSE(CreatePartFromKeyword(u"CHECKBOXX", &policy, true));
}

}  // namespace
