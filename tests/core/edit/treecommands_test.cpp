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
    // The part kinds only ADMX has are not made in an ADM template.
    EXPECT_FALSE(CanNewAdmxPolicyPart(e.state));
    EXPECT_FALSE(NewPolicyPart(e.state, cNewPartKind::MultiText));
    EXPECT_FALSE(NewPolicyPart(e.state, cNewPartKind::LongNumber));
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

// A paste brings the strings its nodes and parts refer to, from names, explain and
// supported-on texts to items, and no others; undo takes them out again.
TEST(TreeCommands, PasteFromAnotherTemplateBringsOnlyTheStringsItUses) {
    Editor source;
    cTreeItem* cls = source.t.Class(nullptr, u"MACHINE");
    cTreeItem* category = source.t.Category(cls, u"!!cat");
    cTestDoc::Node<cObjCategory>(category).explainText = u"!!catHelp";
    cTreeItem* policy = source.t.Policy(category, u"!!pol");
    auto& data = cTestDoc::Node<cObjPolicy>(policy);
    data.supportedFlag = 1;
    data.supportedText = u"!!sup";
    data.explainText = u"!!polHelp";
    auto& list = cTestDoc::AddPart<cObjPolPartDropDown>(policy, u"!!list");
    list.itemList = {cItemList(u"!!item", {})};
    source.t.Category(cls, u"!!other");
    for (const char16_t* name :
         {u"cat", u"catHelp", u"pol", u"sup", u"polHelp", u"list", u"item", u"other"})
        source.t.doc.Strings().Set(name, Text(u"Source ") + name);
    for (int i = 0; i < 1100; ++i)
        source.t.doc.Strings().Set(u"unused" + FromUtf8(std::to_string(i)), u"x");
    source.t.doc.RefreshAllNodes();

    Editor target;
    cTreeItem* user = target.t.Class(nullptr, u"USER");
    cTreeItem* own = target.t.Category(user, u"!!pol");
    target.t.doc.Strings().Set(u"pol", u"Target's");
    target.t.doc.Strings().Set(u"mine", u"Mine");
    target.t.doc.RefreshAllNodes();
    const Text original = Written(target.t.doc);

    source.state.selected = policy;
    CopyItem(source.state);
    target.state.selected = own;
    ASSERT_TRUE(Paste(target.state));
    std::vector<Text> names;
    for (const auto& entry : target.t.doc.Strings().Entries())
        names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<Text>{u"pol", u"mine", u"sup", u"polHelp", u"list", u"item"}));
    EXPECT_EQ(*target.t.doc.Strings().Find(u"pol"), u"Source pol");
    EXPECT_EQ(own->label, u"Source pol");
    target.history.Undo();
    EXPECT_EQ(Written(target.t.doc), original);
    EXPECT_EQ(target.t.doc.Strings().Size(), 2u);

    // A category brings its own texts with those of everything in it.
    source.state.selected = category;
    CopyItem(source.state);
    target.state.selected = user;
    ASSERT_TRUE(Paste(target.state));
    EXPECT_EQ(target.t.doc.Strings().Size(), 8u);
    EXPECT_TRUE(target.t.doc.Strings().Contains(u"catHelp"));
    EXPECT_FALSE(target.t.doc.Strings().Contains(u"other"));
    target.history.Undo();

    // A part copied in the preview brings only what the part refers to.
    source.state.selectedPart = &list;
    CopyPart(source.state);
    cTreeItem* targetPolicy = target.t.Policy(own, u"Plain");
    target.state.selected = targetPolicy;
    ASSERT_TRUE(Paste(target.state));
    EXPECT_EQ(target.t.doc.Strings().Size(), 4u);
    EXPECT_TRUE(target.t.doc.Strings().Contains(u"item"));

    // Nothing referred to: the paste is the node alone.
    cTreeItem* plain = source.t.Policy(category, u"Plain text");
    source.state.selected = plain;
    CopyItem(source.state);
    target.state.selected = own;
    size_t steps = target.history.steps.size();
    ASSERT_TRUE(Paste(target.state));
    EXPECT_EQ(target.t.doc.Strings().Size(), 4u);
    EXPECT_EQ(target.history.steps.size(), steps + 1);
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
