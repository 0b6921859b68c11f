#include "ui/translate/translationswindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/io/files.h"
#include "core/text/messages.h"
#include "core/translate/exchange.h"
#include "core/translate/translationsteps.h"
#include "core/translate/xliff.h"
#include "ui/translate/translationmodel.h"
#include "ui/tree/poltreeview.h"
#include "ui/tree/treemodel.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

Text FromQ(const QString& text) {
    return text.toStdU16String();
}

// At most this many languages are shown at first; the others are a click away.
constexpr size_t kFirstShown = 4;

}  // namespace

// ---- Dialogs -------------------------------------------------------------------------------

bool cTranslationPrompts::AskOpenFile(QWidget* parent, const QString& title, const QString& filter,
                                      QString& path) {
    path = QFileDialog::getOpenFileName(parent, title, path, filter);
    return !path.isEmpty();
}

bool cTranslationPrompts::AskSaveFile(QWidget* parent, const QString& title,
                                      const QString& suggested, const QString& filter,
                                      QString& path) {
    path = QFileDialog::getSaveFileName(parent, title, suggested, filter);
    return !path.isEmpty();
}

bool cTranslationPrompts::AskLanguage(QWidget* parent, const QString& title,
                                      const QString& suggested, QString& language) {
    bool ok = false;
    language = QInputDialog::getText(parent, title, QStringLiteral("Language (such as de-DE):"),
                                     QLineEdit::Normal, suggested, &ok)
                   .trimmed();
    return ok && !language.isEmpty();
}

// ---- The window ----------------------------------------------------------------------------

