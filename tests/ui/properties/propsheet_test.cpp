#include "ui/properties/propsheet.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "core/pages/applystep.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/preview/polleaveview.h"
#include "ui/properties/proppages.h"
#include "ui/tree/poltreeview.h"
#include "ui/widgets/look.h"

namespace {

// A template window's panes and the real sheet over a small template:
//   MACHINE > Cat (key K) > { Policy A (check box), Sub, Policy B }, If Version >= 1
//   USER > Loose (no key) > Policy C
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetPrompts(&prompts);
        sheet.SetServices(&app);
        SharedState().sheet = &sheet;
        cTemplateTree& tree = doc.Tree();
        machine = Insert(nullptr, u"MACHINE", std::make_unique<cObjClass>());
        Node<cObjClass>(machine).className = u"MACHINE";
        auto cat = std::make_unique<cObjCategory>();
        cat->name = u"Cat";
        cat->keyName = u"K";
        cat->useDefaultKey = 0;
        category = Insert(machine, u"Cat", std::move(cat));
        auto a = std::make_unique<cObjPolicy>();
        a->name = u"Policy A";
        a->AppendPart(CreatePartFromKeyword(u"CHECKBOX", a.get(), false));
        policyA = Insert(category, u"Policy A", std::move(a));
        sub = Insert(category, u"Sub", std::make_unique<cObjCategory>());
        policyB = Insert(category, u"Policy B", std::make_unique<cObjPolicy>());
        version = Insert(machine, u"If Version >= 1", std::make_unique<cObjVersion>());
        cTreeItem* user = Insert(nullptr, u"USER", std::make_unique<cObjClass>());
        loose = Insert(user, u"Loose", std::make_unique<cObjCategory>());
        policyC = Insert(loose, u"Policy C", std::make_unique<cObjPolicy>());
        (void)tree;
        doc.SetModifiedFlag(0);

        splitter = std::make_unique<QSplitter>();
        view = new cPolTreeView(doc, splitter.get(), splitter.get());
        pane = new cPolLeaveView(&doc, splitter.get());
        splitter->addWidget(view);
        splitter->addWidget(pane);
        splitter->resize(900, 500);
    }
    void TearDown() override {
        splitter.reset();
        SharedState().sheet = nullptr;
        app.SetPrompts(nullptr);
    }

    cTreeItem* Insert(cTreeItem* parent, const char16_t* label, std::unique_ptr<cData> node) {
        int image = node->kind == kKindPolicy ? kImagePage : kImageClosedBook;
        return doc.Tree().InsertLast(parent, label, image, std::move(node));
    }
    template <typename T>
    static T& Node(cTreeItem* item) {
        return dynamic_cast<T&>(*item->node);
    }
    int PanelCount() const { return int(pane->Canvas()->children().size()); }
    void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QStringList Captions() const {
        QStringList captions;
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            captions << sheet.Tabs()->tabText(i);
        return captions;
    }

    CPelwinApp app;
    cScriptedPrompts prompts;
    cMessageRecorder messages;
    cPropSheet sheet;
    CPelwinDoc doc;
    cTreeItem* machine = nullptr;
    cTreeItem* category = nullptr;
    cTreeItem* policyA = nullptr;
    cTreeItem* sub = nullptr;
    cTreeItem* policyB = nullptr;
    cTreeItem* version = nullptr;
    cTreeItem* loose = nullptr;
    cTreeItem* policyC = nullptr;
    std::unique_ptr<QSplitter> splitter;
    cPolTreeView* view = nullptr;   // Not owned.
    cPolLeaveView* pane = nullptr;  // Not owned.
};

