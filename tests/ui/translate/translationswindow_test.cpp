#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <deque>
#include <set>
#include <sstream>

#include "tests/core/translate/translatefixture.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/translate/translationmodel.h"
#include "ui/translate/translationswindow.h"
#include "ui/tree/poltreeview.h"

namespace {

// Answers the window's file and language questions from a script.
class cScriptedFiles : public cTranslationPrompts {
public:
    bool AskOpenFile(QWidget*, const QString&, const QString&, QString& path) override {
        return Next(path);
    }
    bool AskSaveFile(QWidget*, const QString&, const QString& suggested, const QString&,
                     QString& path) override {
        offered = suggested;
        return Next(path);
    }
    bool AskLanguage(QWidget*, const QString&, const QString&, QString& language) override {
        return Next(language);
    }

    std::deque<QString> answers;
    QString offered;

private:
    bool Next(QString& answer) {
        if (answers.empty())
            return false;
        answer = answers.front();
        answers.pop_front();
        return true;
    }
};

// The lines of a file's text that are not in the other, both 8-bit templates.
std::vector<std::string> LinesOnlyIn(const std::string& a, const std::string& b) {
    std::multiset<std::string> other = LineSet(b);
    std::vector<std::string> only;
    for (const std::string& line : LineSet(a)) {
        auto found = other.find(line);
        if (found == other.end())
            only.push_back(line);
        else
            other.erase(found);
    }
    return only;
}

// The editor with the English template open and its Translations window shown.
class TranslationsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Both files as a save lays them out, so that a save changes only what changed.
        for (const char* name : {"app-en-US.adm", "app-de-DE.adm"}) {
            Text path = folder.Write(name, name[4] == 'e' ? kEnglish : kGerman);
            cTestDocReader file(path);
            ASSERT_TRUE(file.ok && file.doc.WriteFile(path));
        }
        english = folder.File("app-en-US.adm");
        german = folder.File("app-de-DE.adm");

        app = std::make_unique<CPelwinApp>();
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        messages = std::make_unique<cMessageRecorder>();
        doc = app->Docs().Open(english);
        ASSERT_NE(doc, nullptr);
        frame = app->MainFrame();
        child = frame->ChildOf(*doc);
        tree = qobject_cast<cPolTreeView*>(child->TreePane());
        frame->show();
        ASSERT_TRUE(frame->Router().Run(cCommand::Translations));
        window = child->findChild<cTranslationsWindow*>();
        ASSERT_NE(window, nullptr);
        window->SetPrompts(&files);
    }
    void TearDown() override {
        messages.reset();
        app.reset();
    }

    void AddGerman() {
        files.answers = {QString::fromStdU16String(german)};
        ASSERT_TRUE(window->AddTranslationFromFile())
            << (messages->Utf8().empty() ? "" : messages->Utf8()[0]);
    }
    QStringList ShownIds() const {
        QStringList ids;
        for (int row = 0; row < window->Rows()->rowCount(); ++row)
            ids << window->Rows()->index(row, 0).data().toString();
        return ids;
    }
    QModelIndex Cell(const QString& id, int column) const {
        for (int row = 0; row < window->Rows()->rowCount(); ++row)
            if (window->Rows()->index(row, 0).data().toString() == id)
                return window->Rows()->index(row, column);
        return {};
    }
    cCellState GermanState(const char16_t* id) const {
        cTranslationSet& set = window->Set();
        return set.State(set.RowOf(id), set.IndexOf(u"de-DE"));
    }

    cTempFolder folder;
    Text english, german;
    cScriptedPrompts prompts;
    cScriptedFiles files;
    std::unique_ptr<CPelwinApp> app;
    std::unique_ptr<cMessageRecorder> messages;
    CPelwinDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
    CChildFrame* child = nullptr;
    cPolTreeView* tree = nullptr;
    cTranslationsWindow* window = nullptr;
};

