#include "ui/tree/findbar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include "core/check/find.h"
#include "core/document/document.h"
#include "ui/tree/poltreeview.h"
#include "ui/tree/treemodel.h"

namespace {

QToolButton* Button(QWidget* parent, QAction* action, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    action->setIcon(parent->style()->standardIcon(icon));
    button->setDefaultAction(action);
    return button;
}

}  // namespace

cFindBar::cFindBar(QWidget* parent)
    : QWidget(parent),
      m_field(new QLineEdit(this)),
      m_names(new QCheckBox(QStringLiteral("Names and texts"), this)),
      m_keys(new QCheckBox(QStringLiteral("Registry keys and value names"), this)),
      m_case(new QCheckBox(QStringLiteral("Match case"), this)),
      m_count(new QLabel(this)),
      m_next(new QAction(QStringLiteral("Next"), this)),
      m_previous(new QAction(QStringLiteral("Previous"), this)),
      m_close(new QAction(QStringLiteral("Close"), this)) {
    m_field->setPlaceholderText(QStringLiteral("Find"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_names->setChecked(true);
    m_keys->setChecked(true);
    m_field->setMinimumWidth(m_field->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 12);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_next->setShortcut(QKeySequence(Qt::Key_F3));
    m_next->setToolTip(QStringLiteral("Next match (F3, Enter)"));
    m_previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    m_previous->setToolTip(QStringLiteral("Previous match (Shift+F3)"));
    m_close->setShortcut(QKeySequence(Qt::Key_Escape));
    m_close->setToolTip(QStringLiteral("Close the find bar and show the whole tree (Esc)"));
    for (QAction* action : KeyActions()) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setEnabled(false);
    }

    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(m_field, 1);
    row->addWidget(m_count);
    row->addWidget(Button(this, m_previous, QStyle::SP_ArrowUp));
    row->addWidget(Button(this, m_next, QStyle::SP_ArrowDown));
    row->addWidget(Button(this, m_close, QStyle::SP_TitleBarCloseButton));
    // The options go below the field, two to a line, so that the bar fits a narrow tree.
    auto* options = new QGridLayout;
    options->setHorizontalSpacing(8);
    options->setVerticalSpacing(0);
    options->addWidget(m_names, 0, 0);
    options->addWidget(m_case, 0, 1);
    options->addWidget(m_keys, 1, 0, 1, 2);
    options->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addLayout(row);
    layout->addLayout(options);

    connect(m_next, &QAction::triggered, this, &cFindBar::FindNext);
    connect(m_previous, &QAction::triggered, this, &cFindBar::FindPrevious);
    connect(m_close, &QAction::triggered, this, &cFindBar::Close);
    connect(m_field, &QLineEdit::textChanged, this, [this] { Refilter(true); });
    for (QCheckBox* option : {m_names, m_keys, m_case})
        connect(option, &QCheckBox::toggled, this, [this] { Refilter(true); });
    hide();
}

cFindBar::~cFindBar() = default;

cPolTreeView* cFindBar::TreeView() const {
    return m_view;
}

QList<QAction*> cFindBar::KeyActions() const {
    return {m_next, m_previous, m_close};
}

void cFindBar::SetTreeView(cPolTreeView* view) {
    if (view == m_view)
        return;
    for (const auto& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_matches.clear();
    m_visible.clear();
    m_hidden.clear();
    m_unfolded.clear();
    m_refusedFirst = nullptr;
    m_view = view;
    if (view) {
        // While a filter is on, a change of the tree is matched again once it is done; the
        // matches are dropped at once, as they may name items about to go.
        cTreeModel* model = view->TreeModel();
        auto aboutToChange = [this] { ModelAboutToChange(); };
        auto changed = [this] { RefilterLater(); };
        m_connections = {
            connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, aboutToChange),
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this, aboutToChange),
            connect(model, &QAbstractItemModel::rowsInserted, this, changed),
            connect(model, &QAbstractItemModel::rowsRemoved, this, changed),
            connect(model, &QAbstractItemModel::modelReset, this, changed),
            // A label changed (an unfolded item's book changes too: that is the find's own).
            connect(model, &QAbstractItemModel::dataChanged, this,
                    [this] {
                        if (!m_updating)
                            RefilterLater();
                    }),
            connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                    [this] { UpdateCount(); }),
        };
    }
    if (isVisible())
        Refilter(false);
    UpdateCount();
}

void cFindBar::Open() {
    const bool wasHidden = isHidden();
    show();
    for (QAction* action : KeyActions())
        action->setEnabled(true);
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    // Opened again over the last text: the filter comes back, the selection stays (F3 moves).
    if (wasHidden && !m_field->text().isEmpty())
        Refilter(false);
}

void cFindBar::Close() {
    for (QAction* action : KeyActions())
        action->setEnabled(false);
    ShowAll();
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    if (m_view && (hadFocus || !m_view->hasFocus()))
        m_view->setFocus(Qt::OtherFocusReason);
}

void cFindBar::ModelAboutToChange() {
    m_matches.clear();
    m_visible.clear();
    m_refusedFirst = nullptr;
}

void cFindBar::RefilterLater() {
    if (!m_filtering || m_refilterPending)
        return;
    m_refilterPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refilterPending = false;
        if (m_filtering)
            Refilter(false);
    });
}

