#include "ui/app/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUndoGroup>
#include <QUndoStack>
#include <algorithm>

#include "core/document/formats.h"
#include "core/edit/commands.h"
#include "core/edit/treecommands.h"
#include "core/edit/treeselection.h"
#include "core/model/seams.h"
#include "core/pages/applystep.h"
#include "core/text/messages.h"
#include "ui/app/admxdialog.h"
#include "ui/app/checkdock.h"
#include "ui/app/childframe.h"
#include "ui/app/comparewindow.h"
#include "ui/app/dialogtemplateprops.h"
#include "ui/app/helpwindow.h"
#include "ui/app/siteexport.h"
#include "ui/edit/undohistory.h"
#include "ui/preview/polleaveview.h"
#include "ui/properties/propsheet.h"
#include "ui/translate/translationswindow.h"
#include "ui/tree/dialogstringmap.h"
#include "ui/tree/dialogsupportedon.h"
#include "ui/tree/findbar.h"
#include "ui/tree/poltreeview.h"
#include "ui/widgets/appservices.h"

namespace {

// Menu texts carry the shortcut after a tab; the shortcut itself is set on the action and
// shown by the menu.
QString MenuText(const char* text) {
    return QString::fromUtf8(text).section(QLatin1Char('\t'), 0, 0);
}

// X11 modifier state bits of the lock keys.
constexpr Qt::KeyboardModifiers::Int kX11CapsLock = 0x02;
constexpr Qt::KeyboardModifiers::Int kX11NumLock = 0x10;

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent),
      m_mdi(new QMdiArea(this)),
      m_undoGroup(new QUndoGroup(this)),
      m_router(
          [this]() -> const cRouteTable* {
              CChildFrame* child = ActiveChild();
              return child ? child->ActiveViewRoutes() : nullptr;
          },
          [this]() -> const cRouteTable* {
              CChildFrame* child = ActiveChild();
              return child ? &child->DocumentRoutes() : nullptr;
          },
          m_frameRoutes) {
    EnsureResources();
    setWindowIcon(AppIcon());
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    CreateCommands();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    m_sheet = new cPropSheet(this);
    SharedState().sheet = m_sheet;
    m_sheet->SetActiveTree([this]() -> const cTemplateTree* {
        CPelwinDoc* doc = ActiveDocument();
        return doc ? &doc->Tree() : nullptr;
    });

    m_sheet->SetStepSink([this](std::unique_ptr<cApplyPropertiesStep> step) {
        // The apply is made already; the history of the template it changed keeps it.
        for (QMdiSubWindow* window : m_mdi->subWindowList()) {
            auto* child = qobject_cast<CChildFrame*>(window);
            if (child && child->Document() && &child->Document()->Tree() == step->Tree() &&
                child->History()) {
                child->History()->PushDone(std::move(step));
                return;
            }
        }
    });
    // The enabled state follows what the commands act on: the focus (the active view), the
    // tree's selection and the histories.
    for (auto signal : {&QUndoGroup::canUndoChanged, &QUndoGroup::canRedoChanged})
        connect(m_undoGroup, signal, this, &CMainFrame::UpdateCommands);
    for (auto signal : {&QUndoGroup::undoTextChanged, &QUndoGroup::redoTextChanged})
        connect(m_undoGroup, signal, this, &CMainFrame::UpdateCommands);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommands);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        CChildFrame* before = m_lastActive.data();
        OnActiveWindowChanged();
        // However another window became active (the active one closed, Ctrl+Tab, the Window
        // menu, a click anywhere in it), the sheet edits its selection from now on. The same
        // window coming back with the application (after the sheet had the focus) keeps
        // what the sheet shows, such as a part chosen in the preview.
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child && child->Document())
            CheckOutsideChangeLater();
        if (!child || child == before || !child->Document())
            return;
        auto* tree = qobject_cast<cPolTreeView*>(child->TreePane());
        if (!tree)
            return;
        // Cancel to the question about unapplied edits keeps the node they belong to: its
        // window comes back, so that the sheet never edits a template the user is not
        // looking at.
        if (HandOverOnActivation(tree->SelectedNode()) == kSheetCancelled && before) {
            QPointer<CChildFrame> back(before);
            QTimer::singleShot(0, this, [this, back] {
                if (back && back->Document() && m_mdi->subWindowList().contains(back.data()))
                    m_mdi->setActiveSubWindow(back);
            });
        }
    });
    // Coming back from another program is the moment its changes to a file show.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            CheckOutsideChangeLater();
    });
    qApp->installEventFilter(this);
    OnActiveWindowChanged();
    resize(1000, 700);
}

void CMainFrame::CheckOutsideChangeLater() {
    // Not from inside the activation: the question is a modal box of its own.
    QTimer::singleShot(0, this, [this] {
        CChildFrame* child = ActiveChild();
        if (m_services && child && child->Document())
            m_services->Docs().CheckOutsideChange(*child->Document());
    });
}

void CMainFrame::SetServices(cAppServices* services) {
    m_services = services;
    if (m_sheet)
        m_sheet->SetServices(services);
    UpdateCommands();
}

