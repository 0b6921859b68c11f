#include <gtest/gtest.h>

#include "edit/editrules.h"
#include "model/nodeobjects.h"
#include "model/templatetree.h"
#include "properties/applystep.h"
#include "properties/pagevalues.h"
#include "tests/model/fakes.h"

namespace {

template <typename T>
T& Node(cTreeItem* item) {
    return dynamic_cast<T&>(*item->node);
}

struct Tree {
    cFakeOwner owner;
    cTemplateTree tree{&owner};
    cTreeItem* cls = tree.InsertLast(nullptr, u"MACHINE", kImageClosedBook, [] {
        auto node = std::make_unique<cObjClass>();
        node->className = u"MACHINE";
        return node;
    }());

    cTreeItem* Category(cTreeItem* parent, const char16_t* key = nullptr) {
        auto node = std::make_unique<cObjCategory>();
        if (key) {
            node->keyName = key;
            node->useDefaultKey = 0;
        }
        return tree.InsertLast(parent, u"c", kImageClosedBook, std::move(node));
    }
    cTreeItem* Policy(cTreeItem* parent) {
        return tree.InsertLast(parent, u"p", kImagePage, std::make_unique<cObjPolicy>());
    }
};

TEST(CategoryPage, UseDefaultIsOnlyOfferedWhenThereIsAKeyToInherit) {
    Tree t;
    cTreeItem* top = t.Category(t.cls);
    // A top-level category shows its flag, but cannot fall back on anything.
    cCategoryPageValues values = cCategoryPageValues::Load(Node<cObjCategory>(top));
    EXPECT_FALSE(values.key.defaultEnabled);
    EXPECT_TRUE(values.key.useDefault);
    EXPECT_TRUE(values.OwnKeyReadOnly());

    cTreeItem* emptyNested = t.Category(top);
    EXPECT_FALSE(cCategoryPageValues::Load(Node<cObjCategory>(emptyNested)).key.defaultEnabled);

    cTreeItem* keyed = t.Category(top, u"Software\\K");
    cTreeItem* nested = t.Category(keyed);
    values = cCategoryPageValues::Load(Node<cObjCategory>(nested));
    EXPECT_TRUE(values.key.defaultEnabled);
    EXPECT_EQ(values.key.inheritedKey, u"Software\\K");
    EXPECT_EQ(values.key.ownKey, u"Software\\K");  // the effective key
}

TEST(CategoryPage, KeyIsCheckedAndStoredOnlyUnderUseKey) {
    Tree t;
    cTreeItem* keyed = t.Category(t.cls, u"Software\\K");
    auto& category = Node<cObjCategory>(t.Category(keyed));
    category.keyName = u"Stored";

    cCategoryPageValues values = cCategoryPageValues::Load(category);
    values.key.ownKey.clear();
    EXPECT_FALSE(values.Validate());  // "Use default:" with an empty edit is fine
    values.ApplyTo(category);
    EXPECT_EQ(category.keyName, u"Stored");

    values.key.useDefault = false;
    EXPECT_EQ(values.Validate(),
              u"Unable to apply changes in current category. The keyname must not be empty.");
    values.key.ownKey = u"Own";
    values.name = u"Renamed";
    ASSERT_FALSE(values.Validate());
    values.ApplyTo(category);
    EXPECT_EQ(category.name, u"Renamed");
    EXPECT_EQ(category.useDefaultKey, 0);
    EXPECT_EQ(category.GetEffectiveKey(), u"Own");
}

TEST(CategoryPage, ExplainIsKeptWhileItsBoxIsClear) {
    Tree t;
    auto& category = Node<cObjCategory>(t.Category(t.cls));
    category.explainText = u"!!Help";
    cCategoryPageValues values = cCategoryPageValues::Load(category);
    EXPECT_FALSE(values.explainChecked);
    EXPECT_EQ(values.explainText, u"!!Help");
    values.explainChecked = true;
    values.ApplyTo(category);
    EXPECT_EQ(category.explainFlag, 1);
    values.explainChecked = false;
    values.ApplyTo(category);
    EXPECT_EQ(category.explainFlag, 0);
    EXPECT_EQ(category.explainText, u"!!Help");
}

TEST(PolicyPage, InheritedEmptyKeyOpensWithUseKey) {
    Tree t;
    auto& policy = Node<cObjPolicy>(t.Policy(t.Category(t.cls)));
    ASSERT_EQ(policy.useDefaultKey, 1);
    cPolicyPage1Values values = cPolicyPage1Values::Load(policy);
    EXPECT_FALSE(values.key.useDefault);
    EXPECT_TRUE(values.OwnKeyEnabled());
    EXPECT_EQ(values.Validate(),
              u"Unable to apply changes in current Policy. The keyname must not be empty.");

    auto& inheriting = Node<cObjPolicy>(t.Policy(t.Category(t.cls, u"K")));
    values = cPolicyPage1Values::Load(inheriting);
    EXPECT_TRUE(values.key.useDefault);
    EXPECT_FALSE(values.OwnKeyEnabled());
}

TEST(PolicyPage, ClearingValueNameDropsBothRecordsButKeepsTheName) {
    Tree t;
    auto& policy = Node<cObjPolicy>(t.Policy(t.Category(t.cls, u"K")));
    policy.valueNameFlag = 1;
    policy.valueName = u"Enabled";
    policy.valueOn = cDescVal{u"Enabled", u"1", 1, 0};
    policy.valueOff = cDescVal{u"Enabled", u"", 0, 1};

    cPolicyPage1Values values = cPolicyPage1Values::Load(policy);
    EXPECT_EQ(values.valueOn.choice, cValueGroupValues::Choice::Explicit);
    EXPECT_TRUE(values.valueOn.numeric);
    EXPECT_EQ(values.valueOff.choice, cValueGroupValues::Choice::Delete);
    EXPECT_TRUE(values.ExplicitControlsEnabled(values.valueOn));
    EXPECT_FALSE(values.ExplicitControlsEnabled(values.valueOff));

    values.valueNameChecked = false;
    values.valueName = u"Typed";
    EXPECT_FALSE(values.ValueNameControlsEnabled());
    EXPECT_FALSE(values.ExplicitControlsEnabled(values.valueOn));
    values.ApplyTo(policy);
    EXPECT_EQ(policy.valueNameFlag, 0);
    EXPECT_EQ(policy.valueName, u"Enabled");
    EXPECT_FALSE(policy.valueOn);
    EXPECT_FALSE(policy.valueOff);

    // Switching it on again shows the old name.
    values = cPolicyPage1Values::Load(policy);
    EXPECT_EQ(values.valueName, u"Enabled");
}

TEST(ValueGroup, ApplyWritesTheChosenRecordUnderThePagesValueName) {
    cOptionalValue record = cDescVal{u"Old", u"7", 1, 0};
    cValueGroupValues group = cValueGroupValues::Load(record);
    group.choice = cValueGroupValues::Choice::Delete;
    group.ApplyTo(record, u"New");
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (cDescVal{u"New", u"", 0, 1}));

