#pragma once

#include <memory>
#include <vector>

#include "core/model/stringmap.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

// A panel host that records the panels it creates instead of making windows.
class cFakePanelHost : public cPanelHost {
public:
    struct Record {
        cPanelKind kind;
        cRect rect;
        cPanelContent content;
        bool selected = false;
        bool alive = true;
    };

    class Panel : public cPanel {
    public:
        explicit Panel(Record* record) : m_record(record) {}
        ~Panel() override { m_record->alive = false; }
        void Fill(const cPanelContent& content) override {
            cPanelContent& shown = m_record->content;
            shown.label = content.label;
            if (content.editText)
                shown.editText = content.editText;
            if (content.textLimit)
                shown.textLimit = content.textLimit;
            if (content.list)
                shown.list = content.list;
        }
        void ShowSelection(bool show) override { m_record->selected = show; }
        bool IsSelected() const override { return m_record->selected; }

    private:
        Record* m_record;
    };

    std::unique_ptr<cPanel> CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                              cCtrlList*) override {
        if (failAfter == 0)
            return nullptr;
        if (failAfter > 0)
            --failAfter;
        records.push_back(std::make_unique<Record>(Record{kind, rect, {}}));
        return std::make_unique<Panel>(records.back().get());
    }
    Text ResolveText(TextView text) const override {
        return strings ? ::ResolveText(*strings, text) : Text(text);
    }

    int Alive() const {
        int n = 0;
        for (const auto& r : records)
            n += r->alive && r->kind != cPanelKind::Empty;
        return n;
    }

    std::vector<std::unique_ptr<Record>> records;
    const cStringMap* strings = nullptr;
    int failAfter = -1;  // panels created before creation fails; -1 never fails
};

// A template owner that counts modifications and resolves through its own table.
class cFakeOwner : public cTreeOwner {
public:
    void SetModifiedFlag(int flag) override { modified = flag; }
    Text ResolveText(TextView text) const override { return ::ResolveText(strings, text); }

    int modified = 0;
    cStringMap strings;
};
