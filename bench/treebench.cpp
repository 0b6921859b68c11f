// Builds and walks template trees of growing size and prints the time per item, so that a
// cost that grows faster than the number of items shows at once.

#include <chrono>
#include <cstdio>
#include <memory>

#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A template-like shape: categories of 20 policies each, categories nested four deep.
void Build(cTemplateTree& tree, int items) {
    cTreeItem* cls =
        tree.InsertLast(nullptr, u"MACHINE", kImageClosedBook, std::make_unique<cObjClass>());
    int made = 1;
    cTreeItem* category = nullptr;
    int depth = 0;
    while (made < items) {
        if (made % 21 == 1) {
            cTreeItem* parent = depth < 4 && category ? category : cls;
            depth = parent == cls ? 0 : depth + 1;
            category = tree.InsertLast(parent, u"Category", kImageClosedBook,
                                       std::make_unique<cObjCategory>());
        } else {
            auto policy = std::make_unique<cObjPolicy>();
            policy->AppendPart(CreatePartFromKeyword(u"EDITTEXT", policy.get(), false));
            tree.InsertLast(category, u"Policy", kImagePage, std::move(policy));
        }
        ++made;
    }
}

}  // namespace

int main() {
    std::printf("%10s %12s %12s %14s %14s\n", "items", "build ms", "walk ms", "build ns/item",
                "walk ns/item");
    for (int items : {5000, 10000, 20000, 40000, 80000}) {
        cTemplateTree tree;
        auto start = Clock::now();
        Build(tree, items);
        double build = Seconds(start);
        start = Clock::now();
        size_t walked = 0;
        size_t keyLength = 0;
        tree.ForEachPreOrder([&](cTreeItem* item) {
            ++walked;
            keyLength += item->node->GetEffectiveKey().size();
        });
        double walk = Seconds(start);
        std::printf("%10zu %12.2f %12.2f %14.1f %14.1f\n", walked, build * 1e3, walk * 1e3,
                    build * 1e9 / double(walked), walk * 1e9 / double(walked));
        (void)keyLength;
    }
    return 0;
}
