#pragma once

#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

class CPelwinDoc;
class cData;
class cPreviewTarget;
class cTreeModel;
struct cTreeItem;

// The selection of a template tree: exactly the cursor item is selected, and every move to
// another item is first put to a veto, which may refuse it. Requests that would leave
// nothing selected are ignored, as a tree control always keeps its selection.
class cTreeSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    // Answers whether the selection may move from the first index to the second.
    using Veto = std::function<bool(const QModelIndex&, const QModelIndex&)>;

    cTreeSelectionModel(QAbstractItemModel* model, Veto veto, QObject* parent = nullptr);

    QModelIndex Selected() const { return m_selected; }
    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    using QItemSelectionModel::select;
    // Leaves no item selected without asking (the selected item is going away).
    void Forget();
    // A refused move is not asked again while one input event is handled; the next event
    // may ask again.
    void ForgetRefusal();

private:
    bool Move(const QModelIndex& to);
    void SelectOnly(const QModelIndex& index);

    Veto m_veto;
    QPersistentModelIndex m_selected;
    QPersistentModelIndex m_refused;
    bool m_internal = false;
    bool m_moving = false;
};

// The left pane of a template window. It is the template: its model is a view of the
// document's tree, which owns the nodes. Selecting an item hands its node to the property
// sheet and shows it in the window's preview pane.
class cPolTreeView : public QTreeView {
    Q_OBJECT
public:
    // frame is the template window around the view; with a frame the document learns the
    // frame and its tree view.
    explicit cPolTreeView(CPelwinDoc& doc, QWidget* frame = nullptr, QWidget* parent = nullptr);
    ~cPolTreeView() override;

    CPelwinDoc& Document() const { return *m_doc; }
    cTreeModel* TreeModel() const { return m_model; }

    cTreeItem* SelectedItem() const;
    cData* SelectedNode() const;
    // Runs the selection change, which may refuse; true when item is selected afterwards.
    bool Select(cTreeItem* item);
    // Deletes item and its subtree; the selection moves off it first.
    void DeleteItem(cTreeItem* item);
    // Lays node out again in the preview pane, as after its parts changed.
    void ShowInPreview(cData* node);
    // The right-hand pane of the window's splitter, or null.
    cPreviewTarget* Preview() const;
    // The label as the tree draws it now. One that reads right to left starts at its right
    // end: when that end lies past the pane's right edge it is cut at its own end instead,
    // so that its start stays in view.
    QString LabelShown(const QModelIndex& index) const;
    // Brings the item into view by scrolling up or down only: following the selection
    // sideways would hide the branches of the items around it.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    bool AllowMove(const QModelIndex& from, const QModelIndex& to);
    void ItemAboutToBeRemoved(cTreeItem* item);
    // Gives a container item the book of its state; items without children keep theirs.
    void SetBook(const QModelIndex& index, int image);
    void ReopenBooks(cTreeItem* item);
    // Fits the column to the labels once the current batch of changes is done.
    void FitColumnLater();
    void FitColumn();

    CPelwinDoc* m_doc;  // Not owned.
    cTreeModel* m_model;
    cTreeSelectionModel* m_selection;
    bool m_fitPending = false;
};
