#include "ui/edit/undohistory.h"

#include <QUndoStack>

#include "core/document/document.h"

// One step on the stack. The first redo (QUndoStack::push runs it) makes the change unless
// it was made already; every later undo and redo also selects what the step touched.
class cStepCommand : public QUndoCommand {
public:
    cStepCommand(cUndoHistory& history, std::unique_ptr<cEditStep> step, bool done)
        : QUndoCommand(QString::fromStdU16String(step->Label())),
          m_history(history),
          m_step(std::move(step)),
          m_pushing(true),
          m_done(done) {}

    void redo() override {
        if (m_pushing) {
            m_pushing = false;
            if (!m_done && (!m_history.m_doc || !m_step->Apply(*m_history.m_doc)))
                setObsolete(true);
            return;
        }
        if (m_history.m_doc && m_step->Apply(*m_history.m_doc))
            m_history.StepDone(*m_step);
    }
    void undo() override {
        if (m_history.m_doc && m_step->Revert(*m_history.m_doc))
            m_history.StepDone(*m_step);
    }

private:
    cUndoHistory& m_history;
    std::unique_ptr<cEditStep> m_step;
    bool m_pushing;
    bool m_done;
};

cUndoHistory::cUndoHistory(CPelwinDoc& doc, QObject* parent)
    : QObject(parent), m_doc(&doc), m_stack(new QUndoStack(this)) {
    doc.SetStepSink(this);
    connect(m_stack, &QUndoStack::indexChanged, this, [this] { SyncModified(); });
}

cUndoHistory::~cUndoHistory() {
    Detach();
}

bool cUndoHistory::Push(std::unique_ptr<cEditStep> step) {
    if (!step || !m_doc)
        return false;
    auto* command = new cStepCommand(*this, std::move(step), false);
    const int before = m_stack->index();
    m_stack->push(command);
    // A step that could not be applied was deleted by the stack without moving it.
    return m_stack->index() != before;
}

void cUndoHistory::PushDone(std::unique_ptr<cEditStep> step) {
    if (step && m_doc)
        m_stack->push(new cStepCommand(*this, std::move(step), true));
}

void cUndoHistory::MarkClean() {
    if (!m_stack->isClean())
        m_stack->setClean();
}

void cUndoHistory::Detach() {
    if (!m_doc)
        return;
    if (m_doc->StepSink() == this)
        m_doc->SetStepSink(nullptr);
    m_doc = nullptr;
    // The steps hold nodes out of the template; they go now, not with some later event.
    m_stack->clear();
}

void cUndoHistory::StepDone(const cEditStep& step) {
    if (m_select && !step.Touched().rows.empty())
        m_select(step.Touched());
}

void cUndoHistory::SyncModified() {
    if (m_doc)
        m_doc->SetModifiedFlag(m_stack->isClean() ? 0 : 1);
}
