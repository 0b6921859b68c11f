#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/core/adm/writertest.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/edit/undohistory.h"
#include "ui/properties/actionlisteditor.h"
#include "ui/properties/itemlistpage.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/poltreeview.h"

namespace {

cActionValue Entry(Text valueName, Text text, int numeric = 0) {
    cActionValue entry;
    entry.valueName = std::move(valueName);
    entry.valueText = std::move(text);
    entry.numeric = numeric;
    return entry;
}

QStringList Headers(QTableWidget* list) {
    QStringList headers;
    for (int column = 0; column < list->columnCount(); ++column)
        headers << list->horizontalHeaderItem(column)->text() + "/" +
                       QString::number(list->columnWidth(column));
    return headers;
}

// Type columns keep "<numeric>" readable in the list's font.
QString TypeWidth(QTableWidget* list) {
    return QString::number(std::max(65, list->fontMetrics().horizontalAdvance("<numeric>") + 16));
}

QStringList Row(QTableWidget* list, int row) {
    QStringList cells;
    for (int column = 0; column < list->columnCount(); ++column)
        cells << (list->item(row, column) ? list->item(row, column)->text() : QString());
    return cells;
}

void ClickRow(QTableWidget* list, int row) {
    QRect cell = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

std::vector<QWidget*> DetailControls(cPPActionList* page) {
    std::vector<QWidget*> controls = {page->keyName, page->valueName};
    for (cValueGroup* group : {page->valueOn, page->valueOff})
        for (QWidget* control :
             std::initializer_list<QWidget*>{group->defaultValue, group->deleteValue,
                                             group->explicitValue, group->numeric, group->text})
            controls.push_back(control);
    return controls;
}

}  // namespace

TEST(ActionListEditor, TwoListModeBuildsPairedRowsAndOkRewritesBothLists) {
    cActionList on = {{u"Software\\A", {Entry(u"v", u"1", 1)}}};
    cActionList off = {{u"software\\a", {Entry(u"v", u"0", 1)}}, {u"B", {Entry(u"w", u"x")}}};
    cPropActList dialog(on, &off);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "ActionList");
    ASSERT_EQ(dialog.Tabs()->count(), 1);
    EXPECT_EQ(dialog.Tabs()->tabText(0), "Action list");
    cPPActionList* page = dialog.Page();
    QString type = TypeWidth(page->list);
    EXPECT_EQ(Headers(page->list),
              QStringList({"Key name/250", "Value name/100", "Value on/100", "Type on/" + type,
                           "Value off/100", "Type off/" + type}));
    ASSERT_EQ(page->list->rowCount(), 2);
    EXPECT_EQ(Row(page->list, 0), QStringList({"B", "w", "", "", "x", "<string>"}));
    EXPECT_EQ(Row(page->list, 1),
              QStringList({"software\\a", "v", "1", "<numeric>", "0", "<numeric>"}));
    // The first row is loaded: no value when checked, an explicit string when unchecked.
    EXPECT_EQ(page->keyName->text(), "B");
    EXPECT_TRUE(page->valueOn->defaultValue->isChecked());
    EXPECT_FALSE(page->valueOn->text->isEnabled());
    EXPECT_TRUE(page->valueOff->explicitValue->isChecked());
    EXPECT_EQ(page->valueOff->text->text(), "x");

    // New sorts "<new>" first and stays put while its key is typed.
    QTest::mouseClick(page->newButton, Qt::LeftButton);
    EXPECT_EQ(page->list->currentRow(), 0);
    EXPECT_EQ(page->keyName->selectedText(), "<new>");
    Type(page->keyName, "Z");
    Type(page->valueName, "n");
    QTest::mouseClick(page->valueOn->deleteValue, Qt::LeftButton);
    EXPECT_EQ(Row(page->list, 0), QStringList({"Z", "n", "", "<delete>", "", ""}));
    ClickRow(page->list, 2);
    EXPECT_EQ(page->keyName->text(), "software\\a");
    QTest::mouseClick(page->valueOff->deleteValue, Qt::LeftButton);

