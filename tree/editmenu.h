#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QWidget;
class cPolLeaveView;
class cPolTreeView;
struct cEditState;

// The Policy menu and the Edit menu's Cut, Copy, Paste, Paste as next and Delete over the
// active template window: while its tree is the active view they act on the tree, while
// its preview is, Copy, Paste, Delete and the seven part items act on the preview's selected
// part and the other creation items are disabled. The commands themselves are the core's
// (edit/treecommands.h, edit/commands.h); this maps the menu items to them.
class cEditMenu : public QObject {
    Q_OBJECT
public:
    struct Actions {
        QAction* cut = nullptr;
        QAction* copy = nullptr;
        QAction* paste = nullptr;
        QAction* pasteNext = nullptr;
        QAction* remove = nullptr;
        // Version, child version, Machine, User, category, child category, policy.
        std::array<QAction*, 7> nodes{};
        // CheckBox, ComboBox, DropDownList, Edittext, Listbox, Numeric, Text.
        std::array<QAction*, 7> parts{};
    };
    // The template window the commands act on, or none.
    using ActiveWindow = std::function<QWidget*()>;

    cEditMenu(const Actions& actions, ActiveWindow active, QObject* parent = nullptr);

    // Enables each item by its rule over the active window's state.
    void Update();

private:
    struct View {
        cPolTreeView* tree;
        cPolLeaveView* preview;
        bool previewActive;
    };
    std::optional<View> Current();
    void Run(const std::function<void(View&, cEditState&)>& command);
    void Watch(cPolTreeView* tree);

    Actions m_actions;
    ActiveWindow m_active;
    QPointer<cPolTreeView> m_watched;
};
