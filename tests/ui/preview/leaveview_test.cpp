#include "ui/preview/polleaveview.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/document/document.h"
#include "core/edit/treeselection.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/tree/fakesheet.h"
#include "ui/tree/poltreeview.h"

namespace {

cItemList Item(Text name) {
    cItemList item;
    item.name = std::move(name);
    return item;
}

class LeaveViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.Strings().Set(u"known", u"Known text");
        pane = std::make_unique<cPolLeaveView>(&doc);
        pane->resize(300, 200);
    }
    void TearDown() override {
        pane.reset();
        policy.reset();
    }

    template <typename Part = cObjPolPart>
    Part* Add(const char16_t* keyword, Text name = u"Label") {
        cObjPolPart* part = policy->AppendPart(CreatePartFromKeyword(keyword, policy.get(), false));
        part->name = std::move(name);
        return dynamic_cast<Part*>(part);
    }
    void Show() { ShowInPreview(policy.get(), pane.get()); }
    // The panel of a part, a widget of the pane.
    QWidget* PanelOf(int index) const {
        QList<QWidget*> panels;
        for (QObject* child : pane->Canvas()->children())
            if (auto* widget = qobject_cast<QWidget*>(child); widget && widget->height() > 0)
                panels.append(widget);
        return panels.value(index);
    }
    template <typename T>
    T* Control(int index, const char* name) const {
        return PanelOf(index)->findChild<T*>(QString::fromLatin1(name));
    }

    cFakeSheet sheet;
    CPelwinDoc doc;
    std::unique_ptr<cObjPolicy> policy = std::make_unique<cObjPolicy>();
    std::unique_ptr<cPolLeaveView> pane;
};

TEST_F(LeaveViewTest, TwentyCheckBoxesScrollByTenthsOfTheirHeight) {
    for (int i = 0; i < 20; ++i)
        Add(u"CHECKBOX");
    pane->show();
    Show();
    EXPECT_EQ(pane->TotalSize(), QSize(395, 700));
    QScrollBar* vertical = pane->verticalScrollBar();
    EXPECT_EQ(vertical->maximum(), 700 - pane->viewport()->height());
    EXPECT_EQ(vertical->pageStep(), 70);
    EXPECT_EQ(vertical->singleStep(), 7);
    EXPECT_EQ(pane->horizontalScrollBar()->pageStep(), 39);
    EXPECT_EQ(pane->horizontalScrollBar()->singleStep(), 3);

    // Scrolling moves the panels; showing anew starts at the top again.
    vertical->setValue(350);
    EXPECT_EQ(PanelOf(10)->mapTo(pane->viewport(), QPoint()).y(), 0);
    Show();
    EXPECT_EQ(vertical->value(), 0);
}

struct LayoutCase {
    const char16_t* keyword;
    int height;
    const char* control;
    QRect controlRect;
    QRect frameRect;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << ToUtf8(c.keyword);
}

class PanelDialogUnits : public LeaveViewTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PanelDialogUnits, FollowTheLayoutTable) {
    const LayoutCase& c = GetParam();
    Add(u"TEXT");
    Add(c.keyword);
    Show();
    QWidget* panel = PanelOf(1);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->geometry(), QRect(0, 35, 395, c.height));
    QWidget* control = panel->findChild<QWidget*>(QString::fromLatin1(c.control));
    ASSERT_TRUE(control);
    EXPECT_EQ(control->geometry(), c.controlRect);
    auto* frame = panel->findChild<QGroupBox*>(QStringLiteral("frame"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->geometry(), c.frameRect);
    EXPECT_TRUE(frame->isHidden());
    EXPECT_EQ(pane->TotalSize(), QSize(395, 35 + c.height));
}