void cFindBar::Refilter(bool selectFirst) {
    if (!m_view || isHidden()) {
        UpdateCount();
        return;
    }
    const Text pattern = m_field->text().toStdU16String();
    if (pattern.empty()) {
        ShowAll();
        UpdateCount();
        return;
    }
    m_updating = true;
    m_filtering = true;
    cTemplateTree& tree = m_view->Document().Tree();
    cTreeModel* model = m_view->TreeModel();
    const cTextMatcher matcher(pattern, m_case->isChecked());
    cFindOptions options;
    options.namesAndTexts = m_names->isChecked();
    options.keysAndValues = m_keys->isChecked();
    options.matchCase = m_case->isChecked();

    // A node shows when it matches or holds a match somewhere below it.
    m_matches.clear();
    m_visible.clear();
    const cTreeOwner& owner = m_view->Document();
    tree.ForEachPreOrder([&](cTreeItem* item) {
        if (!item->node || !NodeMatches(*item->node, owner, options, matcher))
            return;
        m_matches.push_back(item);
        for (const cTreeItem* up = item; up && up != tree.Root(); up = up->parent)
            if (!m_visible.insert(up).second)
                break;
    });

    for (const QPersistentModelIndex& index : std::as_const(m_hidden))
        if (index.isValid())
            m_view->setRowHidden(index.row(), index.parent(), false);
    m_hidden.clear();
    std::vector<cTreeItem*> toUnfold;
    tree.ForEachPreOrder([&](cTreeItem* item) {
        const bool parentShown = item->parent == tree.Root() || m_visible.count(item->parent);
        if (!parentShown)
            return;
        if (!m_visible.count(item)) {
            QModelIndex index = model->IndexFromItem(item);
            m_view->setRowHidden(index.row(), index.parent(), true);
            m_hidden.append(index);
        } else if (item->parent != tree.Root()) {
            toUnfold.push_back(item->parent);
        }
    });
    // Unfolded once every row is hidden or shown: the view then lays out once, not per item.
    for (cTreeItem* item : toUnfold) {
        QModelIndex index = model->IndexFromItem(item);
        if (!m_view->isExpanded(index)) {
            m_view->expand(index);
            m_unfolded.append(index);
        }
    }
    m_updating = false;

    // A first match the sheet refused (the user kept unapplied edits) is not asked for again
    // on every further keystroke; F3 still asks.
    if (selectFirst && !m_matches.empty() && m_matches.front() != m_refusedFirst) {
        cTreeItem* first = m_matches.front();
        // The sheet may ask about unapplied edits and the tree may change meanwhile.
        const bool moved = m_view->Select(first);
        m_refusedFirst = moved ? nullptr : first;
        if (moved && m_view)
            m_view->scrollTo(model->IndexFromItem(first));
    }
    UpdateCount();
}

void cFindBar::ShowAll() {
    m_filtering = false;
    m_matches.clear();
    m_visible.clear();
    m_refusedFirst = nullptr;
    if (!m_view) {
        m_hidden.clear();
        m_unfolded.clear();
        return;
    }
    m_updating = true;
    for (const QPersistentModelIndex& index : std::as_const(m_hidden))
        if (index.isValid())
            m_view->setRowHidden(index.row(), index.parent(), false);
    m_hidden.clear();
    // What the find unfolded folds up again, except the way to the selection.
    cTreeItem* selected = m_view->SelectedItem();
    cTemplateTree& tree = m_view->Document().Tree();
    for (const QPersistentModelIndex& index : std::as_const(m_unfolded)) {
        cTreeItem* item = m_view->TreeModel()->ItemFromIndex(index);
        if (item && !(selected && tree.IsSelfOrAncestor(item, selected->parent)))
            m_view->collapse(index);
    }
    m_unfolded.clear();
    m_updating = false;
    if (selected)
        m_view->scrollTo(m_view->TreeModel()->IndexFromItem(selected));
}

void cFindBar::Step(bool forward) {
    if (!m_view || m_matches.empty())
        return;
    // The matches that come before the selected item in tree order; the selection itself
    // need not be a match (the user may have clicked an ancestor).
    cTreeItem* selected = m_view->SelectedItem();
    size_t before = 0;
    bool isMatch = false;
    if (selected) {
        bool reached = false;
        m_view->Document().Tree().ForEachPreOrder([&](cTreeItem* item) {
            if (reached)
                return;
            if (before < m_matches.size() && m_matches[before] == item) {
                if (item == selected) {
                    isMatch = true;
                    reached = true;
                    return;
                }
                ++before;
            }
            if (item == selected)
                reached = true;
        });
    }
    const size_t count = m_matches.size();
    size_t target =
        forward ? (isMatch ? before + 1 : before) % count : (before + count - 1) % count;
    cTreeItem* item = m_matches[target];
    if (m_view->Select(item) && m_view)
        m_view->scrollTo(m_view->TreeModel()->IndexFromItem(item));
    UpdateCount();
}

void cFindBar::FindNext() {
    Step(true);
}

void cFindBar::FindPrevious() {
    Step(false);
}

void cFindBar::UpdateCount() {
    if (!m_filtering) {
        m_count->clear();
        return;
    }
    size_t current = 0;
    if (m_view) {
        cTreeItem* selected = m_view->SelectedItem();
        for (size_t i = 0; i < m_matches.size() && !current; ++i)
            if (m_matches[i] == selected)
                current = i + 1;
    }
    m_count->setText(QStringLiteral("%1 of %2").arg(current).arg(m_matches.size()));
    // A search that finds nothing shows so in the field as well.
    QPalette colours = m_field->palette();
    colours.setColor(QPalette::Base,
                     m_matches.empty() ? QColor(255, 220, 220) : palette().color(QPalette::Base));
    m_field->setPalette(colours);
}

bool cFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Step(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