void CMainFrame::InstallFrameRoutes() {
    auto always = [] { return true; };
    auto hasServices = [this] { return m_services != nullptr; };
    auto hasDocument = [this] { return ActiveDocument() != nullptr; };
    auto route = [this](cCommand id, std::function<bool()> enabled, std::function<void()> run) {
        m_frameRoutes.Set(id, cRoute{std::move(enabled), std::move(run)});
    };
    route(cCommand::FileNew, hasServices, [this] { m_services->Docs().New(); });
    route(cCommand::FileNewAdmx, hasServices, [this] { m_services->Docs().New(&AdmxFormat()); });
    route(cCommand::FileOpen, hasServices, [this] { OpenFile(); });
    route(cCommand::FileExit, always, [this] { close(); });
    route(cCommand::ViewToolbar, always,
          [this] { m_toolBar->setVisible(Command(cCommand::ViewToolbar)->isChecked()); });
    route(cCommand::ViewStatusBar, always,
          [this] { statusBar()->setVisible(Command(cCommand::ViewStatusBar)->isChecked()); });
    route(cCommand::WindowCascade, hasDocument, [this] { m_mdi->cascadeSubWindows(); });
    route(cCommand::WindowTile, hasDocument, [this] { m_mdi->tileSubWindows(); });
    route(cCommand::WindowArrangeIcons, hasDocument, [this] { ArrangeIcons(); });
    for (cCommand id : {cCommand::Help, cCommand::HelpTopics, cCommand::HelpInfo})
        route(id, always, [this] { ShowHelp(); });
    route(cCommand::About, hasServices, [this] { m_services->ShowAbout(); });
    for (cCommand id : {cCommand::NextPane, cCommand::PreviousPane})
        route(id, hasDocument, [this] {
            if (CChildFrame* child = ActiveChild())
                child->FocusNextPane();
        });
}

void CMainFrame::InstallDocumentRoutes(CChildFrame& child) {
    CPelwinDoc& doc = *child.Document();
    auto* tree = qobject_cast<cPolTreeView*>(child.TreePane());
    QUndoStack* stack = child.History()->Stack();
    auto hasServices = [this] { return m_services != nullptr; };

    cRouteTable& document = child.DocumentRoutes();
    document.Set(cCommand::FileClose, {nullptr, [&child] { child.close(); }});
    document.Set(cCommand::FileSave, {hasServices, [this, &doc] { m_services->Docs().Save(doc); }});
    document.Set(cCommand::FileSaveAs,
                 {hasServices, [this, &doc] { m_services->Docs().SaveAs(doc); }});
    // An ADMX set is saved as one: the export is for templates.
    document.Set(cCommand::FileExportAdmx,
                 {[this, &doc] { return m_services && doc.HasClassNodes(); },
                  [this, &doc] { ExportAsAdmx(doc, m_services->Prompts()); }});
    document.Set(cCommand::FileExportSite, {hasServices, [this] { ExportSite(*m_services); }});
    document.Set(cCommand::WindowCompare,
                 {hasServices, [this, &doc] { CompareWith(doc, *m_services, *this); }});
    auto check = [this, &doc](bool mdm) {
        if (!m_checkDock) {
            m_checkDock = new cCheckDock(*this, *m_services);
            addDockWidget(Qt::BottomDockWidgetArea, m_checkDock);
        }
        m_checkDock->Check(doc, mdm);
    };
    document.Set(cCommand::ToolsCheckTemplate, {hasServices, [check] { check(false); }});
    // Only ADMX sets are uploaded to a device-management service.
    document.Set(
        cCommand::ToolsCheckMdm,
        {[this, &doc] { return m_services && !doc.HasClassNodes(); }, [check] { check(true); }});
    document.Set(cCommand::EditFind, {nullptr, [&child] { child.FindBar()->Open(); }});
    document.Set(cCommand::StringTable,
                 {nullptr, [&doc, &child] { RunStringTableCommand(doc, &child); }});
    // The supportedOn table is an ADMX file's: a template has none.
    document.Set(cCommand::SupportedOn, {[&doc] { return !doc.HasClassNodes(); },
                                         [&doc, &child] { RunSupportedOnCommand(doc, &child); }});
    document.Set(cCommand::TemplateProperties,
                 {[&doc] { return HasTemplateProps(doc); },
                  [&doc, &child] { RunTemplatePropsCommand(doc, &child); }});
    document.Set(cCommand::Translations, {nullptr, [this, &doc, &child, tree, stack] {
                                              cTranslationsWindow::ShowFor(
                                                  doc, &child, tree, stack, [this, &doc] {
                                                      if (m_services)
                                                          m_services->Docs().Save(doc);
                                                  });
                                          }});
    document.Set(cCommand::EditProperties, {nullptr, [this] { m_sheet->ShowWindow(true); }});
    document.Set(cCommand::EditUndo,
                 {[stack] { return stack->canUndo(); }, [stack] { stack->undo(); }});
    document.Set(cCommand::EditRedo,
                 {[stack] { return stack->canRedo(); }, [stack] { stack->redo(); }});

    // The commands of the tree and the preview: each a core rule and command over the
    // window's state.
    InstallEditRoutes(child);

    // After an undo or redo the tree selects what the step touched, or what is left of it.
    child.History()->SetSelectHandler([&doc, tree](const cTreePath& path) {
        cTreeItem* item = path.FindNearest(doc.Tree());
        if (!item || !tree)
            return;
        // Already selected (a part of it came back): the sheet may have let go of what it
        // showed, so it is given the node again.
        if (item == tree->SelectedItem())
            HandOverOnActivation(item->node.get());
        else
            tree->Select(item);
    });
    m_undoGroup->addStack(stack);
    if (tree)
        connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &CMainFrame::UpdateCommands);
}

