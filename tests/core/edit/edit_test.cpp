#include <gtest/gtest.h>

#include <functional>

#include "core/adm/templatewriter.h"
#include "core/edit/commands.h"
#include "core/edit/editstep.h"
#include "core/pages/placeholdersheet.h"
#include "tests/core/adm/writertest.h"
#include "tests/core/model/fakes.h"
#include "tests/testsupport.h"

namespace {

std::string Bytes(const CPelwinDoc& doc) {
    Text text;
    EXPECT_TRUE(doc.WriteText(text));
    return EncodeTemplate(text, 1);
}

// Labels, state images and depths in pre-order: what a view of the tree shows.
std::vector<std::tuple<Text, int, int>> Shape(const cTemplateTree& tree) {
    std::vector<std::tuple<Text, int, int>> shape;
    tree.ForEachPreOrder([&](cTreeItem* item) {
        shape.emplace_back(item->label, item->stateImage, tree.DepthOf(item));
    });
    return shape;
}

bool ReadCorpus(cTestDoc& t, const std::filesystem::path& file) {
    cMessageRecorder quiet;
    return t.doc.ReadFile(FromUtf8(file.string()));
}

// The first item in pre-order whose node matches.
cTreeItem* FindItem(cTemplateTree& tree, const std::function<bool(cTreeItem*)>& match) {
    cTreeItem* found = nullptr;
    tree.ForEachPreOrder([&](cTreeItem* item) {
        if (!found && match(item))
            found = item;
    });
    return found;
}

cTreeItem* PolicyWithParts(cTemplateTree& tree, size_t parts) {
    return FindItem(tree, [parts](cTreeItem* item) {
        return item->node && item->node->kind == kKindPolicy &&
               static_cast<cObjPolicy*>(item->node.get())->Parts().size() >= parts;
    });
}

cTreeItem* CategoryWithPolicies(cTemplateTree& tree) {
    return FindItem(tree, [](cTreeItem* item) {
        if (!item->node || item->node->kind != kKindCategory)
            return false;
        for (const auto& child : item->children)
            if (child->node && child->node->kind == kKindPolicy)
                return true;
        return false;
    });
}

cObjPolicy& PolicyOf(cTreeItem* item) {
    return *static_cast<cObjPolicy*>(item->node.get());
}

TEST(EditOperations, TakeAndInsertBackLeaveEveryCorpusTemplateAsItWas) {
    auto files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << TESSARY_CORPUS_DIR;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        cTestDoc t;
        ASSERT_TRUE(ReadCorpus(t, file));
        const std::string original = Bytes(t.doc);
        const auto shape = Shape(t.Tree());
        const size_t count = t.Tree().ItemCount();

        // A category deep inside, and the first top-level item, each with its subtree.
        for (cTreeItem* item : {CategoryWithPolicies(t.Tree()), t.Tree().FirstRootItem()}) {
            ASSERT_NE(item, nullptr);
            cTreeItem* parent = t.Tree().ParentOf(item);
            size_t row = item->row;
            cOwnedItem taken = TakeItem(t.Tree(), item);
            EXPECT_LT(t.Tree().ItemCount(), count);
            EXPECT_EQ(taken->node->ownerView, nullptr);
            EXPECT_EQ(InsertItem(t.Tree(), parent, row, std::move(taken)), item);
        }
        EXPECT_EQ(t.Tree().ItemCount(), count);
        EXPECT_EQ(Shape(t.Tree()), shape);
        EXPECT_TRUE(Bytes(t.doc) == original);
    }
}

