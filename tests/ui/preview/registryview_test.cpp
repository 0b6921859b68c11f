#include "ui/preview/registryview.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "core/check/policyplace.h"
#include "core/document/document.h"
#include "core/edit/treeselection.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/tree/fakesheet.h"
#include "ui/preview/polleaveview.h"

namespace {

const char kTemplate[] =
    "CLASS USER\nCATEGORY Cat\n KEYNAME Software\\T\n"
    " POLICY \"Pol\"\n  VALUENAME on VALUEOFF NUMERIC 0\n"
    "  PART \"Box\" CHECKBOX VALUENAME box END PART\n"
    "  PART \"Mode\" DROPDOWNLIST VALUENAME mode ITEMLIST NAME !!Low VALUE NUMERIC 1\n"
    "   NAME !!High VALUE NUMERIC 2 END ITEMLIST END PART\n"
    "  PART \"Size\" NUMERIC VALUENAME size DEFAULT 4 END PART\n"
    " END POLICY\nEND CATEGORY\n[strings]\nLow=\"Low\"\nHigh=\"High\"\n";

class RegistryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        cTempFile file(kTemplate);
        cMessageRecorder messages;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ASSERT_TRUE(doc.ReadFile(file.PathText()));
        ForEachPolicy(doc, [&](const cTreeItem&, const cObjPolicy& found) {
            policy = const_cast<cObjPolicy*>(&found);
        });
        ASSERT_NE(policy, nullptr);
        pane = std::make_unique<cPolLeaveView>(&doc);
        pane->resize(600, 700);
        pane->show();
        view = pane->RegistryView();
    }
    void TearDown() override { pane.reset(); }

    // The enabled text once the queued refresh ran.
    QString Enabled() {
        QApplication::processEvents();
        return view->RegText(cPolicyState::Enabled);
    }
    template <typename T>
    T* Control(const char* name) const {
        return pane->Canvas()->findChild<T*>(QString::fromLatin1(name));
    }

    cFakeSheet sheet;
    CPelwinDoc doc;
    cObjPolicy* policy = nullptr;
    std::unique_ptr<cPolLeaveView> pane;
    cRegistryView* view = nullptr;
};

TEST_F(RegistryViewTest, FollowsThePanelsAndWritesUnderTheClassHive) {
    EXPECT_FALSE(view->CopyRegButton(cPolicyState::Enabled)->isEnabled());
    ShowInPreview(policy, pane.get());
    const QString head =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\T]\n";
    // The panels as they start: the box cleared, no item chosen, the numeric default.
    EXPECT_EQ(Enabled(), head +
                             "\"on\"=dword:00000001\n\"box\"=dword:00000000\n"
                             "; \"Mode\": no item chosen\n\"size\"=dword:00000004\n");
    EXPECT_EQ(view->RegText(cPolicyState::Disabled),
              head + "\"on\"=dword:00000000\n\"box\"=-\n\"mode\"=-\n\"size\"=-\n");
    EXPECT_EQ(view->TextOf(cPolicyState::Enabled)->toPlainText(), Enabled());
    EXPECT_TRUE(view->CopyRegButton(cPolicyState::Enabled)->isEnabled());

    // What the user changes in the panels, the view follows; nothing reaches the template.
    Control<QCheckBox>("check")->setChecked(true);
    Control<QComboBox>("list")->setCurrentText("High");
    Control<QLineEdit>("edit")->setText("12");
    EXPECT_EQ(Enabled(), head +
                             "\"on\"=dword:00000001\n\"box\"=dword:00000001\n"
                             "\"mode\"=dword:00000002\n\"size\"=dword:0000000c\n");
    EXPECT_FALSE(doc.IsModified());

    // An edit of the policy's data, as the sheet or an undo makes it, shows too.
    policy->valueOn.emplace();
    policy->valueOn->valueText = u"yes";
    doc.Tree().NotifyDataChanged(policy->treeItem, policy);
    EXPECT_TRUE(Enabled().contains("\"on\"=\"yes\"\n")) << Enabled().toStdString();

    // Leaving the policy leaves nothing to show.
    AllowSelectionMove(policy, nullptr, pane.get());
    EXPECT_TRUE(Enabled().isEmpty());
    EXPECT_FALSE(view->CopyCommandsButton(cPolicyState::Disabled)->isEnabled());
}

TEST_F(RegistryViewTest, CopiesForWindowsAndFoldsAway) {
    ShowInPreview(policy, pane.get());
    QApplication::processEvents();
    QTest::mouseClick(view->CopyRegButton(cPolicyState::Disabled), Qt::LeftButton);
    QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Windows Registry Editor Version 5.00\r\n\r\n"))
        << copied.toStdString();
    EXPECT_FALSE(copied.contains(QRegularExpression("[^\r]\n")));
    QTest::mouseClick(view->CopyCommandsButton(cPolicyState::Enabled), Qt::LeftButton);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
        "reg add \"HKCU\\Software\\T\" /v \"on\" /t REG_DWORD /d 1 /f\r\n"));

    // The view sits below the panels' viewport; folded, it gives the panels its room.
    const int open = pane->viewport()->height();
    EXPECT_EQ(view->geometry().top(), pane->viewport()->geometry().bottom() + 1);
    view->findChild<QToolButton*>("fold")->click();
    EXPECT_TRUE(view->IsFolded());
    EXPECT_GT(pane->viewport()->height(), open);
    EXPECT_EQ(view->geometry().top(), pane->viewport()->geometry().bottom() + 1);
    EXPECT_EQ(pane->verticalScrollBar()->maximum(),
              std::max(0, pane->TotalSize().height() - pane->viewport()->height()));
}

}  // namespace
