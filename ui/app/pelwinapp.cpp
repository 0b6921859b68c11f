#include "ui/app/pelwinapp.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include "ui/app/dialogfileformat.h"
#include "ui/app/dialogs.h"
#include "ui/app/mainframe.h"
#include "ui/widgets/look.h"

namespace {

CPelwinApp* g_app = nullptr;

const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kTemplateFilter = QStringLiteral("Policy Template(*.adm)");
const QString kAdmxFilter = QStringLiteral("ADMX policy definitions (*.admx)");
const QString kAnyTemplateFilter = QStringLiteral("Policy templates (*.adm *.admx)");

QString ToQString(const Text& text) {
    return QString::fromStdU16String(text);
}

// "helv" names the classic sans-serif face; the platform's own sans-serif stands in for it.

}  // namespace

void EnsureResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

QIcon AppIcon() {
    EnsureResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tessary.png"));
    icon.addFile(QStringLiteral(":/icons/tessary48.png"));
    return icon;
}

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return g_app ? g_app->MainFrame() : nullptr;
}

QMessageBox::Icon cMessageBoxSink::IconFor(int severity) {
    switch (severity) {
        case kSeverityError:
            return QMessageBox::Critical;
        case kSeverityInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::Warning;
    }
}

void cMessageBoxSink::Show(int severity, const Text& text) {
    QMessageBox box(IconFor(severity), ToQString(kAppTitle), ToQString(text), QMessageBox::Ok,
                    DialogParent());
    // Template texts such as "<new>" must not be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

namespace {}  // namespace

cAnswer cDialogPrompts::AskYesNoCancel(const Text& question) {
    return AskYesNoCancelBox(QMessageBox::Question, question, DialogParent());
}

cAnswer cDialogPrompts::AskApplyChanges(const Text& question) {
    return AskYesNoCancelBox(QMessageBox::Warning, question, DialogParent());
}

bool cDialogPrompts::AskFormat(int& utf16) {
    cDialogFileFormat dialog(DialogParent());
    dialog.SetChoice(utf16);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    utf16 = dialog.Choice();
    return true;
}

bool cDialogPrompts::AskSaveAnyway(const Text& question) {
    QMessageBox box(QMessageBox::Warning, ToQString(kAppTitle), ToQString(question),
                    QMessageBox::Save | QMessageBox::Cancel, DialogParent());
    // The passed-over text is template text, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}

bool cDialogPrompts::AskSavePath(const CPelwinDoc& doc, Text& path) {
    QFileDialog dialog(DialogParent(), QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (doc.HasClassNodes()) {
        dialog.setNameFilter(kTemplateFilter);
        dialog.setDefaultSuffix(QStringLiteral("adm"));
    } else {
        // A set is saved as a set, or as an ADM template converted from it.
        dialog.setNameFilters({kAdmxFilter, kTemplateFilter});
        dialog.setDefaultSuffix(QStringLiteral("admx"));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
                dialog.setDefaultSuffix(filter == kTemplateFilter ? QStringLiteral("adm")
                                                                  : QStringLiteral("admx"));
            });
    }
    // The title of a set's window ends in its language, which is no part of a file name.
    QString name = ToQString(doc.Path().empty() ? doc.Title() : doc.Path());
    if (doc.Path().empty() && name.endsWith(QLatin1Char(']')) &&
        name.contains(QStringLiteral(" [")))
        name.truncate(name.lastIndexOf(QStringLiteral(" [")));
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst().toStdU16String();
    return true;
}

void cDialogPrompts::SetUpOpenDialog(QFileDialog& dialog) {
    dialog.setWindowTitle(QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {kAnyTemplateFilter, kTemplateFilter, kAdmxFilter, QStringLiteral("All Files (*.*)")});
}

bool cDialogPrompts::OpenPathChosen(const QFileDialog& dialog, Text& path) {
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    // The name the user chose is the one shown; the document manager still finds a file
    // that is open under another name.
    path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdU16String();
    return true;
}

bool cDialogPrompts::AskOpenPath(Text& path) {
    QFileDialog dialog(DialogParent());
    SetUpOpenDialog(dialog);
    dialog.exec();
    return OpenPathChosen(dialog, path);
}

CPelwinApp::CPelwinApp(QObject* parent)
    : QObject(parent), m_previousSink(SetMessageSink(&m_messageBoxes)), m_prompts(&m_dialogs) {
    g_app = this;
    // The settings key is the maker's name and the application title.
    QCoreApplication::setOrganizationName(QStringLiteral("Tessary"));
    QCoreApplication::setApplicationName(ToQString(kAppTitle));
    EnsureResources();
    QApplication::setWindowIcon(AppIcon());
    qApp->installEventFilter(new cWholeTextTips(this));
}

CPelwinApp::~CPelwinApp() {
    // Documents go before their windows, the windows before the shared font.
    m_docs.reset();
    if (m_mainFrame)
        m_mainFrame->SetServices(nullptr);
    m_mainFrame.reset();
    if (MessageSink() == &m_messageBoxes)
        SetMessageSink(m_previousSink);
    g_app = nullptr;
}

CPelwinApp* CPelwinApp::Instance() {
    return g_app;
}

bool CPelwinApp::InitInstance(const QStringList& arguments) {
    // Loaded from where it is saved, so the list survives from one run to the next.
    std::vector<Text> recent = LoadRecentFiles();

    m_mainFrame = std::make_unique<CMainFrame>();
    m_docs = std::make_unique<cDocManager>(*m_mainFrame, static_cast<cDocPrompts&>(*this));
    m_mainFrame->SetServices(this);
    connect(m_mainFrame.get(), &CMainFrame::recentFilesChanged, this,
            [this] { SaveRecentFiles(m_docs->RecentFiles()); });
    m_docs->SetRecentFiles(std::move(recent));

    // The command line is read but opens nothing: every run starts without a document.
    (void)arguments;

    m_mainFrame->show();
    CDlgWelcome welcome(m_mainFrame.get(), m_welcomeInterval);
    welcome.exec();
    return true;
}

void CPelwinApp::SetPrompts(cAppPrompts* prompts) {
    m_prompts = prompts ? prompts : &m_dialogs;
}

void CPelwinApp::ShowAbout() {
    CAboutDlg about(DialogParent());
    about.exec();
}

std::vector<Text> CPelwinApp::LoadRecentFiles() {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    std::vector<Text> files;
    for (size_t i = 1; i <= cDocManager::kRecentFileCount; ++i) {
        QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            files.push_back(path.toStdU16String());
    }
    return files;
}

void CPelwinApp::SaveRecentFiles(const std::vector<Text>& files) {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    for (size_t i = 1; i <= cDocManager::kRecentFileCount; ++i) {
        QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, ToQString(files[i - 1]));
        else
            settings.remove(key);
    }
}

cAnswer CPelwinApp::AskYesNoCancel(const Text& question) {
    return m_prompts->AskYesNoCancel(question);
}

bool CPelwinApp::AskFormat(int& utf16) {
    return m_prompts->AskFormat(utf16);
}

bool CPelwinApp::AskSavePath(const CPelwinDoc& doc, Text& path) {
    return m_prompts->AskSavePath(doc, path);
}

bool CPelwinApp::AskSaveAnyway(const Text& question) {
    return m_prompts->AskSaveAnyway(question);
}
