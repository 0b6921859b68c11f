#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/admxdialog.h"
#include "ui/app/mainframe.h"

namespace {

// Answers the export's questions and keeps the report it was shown.
class cExportPrompts : public cScriptedPrompts {
public:
    bool AskAdmxExport(const CPelwinDoc&, Text& folder, Text& language) override {
        offeredFolder = folder;
        offeredLanguage = language;
        if (answerFolder.empty())
            return false;
        folder = answerFolder;
        language = answerLanguage;
        return true;
    }
    void ShowAdmxReport(const Text& text, const std::vector<Text>& shown) override {
        summary = QString::fromStdU16String(text);
        for (const Text& line : shown)
            lines << QString::fromStdU16String(line);
    }

    Text offeredFolder, offeredLanguage, answerFolder, answerLanguage = u"en-US";
    QString summary;
    QStringList lines;
};

class UiAdmx : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().remove("ADMX Export");
        app = std::make_unique<CPelwinApp>();
        messages = std::make_unique<cMessageRecorder>();
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        messages.reset();
        app.reset();
        QSettings().remove("ADMX Export");
    }
    CPelwinDoc* Open(const QByteArray& text) {
        QString path = dir.filePath("sample.adm");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        return app->Docs().Open(path.toStdU16String());
    }

    std::unique_ptr<CPelwinApp> app;
    std::unique_ptr<cMessageRecorder> messages;
    cExportPrompts prompts;
    QTemporaryDir dir;
};

const char kSample[] =
    "CLASS MACHINE\r\n#if version >= 4\r\nCATEGORY !!Cat\r\n  POLICY !!Pol\r\n"
    "    KEYNAME \"Software\\Sample\" VALUENAME \"On\"\r\n  END POLICY\r\nEND CATEGORY\r\n"
    "#endif\r\n[strings]\r\nCat=Sample\r\nPol=A policy\r\n";

TEST_F(UiAdmx, FileMenuExportsTheActiveTemplateAndShowsTheReport) {
    CPelwinDoc* doc = Open(kSample);
    ASSERT_NE(doc, nullptr);
    QAction* command = app->MainFrame()->Command(cCommand::FileExportAdmx);
    ASSERT_TRUE(command->isEnabled());

    // Cancelling writes nothing; the template's own folder is offered first.
    command->trigger();
    EXPECT_EQ(QString::fromStdU16String(prompts.offeredFolder), dir.path());
    EXPECT_EQ(prompts.offeredLanguage, u"en-US");
    EXPECT_TRUE(prompts.summary.isEmpty());

    QString out = dir.filePath("out");
    prompts.answerFolder = out.toStdU16String();
    prompts.answerLanguage = u"de-DE";
    command->trigger();
    EXPECT_TRUE(QFile::exists(out + "/sample.admx"));
    EXPECT_TRUE(QFile::exists(out + "/de-DE/sample.adml"));
    EXPECT_TRUE(prompts.summary.startsWith("Exported to ")) << prompts.summary.toStdString();
    EXPECT_EQ(
        prompts.lines,
        QStringList({dir.filePath("sample.adm") +
                         ":2: warning: not exported: #if version >= 4 (what it holds is "
                         "exported without the condition)",
                     dir.filePath("sample.adm") +
                         ":4: warning: not exported: supported-on not specified, 1 policy "
                         "(given the definition SUPPORTED_NotSpecified, \"Not specified\")"}));
    EXPECT_FALSE(doc->IsModified());

    // The next export offers the folder and language used last.
    prompts.answerFolder.clear();
    command->trigger();
    EXPECT_EQ(QString::fromStdU16String(prompts.offeredFolder), out);
    EXPECT_EQ(prompts.offeredLanguage, u"de-DE");
}

TEST_F(UiAdmx, AFailedExportSaysSoAndNamesTheCause) {
    ASSERT_NE(Open("CLASS MACHINE\r\nCATEGORY \"C\"\r\n  POLICY \"P\" KEYNAME \"K\" "
                   "VALUENAME \"v\" VALUEON NUMERIC many END POLICY\r\nEND CATEGORY\r\n"),
              nullptr);
    QString out = dir.filePath("out");
    prompts.answerFolder = out.toStdU16String();
    app->MainFrame()->Command(cCommand::FileExportAdmx)->trigger();
    EXPECT_EQ(prompts.summary, "Nothing was exported, and nothing in the folder was replaced.");
    // What would not have been exported, then why nothing was.
    ASSERT_EQ(prompts.lines.size(), 2);
    EXPECT_TRUE(prompts.lines[0].contains("supported-on not specified"))
        << prompts.lines[0].toStdString();
    EXPECT_TRUE(prompts.lines[1].endsWith(
        ":3: error: cannot export NUMERIC many of POLICY P is not a 32-bit number"))
        << prompts.lines[1].toStdString();
    EXPECT_FALSE(QFile::exists(out + "/sample.admx"));
}

TEST(UiAdmxDialogs, ExportIsOfferedOnlyWithAFolderAndALanguage) {
    cDialogExportAdmx dialog("sample", u"", u"en-US");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.FolderEdit()->setText("/tmp/somewhere");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.LanguageBox()->setCurrentText("../etc");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.LanguageBox()->setCurrentText(" fr-FR ");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Language(), u"fr-FR");
    EXPECT_EQ(dialog.Folder(), u"/tmp/somewhere");

    cDialogAdmxReport quiet(u"Exported.", {});
    EXPECT_TRUE(quiet.Lines()->isHidden());
    cDialogAdmxReport report(u"Exported.", {u"a:1: warning: not exported: x", u"b"});
    EXPECT_EQ(report.Lines()->toPlainText(), "a:1: warning: not exported: x\nb");
}

}  // namespace
