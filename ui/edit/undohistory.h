#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "core/edit/editstep.h"

class CPelwinDoc;
class QUndoStack;

// The undo history of one document: a QUndoStack whose commands are the document's steps.
// It is the document's step sink, so every command's step lands here (PerformStep). The
// document's modified flag follows the stack's clean state, and after an undo or redo the
// item the step touched is handed to the select handler (the tree selects it, through the
// normal selection rules).
class cUndoHistory : public QObject, public cStepSink {
    Q_OBJECT
public:
    cUndoHistory(CPelwinDoc& doc, QObject* parent = nullptr);
    ~cUndoHistory() override;

    QUndoStack* Stack() const { return m_stack; }

    // Applies the step and keeps it; a step that cannot be applied is dropped.
    bool Push(std::unique_ptr<cEditStep> step) override;
    // Keeps a step whose change has been made already (a sheet apply).
    void PushDone(std::unique_ptr<cEditStep> step);
    // The document was saved or read: this is the state without changes.
    void MarkClean();
    // Lets go of the document: the history is emptied and takes no more steps.
    void Detach();

    using SelectHandler = std::function<void(const cTreePath&)>;
    void SetSelectHandler(SelectHandler handler) { m_select = std::move(handler); }

private:
    friend class cStepCommand;
    void StepDone(const cEditStep& step);
    void SyncModified();

    CPelwinDoc* m_doc;  // Not owned.
    QUndoStack* m_stack;
    SelectHandler m_select;
};
