#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/model/clipboard.h"
#include "core/text/text.h"

// The small interfaces through which the core reaches the user interface. The editor
// implements them with widgets; tests and the command line with plain objects.

class cData;
class cCtrlList;
class cObjPolPart;
class cTemplateTree;
struct cTreeItem;

// Answers of the property sheet when it is given a node.
enum : int {
    kSheetShown = 0,
    kSheetAlreadyShown = 1,
    kSheetCancelled = 100,
    kSheetFailed = -1,
};

// Answers of a Yes / No / Cancel question.
enum class cAnswer { Yes, No, Cancel };

// What a node needs of the one property sheet.
class cPropertySheetSeam {
public:
    virtual ~cPropertySheetSeam() = default;
    // Makes node the current node: kSheetShown, kSheetAlreadyShown, kSheetCancelled or
    // kSheetFailed.
    virtual int SetObject(cData* node) = 0;
    // Asks what to do with edits not yet applied to the current node.
    virtual cAnswer AskApply() = 0;
    // Validates and writes the pending edits into the current node.
    virtual void ApplyNow() = 0;
    // The node is being destroyed: remove its pages and forget it. Must not touch the node.
    virtual void DropNode(cData* node) = 0;
    virtual cData* CurrentNode() const = 0;
    // The node's data was changed outside the sheet (an undo): refill the pages if they
    // show it.
    virtual void NodeChanged(cData* node) { (void)node; }
    // Shows the sheet window, activating it or not.
    virtual void ShowWindow(bool activate) = 0;
};

// The application-wide copy reference (edit/clipboard.h).
using cCopyReference = cClipboard;

// What the application object shares with every window. The user interface fills it in.
struct cSharedState {
    cPropertySheetSeam* sheet = nullptr;  // Not owned.
    cClipboard copy;
};

cSharedState& SharedState();

// Before a template is written out (saved or exported): asks the sheet, if any, about edits
// not yet applied and applies them on Yes. False when the user cancelled: write nothing.
bool SettleSheetEdits();

// ---- Preview panels ------------------------------------------------------------------

struct cRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const cRect&) const = default;
};

enum class cPanelKind {
    Empty,
    CheckBox,
    Text,
    EditText,
    Combo,
    DropDown,
    ListBox,
    Numeric,
    // The kinds that only ADMX has.
    MultiText,
    LongNumeric,
};

// What a part panel shows. Filled by the core at creation and on every refresh; a field
// left empty leaves that control as it is.
struct cPanelContent {
    Text label;                             // resolved
    std::optional<Text> editText;           // set the edit text (an empty text clears it)
    std::optional<long> textLimit;          // length limit of the edit field or combo box
    std::optional<std::vector<Text>> list;  // empty the list and add these, in this order
    std::optional<Text> selected;           // the entry of the new list shown selected
};

// A panel that the host created; destroying it removes the panel window.
class cPanel {
public:
    virtual ~cPanel() = default;
    virtual void Fill(const cPanelContent& content) = 0;
    virtual void ShowSelection(bool show) = 0;
    virtual bool IsSelected() const = 0;
};

// The window panels are created in: the preview pane.
class cPanelHost {
public:
    virtual ~cPanelHost() = default;
    // Creates a panel of the given kind at exactly rect (pixels), shown without taking the
    // focus; a host may make the window itself later, when it comes into view, the panel
    // keeping what it is to show until then. node is the node object the panel belongs to,
    // for its input. Null on failure.
    virtual std::unique_ptr<cPanel> CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                                      cCtrlList* node) = 0;
    // Resolves a display text through the string table of the host's template; a host that
    // belongs to no template shows texts unchanged.
    virtual Text ResolveText(TextView text) const { return Text(text); }
};