void CMainFrame::InstallEditRoutes(CChildFrame& child) {
    CPelwinDoc& doc = *child.Document();
    auto* tree = qobject_cast<cPolTreeView*>(child.TreePane());
    auto* preview = qobject_cast<cPolLeaveView*>(child.PreviewPane());
    if (!tree)
        return;
    auto state = [&doc, tree, preview] {
        return cEditState{doc, SharedState().copy, tree->SelectedItem(),
                          preview ? preview->SelectedPart() : nullptr};
    };
    // A command over the state, its rule and what follows it.
    using Rule = bool (*)(const cEditState&);
    auto route = [state](cRouteTable& table, cCommand id, Rule can,
                         std::function<void(cEditState&)> run) {
        table.Set(id, {[state, can] { return can(state()); },
                       [state, run] {
                           cEditState now = state();
                           run(now);
                       }});
    };
    auto disabled = [](cRouteTable& table, cCommand id) {
        table.Set(id, {[] { return false; }, nullptr});
    };
    // A part command lays its policy out again; the panels come back unselected.
    auto relayout = [tree](const cEditResult& result) {
        if (result.item && result.item->node)
            tree->ShowInPreview(result.item->node.get());
    };
    cRouteTable& inTree = child.TreeRoutes();
    cRouteTable& inPreview = child.PreviewRoutes();

    static constexpr cCommand kNodeCommands[] = {
        cCommand::NewVersion,   cCommand::NewChildVersion, cCommand::NewClassMachine,
        cCommand::NewClassUser, cCommand::NewCategory,     cCommand::NewChildCategory,
        cCommand::NewPolicy};
    for (size_t i = 0; i < std::size(kNodeCommands); ++i) {
        auto kind = cNewNodeKind(i);
        // The new item is selected as any other: the sheet may still keep the old one.
        inTree.Set(kNodeCommands[i], {[state, kind] { return CanNewNode(state(), kind); },
                                      [state, kind, tree] {
                                          cEditState now = state();
                                          if (cEditResult result = NewNode(now, kind))
                                              tree->Select(result.item);
                                      }});
        disabled(inPreview, kNodeCommands[i]);
    }
    static constexpr cCommand kPartCommands[] = {
        cCommand::NewPartCheckBox, cCommand::NewPartComboBox,  cCommand::NewPartDropDownList,
        cCommand::NewPartEditText, cCommand::NewPartListBox,   cCommand::NewPartNumeric,
        cCommand::NewPartText,     cCommand::NewPartMultiText, cCommand::NewPartLongNumber};
    for (size_t i = 0; i < std::size(kPartCommands); ++i) {
        auto kind = cNewPartKind(i);
        const bool admx = IsAdmxOnly(kind);
        route(inTree, kPartCommands[i], admx ? CanNewAdmxPolicyPart : CanNewPolicyPart,
              [kind, relayout](cEditState& now) { relayout(NewPolicyPart(now, kind)); });
        route(inPreview, kPartCommands[i], admx ? CanAdmxPartCommand : CanPartCommand,
              [kind, relayout](cEditState& now) { relayout(NewPartAfter(now, kind)); });
    }
    route(inTree, cCommand::EditCopy, CanCopyItem, CopyItem);
    route(inPreview, cCommand::EditCopy, CanPartCommand, CopyPart);
    // A pasted item is not selected; a part pasted into the selected policy is shown.
    route(inTree, cCommand::EditPaste, CanPaste, [relayout](cEditState& now) {
        if (cEditResult result = Paste(now); result && result.part)
            relayout(result);
    });
    route(inPreview, cCommand::EditPaste, CanPastePartAfter,
          [relayout](cEditState& now) { relayout(PastePartAfter(now)); });
    route(inTree, cCommand::EditPasteNext, CanPasteNext, [](cEditState& now) { PasteNext(now); });
    disabled(inPreview, cCommand::EditPasteNext);
    route(inTree, cCommand::EditDelete, CanDeleteItem, [](cEditState& now) { DeleteItem(now); });
    route(inPreview, cCommand::EditDelete, CanDeletePart,
          [relayout](cEditState& now) { relayout(DeletePart(now)); });
    // Clicking a part changes what the preview's commands act on.
    if (preview)
        connect(preview, &cPolLeaveView::partSelectionChanged, this, &CMainFrame::UpdateCommands,
                Qt::QueuedConnection);
}

CMainFrame::~CMainFrame() {
    if (SharedState().sheet == m_sheet)
        SharedState().sheet = nullptr;
    delete m_sheet;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_sheetPlaced || !m_sheet)
        return;
    // The sheet comes up beside the frame's top right corner, without taking the focus.
    m_sheetPlaced = true;
    QRect frame = frameGeometry();
    int x = frame.right() + 8;
    if (QScreen* shown = screen()) {
        // Beside the frame when the screen has room, else over its right edge.
        QRect area = shown->availableGeometry();
        if (x + m_sheet->frameGeometry().width() > area.right())
            x = std::max(area.left(), area.right() - m_sheet->frameGeometry().width() - 20);
    }
    m_sheet->move(x, frame.top() + 80);
    m_sheet->ShowWindow(false);
}

