#pragma once

#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/document/docmanager.h"
#include "core/text/messages.h"
#include "ui/widgets/appservices.h"

class CMainFrame;
class QFileDialog;
class QWidget;

// The questions asked with the editor's own dialogs.
class cDialogPrompts : public cAppPrompts {
public:
    cAnswer AskYesNoCancel(const Text& question) override;
    bool AskFormat(int& utf16) override;
    bool AskSavePath(const CPelwinDoc& doc, Text& path) override;
    bool AskSaveAnyway(const Text& question) override;
    bool AskOpenPath(Text& path) override;
    cAnswer AskApplyChanges(const Text& question) override;
    bool AskAdmxExport(const CPelwinDoc& doc, Text& folder, Text& language) override;
    void ShowAdmxReport(const Text& summary, const std::vector<Text>& lines) override;
    bool AskCompareWith(const CPelwinDoc& active, const std::vector<CPelwinDoc*>& others,
                        cCompareChoice& choice) override;
    bool AskSiteFolder(Text& folder) override;

    // The Open dialog in two halves, so that it can be driven without its modal loop.
    static void SetUpOpenDialog(QFileDialog& dialog);
    static bool OpenPathChosen(const QFileDialog& dialog, Text& path);
};

// Shows every message in a modal box captioned with the application title.
class cMessageBoxSink : public cMessageSink {
public:
    void Show(int severity, const Text& text) override;
    static QMessageBox::Icon IconFor(int severity);
};

// The window modal boxes belong to: the active dialog or window, else the main frame.
QWidget* DialogParent();

// The application object: lives for the whole run and owns what all windows share.
class CPelwinApp : public QObject, public cAppServices, private cDocPrompts {
    Q_OBJECT
public:
    static constexpr int kWelcomeInterval = 6000;

    // Requires a QApplication.
    explicit CPelwinApp(QObject* parent = nullptr);
    ~CPelwinApp() override;
    CPelwinApp(const CPelwinApp&) = delete;
    CPelwinApp& operator=(const CPelwinApp&) = delete;

    static CPelwinApp* Instance();

    // Start-up: shared font, recent files, main frame, command line, show, welcome dialog.
    // False when the main frame cannot be created.
    bool InitInstance(const QStringList& arguments);

    // The font that panels and property pages use for their controls. Valid before and
    // after a run too, so widgets created in tests look the same.

    cDocManager& Docs() override { return *m_docs; }
    CMainFrame* MainFrame() const { return m_mainFrame.get(); }

    // Null restores the dialogs.
    void SetPrompts(cAppPrompts* prompts);
    cAppPrompts& Prompts() override { return *m_prompts; }

    // How long the welcome dialog stays before it closes by itself.
    void SetWelcomeInterval(int ms) { m_welcomeInterval = ms; }

    void ShowAbout() override;

    // The recent-file list in the per-user settings.
    static std::vector<Text> LoadRecentFiles();
    static void SaveRecentFiles(const std::vector<Text>& files);

private:
    cAnswer AskYesNoCancel(const Text& question) override;
    bool AskFormat(int& utf16) override;
    bool AskSavePath(const CPelwinDoc& doc, Text& path) override;
    bool AskSaveAnyway(const Text& question) override;

    cMessageBoxSink m_messageBoxes;
    cMessageSink* m_previousSink;  // Not owned.
    cDialogPrompts m_dialogs;
    cAppPrompts* m_prompts;  // Not owned.
    int m_welcomeInterval = kWelcomeInterval;
    // Declared before the documents: closing a document reaches its window.
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<cDocManager> m_docs;
};