TEST(EditOperations, ClonesAreDeepAndNeedNoRecursion) {
    auto files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << TESSARY_CORPUS_DIR;
    cTestDoc t;
    ASSERT_TRUE(ReadCorpus(t, files.front()));
    const std::string original = Bytes(t.doc);
    cTreeItem* source = PolicyWithParts(t.Tree(), 1);
    ASSERT_NE(source, nullptr);

    cOwnedItem clone = CloneSubtree(*source);
    EXPECT_EQ(clone->label, source->label);
    auto& policy = PolicyOf(clone.get());
    ASSERT_EQ(policy.Parts().size(), PolicyOf(source).Parts().size());
    EXPECT_NE(policy.Parts()[0].get(), PolicyOf(source).Parts()[0].get());
    EXPECT_EQ(policy.Parts()[0]->Policy(), &policy);
    // Everything the clone holds is its own: change all of it, the source writes the same.
    policy.name = u"changed";
    policy.keyName = u"Changed\\Key";
    policy.valueOn = cDescVal{};
    policy.actionListOn.push_back(cActionKey{});
    for (const auto& part : policy.Parts()) {
        part->name = u"changed";
        part->valueName = u"changed";
    }
    clone.reset();
    EXPECT_TRUE(Bytes(t.doc) == original);

    // A chain far deeper than any stack allows for recursion is cloned and destroyed, in
    // and out of the tree.
    cTestDoc chain;
    cTreeItem* top = chain.Category(nullptr, u"0");
    cTreeItem* at = top;
    for (int i = 1; i < 10000; ++i)
        at = chain.Category(at, u"c");
    cOwnedItem copy = CloneSubtree(*top);
    cTreeItem* inserted = InsertItem(chain.Tree(), nullptr, 1, std::move(copy));
    EXPECT_EQ(chain.Tree().ItemCount(), 20000u);
    cTreeItem* last = inserted;
    while (!last->children.empty())
        last = last->children.front().get();
    EXPECT_EQ(chain.Tree().DepthOf(last), 9999);
    EXPECT_EQ(last->node->ownerView, &chain.Tree());
    cOwnedItem taken = TakeItem(chain.Tree(), top);
    EXPECT_EQ(chain.Tree().ItemCount(), 10000u);
    taken.reset();
    chain.Tree().Clear();
}