    dialog.accept();
    EXPECT_EQ(on, (cActionList{{u"software\\a", {Entry(u"v", u"1", 1)}}, {u"Z", {[] {
                                                                              cActionValue gone =
                                                                                  Entry(u"n", u"");
                                                                              gone.del = 1;
                                                                              return gone;
                                                                          }()}}}));
    ASSERT_EQ(off.size(), 2u);
    EXPECT_EQ(off[0].keyName, u"software\\a");
    EXPECT_EQ(off[0].entries[0].del, 1);
    EXPECT_EQ(off[1], (cActionKey{u"B", {Entry(u"w", u"x")}}));
}

TEST(ActionListEditor, OneListModeOffersNoValueChoiceAndEmptyTablesDisableTheFields) {
    cActionList list;
    cPropActList dialog(list, nullptr);
    cPPActionList* page = dialog.Page();
    dialog.show();
    EXPECT_EQ(Headers(page->list), QStringList({"Key name/300", "Value name/100", "Value /210",
                                                "Type/" + TypeWidth(page->list)}));
    EXPECT_FALSE(page->valueOff->isVisible());
    EXPECT_EQ(page->valueOn->title(), "Value");
    for (QWidget* control : DetailControls(page))
        EXPECT_FALSE(control->isEnabled());

    QTest::mouseClick(page->newButton, Qt::LeftButton);
    EXPECT_EQ(Row(page->list, 0), QStringList({"<new>", "", "", "<string>"}));
    EXPECT_TRUE(page->valueOn->explicitValue->isChecked());
    EXPECT_FALSE(page->valueOn->defaultValue->isEnabled());
    EXPECT_TRUE(page->keyName->isEnabled());
    QTest::mouseClick(page->deleteButton, Qt::LeftButton);
    EXPECT_EQ(page->list->rowCount(), 0);
    EXPECT_FALSE(page->keyName->isEnabled());
    dialog.reject();
    EXPECT_TRUE(list.empty());
}

namespace {

// The policy page over a policy with lists, inside the real sheet.
class PolicyActionListTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetPrompts(&prompts);
        sheet.SetServices(&app);
        SharedState().sheet = &sheet;
        cTreeItem* machine = doc.Tree().InsertLast(nullptr, u"MACHINE", kImageClosedBook,
                                                   std::make_unique<cObjClass>());
        auto policy = std::make_unique<cObjPolicy>();
        policy->name = u"P";
        policy->keyName = u"K";
        policy->useDefaultKey = 0;
        policy->actionListOn = {{u"K", {Entry(u"on", u"1", 1)}}};
        node = policy.get();
        item = doc.Tree().InsertLast(machine, u"P", kImagePage, std::move(policy));
        doc.SetModifiedFlag(0);
        splitter = std::make_unique<QSplitter>();
        view = new cPolTreeView(doc, splitter.get(), splitter.get());
        splitter->addWidget(view);
        ASSERT_TRUE(view->Select(item));
        sheet.KeepOnTop()->setChecked(false);
    }
    void TearDown() override {
        splitter.reset();
        SharedState().sheet = nullptr;
        app.SetPrompts(nullptr);
    }

    CPelwinApp app;
    cScriptedPrompts prompts;
    cMessageRecorder messages;
    cPropSheet sheet;
    CPelwinDoc doc;
    cObjPolicy* node = nullptr;
    cTreeItem* item = nullptr;
    std::unique_ptr<QSplitter> splitter;
    cPolTreeView* view = nullptr;  // Not owned.
};

}  // namespace