TEST_F(SheetTest, StartsWithTheNullPageAndChecksKeepOnTopForTheFirstNode) {
    EXPECT_EQ(sheet.windowTitle(), "Properties");
    EXPECT_EQ(sheet.Pages(), std::vector<cPropPage*>{sheet.NullPage()});
    EXPECT_FALSE(sheet.KeepOnTop()->isChecked());
    ASSERT_TRUE(view->Select(policyA));
    EXPECT_TRUE(sheet.KeepOnTop()->isChecked());
    EXPECT_EQ(sheet.windowTitle(), "Policy Properties");
    EXPECT_EQ(Captions(), QStringList({"General", "Optional Windows2000 specifications"}));
    EXPECT_EQ(sheet.CurrentNode(), policyA->node.get());
}

TEST_F(SheetTest, AsksExactlyWhenAPageWasChangedEvenIfChangedBack) {
    ASSERT_TRUE(view->Select(category));
    ASSERT_TRUE(view->Select(policyA));
    EXPECT_TRUE(prompts.questions.empty());

    cPPPolicy1* page = sheet.PolicyPage();
    Type(page->name, "Other");
    Type(page->name, "Policy A");
    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(view->Select(category));
    EXPECT_EQ(prompts.questions, std::vector<Text>{u"Apply changes to the current policy?"});
    EXPECT_EQ(sheet.CurrentNode(), category->node.get());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SheetTest, YesAppliesBeforeTheMoveNoDropsCancelStays) {
    ASSERT_TRUE(view->Select(category));
    Type(sheet.CategoryPage()->name, "Renamed");
    std::vector<Text> labelAtSwitch;
    prompts.answers = {cAnswer::Yes};
    ASSERT_TRUE(view->Select(policyA));
    EXPECT_EQ(category->label, u"Renamed");
    EXPECT_EQ(Node<cObjCategory>(category).name, u"Renamed");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GT(PanelCount(), 0);

    // No: the edit is gone.
    Type(sheet.PolicyPage()->name, "Dropped");
    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(view->Select(policyB));
    EXPECT_EQ(Node<cObjPolicy>(policyA).name, u"Policy A");

    // Cancel: the old node stays with its edits, and the preview stays empty.
    ASSERT_TRUE(view->Select(policyA));
    Type(sheet.PolicyPage()->name, "Pending");
    prompts.answers = {cAnswer::Cancel};
    EXPECT_FALSE(view->Select(category));
    EXPECT_EQ(view->SelectedItem(), policyA);
    EXPECT_EQ(sheet.CurrentNode(), policyA->node.get());
    EXPECT_EQ(sheet.PolicyPage()->name->text(), "Pending");
    EXPECT_EQ(PanelCount(), 0);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(SheetTest, FailedCheckAfterYesShowsThePagesTextAndCancels) {
    ASSERT_TRUE(view->Select(policyA));
    cPPPolicy1* page = sheet.PolicyPage();
    page->key->useKey->click();
    Type(page->key->ownKey, "");
    page->key->ownKey->clear();
    prompts.answers = {cAnswer::Yes};
    EXPECT_FALSE(view->Select(category));
    EXPECT_EQ(messages.Utf8(), std::vector<std::string>{"Unable to apply changes in current "
                                                        "Policy. The keyname must not be empty."});
    EXPECT_EQ(messages.severities, std::vector<int>{kSeverityError});
    EXPECT_EQ(sheet.CurrentNode(), policyA->node.get());
    EXPECT_EQ(Node<cObjPolicy>(policyA).useDefaultKey, 1);

    // "Apply now" with the same fault applies nothing either.
    messages.Clear();
    sheet.ApplyButton()->click();
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SheetTest, ApplyNowOnAClassMarksTheTemplateModified) {
    ASSERT_TRUE(view->Select(machine));
    EXPECT_EQ(sheet.windowTitle(), "Class Properties");
    EXPECT_EQ(sheet.ClassPage()->classType->text(), "MACHINE");
    sheet.ApplyButton()->click();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(sheet.CurrentNode(), machine->node.get());
}

TEST_F(SheetTest, DeletingTheShownNodeLeavesNoPages) {
    // Handed over directly, so that no tree selection moves on when the item goes.
    ASSERT_EQ(sheet.SetObject(policyB->node.get()), kSheetShown);
    doc.Tree().DeleteItem(policyB);
    EXPECT_EQ(sheet.CurrentNode(), nullptr);
    EXPECT_TRUE(sheet.Pages().empty());
    EXPECT_EQ(sheet.Tabs()->count(), 0);
}

TEST_F(SheetTest, CategoryPageOffersUseDefaultOnlyWithAKeyToInherit) {
    ASSERT_TRUE(view->Select(loose));
    cKeyGroup* key = sheet.CategoryPage()->key;
    EXPECT_FALSE(key->useDefault->isEnabled());
    EXPECT_FALSE(key->defaultKey->isEnabled());
    EXPECT_TRUE(key->useDefault->isChecked());
    EXPECT_TRUE(key->ownKey->isReadOnly());
    // The user can still choose a key of the category's own.
    key->useKey->click();
    EXPECT_FALSE(key->ownKey->isReadOnly());
    EXPECT_TRUE(sheet.CategoryPage()->IsModified());

    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(view->Select(sub));
    EXPECT_TRUE(sheet.CategoryPage()->key->useDefault->isEnabled());
    EXPECT_EQ(sheet.CategoryPage()->key->defaultKey->text(), "K");
}

TEST_F(SheetTest, PolicyPageKeyAndValueNameRules) {
    // Nothing to inherit: "Use key:" is chosen although the policy uses the default.
    ASSERT_TRUE(view->Select(policyC));
    cPPPolicy1* page = sheet.PolicyPage();
    EXPECT_TRUE(page->key->useKey->isChecked());
    EXPECT_TRUE(page->key->ownKey->isEnabled());

    ASSERT_TRUE(view->Select(policyA));
    EXPECT_TRUE(page->key->useDefault->isChecked());
    EXPECT_FALSE(page->key->ownKey->isEnabled());
    EXPECT_EQ(page->key->defaultKey->text(), "K");
    // No value name: the edit and all ten controls of the groups are off.
    EXPECT_FALSE(page->valueNameCheck->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{
             page->valueName, page->valueOn->defaultValue, page->valueOn->explicitValue,
             page->valueOn->numeric, page->valueOff->deleteValue, page->valueOff->text})
        EXPECT_FALSE(w->isEnabled());

    page->valueNameCheck->click();
    EXPECT_TRUE(page->valueName->isEnabled());
    EXPECT_TRUE(page->valueOn->explicitValue->isEnabled());
    EXPECT_FALSE(page->valueOn->text->isEnabled());  // follows only "Explicit value"
    page->valueOn->explicitValue->click();
    EXPECT_TRUE(page->valueOn->text->isEnabled());
    Type(page->valueName, "Flag");
    Type(page->valueOn->text, "7");
    page->valueOn->numeric->click();
    sheet.ApplyButton()->click();
    auto& policy = Node<cObjPolicy>(policyA);
    EXPECT_EQ(policy.valueNameFlag, 1);
    EXPECT_EQ(policy.valueOn, (cDescVal{u"Flag", u"7", 1, 0}));

    // Clearing "Value name: " removes both records and keeps the name.
    page->valueNameCheck->click();
    EXPECT_FALSE(page->valueOn->text->isEnabled());
    sheet.ApplyButton()->click();
    EXPECT_EQ(policy.valueNameFlag, 0);
    EXPECT_EQ(policy.valueName, u"Flag");
    EXPECT_FALSE(policy.valueOn);
}

TEST_F(SheetTest, SecondPolicyPageIsMadeWhenFirstShown) {
    auto& policy = Node<cObjPolicy>(policyA);
    policy.explainText = u"Why";
    ASSERT_TRUE(view->Select(policyA));
    sheet.show();
    cPPPolicy2* second = sheet.PolicySecondPage();
    EXPECT_FALSE(second->HasWindow());
    // Applying without ever showing it keeps the values it was given.
    Type(sheet.PolicyPage()->name, "A2");
    sheet.ApplyButton()->click();
    EXPECT_EQ(policy.explainText, u"Why");

    sheet.Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(second->HasWindow());
    EXPECT_FALSE(second->explain->isChecked());
    EXPECT_FALSE(second->explainText->isEnabled());
    EXPECT_EQ(second->explainText->text(), "Why");
    second->explain->click();
    EXPECT_TRUE(second->explainText->isEnabled());
    Type(second->explainText, "Because");
    sheet.ApplyButton()->click();
    EXPECT_EQ(policy.explainFlag, 1);
    EXPECT_EQ(policy.explainText, u"Because");

    // "Supported on" works like "Explain" and keeps a reference as typed; beneath it stands
    // the text the reference shows.
    doc.Strings().Set(u"SUPPORTED_WIN7", u"Windows 7 or later");
    EXPECT_FALSE(second->supportedText->isEnabled());
    second->supported->click();
    Type(second->supportedText, "Windows 7");
    EXPECT_EQ(second->supportedShown->text(), "");
    Type(second->supportedText, "!!SUPPORTED_WIN7");
    EXPECT_EQ(second->supportedShown->text(), "Shows: Windows 7 or later");
    sheet.ApplyButton()->click();
    EXPECT_EQ(policy.supportedFlag, 1);
    EXPECT_EQ(policy.supportedText, u"!!SUPPORTED_WIN7");

    // Another node takes the page's window away.
    ASSERT_TRUE(view->Select(policyB));
    EXPECT_FALSE(second->HasWindow());
    sheet.hide();
}

// An explain text that is a reference shows, like "Supported on", the text it stands for;
// a one-line field too narrow for its text shows the whole of it as its tool tip.
TEST_F(SheetTest, LongAndReferencedTextsAreReadable) {
    doc.Strings().Set(u"Help", u"What this policy does");
    auto& policy = Node<cObjPolicy>(policyA);
    policy.explainFlag = 1;
    policy.explainText = u"!!Help";
    policy.keyName =
        QString("Software\\Policies\\Vendor\\Product\\Component").repeated(4).toStdU16String();
    policy.useDefaultKey = 0;
    ASSERT_TRUE(view->Select(policyA));
    sheet.resize(300, 520);
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    cPPPolicy2* second = sheet.PolicySecondPage();
    ASSERT_TRUE(second->HasWindow());
    EXPECT_EQ(second->explainShown->text(), "Shows: What this policy does");
    Type(second->explainText, "Plain words");
    EXPECT_EQ(second->explainShown->text(), "");
    // A long explanation shows its beginning; the tool tip holds all of it.
    const QString longText = QString("Explained at length. ").repeated(40);
    doc.Strings().Set(u"Long", longText.toStdU16String());
    Type(second->explainText, "!!Long");
    EXPECT_EQ(second->explainShown->text(), "Shows: " + longText.left(240) + "...");
    EXPECT_EQ(second->explainShown->toolTip(), longText);

    sheet.Tabs()->setCurrentIndex(0);
    QApplication::processEvents();
    QLineEdit* key = sheet.PolicyPage()->key->ownKey;
    ASSERT_LT(key->width(), key->fontMetrics().horizontalAdvance(key->text()));
    EXPECT_EQ(WholeTextTip(*key), key->text());
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), key->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(key, &help);
    EXPECT_EQ(QToolTip::text(), key->text());
    QToolTip::hideText();
    // A text that fits has no tip.
    EXPECT_EQ(WholeTextTip(*sheet.PolicyPage()->name), "");
    sheet.hide();
}

