#include "ui/preview/polleaveview.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "ui/preview/partpanels.h"
#include "ui/preview/registryview.h"

// The panel a node holds while it is shown in the pane. Until its widget exists it keeps
// what the widget is to show, as the widget would have taken it.
class cPanelSlot : public cPanel {
public:
    cPanelSlot(cPolLeaveView* pane, cPanelKind kind, const QRect& rect, cCtrlList* node)
        : m_pane(pane), m_kind(kind), m_rect(rect), m_node(node) {}
    ~cPanelSlot() override { m_pane->Forget(this); }

    void Fill(const cPanelContent& content) override {
        emit m_pane->panelsChanged();
        if (m_widget) {
            m_widget->Fill(content);
        } else if (!m_content) {
            m_content = content;
        } else {
            // Later fills change only what they name, as on a widget.
            m_content->label = content.label;
            if (content.editText)
                m_content->editText = content.editText;
            if (content.textLimit)
                m_content->textLimit = content.textLimit;
            if (content.list) {
                m_content->list = content.list;
                m_content->selected = content.selected;
            }
        }
    }
    void ShowSelection(bool show) override {
        const bool before = IsSelected();
        // An empty panel has no selection frame to show.
        m_selected = show && m_kind != cPanelKind::Empty;
        if (m_widget)
            m_widget->ShowSelection(show);
        // Every new panel is told it is not selected; only a change concerns the commands.
        if (IsSelected() != before)
            emit m_pane->partSelectionChanged();
    }
    bool IsSelected() const override { return m_widget ? m_widget->IsSelected() : m_selected; }

    cCtrlList* Node() const { return m_node; }
    const QRect& Rect() const { return m_rect; }
    cPanelWidget* Widget() const { return m_widget; }
    void CreateWidget(QWidget* canvas) {
        m_widget = CreatePartPanel(m_kind, m_rect, m_node, canvas);
        if (!m_widget)
            return;
        QObject::connect(m_widget, &cPanelWidget::valueChanged, m_pane,
                         &cPolLeaveView::panelsChanged);
        if (m_content) {
            m_widget->Fill(*m_content);
            m_content.reset();
        }
        m_widget->ShowSelection(m_selected);
    }

private:
    cPolLeaveView* m_pane;  // Not owned: the pane has every node let go before it goes.
    cPanelKind m_kind;
    QRect m_rect;
    cCtrlList* m_node;                       // Not owned: the node owns this slot.
    cPanelWidget* m_widget = nullptr;        // Not owned: the pane's canvas owns it.
    std::optional<cPanelContent> m_content;  // What the widget is to show once made.
    bool m_selected = false;
};

cPolLeaveView::cPolLeaveView(CPelwinDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent),
      m_doc(doc),
      m_canvas(new QWidget(viewport())),
      m_registry(new cRegistryView(this, doc)) {
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
    connect(this, &cPolLeaveView::panelsChanged, m_registry, &cRegistryView::Schedule);
    connect(m_registry, &cRegistryView::heightChanged, this, [this] { LayoutRegistryView(); });
    LayoutRegistryView();
}

cPolLeaveView::~cPolLeaveView() {
    // The registry view reads the panels: it goes first.
    delete m_registry;
    m_registry = nullptr;
    // The nodes outlive this pane: have them let go of their panels while the pane can
    // still take the widgets back. Each round removes at least the first slot.
    while (!m_slots.empty())
        m_slots.front()->Node()->DestroyPanel();
}

cObjPolPart* cPolLeaveView::SelectedPart() const {
    for (const cPanelSlot* slot : m_slots)
        if (slot->IsSelected())
            if (cObjPolPart* part = slot->Node()->GetData()->GetPartObject())
                return part;
    return nullptr;
}

bool cPolLeaveView::HasActiveBorder() const {
    return frameShape() != QFrame::NoFrame;
}

cObjPolicy* cPolLeaveView::ShownPolicy() const {
    for (const cPanelSlot* slot : m_slots)
        if (cData* data = slot->Node()->GetData(); data && data->kind == kKindPolicy)
            return dynamic_cast<cObjPolicy*>(data);
    return nullptr;
}

std::vector<cPartValue> cPolLeaveView::PanelValues() const {
    std::vector<cPartValue> values;
    const cObjPolicy* policy = ShownPolicy();
    if (!policy)
        return values;
    std::unordered_map<const cCtrlList*, const cPanelWidget*> widgets;
    for (const cPanelSlot* slot : m_slots)
        if (slot->Widget())
            widgets.emplace(slot->Node(), slot->Widget());
    values.reserve(policy->Parts().size());
    for (const auto& part : policy->Parts()) {
        cPartValue value = m_doc ? StartValue(*part, *m_doc) : cPartValue();
        auto found = widgets.find(part.get());
        cPartValue shown;
        if (found != widgets.end() && found->second->Value(shown)) {
            if (part->PanelKind() == cPanelKind::DropDown) {
                // The list shows the items' names; the registry takes the item.
                const auto& list = static_cast<const cObjPolPartDropDown&>(*part);
                value.item =
                    shown.text && m_doc ? ItemShownAs(list, *shown.text, *m_doc) : std::nullopt;
            } else {
                value.checked = shown.checked;
                value.text = shown.text;
            }
        }
        values.push_back(std::move(value));
    }
    return values;
}

std::unique_ptr<cPanel> cPolLeaveView::CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                                         cCtrlList* node) {
    // The widget is made once the whole node is laid out (SetTotalSize) and in view.
    auto slot = std::make_unique<cPanelSlot>(
        this, kind, QRect(rect.left, rect.top, rect.Width(), rect.Height()), node);
    m_slots.push_back(slot.get());
    return slot;
}

void cPolLeaveView::Forget(cPanelSlot* slot) {
    // Slots mostly go in the order they came.
    auto it = std::find(m_slots.begin(), m_slots.end(), slot);
    if (it != m_slots.end())
        m_slots.erase(it);
    delete slot->Widget();
    emit panelsChanged();
}

void cPolLeaveView::CreatePanelsInView() {
    // Panels are made from the top down, so the canvas holds them in slot order.
    const bool all = m_slots.size() <= kPanelsAtOnce;
    const int bottom = verticalScrollBar()->value() + viewport()->height();
    for (cPanelSlot* slot : m_slots) {
        if (!all && slot->Rect().top() >= bottom)
            break;
        if (!slot->Widget())
            slot->CreateWidget(m_canvas);
    }
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
    CreatePanelsInView();
    emit panelsChanged();
}

void cPolLeaveView::LayoutRegistryView() {
    if (!m_registry)
        return;
    const int height = m_registry->WantedHeight(contentsRect().height());
    setViewportMargins(0, 0, 0, height);
    PlaceRegistryView();
    UpdateScrollBars();
    CreatePanelsInView();
}

void cPolLeaveView::PlaceRegistryView() {
    // Below the viewport, as wide as it is: the vertical scroll bar runs on beside it.
    const QRect shown = viewport()->geometry();
    m_registry->setGeometry(shown.left(), shown.bottom() + 1, shown.width(),
                            m_registry->WantedHeight(contentsRect().height()));
    m_registry->raise();
}

bool cPolLeaveView::viewportEvent(QEvent* event) {
    // The scroll bars come and go after the ranges change, which moves the viewport.
    if (event->type() == QEvent::Resize && m_registry)
        PlaceRegistryView();
    return QAbstractScrollArea::viewportEvent(event);
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
    CreatePanelsInView();
    m_canvas->move(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void cPolLeaveView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    LayoutRegistryView();
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
    LayoutRegistryView();
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