cTranslationsWindow::cTranslationsWindow(CPelwinDoc& doc, cPolTreeView* tree, QUndoStack* history,
                                         std::function<void()> save, QWidget* frame)
    : QWidget(frame, Qt::Window),
      m_doc(&doc),
      m_tree(tree),
      m_save(std::move(save)),
      m_set(std::make_unique<cTranslationSet>(doc)),
      m_prompts(&m_dialogs) {
    setObjectName(QStringLiteral("translations"));
    setWindowTitle(QStringLiteral("Translations \u2014 %1").arg(ToQ(doc.Title())));
    resize(1300, 700);

    m_table = new cTranslationTableModel(*m_set, this);
    m_rows = new cTranslationFilterModel(*m_table, this);

    // The toolbar: what to show, then what to do.
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(new QLabel(QStringLiteral("Show: "), bar));
    m_filter = new QComboBox(bar);
    m_filter->addItem(QStringLiteral("All"), int(cTranslationFilter::All));
    m_filter->addItem(QStringLiteral("Missing"), int(cTranslationFilter::Missing));
    m_filter->addItem(QStringLiteral("Untranslated"), int(cTranslationFilter::Untranslated));
    m_filter->addItem(QStringLiteral("Stale"), int(cTranslationFilter::Stale));
    m_filter->setToolTip(
        QStringLiteral("The rows where a shown language has a text in this state"));
    bar->addWidget(m_filter);
    m_find = new QLineEdit(bar);
    m_find->setPlaceholderText(QStringLiteral("Find in ids and texts"));
    m_find->setClearButtonEnabled(true);
    m_find->setMaximumWidth(260);
    bar->addSeparator();
    bar->addWidget(m_find);
    m_languagesButton = new QToolButton(bar);
    m_languagesButton->setText(QStringLiteral("Languages"));
    m_languagesButton->setPopupMode(QToolButton::InstantPopup);
    m_languagesMenu = new QMenu(m_languagesButton);
    m_languagesButton->setMenu(m_languagesMenu);
    bar->addWidget(m_languagesButton);
    bar->addSeparator();
    QAction* fromFile = bar->addAction(QStringLiteral("Add translation from file..."), this,
                                       [this] { AddTranslationFromFile(); });
    fromFile->setToolTip(QStringLiteral("Add the same template in another language"));
    if (m_set->Languages() && !m_set->Languages()->AddsFiles()) {
        fromFile->setEnabled(false);
        fromFile->setToolTip(QStringLiteral("The set's languages are its ADML files"));
    }
    bar->addAction(QStringLiteral("Add language..."), this, [this] { AddLanguage(); })
        ->setToolTip(QStringLiteral("Start a new language as a copy of the display texts"));
    bar->addSeparator();
    bar->addAction(QStringLiteral("Export..."), this, [this] { ExportLanguage(); })
        ->setToolTip(QStringLiteral("Write the current language as XLIFF for translators"));
    bar->addAction(QStringLiteral("Import..."), this, [this] { ImportFile(); })
        ->setToolTip(QStringLiteral("Take the texts of an XLIFF file"));
    bar->addSeparator();
    if (history) {
        // The buttons keep their short names, so that the bar does not shift as the steps
        // change; the step they undo or redo is in their tool tips.
        m_undoAction = new QAction(QStringLiteral("Undo"), this);
        m_undoAction->setShortcut(QKeySequence::Undo);
        m_redoAction = new QAction(QStringLiteral("Redo"), this);
        m_redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
        auto follow = [](QAction* action, const QString& verb, bool can, const QString& step) {
            action->setEnabled(can);
            action->setToolTip(step.isEmpty() ? verb : verb + QLatin1Char(' ') + step);
        };
        connect(m_undoAction, &QAction::triggered, history, &QUndoStack::undo);
        connect(m_redoAction, &QAction::triggered, history, &QUndoStack::redo);
        auto update = [this, history, follow] {
            follow(m_undoAction, QStringLiteral("Undo"), history->canUndo(), history->undoText());
            follow(m_redoAction, QStringLiteral("Redo"), history->canRedo(), history->redoText());
        };
        connect(history, &QUndoStack::indexChanged, this, update);
        connect(history, &QUndoStack::undoTextChanged, this, update);
        connect(history, &QUndoStack::redoTextChanged, this, update);
        update();
        bar->addAction(m_undoAction);
        bar->addAction(m_redoAction);
        connect(history, &QUndoStack::indexChanged, this, &cTranslationsWindow::OnHistoryChanged);
    }
    m_saveAction = bar->addAction(QStringLiteral("Save"), this, [this] {
        if (m_save)
            m_save();
    });
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setToolTip(QStringLiteral("Save the template and its changed languages"));

    // The table.
    m_view = new QTableView(this);
    m_view->setModel(m_rows);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideRight);
    m_view->verticalHeader()->setVisible(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 8);
    m_view->horizontalHeader()->setStretchLastSection(true);

    // The editor for long texts, below the table.
    auto* editorPane = new QWidget(this);
    auto* editorLayout = new QVBoxLayout(editorPane);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    auto* editorHead = new QHBoxLayout;
    m_editorTitle = new QLabel(editorPane);
    m_editorTitle->setTextFormat(Qt::PlainText);
    m_apply = new QPushButton(QStringLiteral("&Apply"), editorPane);
    m_apply->setToolTip(QStringLiteral("Put the text into the cell (Ctrl+Return)"));
    m_revert = new QPushButton(QStringLiteral("Re&vert"), editorPane);
    editorHead->addWidget(m_editorTitle, 1);
    editorHead->addWidget(m_revert);
    editorHead->addWidget(m_apply);
    m_editor = new QPlainTextEdit(editorPane);
    m_editor->setTabChangesFocus(true);
    editorLayout->addLayout(editorHead);
    editorLayout->addWidget(m_editor);
    auto* applyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), m_editor);
    applyKey->setContext(Qt::WidgetShortcut);
    connect(applyKey, &QShortcut::activated, this, [this] { ApplyEditor(); });

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_view);
    splitter->addWidget(editorPane);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    m_counts = new QLabel(this);
    m_counts->setTextFormat(Qt::PlainText);
    m_counts->setWordWrap(true);

    // A window of its own, yet closed as a dialog is: Esc (keyPressEvent) or Close.
    m_close = new QPushButton(QStringLiteral("Close"), this);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto* foot = new QHBoxLayout;
    foot->addWidget(m_counts, 1);
    foot->addWidget(m_close, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(bar);
    layout->addWidget(splitter, 1);
    layout->addLayout(foot);

    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] {
        m_rows->SetFilter(cTranslationFilter(m_filter->currentData().toInt()));
        UpdateCounts(false);
    });
    connect(m_find, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_rows->SetFind(text);
        UpdateCounts(false);
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &cTranslationsWindow::OnCurrentChanged);
    connect(m_table, &cTranslationTableModel::modelReset, this, [this] {
        // The view's selection model stays; its current index was reset with the rows.
        LoadEditor();
    });
    connect(m_table, &cTranslationTableModel::languagesChanged, this,
            &cTranslationsWindow::BuildLanguagesMenu);
    connect(m_editor, &QPlainTextEdit::textChanged, this,
            &cTranslationsWindow::UpdateEditorButtons);
    connect(m_apply, &QPushButton::clicked, this, [this] { ApplyEditor(); });
    connect(m_revert, &QPushButton::clicked, this, [this] { LoadEditor(); });
    if (tree)
        connect(tree, &QObject::destroyed, this, &cTranslationsWindow::Detach);

    std::vector<size_t> shown;
    for (size_t i = 0; i < m_set->LanguageCount() && i < kFirstShown; ++i)
        shown.push_back(i);
    ShowLanguages(std::move(shown));
}