// OK writes the lists into the policy as a step of its own; what else was typed on the page
// stays pending, and dropping it later keeps the lists.
TEST_F(PolicyActionListTest, OkWritesTheListsAtOnceAsAStepOfItsOwn) {
    cUndoHistory history(doc);
    Type(sheet.PolicyPage()->name, "Renamed");
    ASSERT_TRUE(sheet.PolicyPage()->IsModified());
    bool keptOnTop = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        keptOnTop = sheet.KeepOnTop()->isChecked();
        cPPActionList* page = dialog->Page();
        QTest::mouseClick(page->newButton, Qt::LeftButton);
        Type(page->keyName, "K2");
        QTest::mouseClick(page->valueOff->explicitValue, Qt::LeftButton);
        Type(page->valueOff->text, "off");
        dialog->accept();
    });
    sheet.PolicyPage()->actionList->click();
    EXPECT_TRUE(keptOnTop);
    EXPECT_FALSE(sheet.KeepOnTop()->isChecked());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(node->actionListOn, (cActionList{{u"K", {Entry(u"on", u"1", 1)}}}));
    EXPECT_EQ(node->actionListOff, (cActionList{{u"K2", {Entry(u"", u"off")}}}));
    EXPECT_EQ(node->name, u"P");
    ASSERT_EQ(history.Stack()->count(), 1);
    EXPECT_EQ(history.Stack()->text(0), "Edit action lists of P");
    // The page's other edit is still there and still pending.
    EXPECT_EQ(sheet.PolicyPage()->name->text(), "Renamed");
    EXPECT_TRUE(sheet.PolicyPage()->IsModified());

    // No to the question drops the name; the lists stay.
    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(view->Select(doc.Tree().Root()->children[0].get()));
    EXPECT_EQ(prompts.questions, std::vector<Text>{u"Apply changes to the current policy?"});
    EXPECT_EQ(node->name, u"P");
    EXPECT_EQ(node->actionListOff, (cActionList{{u"K2", {Entry(u"", u"off")}}}));

    history.Stack()->undo();
    EXPECT_TRUE(node->actionListOff.empty());
    history.Stack()->redo();
    EXPECT_EQ(node->actionListOff, (cActionList{{u"K2", {Entry(u"", u"off")}}}));
}

// The editor alone leaves nothing to ask about, and a later apply of the page keeps the new
// lists instead of writing the old ones back.
TEST_F(PolicyActionListTest, OkLeavesThePageUnchangedAndALaterApplyKeepsTheLists) {
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->Page()->deleteButton, Qt::LeftButton);
        dialog->accept();
    });
    sheet.PolicyPage()->actionList->click();
    EXPECT_TRUE(node->actionListOn.empty());
    EXPECT_FALSE(sheet.PolicyPage()->IsModified());
    EXPECT_FALSE(sheet.AnyPageModified());

    Type(sheet.PolicyPage()->name, "Renamed");
    sheet.ApplyNow();
    EXPECT_EQ(node->name, u"Renamed");
    EXPECT_TRUE(node->actionListOn.empty());

    ASSERT_TRUE(view->Select(doc.Tree().Root()->children[0].get()));
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(PolicyActionListTest, CancelChangesNothing) {
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->Page()->deleteButton, Qt::LeftButton);
        dialog->reject();
    });
    sheet.PolicyPage()->actionList->click();
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(sheet.PolicyPage()->IsModified());
    sheet.ApplyNow();
    EXPECT_EQ(node->actionListOn, (cActionList{{u"K", {Entry(u"on", u"1", 1)}}}));
}

TEST_F(PolicyActionListTest, CheckBoxListsReachThePartAtOnce) {
    auto box = std::make_unique<cObjPolPartCheckBox>(node);
    box->name = u"Box";
    box->actionListOn = {{u"K", {Entry(u"on", u"1", 1)}}};
    cObjPolPart* part = node->InsertPart(0, std::move(box));
    auto* checkBox = static_cast<cObjPolPartCheckBox*>(part);
    sheet.SetObject(part);
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->Page()->Table().TwoLists());
        QTest::mouseClick(dialog->Page()->newButton, Qt::LeftButton);
        Type(dialog->Page()->keyName, "K2");
        QTest::mouseClick(dialog->Page()->valueOn->explicitValue, Qt::LeftButton);
        Type(dialog->Page()->valueOn->text, "v");
        dialog->accept();
    });
    sheet.CheckBoxPage()->actionList->click();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(sheet.CheckBoxPage()->IsModified());
    EXPECT_EQ(checkBox->actionListOn.size(), 2u);
    EXPECT_TRUE(checkBox->actionListOff.empty());
    sheet.ApplyNow();
    EXPECT_EQ(checkBox->actionListOn.size(), 2u);
}

