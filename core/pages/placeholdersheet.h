#pragma once

#include "core/model/seams.h"

// Stands in for the property sheet until its pages exist: it takes every node it is given,
// never has unapplied edits, and forgets a node that is destroyed.
class cPlaceholderSheet : public cPropertySheetSeam {
public:
    int SetObject(cData* node) override;
    cAnswer AskApply() override { return cAnswer::No; }
    void ApplyNow() override {}
    void DropNode(cData* node) override;
    cData* CurrentNode() const override { return m_current; }
    void ShowWindow(bool) override {}

private:
    cData* m_current = nullptr;  // Not owned.
};