    // A delete record shows its text, and an explicit value created from it starts plain.
    record->valueText = u"kept";
    group = cValueGroupValues::Load(record);
    EXPECT_EQ(group.text, u"kept");
    EXPECT_FALSE(group.numeric);
    group.choice = cValueGroupValues::Choice::Explicit;
    group.ApplyTo(record, u"New");
    EXPECT_EQ(*record, (cDescVal{u"New", u"kept", 0, 0}));

    cOptionalValue absent;
    group.ApplyTo(absent, u"V");
    EXPECT_EQ(absent, (cDescVal{u"V", u"kept", 0, 0}));
    group.choice = cValueGroupValues::Choice::Default;
    group.ApplyTo(absent, u"V");
    EXPECT_FALSE(absent);
}

TEST(PolicyPage, ValueNameIsWrittenIntoBothRecords) {
    Tree t;
    auto& policy = Node<cObjPolicy>(t.Policy(t.Category(t.cls, u"K")));
    cPolicyPage1Values values = cPolicyPage1Values::Load(policy);
    values.valueNameChecked = true;
    values.valueName = u"Flag";
    values.valueOn.choice = cValueGroupValues::Choice::Explicit;
    values.valueOn.text = u"yes";
    values.ApplyTo(policy);
    EXPECT_EQ(policy.valueName, u"Flag");
    EXPECT_EQ(policy.valueOn, (cDescVal{u"Flag", u"yes", 0, 0}));
    EXPECT_FALSE(policy.valueOff);
    // "Use default:" stays and the stored key is untouched.
    EXPECT_EQ(policy.useDefaultKey, 1);
    EXPECT_EQ(policy.keyName, u"");
}

TEST(VersionPage, OperatorListSelectsOnlyAnExactEntry) {
    cObjVersion version;
    version.op = u"<";
    cVersionPageValues values = cVersionPageValues::Load(version);
    EXPECT_EQ(values.SelectedIndex(), 0);

    version.op = u"=>";
    values = cVersionPageValues::Load(version);
    EXPECT_EQ(values.SelectedIndex(), -1);
    EXPECT_EQ(values.Validate(),
              u"Unable to apply changes in current PolicyPart. The Operand must be on of "
              u"<,<=,>,>=,==,!=");

    values.op = u"!=";
    values.number = u"3";
    ASSERT_FALSE(values.Validate());
    values.ApplyTo(version);
    EXPECT_EQ(version.label, u"If Version != 3");
}

TEST(ApplyStep, UndoAndRedoFindTheNodeAndRestoreItsData) {
    Tree t;
    cEditRules rules(t.tree, SharedState());
    t.tree.AddListener(&rules);
    cTreeItem* category = t.Category(t.cls, u"K");
    t.Policy(category);
    cTreeItem* item = t.Policy(category);
    auto& policy = Node<cObjPolicy>(item);
    policy.name = u"Before";
    policy.valueOn = cDescVal{u"v", u"1", 1, 0};

    cApplyPropertiesStep step(policy);
    EXPECT_EQ(step.Name(), u"Apply properties of Before");
    cPolicyPage1Values values = cPolicyPage1Values::Load(policy);
    values.name = u"After";
    values.key = {false, u"K", u"Own", true};
    values.ApplyTo(policy);
    step.Finish(policy);
    t.owner.modified = 0;

    step.Undo();
    EXPECT_EQ(policy.name, u"Before");
    EXPECT_EQ(policy.useDefaultKey, 1);
    EXPECT_EQ(policy.keyName, u"");
    EXPECT_EQ(policy.valueOn, (cDescVal{u"v", u"1", 1, 0}));
    EXPECT_EQ(item->label, u"Before");
    EXPECT_EQ(t.owner.modified, 1);

    step.Redo();
    EXPECT_EQ(policy.name, u"After");
    EXPECT_EQ(policy.GetEffectiveKey(), u"Own");
    EXPECT_EQ(item->label, u"After");

    // A step whose node is gone does nothing.
    t.tree.DeleteItem(category);
    step.Undo();
    t.tree.RemoveListener(&rules);
}

TEST(ApplyQuestion, NamesTheNodeKind) {
    cObjVersion version;
    EXPECT_EQ(ApplyQuestionFor(&version), u"Apply changes to the current Version object?");
    EXPECT_EQ(ApplyQuestionFor(nullptr), u"Apply changes to the current object?");
}

}  // namespace
