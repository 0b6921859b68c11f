#include "ui/tree/poltreeview.h"

#include <QScrollBar>

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "core/document/document.h"
#include "core/edit/treeselection.h"
#include "core/model/seams.h"
#include "ui/tree/treemodel.h"

// ---- cTreeSelectionModel --------------------------------------------------------------

cTreeSelectionModel::cTreeSelectionModel(QAbstractItemModel* model, Veto veto, QObject* parent)
    : QItemSelectionModel(model, parent), m_veto(std::move(veto)) {}

bool cTreeSelectionModel::Move(const QModelIndex& to) {
    if (to == m_selected)
        return true;
    // The veto may run a nested event loop (a question, a message); a move asked for
    // meanwhile is refused rather than overwritten by the outer one's answer.
    if (m_moving || (m_refused.isValid() && to == m_refused))
        return false;
    m_moving = true;
    bool allowed = m_veto(m_selected, to);
    m_moving = false;
    if (allowed)
        m_selected = to;
    else
        m_refused = to;
    return allowed;
}

void cTreeSelectionModel::ForgetRefusal() {
    m_refused = QPersistentModelIndex();
}

void cTreeSelectionModel::SelectOnly(const QModelIndex& index) {
    m_internal = true;
    QItemSelectionModel::select(QItemSelection(index, index), ClearAndSelect);
    if (currentIndex() != index)
        QItemSelectionModel::setCurrentIndex(index, NoUpdate);
    m_internal = false;
}

void cTreeSelectionModel::setCurrentIndex(const QModelIndex& index, SelectionFlags command) {
    if (m_internal || !index.isValid()) {
        QItemSelectionModel::setCurrentIndex(index, command);
        return;
    }
    // The cursor is the selection: a cursor move that selects nothing (a mouse press, before
    // its selection) waits for the selection that follows.
    if (command == NoUpdate || !Move(index))
        return;
    // The selection follows the cursor, whatever the keys held.
    SelectOnly(m_selected);
}

void cTreeSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
    if (m_internal) {
        QItemSelectionModel::select(selection, command);
        return;
    }
    QModelIndex target;
    if (command & (Select | Toggle)) {
        const QModelIndexList indexes = selection.indexes();
        if (!indexes.isEmpty())
            target = indexes.first();
    }
    if (!target.isValid())
        return;
    if (Move(target) || m_selected.isValid())
        SelectOnly(m_selected);
}

void cTreeSelectionModel::Forget() {
    m_selected = QPersistentModelIndex();
    m_internal = true;
    clear();
    m_internal = false;
}

// ---- Labels ---------------------------------------------------------------------------

namespace {

// Draws every label as the view fits it (cPolTreeView::LabelShown).
class cLabelDelegate : public QStyledItemDelegate {
public:
    explicit cLabelDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), m_view(view) {}

    // The label to draw in a cell with the given option (its rect in viewport coordinates).
    QString Shown(QStyleOptionViewItem option, const QModelIndex& index) const {
        initStyleOption(&option, index);
        return Fitted(option);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shown = option;
        initStyleOption(&shown, index);
        shown.text = Fitted(shown);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, widget);
    }

private:
    QString Fitted(const QStyleOptionViewItem& option) const {
        if (!option.text.isRightToLeft())
            return option.text;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
        // The style keeps a margin on either side of the text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int room = m_view->viewport()->width() - text.left() - 2 * margin;
        if (option.fontMetrics.horizontalAdvance(option.text) <= room)
            return option.text;
        return option.fontMetrics.elidedText(option.text, Qt::ElideRight, std::max(room, 0));
    }

    QAbstractItemView* m_view;  // Not owned.
};

}  // namespace

// ---- cPolTreeView ----------------------------------------------------------------------

