#include "ui/tree/dialogstringmap.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/adm/stringtable.h"
#include "core/adm/templatewriter.h"
#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"

namespace {

cStringMap Map(std::initializer_list<std::pair<Text, Text>> entries) {
    cStringMap map;
    for (const auto& [name, text] : entries)
        map.Set(name, text);
    return map;
}

QStringList Names(QTableWidget* list) {
    QStringList names;
    for (int row = 0; row < list->rowCount(); ++row)
        names << list->item(row, 0)->text();
    return names;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

TEST(StringTableDialog, AnEmptyTableDisablesTheFieldsUntilAdd) {
    cStringMap empty;
    cDialogStringMap dialog(empty);
    EXPECT_EQ(dialog.windowTitle(), "String table");
    EXPECT_EQ(dialog.list->rowCount(), 0);
    EXPECT_FALSE(dialog.searchString->isEnabled());
    EXPECT_FALSE(dialog.displayString->isEnabled());
    QTest::mouseClick(dialog.addButton, Qt::LeftButton);
    EXPECT_EQ(Names(dialog.list), QStringList({"<new>"}));
    EXPECT_TRUE(dialog.searchString->isEnabled());
    EXPECT_EQ(dialog.searchString->selectedText(), "<new>");
    QTest::mouseClick(dialog.deleteButton, Qt::LeftButton);
    EXPECT_EQ(dialog.list->rowCount(), 0);
    EXPECT_FALSE(dialog.displayString->isEnabled());
    EXPECT_TRUE(dialog.Result().Empty());
}

TEST(StringTableDialog, FieldsEditTheSelectedRowWhichStaysInPlace) {
    cStringMap map = Map({{u"b", u"Bee"}, {u"a", u"Ay"}, {u"c", u"Sea"}});
    cDialogStringMap dialog(map);
    EXPECT_EQ(Names(dialog.list), QStringList({"a", "b", "c"}));
    EXPECT_EQ(dialog.list->columnWidth(0), 200);
    EXPECT_EQ(dialog.searchString->text(), "a");
    Type(dialog.searchString, "z");
    Type(dialog.displayString, "Zed");
    EXPECT_EQ(Names(dialog.list), QStringList({"z", "b", "c"}));
    // The fields follow a keyboard move too.
    dialog.list->setFocus();
    QTest::keyClick(dialog.list, Qt::Key_Down);
    EXPECT_EQ(dialog.searchString->text(), "b");
    Type(dialog.displayString, "Changed");
    EXPECT_EQ(dialog.list->item(1, 1)->text(), "Changed");
    // "b" keeps its place, the renamed entry follows the names kept.
    EXPECT_EQ(dialog.Result().Entries(),
              (Map({{u"b", u"Changed"}, {u"c", u"Sea"}, {u"z", u"Zed"}}).Entries()));
    EXPECT_EQ(map.Entries(), (Map({{u"b", u"Bee"}, {u"a", u"Ay"}, {u"c", u"Sea"}}).Entries()));
}

TEST(StringTableDialog, OkReplacesTheTableAndRelabelsCancelLeavesAll) {
    CPelwinApp app;
    CPelwinDoc doc;
    doc.SetTreeView(&doc.Tree());
    doc.Strings() = Map({{u"Cat", u"Old"}});
    auto category = std::make_unique<cObjCategory>();
    category->name = u"!!Cat";
    cTreeItem* item = doc.Tree().InsertLast(nullptr, u"Old", kImageClosedBook, std::move(category));
    doc.SetModifiedFlag(0);

    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogStringMap*>(modal);
        ASSERT_NE(dialog, nullptr);
        Type(dialog->displayString, "Changed");
        QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    });
    EXPECT_FALSE(RunStringTableCommand(doc, nullptr));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(*doc.Strings().Find(u"Cat"), u"Old");

    // The change reaches the document as one step that undo takes back.
    struct cKeepingSink : cStepSink {
        bool Push(std::unique_ptr<cEditStep> step) override {
            steps.push_back(std::move(step));
            return steps.back()->Apply(*doc);
        }
        CPelwinDoc* doc = nullptr;
        std::vector<std::unique_ptr<cEditStep>> steps;
    } sink;
    sink.doc = &doc;
    doc.SetStepSink(&sink);
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogStringMap*>(modal);
        ASSERT_NE(dialog, nullptr);
        Type(dialog->displayString, "New");
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    EXPECT_TRUE(RunStringTableCommand(doc, nullptr));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(item->label, u"New");
    ASSERT_EQ(sink.steps.size(), 1u);
    EXPECT_EQ(sink.steps[0]->Label(), u"Edit string table");
    sink.steps[0]->Revert(doc);
    EXPECT_EQ(item->label, u"Old");
    doc.SetStepSink(nullptr);
}

