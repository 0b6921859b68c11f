#include <gtest/gtest.h>

#include "core/document/editrules.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"
#include "core/pages/placeholdersheet.h"
#include "tests/core/model/fakes.h"

namespace {

template <typename T>
T* Node(cTreeItem* item) {
    return dynamic_cast<T*>(item->node.get());
}

cTreeItem* AddCategory(cTemplateTree& tree, cTreeItem* parent, const char16_t* key = nullptr) {
    auto category = std::make_unique<cObjCategory>();
    if (key) {
        category->keyName = key;
        category->useDefaultKey = 0;
    }
    return tree.InsertLast(parent, u"c", kImageClosedBook, std::move(category));
}

cTreeItem* AddVersion(cTemplateTree& tree, cTreeItem* parent) {
    return tree.InsertLast(parent, u"v", kImageClosedBook, std::make_unique<cObjVersion>());
}

cTreeItem* AddPolicy(cTemplateTree& tree, cTreeItem* parent) {
    return tree.InsertLast(parent, u"p", kImagePage, std::make_unique<cObjPolicy>());
}

TEST(KeyResolution, InheritsThroughCategoriesVersionsAndParts) {
    cFakeOwner owner;
    cTemplateTree tree(&owner);
    cTreeItem* cls =
        tree.InsertLast(nullptr, u"MACHINE", kImageClosedBook, std::make_unique<cObjClass>());
    cTreeItem* top = AddCategory(tree, cls);
    EXPECT_EQ(Node<cObjCategory>(top)->GetInheritedKey(), u"");
    EXPECT_EQ(Node<cObjCategory>(top)->GetEffectiveKey(), u"");

    cTreeItem* keyed = AddCategory(tree, top, u"Software\\K");
    cTreeItem* inner = AddCategory(tree, AddCategory(tree, keyed));
    cTreeItem* policy = AddPolicy(tree, inner);
    EXPECT_EQ(Node<cObjPolicy>(policy)->GetEffectiveKey(), u"Software\\K");

    // A version node passes its parent's key on, also to a version below it, and a
    // category or policy directly under a version node inherits it too.
    cTreeItem* v1 = AddVersion(tree, keyed);
    cTreeItem* v2 = AddVersion(tree, v1);
    EXPECT_EQ(Node<cObjVersion>(v2)->GetEffectiveKey(), u"Software\\K");
    cTreeItem* underVersion = AddPolicy(tree, v2);
    auto* p = Node<cObjPolicy>(underVersion);
    EXPECT_EQ(p->GetInheritedKey(), u"Software\\K");

    // Parts take their policy's effective key unless they use their own.
    cObjPolPart* part = p->AppendPart(CreatePartFromKeyword(u"EDITTEXT", p, false));
    EXPECT_EQ(part->GetEffectiveKey(), u"Software\\K");
    part->keyName = u"Own";
    part->useDefaultKey = 0;
    EXPECT_EQ(part->GetEffectiveKey(), u"Own");

    // Clearing the flag makes even an empty stored key effective; setting it again
    // brings back the inherited key without losing the stored one.
    p->useDefaultKey = 0;
    EXPECT_EQ(p->GetEffectiveKey(), u"");
    p->keyName = u"Mine";
    EXPECT_EQ(p->GetEffectiveKey(), u"Mine");
    p->useDefaultKey = 1;
    EXPECT_EQ(p->GetEffectiveKey(), u"Software\\K");
    EXPECT_EQ(p->keyName, u"Mine");

    // A class gives nothing, and nor does a node outside a tree.
    EXPECT_EQ(Node<cObjClass>(cls)->GetEffectiveKey(), u"");
    cObjCategory loose;
    EXPECT_EQ(loose.GetEffectiveKey(), u"");
}

TEST(TemplateTree, WalksInsertsAndRenumbers) {
    cTemplateTree tree;
    cTreeItem* a = AddCategory(tree, nullptr);
    cTreeItem* c = AddCategory(tree, nullptr);
    cTreeItem* b = tree.InsertAfter(nullptr, a, u"b", 1, std::make_unique<cObjCategory>());
    cTreeItem* first = tree.InsertFirst(nullptr, u"0", 1, std::make_unique<cObjCategory>());
    cTreeItem* child = AddPolicy(tree, b);

    std::vector<cTreeItem*> order;
    tree.ForEachPreOrder([&](cTreeItem* item) { order.push_back(item); });
    EXPECT_EQ(order, (std::vector<cTreeItem*>{first, a, b, child, c}));
    EXPECT_EQ(tree.NextSiblingOf(b), c);
    EXPECT_EQ(tree.ParentOf(child), b);
    EXPECT_EQ(tree.ParentOf(b), nullptr);
    EXPECT_TRUE(tree.IsSelfOrAncestor(b, child));
    EXPECT_TRUE(tree.IsSelfOrAncestor(b, b));
    EXPECT_FALSE(tree.IsSelfOrAncestor(child, b));
    EXPECT_FALSE(tree.IsSelfOrAncestor(a, child));
    EXPECT_EQ(Node<cObjPolicy>(child)->ParentObject(), b->node.get());
    EXPECT_EQ(child->node->treeItem, child);
    EXPECT_EQ(child->node->treeView, &tree);
}

TEST(TemplateTree, DeletionDestroysSubtreeAndClearsReferences) {
    cFakeOwner owner;
    cTemplateTree tree(&owner);
    cPlaceholderSheet sheet;
    SharedState().sheet = &sheet;
    cEditRules rules(tree, SharedState());
    tree.AddListener(&rules);

    cTreeItem* empty = AddCategory(tree, nullptr);
    tree.DeleteItem(empty);
    EXPECT_EQ(owner.modified, 1);  // even an empty category marks the template

    cTreeItem* cat = AddCategory(tree, nullptr);
    cTreeItem* sub = AddCategory(tree, cat);
    cTreeItem* pol = AddPolicy(tree, sub);
    auto* policy = Node<cObjPolicy>(pol);
    cObjPolPart* part = policy->AppendPart(CreatePartFromKeyword(u"TEXT", policy, false));
    SharedState().copy.item = sub;
    SharedState().copy.view = &tree;
    ASSERT_EQ(sheet.SetObject(pol->node.get()), kSheetShown);
    owner.modified = 0;

    tree.DeleteItem(cat);
    EXPECT_EQ(owner.modified, 1);
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_EQ(tree.ItemCount(), 0u);
    EXPECT_EQ(SharedState().copy.item, nullptr);
    EXPECT_EQ(sheet.CurrentNode(), nullptr);

    // A part that is the copied part clears the whole reference when it goes.
    cTreeItem* pol2 = AddPolicy(tree, nullptr);
    auto* policy2 = Node<cObjPolicy>(pol2);
    part = policy2->AppendPart(CreatePartFromKeyword(u"TEXT", policy2, false));
    SharedState().copy.part = part;
    SharedState().copy.item = pol2;
    SharedState().copy.view = &tree;
    EXPECT_TRUE(policy2->DeletePart(part));
    EXPECT_EQ(SharedState().copy.part, nullptr);
    EXPECT_EQ(SharedState().copy.item, nullptr);
    tree.RemoveListener(&rules);
    SharedState() = cSharedState();
}

TEST(TemplateTree, VeryDeepTreesAreDeletedWithoutRecursion) {
    cTemplateTree tree;
    cTreeItem* parent = nullptr;
    for (int i = 0; i < 200000; ++i)
        parent = AddCategory(tree, parent);
    EXPECT_EQ(tree.DepthOf(parent), 199999);
    size_t walked = 0;
    tree.ForEachPreOrder([&](cTreeItem*) { ++walked; });
    EXPECT_EQ(walked, 200000u);
    tree.Clear();
    EXPECT_TRUE(tree.IsEmpty());
}

TEST(Labels, ResolveThroughTheStringTableAndRebuildVersions) {
    cFakeOwner owner;
    owner.strings.Set(u"Cat", u"Category text");
    cTemplateTree tree(&owner);
    cTreeItem* item = AddCategory(tree, nullptr);
    auto* cat = Node<cObjCategory>(item);
    cat->name = u"!!Cat";
    cat->UpdateDisplay();
    EXPECT_EQ(item->label, u"Category text");
    cat->name = u"!!Missing";
    cat->UpdateDisplay();
    EXPECT_EQ(item->label, u"!!Missing");
    cat->name = u"!Cat";
    cat->UpdateDisplay();
    EXPECT_EQ(item->label, u"!Cat");

    cTreeItem* vitem = AddVersion(tree, item);
    auto* version = Node<cObjVersion>(vitem);
    EXPECT_EQ(version->label, u"If Version >= 1");
    version->op = u"<";
    version->number = u"4";
    version->RebuildLabel();
    version->UpdateDisplay();
    EXPECT_EQ(vitem->label, u"If Version < 4");
    auto copy = version->Clone();
    EXPECT_EQ(static_cast<cObjVersion*>(copy.get())->label, u"If Version < 4");
    EXPECT_EQ(copy->treeItem, nullptr);
    EXPECT_EQ(copy->kind, kKindVersion);
}

TEST(PolicyClone, CopiesDataAndPartsIndependently) {
    cObjPolicy source;
    source.explainFlag = 1;
    source.explainText = u"!!Explain";
    source.clientExtFlag = 1;
    source.clientExt = u"{guid}";
    source.valueOn = cDescVal{u"", u"1", 1, 0};
    source.actionListOn = {cActionKey{u"K", {}}};
    for (const char16_t* kw : {u"CHECKBOX", u"EDITTEXT", u"TEXT"})
        source.AppendPart(CreatePartFromKeyword(kw, &source, false));

    auto clone = source.Clone();
    auto* copy = static_cast<cObjPolicy*>(clone.get());
    EXPECT_EQ(copy->explainText, u"!!Explain");
    EXPECT_EQ(copy->clientExtFlag, 1);
    ASSERT_EQ(copy->Parts().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(copy->Parts()[i]->Policy(), copy);
        EXPECT_NE(copy->Parts()[i].get(), source.Parts()[i].get());
        EXPECT_EQ(copy->Parts()[i]->typeKeyword, source.Parts()[i]->typeKeyword);
    }
    copy->valueOn->valueText = u"0";
    copy->actionListOn.clear();
    clone.reset();
    EXPECT_EQ(source.valueOn->valueText, u"1");
    EXPECT_EQ(source.actionListOn.size(), 1u);
    EXPECT_EQ(source.Parts()[0]->Policy(), &source);
}

}  // namespace
