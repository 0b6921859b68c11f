#include "core/edit/creation.h"

#include <gtest/gtest.h>

#include "tests/core/adm/writertest.h"

namespace {

using K = cNewNodeKind;

std::vector<K> Enabled(const cTemplateTree& tree, const cTreeItem* selected) {
    std::vector<K> enabled;
    for (K kind : {K::Version, K::ChildVersion, K::Machine, K::User, K::Category, K::ChildCategory,
                   K::Policy})
        if (CanCreateNode(tree, selected, kind))
            enabled.push_back(kind);
    return enabled;
}

// MACHINE > { If Version >= 1 > If Version >= 2, Cat > { Pol, Sub } }, USER
struct Sample {
    cTestDoc doc;
    cTemplateTree& tree = doc.Tree();
    cTreeItem* machine = doc.Class(nullptr, u"MACHINE");
    cTreeItem* version = doc.Version(machine, u">=", u"1");
    cTreeItem* inner = doc.Version(version, u">=", u"2");
    cTreeItem* cat = doc.Category(machine, u"Cat");
    cTreeItem* pol = doc.Policy(cat, u"Pol");
    cTreeItem* sub = doc.Category(cat, u"Sub");
    cTreeItem* user = doc.Class(nullptr, u"user");
};

TEST(CreationRules, WhatIsOfferedForEachSelection) {
    cTestDoc empty;
    EXPECT_EQ(Enabled(empty.Tree(), nullptr), (std::vector<K>{K::Version, K::Machine, K::User}));

    Sample s;
    EXPECT_EQ(Enabled(s.tree, nullptr), std::vector<K>{K::Version});
    // A USER class follows MACHINE (names compared without case), so User is not offered.
    EXPECT_EQ(Enabled(s.tree, s.machine),
              (std::vector<K>{K::Version, K::ChildVersion, K::Category}));
    EXPECT_EQ(Enabled(s.tree, s.user), (std::vector<K>{K::Version, K::ChildVersion, K::Category}));
    EXPECT_EQ(Enabled(s.tree, s.cat), (std::vector<K>{K::Version, K::ChildVersion, K::Category,
                                                      K::ChildCategory, K::Policy}));
    EXPECT_EQ(Enabled(s.tree, s.pol), (std::vector<K>{K::Version, K::Policy}));
    // A version condition under a class, and one under that.
    EXPECT_EQ(Enabled(s.tree, s.version), (std::vector<K>{K::Version, K::ChildVersion, K::Machine,
                                                          K::User, K::Category, K::ChildCategory}));
    EXPECT_EQ(Enabled(s.tree, s.inner), Enabled(s.tree, s.version));
    // Three levels down from the class is too deep.
    cTreeItem* third = s.doc.Version(s.inner, u">=", u"3");
    EXPECT_FALSE(CanCreateNode(s.tree, third, K::Category));
    // Under a category a version condition offers New Policy.
    cTreeItem* catVersion = s.doc.Version(s.cat, u"<", u"4");
    EXPECT_TRUE(CanCreateNode(s.tree, catVersion, K::Policy));

    cTestDoc lone;
    cTreeItem* machine = lone.Class(nullptr, u"MACHINE");
    EXPECT_TRUE(CanCreateNode(lone.Tree(), machine, K::User));
    EXPECT_FALSE(CanCreatePart(machine));
    EXPECT_TRUE(CanCreatePart(s.pol));
}

TEST(CreationRules, WhereTheNewNodeGoes) {
    Sample s;
    cTreeItem* root = s.tree.Root();
    auto at = [&](cTreeItem* selected, K kind) { return PlaceNewNode(s.tree, selected, kind); };
    EXPECT_EQ(at(nullptr, K::Version), (cPlacement{root, 0}));
    EXPECT_EQ(at(s.machine, K::Version), (cPlacement{root, 1}));
    EXPECT_EQ(at(s.pol, K::Version), (cPlacement{s.cat, 1}));
    EXPECT_EQ(at(s.pol, K::ChildVersion), (cPlacement{s.pol, 0}));
    EXPECT_EQ(at(nullptr, K::Machine), (cPlacement{root, 0}));
    EXPECT_EQ(at(s.version, K::Machine), (cPlacement{s.version, 0}));
    EXPECT_EQ(at(s.machine, K::Machine), (cPlacement{root, 0}));
    EXPECT_EQ(at(s.version, K::User), (cPlacement{s.version, 1}));
    EXPECT_EQ(at(s.machine, K::User), (cPlacement{root, 2}));
    // With a version condition selected a category goes first under its parent, a child
    // category first inside it.
    EXPECT_EQ(at(s.version, K::Category), (cPlacement{s.machine, 0}));
    EXPECT_EQ(at(s.version, K::ChildCategory), (cPlacement{s.version, 0}));
    EXPECT_EQ(at(s.machine, K::Category), (cPlacement{s.machine, 0}));
    EXPECT_EQ(at(s.cat, K::Category), (cPlacement{s.machine, 2}));
    EXPECT_EQ(at(s.cat, K::Policy), (cPlacement{s.cat, 0}));
    EXPECT_EQ(at(s.pol, K::Policy), (cPlacement{s.cat, 1}));
    EXPECT_FALSE(at(s.machine, K::Policy));
    EXPECT_FALSE(at(s.pol, K::Category));

    std::unique_ptr<cData> user = MakeNewNode(K::User);
    EXPECT_EQ(NodeLabel(s.tree, *user), u"USER");
    EXPECT_EQ(NodeLabel(s.tree, *MakeNewNode(K::Version)), u"If Version >= 1");
    EXPECT_EQ(NodeLabel(s.tree, *MakeNewNode(K::Policy)), u"<new>");
    EXPECT_EQ(NewNodeImage(K::Policy), kImagePage);
    EXPECT_EQ(NewNodeImage(K::Category), kImageClosedBook);
}

TEST(PasteRules, AllowedPairsAndNeverIntoItself) {
    Sample s;
    // Paste: a category into a class or a category; a policy into a category only.
    EXPECT_TRUE(CanPasteItem(s.tree, s.user, &s.tree, s.cat));
    EXPECT_FALSE(CanPasteItem(s.tree, s.cat, &s.tree, s.cat));
    EXPECT_FALSE(CanPasteItem(s.tree, s.sub, &s.tree, s.cat));
    EXPECT_TRUE(CanPasteItem(s.tree, s.sub, &s.tree, s.pol));
    EXPECT_FALSE(CanPasteItem(s.tree, s.machine, &s.tree, s.pol));
    EXPECT_FALSE(CanPasteItem(s.tree, s.cat, &s.tree, s.version));
    EXPECT_FALSE(CanPasteItem(s.tree, s.cat, nullptr, nullptr));
    // From another template nothing is an ancestor.
    cTestDoc other;
    cTreeItem* otherCat = other.Category(other.Class(nullptr, u"MACHINE"), u"X");
    EXPECT_TRUE(CanPasteItem(other.Tree(), otherCat, &s.tree, s.cat));

    // Paste as next: same kind, not a class, never after an item inside the copy.
    EXPECT_TRUE(CanPasteItemNext(s.tree, s.inner, &s.tree, s.inner));
    EXPECT_FALSE(CanPasteItemNext(s.tree, s.inner, &s.tree, s.version));
    EXPECT_FALSE(CanPasteItemNext(s.tree, s.user, &s.tree, s.machine));
    EXPECT_FALSE(CanPasteItemNext(s.tree, s.cat, &s.tree, s.pol));
    EXPECT_TRUE(CanPasteItemNext(s.tree, s.cat, &s.tree, s.cat));
    EXPECT_EQ(PasteNextPlacement(s.tree, s.cat), (cPlacement{s.machine, 2}));
    // A top-level version condition is offered but has no place after it.
    cTreeItem* top = s.doc.Version(nullptr, u">=", u"1");
    EXPECT_TRUE(CanPasteItemNext(s.tree, top, &s.tree, s.inner));
    EXPECT_FALSE(PasteNextPlacement(s.tree, top));
}

}  // namespace
