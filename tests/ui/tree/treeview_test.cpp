#include "ui/tree/poltreeview.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <filesystem>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/tree/fakesheet.h"
#include "ui/app/pelwinapp.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/treemodel.h"

namespace {

// A template window's two panes over a small template:
//   MACHINE > Cat > { Policy A (check box, edit field), Sub > Policy B (text) }, Policy C
//   USER
class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureResources();
        cTemplateTree& tree = doc.Tree();
        machine =
            tree.InsertLast(nullptr, u"MACHINE", kImageClosedBook, std::make_unique<cObjClass>());
        category =
            tree.InsertLast(machine, u"Cat", kImageClosedBook, std::make_unique<cObjCategory>());
        policyA =
            tree.InsertLast(category, u"Policy A", kImagePage, Policy({u"CHECKBOX", u"EDITTEXT"}));
        sub = tree.InsertLast(category, u"Sub", kImageClosedBook, std::make_unique<cObjCategory>());
        policyB = tree.InsertLast(sub, u"Policy B", kImagePage, Policy({u"TEXT"}));
        policyC = tree.InsertLast(category, u"Policy C", kImagePage, Policy({u"LISTBOX"}));
        user = tree.InsertLast(nullptr, u"USER", kImageClosedBook, std::make_unique<cObjClass>());
        doc.SetModifiedFlag(0);

        splitter = std::make_unique<QSplitter>();
        view = new cPolTreeView(doc, splitter.get(), splitter.get());
        pane = new cPolLeaveView(&doc, splitter.get());
        splitter->addWidget(view);
        splitter->addWidget(pane);
        splitter->resize(900, 500);
    }
    void TearDown() override { splitter.reset(); }

    static std::unique_ptr<cObjPolicy> Policy(std::initializer_list<const char16_t*> kinds) {
        auto policy = std::make_unique<cObjPolicy>();
        for (const char16_t* kind : kinds)
            policy->AppendPart(CreatePartFromKeyword(kind, policy.get(), false));
        return policy;
    }
    QModelIndex IndexOf(cTreeItem* item) const { return view->TreeModel()->IndexFromItem(item); }
    int PanelCount() const { return int(pane->Canvas()->children().size()); }

    cFakeSheet sheet;
    cMessageRecorder messages;
    CPelwinDoc doc;
    cTreeItem* machine = nullptr;
    cTreeItem* category = nullptr;
    cTreeItem* policyA = nullptr;
    cTreeItem* sub = nullptr;
    cTreeItem* policyB = nullptr;
    cTreeItem* policyC = nullptr;
    cTreeItem* user = nullptr;
    std::unique_ptr<QSplitter> splitter;
    cPolTreeView* view = nullptr;   // Not owned.
    cPolLeaveView* pane = nullptr;  // Not owned.
};