void CMainFrame::ShowHelp() {
    // The page is chosen by where the user was before the help window takes the focus.
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !focus->isVisible())
        focus = QApplication::activeWindow();
    bool inHelp = m_help && focus && (focus == m_help || m_help->isAncestorOf(focus));
    if (!m_help)
        m_help = new cHelpWindow(this);
    m_help->ShowTopic(inHelp ? m_help->CurrentTopic() : cHelpWindow::TopicFor(focus));
}

QAction* CMainFrame::AddCommand(cCommand id, const QString& text, const QString& prompt,
                                const char* icon) {
    auto* action = new QAction(text, this);
    if (!prompt.isEmpty())
        action->setStatusTip(prompt);
    if (icon)
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(icon))));
    m_commands[id] = action;
    return action;
}

void CMainFrame::CreateCommands() {
    struct Entry {
        cCommand id;
        const char* text;
        const char* prompt;
        const char* icon;
        const char* toolTip;
    };
    static const Entry kEntries[] = {
        {cCommand::FileNew, "&New\tCtrl+N", "Create a new template", "new", "New"},
        {cCommand::FileNewAdmx, "New ADM&X Template",
         "Create a new ADMX set: one namespace, an en-US language, revision 1.0", nullptr, nullptr},
        {cCommand::FileOpen, "&Open...\tCtrl+O", "Open an existing template", "open", "Open"},
        {cCommand::FileClose, "&Close", "Close the active template", nullptr, nullptr},
        {cCommand::FileSave, "&Save\tCtrl+S", "Save the active template", "save", "Save"},
        {cCommand::FileSaveAs, "Save &As...", "Save the active template under a new name", nullptr,
         nullptr},
        {cCommand::FileExportAdmx, "&Export as ADMX...",
         "Write the active template as ADMX and ADML files", nullptr, nullptr},
        {cCommand::FileExportSite, "Export documentation &site...",
         "Write a browsable, searchable reference of the open templates as web pages", nullptr,
         nullptr},
        {cCommand::FilePrint, "&Print...\tCtrl+P", "Print the active template", "print", "Print"},
        {cCommand::FilePrintSetup, "P&rint Setup...", "Change the printer and printing options",
         nullptr, nullptr},
        {cCommand::FileExit, "E&xit", "Quit the application; asks to save changed templates",
         nullptr, nullptr},
        {cCommand::EditCut, "Cu&t\tCtrl+X", "Cut the selected entry", "cut", "Cut"},
        {cCommand::EditCopy, "&Copy\tCtrl+C", "Copy the selected entry", "copy", "Copy"},
        {cCommand::EditPaste, "&Paste \tCtrl+V", "Paste the copied entry", "paste", "Paste"},
        {cCommand::EditPasteNext, "Paste as &next \tCtrl+shift+V",
         "Paste the copied entry after the selected entry", nullptr, nullptr},
        {cCommand::EditDelete, "&Delete\tDel", "Delete the selected entry", nullptr, nullptr},
        {cCommand::EditProperties, "P&roperties...", "Show the property sheet", nullptr, nullptr},
        {cCommand::EditUndo, "&Undo\tCtrl+Z", "Undo the last change", nullptr, nullptr},
        {cCommand::EditRedo, "&Redo\tCtrl+Y", "Redo the change last undone", nullptr, nullptr},
        {cCommand::EditFind, "&Find...\tCtrl+F",
         "Find nodes by their texts, registry keys and value names", nullptr, nullptr},
        {cCommand::NewVersion, "New Version", "", nullptr, nullptr},
        {cCommand::NewChildVersion, "New Child Version", "", nullptr, nullptr},
        {cCommand::NewClassMachine, "Machine", "Create a new \"MACHINE\" entry in current template",
         nullptr, nullptr},
        {cCommand::NewClassUser, "User", "Create a new \"USER\" entry in current template", nullptr,
         nullptr},
        {cCommand::NewCategory, "New C&ategory",
         "Create a new category below selected entry in template.", nullptr, nullptr},
        {cCommand::NewChildCategory, "New C&hild Category",
         "Create a new child category  below selected entry in template.", nullptr, nullptr},
        {cCommand::NewPolicy, "New P&olicy",
         "Create a new policy below selected entry in template.", nullptr, nullptr},
        {cCommand::NewPartCheckBox, "CheckBox",
         "Create a new checkbox policy part  below selected entry in template.", nullptr, nullptr},
        {cCommand::NewPartComboBox, "ComboBox",
         "Create a new \"combobox\" policy part  below selected entry in template.", nullptr,
         nullptr},
        {cCommand::NewPartDropDownList, "DropDownList",
         "Create a new \"dropdownlist\" policy part  below selected entry in template.", nullptr,
         nullptr},
        {cCommand::NewPartEditText, "Edittext",
         "Create a new \"edittext\" policy part  below selected entry in template.", nullptr,
         nullptr},
        {cCommand::NewPartListBox, "Listbox",
         "Create a new \"listbox\" policy part  below selected entry in template.", nullptr,
         nullptr},
        {cCommand::NewPartNumeric, "Numeric",
         "Create a new \"numeric\" policy part  below selected entry in template.", nullptr,
         nullptr},
        {cCommand::NewPartText, "Text",
         "Create a new \"text\" policy part  below selected entry in template.", nullptr, nullptr},
        {cCommand::NewPartMultiText, "Multi-line text",
         "Create a new multi-line text part (ADMX sets only)", nullptr, nullptr},
        {cCommand::NewPartLongNumber, "64-bit number",
         "Create a new 64-bit number part (ADMX sets only)", nullptr, nullptr},
        {cCommand::StringTable, "&String table ...", "", nullptr, nullptr},
        {cCommand::SupportedOn, "Supported &on definitions ...",
         "Edit the products and supported-on definitions of the ADMX file", nullptr, nullptr},
        {cCommand::TemplateProperties, "Template p&roperties ...",
         "Edit the namespaces and revisions of an ADMX set", nullptr, nullptr},
        {cCommand::Translations, "&Translations...",
         "Show the template's texts in its languages side by side", "translate", "Translations"},
        {cCommand::ViewToolbar, "&Toolbar", "Show or hide the toolbar", nullptr, nullptr},
        {cCommand::ViewStatusBar, "&Status Bar", "Show or hide the status bar", nullptr, nullptr},
        {cCommand::WindowCascade, "&Cascade", "Arrange the windows so that they overlap", nullptr,
         nullptr},
        {cCommand::WindowTile, "&Tile", "Arrange the windows side by side", nullptr, nullptr},
        {cCommand::WindowArrangeIcons, "&Arrange Icons",
         "Arrange the minimized windows along the bottom", nullptr, nullptr},
        {cCommand::WindowCompare, "Compare &with...",
         "Compare the active template with another one, policy by policy", nullptr, nullptr},
        {cCommand::ToolsCheckTemplate, "&Check template",
         "Check the template as it stands for faults, as tessary-cli lint does", nullptr, nullptr},
        {cCommand::ToolsCheckMdm, "Check for &MDM import",
         "Check whether the ADMX set as it stands imports into cloud device management, as "
         "tessary-cli lint --profile mdm does",
         nullptr, nullptr},
        {cCommand::Help, "Help", "Show the help", nullptr, nullptr},
        {cCommand::HelpTopics, "&Help Topics", "List the help topics", nullptr, nullptr},
        {cCommand::HelpInfo, "&Info", "Show the help", nullptr, nullptr},
        {cCommand::About, "&About Tessary", "Show the program's name and version", "about",
         "About"},
        {cCommand::ContextHelp, "Help", "Show help for the next item clicked", "contexthelp",
         "Help"},
        {cCommand::NextPane, "Next Pane", "", nullptr, nullptr},
        {cCommand::PreviousPane, "Previous Pane", "", nullptr, nullptr},
    };
    for (const Entry& entry : kEntries) {
        QAction* action =
            AddCommand(entry.id, MenuText(entry.text), QString::fromUtf8(entry.prompt), entry.icon);
        if (entry.toolTip)
            action->setToolTip(QString::fromUtf8(entry.toolTip));
    }

    const std::pair<cCommand, QList<QKeySequence>> kShortcuts[] = {
        {cCommand::FileNew, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {cCommand::FileOpen, {QKeySequence(Qt::CTRL | Qt::Key_O)}},
        {cCommand::FileSave, {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {cCommand::FilePrint, {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {cCommand::EditCopy,
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {cCommand::EditPaste,
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        // The menu promises this key for Paste as next, so it runs it.
        {cCommand::EditPasteNext, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)}},
        {cCommand::EditCut,
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {cCommand::EditDelete, {QKeySequence(Qt::Key_Delete)}},
        {cCommand::EditFind, {QKeySequence(QKeySequence::Find)}},
        {cCommand::EditUndo,
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {cCommand::EditRedo,
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
        {cCommand::Help, {QKeySequence(Qt::Key_F1)}},
        {cCommand::ContextHelp, {QKeySequence(Qt::SHIFT | Qt::Key_F1)}},
        {cCommand::NextPane, {QKeySequence(Qt::Key_F6)}},
        {cCommand::PreviousPane, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const auto& [id, keys] : kShortcuts)
        Command(id)->setShortcuts(keys);
    // These have no menu item, so the window itself carries their shortcuts.
    for (cCommand id : {cCommand::Help, cCommand::NextPane, cCommand::PreviousPane})
        addAction(Command(id));

    for (cCommand id : {cCommand::ViewToolbar, cCommand::ViewStatusBar}) {
        Command(id)->setCheckable(true);
        Command(id)->setChecked(true);
    }

    // Every command runs through the routing table; what nobody handles stays disabled.
    for (const auto& [id, action] : m_commands)
        connect(action, &QAction::triggered, this, [this, id = id] { m_router.Run(id); });
    InstallFrameRoutes();

    m_recentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_recentPlaceholder->setEnabled(false);
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        m_recentActions[i] = new QAction(this);
        m_recentActions[i]->setVisible(false);
        connect(m_recentActions[i], &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
    }
}

void CMainFrame::CreateMenus() {
    auto command = [this](cCommand id) { return Command(id); };
    auto addRecent = [this](QMenu* menu) {
        menu->addAction(m_recentPlaceholder);
        for (QAction* action : m_recentActions)
            menu->addAction(action);
    };

    auto* file128 = new QMenu(QStringLiteral("&File"), this);
    file128->addAction(command(cCommand::FileNew));
    file128->addAction(command(cCommand::FileNewAdmx));
    file128->addAction(command(cCommand::FileOpen));
    file128->addSeparator();
    file128->addAction(command(cCommand::FilePrintSetup));
    file128->addSeparator();
    addRecent(file128);
    file128->addSeparator();
    file128->addAction(command(cCommand::FileExit));

    auto* view = new QMenu(QStringLiteral("&View"), this);
    view->addAction(command(cCommand::ViewToolbar));
    view->addAction(command(cCommand::ViewStatusBar));
    connect(view, &QMenu::aboutToShow, this, [this] {
        Command(cCommand::ViewToolbar)->setChecked(!m_toolBar->isHidden());
        Command(cCommand::ViewStatusBar)->setChecked(!statusBar()->isHidden());
    });

    auto* help128 = new QMenu(QStringLiteral("&Help"), this);
    help128->addAction(command(cCommand::HelpTopics));
    help128->addSeparator();
    help128->addAction(command(cCommand::About));

    auto* file129 = new QMenu(QStringLiteral("&File"), this);
    for (cCommand id : {cCommand::FileNew, cCommand::FileNewAdmx, cCommand::FileOpen,
                        cCommand::FileClose, cCommand::FileSave, cCommand::FileSaveAs})
        file129->addAction(command(id));
    file129->addSeparator();
    file129->addAction(command(cCommand::FileExportAdmx));
    file129->addAction(command(cCommand::FileExportSite));
    file129->addSeparator();
    file129->addAction(command(cCommand::FilePrint));
    file129->addAction(command(cCommand::FilePrintSetup));
    file129->addSeparator();
    addRecent(file129);
    file129->addSeparator();
    file129->addAction(command(cCommand::FileExit));

    auto* edit = new QMenu(QStringLiteral("&Edit"), this);
    edit->addAction(command(cCommand::EditUndo));
    edit->addAction(command(cCommand::EditRedo));
    edit->addSeparator();
    for (cCommand id : {cCommand::EditCut, cCommand::EditCopy, cCommand::EditPaste,
                        cCommand::EditPasteNext, cCommand::EditDelete})
        edit->addAction(command(id));
    edit->addSeparator();
    edit->addAction(command(cCommand::EditFind));
    edit->addSeparator();
    edit->addAction(command(cCommand::EditProperties));

    auto* policy = new QMenu(QStringLiteral("&Policy"), this);
    policy->addAction(command(cCommand::NewVersion));
    policy->addAction(command(cCommand::NewChildVersion));
    QMenu* newClass = policy->addMenu(QStringLiteral("New &Class"));
    newClass->addAction(command(cCommand::NewClassMachine));
    newClass->addAction(command(cCommand::NewClassUser));
    policy->addAction(command(cCommand::NewCategory));
    policy->addAction(command(cCommand::NewChildCategory));
    policy->addAction(command(cCommand::NewPolicy));
    QMenu* newPart = policy->addMenu(QStringLiteral("New Policy &Part"));
    for (cCommand id :
         {cCommand::NewPartCheckBox, cCommand::NewPartComboBox, cCommand::NewPartDropDownList,
          cCommand::NewPartEditText, cCommand::NewPartListBox, cCommand::NewPartNumeric,
          cCommand::NewPartText, cCommand::NewPartMultiText, cCommand::NewPartLongNumber})
        newPart->addAction(command(id));
    policy->addSeparator();
    policy->addAction(command(cCommand::StringTable));
    policy->addAction(command(cCommand::SupportedOn));
    policy->addAction(command(cCommand::TemplateProperties));
    policy->addAction(command(cCommand::Translations));

    auto* tools = new QMenu(QStringLiteral("&Tools"), this);
    tools->addAction(command(cCommand::ToolsCheckTemplate));
    tools->addAction(command(cCommand::ToolsCheckMdm));

    auto* window = new QMenu(QStringLiteral("&Window"), this);
    window->addAction(command(cCommand::WindowCascade));
    window->addAction(command(cCommand::WindowTile));
    window->addAction(command(cCommand::WindowArrangeIcons));
    window->addSeparator();
    window->addAction(command(cCommand::WindowCompare));
    m_windowMenu = window;
    connect(window, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowList);

    auto* help129 = new QMenu(QStringLiteral("&Help"), this);
    help129->addAction(command(cCommand::HelpInfo));
    help129->addSeparator();
    help129->addAction(command(cCommand::About));

    m_subMenus = {newClass, newPart};
    m_menusNoDocument = {file128, view, help128};
    m_menusDocument = {file129, edit, view, policy, tools, window, help129};
    for (QMenu* menu : m_menusDocument + m_menusNoDocument)
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setFloatable(true);
    m_toolBar->setMovable(true);
    for (cCommand id : {cCommand::FileNew, cCommand::FileOpen, cCommand::FileSave})
        m_toolBar->addAction(Command(id));
    m_toolBar->addSeparator();
    for (cCommand id : {cCommand::EditCut, cCommand::EditCopy, cCommand::EditPaste})
        m_toolBar->addAction(Command(id));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Command(cCommand::Translations));
    m_toolBar->addSeparator();
    for (cCommand id : {cCommand::FilePrint, cCommand::About, cCommand::ContextHelp})
        m_toolBar->addAction(Command(id));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    m_idleMessage = new QLabel(QStringLiteral("For Help, press F1"), bar);
    bar->addWidget(m_idleMessage, 1);
    auto indicator = [bar](const QString& longest) {
        auto* label = new QLabel(bar);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(longest) + 10);
        bar->addPermanentWidget(label);
        return label;
    };
    m_capsIndicator = indicator(QStringLiteral("CAP"));
    m_numIndicator = indicator(QStringLiteral("NUM"));
    m_scrollIndicator = indicator(QStringLiteral("SCRL"));
}

QList<QMenu*> CMainFrame::Menus() const {
    return m_menuId == kMenuDocument ? m_menusDocument : m_menusNoDocument;
}

CChildFrame* CMainFrame::ActiveChild() const {
    // The current window stays current while another top-level window (a dialog, the
    // property sheet) is active, so the menus do not flip when the focus leaves the area.
    auto* child = qobject_cast<CChildFrame*>(m_mdi->currentSubWindow());
    // While the application is inactive the area may report no window at all; the one last
    // active is still the user's.
    if (!child && !isActiveWindow() && m_lastActive &&
        m_mdi->subWindowList().contains(m_lastActive.data()))
        child = m_lastActive.data();
    return child && child->Document() ? child : nullptr;
}

CPelwinDoc* CMainFrame::ActiveDocument() const {
    CChildFrame* child = ActiveChild();
    return child ? child->Document() : nullptr;
}

CChildFrame* CMainFrame::ChildOf(const CPelwinDoc& doc) const {
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child && child->Document() == &doc)
            return child;
    }
    // A window whose document is still being read is not in the area yet.
    for (CChildFrame* child : findChildren<CChildFrame*>(Qt::FindDirectChildrenOnly))
        if (child->Document() == &doc)
            return child;
    return nullptr;
}

void CMainFrame::UpdateCommands() {
    for (const auto& [id, action] : m_commands)
        action->setEnabled(m_router.Enabled(id));
    for (QMenu* menu : m_subMenus) {
        const QList<QAction*> items = menu->actions();
        menu->menuAction()->setEnabled(
            std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isEnabled(); }));
    }
    // The history's entries name the step they would undo or redo.
    auto named = [](const QString& verb, const QString& step) {
        // A part's name can be a whole sentence: the menu shows its start.
        constexpr qsizetype kShown = 60;
        QString text = step.size() > kShown ? step.left(kShown - 1) + QChar(0x2026) : step;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        return text.isEmpty() ? verb : verb + QLatin1Char(' ') + text;
    };
    Command(cCommand::EditUndo)->setText(named(QStringLiteral("&Undo"), m_undoGroup->undoText()));
    Command(cCommand::EditRedo)->setText(named(QStringLiteral("&Redo"), m_undoGroup->redoText()));
}

void CMainFrame::ShowMenuSet(int menuId) {
    if (menuId == m_menuId)
        return;
    m_menuId = menuId;
    menuBar()->clear();
    for (QMenu* menu : Menus())
        menuBar()->addMenu(menu);
}

void CMainFrame::OnActiveWindowChanged() {
    if (auto* current = qobject_cast<CChildFrame*>(m_mdi->currentSubWindow()))
        m_lastActive = current;
    CChildFrame* child = ActiveChild();
    ShowMenuSet(child ? kMenuDocument : kMenuNoDocument);
    m_undoGroup->setActiveStack(child && child->History() ? child->History()->Stack() : nullptr);
    UpdateCaption();
    UpdateCommands();
    UpdateWindowList();
}

void CMainFrame::UpdateWindowList() {
    if (!m_windowMenu)
        return;
    for (QAction* action : m_windowActions) {
        m_windowMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowActions.clear();
    CChildFrame* active = ActiveChild();
    int number = 0;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (!child || !child->Document())
            continue;
        if (m_windowActions.isEmpty())
            m_windowActions << m_windowMenu->addSeparator();
        QString title = ShownTitle(*child->Document());
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title));
        action->setCheckable(true);
        action->setChecked(child == active);
        action->setStatusTip(QStringLiteral("Bring this template's window to the front"));
        QPointer<CChildFrame> target(child);
        connect(action, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            m_mdi->setActiveSubWindow(target);
        });
        m_windowActions << action;
    }
}

