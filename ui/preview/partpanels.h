#pragma once

#include <QWidget>

#include "core/check/regtext.h"
#include "core/model/seams.h"

class QGroupBox;

// Every panel of the preview pane: a child window at a fixed pixel rectangle that shows one
// node object and hands that node to the property sheet when it is used. Its parent owns it.
class cPanelWidget : public QWidget {
    Q_OBJECT
public:
    cPanelWidget(cCtrlList* node, QWidget* parent);

    cCtrlList* Node() const { return m_node; }
    virtual void Fill(const cPanelContent&) {}
    // What the control holds now: a check box its state, an edit field, combo box or numeric
    // field its text, a drop-down list the text of its chosen entry (none while none is
    // chosen). False for a panel whose control holds nothing.
    virtual bool Value(cPartValue& value) const {
        (void)value;
        return false;
    }
    void ShowSelection(bool show);
    bool IsSelected() const;

signals:
    // What the control holds has changed, by the user or by a fill.
    void valueChanged();

protected:
    // Panels are laid out in dialog units; one fixed ratio turns them into pixels for the
    // whole editor, so that the 260 by 40 unit frame fits the 395 by 65 pixel panel.
    static QRect DialogRect(int x, int y, int width, int height);

    // Gives the node to the property sheet; the sheet's answer.
    int HandToSheet();
    static void ShowSheet(bool activate);
    // The captionless frame that marks the selected part; hidden until then.
    void AddSelectionFrame(const QRect& rect);
    // The control hands the node to the sheet when it gets the focus, and keeps the focus.
    void HandOverOnFocus(QWidget* control);
    // A double click on the control shows the sheet (after handing the node over first).
    void ShowSheetOnDoubleClick(QWidget* control, bool activate, bool handOverFirst = false);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    cCtrlList* m_node;  // Not owned: the node outlives its panel.
    QGroupBox* m_frame = nullptr;
};

// Creates the panel of a kind at exactly rect inside parent, shown, without the focus. The
// parent owns the panel.
cPanelWidget* CreatePartPanel(cPanelKind kind, const QRect& rect, cCtrlList* node, QWidget* parent);
