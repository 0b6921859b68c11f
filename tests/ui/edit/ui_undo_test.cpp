#include <gtest/gtest.h>
#include <QAction>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUndoGroup>

#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/poltreeview.h"
#include "ui/tree/treemodel.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Deleting in an open corpus template, saving, undoing and redoing through the editor's
// own commands.
TEST(UndoInTheEditor, DeleteSaveUndoSaveGivesTheOriginalBack) {
    std::filesystem::path source = CorpusDir() / "chrome-en-US.adm";
    if (CorpusDir().empty() || !std::filesystem::exists(source))
        GTEST_SKIP() << "no corpus";
    cScriptedPrompts prompts;
    cMessageRecorder messages;
    auto app = std::make_unique<CPelwinApp>();
    SetMessageSink(&messages);  // recorded, not shown in boxes
    QSettings().remove("Recent File List");
    app->SetPrompts(&prompts);
    app->SetWelcomeInterval(1);
    ASSERT_TRUE(app->InitInstance({"tessary"}));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString original = dir.filePath("original.adm");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(source.string()), original));

    // What the command line writes for the untouched template.
    QString converted = dir.filePath("converted.adm");
    QProcess cli;
    cli.start(TESSARY_CLI_PATH, {"convert", original, converted});
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    CMainFrame* frame = app->MainFrame();
    CPelwinDoc* doc = app->Docs().Open(original.toStdU16String());
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = frame->ChildOf(*doc);
    auto* view = qobject_cast<cPolTreeView*>(child->TreePane());
    ASSERT_NE(view, nullptr);
    QAction* undo = frame->Command(cCommand::EditUndo);
    QAction* redo = frame->Command(cCommand::EditRedo);
    frame->UpdateCommands();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    // A category holding policies, with its parent's child count before the delete.
    cTreeItem* category = nullptr;
    doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
        if (category || item->node->kind != kKindCategory)
            return;
        for (const auto& child : item->children)
            if (child->node->kind == kKindPolicy)
                category = item;
    });
    ASSERT_NE(category, nullptr);
    const std::vector<size_t> place = {category->parent->children.size(), category->row};
    const QString label = QString::fromStdU16String(category->label);
    const size_t items = doc->Tree().ItemCount();
    cTreeItem* parent = category->parent;
    view->expand(view->TreeModel()->IndexFromItem(category));
    ASSERT_EQ(category->stateImage, kImageOpenBook);
    ASSERT_TRUE(view->Select(category));

    frame->UpdateCommands();
    ASSERT_TRUE(frame->Command(cCommand::EditDelete)->isEnabled());
    frame->Command(cCommand::EditDelete)->trigger();
    EXPECT_LT(doc->Tree().ItemCount(), items);
    EXPECT_EQ(parent->children.size(), place[0] - 1);
    EXPECT_TRUE(child->isWindowModified());
    frame->UpdateCommands();
    EXPECT_EQ(undo->text(), "&Undo Delete category " + label);
    EXPECT_TRUE(undo->isEnabled());

    // Saved: the deleted state is the clean one, and the "*" goes.
    prompts.formatChoice = 1;
    prompts.savePath = dir.filePath("deleted.adm").toStdU16String();
    frame->Command(cCommand::FileSaveAs)->trigger();
    EXPECT_FALSE(child->isWindowModified());

    undo->trigger();
    EXPECT_EQ(doc->Tree().ItemCount(), items);
    ASSERT_EQ(parent->children.size(), place[0]);
    cTreeItem* restored = parent->children[place[1]].get();
    EXPECT_EQ(QString::fromStdU16String(restored->label), label);
    EXPECT_EQ(restored->stateImage, kImageOpenBook);
    EXPECT_TRUE(view->isExpanded(view->TreeModel()->IndexFromItem(restored)));
    EXPECT_EQ(view->SelectedItem(), restored);
    EXPECT_TRUE(child->isWindowModified());

    QString again = dir.filePath("again.adm");
    prompts.savePath = again.toStdU16String();
    frame->Command(cCommand::FileSaveAs)->trigger();
    EXPECT_FALSE(child->isWindowModified());
    EXPECT_TRUE(ReadAll(again) == ReadAll(converted));

    frame->UpdateCommands();
    ASSERT_TRUE(redo->isEnabled());
    EXPECT_EQ(redo->text(), "&Redo Delete category " + label);
    redo->trigger();
    EXPECT_EQ(parent->children.size(), place[0] - 1);
    EXPECT_LT(doc->Tree().ItemCount(), items);
    EXPECT_TRUE(child->isWindowModified());
    EXPECT_EQ(view->SelectedItem(), parent == doc->Tree().Root() ? nullptr : parent);
    undo->trigger();
    EXPECT_FALSE(child->isWindowModified());

    // A change made after an undo drops what could be redone.
    frame->UpdateCommands();
    ASSERT_TRUE(frame->Command(cCommand::EditDelete)->isEnabled());
    frame->Command(cCommand::EditDelete)->trigger();
    frame->UpdateCommands();
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(messages.texts.empty());

    doc->SetModifiedFlag(0);
    app.reset();
    QSettings().remove("Recent File List");
}

}  // namespace