// Each kind of step: a change made through the step and taken back leaves the template's
// bytes as they were, and made again gives the bytes of the same change made directly.
TEST(EditSteps, RevertRestoresAndReapplyEqualsTheDirectChange) {
    auto files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << TESSARY_CORPUS_DIR;
    const auto file = files.front();

    struct Kind {
        const char* name;
        // Makes the change on doc directly, or (stepped) returns a step describing it.
        std::function<void(cTestDoc&)> direct;
        std::function<std::unique_ptr<cEditStep>(cTestDoc&)> step;
    };
    auto policyWithParts = [](cTestDoc& t) { return PolicyWithParts(t.Tree(), 1); };
    auto changedData = [](const cData& node) {
        auto data = CopyNodeData(node);
        auto* policy = static_cast<cPolicy*>(data.get());
        policy->name = u"Renamed";
        policy->keyName = u"Software\\Other";
        policy->useDefaultKey = 0;
        return data;
    };
    // Copies of the parts in reverse order, with a new part in front.
    auto otherParts = [](const cObjPolicy& policy) {
        cPartList parts;
        parts.push_back(std::make_unique<cObjPolPartText>(nullptr));
        for (size_t i = policy.Parts().size(); i-- > 0;)
            parts.push_back(policy.Parts()[i]->ClonePart(nullptr));
        return parts;
    };
    auto otherStrings = [](const CPelwinDoc& doc) {
        cStringMap strings = doc.Strings();
        strings.Set(strings.Entries().front().first, u"Changed text");
        strings.Set(u"AddedName", u"Added text");
        return strings;
    };
    // The item taken out last: it may hold the policy the others change.
    const std::vector<Kind> kinds = {
        {"insert item",
         [&](cTestDoc& t) {
             cTreeItem* source = policyWithParts(t);
             InsertItem(t.Tree(), t.Tree().ParentOf(source), 0, CloneSubtree(*source));
         },
         [&](cTestDoc& t) -> std::unique_ptr<cEditStep> {
             cTreeItem* source = policyWithParts(t);
             return cItemPlacementStep::Insert(u"Paste", cTreePath::Of(source).Parent(), 0,
                                               CloneSubtree(*source));
         }},
        {"node data",
         [&](cTestDoc& t) {
             cData& node = *policyWithParts(t)->node;
             SetNodeData(node, *changedData(node));
         },
         [&](cTestDoc& t) -> std::unique_ptr<cEditStep> {
             cData& node = *policyWithParts(t)->node;
             return std::make_unique<cNodeDataStep>(u"Apply", node, CopyNodeData(node),
                                                    changedData(node));
         }},
        {"take part", [&](cTestDoc& t) { TakePart(PolicyOf(policyWithParts(t)), 0); },
         [&](cTestDoc& t) -> std::unique_ptr<cEditStep> {
             return cPartPlacementStep::Take(u"Delete part", PolicyOf(policyWithParts(t)), 0);
         }},
        {"part list",
         [&](cTestDoc& t) {
             cObjPolicy& policy = PolicyOf(policyWithParts(t));
             SetPartList(policy, otherParts(policy));
         },
         [&](cTestDoc& t) -> std::unique_ptr<cEditStep> {
             cObjPolicy& policy = PolicyOf(policyWithParts(t));
             return std::make_unique<cPartListStep>(u"Parts", policy, otherParts(policy));
         }},
        {"string table", [&](cTestDoc& t) { SetStringTable(t.doc, otherStrings(t.doc)); },
         [&](cTestDoc& t) -> std::unique_ptr<cEditStep> {
             return std::make_unique<cStringTableStep>(u"Edit string table", otherStrings(t.doc));
         }},
        {"take item", [](cTestDoc& t) { t.Tree().DeleteItem(CategoryWithPolicies(t.Tree())); },
         [](cTestDoc& t) {
             return cItemPlacementStep::Take(u"Delete",
                                             cTreePath::Of(CategoryWithPolicies(t.Tree())));
         }},
    };

    cTestDoc original;
    ASSERT_TRUE(ReadCorpus(original, file));
    const std::string before = Bytes(original.doc);
    cTestDoc compoundDirect;
    ASSERT_TRUE(ReadCorpus(compoundDirect, file));
    cTestDoc compoundStepped;
    ASSERT_TRUE(ReadCorpus(compoundStepped, file));
    cCompoundStep compound(u"All of it");

    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        cTestDoc direct;
        ASSERT_TRUE(ReadCorpus(direct, file));
        kind.direct(direct);
        const std::string after = Bytes(direct.doc);
        ASSERT_FALSE(after == before);

        cTestDoc stepped;
        ASSERT_TRUE(ReadCorpus(stepped, file));
        auto step = kind.step(stepped);
        ASSERT_TRUE(step->Apply(stepped.doc));
        EXPECT_TRUE(Bytes(stepped.doc) == after);
        ASSERT_TRUE(step->Revert(stepped.doc));
        EXPECT_TRUE(Bytes(stepped.doc) == before);
        ASSERT_TRUE(step->Apply(stepped.doc));
        EXPECT_TRUE(Bytes(stepped.doc) == after);

        // The same changes one after another, as one step.
        kind.direct(compoundDirect);
        auto part = kind.step(compoundStepped);
        ASSERT_TRUE(part->Apply(compoundStepped.doc));
        compound.Add(std::move(part));
    }
    const std::string all = Bytes(compoundDirect.doc);
    EXPECT_TRUE(Bytes(compoundStepped.doc) == all);
    ASSERT_TRUE(compound.Revert(compoundStepped.doc));
    EXPECT_TRUE(Bytes(compoundStepped.doc) == before);
    ASSERT_TRUE(compound.Apply(compoundStepped.doc));
    EXPECT_TRUE(Bytes(compoundStepped.doc) == all);
}

// Records the steps it is given, after applying them, as the editor's undo stack does.
class cRecordingSink : public cStepSink {
public:
    bool Push(std::unique_ptr<cEditStep> step) override {
        if (!step->Apply(*doc))
            return false;
        steps.push_back(std::move(step));
        return true;
    }
    CPelwinDoc* doc = nullptr;
    std::vector<std::unique_ptr<cEditStep>> steps;
};