TEST_F(TreeViewTest, ModelFollowsInsertionsChangesAndDeletions) {
    QAbstractItemModelTester tester(view->TreeModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    cTemplateTree& tree = doc.Tree();
    cTreeModel& model = *view->TreeModel();
    cTreeItem* first = tree.InsertFirst(category, u"First", kImagePage, Policy({}));
    cTreeItem* after = tree.InsertAfter(category, policyA, u"After A", kImagePage, Policy({}));
    EXPECT_EQ(IndexOf(first).row(), 0);
    EXPECT_EQ(model.ItemFromIndex(model.index(2, 0, IndexOf(category))), after);

    tree.SetItemText(policyA, u"Renamed");
    EXPECT_EQ(IndexOf(policyA).data().toString(), QStringLiteral("Renamed"));

    tree.DeleteItem(after);
    tree.DeleteItem(sub);
    EXPECT_EQ(model.rowCount(IndexOf(category)), 3);
    EXPECT_EQ(model.ItemFromIndex(model.index(2, 0, IndexOf(category))), policyC);
}

TEST_F(TreeViewTest, BooksOpenAndCloseWithTheirItems) {
    auto picture = [&](cTreeItem* item) {
        return IndexOf(item).data(Qt::DecorationRole).value<QPixmap>().toImage();
    };
    EXPECT_EQ(picture(category), cTreeModel::StateImage(kImageClosedBook).toImage());
    view->expand(IndexOf(machine));
    view->expand(IndexOf(category));
    EXPECT_EQ(category->stateImage, kImageOpenBook);
    EXPECT_EQ(picture(category), cTreeModel::StateImage(kImageOpenBook).toImage());
    EXPECT_NE(picture(category), picture(sub));
    EXPECT_EQ(sub->stateImage, kImageClosedBook);

    view->collapse(IndexOf(category));
    EXPECT_EQ(category->stateImage, kImageClosedBook);
    EXPECT_EQ(machine->stateImage, kImageOpenBook);
    EXPECT_EQ(policyA->stateImage, kImagePage);
}

TEST_F(TreeViewTest, SelectingShowsThePolicysPartsAndNothingForContainers) {
    ASSERT_TRUE(view->Select(policyA));
    EXPECT_EQ(sheet.current, doc.Tree().NodeOf(policyA));
    // The policy's own empty panel and one per part.
    EXPECT_EQ(PanelCount(), 3);
    EXPECT_EQ(pane->TotalSize(), QSize(395, 100));

    ASSERT_TRUE(view->Select(policyC));
    EXPECT_FALSE(CtrlOf(doc.Tree().NodeOf(policyA))->HasPanel());
    EXPECT_EQ(PanelCount(), 2);

    ASSERT_TRUE(view->Select(category));
    EXPECT_EQ(PanelCount(), 1);
    EXPECT_EQ(pane->TotalSize(), QSize(0, 0));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TreeViewTest, RefusedMovesKeepTheOldSelectionAndAnEmptyPreview) {
    splitter->show();
    view->expandAll();
    ASSERT_TRUE(view->Select(policyA));
    auto stayed = [&] {
        EXPECT_EQ(view->SelectedItem(), policyA);
        EXPECT_EQ(view->currentIndex(), IndexOf(policyA));
        EXPECT_EQ(view->selectionModel()->selectedIndexes(), QModelIndexList{IndexOf(policyA)});
        EXPECT_EQ(PanelCount(), 0);
    };
    // The user cancelling the sheet's question is told nothing more.
    sheet.answer = kSheetCancelled;
    EXPECT_FALSE(view->Select(policyC));
    stayed();
    EXPECT_TRUE(messages.texts.empty());

    // A failing sheet is reported once per move, by mouse or by key.
    sheet.answer = kSheetFailed;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(IndexOf(policyC)).center());
    EXPECT_EQ(messages.severities, std::vector<int>{kSeverityError});
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(messages.severities, (std::vector<int>{kSeverityError, kSeverityError}));
    stayed();

    sheet.answer = kSheetShown;
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->SelectedItem(), sub);
    // A control click does not leave the tree without a selection.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(IndexOf(sub)).center());
    EXPECT_EQ(view->selectionModel()->selectedIndexes(), QModelIndexList{IndexOf(sub)});
}

TEST_F(TreeViewTest, DeletingACategoryTakesItsSubtreeAndMovesTheSelection) {
    QAbstractItemModelTester tester(view->TreeModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(view->Select(policyB));
    const size_t before = doc.Tree().ItemCount();

    view->DeleteItem(category);

    EXPECT_EQ(doc.Tree().ItemCount(), before - 5);
    EXPECT_EQ(view->TreeModel()->rowCount(IndexOf(machine)), 0);
    EXPECT_TRUE(doc.IsModified());
    // The category had no sibling: its parent takes the selection, and shows nothing.
    EXPECT_EQ(view->SelectedItem(), machine);
    EXPECT_EQ(sheet.current, doc.Tree().NodeOf(machine));
    EXPECT_EQ(PanelCount(), 1);

    // An empty category marks the template modified too.
    cTreeItem* empty =
        doc.Tree().InsertLast(user, u"Empty", kImageClosedBook, std::make_unique<cObjCategory>());
    doc.SetModifiedFlag(0);
    view->DeleteItem(empty);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view->SelectedItem(), machine);
}

TEST_F(TreeViewTest, DeletingTheSelectionPrefersTheNextSibling) {
    ASSERT_TRUE(view->Select(policyA));
    view->DeleteItem(policyA);
    EXPECT_EQ(view->SelectedItem(), sub);

    // A refused move off a doomed item leaves nothing selected.
    ASSERT_TRUE(view->Select(policyC));
    sheet.answer = kSheetCancelled;
    view->DeleteItem(policyC);
    EXPECT_EQ(view->SelectedItem(), nullptr);
    EXPECT_FALSE(view->selectionModel()->hasSelection());
    EXPECT_EQ(sheet.current, nullptr);
}

TEST_F(TreeViewTest, DoubleClickShowsTheSheetWithoutActivatingIt) {
    splitter->show();
    view->expandAll();
    const QPoint label = view->visualRect(IndexOf(category)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, label);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, label);
    EXPECT_EQ(sheet.windowShows, std::vector<bool>{false});
    EXPECT_EQ(view->SelectedItem(), category);
}

