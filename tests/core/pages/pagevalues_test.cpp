#include <gtest/gtest.h>

#include "core/adm/templatewriter.h"
#include "core/document/editrules.h"
#include "core/edit/editstep.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"
#include "core/pages/applystep.h"
#include "core/pages/pagevalues.h"
#include "tests/core/adm/writertest.h"
#include "tests/core/model/fakes.h"

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
    // The history names the node as it is called after the change.
    EXPECT_EQ(step.Name(), u"Apply properties of After");
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

// ---- Policy part pages ----------------------------------------------------------------

// A policy under a keyed category with one part of kind T.
template <typename T>
struct PartFixture {
    cTestDoc doc;
    cTreeItem* policyItem;
    T* part;

    PartFixture() {
        cTreeItem* cls = doc.Class(nullptr, u"MACHINE");
        cTreeItem* category = doc.Category(cls, u"Cat");
        cTestDoc::Node<cObjCategory>(category).keyName = u"Software\\Cat";
        cTestDoc::Node<cObjCategory>(category).useDefaultKey = 0;
        policyItem = doc.Policy(category, u"Pol");
        part = &cTestDoc::AddPart<T>(policyItem, u"Part");
    }
    Text Written() {
        Text out;
        EXPECT_TRUE(SaveTemplate(doc.doc.Tree(), doc.doc.Strings(), out));
        return out;
    }
};

TEST(PartPages, OwnKeyIsStoredAlwaysExceptOnTheCheckBoxPage) {
    // Under "Use default:" the own-key edit shows the inherited key; all pages but the
    // check box page store it as KEYNAME.
    PartFixture<cObjPolPartEditText> edit;
    cEditTextPageValues editValues = cEditTextPageValues::Load(*edit.part);
    EXPECT_TRUE(editValues.key.useDefault);
    EXPECT_EQ(editValues.key.ownKey, u"Software\\Cat");
    EXPECT_TRUE(editValues.key.defaultEnabled);
    editValues.ApplyTo(*edit.part);
    EXPECT_EQ(edit.part->keyName, u"Software\\Cat");
    EXPECT_EQ(edit.part->useDefaultKey, 1);

    PartFixture<cObjPolPartCheckBox> box;
    cCheckBoxPageValues boxValues = cCheckBoxPageValues::Load(*box.part);
    boxValues.ApplyTo(*box.part);
    EXPECT_EQ(box.part->keyName, u"");
    boxValues.key.useDefault = false;
    boxValues.key.ownKey = u"Own";
    boxValues.ApplyTo(*box.part);
    EXPECT_EQ(box.part->keyName, u"Own");
    EXPECT_EQ(box.part->useDefaultKey, 0);

    // "Use key:" with an empty key is refused with the part pages' text.
    boxValues.key.ownKey.clear();
    EXPECT_EQ(boxValues.Validate(),
              Text(u"Unable to apply changes in current PolicyPart. The keyname must not be "
                   u"empty."));
    boxValues.key.useDefault = true;
    EXPECT_FALSE(boxValues.Validate());
}

TEST(PartPages, CheckBoxWritesDefaultAndValueRecordsUnderItsValueName) {
    PartFixture<cObjPolPartCheckBox> f;
    f.part->valueOn = cDescVal{u"Old", u"x", 0, 0};
    cCheckBoxPageValues values = cCheckBoxPageValues::Load(*f.part);
    EXPECT_FALSE(values.checkedByDefault);
    EXPECT_EQ(values.valueOn.choice, cValueGroupValues::Choice::Explicit);
    values.checkedByDefault = true;
    values.valueName = u"Val";
    values.valueOff.choice = cValueGroupValues::Choice::Delete;
    values.ApplyTo(*f.part);
    EXPECT_EQ(f.part->defChecked, 1);
    EXPECT_EQ(f.part->valueName, u"Val");
    EXPECT_EQ(f.part->valueOn, (cDescVal{u"Val", u"x", 0, 0}));
    EXPECT_EQ(f.part->valueOff, (cDescVal{u"Val", u"", 0, 1}));
}