void CMainFrame::ShowStatus(const Text& text) {
    statusBar()->showMessage(QString::fromStdU16String(text));
}

void CMainFrame::UpdateCaption() {
    m_caption = QString::fromStdU16String(kAppTitle);
    CChildFrame* child = ActiveChild();
    if (child) {
        QString title = ShownTitle(*child->Document());
        title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        m_caption += QStringLiteral(" - ") + title;
    }
    // A maximized window has no title bar of its own, so the caption shows its mark.
    m_caption += QStringLiteral("[*]");
    setWindowTitle(m_caption);
    setWindowModified(child && child->isMaximized() && child->Document()->IsModified());
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A maximized template window writes its own title into the caption and later restores
    // a stale one; the caption stays ours.
    if (event->type() == QEvent::WindowTitleChange && !m_caption.isEmpty() &&
        windowTitle() != m_caption)
        setWindowTitle(m_caption);
}

QPoint CMainFrame::CascadePosition(QSize size) const {
    // Each new window steps down and right by a title bar from the last one, starting over
    // at the top left when it would leave the area.
    int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    int shown = 0;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (window->isVisible() && !window->isMinimized())
            ++shown;
    QSize area = m_mdi->viewport()->size();
    int fitting = std::max(
        1,
        std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step) + 1);
    int slot = shown % fitting;
    return QPoint(slot * step, slot * step);
}

