#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <memory>

#include <gtest/gtest.h>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiSubWindow>

#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/poltreeview.h"
#include "ui/widgets/look.h"

namespace {

QStringList MenuBarTitles(const CMainFrame& frame) {
    QStringList titles;
    for (const QAction* action : frame.menuBar()->actions())
        titles << action->text();
    return titles;
}

// The caption as the window system shows it.
QString Caption(const QWidget& window) {
    return window.windowHandle() ? window.windowHandle()->title() : QString();
}

// Items of a menu as "text|shortcuts", separators as "-", hidden items left out.
QStringList Items(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items << "-";
            continue;
        }
        if (!action->isVisible())
            continue;
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString();
        items << action->text() + "|" + keys.join(", ");
    }
    return items;
}

class UiApp : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        QSettings().remove("Recent File List");
        messages = std::make_unique<cMessageRecorder>();
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary", "ignored.adm"}));
        frame = app->MainFrame();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        messages.reset();
        app.reset();
        QSettings().remove("Recent File List");
    }

    // A template with nothing but a comment: it opens as an empty tree.
    QString WriteTemplate(const QString& name, const QByteArray& text = "; nothing yet\r\n") {
        QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    // A template of one category holding one policy.
    QString WritePolicyTemplate(const QString& name, const QByteArray& policy) {
        return WriteTemplate(name,
                             "CLASS MACHINE\r\nCATEGORY Cat\r\nKEYNAME Software\\Cat\r\n"
                             "POLICY " +
                                 policy + "\r\nEND POLICY\r\nEND CATEGORY\r\n");
    }
    // Selects the template's first policy in its window's tree; answers the node.
    cData* SelectPolicy(CPelwinDoc& doc) {
        auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(doc)->TreePane());
        cTreeItem* policy = doc.Tree().Root()->children[0]->children[0]->children[0].get();
        EXPECT_TRUE(tree && tree->Select(policy));
        return policy->node.get();
    }

    std::unique_ptr<CPelwinApp> app;
    std::unique_ptr<cMessageRecorder> messages;
    cScriptedPrompts prompts;
    CMainFrame* frame = nullptr;
    QTemporaryDir dir;
};

TEST_F(UiApp, StartsWithAnEmptyMainWindowWhateverTheCommandLine) {
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the welcome dialog went away
    EXPECT_TRUE(app->Docs().Documents().empty());
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 0);
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2");
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuNoDocument);
    EXPECT_EQ(MenuBarTitles(*frame), QStringList({"&File", "&View", "&Help"}));

    QFont font = SharedFont();
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.styleHint(), QFont::SansSerif);
    EXPECT_EQ(font.weight(), QFont::Normal);
}

TEST_F(UiApp, MenusFollowTheActiveTemplateWindow) {
    EXPECT_EQ(Items(frame->Menus()[0]),
              QStringList({"&New|Ctrl+N", "New ADM&X Template|", "&Open...|Ctrl+O", "-",
                           "P&rint Setup...|", "-", "Recent File|", "-", "E&xit|"}));
    EXPECT_EQ(Items(frame->Menus()[2]), QStringList({"&Help Topics|", "-", "&About Tessary|"}));

    CPelwinDoc* first = app->Docs().New();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuDocument);
    EXPECT_EQ(MenuBarTitles(*frame),
              QStringList({"&File", "&Edit", "&View", "&Policy", "&Tools", "&Window", "&Help"}));
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");
    QList<QMenu*> menus = frame->Menus();
    EXPECT_EQ(Items(menus[0]),
              QStringList({"&New|Ctrl+N", "New ADM&X Template|", "&Open...|Ctrl+O", "&Close|",
                           "&Save|Ctrl+S", "Save &As...|", "-", "&Export as ADMX...|",
                           "Export documentation &site...|", "-", "&Print...|Ctrl+P",
                           "P&rint Setup...|", "-", "Recent File|", "-", "E&xit|"}));
    EXPECT_EQ(Items(menus[1]),
              QStringList({"&Undo|Ctrl+Z, Alt+Backspace", "&Redo|Ctrl+Y, Ctrl+Shift+Z", "-",
                           "Cu&t|Ctrl+X, Shift+Del", "&Copy|Ctrl+C, Ctrl+Ins",
                           "&Paste |Ctrl+V, Shift+Ins", "Paste as &next |Ctrl+Shift+V",
                           "&Delete|Del", "-", "&Find...|Ctrl+F", "-", "P&roperties...|"}));
    EXPECT_EQ(Items(menus[4]), QStringList({"&Check template|", "Check for &MDM import|"}));
    // An ADM template is never uploaded to device management.
    frame->UpdateCommands();
    EXPECT_FALSE(frame->Command(cCommand::ToolsCheckMdm)->isEnabled());
    EXPECT_EQ(Items(menus[5]), QStringList({"&Cascade|", "&Tile|", "&Arrange Icons|", "-",
                                            "Compare &with...|", "-", "&1 New1|"}));
    EXPECT_EQ(Items(menus[6]), QStringList({"&Info|", "-", "&About Tessary|"}));

    CPelwinDoc* second = app->Docs().New();
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New2");
    frame->MdiArea()->setActiveSubWindow(frame->ChildOf(*first));
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");

    // A maximized window has no title bar: its modified mark moves into the caption, and
    // its own title stays out.
    first->SetModifiedFlag(1);
    frame->ChildOf(*first)->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1*");
    first->SetModifiedFlag(0);
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");
    first->SetModifiedFlag(1);
    frame->ChildOf(*first)->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");
    first->SetModifiedFlag(0);

    ASSERT_TRUE(app->Docs().Close(*first));
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuDocument);
    ASSERT_TRUE(app->Docs().Close(*second));
    QApplication::processEvents();
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuNoDocument);
    EXPECT_EQ(MenuBarTitles(*frame), QStringList({"&File", "&View", "&Help"}));
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2");
}

