#include "core/edit/treecommands.h"

#include <gtest/gtest.h>

#include "core/adm/templatewriter.h"
#include "core/edit/editstep.h"
#include "core/model/clipboard.h"
#include "core/model/seams.h"
#include "tests/core/adm/writertest.h"

namespace {

Text Written(const CPelwinDoc& doc) {
    Text text;
    EXPECT_TRUE(SaveTemplate(doc.Tree(), doc.Strings(), text));
    return text;
}

// Keeps every step of one document, so a test can take them back.
class cHistory : public cStepSink {
public:
    explicit cHistory(CPelwinDoc& doc) : m_doc(doc) { doc.SetStepSink(this); }
    ~cHistory() override { m_doc.SetStepSink(nullptr); }
    bool Push(std::unique_ptr<cEditStep> step) override {
        if (!step->Apply(m_doc))
            return false;
        steps.push_back(std::move(step));
        return true;
    }
    void Undo() { ASSERT_TRUE(steps.back()->Revert(m_doc)); }
    void Redo() { ASSERT_TRUE(steps.back()->Apply(m_doc)); }

    std::vector<std::unique_ptr<cEditStep>> steps;

private:
    CPelwinDoc& m_doc;
};

// A template with its history and an edit state over it.
struct Editor {
    cTestDoc t;
    cHistory history{t.doc};
    cEditState state{t.doc, SharedState().copy};

    ~Editor() { SharedState().copy.Clear(); }
    cEditResult New(cTreeItem* selected, cNewNodeKind kind) {
        state.selected = selected;
        return NewNode(state, kind);
    }
    std::vector<Text> PartNames(cTreeItem* policy) {
        std::vector<Text> names;
        for (const auto& part : cTestDoc::Node<cObjPolicy>(policy).Parts())
            names.push_back(part->name);
        return names;
    }
};

TEST(TreeCommands, NewNodesGoToTheirPlacesAndUndoToTheSameBytes) {
    Editor e;
    cEditResult machine = e.New(nullptr, cNewNodeKind::Machine);
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine.item->label, u"MACHINE");
    EXPECT_EQ(machine.item->stateImage, kImageClosedBook);
    EXPECT_TRUE(e.t.doc.IsModified());
    cTreeItem* category = e.New(machine.item, cNewNodeKind::Category).item;
    cTreeItem* policy = e.New(category, cNewNodeKind::Policy).item;
    ASSERT_NE(policy, nullptr);
    EXPECT_EQ(policy->stateImage, kImagePage);
    EXPECT_EQ(e.history.steps.back()->Label(), u"New policy");
    cTreeItem* version = e.New(machine.item, cNewNodeKind::ChildVersion).item;
    // With a version condition under the class selected, a category goes first under the class.
    cTreeItem* first = e.New(version, cNewNodeKind::Category).item;
    EXPECT_EQ(machine.item->children[0].get(), first);
    // Disabled commands do nothing.
    EXPECT_FALSE(e.New(policy, cNewNodeKind::ChildVersion));

    // Parts added in turn come newest first.
    e.state.selected = policy;
    const Text beforeParts = Written(e.t.doc);
    ASSERT_TRUE(NewPolicyPart(e.state, cNewPartKind::CheckBox));
    cEditResult text = NewPolicyPart(e.state, cNewPartKind::Text);
    ASSERT_TRUE(text);
    text.part->name = u"T";
    EXPECT_EQ(e.PartNames(policy), (std::vector<Text>{u"T", u"<new>"}));
    EXPECT_EQ(e.history.steps.back()->Label(), u"New part Text");
    e.history.Undo();
    e.history.steps.pop_back();
    e.history.Undo();
    EXPECT_EQ(Written(e.t.doc), beforeParts);
}

TEST(TreeCommands, PasteCopiesTheSubtreeDeeplyAndNeverIntoItself) {
    Editor e;
    cTreeItem* machine = e.t.Class(nullptr, u"MACHINE");
    cTreeItem* user = e.t.Class(nullptr, u"USER");
    cTreeItem* category = e.t.Category(machine, u"Cat");
    cTreeItem* sub = e.t.Category(category, u"Sub");
    e.t.Policy(category, u"P1");
    e.t.Policy(category, u"P2");
    cTestDoc::AddPart<cObjPolPartCheckBox>(category->children[1].get(), u"Box");
    e.t.doc.RefreshAllNodes();
    e.t.doc.SetModifiedFlag(0);
    const Text original = Written(e.t.doc);

    e.state.selected = machine;
    EXPECT_FALSE(CanCopyItem(e.state));  // a class
    e.state.selected = category;
    CopyItem(e.state);
    EXPECT_FALSE(e.t.doc.IsModified());
    e.state.selected = sub;
    EXPECT_FALSE(CanPaste(e.state));  // into its own subtree

    e.state.selected = user;
    cEditResult pasted = Paste(e.state);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(e.history.steps.back()->Label(), u"Paste category Cat");
    ASSERT_EQ(user->children.size(), 1u);
    cTreeItem* copy = user->children[0].get();
    ASSERT_EQ(copy->children.size(), 3u);
    EXPECT_EQ(copy->children[2]->label, u"P2");
    // Deep: changing the copy leaves the source alone.
    cTestDoc::Node<cObjPolicy>(copy->children[1].get()).Parts()[0]->name = u"Changed";
    EXPECT_EQ(cTestDoc::Node<cObjPolicy>(category->children[1].get()).Parts()[0]->name, u"Box");
    cTestDoc::Node<cObjPolicy>(copy->children[1].get()).Parts()[0]->name = u"Box";

    e.history.Undo();
    EXPECT_EQ(Written(e.t.doc), original);

    // Deleting the copied item disables Paste.
    e.t.doc.Tree().DeleteItem(category);
    e.state.selected = user;
    EXPECT_FALSE(CanPaste(e.state));
}

