#include "preview/polleaveview.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>

#include "app/document.h"
#include "model/nodeobjects.h"
#include "preview/partpanels.h"

cPolLeaveView::cPolLeaveView(CPelwinDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_canvas(new QWidget(viewport())) {
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    m_canvas->setObjectName(QStringLiteral("canvas"));
    m_canvas->resize(0, 0);
    setFrameStyle(QFrame::NoFrame);
    // The pane can be made the active view by a click on its background or by F6.
    setFocusPolicy(Qt::StrongFocus);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

cPolLeaveView::~cPolLeaveView() {
    // The panels belong to their nodes, which outlive this pane: have the nodes let go of
    // them before the canvas would delete them under their feet.
    QList<QPointer<cPanelWidget>> panels;
    for (cPanelWidget* panel : m_canvas->findChildren<cPanelWidget*>(Qt::FindDirectChildrenOnly))
        panels.append(panel);
    for (const QPointer<cPanelWidget>& panel : panels)
        if (panel)
            panel->Node()->DestroyPanel();
}

cObjPolPart* cPolLeaveView::SelectedPart() const {
    for (QObject* child : m_canvas->children()) {
        auto* panel = qobject_cast<cPanelWidget*>(child);
        if (panel && panel->IsSelected())
            if (cObjPolPart* part = panel->Node()->GetData()->GetPartObject())
                return part;
    }
    return nullptr;
}

bool cPolLeaveView::HasActiveBorder() const {
    return frameShape() != QFrame::NoFrame;
}

std::unique_ptr<cPanel> cPolLeaveView::CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                                         cCtrlList* node) {
    return CreatePartPanel(kind, QRect(rect.left, rect.top, rect.Width(), rect.Height()), node,
                           m_canvas);
}

Text cPolLeaveView::ResolveText(TextView text) const {
    return m_doc ? m_doc->ResolveText(text) : Text(text);
}

cRect cPolLeaveView::ClientRect() const {
    return cRect{0, 0, viewport()->width(), viewport()->height()};
}

void cPolLeaveView::SetTotalSize(int width, int height) {
    m_total = QSize(std::max(width, 0), std::max(height, 0));
    m_canvas->resize(m_total);
    // What is shown now starts at the origin, so the view does too.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
}

void cPolLeaveView::UpdateScrollBars() {
    // A page is a tenth of the whole and a line a tenth of a page, in each direction.
    const QSize area = viewport()->size();
    auto set = [](QScrollBar* bar, int total, int visible) {
        bar->setRange(0, std::max(0, total - visible));
        const int page = total / 10;
        bar->setPageStep(page);
        bar->setSingleStep(page / 10);
    };
    set(horizontalScrollBar(), m_total.width(), area.width());
    set(verticalScrollBar(), m_total.height(), area.height());
    m_canvas->move(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void cPolLeaveView::scrollContentsBy(int, int) {
    m_canvas->move(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void cPolLeaveView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void cPolLeaveView::SetActiveBorder(bool active) {
    if (active == HasActiveBorder())
        return;
    if (active) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

void cPolLeaveView::FocusChanged(QWidget* now) {
    // The pane stays the active view while the focus is away from the window altogether
    // (in the property sheet, or in another program); another pane or template window
    // taking the focus ends it.
    if (!now)
        return;
    if (now == this || isAncestorOf(now))
        SetActiveBorder(true);
    else if (now->window() == window())
        SetActiveBorder(false);
}
