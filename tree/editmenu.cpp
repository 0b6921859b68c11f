#include "tree/editmenu.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QSplitter>

#include "app/childframe.h"
#include "app/document.h"
#include "edit/treecommands.h"
#include "model/seams.h"
#include "preview/polleaveview.h"
#include "tree/poltreeview.h"

namespace {

cEditState StateOf(cPolTreeView& tree, cPolLeaveView* preview) {
    cEditState state{tree.Document(), SharedState().copy};
    state.selected = tree.SelectedItem();
    state.selectedPart = preview ? preview->SelectedPart() : nullptr;
    return state;
}

// Lays the policy of a part command out again; its panels come back unselected.
void Relayout(cPolTreeView& tree, const cEditResult& result) {
    if (result.item && result.item->node)
        tree.ShowInPreview(result.item->node.get());
}

}  // namespace

cEditMenu::cEditMenu(const Actions& actions, ActiveWindow active, QObject* parent)
    : QObject(parent), m_actions(actions), m_active(std::move(active)) {
    for (size_t i = 0; i < m_actions.nodes.size(); ++i) {
        auto kind = cNewNodeKind(i);
        connect(m_actions.nodes[i], &QAction::triggered, this, [this, kind] {
            Run([kind](View& view, cEditState& state) {
                if (view.previewActive)
                    return;
                // The new item is selected as any other: the sheet may still keep the old one.
                if (cEditResult result = NewNode(state, kind))
                    view.tree->Select(result.item);
            });
        });
    }
    for (size_t i = 0; i < m_actions.parts.size(); ++i) {
        auto kind = cNewPartKind(i);
        connect(m_actions.parts[i], &QAction::triggered, this, [this, kind] {
            Run([kind](View& view, cEditState& state) {
                Relayout(*view.tree, view.previewActive ? NewPartAfter(state, kind)
                                                        : NewPolicyPart(state, kind));
            });
        });
    }
    connect(m_actions.copy, &QAction::triggered, this, [this] {
        Run([](View& view, cEditState& state) {
            if (view.previewActive)
                CopyPart(state);
            else
                CopyItem(state);
        });
    });
    connect(m_actions.paste, &QAction::triggered, this, [this] {
        Run([](View& view, cEditState& state) {
            if (view.previewActive) {
                Relayout(*view.tree, PastePartAfter(state));
                return;
            }
            // A pasted item is not selected; a part pasted into the selected policy is shown.
            cEditResult result = Paste(state);
            if (result && result.part)
                Relayout(*view.tree, result);
        });
    });
    connect(m_actions.pasteNext, &QAction::triggered, this, [this] {
        Run([](View& view, cEditState& state) {
            if (!view.previewActive)
                PasteNext(state);
        });
    });
    connect(m_actions.remove, &QAction::triggered, this, [this] {
        Run([](View& view, cEditState& state) {
            if (view.previewActive)
                Relayout(*view.tree, DeletePart(state));
            else
                DeleteItem(state);
        });
    });
    connect(qApp, &QApplication::focusChanged, this, [this] { Update(); });
}

std::optional<cEditMenu::View> cEditMenu::Current() {
    auto* child = qobject_cast<CChildFrame*>(m_active ? m_active() : nullptr);
    if (!child)
        return std::nullopt;
    auto* tree = qobject_cast<cPolTreeView*>(child->TreePane());
    if (!tree)
        return std::nullopt;
    auto* preview = qobject_cast<cPolLeaveView*>(child->PreviewPane());
    Watch(tree);
    return View{tree, preview, preview && preview->HasActiveBorder()};
}

void cEditMenu::Watch(cPolTreeView* tree) {
    if (m_watched == tree)
        return;
    if (m_watched && m_watched->selectionModel())
        disconnect(m_watched->selectionModel(), nullptr, this, nullptr);
    m_watched = tree;
    // Keys act through the items, so their state follows the selection, not only the menus.
    if (tree->selectionModel())
        connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this] { Update(); });
}

void cEditMenu::Run(const std::function<void(View&, cEditState&)>& command) {
    std::optional<View> view = Current();
    if (!view)
        return;
    cEditState state = StateOf(*view->tree, view->preview);
    command(*view, state);
    Update();
}

void cEditMenu::Update() {
    std::optional<View> view = Current();
    m_actions.cut->setEnabled(false);  // nothing cuts
    if (!view) {
        for (QAction* action : m_actions.nodes)
            action->setEnabled(false);
        for (QAction* action : m_actions.parts)
            action->setEnabled(false);
        for (QAction* action :
             {m_actions.copy, m_actions.paste, m_actions.pasteNext, m_actions.remove})
            action->setEnabled(false);
        return;
    }
    cEditState state = StateOf(*view->tree, view->preview);
    bool preview = view->previewActive;
    for (size_t i = 0; i < m_actions.nodes.size(); ++i)
        m_actions.nodes[i]->setEnabled(!preview && CanNewNode(state, cNewNodeKind(i)));
    bool parts = preview ? CanPartCommand(state) : CanNewPolicyPart(state);
    for (QAction* action : m_actions.parts)
        action->setEnabled(parts);
    m_actions.copy->setEnabled(preview ? CanPartCommand(state) : CanCopyItem(state));
    m_actions.paste->setEnabled(preview ? CanPastePartAfter(state) : CanPaste(state));
    m_actions.pasteNext->setEnabled(!preview && CanPasteNext(state));
    m_actions.remove->setEnabled(preview ? CanDeletePart(state) : CanDeleteItem(state));
}