TEST_F(UiApp, CommandsAreEnabledOnlyWhenSomethingHandlesThem) {
    auto enabled = [this](cCommand id) { return frame->Command(id)->isEnabled(); };
    for (cCommand id :
         {cCommand::FileSave, cCommand::FileSaveAs, cCommand::FileClose, cCommand::EditProperties})
        EXPECT_FALSE(enabled(id));
    EXPECT_TRUE(enabled(cCommand::FileNew));
    EXPECT_TRUE(enabled(cCommand::FileOpen));
    EXPECT_TRUE(enabled(cCommand::About));

    app->Docs().New();
    for (cCommand id : {cCommand::FileSave, cCommand::FileSaveAs, cCommand::FileClose,
                        cCommand::EditProperties, cCommand::WindowTile})
        EXPECT_TRUE(enabled(id));
    for (cCommand id :
         {cCommand::FilePrint, cCommand::FilePrintSetup, cCommand::EditCut, cCommand::ContextHelp})
        EXPECT_FALSE(enabled(id));

    // The toolbar issues the same commands, in its order.
    QStringList buttons;
    for (QAction* action : frame->ToolBar()->actions())
        buttons << (action->isSeparator() ? "-" : action->toolTip());
    EXPECT_EQ(buttons, QStringList({"New", "Open", "Save", "-", "Cut", "Copy", "Paste", "-",
                                    "Translations", "-", "Print", "About", "Help"}));
}

TEST_F(UiApp, NewWindowIsSplitOneThirdToTwoThirds) {
    CPelwinDoc* doc = app->Docs().New();
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = frame->ChildOf(*doc);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->isVisible());
    EXPECT_EQ(child->windowTitle(), "New1[*]");
    QApplication::processEvents();

    QList<int> sizes = child->Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    // The panes take a third and two thirds of the frame's initial width.
    const int width = CChildFrame::InitialSize(frame->MdiArea()->viewport()->size()).width();
    EXPECT_GT(width, 300);
    EXPECT_EQ(sizes[0], width / 3);
    EXPECT_EQ(sizes[1], width * 2 / 3);
    EXPECT_EQ(child->PreviewPane()->palette().color(QPalette::Window), QColor(192, 192, 192));

    for (auto [width, left, right] :
         {std::tuple{300, 100, 200}, {301, 100, 200}, {302, 100, 201}, {2, 0, 1}})
        EXPECT_EQ(CChildFrame::InitialPaneWidths(width), std::make_pair(left, right)) << width;

    // Replacing a placeholder keeps the pane's size.
    auto* tree = new QWidget;
    child->SetTreePane(tree);
    EXPECT_EQ(child->TreePane(), tree);
    EXPECT_EQ(child->Splitter()->sizes(), sizes);
}

TEST_F(UiApp, F6MovesTheFocusBetweenThePanes) {
    CPelwinDoc* doc = app->Docs().New();
    CChildFrame* child = frame->ChildOf(*doc);
    EXPECT_EQ(child->focusWidget(), child->TreePane());
    frame->Command(cCommand::NextPane)->trigger();
    EXPECT_EQ(child->focusWidget(), child->PreviewPane());
    frame->Command(cCommand::PreviousPane)->trigger();
    EXPECT_EQ(child->focusWidget(), child->TreePane());
}

