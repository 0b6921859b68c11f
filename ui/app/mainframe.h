#pragma once

#include <QPointer>

#include <QList>
#include <QMainWindow>
#include <array>
#include <map>
#include <memory>

#include "core/document/docmanager.h"
#include "ui/app/commandroutes.h"

class CChildFrame;
class cAppServices;
class cCheckDock;
class cHelpWindow;
class cPropSheet;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QUndoGroup;

// The main window: menus, toolbar, status bar and the area the template windows open in.
// It is the documents' window factory for the document manager.
class CMainFrame : public QMainWindow, public cDocViews {
    Q_OBJECT
public:
    // Menu sets: without a template window, and while one is active.
    static constexpr int kMenuNoDocument = 128;
    static constexpr int kMenuDocument = 129;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The application's documents, questions and About box; until then the commands that
    // need them do nothing.
    void SetServices(cAppServices* services);
    // Asks the document manager, once the event in hand is done, whether another program
    // changed the active template's files (it says so and offers to reload).
    void CheckOutsideChangeLater();
    const cCommandRouter& Router() const { return m_router; }
    // Follows the active document's undo history.
    QUndoGroup* UndoGroup() const { return m_undoGroup; }

    QAction* Command(cCommand id) const { return m_commands.at(id); }
    QMdiArea* MdiArea() const { return m_mdi; }
    QToolBar* ToolBar() const { return m_toolBar; }
    int MenuId() const { return m_menuId; }
    // The menus of the current menu set, in menu bar order.
    QList<QMenu*> Menus() const;
    // The template window the commands act on; null when none is open.
    CChildFrame* ActiveChild() const;
    CPelwinDoc* ActiveDocument() const;
    CChildFrame* ChildOf(const CPelwinDoc& doc) const;
    // The recent-file entries of the File menu (hidden when unused).
    const std::array<QAction*, cDocManager::kRecentFileCount>& RecentFileActions() const {
        return m_recentActions;
    }
    QLabel* IdleMessage() const { return m_idleMessage; }
    cPropSheet* Sheet() const { return m_sheet; }
    // The help window, opened at the page of the window that has the focus. Null until
    // the help is first asked for.
    void ShowHelp();
    cHelpWindow* HelpWindow() const { return m_help; }
    // The findings of Tools > Check template; null until it first ran.
    cCheckDock* CheckDock() const { return m_checkDock; }

    // Enables every command as the active window allows.
    void UpdateCommands();

    bool CreateViews(CPelwinDoc& doc) override;
    void ShowViews(CPelwinDoc& doc) override;
    void ActivateViews(CPelwinDoc& doc) override;
    void DestroyViews(CPelwinDoc& doc) override;
    void TitleChanged(CPelwinDoc& doc) override;
    void RecentFilesChanged() override;
    void ShowStatus(const Text& text) override;

signals:
    void recentFilesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateCommands();
    void InstallFrameRoutes();
    void InstallDocumentRoutes(CChildFrame& child);
    void InstallEditRoutes(CChildFrame& child);
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    QAction* AddCommand(cCommand id, const QString& text, const QString& prompt,
                        const char* icon = nullptr);
    void ShowMenuSet(int menuId);
    void OnActiveWindowChanged();
    void UpdateCaption();
    // A window's title among the open windows, and every window's caption after one came
    // or went, as a name they share adds the folders.
    QString ShownTitle(const CPelwinDoc& doc) const;
    void UpdateTitles();
    // The Window menu's list of the template windows, the active one checked.
    void UpdateWindowList();
    void UpdateKeyIndicators(const QKeyEvent& event);
    void OpenFile();
    void OpenRecentFile(size_t index);
    void ArrangeIcons();
    QPoint CascadePosition(QSize size) const;

    QMdiArea* m_mdi;
    cAppServices* m_services = nullptr;  // Not owned.
    QUndoGroup* m_undoGroup;
    cRouteTable m_frameRoutes;
    cCommandRouter m_router;
    QPointer<CChildFrame> m_lastActive;  // the template window last active
    QToolBar* m_toolBar = nullptr;
    QLabel* m_idleMessage = nullptr;
    QLabel* m_capsIndicator = nullptr;
    QLabel* m_numIndicator = nullptr;
    QLabel* m_scrollIndicator = nullptr;
    bool m_scrollLock = false;
    std::map<cCommand, QAction*> m_commands;
    std::array<QAction*, cDocManager::kRecentFileCount> m_recentActions{};
    QAction* m_recentPlaceholder = nullptr;
    QList<QMenu*> m_menusNoDocument;
    QList<QMenu*> m_menusDocument;
    // Submenus, greyed while none of their items is enabled.
    QList<QMenu*> m_subMenus;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowActions;  // the separator and one entry per template window
    int m_menuId = 0;
    QString m_caption;
    // The property sheet every template window hands its nodes to; a window of its own
    // owned by this frame.
    cPropSheet* m_sheet = nullptr;
    bool m_sheetPlaced = false;
    cHelpWindow* m_help = nullptr;
    cCheckDock* m_checkDock = nullptr;
};