TEST_F(SheetTest, VersionPageListsTheOperatorsAndRebuildsTheLabel) {
    Node<cObjVersion>(version).op = u"<";
    ASSERT_TRUE(view->Select(version));
    cPPVersion* page = sheet.VersionPage();
    EXPECT_EQ(sheet.windowTitle(), "Version");
    QStringList entries;
    for (int i = 0; i < page->op->count(); ++i)
        entries << page->op->itemText(i);
    EXPECT_EQ(entries, QStringList({"<", "<=", ">", ">=", "==", "!="}));
    EXPECT_EQ(page->op->currentText(), "<");
    EXPECT_FALSE(page->op->isEditable());

    page->op->setCurrentIndex(5);
    Type(page->number, "3");
    sheet.ApplyButton()->click();
    EXPECT_EQ(version->label, u"If Version != 3");

    // An operator not in the list selects nothing and blocks the apply.
    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(view->Select(machine));
    Node<cObjVersion>(version).op = u"=<";
    ASSERT_TRUE(view->Select(version));
    EXPECT_EQ(page->op->currentIndex(), -1);
    Type(page->number, "4");
    sheet.ApplyButton()->click();
    EXPECT_EQ(messages.Utf8(),
              std::vector<std::string>{"Unable to apply changes in current PolicyPart. The "
                                       "Operand must be on of <,<=,>,>=,==,!="});
    EXPECT_EQ(Node<cObjVersion>(version).number, u"3");
}