cPolTreeView::cPolTreeView(CPelwinDoc& doc, QWidget* frame, QWidget* parent)
    : QTreeView(parent), m_doc(&doc), m_model(new cTreeModel(doc.Tree(), this)) {
    if (frame) {
        doc.SetFrame(frame);
        doc.SetTreeView(&doc.Tree());
    }
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setDragDropMode(NoDragDrop);
    setDragEnabled(false);
    setSelectionMode(SingleSelection);
    setIconSize(QSize(16, 16));
    // The selection stays marked while another pane or window has the focus.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    setModel(m_model);
    setItemDelegate(new cLabelDelegate(this));
    // Long labels are scrolled to rather than cut short. The column is fitted to its labels
    // once after a batch of changes: fitted on every change, expanding a large tree would
    // measure every row once per expanded item.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Fixed);
    QItemSelectionModel* standard = selectionModel();
    m_selection = new cTreeSelectionModel(
        m_model,
        [this](const QModelIndex& from, const QModelIndex& to) { return AllowMove(from, to); },
        this);
    setSelectionModel(m_selection);
    delete standard;

    connect(m_model, &cTreeModel::itemAboutToBeRemoved, this, &cPolTreeView::ItemAboutToBeRemoved);
    // A policy shown in the preview whose parts changed (a part deleted, or put back by an
    // undo) is laid out again.
    connect(m_model, &cTreeModel::nodeDataChanged, this, [this](cTreeItem* item, cData* node) {
        if (item && item == SelectedItem() && node == item->node.get() && node->kind == kKindPolicy)
            ShowInPreview(node);
    });
    // Only containers change their book; a policy keeps its page, whatever expanding all
    // announces for it.
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { SetBook(index, kImageOpenBook); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { SetBook(index, kImageClosedBook); });
    // An item put back by an undo comes with its subtree: containers that were open before
    // are opened again, so that their books and their expansion agree.
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                for (int row = first; row <= last; ++row)
                    ReopenBooks(m_model->ItemFromIndex(m_model->index(row, 0, parent)));
            });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, &cPolTreeView::FitColumnLater);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &cPolTreeView::FitColumnLater);
    connect(m_model, &QAbstractItemModel::modelReset, this, &cPolTreeView::FitColumnLater);
    connect(this, &QTreeView::expanded, this, &cPolTreeView::FitColumnLater);
    connect(this, &QTreeView::collapsed, this, &cPolTreeView::FitColumnLater);
    FitColumnLater();
    // The sheet comes up where it was, and the tree keeps the focus.
    connect(this, &QAbstractItemView::doubleClicked, this, [] {
        if (cPropertySheetSeam* sheet = SharedState().sheet)
            sheet->ShowWindow(false);
    });
}

cPolTreeView::~cPolTreeView() = default;

void cPolTreeView::SetBook(const QModelIndex& index, int image) {
    cTreeItem* item = m_model->ItemFromIndex(index);
    if (item && !item->children.empty())
        m_doc->Tree().SetStateImage(item, image);
}

void cPolTreeView::ReopenBooks(cTreeItem* item) {
    if (!item || item->children.empty())
        return;
    cTemplateTree::ForEachInSubtree(item, [this](cTreeItem* at) {
        if (at->stateImage == kImageOpenBook && !at->children.empty())
            setExpanded(m_model->IndexFromItem(at), true);
    });
}

void cPolTreeView::FitColumnLater() {
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] { FitColumn(); });
}

void cPolTreeView::FitColumn() {
    m_fitPending = false;
    const int width = sizeHintForColumn(0);
    if (width > 0 && header()->sectionSize(0) != width)
        header()->resizeSection(0, width);
}

cTreeItem* cPolTreeView::SelectedItem() const {
    return m_model->ItemFromIndex(m_selection->Selected());
}

cData* cPolTreeView::SelectedNode() const {
    return m_doc->Tree().NodeOf(SelectedItem());
}

bool cPolTreeView::Select(cTreeItem* item) {
    QModelIndex index = m_model->IndexFromItem(item);
    if (!index.isValid())
        return false;
    m_selection->ForgetRefusal();
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    return SelectedItem() == item;
}

void cPolTreeView::DeleteItem(cTreeItem* item) {
    m_doc->Tree().DeleteItem(item);
}

cPreviewTarget* cPolTreeView::Preview() const {
    // The view stands in the splitter's left pane, directly or under the find bar.
    QSplitter* splitter = nullptr;
    for (QWidget* up = parentWidget(); up && !splitter; up = up->parentWidget())
        splitter = qobject_cast<QSplitter*>(up);
    if (!splitter || splitter->count() < 2)
        return nullptr;
    return dynamic_cast<cPreviewTarget*>(splitter->widget(1));
}

QString cPolTreeView::LabelShown(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    if (auto* delegate = dynamic_cast<cLabelDelegate*>(itemDelegate()))
        return delegate->Shown(option, index);
    return index.data().toString();
}

