#pragma once

#include <QDialog>

#include "core/text/text.h"

class CPelwinDoc;
class cAppPrompts;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The question of File > Export as ADMX: the folder the files go to and the language of
// the strings. OK stays disabled until both are usable.
class cDialogExportAdmx : public QDialog {
    Q_OBJECT
public:
    cDialogExportAdmx(const QString& templateName, const Text& folder, const Text& language,
                      QWidget* parent = nullptr);

    Text Folder() const;
    Text Language() const;

    QLineEdit* FolderEdit() const { return m_folder; }
    QComboBox* LanguageBox() const { return m_language; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void Browse();
    void UpdateOk();

    QLineEdit* m_folder;
    QComboBox* m_language;
    QPushButton* m_ok;
};

// What an export did: a summary, and the mapping report one line each.
class cDialogAdmxReport : public QDialog {
    Q_OBJECT
public:
    cDialogAdmxReport(const Text& summary, const std::vector<Text>& lines,
                      QWidget* parent = nullptr);

    QPlainTextEdit* Lines() const { return m_lines; }

private:
    QPlainTextEdit* m_lines;
};

// File > Export as ADMX: settles edits not yet applied in the property sheet (as Save does),
// asks for the folder and the language, exports and shows the report. True when both files
// were written.
bool ExportAsAdmx(CPelwinDoc& doc, cAppPrompts& prompts);