bool CMainFrame::CreateViews(CPelwinDoc& doc) {
    // The window joins the area only when it is shown: a read that fails must change nothing
    // that is on screen, not even which window is active.
    auto* child = new CChildFrame(doc, CChildFrame::InitialSize(m_mdi->viewport()->size()), this);
    child->SetTreePane(new cPolTreeView(doc, child));
    child->SetPreviewPane(new cPolLeaveView(&doc));
    child->SetCloseHandler(
        [this](CPelwinDoc& closing) { return !m_services || m_services->Docs().Close(closing); });
    InstallDocumentRoutes(*child);
    child->hide();
    connect(child, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateCaption(); });
    return true;
}

void CMainFrame::ShowViews(CPelwinDoc& doc) {
    CChildFrame* child = ChildOf(doc);
    if (!child)
        return;
    if (!m_mdi->subWindowList().contains(child))
        m_mdi->addSubWindow(child);
    // In maximized mode this is where the window goes when it is restored.
    child->move(CascadePosition(child->size()));
    child->show();
    m_mdi->setActiveSubWindow(child);
    if (QWidget* tree = child->TreePane())
        tree->setFocus(Qt::OtherFocusReason);
    OnActiveWindowChanged();
}

void CMainFrame::ActivateViews(CPelwinDoc& doc) {
    CChildFrame* child = ChildOf(doc);
    if (!child)
        return;
    if (child->isMinimized())
        child->showNormal();
    m_mdi->setActiveSubWindow(child);
    OnActiveWindowChanged();
}