// The window closes as a dialog does: with Esc, or with its Close button; either way it
// comes back as it was from the Translations command.
TEST_F(TranslationsWindowTest, EscAndCloseCloseTheWindow) {
    window->show();
    window->activateWindow();
    QTest::keyClick(window->View(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());

    ASSERT_TRUE(frame->Router().Run(cCommand::Translations));
    EXPECT_TRUE(window->isVisible());
    ASSERT_NE(window->CloseButton(), nullptr);
    window->CloseButton()->click();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TranslationsWindowTest, FillAMissingTextUndoRedoAndSaveChangesOnlyThatFile) {
    AddGerman();
    EXPECT_EQ(window->Table()->columnCount(), 3);
    EXPECT_EQ(window->Table()->headerData(2, Qt::Horizontal).toString(), "de-DE");
    const auto before = folder.Snapshot();

    window->FilterBox()->setCurrentIndex(1);  // Missing
    ASSERT_EQ(ShownIds(), QStringList{"Headers"});
    // Selecting the row selects the policy that shows the string.
    window->View()->setCurrentIndex(Cell("Headers", 2));
    ASSERT_NE(tree->SelectedItem(), nullptr);
    EXPECT_EQ(tree->SelectedItem()->label, u"Print headers");
    EXPECT_EQ(window->Editor()->toPlainText(), "");

    window->Editor()->setPlainText("Kopfzeilen drucken");
    QTest::mouseClick(window->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Translated);
    EXPECT_TRUE(doc->IsModified());
    // The row stays while the filter is not chosen again; the counts follow at once.
    EXPECT_EQ(ShownIds(), QStringList{"Headers"});
    EXPECT_TRUE(window->CountsLine()->text().contains("de-DE: 0 missing"))
        << window->CountsLine()->text().toStdString();

    window->UndoAction()->trigger();
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Missing);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(window->Editor()->toPlainText(), "");
    window->RedoAction()->trigger();
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Translated);
    EXPECT_EQ(window->Editor()->toPlainText(), "Kopfzeilen drucken");

    window->SaveAction()->trigger();
    EXPECT_FALSE(doc->IsModified());
    auto after = folder.Snapshot();
    EXPECT_EQ(after.at("app-en-US.adm"), before.at("app-en-US.adm"));
    EXPECT_EQ(LinesOnlyIn(after.at("app-de-DE.adm"), before.at("app-de-DE.adm")),
              std::vector<std::string>{"Headers =\"Kopfzeilen drucken\"\r"});
    EXPECT_TRUE(LinesOnlyIn(before.at("app-de-DE.adm"), after.at("app-de-DE.adm")).empty());
}

TEST_F(TranslationsWindowTest, FiltersFindLanguagesAndStatesAsTheUserSeesThem) {
    EXPECT_TRUE(window->CountsLine()->text().contains("no other language yet"));
    AddGerman();
    window->FilterBox()->setCurrentIndex(2);  // Untranslated
    EXPECT_EQ(ShownIds(), QStringList{"Proxy"});
    window->FilterBox()->setCurrentIndex(0);
    window->FindField()->setText("startseite");
    EXPECT_EQ(ShownIds(), QStringList({"Homepage", "Homepage_Explain"}));
    window->FindField()->clear();
    EXPECT_EQ(window->Rows()->rowCount(), 10);

    // A cell's state: colour, icon and the words for it.
    const QModelIndex missing = Cell("Headers", 2);
    EXPECT_EQ(missing.data(Qt::BackgroundRole).value<QColor>(),
              cTranslationTableModel::StateColour(cCellState::Missing));
    EXPECT_FALSE(missing.data(Qt::DecorationRole).isNull());
    EXPECT_TRUE(missing.data(Qt::ToolTipRole).toString().startsWith("de-DE \u2014 Missing"));

    // Editing the display text makes the German one stale, and the Stale filter finds it.
    ASSERT_TRUE(window->Rows()->setData(Cell("Url", 1), "Start URL"));
    window->FilterBox()->setCurrentIndex(3);
    EXPECT_EQ(ShownIds(), QStringList{"Url"});
    EXPECT_TRUE(window->CountsLine()->text().contains("1 stale"));

    // A new language: a column of its own, all of it untranslated; its column can be hidden.
    files.answers = {"ja-JP"};
    ASSERT_TRUE(window->AddLanguage());
    EXPECT_EQ(window->Table()->columnCount(), 4);
    EXPECT_EQ(window->Set().Counts(window->Set().IndexOf(u"ja-JP"))[cCellState::Untranslated], 10u);
    ASSERT_EQ(window->LanguagesMenu()->actions().size(), 2);
    window->LanguagesMenu()->actions()[0]->setChecked(false);  // de-DE
    EXPECT_EQ(window->Table()->columnCount(), 3);
    EXPECT_EQ(window->Table()->headerData(2, Qt::Horizontal).toString(), "ja-JP");
    // Undone, the language and its column are gone.
    window->UndoAction()->trigger();
    EXPECT_EQ(window->Table()->columnCount(), 2);
}

TEST_F(TranslationsWindowTest, ExportAndImportFromTheWindow) {
    AddGerman();
    window->View()->setCurrentIndex(Cell("Browser", 2));
    const QString xlf = QString::fromStdString((folder.path / "out.xlf").string());
    files.answers = {xlf};
    ASSERT_TRUE(window->ExportLanguage());
    EXPECT_TRUE(files.offered.endsWith("app-de-DE.xlf")) << files.offered.toStdString();

    // Unchanged it changes nothing; a broken one is refused with a message.
    files.answers = {xlf};
    ASSERT_TRUE(window->ImportFile());
    EXPECT_FALSE(doc->IsModified());
    std::string text = cTempFolder::Read(xlf.toStdU16String());
    const std::string broken = text.substr(0, text.size() / 2);
    folder.Write("broken.xlf", broken);
    messages->Clear();
    files.answers = {QString::fromStdString((folder.path / "broken.xlf").string())};
    EXPECT_FALSE(window->ImportFile());
    ASSERT_EQ(messages->texts.size(), 1u);
    EXPECT_NE(messages->Utf8()[0].find("not well-formed XML"), std::string::npos);

    // A changed one comes in as one step.
    text.replace(text.find(">Webbrowser<"), 12, ">Browser<");
    folder.Write("changed.xlf", text);
    files.answers = {QString::fromStdString((folder.path / "changed.xlf").string())};
    ASSERT_TRUE(window->ImportFile());
    EXPECT_EQ(*window->Set().TargetText(window->Set().RowOf(u"Browser"), 0), u"Browser");
    EXPECT_TRUE(doc->IsModified());
    window->UndoAction()->trigger();
    EXPECT_EQ(*window->Set().TargetText(window->Set().RowOf(u"Browser"), 0), u"Webbrowser");
}