TEST_F(SheetTest, EveryApplyIsAStepThatUndoesIntoTheSheet) {
    std::vector<std::unique_ptr<cApplyPropertiesStep>> steps;
    sheet.SetStepSink(
        [&](std::unique_ptr<cApplyPropertiesStep> step) { steps.push_back(std::move(step)); });
    ASSERT_TRUE(view->Select(policyA));
    Type(sheet.PolicyPage()->name, "New name");
    sheet.ApplyButton()->click();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0]->Name(), u"Apply properties of New name");

    steps[0]->Undo();
    EXPECT_EQ(policyA->label, u"Policy A");
    EXPECT_EQ(sheet.PolicyPage()->name->text(), "Policy A");
    EXPECT_FALSE(sheet.AnyPageModified());
    steps[0]->Redo();
    EXPECT_EQ(sheet.PolicyPage()->name->text(), "New name");
}

TEST_F(SheetTest, HoldVisibleChecksKeepOnTopOnlyForTheEditor) {
    sheet.KeepOnTop()->setChecked(false);
    sheet.HoldVisible();
    EXPECT_TRUE(sheet.KeepOnTop()->isChecked());
    sheet.HoldVisible();
    EXPECT_FALSE(sheet.KeepOnTop()->isChecked());
    // A box the user checked stays as it is.
    sheet.KeepOnTop()->setChecked(true);
    sheet.HoldVisible();
    sheet.HoldVisible();
    EXPECT_TRUE(sheet.KeepOnTop()->isChecked());
}