void CMainFrame::DestroyViews(CPelwinDoc& doc) {
    CChildFrame* child = ChildOf(doc);
    if (!child)
        return;
    child->Detach();
    if (!m_mdi->subWindowList().contains(child)) {
        // Never shown: it goes without touching the area.
        child->deleteLater();
        return;
    }
    // Inside the frame's own close this does nothing more; the close under way finishes it.
    child->close();
    OnActiveWindowChanged();
    UpdateTitles();
}

void CMainFrame::TitleChanged(CPelwinDoc& doc) {
    (void)doc;
    UpdateTitles();
}

QString CMainFrame::ShownTitle(const CPelwinDoc& doc) const {
    std::vector<const CPelwinDoc*> open;
    for (CChildFrame* child : findChildren<CChildFrame*>())
        if (child->Document())
            open.push_back(child->Document());
    return QString::fromStdU16String(TitleAmong(doc, open));
}

void CMainFrame::UpdateTitles() {
    for (CChildFrame* child : findChildren<CChildFrame*>())
        if (child->Document())
            child->UpdateTitle(ShownTitle(*child->Document()));
    UpdateCaption();
    UpdateWindowList();
}

void CMainFrame::RecentFilesChanged() {
    static const std::vector<Text> kNone;
    const std::vector<Text>& files = m_services ? m_services->Docs().RecentFiles() : kNone;
    m_recentPlaceholder->setVisible(files.empty());
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        if (i >= files.size()) {
            action->setVisible(false);
            continue;
        }
        QString path = QDir::toNativeSeparators(QString::fromStdU16String(files[i]));
        QString shown = fontMetrics().elidedText(path, Qt::ElideMiddle, 420);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setStatusTip(QStringLiteral("Open %1").arg(path));
        action->setVisible(true);
    }
    emit recentFilesChanged();
}