TEST(TreeCommands, PasteAsNextAfterATopLevelItemChangesNothing) {
    Editor e;
    cTreeItem* top = e.t.Version(nullptr, u">=", u"1");
    cTreeItem* machine = e.t.Class(top, u"MACHINE");
    cTreeItem* inner = e.t.Version(machine, u">=", u"2");
    e.t.doc.SetModifiedFlag(0);
    e.state.selected = inner;
    CopyItem(e.state);
    EXPECT_FALSE(CanPaste(e.state));  // a version condition only goes as next
    e.state.selected = top;
    EXPECT_TRUE(CanPasteNext(e.state));
    EXPECT_FALSE(PasteNext(e.state));
    EXPECT_FALSE(e.t.doc.IsModified());
    EXPECT_TRUE(e.history.steps.empty());
    e.state.selected = inner;
    ASSERT_TRUE(PasteNext(e.state));
    EXPECT_EQ(machine->children.size(), 2u);
}

TEST(TreeCommands, PasteFromAnotherTemplateBringsItsStringsAndUndoesThem) {
    Editor source;
    cTreeItem* cls = source.t.Class(nullptr, u"MACHINE");
    cTreeItem* category = source.t.Category(cls, u"!!cat");
    source.t.doc.Strings().Set(u"cat", u"From source");
    source.t.doc.RefreshAllNodes();
    source.state.selected = category;
    CopyItem(source.state);

    Editor target;
    cTreeItem* user = target.t.Class(nullptr, u"USER");
    cTreeItem* own = target.t.Category(user, u"!!cat");
    target.t.doc.Strings().Set(u"cat", u"Target's");
    target.t.doc.RefreshAllNodes();
    const Text original = Written(target.t.doc);
    target.state.selected = user;
    ASSERT_TRUE(Paste(target.state));
    EXPECT_EQ(own->label, u"From source");
    EXPECT_EQ(user->children[0]->label, u"From source");
    target.history.Undo();
    EXPECT_EQ(Written(target.t.doc), original);
    EXPECT_EQ(own->label, u"Target's");
}

TEST(PartCommands, ActOnTheSelectedPartOfThePreview) {
    Editor e;
    cTreeItem* cls = e.t.Class(nullptr, u"MACHINE");
    cTreeItem* policy = e.t.Policy(e.t.Category(cls, u"C"), u"P");
    auto& a = cTestDoc::AddPart<cObjPolPartText>(policy, u"A");
    auto& b = cTestDoc::AddPart<cObjPolPartText>(policy, u"B");
    cTestDoc::AddPart<cObjPolPartText>(policy, u"C");
    const Text original = Written(e.t.doc);

    EXPECT_FALSE(CanPartCommand(e.state));
    e.state.selectedPart = &b;
    ASSERT_TRUE(NewPartAfter(e.state, cNewPartKind::CheckBox));
    EXPECT_EQ(e.PartNames(policy), (std::vector<Text>{u"A", u"B", u"<new>", u"C"}));
    e.history.Undo();
    EXPECT_EQ(Written(e.t.doc), original);

    // Copy, change the label, paste: the paste has the changed label.
    CopyPart(e.state);
    b.name = u"B2";
    e.state.selectedPart = &a;
    ASSERT_TRUE(PastePartAfter(e.state));
    EXPECT_EQ(e.PartNames(policy), (std::vector<Text>{u"A", u"B2", u"B2", u"C"}));
    e.history.Undo();

    // Copied part deleted: nothing to paste.
    e.state.selectedPart = &b;
    ASSERT_TRUE(DeletePart(e.state));
    e.state.selectedPart = &a;
    EXPECT_FALSE(CanPastePartAfter(e.state));
    EXPECT_FALSE(PastePartAfter(e.state));
}

}  // namespace
