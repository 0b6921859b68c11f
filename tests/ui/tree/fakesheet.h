#pragma once

#include <functional>
#include <vector>

#include "core/model/nodeobjects.h"
#include "core/model/seams.h"

// A property sheet that answers as told and records what it was asked. It stands in as the
// application's sheet while it is alive.
class cFakeSheet : public cPropertySheetSeam {
public:
    cFakeSheet() : m_previous(SharedState().sheet) { SharedState().sheet = this; }
    ~cFakeSheet() override { SharedState().sheet = m_previous; }

    int SetObject(cData* node) override {
        given.push_back(node);
        if (onSetObject)
            onSetObject(node);
        if (answer == kSheetShown) {
            // Shows a part selected, as the real sheet does.
            if (current && current->GetPartObject())
                current->GetPartObject()->ShowSelection(0);
            current = node;
            if (node && node->GetPartObject())
                node->GetPartObject()->ShowSelection(1);
        }
        return answer;
    }
    cAnswer AskApply() override { return cAnswer::No; }
    void ApplyNow() override {}
    void DropNode(cData* node) override {
        if (node == current)
            current = nullptr;
    }
    cData* CurrentNode() const override { return current; }
    void ShowWindow(bool activate) override { windowShows.push_back(activate); }

    int answer = kSheetShown;
    cData* current = nullptr;  // Not owned.
    std::vector<cData*> given;
    std::vector<bool> windowShows;
    std::function<void(cData*)> onSetObject;

private:
    cPropertySheetSeam* m_previous;  // Not owned.
};