INSTANTIATE_TEST_SUITE_P(
    Preview, PanelDialogUnits,
    ::testing::Values(LayoutCase{u"CHECKBOX", 35, "check", {7, 9, 213, 16}, {1, 0, 390, 29}},
                      LayoutCase{u"TEXT", 35, "text", {7, 13, 384, 17}, {3, 0, 390, 34}},
                      LayoutCase{u"EDITTEXT", 65, "edit", {135, 16, 247, 19}, {1, 0, 390, 65}},
                      LayoutCase{u"COMBOBOX", 65, "combo", {135, 16, 247, 19}, {1, 0, 390, 65}},
                      LayoutCase{u"DROPDOWNLIST", 65, "list", {135, 16, 247, 19}, {1, 0, 390, 65}},
                      LayoutCase{u"LISTBOX", 65, "show", {135, 13, 75, 22}, {3, 0, 390, 65}},
                      LayoutCase{u"NUMERIC", 65, "updown", {364, 16, 18, 19}, {1, 0, 390, 65}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return ToUtf8(info.param.keyword); });

TEST_F(LeaveViewTest, TextsResolveThroughTheDocumentsStrings) {
    Add(u"EDITTEXT", u"!!known");
    Add(u"EDITTEXT", u"!!missing");
    auto* combo = Add<cObjPolPartCombo>(u"COMBOBOX");
    combo->suggestions.push_back(cSuggestion{u"!!known"});
    combo->suggestions.push_back(cSuggestion{u"!!missing"});
    Show();
    EXPECT_EQ(Control<QLabel>(0, "label")->text(), QStringLiteral("Known text"));
    EXPECT_EQ(Control<QLabel>(1, "label")->text(), QStringLiteral("!!missing"));
    auto* box = Control<QComboBox>(2, "combo");
    EXPECT_EQ(box->itemText(0), QStringLiteral("!!missing"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("Known text"));
}

TEST_F(LeaveViewTest, AmpersandsAreMnemonicsOnlyWhereTheControlTakesThem) {
    const Text name = u"Save && &Load";
    for (const char16_t* keyword :
         {u"CHECKBOX", u"TEXT", u"LISTBOX", u"EDITTEXT", u"COMBOBOX", u"DROPDOWNLIST", u"NUMERIC"})
        Add(keyword, name);
    Show();
    auto* check = Control<QCheckBox>(0, "check");
    EXPECT_EQ(check->text(), QStringLiteral("Save && &Load"));
    // The caption marks its letter but takes no key from the editor's menus.
    EXPECT_TRUE(check->shortcut().isEmpty());
    EXPECT_EQ(Control<QWidget>(1, "text")->accessibleName(), QStringLiteral("Save & Load"));
    EXPECT_EQ(Control<QWidget>(2, "label")->accessibleName(), QStringLiteral("Save & Load"));
    for (int i = 3; i < 7; ++i) {
        auto* label = Control<QLabel>(i, "label");
        EXPECT_EQ(label->text(), QStringLiteral("Save && &Load"));
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_TRUE(label->wordWrap());
    }
}

TEST_F(LeaveViewTest, ListsAreSortedAndTheComboBoxTakesAtMostItsMaximumLength) {
    auto* combo = Add<cObjPolPartCombo>(u"COMBOBOX");
    combo->maxLenFlag = 1;
    combo->maxLen = u"10";
    combo->defaultFlag = 1;
    combo->defaultText = u"start";
    combo->suggestions = {cSuggestion{u"beta"}, cSuggestion{u"Alpha"}, cSuggestion{u"gamma"}};
    auto* list = Add<cObjPolPartDropDown>(u"DROPDOWNLIST");
    for (const char16_t* name : {u"zeta", u"Beta", u"alpha"})
        list->itemList.push_back(Item(name));
    Show();
    auto items = [](QComboBox* box) {
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown.append(box->itemText(i));
        return shown;
    };

    auto* box = Control<QComboBox>(0, "combo");
    EXPECT_EQ(items(box), (QStringList{"Alpha", "beta", "gamma"}));
    // The edit text is the default, not the first entry of the list.
    EXPECT_EQ(box->currentText(), QStringLiteral("start"));
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("0123456789ABCDE"));
    EXPECT_EQ(box->currentText(), QStringLiteral("0123456789"));
    EXPECT_EQ(box->count(), 3);

    auto* dropDown = Control<QComboBox>(1, "list");
    EXPECT_FALSE(dropDown->isEditable());
    EXPECT_EQ(items(dropDown), (QStringList{"alpha", "Beta", "zeta"}));
    EXPECT_EQ(dropDown->currentIndex(), -1);
    // The list's default item shows selected, wherever sorting put it.
    list->itemList[0].defaultFlag = 1;
    list->UpdateDisplay();
    EXPECT_EQ(dropDown->currentText(), QStringLiteral("zeta"));

    // A default longer than the maximum length shows whole; typing cannot lengthen it.
    combo->maxLen = u"3";
    combo->defaultText = u"abcdef";
    combo->UpdateDisplay();
    EXPECT_EQ(box->currentText(), QStringLiteral("abcdef"));
    QTest::keyClick(box->lineEdit(), Qt::Key_End);
    QTest::keyClicks(box->lineEdit(), QStringLiteral("g"));
    EXPECT_EQ(box->currentText(), QStringLiteral("abcdef"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(box->currentText(), QStringLiteral("abcde"));
}

TEST_F(LeaveViewTest, FocusingADropDownListHandsItsPartToTheSheet) {
    EXPECT_EQ(pane->TotalSize(), QSize(0, 0));
    Add(u"CHECKBOX");
    auto* list = Add(u"DROPDOWNLIST");
    Show();
    pane->show();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(Control<QComboBox>(1, "list"), &focusIn);
    EXPECT_EQ(sheet.current, list);
    EXPECT_EQ(pane->SelectedPart(), list);
    // Its double click still shows the sheet, activated.
    QTest::mouseDClick(Control<QComboBox>(1, "list"), Qt::LeftButton);
    EXPECT_EQ(sheet.windowShows, std::vector<bool>{true});
}

TEST_F(LeaveViewTest, RefreshingAnEditFieldWithoutDefaultEmptiesIt) {
    auto* edit = Add<cObjPolPartEditText>(u"EDITTEXT");
    edit->defaultFlag = 1;
    edit->defaultText = u"!!known";
    edit->maxLenFlag = 1;
    edit->maxLen = u"3";
    Show();
    auto* field = Control<QLineEdit>(0, "edit");
    EXPECT_TRUE(field->isReadOnly());
    // A read-only field shows its whole default, even beyond the length limit.
    EXPECT_EQ(field->text(), QStringLiteral("Known text"));

    edit->name = u"Renamed";
    edit->defaultFlag = 0;
    edit->UpdateDisplay();
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(Control<QLabel>(0, "label")->text(), QStringLiteral("Renamed"));
}

TEST_F(LeaveViewTest, InputHandsThePartToTheSheet) {
    auto* check = Add(u"CHECKBOX");
    auto* edit = Add(u"EDITTEXT");
    auto* list = Add(u"LISTBOX");
    auto* text = Add(u"TEXT");
    auto* number = Add<cObjPolPartNum>(u"NUMERIC");
    number->defaultFlag = 1;
    number->defaultValue = u"41";
    number->maxFlag = 1;
    number->max = u"41";
    Show();
    pane->show();

    QTest::mouseClick(Control<QCheckBox>(0, "check"), Qt::LeftButton);
    EXPECT_EQ(sheet.current, check);
    EXPECT_EQ(pane->SelectedPart(), check);
    EXPECT_FALSE(dynamic_cast<cObjPolPart*>(edit)->IsSelected());

    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(Control<QLineEdit>(1, "edit"), &focusIn);
    EXPECT_EQ(sheet.current, edit);
    EXPECT_EQ(pane->SelectedPart(), edit);

    // One click on "Show..." does nothing; a double click hands over and shows the sheet.
    QPushButton* show = Control<QPushButton>(2, "show");
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(sheet.current, edit);
    QTest::mouseDClick(show, Qt::LeftButton);
    EXPECT_EQ(sheet.current, list);
    EXPECT_EQ(sheet.windowShows, std::vector<bool>{true});

    // The text part's static text lets clicks through to its panel.
    QTest::mouseClick(Control<QWidget>(3, "text"), Qt::LeftButton);
    EXPECT_EQ(sheet.current, text);
    QTest::mouseDClick(PanelOf(3), Qt::LeftButton, {}, QPoint(390, 30));
    EXPECT_EQ(sheet.windowShows, (std::vector<bool>{true, true}));

    // The arrows change the number shown, beyond the part's maximum, and nothing else.
    auto* field = Control<QLineEdit>(4, "edit");
    QWidget* arrows = Control<QWidget>(4, "updown");
    QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 3));
    EXPECT_EQ(field->text(), QStringLiteral("42"));
    EXPECT_EQ(sheet.current, number);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->text(), QStringLiteral("40"));
    EXPECT_EQ(number->defaultValue, u"41");
}