TEST_F(TreeViewTest, ActivationHandsTheSelectionToTheSheet) {
    ASSERT_TRUE(view->Select(policyA));
    sheet.current = nullptr;
    sheet.given.clear();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(view, &focusIn);
    EXPECT_EQ(sheet.given, std::vector<cData*>{doc.Tree().NodeOf(policyA)});

    // A menu handing the focus back is no activation.
    QFocusEvent fromMenu(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(view, &fromMenu);
    EXPECT_EQ(sheet.given.size(), 1u);
}

// Expanding everything opens only the books of containers: every policy keeps its page, and
// a container without children its closed book.
void ExpectBooksAfterExpandingAll(cTemplateTree& tree, bool expanded) {
    int policies = 0;
    tree.ForEachPreOrder([&](cTreeItem* item) {
        if (dynamic_cast<cObjPolicy*>(item->node.get())) {
            ++policies;
            EXPECT_EQ(item->stateImage, kImagePage) << ToUtf8(item->label);
        } else {
            int book = expanded && !item->children.empty() ? kImageOpenBook : kImageClosedBook;
            EXPECT_EQ(item->stateImage, book) << ToUtf8(item->label);
        }
    });
    EXPECT_GT(policies, 0);
}

// A label that reads right to left begins at its right end: past the pane's edge it is cut
// at its own end, so that its start shows. Labels that read left to right are drawn whole
// and scrolled to.
TEST_F(TreeViewTest, RightToLeftLabelsKeepTheirStartInView) {
    const QString hebrew = QString::fromUtf8(
        "\xd7\x94\xd7\x92\xd7\x93\xd7\xa8\xd7\x95\xd7\xaa \xd7\x9e\xd7\x93\xd7"
        "\x99\xd7\xa0\xd7\x99\xd7\x95\xd7\xaa ");
    const QString rtl = hebrew.repeated(8);
    const QString ltr = QString("Settings of the policy ").repeated(8);
    cTreeItem* right = doc.Tree().InsertLast(category, rtl.toStdU16String(), kImagePage,
                                             std::make_unique<cObjPolicy>());
    cTreeItem* left = doc.Tree().InsertLast(category, ltr.toStdU16String(), kImagePage,
                                            std::make_unique<cObjPolicy>());
    splitter->show();
    view->expandAll();
    QApplication::processEvents();
    ASSERT_LT(view->viewport()->width(), view->fontMetrics().horizontalAdvance(rtl));

    QString shown = view->LabelShown(IndexOf(right));
    EXPECT_LT(shown.size(), rtl.size());
    EXPECT_TRUE(shown.startsWith(hebrew.left(10))) << shown.toStdString();
    QRect cell = view->visualRect(IndexOf(right));
    EXPECT_LE(cell.left() + view->fontMetrics().horizontalAdvance(shown),
              view->viewport()->width());
    EXPECT_EQ(view->LabelShown(IndexOf(left)), ltr);
    EXPECT_EQ(view->LabelShown(IndexOf(policyA)), "Policy A");

    // Scrolled to the right, more of it shows.
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_GT(view->LabelShown(IndexOf(right)).size(), shown.size());
}

TEST_F(TreeViewTest, ExpandingAllKeepsEveryPolicysOwnImage) {
    splitter->show();
    view->expandAll();
    ExpectBooksAfterExpandingAll(doc.Tree(), true);
    view->collapseAll();
    ExpectBooksAfterExpandingAll(doc.Tree(), false);

    // The column takes the width of the widest label once the changes are done.
    doc.Tree().SetItemText(policyB, Text(200, u'W'));
    view->expandAll();
    QApplication::processEvents();
    EXPECT_GE(view->header()->sectionSize(0), view->visualRect(IndexOf(policyB)).right());
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
}

TEST(TreeViewCorpus, ExpandingARealTemplateKeepsEveryPolicysOwnImage) {
    const std::string path = std::string(TESSARY_CORPUS_DIR) + "/chrome-de-DE.adm";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "corpus absent";
    EnsureResources();
    cFakeSheet sheet;
    cMessageRecorder messages;
    CPelwinDoc doc;
    QSplitter splitter;
    auto* view = new cPolTreeView(doc, &splitter, &splitter);
    ASSERT_TRUE(doc.ReadFile(FromUtf8(path)));
    splitter.resize(750, 500);
    splitter.show();
    view->expandAll();
    ExpectBooksAfterExpandingAll(doc.Tree(), true);
}

}  // namespace
