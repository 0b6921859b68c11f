#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <utility>

#include "ui/app/commandroutes.h"

class CPelwinDoc;
class QSplitter;
class cUndoHistory;
class cFindBar;

// The window of one template: a splitter with the template's tree on the left, under its find
// bar, and its preview on the right. It lives as long as its document.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Returns false when the document must stay open (the user cancelled, or saving failed).
    using CloseHandler = std::function<bool(CPelwinDoc&)>;

    // The frame starts with initialSize; the panes share its width one third to two thirds.
    CChildFrame(CPelwinDoc& doc, QSize initialSize, QWidget* parent = nullptr);
    ~CChildFrame() override;

    // The size a new template window gets in an area of the given size.
    static QSize InitialSize(QSize area);
    // Initial widths of the tree and the preview pane for a frame of the given width.
    static std::pair<int, int> InitialPaneWidths(int frameWidth);

    CPelwinDoc* Document() const { return m_doc; }
    QSplitter* Splitter() const { return m_splitter; }
    // The tree itself, not the column that holds it with the find bar.
    QWidget* TreePane() const;
    QWidget* PreviewPane() const;
    // Put the real views in place of the placeholders; the splitter keeps the pane sizes and
    // takes ownership. The previous pane is deleted.
    void SetTreePane(QWidget* pane);
    void SetPreviewPane(QWidget* pane);

    void SetCloseHandler(CloseHandler handler) { m_closeHandler = std::move(handler); }

    // The document's undo history; null once detached.
    cUndoHistory* History() const { return m_history; }
    // The commands the tree and the preview handle while they are the active view, and
    // those of the document itself.
    cRouteTable& TreeRoutes() { return m_treeRoutes; }
    cRouteTable& PreviewRoutes() { return m_previewRoutes; }
    cRouteTable& DocumentRoutes() { return m_documentRoutes; }
    // The table of the active view: the preview while it has the active border, else the
    // tree.
    const cRouteTable* ActiveViewRoutes() const;
    // The caption: the document's title, or shown when given (the title told apart from
    // another window's of the same name).
    void UpdateTitle(const QString& shown = QString());
    // Moves the focus from one pane to the other (F6, Shift+F6).
    void FocusNextPane();
    // The find bar above the tree (Edit > Find...); hidden until opened.
    cFindBar* FindBar() const { return m_findBar; }

    // The document is being destroyed: drop its views now, since they belong to it, and
    // forget it. The frame itself goes when it is closed.
    void Detach();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ReplacePane(int index, QWidget* pane);

    CPelwinDoc* m_doc;  // Not owned.
    QSplitter* m_splitter;
    QWidget* m_treeColumn;  // the find bar over the tree pane
    cFindBar* m_findBar;
    QPointer<QWidget> m_treePane;
    CloseHandler m_closeHandler;
    cUndoHistory* m_history;
    cRouteTable m_treeRoutes;
    cRouteTable m_previewRoutes;
    cRouteTable m_documentRoutes;
};