TEST(PartPages, OptionalPairsShowTheirTextByPageAndStoreItWhateverTheBox) {
    PartFixture<cObjPolPartEditText> edit;
    edit.part->defaultText = u"kept only while set";
    cEditTextPageValues values = cEditTextPageValues::Load(*edit.part);
    EXPECT_FALSE(values.defaultValue.checked);
    EXPECT_EQ(values.defaultValue.text, u"");
    EXPECT_TRUE(values.defaultValue.EditReadOnly());
    values.ApplyTo(*edit.part);
    EXPECT_EQ(edit.part->defaultFlag, 0);
    EXPECT_EQ(edit.part->defaultText, u"");

    PartFixture<cObjPolPartNum> num;
    num.part->defaultValue = u"5";
    num.part->max = u"50";
    cNumericPageValues numeric = cNumericPageValues::Load(*num.part);
    EXPECT_EQ(numeric.defaultValue.text, u"");  // shown only with its flag
    EXPECT_EQ(numeric.max.text, u"50");         // shown whether or not the flag is set
    EXPECT_EQ(numeric.min.text, u"0");
    EXPECT_EQ(numeric.spin.text, u"1");
    numeric.max = {false, Text(cNumericPageValues::kMaxReset)};
    numeric.min = {true, u"-3"};
    numeric.ApplyTo(*num.part);
    EXPECT_EQ(num.part->maxFlag, 0);
    EXPECT_EQ(num.part->max, u"9999");
    EXPECT_EQ(num.part->minFlag, 1);
    EXPECT_EQ(num.part->min, u"-3");
}

TEST(PartPages, ListBoxNamingChoosesFlagsAndPrefix) {
    PartFixture<cObjPolPartListBox> f;
    cListBoxPageValues values = cListBoxPageValues::Load(*f.part);
    EXPECT_EQ(values.naming, cListBoxPageValues::Naming::ValueContent);
    EXPECT_FALSE(values.PrefixEnabled());

    values.naming = cListBoxPageValues::Naming::Prefix;
    values.prefix = u"pre_";
    values.ApplyTo(*f.part);
    EXPECT_EQ(f.part->explicitValue, 0);
    EXPECT_EQ(f.part->valuePrefixFlag, 1);
    EXPECT_EQ(f.part->valuePrefix, u"pre_");
    EXPECT_EQ(cListBoxPageValues::Load(*f.part).naming, cListBoxPageValues::Naming::Prefix);

    values.naming = cListBoxPageValues::Naming::ValueContent;
    values.ApplyTo(*f.part);
    EXPECT_EQ(f.part->valuePrefixFlag, 1);
    EXPECT_EQ(f.part->valuePrefix, u"");

    values.naming = cListBoxPageValues::Naming::Explicit;
    values.prefix = u"ignored";
    values.ApplyTo(*f.part);
    EXPECT_EQ(f.part->explicitValue, 1);
    EXPECT_EQ(f.part->valuePrefixFlag, 0);
    EXPECT_EQ(f.part->valuePrefix, u"");
    EXPECT_EQ(cListBoxPageValues::Load(*f.part).naming, cListBoxPageValues::Naming::Explicit);
}

TEST(PartPages, SuggestionRowsAddDeleteAndApplyInOrder) {
    std::vector<Text> rows;
    EXPECT_EQ(cComboPageValues::DeleteRow(rows, -1), -1);
    EXPECT_EQ(cComboPageValues::AddRow(rows, -1), 0);
    rows = {u"a", u"b", u"c"};
    EXPECT_EQ(cComboPageValues::AddRow(rows, -1), 0);  // no selection: at the top
    EXPECT_EQ(cComboPageValues::AddRow(rows, 3), 4);   // after the last row
    EXPECT_EQ(rows, (std::vector<Text>{u"<new>", u"a", u"b", u"c", u"<new>"}));
    EXPECT_EQ(cComboPageValues::DeleteRow(rows, 0), 0);  // the first: select the new first
    EXPECT_EQ(cComboPageValues::DeleteRow(rows, 2), 1);  // else the one before
    EXPECT_EQ(rows, (std::vector<Text>{u"a", u"b", u"<new>"}));

    PartFixture<cObjPolPartCombo> f;
    f.part->suggestions = {{u"only"}};
    cComboPageValues values = cComboPageValues::Load(*f.part);
    EXPECT_EQ(cComboPageValues::DeleteRow(values.suggestions, 0), -1);
    values.ApplyTo(*f.part);
    EXPECT_TRUE(f.part->suggestions.empty());
    values.suggestions = {Text(2000, u'x'), u"second"};
    values.ApplyTo(*f.part);
    ASSERT_EQ(f.part->suggestions.size(), 2u);
    EXPECT_EQ(f.part->suggestions[0].text.size(), 2000u);
    EXPECT_EQ(f.part->suggestions[1].text, u"second");
}

