#include "ui/app/admxdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <filesystem>

#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/model/seams.h"
#include "core/text/messages.h"
#include "ui/app/pelwinapp.h"

namespace {

QString Q(const Text& text) {
    return QString::fromStdU16String(text);
}

Text T(const QString& text) {
    return text.toStdU16String();
}

const char kSettingsGroup[] = "ADMX Export";

}  // namespace

cDialogExportAdmx::cDialogExportAdmx(const QString& templateName, const Text& folder,
                                     const Text& language, QWidget* parent)
    : QDialog(parent),
      m_folder(new QLineEdit(Q(folder), this)),
      m_language(new QComboBox(this)),
      m_ok(nullptr) {
    setWindowTitle(QStringLiteral("Export as ADMX"));
    auto* intro =
        new QLabel(QStringLiteral("Writes %1.admx into the folder and %1.adml into the language's "
                                  "folder below it.")
                       .arg(templateName),
                   this);
    intro->setWordWrap(true);

    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    m_language->setEditable(true);
    m_language->addItems({"en-US", "de-DE", "fr-FR", "es-ES", "it-IT", "ja-JP", "ko-KR", "nl-NL",
                          "pl-PL", "pt-BR", "ru-RU", "sv-SE", "zh-CN", "zh-TW"});
    m_language->setCurrentText(Q(language));

    auto* form = new QFormLayout;
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);
    form->addRow(QStringLiteral("&Language:"), m_language);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("Export"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(460);

    connect(m_folder, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(m_language, &QComboBox::currentTextChanged, this, [this] { UpdateOk(); });
    UpdateOk();
}

Text cDialogExportAdmx::Folder() const {
    return T(m_folder->text().trimmed());
}

Text cDialogExportAdmx::Language() const {
    return T(m_language->currentText().trimmed());
}

void cDialogExportAdmx::Browse() {
    QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Export to folder"),
                                                       m_folder->text());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

void cDialogExportAdmx::UpdateOk() {
    m_ok->setEnabled(!Folder().empty() && IsValidLanguage(ToUtf8(Language())));
}

cDialogAdmxReport::cDialogAdmxReport(const Text& summary, const std::vector<Text>& lines,
                                     QWidget* parent)
    : QDialog(parent), m_lines(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Export as ADMX"));
    auto* label = new QLabel(Q(summary), this);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    QStringList text;
    for (const Text& line : lines)
        text << Q(line);
    m_lines->setPlainText(text.join('\n'));
    m_lines->setVisible(!lines.empty());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_lines, 1);
    layout->addWidget(buttons);
    resize(lines.empty() ? 420 : 720, lines.empty() ? 120 : 360);
}

bool cDialogPrompts::AskAdmxExport(const CPelwinDoc& doc, Text& folder, Text& language) {
    QString name = QFileInfo(Q(doc.Path().empty() ? doc.Title() : doc.Path())).completeBaseName();
    cDialogExportAdmx dialog(name, folder, language, DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    folder = dialog.Folder();
    language = dialog.Language();
    return true;
}

void cDialogPrompts::ShowAdmxReport(const Text& summary, const std::vector<Text>& lines) {
    cDialogAdmxReport dialog(summary, lines, DialogParent());
    dialog.exec();
}

bool ExportAsAdmx(CPelwinDoc& doc, cAppPrompts& prompts) {
    if (!SettleSheetEdits())
        return false;

    namespace fs = std::filesystem;
    fs::path source(ToUtf8(doc.Path().empty() ? doc.Title() : doc.Path()));
    std::string name = source.stem().string();
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    // The last folder used, else the template's own.
    QString lastFolder = settings.value("Folder").toString();
    Text folder = lastFolder.isEmpty() && !doc.Path().empty()
                      ? FromUtf8(source.parent_path().string())
                      : T(lastFolder);
    Text language = T(settings.value("Language", QStringLiteral("en-US")).toString());
    if (!prompts.AskAdmxExport(doc, folder, language))
        return false;
    settings.setValue("Folder", Q(folder));
    settings.setValue("Language", Q(language));

    cAdmxOptions options;
    options.language = ToUtf8(language);
    cAdmxReport report;
    bool ok = ExportAdmx(doc, ToUtf8(folder), name, options, report);
    std::string summary;
    if (ok) {
        summary = "Exported to " + report.admxPath + " and " + report.admlPath + ".";
        summary += report.notExported.empty()
                       ? " Everything was exported."
                       : " What ADMX cannot hold was left out, one line each below.";
    } else {
        summary = "Nothing was exported, and nothing in the folder was replaced.";
    }
    std::vector<Text> lines;
    for (const std::string& line : ReportLines(report, source.string()))
        lines.push_back(FromUtf8(line));
    prompts.ShowAdmxReport(FromUtf8(summary), lines);
    return ok;
}
