#pragma once

#include <functional>
#include <map>

// Every command of the menus, the toolbar and the shortcut table.
enum class cCommand {
    FileNew,
    FileNewAdmx,
    FileOpen,
    FileClose,
    FileSave,
    FileSaveAs,
    FileExportAdmx,
    FileExportSite,
    FilePrint,
    FilePrintSetup,
    FileExit,
    EditCut,
    EditCopy,
    EditPaste,
    EditPasteNext,
    EditDelete,
    EditProperties,
    EditUndo,
    EditRedo,
    EditFind,
    NewVersion,
    NewChildVersion,
    NewClassMachine,
    NewClassUser,
    NewCategory,
    NewChildCategory,
    NewPolicy,
    NewPartCheckBox,
    NewPartComboBox,
    NewPartDropDownList,
    NewPartEditText,
    NewPartListBox,
    NewPartNumeric,
    NewPartText,
    NewPartMultiText,
    NewPartLongNumber,
    StringTable,
    SupportedOn,
    TemplateProperties,
    Translations,
    ViewToolbar,
    ViewStatusBar,
    WindowCascade,
    WindowTile,
    WindowArrangeIcons,
    WindowCompare,
    ToolsCheckTemplate,
    ToolsCheckMdm,
    Help,
    HelpTopics,
    HelpInfo,
    About,
    ContextHelp,
    NextPane,
    PreviousPane,
};

// What a command does where it is handled: whether it is enabled now, and running it.
struct cRoute {
    std::function<bool()> enabled;
    std::function<void()> run;
};

// The commands one place handles: a view, a document's window, or the main frame.
class cRouteTable {
public:
    void Set(cCommand id, cRoute route) { m_routes[id] = std::move(route); }
    // The route of a command; null when this place does not handle it.
    const cRoute* Find(cCommand id) const {
        auto found = m_routes.find(id);
        return found == m_routes.end() ? nullptr : &found->second;
    }

private:
    std::map<cCommand, cRoute> m_routes;
};

// The one routing of commands: the active view first, then the active document's window,
// then the main frame. The first place that handles a command decides whether it is enabled
// and runs it; a command nobody handles is disabled.
class cCommandRouter {
public:
    using Level = std::function<const cRouteTable*()>;

    cCommandRouter(Level activeView, Level activeDocument, const cRouteTable& frame)
        : m_activeView(std::move(activeView)),
          m_activeDocument(std::move(activeDocument)),
          m_frame(frame) {}

    const cRoute* Find(cCommand id) const {
        for (const Level* level : {&m_activeView, &m_activeDocument})
            if (const cRouteTable* table = (*level)())
                if (const cRoute* route = table->Find(id))
                    return route;
        return m_frame.Find(id);
    }
    bool Enabled(cCommand id) const {
        const cRoute* route = Find(id);
        return route && (!route->enabled || route->enabled());
    }
    // Runs the command when it is enabled; false when nothing ran.
    bool Run(cCommand id) const {
        const cRoute* route = Find(id);
        if (!route || (route->enabled && !route->enabled()) || !route->run)
            return false;
        route->run();
        return true;
    }

private:
    Level m_activeView;
    Level m_activeDocument;
    const cRouteTable& m_frame;
};