void CMainFrame::OpenFile() {
    if (!m_services)
        return;
    Text path;
    if (m_services->Prompts().AskOpenPath(path) && !path.empty())
        m_services->Docs().Open(path);
}

void CMainFrame::OpenRecentFile(size_t index) {
    if (m_services)
        m_services->Docs().OpenRecent(index);
}

void CMainFrame::ArrangeIcons() {
    int x = 0;
    int bottom = m_mdi->viewport()->height();
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (!window->isMinimized())
            continue;
        window->move(x, bottom - window->height());
        x += window->width();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_services && !m_services->Docs().CloseAll()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        UpdateKeyIndicators(*static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateKeyIndicators(const QKeyEvent& event) {
    if (event.type() == QEvent::KeyPress && event.key() == Qt::Key_ScrollLock &&
        !event.isAutoRepeat())
        m_scrollLock = !m_scrollLock;
    m_scrollIndicator->setText(m_scrollLock ? QStringLiteral("SCRL") : QString());
    // Only X11 reports the lock states with every key; elsewhere the panes stay blank.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto state = Qt::KeyboardModifiers::Int(event.nativeModifiers());
    bool caps = state & kX11CapsLock;
    bool num = state & kX11NumLock;
    // A key press reports the state from before the key; the lock key itself flips it.
    if (event.type() == QEvent::KeyPress && event.key() == Qt::Key_CapsLock)
        caps = !caps;
    if (event.type() == QEvent::KeyPress && event.key() == Qt::Key_NumLock)
        num = !num;
    m_capsIndicator->setText(caps ? QStringLiteral("CAP") : QString());
    m_numIndicator->setText(num ? QStringLiteral("NUM") : QString());
}