namespace {

cItemList Item(Text name, Text value, int numeric = 0) {
    cItemList item(std::move(name), {});
    item.value.valueText = std::move(value);
    item.value.numeric = numeric;
    return item;
}

}  // namespace

TEST(ItemListPage, IsMadeWhenShownAndAppliesTheTableInOrder) {
    cObjPolPartDropDown part(nullptr);
    part.itemList = {Item(u"One", u"1", 1), Item(u"Two", u"two")};
    part.itemList[1].defaultFlag = 1;
    cPPDro2 page;
    page.Fill(part);
    EXPECT_FALSE(page.HasWindow());
    page.SetModified(true);
    page.Apply(part);  // not shown yet: nothing is copied or written
    EXPECT_EQ(part.itemList.size(), 2u);

    page.resize(500, 400);
    page.show();
    ASSERT_TRUE(page.HasWindow());
    EXPECT_FALSE(page.IsModified());
    EXPECT_EQ(Headers(page.list).mid(0, 3),
              QStringList({"Item name/150", "Value/125", "Type/" + TypeWidth(page.list)}));
    EXPECT_EQ(Row(page.list, 0).mid(0, 3), QStringList({"One", "1", "<numeric>"}));
    EXPECT_TRUE(page.explicitValue->isChecked());
    EXPECT_TRUE(page.numeric->isChecked());
    EXPECT_EQ(page.value->text(), "1");
    EXPECT_EQ(page.list->item(1, 3)->checkState(), Qt::Checked);

    // "Add Before" on the first row puts "<new>" at the top; "Add " after the last appends.
    QTest::mouseClick(page.addBeforeButton, Qt::LeftButton);
    EXPECT_EQ(page.itemName->selectedText(), "<new>");
    Type(page.itemName, "Zero");
    QTest::mouseClick(page.deleteValue, Qt::LeftButton);
    EXPECT_FALSE(page.value->isEnabled());
    ClickRow(page.list, 2);
    QTest::mouseClick(page.addButton, Qt::LeftButton);
    EXPECT_EQ(page.list->rowCount(), 4);
    EXPECT_EQ(Row(page.list, 3).mid(0, 3), QStringList({"<new>", "", "<string>"}));
    // Checking one item's default clears the other's.
    page.list->item(0, 3)->setCheckState(Qt::Checked);
    EXPECT_EQ(page.list->item(2, 3)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(page.IsModified());

    page.Apply(part);
    ASSERT_EQ(part.itemList.size(), 4u);
    EXPECT_EQ(part.itemList[0].name, u"Zero");
    EXPECT_EQ(part.itemList[0].value.del, 1);
    EXPECT_EQ(part.itemList[0].defaultFlag, 1);
    EXPECT_EQ(part.itemList[1], Item(u"One", u"1", 1));
    EXPECT_EQ(part.itemList[2].defaultFlag, 0);
    EXPECT_EQ(part.itemList[3].name, u"<new>");
}

TEST(ItemListPage, AnEditedActionListOfARowSetsTheModifiedFlag) {
    cObjPolPartDropDown part(nullptr);
    part.itemList = {Item(u"One", u"1")};
    cPPDro2 page;
    page.Fill(part);
    page.show();
    ASSERT_FALSE(page.IsModified());
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->Page()->Table().TwoLists());
        QTest::mouseClick(dialog->Page()->newButton, Qt::LeftButton);
        Type(dialog->Page()->keyName, "K");
        Type(dialog->Page()->valueOn->text, "v");
        dialog->accept();
    });
    QTest::mouseClick(page.actionListButton, Qt::LeftButton);
    EXPECT_TRUE(page.IsModified());
    page.Apply(part);
    EXPECT_EQ(part.itemList[0].actionList, (cActionList{{u"K", {Entry(u"", u"v")}}}));
}

