#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/translate/translationset.h"

class CPelwinDoc;
class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QUndoStack;
class cPolTreeView;
class cTranslationFilterModel;
class cTranslationTableModel;

// The questions the Translations window asks: file and language dialogs in the editor,
// answers from a script in tests.
class cTranslationPrompts {
public:
    virtual ~cTranslationPrompts() = default;
    // False when cancelled. path comes in as the folder to start in.
    virtual bool AskOpenFile(QWidget* parent, const QString& title, const QString& filter,
                             QString& path);
    virtual bool AskSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                             const QString& filter, QString& path);
    // A language tag such as de-DE, offered as suggested.
    virtual bool AskLanguage(QWidget* parent, const QString& title, const QString& suggested,
                             QString& language);
};

// A template's texts in its languages side by side (Policy > Translations...): one row per
// id, the display text and the chosen languages' texts with their states; a filter by state,
// a find field, the counts of each state, a multi-line editor for the selected text, and
// the exchange with translators. Every change is a step of the template's history. One
// window per template, a child of its frame; it goes when the template's views go.
class cTranslationsWindow : public QWidget {
    Q_OBJECT
public:
    // save runs the template's File > Save.
    cTranslationsWindow(CPelwinDoc& doc, cPolTreeView* tree, QUndoStack* history,
                        std::function<void()> save, QWidget* frame);
    ~cTranslationsWindow() override;

    // Shows the window of the template in frame, made when there is none yet.
    static cTranslationsWindow* ShowFor(CPelwinDoc& doc, QWidget* frame, cPolTreeView* tree,
                                        QUndoStack* history, std::function<void()> save);

    // Replaces the dialogs (tests); null: the dialogs again. Not owned.
    void SetPrompts(cTranslationPrompts* prompts);

    cTranslationSet& Set() { return *m_set; }
    cTranslationTableModel* Table() const { return m_table; }
    cTranslationFilterModel* Rows() const { return m_rows; }
    QTableView* View() const { return m_view; }
    QComboBox* FilterBox() const { return m_filter; }
    QLineEdit* FindField() const { return m_find; }
    QPlainTextEdit* Editor() const { return m_editor; }
    QPushButton* ApplyButton() const { return m_apply; }
    QLabel* CountsLine() const { return m_counts; }
    QPushButton* CloseButton() const { return m_close; }
    QMenu* LanguagesMenu() const { return m_languagesMenu; }
    QAction* SaveAction() const { return m_saveAction; }
    QAction* UndoAction() const { return m_undoAction; }
    QAction* RedoAction() const { return m_redoAction; }

    // The set's languages shown as columns, by index.
    void ShowLanguages(std::vector<size_t> languages);

    // The commands of the window's toolbar; each says what went wrong itself.
    bool AddTranslationFromFile();
    bool AddLanguage();
    bool ExportLanguage();
    bool ImportFile();
    // Puts the editor's text into the cell it shows, as one step.
    bool ApplyEditor();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildLanguagesMenu();
    void OnHistoryChanged();
    void OnCurrentChanged();
    void LoadEditor();
    // The status line; recount: the states changed, not only the rows shown.
    void UpdateCounts(bool recount = true);
    void UpdateEditorButtons();
    // The folder of the template's file, where its languages and exchange files lie.
    QString Folder() const;
    // The language export and import act on: the current column's, else the first shown.
    size_t CurrentLanguage() const;
    // The tree view went with the template's views: the document goes next.
    void Detach();

    CPelwinDoc* m_doc;  // Not owned; null once detached.
    QPointer<cPolTreeView> m_tree;
    std::function<void()> m_save;
    std::unique_ptr<cTranslationSet> m_set;
    cTranslationPrompts m_dialogs;
    cTranslationPrompts* m_prompts;  // Not owned.
    cTranslationTableModel* m_table;
    cTranslationFilterModel* m_rows;
    QTableView* m_view;
    QComboBox* m_filter;
    QLineEdit* m_find;
    QToolButton* m_languagesButton;
    QMenu* m_languagesMenu;
    QLabel* m_editorTitle;
    QPlainTextEdit* m_editor;
    QPushButton* m_apply;
    QPushButton* m_revert;
    QLabel* m_counts;
    QPushButton* m_close;
    QString m_stateCounts;  // the shown languages' counts, as the status line shows them
    QAction* m_saveAction;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    // The cell the editor shows, in the table's own rows and columns.
    int m_editRow = -1;
    int m_editColumn = -1;
    QString m_loaded;  // the cell's text when the editor was filled
};