TEST_F(UiApp, ClosingAModifiedWindowAsksThroughTheSeam) {
    CPelwinDoc* doc = app->Docs().New();
    CChildFrame* child = frame->ChildOf(*doc);
    doc->SetModifiedFlag(1);
    EXPECT_TRUE(child->isWindowModified());

    prompts.answers = {cAnswer::Cancel};
    EXPECT_FALSE(child->close());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], u"Save changes to New1?");
    EXPECT_EQ(app->Docs().Documents().size(), 1u);
    EXPECT_TRUE(child->isVisible());

    // Yes, but the save dialog is cancelled: the window stays.
    prompts.answers = {cAnswer::Yes};
    EXPECT_FALSE(child->close());
    EXPECT_EQ(prompts.saveDialogs, 1);
    EXPECT_EQ(app->Docs().Documents().size(), 1u);

    QPointer<CChildFrame> watched(child);
    prompts.answers = {cAnswer::No};
    frame->Command(cCommand::FileClose)->trigger();
    EXPECT_TRUE(app->Docs().Documents().empty());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuNoDocument);
}

TEST_F(UiApp, SavingANewTemplateAsksFormatThenName) {
    CPelwinDoc* doc = app->Docs().New();
    CChildFrame* child = frame->ChildOf(*doc);
    doc->SetModifiedFlag(1);
    QString path = dir.filePath("saved.adm");
    prompts.formatChoice = 0;
    prompts.savePath = path.toStdU16String();
    frame->Command(cCommand::FileSave)->trigger();

    EXPECT_EQ(prompts.offeredFormats, std::vector<int>({1}));
    EXPECT_EQ(prompts.saveDialogs, 1);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(child->isWindowModified());
    EXPECT_EQ(child->windowTitle(), "saved.adm[*]");
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - saved.adm");
    EXPECT_EQ(frame->RecentFileActions()[0]->text(), "&1 " + QDir::toNativeSeparators(path));
}

TEST_F(UiApp, ExitAsksForEveryModifiedTemplateAndStopsOnCancel) {
    CPelwinDoc* first = app->Docs().New();
    CPelwinDoc* second = app->Docs().New();
    app->Docs().New();  // unchanged: closes without a question
    first->SetModifiedFlag(1);
    second->SetModifiedFlag(1);

    // Every question comes before any window closes; Cancel leaves all of them open.
    prompts.answers = {cAnswer::No, cAnswer::Cancel};
    frame->Command(cCommand::FileExit)->trigger();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(prompts.questions,
              (std::vector<Text>{u"Save changes to New1?", u"Save changes to New2?"}));
    ASSERT_EQ(app->Docs().Documents().size(), 3u);
    QApplication::processEvents();
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 3);
    // The window asked about last is in front.
    EXPECT_EQ(frame->ActiveDocument(), second);

    prompts.answers = {cAnswer::No, cAnswer::No};
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(app->Docs().Documents().empty());
}

TEST_F(UiApp, OpeningTheSameFileTwiceActivatesItsWindow) {
    QString path = WriteTemplate("one.adm");
    QString link = dir.filePath("link.adm");
    ASSERT_TRUE(QFile::link(path, link));
    prompts.openPath = path.toStdU16String();
    frame->Command(cCommand::FileOpen)->trigger();
    ASSERT_EQ(app->Docs().Documents().size(), 1u) << messages->Utf8().size();
    CPelwinDoc* opened = app->Docs().Documents()[0].get();
    app->Docs().New();
    EXPECT_EQ(frame->ActiveDocument()->Title(), u"New1");

    EXPECT_EQ(app->Docs().Open(link.toStdU16String()), opened);
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(frame->ActiveDocument(), opened);
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - one.adm");
}

TEST_F(UiApp, AWindowActivatedAfterAnOutsideChangeOffersToReload) {
    QString path = WriteTemplate("one.adm");
    CPelwinDoc* one = app->Docs().Open(path.toStdU16String());
    ASSERT_NE(one, nullptr);
    app->Docs().New();
    QApplication::processEvents();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("; another program was here\r\n");
    file.close();

    // Keep: the question once, the document as it was.
    prompts.answers = {cAnswer::No};
    frame->MdiArea()->activateNextSubWindow();
    QApplication::processEvents();
    ASSERT_EQ(frame->ActiveDocument(), one);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], u"one.adm has been changed by another program. Reload it?");
    frame->MdiArea()->activateNextSubWindow();
    frame->MdiArea()->activateNextSubWindow();
    QApplication::processEvents();
    EXPECT_EQ(prompts.questions.size(), 1u);

    // Reload: a fresh window for the file's new content.
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("; and once more\r\n");
    file.close();
    prompts.answers = {cAnswer::Yes};
    frame->MdiArea()->activateNextSubWindow();
    frame->MdiArea()->activateNextSubWindow();
    QApplication::processEvents();
    ASSERT_EQ(prompts.questions.size(), 2u);
    ASSERT_EQ(app->Docs().Documents().size(), 2u);
    CPelwinDoc* reloaded = app->Docs().FindByPath(path.toStdU16String());
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->TrailingComments().size(), 3u);
    EXPECT_EQ(frame->ActiveDocument(), reloaded);
}