// ---- Policy part pages ----

// Policy B with one part of each kind, handed to the sheet as the preview does.
class PartSheetTest : public SheetTest {
protected:
    cObjPolPart* Add(const char16_t* keyword) {
        auto& policy = Node<cObjPolicy>(policyB);
        return policy.AppendPart(CreatePartFromKeyword(keyword, &policy, false));
    }
    template <typename T>
    T& Show(const char16_t* keyword) {
        cObjPolPart* part = Add(keyword);
        EXPECT_EQ(sheet.SetObject(part), kSheetShown);
        return dynamic_cast<T&>(*part);
    }
    std::vector<std::unique_ptr<cApplyPropertiesStep>> steps;
    void SetUp() override {
        SheetTest::SetUp();
        sheet.SetStepSink([this](std::unique_ptr<cApplyPropertiesStep> step) {
            steps.push_back(std::move(step));
        });
    }
};

TEST_F(PartSheetTest, EachKindGetsItsPageAndTitle) {
    const std::pair<const char16_t*, const char*> kinds[] = {
        {u"CHECKBOX", "\"Checkbox\" Policy Part Properties"},
        {u"TEXT", "\"Text\" Policy Part Properties"},
        {u"EDITTEXT", "\"Edit text\" Policy Part Properties"},
        {u"COMBOBOX", "\"Combo box\" Policy Part Properties"},
        {u"NUMERIC", "\"Numeric\" Policy Part Properties"},
        {u"DROPDOWNLIST", "\"Dropdown list\" Policy Part Properties"},
        {u"LISTBOX", "\"ListBox\" Policy Part Properties"},
    };
    std::vector<cPropPage*> pages;
    for (auto [keyword, title] : kinds) {
        Show<cObjPolPart>(keyword);
        EXPECT_EQ(sheet.windowTitle(), title);
        EXPECT_EQ(Captions().front(), "General");
        pages.push_back(sheet.Pages().front());
    }
    EXPECT_EQ(pages,
              (std::vector<cPropPage*>{sheet.CheckBoxPage(), sheet.TextPage(), sheet.EditTextPage(),
                                       sheet.ComboPage(), sheet.NumericPage(), sheet.DropDownPage(),
                                       sheet.ListBoxPage()}));
    // The two sort boxes differ by a blank.
    EXPECT_EQ(sheet.ComboPage()->noSort->text(), "Do Not Sort ");
    EXPECT_EQ(sheet.DropDownPage()->noSort->text(), "Do Not Sort");

    // A click on a part's panel in the preview hands it to the sheet.
    ASSERT_TRUE(view->Select(policyA));
    auto* box = pane->Canvas()->findChild<QCheckBox*>(QStringLiteral("check"));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(sheet.CurrentNode(), Node<cObjPolicy>(policyA).Parts()[0].get());
    EXPECT_EQ(sheet.windowTitle(), "\"Checkbox\" Policy Part Properties");
}