TEST_F(LeaveViewTest, PanelsGoWithTheSelectionAndWithThePane) {
    Add(u"CHECKBOX");
    Add(u"COMBOBOX");
    cObjPolicy other;
    other.AppendPart(CreatePartFromKeyword(u"NUMERIC", &other, false));
    Show();
    EXPECT_EQ(pane->Canvas()->children().size(), 3);
    EXPECT_TRUE(AllowSelectionMove(policy.get(), &other, pane.get()));
    EXPECT_EQ(pane->Canvas()->children().size(), 2);
    // Moving to nothing only takes the panels away.
    EXPECT_TRUE(AllowSelectionMove(&other, nullptr, pane.get()));
    EXPECT_TRUE(pane->Canvas()->children().isEmpty());

    // A pane that goes first takes the panels from their nodes.
    Show();
    pane.reset();
    EXPECT_FALSE(policy->HasPanel());
    EXPECT_FALSE(policy->Parts()[0]->HasPanel());
}

// A policy of more panels than the pane makes at once gets the panels in view first and the
// rest as the pane scrolls to them; until then a part keeps its selection and refreshes.
TEST_F(LeaveViewTest, ALargePolicyGetsItsPanelsAsThePaneScrollsToThem) {
    constexpr int kParts = 200;
    constexpr int kLate = 150;
    for (int i = 0; i < kParts; ++i)
        Add(i == kLate ? u"EDITTEXT" : u"CHECKBOX");
    auto* late = dynamic_cast<cObjPolPartEditText*>(policy->Parts()[kLate].get());
    late->defaultFlag = 1;
    late->defaultText = u"!!known";
    pane->show();
    Show();
    const int top = kLate * 35;
    EXPECT_EQ(pane->TotalSize(), QSize(395, (kParts - 1) * 35 + 65));
    EXPECT_EQ(pane->verticalScrollBar()->pageStep(), pane->TotalSize().height() / 10);
    EXPECT_LT(pane->Canvas()->children().size(), 20);

    // The part without a widget yet is selected, refreshed, and found as the selected one.
    late->ShowSelection(1);
    EXPECT_EQ(late->IsSelected(), 1);
    EXPECT_EQ(pane->SelectedPart(), late);
    late->name = u"Renamed";
    late->defaultFlag = 0;
    late->UpdateDisplay();

    pane->verticalScrollBar()->setValue(top);
    QWidget* panel = PanelOf(kLate);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->geometry(), QRect(0, top, 395, 65));
    EXPECT_EQ(panel->mapTo(pane->viewport(), QPoint()).y(), 0);
    EXPECT_EQ(Control<QLabel>(kLate, "label")->text(), QStringLiteral("Renamed"));
    EXPECT_EQ(Control<QLineEdit>(kLate, "edit")->text(), QString());
    EXPECT_FALSE(Control<QGroupBox>(kLate, "frame")->isHidden());
    EXPECT_EQ(pane->SelectedPart(), late);
    // Input on the late panel reaches the sheet like on any other.
    QTest::mouseClick(Control<QCheckBox>(kLate + 1, "check"), Qt::LeftButton);
    EXPECT_EQ(sheet.current, policy->Parts()[kLate + 1].get());

    // Panels made and panels still owed go with the pane alike.
    pane.reset();
    for (const auto& part : policy->Parts())
        EXPECT_FALSE(part->HasPanel());
}