cTranslationsWindow::~cTranslationsWindow() {
    // The view lets go of the models before they go.
    m_view->setModel(nullptr);
}

cTranslationsWindow* cTranslationsWindow::ShowFor(CPelwinDoc& doc, QWidget* frame,
                                                  cPolTreeView* tree, QUndoStack* history,
                                                  std::function<void()> save) {
    cTranslationsWindow* window = nullptr;
    for (auto* found : frame->findChildren<cTranslationsWindow*>(Qt::FindDirectChildrenOnly))
        if (found->m_doc == &doc)
            window = found;
    if (!window)
        window = new cTranslationsWindow(doc, tree, history, std::move(save), frame);
    else
        window->OnHistoryChanged();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void cTranslationsWindow::SetPrompts(cTranslationPrompts* prompts) {
    m_prompts = prompts ? prompts : &m_dialogs;
}

void cTranslationsWindow::Detach() {
    if (!m_doc)
        return;
    m_doc = nullptr;
    m_view->setModel(nullptr);
    hide();
    deleteLater();
}

void cTranslationsWindow::ShowLanguages(std::vector<size_t> languages) {
    m_table->SetShownLanguages(std::move(languages));
    m_rows->Update();
    // The texts share the width the id leaves, each at least a readable part of it.
    const int nameWidth = 220;
    const int texts = m_table->columnCount() - cTranslationTableModel::kSourceColumn;
    const int room = std::max(width(), 800) - nameWidth - 40;
    m_view->setColumnWidth(cTranslationTableModel::kNameColumn, nameWidth);
    for (int column = cTranslationTableModel::kSourceColumn; column < m_table->columnCount();
         ++column)
        m_view->setColumnWidth(column, std::max(200, room / std::max(texts, 1)));
    BuildLanguagesMenu();
    UpdateCounts();
    LoadEditor();
}

void cTranslationsWindow::BuildLanguagesMenu() {
    m_languagesMenu->clear();
    const auto& shown = m_table->ShownLanguages();
    for (size_t i = 0; i < m_set->LanguageCount(); ++i) {
        QAction* action = m_languagesMenu->addAction(ToQ(m_set->Language(i)));
        action->setCheckable(true);
        action->setChecked(std::find(shown.begin(), shown.end(), i) != shown.end());
        action->setToolTip(ToQ(m_set->Languages()->PlaceOf(i)));
        connect(action, &QAction::toggled, this, [this, i](bool on) {
            std::vector<size_t> now = m_table->ShownLanguages();
            auto at = std::find(now.begin(), now.end(), i);
            if (on && at == now.end())
                now.push_back(i);
            else if (!on && at != now.end())
                now.erase(at);
            std::sort(now.begin(), now.end());
            ShowLanguages(std::move(now));
        });
    }
    if (m_set->LanguageCount() == 0)
        m_languagesMenu->addAction(QStringLiteral("(no other language yet)"))->setEnabled(false);
    m_languagesButton->setEnabled(m_set->Languages() != nullptr);
}

void cTranslationsWindow::OnHistoryChanged() {
    if (!m_doc)
        return;
    m_table->Refresh();
    UpdateCounts();
    // The editor follows the cell unless it holds the user's own changes.
    if (m_editor->toPlainText() == m_loaded)
        LoadEditor();
    else
        UpdateEditorButtons();
}

void cTranslationsWindow::OnCurrentChanged() {
    const QModelIndex current = m_rows->mapToSource(m_view->currentIndex());
    const bool rowChanged = current.row() != m_editRow;
    LoadEditor();
    if (!rowChanged || !current.isValid() || !m_tree || !m_doc)
        return;
    // The tree selects the node that shows the string, as the find bar does.
    const Text& name = m_set->Name(size_t(current.row()));
    if (cTreeItem* item = ItemUsingString(m_doc->Tree(), name)) {
        if (m_tree->Select(item) && m_tree)
            m_tree->scrollTo(m_tree->TreeModel()->IndexFromItem(item));
    }
}

void cTranslationsWindow::LoadEditor() {
    const QModelIndex current = m_rows->mapToSource(m_view->currentIndex());
    m_editRow = current.isValid() ? current.row() : -1;
    m_editColumn = -1;
    if (current.isValid()) {
        // On the id, the editor takes the first shown language (or the display text).
        m_editColumn =
            current.column() == cTranslationTableModel::kNameColumn
                ? (m_table->ShownLanguages().empty() ? cTranslationTableModel::kSourceColumn
                                                     : cTranslationTableModel::kFirstLanguageColumn)
                : current.column();
    }
    QString title;
    m_loaded.clear();
    if (m_editRow >= 0) {
        const QModelIndex cell = m_table->index(m_editRow, m_editColumn);
        m_loaded = m_table->data(cell, Qt::EditRole).toString();
        const size_t language = m_table->LanguageOfColumn(m_editColumn);
        title = ToQ(m_set->Name(size_t(m_editRow))) + QStringLiteral(" \u2014 ");
        if (language == cTranslationSet::npos) {
            title += m_table->headerData(m_editColumn, Qt::Horizontal).toString();
        } else {
            const cCellState state = m_set->State(size_t(m_editRow), language);
            title += ToQ(m_set->Language(language)) + QStringLiteral(" (") +
                     QString::fromLatin1(CellStateName(state)) + QStringLiteral(")");
        }
    }
    m_editorTitle->setText(title.isEmpty() ? QStringLiteral("Select a text to edit it here")
                                           : title);
    {
        QSignalBlocker block(m_editor);
        m_editor->setPlainText(m_loaded);
    }
    m_editor->setEnabled(m_editRow >= 0);
    // A presentation's display texts are its controls' labels, edited on its policy's parts.
    m_editor->setReadOnly(m_editRow >= 0 && m_editColumn == cTranslationTableModel::kSourceColumn &&
                          !m_set->IsDisplayText(size_t(m_editRow)));
    UpdateEditorButtons();
}

void cTranslationsWindow::UpdateEditorButtons() {
    const bool changed = m_editRow >= 0 && m_editor->toPlainText() != m_loaded;
    m_apply->setEnabled(changed);
    m_revert->setEnabled(changed);
}

bool cTranslationsWindow::ApplyEditor() {
    if (!m_doc || m_editRow < 0 || m_editor->toPlainText() == m_loaded)
        return false;
    const QString text = m_editor->toPlainText();
    // Loaded again from the history's signal once the step is made.
    m_loaded = text;
    return m_table->setData(m_table->index(m_editRow, m_editColumn), text, Qt::EditRole);
}

void cTranslationsWindow::UpdateCounts(bool recount) {
    if (recount) {
        // The states change with the texts only, not with what the table shows of them.
        m_stateCounts.clear();
        for (size_t language : m_table->ShownLanguages()) {
            const cStateCounts counts = m_set->Counts(language);
            m_stateCounts +=
                QStringLiteral("   |   %1: %2 missing, %3 untranslated, %4 stale, %5 translated")
                    .arg(ToQ(m_set->Language(language)))
                    .arg(counts[cCellState::Missing])
                    .arg(counts[cCellState::Untranslated])
                    .arg(counts[cCellState::Stale])
                    .arg(counts[cCellState::Translated]);
        }
    }
    QString line = QStringLiteral("%1, %2 shown")
                       .arg(ToQ(Counted(static_cast<long long>(m_set->RowCount()), u"id", u"ids")))
                       .arg(m_rows->rowCount());
    if (!m_set->Languages()) {
        line += QStringLiteral(" \u2014 this template's format keeps no other languages");
    } else if (m_set->LanguageCount() == 0) {
        line += QStringLiteral(
            " \u2014 no other language yet: Add translation from file... or Add language...");
    }
    m_counts->setText(line + m_stateCounts);
}

QString cTranslationsWindow::Folder() const {
    return m_doc && !m_doc->Path().empty() ? QFileInfo(ToQ(m_doc->Path())).absolutePath()
                                           : QString();
}

size_t cTranslationsWindow::CurrentLanguage() const {
    const QModelIndex current = m_rows->mapToSource(m_view->currentIndex());
    size_t language =
        current.isValid() ? m_table->LanguageOfColumn(current.column()) : cTranslationSet::npos;
    if (language == cTranslationSet::npos && !m_table->ShownLanguages().empty())
        language = m_table->ShownLanguages().front();
    return language;
}

// ---- Languages and exchange ------------------------------------------------------------

bool cTranslationsWindow::AddTranslationFromFile() {
    cDocumentLanguages* languages = m_set->Languages();
    if (!m_doc || !languages)
        return false;
    QString path = Folder();
    if (!m_prompts->AskOpenFile(this, QStringLiteral("Add translation from file"),
                                QStringLiteral("Templates (*.adm);;All files (*)"), path))
        return false;
    QString language = ToQ(LanguageOfFileName(FromQ(path)));
    if (language.isEmpty() &&
        !m_prompts->AskLanguage(this, QStringLiteral("Add translation from file"), QString(),
                                language))
        return false;
    Text problem;
    if (!languages->AddFromFile(FromQ(path), FromQ(language), problem)) {
        ShowMessage(kSeverityError, u"%s", {problem});
        return false;
    }
    m_table->Refresh();
    std::vector<size_t> shown = m_table->ShownLanguages();
    shown.push_back(m_set->IndexOf(FromQ(language)));
    ShowLanguages(std::move(shown));
    return true;
}

bool cTranslationsWindow::AddLanguage() {
    if (!m_doc)
        return false;
    QString language;
    if (!m_prompts->AskLanguage(this, QStringLiteral("Add language"), QString(), language))
        return false;
    Text problem;
    auto step = cAddLanguageStep::Make(*m_doc, FromQ(language), problem);
    if (!step) {
        ShowMessage(kSeverityError, u"%s", {problem});
        return false;
    }
    if (!PerformStep(*m_doc, std::move(step)))
        return false;
    m_table->Refresh();
    std::vector<size_t> shown = m_table->ShownLanguages();
    const size_t added = m_set->IndexOf(FromQ(language));
    if (added != cTranslationSet::npos &&
        std::find(shown.begin(), shown.end(), added) == shown.end())
        shown.push_back(added);
    ShowLanguages(std::move(shown));
    return true;
}

bool cTranslationsWindow::ExportLanguage() {
    const size_t language = CurrentLanguage();
    if (!m_doc || language == cTranslationSet::npos) {
        ShowMessage(kSeverityError, u"Show a language to export it.");
        return false;
    }
    const Text docPath = m_doc->Path().empty() ? m_doc->Title() : m_doc->Path();
    QString suggested = ToQ(LanguageFilePath(docPath, m_set->Language(language)));
    suggested = QFileInfo(suggested).path() + QLatin1Char('/') +
                QFileInfo(suggested).completeBaseName() + QStringLiteral(".xlf");
    QString path;
    if (!m_prompts->AskSaveFile(this,
                                QStringLiteral("Export %1").arg(ToQ(m_set->Language(language))),
                                suggested, QStringLiteral("XLIFF (*.xlf *.xliff)"), path))
        return false;
    const Text original = FromQ(QFileInfo(ToQ(docPath)).fileName());
    cXliffFile file = ::ExportLanguage(*m_set, language, original);
    if (file.sourceLanguage.empty())
        file.sourceLanguage = u"en-US";
    std::string bytes;
    Text problem;
    if (!WriteXliff(file, bytes, problem)) {
        ShowMessage(kSeverityError, u"%s", {problem});
        return false;
    }
    return ReplaceFile(FromQ(path), bytes);
}

bool cTranslationsWindow::ImportFile() {
    if (!m_doc)
        return false;
    QString path = Folder();
    if (!m_prompts->AskOpenFile(this, QStringLiteral("Import translations"),
                                QStringLiteral("XLIFF (*.xlf *.xliff);;All files (*)"), path))
        return false;
    std::string bytes;
    int err = 0;
    cXliffFile file;
    cImportPlan plan;
    Text problem;
    if (!ReadWholeFile(path.toStdString(), bytes, err)) {
        ShowMessage(kSeverityError, u"%s cannot be read.", {FromQ(path)});
        return false;
    }
    if (!ReadXliff(bytes, file, problem) || !PlanImport(*m_set, file, plan, problem)) {
        ShowMessage(kSeverityError, u"%s: %s", {FromQ(path), problem});
        return false;
    }
    if (plan.changes.empty()) {
        ShowMessage(kSeverityInformation, u"%s: no text differs from the template's.",
                    {FromQ(path)});
        return true;
    }
    return ApplyImport(*m_doc, plan);
}

void cTranslationsWindow::keyPressEvent(QKeyEvent* event) {
    // Esc reaches the window when the control with the focus has no use for it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