TEST_F(PartSheetTest, CheckBoxApplyMarksTheTemplateAndUndoes) {
    auto& part = Show<cObjPolPartCheckBox>(u"CHECKBOX");
    cPPCheckBox1* page = sheet.CheckBoxPage();
    // A default value leaves its edit read-only but enabled, "Numeric" usable, until a
    // radio button is clicked.
    EXPECT_TRUE(page->valueOn->text->isEnabled());
    EXPECT_TRUE(page->valueOn->text->isReadOnly());
    EXPECT_TRUE(page->valueOn->numeric->isEnabled());
    page->valueOn->deleteValue->click();
    EXPECT_FALSE(page->valueOn->numeric->isEnabled());
    page->valueOff->explicitValue->click();
    EXPECT_FALSE(page->valueOff->text->isReadOnly());
    Type(page->valueOff->text, "7");
    // Under "Use default:" the own key is read-only, not disabled.
    EXPECT_TRUE(page->key->ownKey->isEnabled());
    EXPECT_TRUE(page->key->ownKey->isReadOnly());
    page->checkedByDefault->click();
    EXPECT_FALSE(page->uncheckedByDefault->isChecked());
    Type(page->valueName, "Val");
    Type(page->name, "QA Check");

    sheet.ApplyButton()->click();
    EXPECT_EQ(part.defChecked, 1);
    EXPECT_EQ(part.valueOn, (cDescVal{u"Val", u"", 0, 1}));
    EXPECT_EQ(part.valueOff, (cDescVal{u"Val", u"7", 0, 0}));
    EXPECT_EQ(part.keyName, u"");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(steps.size(), 1u);
    // The step is named after what the part is called now, not what it was called.
    EXPECT_EQ(steps[0]->Name(), u"Apply properties of QA Check");

    steps[0]->Undo();
    EXPECT_EQ(part.defChecked, 0);
    EXPECT_FALSE(part.valueOn);
    EXPECT_TRUE(page->uncheckedByDefault->isChecked());  // the sheet refilled
    steps[0]->Redo();
    EXPECT_EQ(part.valueOff, (cDescVal{u"Val", u"7", 0, 0}));
}