TEST_F(UiApp, FailedOpenLeavesNoWindow) {
    QString empty = dir.filePath("empty.adm");
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_EQ(app->Docs().Open(empty.toStdU16String()), nullptr);
    EXPECT_EQ(messages->texts.size(), 1u);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 0);
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuNoDocument);
}

TEST_F(UiApp, FailedOpenChangesNothingOnScreen) {
    CPelwinDoc* first = app->Docs().New();
    CPelwinDoc* second = app->Docs().New();
    app->Docs().New();
    // The second window is the active one, the others behind it.
    frame->MdiArea()->setActiveSubWindow(frame->ChildOf(*second));
    QApplication::processEvents();
    const QList<QMdiSubWindow*> stacking = frame->MdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(frame->ActiveDocument(), second);

    QString empty = dir.filePath("empty.adm");
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_EQ(app->Docs().Open(empty.toStdU16String()), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_EQ(frame->ActiveDocument(), second);
    EXPECT_EQ(frame->MdiArea()->subWindowList(QMdiArea::StackingOrder), stacking);
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New2");
    (void)first;
}

TEST_F(UiApp, CaptionKeepsTheActiveTitleWhileTheApplicationIsInactive) {
    QApplication::setActiveWindow(frame);
    app->Docs().New();
    QApplication::processEvents();
    ASSERT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");
    ASSERT_TRUE(frame->isActiveWindow());
    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(Caption(*frame), "Tessary 2.0.2 - New1");
    EXPECT_EQ(frame->MenuId(), CMainFrame::kMenuDocument);
}

TEST_F(UiApp, OpeningThroughALinkShowsTheNameTheUserOpened) {
    QString path = WriteTemplate("target.adm");
    QString link = dir.filePath("shown.adm");
    ASSERT_TRUE(QFile::link(path, link));
    // The dialog is driven without its modal loop: a loaded machine can take longer to
    // show a file dialog than any wait a test could afford.
    QFileDialog dialog;
    cDialogPrompts::SetUpOpenDialog(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(link);
    QMetaObject::invokeMethod(&dialog, "accept");
    Text chosen;
    ASSERT_TRUE(cDialogPrompts::OpenPathChosen(dialog, chosen));
    EXPECT_EQ(QString::fromStdU16String(chosen), QFileInfo(link).absoluteFilePath());
    CPelwinDoc* doc = app->Docs().Open(chosen);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Title(), u"shown.adm");
    EXPECT_EQ(app->Docs().RecentFiles().front(), chosen);
}

TEST_F(UiApp, RecentFileThatFailsToOpenLeavesTheList) {
    QString good = WriteTemplate("good.adm");
    QString gone = dir.filePath("gone.adm");
    app->Docs().SetRecentFiles({gone.toStdU16String(), good.toStdU16String()});
    const auto& actions = frame->RecentFileActions();
    EXPECT_TRUE(actions[0]->isVisible());
    EXPECT_TRUE(actions[1]->isVisible());
    EXPECT_FALSE(actions[2]->isVisible());

    actions[0]->trigger();
    ASSERT_EQ(messages->severities, std::vector<int>({kSeverityError}));
    ASSERT_EQ(app->Docs().RecentFiles().size(), 1u);
    EXPECT_EQ(actions[0]->text(), "&1 " + QDir::toNativeSeparators(good));
    EXPECT_FALSE(actions[1]->isVisible());
    // The settings follow at once, so a crash cannot bring the entry back.
    EXPECT_EQ(CPelwinApp::LoadRecentFiles(), app->Docs().RecentFiles());

    actions[0]->trigger();
    EXPECT_EQ(app->Docs().Documents().size(), 1u);
}

TEST_F(UiApp, RecentFilesComeBackInTheNextRun) {
    std::vector<Text> files = {u"/tmp/a.adm", u"/tmp/b&c.adm"};
    CPelwinApp::SaveRecentFiles(files);
    QSettings settings;
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), "/tmp/a.adm");
    EXPECT_EQ(settings.value("Recent File List/File2").toString(), "/tmp/b&c.adm");
    EXPECT_FALSE(settings.contains("Recent File List/File3"));
    EXPECT_EQ(QCoreApplication::applicationName(), "Tessary 2.0.2");

    messages.reset();
    app.reset();
    app = std::make_unique<CPelwinApp>();
    messages = std::make_unique<cMessageRecorder>();
    app->SetWelcomeInterval(1);
    ASSERT_TRUE(app->InitInstance({}));
    EXPECT_EQ(app->Docs().RecentFiles(), files);
    EXPECT_EQ(app->MainFrame()->RecentFileActions()[1]->text(), "&2 /tmp/b&&c.adm");
}