TEST_F(TranslationsWindowTest, TheWindowGoesWithItsTemplate) {
    AddGerman();
    QPointer<cTranslationsWindow> guard(window);
    // Shown again, it is the same window.
    ASSERT_TRUE(frame->Router().Run(cCommand::Translations));
    EXPECT_EQ(child->findChildren<cTranslationsWindow*>().size(), 1);
    ASSERT_TRUE(app->Docs().Close(*doc));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(guard.isNull());
}

// The corpus's WSL set (22 languages) opened in the editor, two target languages shown.
TEST(TranslationsWindowAdmx, ChangeACellUndoRedoAndSaveChangesOnlyThatAdml) {
    const std::filesystem::path corpus = CorpusDir() / "admx-sets" / "wsl";
    std::error_code ec;
    if (CorpusDir().empty() || !std::filesystem::exists(corpus / "WSL.admx", ec))
        GTEST_SKIP() << "no ADMX set in " << corpus;
    cTempFolder folder;
    std::filesystem::copy(corpus, folder.path, std::filesystem::copy_options::recursive);
    std::map<std::string, std::string> before;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path)) {
        if (!entry.is_regular_file())
            continue;
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        before[std::filesystem::relative(entry.path(), folder.path).string()] =
            cTempFolder::Read(FromUtf8(entry.path().string()));
    }

    cScriptedPrompts prompts;
    auto app = std::make_unique<CPelwinApp>();
    QSettings().remove("Recent File List");
    app->SetPrompts(&prompts);
    app->SetWelcomeInterval(1);
    ASSERT_TRUE(app->InitInstance({"tessary"}));
    cMessageRecorder messages;
    CPelwinDoc* doc = app->Docs().Open(folder.File("WSL.admx"));
    ASSERT_NE(doc, nullptr);
    CMainFrame* frame = app->MainFrame();
    frame->show();
    ASSERT_TRUE(frame->Router().Run(cCommand::Translations));
    auto* window = frame->ChildOf(*doc)->findChild<cTranslationsWindow*>();
    ASSERT_NE(window, nullptr);
    cTranslationSet& set = window->Set();
    EXPECT_EQ(set.SourceLanguage(), u"en-US");
    ASSERT_EQ(set.LanguageCount(), 21u);
    const size_t german = set.IndexOf(u"de-DE"), french = set.IndexOf(u"fr-FR");
    window->ShowLanguages({german, french});
    ASSERT_EQ(window->Table()->columnCount(), 4);
    EXPECT_EQ(window->Table()->headerData(2, Qt::Horizontal).toString(), "de-DE");
    EXPECT_TRUE(window->CountsLine()->text().contains("fr-FR: 0 missing"))
        << window->CountsLine()->text().toStdString();

    const size_t row = set.RowOf(u"AllowWSL");
    ASSERT_NE(row, cTranslationSet::npos);
    const Text old = *set.TargetText(row, german);
    QModelIndex cell;
    for (int r = 0; r < window->Rows()->rowCount() && !cell.isValid(); ++r)
        if (window->Rows()->index(r, 0).data().toString() == "AllowWSL")
            cell = window->Rows()->index(r, 2);
    ASSERT_TRUE(cell.isValid());
    window->View()->setCurrentIndex(cell);
    EXPECT_EQ(window->Editor()->toPlainText().toStdU16String(), old);
    // The policy that shows the string is selected in the tree.
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    ASSERT_NE(tree->SelectedItem(), nullptr);
    EXPECT_EQ(tree->SelectedItem()->label, u"Allow the Windows Subsystem for Linux (Machine)");
    window->Editor()->setPlainText("WSL erlauben");
    QTest::mouseClick(window->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(*set.TargetText(row, german), u"WSL erlauben");
    EXPECT_TRUE(doc->IsModified());
    window->UndoAction()->trigger();
    EXPECT_EQ(*set.TargetText(row, german), old);
    EXPECT_FALSE(doc->IsModified());
    window->RedoAction()->trigger();
    EXPECT_EQ(*set.TargetText(row, german), u"WSL erlauben");

    window->SaveAction()->trigger();
    EXPECT_FALSE(doc->IsModified());
    for (const auto& [name, bytes] : before) {
        std::string now = cTempFolder::Read(folder.File(name));
        if (name != "de-DE/WSL.adml") {
            EXPECT_EQ(now, bytes) << name;
            continue;
        }
        std::string expected = bytes;
        const std::string from = ToUtf8(old) + "</string>";
        const size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, from.size(), "WSL erlauben</string>");
        EXPECT_EQ(now, expected);
    }
    EXPECT_TRUE(messages.Utf8().empty()) << messages.Utf8()[0];
}

}  // namespace
