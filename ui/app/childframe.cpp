#include "ui/app/childframe.h"

#include <QCloseEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "core/document/document.h"
#include "ui/edit/undohistory.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/findbar.h"
#include "ui/tree/poltreeview.h"

namespace {

// Stands in for a view until the real one is put in its place.
QWidget* CreatePlaceholder(const QColor& background, QWidget* parent) {
    auto* pane = new QWidget(parent);
    pane->setAutoFillBackground(true);
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Window, background);
    pane->setPalette(palette);
    pane->setFocusPolicy(Qt::StrongFocus);
    return pane;
}

}  // namespace

CChildFrame::CChildFrame(CPelwinDoc& doc, QSize initialSize, QWidget* parent)
    : QMdiSubWindow(parent),
      m_doc(&doc),
      m_splitter(new QSplitter(Qt::Horizontal, this)),
      m_treeColumn(new QWidget(m_splitter)),
      m_findBar(new cFindBar(m_treeColumn)),
      m_history(new cUndoHistory(doc, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/template.png")));
    m_splitter->setChildrenCollapsible(false);
    m_treePane = CreatePlaceholder(palette().color(QPalette::Base), m_treeColumn);
    auto* column = new QVBoxLayout(m_treeColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_findBar);
    column->addWidget(m_treePane, 1);
    // Next, Previous and Esc work from the field and from the tree alike.
    m_treeColumn->addActions(m_findBar->KeyActions());
    m_splitter->addWidget(m_treeColumn);
    m_splitter->addWidget(CreatePlaceholder(QColor(192, 192, 192), m_splitter));
    setWidget(m_splitter);

    // The panes take a third and two thirds of the frame's width; the frame grows by its
    // borders and the splitter's bar so that both get their whole share.
    ensurePolished();
    const QMargins margins = contentsMargins();
    const int extra = margins.left() + margins.right() + m_splitter->handleWidth();
    auto [left, right] = InitialPaneWidths(initialSize.width());
    resize(initialSize.width() + extra, initialSize.height());
    m_splitter->setSizes({left, right});

    // The frame stands for the window and the document's own tree holds the nodes until a
    // tree view takes that role.
    doc.SetFrame(this);
    doc.SetTreeView(&doc.Tree());
    // Saving and reading clear the flag: the history's clean state is then where it stands.
    doc.SetModifiedCallback([this](bool modified) {
        setWindowModified(modified);
        if (!modified && m_history)
            m_history->MarkClean();
    });
    UpdateTitle();
}

CChildFrame::~CChildFrame() {
    if (m_doc)
        m_doc->SetModifiedCallback(nullptr);
}

QSize CChildFrame::InitialSize(QSize area) {
    return QSize(std::max(area.width() * 3 / 4, 480), std::max(area.height() * 3 / 4, 320));
}

std::pair<int, int> CChildFrame::InitialPaneWidths(int frameWidth) {
    return {frameWidth / 3, frameWidth * 2 / 3};
}

QWidget* CChildFrame::TreePane() const {
    return m_treePane;
}

QWidget* CChildFrame::PreviewPane() const {
    return m_splitter->widget(1);
}

void CChildFrame::SetTreePane(QWidget* pane) {
    QWidget* old = m_treePane;
    if (old)
        m_treeColumn->layout()->replaceWidget(old, pane);
    else
        static_cast<QVBoxLayout*>(m_treeColumn->layout())->addWidget(pane, 1);
    m_treePane = pane;
    m_findBar->SetTreeView(qobject_cast<cPolTreeView*>(pane));
    delete old;
}

void CChildFrame::SetPreviewPane(QWidget* pane) {
    ReplacePane(1, pane);
}

void CChildFrame::ReplacePane(int index, QWidget* pane) {
    QWidget* old = m_splitter->replaceWidget(index, pane);
    delete old;
}

void CChildFrame::UpdateTitle(const QString& shown) {
    if (!m_doc)
        return;
    QString title = shown.isEmpty() ? QString::fromStdU16String(m_doc->Title()) : shown;
    // A literal "[*]" in a file name must not become the modified mark.
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_doc->IsModified());
}

void CChildFrame::FocusNextPane() {
    QWidget* tree = TreePane();
    QWidget* preview = PreviewPane();
    bool inTree = tree && (tree == focusWidget() || tree->isAncestorOf(focusWidget()));
    QWidget* target = inTree ? preview : tree;
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

void CChildFrame::Detach() {
    if (!m_doc)
        return;
    m_doc->SetModifiedCallback(nullptr);
    m_history->Detach();
    m_doc->SetTreeView(nullptr);
    m_doc->SetFrame(nullptr);
    m_doc = nullptr;
    QWidget* tree = TreePane();
    QWidget* preview = PreviewPane();
    m_findBar->SetTreeView(nullptr);
    m_findBar->Close();
    delete tree;
    delete preview;
}

const cRouteTable* CChildFrame::ActiveViewRoutes() const {
    if (!m_doc)
        return nullptr;
    auto* preview = qobject_cast<cPolLeaveView*>(PreviewPane());
    return preview && preview->HasActiveBorder() ? &m_previewRoutes : &m_treeRoutes;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    // Closing runs the document's close, which asks about unsaved changes and, when it goes
    // on, detaches this frame before the document is destroyed.
    if (m_doc && m_closeHandler && !m_closeHandler(*m_doc)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