TEST_F(UiApp, TheWindowThatBecomesActiveHandsItsSelectionToTheSheet) {
    CPelwinDoc* one = app->Docs().Open(
        WritePolicyTemplate("one.adm", "One\r\nPART Box CHECKBOX\r\nEND PART").toStdU16String());
    CPelwinDoc* two = app->Docs().Open(WritePolicyTemplate("two.adm", "Two").toStdU16String());
    ASSERT_TRUE(one && two);
    cData* nodeOne = SelectPolicy(*one);
    cData* nodeTwo = SelectPolicy(*two);
    cPropSheet* sheet = frame->Sheet();
    ASSERT_EQ(sheet->CurrentNode(), nodeTwo);

    // Whatever activates a window (the Window menu, Ctrl+Tab, a click) hands its node over.
    frame->MdiArea()->setActiveSubWindow(frame->ChildOf(*one));
    EXPECT_EQ(sheet->CurrentNode(), nodeOne);
    frame->MdiArea()->activateNextSubWindow();
    EXPECT_EQ(frame->ActiveDocument(), two);
    EXPECT_EQ(sheet->CurrentNode(), nodeTwo);

    // Closing the active window leaves the other one's node in the sheet, not an empty frame.
    frame->ChildOf(*two)->close();
    QApplication::processEvents();
    EXPECT_EQ(frame->ActiveDocument(), one);
    EXPECT_EQ(sheet->CurrentNode(), nodeOne);
    EXPECT_EQ(sheet->windowTitle(), "Policy Properties");
    EXPECT_EQ(sheet->Pages().size(), 2u);

    // Going to the sheet and back is no activation of another window: a part chosen in the
    // preview stays in the sheet.
    cData* part = static_cast<cObjPolicy*>(nodeOne)->Parts()[0].get();
    QApplication::setActiveWindow(frame);
    QApplication::processEvents();
    frame->ChildOf(*one)->PreviewPane()->setFocus();
    ASSERT_EQ(sheet->SetObject(part), kSheetShown);
    QApplication::setActiveWindow(sheet);
    QApplication::processEvents();
    QApplication::setActiveWindow(frame);
    QApplication::processEvents();
    EXPECT_EQ(sheet->CurrentNode(), part);
}

// The Window menu lists the template windows, the active one checked; choosing one brings it
// to the front. Titles and closed windows are followed.
TEST_F(UiApp, WindowMenuListsTheTemplateWindows) {
    CPelwinDoc* first = app->Docs().New();
    CPelwinDoc* second = app->Docs().New();
    QMenu* window = frame->Menus()[5];
    emit window->aboutToShow();
    EXPECT_EQ(Items(window), QStringList({"&Cascade|", "&Tile|", "&Arrange Icons|", "-",
                                          "Compare &with...|", "-", "&1 New1|", "&2 New2|"}));
    QList<QAction*> actions = window->actions();
    EXPECT_FALSE(actions[6]->isChecked());
    EXPECT_TRUE(actions[7]->isChecked());

    actions[6]->trigger();
    EXPECT_EQ(frame->ActiveDocument(), first);
    EXPECT_TRUE(window->actions()[6]->isChecked());
    EXPECT_FALSE(window->actions()[7]->isChecked());

    first->SetTitle(u"R&D.adm");
    frame->TitleChanged(*first);
    EXPECT_EQ(window->actions()[6]->text(), "&1 R&&D.adm");
    ASSERT_TRUE(app->Docs().Close(*first));
    QApplication::processEvents();
    EXPECT_EQ(Items(window), QStringList({"&Cascade|", "&Tile|", "&Arrange Icons|", "-",
                                          "Compare &with...|", "-", "&1 New2|"}));
    (void)second;
}

}  // namespace