// The filter shows the rows whose name or text holds it; "Remove unused" drops what no node
// refers to, and OK makes all of it one step that undo takes back.
TEST(StringTableDialog, FilterAndRemoveUnusedBecomeOneStep) {
    CPelwinApp app;
    CPelwinDoc doc;
    doc.SetTreeView(&doc.Tree());
    doc.Strings() = Map({{u"Cat", u"Category"},
                         {u"Old", u"Gone"},
                         {u"Sup", u"Windows"},
                         {u"Spare", u"category too"}});
    auto category = std::make_unique<cObjCategory>();
    category->name = u"!!Cat";
    cTreeItem* item = doc.Tree().InsertLast(nullptr, u"", kImageClosedBook, std::move(category));
    auto policy = std::make_unique<cObjPolicy>();
    policy->supportedFlag = 1;
    policy->supportedText = u"!!Sup";
    doc.Tree().InsertLast(item, u"", kImagePage, std::move(policy));
    doc.RefreshAllNodes();
    const cStringMap original = doc.Strings();
    struct cKeepingSink : cStepSink {
        bool Push(std::unique_ptr<cEditStep> step) override {
            steps.push_back(std::move(step));
            return steps.back()->Apply(*doc);
        }
        CPelwinDoc* doc = nullptr;
        std::vector<std::unique_ptr<cEditStep>> steps;
    } sink;
    sink.doc = &doc;
    doc.SetStepSink(&sink);

    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogStringMap*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->count->text(), "4 strings");
        Type(dialog->filter, "CATEG");
        QStringList shown;
        for (int row = 0; row < dialog->list->rowCount(); ++row)
            if (!dialog->list->isRowHidden(row))
                shown << dialog->list->item(row, 0)->text();
        EXPECT_EQ(shown, QStringList({"Cat", "Spare"}));
        EXPECT_EQ(dialog->count->text(), "2 of 4 strings");
        // The fields never edit a row the filter hides.
        EXPECT_EQ(dialog->searchString->text(), "Cat");
        dialog->filter->clear();
        QTest::mouseClick(dialog->removeUnusedButton, Qt::LeftButton);
        EXPECT_EQ(Names(dialog->list), QStringList({"Cat", "Sup"}));
        EXPECT_EQ(dialog->count->text(), "2 strings");
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    ASSERT_TRUE(RunStringTableCommand(doc, nullptr));
    EXPECT_EQ(doc.Strings().Entries(),
              (Map({{u"Cat", u"Category"}, {u"Sup", u"Windows"}}).Entries()));
    ASSERT_EQ(sink.steps.size(), 1u);
    sink.steps[0]->Revert(doc);
    EXPECT_EQ(doc.Strings().Entries(), original.Entries());
    doc.SetStepSink(nullptr);
}

// A long table shows more than a handful of rows at once, and the dialog can grow.
TEST(StringTableDialog, OpensShowingManyRowsAndResizes) {
    cStringMap map;
    for (int i = 0; i < 40; ++i)
        map.Set(u"name" + FromUtf8(std::to_string(i)), u"text");
    cDialogStringMap dialog(map);
    dialog.show();
    QApplication::processEvents();
    auto rowsShown = [&dialog] {
        int shown = 0;
        for (int row = 0; row < dialog.list->rowCount(); ++row)
            if (dialog.list->viewport()->rect().contains(
                    dialog.list->visualRect(dialog.list->model()->index(row, 0))))
                ++shown;
        return shown;
    };
    EXPECT_GT(rowsShown(), 5);
    EXPECT_LT(dialog.minimumSize().height(), dialog.maximumSize().height());
    const int before = rowsShown();
    dialog.resize(dialog.width() + 200, dialog.height() + 300);
    QApplication::processEvents();
    EXPECT_GT(rowsShown(), before);
    EXPECT_GT(dialog.displayString->width(), 400);
}

// A real template's table through the dialog and OK, untouched: the saved text is the
// same, every display text whole, however long.
TEST(StringTableDialog, OkOnACorpusTemplateChangesNothingSaved) {
    std::filesystem::path source = CorpusDir() / "chrome-en-US.adm";
    if (CorpusDir().empty() || !std::filesystem::exists(source))
        GTEST_SKIP() << "no corpus";
    CPelwinApp app;
    cMessageRecorder messages;
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    ASSERT_TRUE(doc.ReadFile(FromUtf8(source.string())));
    Text before;
    ASSERT_TRUE(doc.WriteText(before));
    size_t longest = 0;
    for (const auto& entry : doc.Strings().Entries())
        longest = std::max(longest, entry.second.size());
    ASSERT_GT(longest, 511u);

    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogStringMap*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    cStringMap original = doc.Strings();
    ASSERT_TRUE(RunStringTableCommand(doc, nullptr));
    EXPECT_EQ(doc.Strings().Entries(), original.Entries());
    Text after;
    ASSERT_TRUE(doc.WriteText(after));
    EXPECT_TRUE(before == after);
    // The strings section written holds the original's texts, each one whole.
    cStringMap reread;
    ASSERT_TRUE(LoadStrings(after, reread));
    EXPECT_EQ(reread.Entries(), original.Entries());
}

// In an ADMX set, Remove unused keeps the display strings of the supported-on definitions,
// which no policy needs to show: without them the file would refer to strings it lacks.
TEST(StringTableDialog, RemoveUnusedKeepsSupportedOnStringsOfASet) {
    std::string admx = kSampleAdmx;
    const std::string reference = "      <supportedOn ref=\"SUPPORTED_Sample\"/>\n";
    admx.erase(admx.find(reference), reference.size());
    cTempSet set;
    set.Put("en-US/sample.adml", SampleAdml("en-US", "\n      <string id=\"Spare\">x</string>"));
    CPelwinApp app;
    cMessageRecorder messages;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", admx)));
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogStringMap*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->removeUnusedButton, Qt::LeftButton);
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    ASSERT_TRUE(RunStringTableCommand(doc, nullptr));
    EXPECT_FALSE(doc.Strings().Contains(u"Spare"));
    EXPECT_TRUE(doc.Strings().Contains(u"SUPPORTED_Sample"));
}
