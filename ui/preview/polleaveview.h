#pragma once

#include <QAbstractScrollArea>
#include <QSize>
#include <vector>

#include "core/check/regtext.h"
#include "core/edit/treeselection.h"

class CPelwinDoc;
class cObjPolicy;
class cObjPolPart;
class cPanelSlot;
class cRegistryView;

// The right pane of a template window: a grey scrolling area in which the panels of the
// node selected in the tree live, stacked from its origin. It keeps no pointer to that node;
// what it shows are its panels.
//
// Each node owns the cPanel it asked for: a slot that remembers the panel's kind, place,
// content and selection. The pane owns the panel widgets (children of its canvas) and makes
// them for the slots: all at once for a node of up to kPanelsAtOnce panels, otherwise from
// the top down as far as the pane has shown, so that a policy of hundreds of parts shows
// at once and the rest follows as the pane scrolls.
class cPolLeaveView : public QAbstractScrollArea, public cPreviewTarget {
    Q_OBJECT
public:
    // Texts of the panels resolve through doc's string table; without one they show as
    // written.
    explicit cPolLeaveView(CPelwinDoc* doc, QWidget* parent = nullptr);
    ~cPolLeaveView() override;

    static constexpr size_t kPanelsAtOnce = 64;

    CPelwinDoc* Document() const { return m_doc; }
    QSize TotalSize() const { return m_total; }
    // The widget the panels are children of, in the order they were created (which is the
    // order of their slots: panels are made from the top down).
    QWidget* Canvas() const { return m_canvas; }
    // The first panel whose selection frame shows, as a part; null when none.
    cObjPolPart* SelectedPart() const;
    // Whether the pane shows the border of the active view.
    bool HasActiveBorder() const;
    // The policy whose panels the pane shows; null while it shows none.
    cObjPolicy* ShownPolicy() const;
    // What the panels of the shown policy's parts hold now, one per part in part order; a
    // panel whose widget is not made yet holds what it will start with.
    std::vector<cPartValue> PanelValues() const;
    cRegistryView* RegistryView() const { return m_registry; }

    std::unique_ptr<cPanel> CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                              cCtrlList* node) override;
    Text ResolveText(TextView text) const override;
    cRect ClientRect() const override;
    void SetTotalSize(int width, int height) override;

signals:
    // A part's selection frame was shown or hidden.
    void partSelectionChanged();
    // Panels were laid out, filled, taken away, or the user changed what one holds.
    void panelsChanged();

protected:
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollBars();
    // Gives the registry view its room at the bottom, below the panels' viewport.
    void LayoutRegistryView();
    void PlaceRegistryView();
    void SetActiveBorder(bool active);
    void FocusChanged(QWidget* now);
    // Makes the widgets of the slots that the pane has come to show.
    void CreatePanelsInView();
    // A slot is going: its widget goes with it.
    friend class cPanelSlot;
    void Forget(cPanelSlot* slot);

    CPelwinDoc* m_doc;  // Not owned.
    QWidget* m_canvas;
    std::vector<cPanelSlot*> m_slots;  // Not owned: each belongs to its node. In creation order.
    QSize m_total{0, 0};
    cRegistryView* m_registry;
};