// A check box with an action list of two keys and a drop-down list of three items, one
// with an action list, made in the editors, saved, and read back by tessary-cli check.
TEST(ListEditors, EditedListsAreSavedInTheirLayoutAndReadBack) {
    CPelwinApp app;
    cMessageRecorder messages;
    cTestDoc t;
    cTreeItem* category = t.Category(t.Class(nullptr, u"MACHINE"), u"Cat");
    cTestDoc::Node<cObjCategory>(category).keyName = u"Software\\Policies\\Example";
    cTreeItem* policy = t.Policy(category, u"Pol");
    cTestDoc::Node<cObjPolicy>(policy).valueName = u"Pol";
    cTestDoc::Node<cObjPolicy>(policy).valueNameFlag = 1;
    auto& box = cTestDoc::AddPart<cObjPolPartCheckBox>(policy, u"Box");
    box.valueName = u"Box";
    auto& dropDown = cTestDoc::AddPart<cObjPolPartDropDown>(policy, u"Level");
    dropDown.valueName = u"Level";

    {
        cPropActList dialog(box.actionListOn, &box.actionListOff);
        dialog.show();
        cPPActionList* page = dialog.Page();
        QTest::mouseClick(page->newButton, Qt::LeftButton);
        Type(page->keyName, "Software\\A");
        Type(page->valueName, "x");
        QTest::mouseClick(page->valueOn->explicitValue, Qt::LeftButton);
        page->valueOn->numeric->click();
        Type(page->valueOn->text, "1");
        QTest::mouseClick(page->newButton, Qt::LeftButton);
        Type(page->keyName, "Software\\B");
        Type(page->valueName, "y");
        QTest::mouseClick(page->valueOff->deleteValue, Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }

    cPPDro2 items;
    items.Fill(dropDown);
    items.show();
    for (const char* name : {"Low", "Mid", "High"}) {
        QTest::mouseClick(items.addButton, Qt::LeftButton);
        Type(items.itemName, name);
        Type(items.value, QString(name).toLower());
    }
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cPropActList*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->Page()->newButton, Qt::LeftButton);
        Type(dialog->Page()->keyName, "Software\\C");
        Type(dialog->Page()->valueName, "z");
        Type(dialog->Page()->valueOn->text, "2");
        dialog->accept();
    });
    ClickRow(items.list, 1);
    QTest::mouseClick(items.actionListButton, Qt::LeftButton);
    items.Apply(dropDown);

    QTemporaryDir dir;
    QString path = dir.filePath("lists.adm");
    ASSERT_TRUE(t.doc.WriteFile(path.toStdU16String()));
    QProcess cli;
    cli.start(TESSARY_CLI_PATH, {"check", path});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(cli.readAllStandardError().isEmpty());
    EXPECT_TRUE(messages.texts.empty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                      (bytes.size() - 2) / 2);
    int from = text.indexOf("PART \"Box\"");
    int to = text.indexOf("END PART", text.indexOf("PART \"Level\""));
    ASSERT_GE(from, 0);
    ASSERT_GT(to, from);
    // New key groups go to the front: the rows A, B come out as B, A.
    EXPECT_EQ(text.mid(from, to - from).toStdU16String(),
              Lines({u"PART \"Box\" CHECKBOX",
                     u"            VALUENAME \"Box\"",
                     u"               ACTIONLISTON ",
                     u"                  KEYNAME \"Software\\A\"",
                     u"                     VALUENAME \"x\"",
                     u"                     VALUE NUMERIC 1",
                     u"               END ACTIONLISTON ",
                     u"               ACTIONLISTOFF ",
                     u"                  KEYNAME \"Software\\B\"",
                     u"                     VALUENAME \"y\"",
                     u"                     VALUE DELETE ",
                     u"               END ACTIONLISTOFF ",
                     u"         END PART ",
                     u"         PART \"Level\" DROPDOWNLIST",
                     u"            VALUENAME \"Level\"",
                     u"            ITEMLIST",
                     u"               NAME \"Low\"",
                     u"               VALUE \"low\"",
                     u"               NAME \"Mid\"",
                     u"               VALUE \"mid\"",
                     u"               ACTIONLIST ",
                     u"                  KEYNAME \"Software\\C\"",
                     u"                     VALUENAME \"z\"",
                     u"                     VALUE \"2\"",
                     u"               END ACTIONLIST ",
                     u"               NAME \"High\"",
                     u"               VALUE \"high\"",
                     u"            END ITEMLIST"}) +
                  u"         ");
}