TEST(ApplyStep, UndoingAPartApplyGivesTheWrittenBytesBack) {
    PartFixture<cObjPolPartDropDown> f;
    auto& policy = cTestDoc::Node<cObjPolicy>(f.policyItem);
    policy.InsertPartAfter(nullptr, std::make_unique<cObjPolPartText>(&policy));
    f.part->itemList = {cItemList(u"One", cDescVal{u"", u"1", 1, 0})};
    Text before = f.Written();

    cApplyPropertiesStep step(*f.part);
    EXPECT_EQ(step.Name(), u"Apply properties of Part");
    cDropDownPageValues values = cDropDownPageValues::Load(*f.part);
    values.name = u"Renamed";
    values.noSort = true;
    values.ApplyTo(*f.part);
    f.part->itemList.clear();
    step.Finish(*f.part);
    EXPECT_EQ(step.Name(), u"Apply properties of Renamed");
    Text after = f.Written();
    ASSERT_NE(after, before);
    f.doc.doc.SetModifiedFlag(0);

    step.Undo();
    EXPECT_EQ(f.Written(), before);
    EXPECT_TRUE(f.doc.doc.IsModified());  // through the part's policy
    step.Redo();
    EXPECT_EQ(f.Written(), after);
}

// Keeps the steps a document hands it, applied.
class cKeptSteps : public cStepSink {
public:
    bool Push(std::unique_ptr<cEditStep> step) override {
        if (!step->Apply(*doc))
            return false;
        steps.push_back(std::move(step));
        return true;
    }
    CPelwinDoc* doc = nullptr;
    std::vector<std::unique_ptr<cEditStep>> steps;
};

TEST(ActionListStep, ReplacesTheListsOfAPolicyOrCheckBoxAsAStepOfItsOwn) {
    PartFixture<cObjPolPartCheckBox> f;
    cKeptSteps kept;
    kept.doc = &f.doc.doc;
    f.doc.doc.SetStepSink(&kept);
    auto& policy = cTestDoc::Node<cObjPolicy>(f.policyItem);
    policy.InsertPartAfter(nullptr, std::make_unique<cObjPolPartText>(&policy));
    f.part->actionListOn = {{u"Old", {}}};
    Text before = f.Written();

    cActionValue entry;
    entry.valueName = u"v";
    entry.valueText = u"1";
    ASSERT_TRUE(ReplaceActionLists(*f.part, {}, {{u"K", {entry}}}));
    ASSERT_EQ(kept.steps.size(), 1u);
    EXPECT_EQ(kept.steps[0]->Label(), u"Edit action lists of Part");
    EXPECT_TRUE(f.part->actionListOn.empty());
    EXPECT_EQ(f.part->actionListOff, (cActionList{{u"K", {entry}}}));
    EXPECT_EQ(f.part->name, u"Part");
    Text after = f.Written();
    EXPECT_NE(after, before);
    EXPECT_TRUE(f.doc.doc.IsModified());

    ASSERT_TRUE(kept.steps[0]->Revert(f.doc.doc));
    EXPECT_EQ(f.Written(), before);
    ASSERT_TRUE(kept.steps[0]->Apply(f.doc.doc));
    EXPECT_EQ(f.Written(), after);

    ASSERT_TRUE(ReplaceActionLists(policy, {{u"P", {entry}}}, {}));
    EXPECT_EQ(kept.steps.back()->Label(), u"Edit action lists of Pol");
    EXPECT_EQ(policy.actionListOn, (cActionList{{u"P", {entry}}}));
    EXPECT_EQ(policy.Parts().size(), 2u);

    // Only policies and check boxes have the two lists.
    EXPECT_FALSE(ReplaceActionLists(*policy.Parts()[0], {{u"P", {entry}}}, {}));
    EXPECT_EQ(kept.steps.size(), 2u);

    // Outside a template the node takes the lists itself.
    cObjPolicy loose;
    ASSERT_TRUE(ReplaceActionLists(loose, {{u"L", {}}}, {}));
    EXPECT_EQ(loose.actionListOn, (cActionList{{u"L", {}}}));
    f.doc.doc.SetStepSink(nullptr);
}

}  // namespace