TEST_F(PartSheetTest, PairsResetTheirTextsAndMaxLengthTakesDigits) {
    auto& num = Show<cObjPolPartNum>(u"NUMERIC");
    cPPNum1* page = sheet.NumericPage();
    EXPECT_TRUE(page->max->edit->isReadOnly());
    page->max->box->click();
    EXPECT_FALSE(page->max->edit->isReadOnly());
    Type(page->max->edit, "50");
    page->max->box->click();  // cleared again: back to 9999
    EXPECT_EQ(page->max->edit->text(), "9999");
    page->min->box->click();
    Type(page->min->edit, "5");
    page->spin->box->click();
    page->spin->box->click();
    EXPECT_EQ(page->spin->edit->text(), "1");
    page->defaultValue->box->click();
    Type(page->defaultValue->edit, "8");
    page->defaultValue->box->click();  // no reset text
    EXPECT_EQ(page->defaultValue->edit->text(), "8");
    sheet.ApplyButton()->click();
    EXPECT_EQ(num.maxFlag, 0);
    EXPECT_EQ(num.max, u"9999");
    EXPECT_EQ(num.minFlag, 1);
    EXPECT_EQ(num.min, u"5");
    EXPECT_EQ(num.defaultFlag, 0);
    EXPECT_EQ(num.defaultValue, u"8");

    Show<cObjPolPartEditText>(u"EDITTEXT");
    cPPEditText1* edit = sheet.EditTextPage();
    edit->maxLength->box->click();
    QTest::keyClicks(edit->maxLength->edit, "12a3");
    EXPECT_EQ(edit->maxLength->edit->text(), "123");
}

TEST_F(PartSheetTest, SuggestionsAreEditedInPlaceAndTakenWhole) {
    auto& combo = Show<cObjPolPartCombo>(u"COMBOBOX");
    cPPCombo1* page = sheet.ComboPage();
    QTreeWidget* list = page->suggestions;
    EXPECT_TRUE(list->isHeaderHidden());
    EXPECT_EQ(list->headerItem()->text(0), "Suggestions");

    page->add->click();  // nothing selected: at the top
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "<new>");
    EXPECT_EQ(page->SelectedSuggestion(), 0);
    EXPECT_TRUE(page->IsModified());
    list->closePersistentEditor(list->topLevelItem(0));
    page->add->click();  // after the selected row
    page->SetModified(false);
    const QString longText(600, QLatin1Char('s'));
    list->topLevelItem(1)->setText(0, longText);  // what an in-place edit ends with
    EXPECT_TRUE(page->IsModified());

    sheet.ApplyButton()->click();
    ASSERT_EQ(combo.suggestions.size(), 2u);
    EXPECT_EQ(combo.suggestions[0].text, u"<new>");
    EXPECT_EQ(combo.suggestions[1].text.size(), 600u);

    list->setCurrentItem(list->topLevelItem(0));
    page->remove->click();
    EXPECT_EQ(page->SelectedSuggestion(), 0);
    page->remove->click();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    page->remove->click();  // nothing selected: nothing happens
    sheet.ApplyButton()->click();
    EXPECT_TRUE(combo.suggestions.empty());
}

TEST_F(PartSheetTest, ListBoxRadiosDriveThePrefixAndDropDownStoresNoSort) {
    auto& box = Show<cObjPolPartListBox>(u"LISTBOX");
    cPPListBox1* page = sheet.ListBoxPage();
    EXPECT_TRUE(page->valueContent->isChecked());
    EXPECT_FALSE(page->prefix->isEnabled());
    page->prefixed->click();
    EXPECT_TRUE(page->prefix->isEnabled());
    EXPECT_FALSE(page->valueContent->isChecked());
    Type(page->prefix, "p_");
    sheet.ApplyButton()->click();
    EXPECT_EQ(box.valuePrefixFlag, 1);
    EXPECT_EQ(box.valuePrefix, u"p_");
    EXPECT_EQ(box.explicitValue, 0);
    page->explicitName->click();
    EXPECT_FALSE(page->prefix->isEnabled());

    prompts.answers = {cAnswer::No};  // the list box edit is dropped
    auto& list = Show<cObjPolPartDropDown>(u"DROPDOWNLIST");
    sheet.DropDownPage()->noSort->click();
    sheet.ApplyButton()->click();
    EXPECT_EQ(list.noSort, 1);
    EXPECT_EQ(box.explicitValue, 0);
}

}  // namespace
