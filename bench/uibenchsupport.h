#pragma once

// What the benches of the editor's windows share: the median of their runs, messages
// printed instead of shown in boxes, and one template window's two panes.

#include <QSplitter>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/document/document.h"
#include "core/text/messages.h"
#include "ui/preview/polleaveview.h"
#include "ui/tree/poltreeview.h"

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Messages go to standard error: a bench has nobody to click a box away.
class cPrintingSink : public cMessageSink {
public:
    void Show(int, const Text& text) override {
        std::fprintf(stderr, "message: %s\n", ToUtf8(text).c_str());
    }
};

// One template window's two panes, split one third / two thirds of 750 pixels.
struct cBenchWindow {
    CPelwinDoc doc;
    std::unique_ptr<QSplitter> splitter = std::make_unique<QSplitter>();
    cPolTreeView* tree = nullptr;
    cPolLeaveView* pane = nullptr;

    cBenchWindow() {
        tree = new cPolTreeView(doc, splitter.get(), splitter.get());
        pane = new cPolLeaveView(&doc, splitter.get());
        splitter->addWidget(tree);
        splitter->addWidget(pane);
        splitter->resize(750, 500);
        splitter->setSizes({250, 500});
    }
    ~cBenchWindow() { splitter.reset(); }
};