TEST_F(LeaveViewTest, BorderMarksTheActiveViewAndPanelsTakeNoFocus) {
    QWidget window;
    auto* splitter = new QSplitter(&window);
    auto* tree = new cPolTreeView(doc, nullptr, splitter);
    pane->setParent(splitter);
    splitter->addWidget(tree);
    splitter->addWidget(pane.get());
    splitter->resize(800, 400);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    tree->setFocus();
    EXPECT_FALSE(pane->HasActiveBorder());
    Add(u"EDITTEXT");
    Add(u"COMBOBOX");
    Show();
    EXPECT_EQ(QApplication::focusWidget(), tree);

    pane->setFocus();
    EXPECT_TRUE(pane->HasActiveBorder());
    // A click in the combo box gives it the focus, which hands its part to the sheet.
    QTest::mouseClick(Control<QComboBox>(1, "combo")->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(sheet.current, policy->Parts()[1].get());
    EXPECT_TRUE(pane->HasActiveBorder());
    tree->setFocus();
    EXPECT_FALSE(pane->HasActiveBorder());
    pane->setParent(nullptr);
}

// How long selecting a policy of many parts takes, from the old panels going to the new ones
// painted; a frame of the screen is about 16 ms. The real templates have policies of one
// part at most, so the policy is added to one of them, its labels from its string table.
TEST(LeaveViewTiming, RebuildingAPolicyOfManyPartsFitsInAFrame) {
    SKIP_WITHOUT_CORPUS();
    cFakeSheet sheet;
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    for (const std::filesystem::path& path : CorpusFiles()) {
        if (path.filename() == "chrome-en-US.adm") {
            ASSERT_TRUE(doc.ReadFile(FromUtf8(path.string())));
        }
    }
    std::vector<Text> names{u"A label long enough to wrap onto a second line"};
    for (const auto& entry : doc.Strings().Entries())
        names.push_back(u"!!" + entry.first);

    constexpr int kParts = 42;
    auto policy = std::make_unique<cObjPolicy>();
    const char16_t* kinds[] = {u"CHECKBOX",     u"TEXT",    u"EDITTEXT", u"COMBOBOX",
                               u"DROPDOWNLIST", u"LISTBOX", u"NUMERIC"};
    for (size_t i = 0; i < kParts; ++i) {
        cObjPolPart* part =
            policy->AppendPart(CreatePartFromKeyword(kinds[i % 7], policy.get(), false));
        part->name = names[i % names.size()];
        if (auto* list = dynamic_cast<cObjPolPartDropDown*>(part))
            for (size_t k = 0; k < 20; ++k)
                list->itemList.push_back(Item(names[(i * 20 + k) % names.size()]));
    }
    cTreeItem* big = doc.Tree().InsertLast(nullptr, u"Big", kImagePage, std::move(policy));
    cTreeItem* other = doc.Tree().InsertLast(nullptr, u"Other", kImageClosedBook,
                                             std::make_unique<cObjCategory>());
    QSplitter splitter;
    auto* tree = new cPolTreeView(doc, &splitter, &splitter);
    auto* pane = new cPolLeaveView(&doc, &splitter);
    splitter.addWidget(tree);
    splitter.addWidget(pane);
    splitter.resize(1200, 800);
    splitter.show();

    std::vector<qint64> times;
    for (int i = 0; i < 21; ++i) {
        ASSERT_TRUE(tree->Select(other));
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(tree->Select(big));
        pane->viewport()->repaint();
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "[ timing   ] selecting a policy of %d parts (labels from %zu strings): median "
        "%.2f ms, worst %.2f ms\n",
        kParts, names.size(), double(times[times.size() / 2]) / 1e6, double(times.back()) / 1e6);
    EXPECT_EQ(pane->Canvas()->children().size(), kParts + 1);
}

}  // namespace