void cPolTreeView::ShowInPreview(cData* node) {
    ::ShowInPreview(node, Preview());
}

bool cPolTreeView::AllowMove(const QModelIndex& from, const QModelIndex& to) {
    cTemplateTree& tree = m_doc->Tree();
    return AllowSelectionMove(tree.NodeOf(m_model->ItemFromIndex(from)),
                              tree.NodeOf(m_model->ItemFromIndex(to)), Preview());
}

void cPolTreeView::ItemAboutToBeRemoved(cTreeItem* item) {
    cTemplateTree& tree = m_doc->Tree();
    if (!tree.IsSelfOrAncestor(item, SelectedItem()))
        return;
    // The selection moves off the doomed subtree first, like any other selection change.
    cTreeItem* next = tree.NextSiblingOf(item);
    if (!next && item->Row() > 0)
        next = item->parent->children[size_t(item->Row() - 1)].get();
    if (!next)
        next = tree.ParentOf(item);
    if (next)
        Select(next);
    if (tree.IsSelfOrAncestor(item, SelectedItem()))
        m_selection->Forget();
}

QItemSelectionModel::SelectionFlags cPolTreeView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // The selection moves where the button goes down, not along a drag.
    if (event && event->type() == QEvent::MouseMove)
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void cPolTreeView::keyPressEvent(QKeyEvent* event) {
    // One key press asks for the same move more than once; the user answers it once.
    m_selection->ForgetRefusal();
    QTreeView::keyPressEvent(event);
    m_selection->ForgetRefusal();
}

void cPolTreeView::mousePressEvent(QMouseEvent* event) {
    m_selection->ForgetRefusal();
    QTreeView::mousePressEvent(event);
    m_selection->ForgetRefusal();
}

void cPolTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* sideways = horizontalScrollBar();
    const int kept = sideways->value();
    QTreeView::scrollTo(index, hint);
    sideways->setValue(kept);
}

void cPolTreeView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    // A menu closing gives the focus back without the view having lost its activation.
    if (event->reason() != Qt::PopupFocusReason)
        HandOverOnActivation(SelectedNode());
}

void cPolTreeView::drawBranches(QPainter* painter, const QRect& rect,
                                const QModelIndex& index) const {
    // Dotted lines join every item to its parent and siblings, with a boxed plus or minus
    // on the items that have children, as the tree controls of dialog editors draw them.
    const int indent = indentation();
    const QColor lineColour = palette().color(QPalette::Dark);
    painter->save();
    painter->setPen(lineColour);
    auto vertical = [&](int x, int top, int bottom) {
        for (int y = top + ((top + x) & 1); y <= bottom; y += 2)
            painter->drawPoint(x, y);
    };
    auto horizontal = [&](int left, int right, int y) {
        for (int x = left + ((left + y) & 1); x <= right; x += 2)
            painter->drawPoint(x, y);
    };

    // A sibling the find bar hides does not continue the line.
    auto hasShownNext = [this](const QModelIndex& item) {
        const int rows = model()->rowCount(item.parent());
        for (int row = item.row() + 1; row < rows; ++row)
            if (!isRowHidden(row, item.parent()))
                return true;
        return false;
    };
    const QRect own(rect.right() + 1 - indent, rect.top(), indent, rect.height());
    const int midX = own.left() + indent / 2;
    const int midY = own.top() + own.height() / 2;
    const bool hasNext = hasShownNext(index);
    const bool firstAtRoot = !index.parent().isValid() && index.row() == 0;
    vertical(midX, firstAtRoot ? midY : own.top(), hasNext ? own.bottom() : midY);
    horizontal(midX, own.right() - 2, midY);

    int x = own.left();
    for (QModelIndex ancestor = index.parent(); ancestor.isValid(); ancestor = ancestor.parent()) {
        x -= indent;
        if (hasShownNext(ancestor))
            vertical(x + indent / 2, own.top(), own.bottom());
    }

    if (model()->hasChildren(index)) {
        const QRect box(midX - 4, midY - 4, 8, 8);
        painter->fillRect(box, palette().color(QPalette::Base));
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawRect(box);
        painter->setPen(palette().color(QPalette::Text));
        painter->drawLine(midX - 2, midY, midX + 2, midY);
        if (!isExpanded(index))
            painter->drawLine(midX, midY - 2, midX, midY + 2);
    }
    painter->restore();
}