TEST(EditCommands, DeleteForgetsWhatLeftAndUndoPutsItBack) {
    cFakePanelHost host;
    cPlaceholderSheet sheet;
    SharedState().sheet = &sheet;
    cTestDoc t;
    cRecordingSink sink;
    sink.doc = &t.doc;
    t.doc.SetStepSink(&sink);
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    cTreeItem* first = t.Category(cls, u"First");
    cTreeItem* doomed = t.Category(cls, u"Doomed");
    t.Tree().SetItemText(doomed, u"Doomed");
    t.Tree().SetStateImage(doomed, kImageOpenBook);
    cTreeItem* policyItem = t.Policy(doomed, u"Inner");
    t.Category(cls, u"Last");
    auto& text = cTestDoc::AddPart<cObjPolPartText>(policyItem, u"a");
    cTestDoc::AddPart<cObjPolPartText>(policyItem, u"b");
    cRect rect{0, 0, 0, 0};
    ASSERT_EQ(PolicyOf(policyItem).CreatePanel(rect, &host), 1);
    ASSERT_EQ(host.Alive(), 2);
    ASSERT_EQ(sheet.SetObject(&text), kSheetShown);
    SharedState().copy.CopyItem(t.Tree(), *policyItem);
    const std::string before = Bytes(t.doc);
    const auto shape = Shape(t.Tree());
    t.doc.SetModifiedFlag(0);

    cEditState state{t.doc, SharedState().copy};
    EXPECT_FALSE(CanDeleteItem(state));
    state.selected = doomed;
    ASSERT_TRUE(CanDeleteItem(state));
    cEditResult result = DeleteItem(state);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.item, cls);
    ASSERT_EQ(sink.steps.size(), 1u);
    EXPECT_EQ(sink.steps[0]->Label(), u"Delete category Doomed");
    EXPECT_EQ(sink.steps[0]->Touched(), cTreePath::Of(cls));
    // Out of the template: modified, panels closed, the sheet and the copy reference let go,
    // though the nodes live on in the step.
    EXPECT_TRUE(t.doc.IsModified());
    EXPECT_EQ(host.Alive(), 0);
    EXPECT_EQ(sheet.CurrentNode(), nullptr);
    EXPECT_FALSE(SharedState().copy.HoldsItem());
    EXPECT_EQ(cls->children.size(), 2u);
    EXPECT_EQ(t.Tree().ItemCount(), 3u);

    ASSERT_TRUE(sink.steps[0]->Revert(t.doc));
    EXPECT_EQ(first->parent->children[1].get(), doomed);
    EXPECT_EQ(sink.steps[0]->Touched(), cTreePath::Of(doomed));
    EXPECT_EQ(Shape(t.Tree()), shape);
    EXPECT_TRUE(Bytes(t.doc) == before);
    EXPECT_EQ(policyItem->node->ownerView, &t.Tree());

    // A part in the preview: the copied part is forgotten, undo puts it back in its place.
    SharedState().copy.CopyPart(text);
    state.selectedPart = &text;
    ASSERT_TRUE(CanDeletePart(state));
    result = DeletePart(state);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.item, policyItem);
    EXPECT_FALSE(SharedState().copy.HoldsPart());
    EXPECT_EQ(PolicyOf(policyItem).Parts().size(), 1u);
    EXPECT_EQ(sink.steps.back()->Label(), u"Delete part a");
    EXPECT_FALSE(CanDeletePart(state));
    ASSERT_TRUE(sink.steps.back()->Revert(t.doc));
    EXPECT_EQ(PolicyOf(policyItem).Parts()[0].get(), &text);
    EXPECT_TRUE(Bytes(t.doc) == before);

    // A part's data is written into the part at the same place, and only into its own kind.
    auto renamed = CopyNodeData(text);
    dynamic_cast<cObjPolPartText&>(*renamed).name = u"renamed";
    cNodeDataStep rename(u"Apply", text, CopyNodeData(text), std::move(renamed));
    ASSERT_TRUE(rename.Apply(t.doc));
    EXPECT_EQ(text.name, u"renamed");
    ASSERT_TRUE(rename.Revert(t.doc));
    EXPECT_EQ(text.name, u"a");
    cObjPolPartNum number(nullptr);
    EXPECT_FALSE(SetNodeData(text, number));

    // A step whose place is gone fails and changes nothing.
    auto stale = cItemPlacementStep::Take(u"Delete", cTreePath{{0, 7}});
    EXPECT_FALSE(stale->Apply(t.doc));
    EXPECT_TRUE(Bytes(t.doc) == before);

    t.doc.SetStepSink(nullptr);
    sink.steps.clear();
    SharedState() = cSharedState();
}

}  // namespace
