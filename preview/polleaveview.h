#pragma once

#include <QAbstractScrollArea>
#include <QSize>

#include "tree/treeselection.h"

class CPelwinDoc;
class cObjPolPart;

// The right pane of a template window: a grey scrolling area in which the panels of the
// node selected in the tree live, stacked from its origin. It keeps no pointer to that node;
// what it shows are its panels.
class cPolLeaveView : public QAbstractScrollArea, public cPreviewTarget {
    Q_OBJECT
public:
    // Texts of the panels resolve through doc's string table; without one they show as
    // written.
    explicit cPolLeaveView(CPelwinDoc* doc, QWidget* parent = nullptr);
    ~cPolLeaveView() override;

    CPelwinDoc* Document() const { return m_doc; }
    QSize TotalSize() const { return m_total; }
    // The widget the panels are children of, in the order they were created.
    QWidget* Canvas() const { return m_canvas; }
    // The first panel whose selection frame shows, as a part; null when none.
    cObjPolPart* SelectedPart() const;
    // Whether the pane shows the border of the active view.
    bool HasActiveBorder() const;

    std::unique_ptr<cPanel> CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                              cCtrlList* node) override;
    Text ResolveText(TextView text) const override;
    cRect ClientRect() const override;
    void SetTotalSize(int width, int height) override;

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollBars();
    void SetActiveBorder(bool active);
    void FocusChanged(QWidget* now);

    CPelwinDoc* m_doc;  // Not owned.
    QWidget* m_canvas;
    QSize m_total{0, 0};
};
