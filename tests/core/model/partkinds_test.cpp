#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>

#include "core/model/partkinds.h"

namespace {

// Every listed kind is made from its own keyword, and the dispatch hands each part, mutable
// or const, to the overload of its own class, which ForPartKind finds again by the code.
TEST(PartKinds, EachKindDispatchesToItsOwnClass) {
    cObjPolicy policy;
    std::set<cPanelKind> codes;
    int kinds = 0;
    ForEachPartKind([&](auto listed) {
        using Kind = typename decltype(listed)::type;
        ++kinds;
        const std::string keyword = ToUtf8(Text(Kind::kKeyword));
        EXPECT_TRUE(codes.insert(Kind::kKind).second) << keyword << ": its code is taken";

        // The kinds that only ADMX has are never made from a template's type keyword.
        std::unique_ptr<cObjPolPart> made = CreatePartFromKeyword(Kind::kKeyword, &policy, false);
        if constexpr (requires { Kind::kAdmxOnly; }) {
            EXPECT_EQ(made, nullptr) << keyword;
            EXPECT_EQ(CreatePartFromKeyword(Kind::kKeyword, &policy, true), nullptr) << keyword;
            made = std::make_unique<Kind>(&policy);
        }
        cObjPolPart* part = policy.AppendPart(std::move(made));
        ASSERT_NE(part, nullptr) << keyword;
        EXPECT_EQ(part->typeKeyword, Kind::kKeyword);
        EXPECT_EQ(part->PanelKind(), Kind::kKind) << keyword;

        bool reached = VisitPart(*part, [&](auto& visited) {
            using Visited = std::remove_reference_t<decltype(visited)>;
            return std::is_same_v<Visited, Kind> && &visited == part;
        });
        EXPECT_TRUE(reached) << keyword;
        const cObjPolPart& constPart = *part;
        bool reachedConst = VisitPart(constPart, [&](auto& visited) {
            return std::is_same_v<std::remove_reference_t<decltype(visited)>, const Kind>;
        });
        EXPECT_TRUE(reachedConst) << keyword;

        bool found = false;
        EXPECT_TRUE(ForPartKind(Kind::kKind, [&](auto code) {
            found = std::is_same_v<typename decltype(code)::type, Kind>;
        }));
        EXPECT_TRUE(found) << keyword;
    });
    EXPECT_EQ(kinds, 9);
    EXPECT_EQ(policy.Parts().size(), 9u);
    // A node that is no part has the empty panel, which no part kind claims.
    EXPECT_FALSE(ForPartKind(cPanelKind::Empty, [](auto) {}));
}

// An overload set with a catch-all handles what it names and lets the rest pass.
TEST(PartKinds, OverloadSetsFallBackToTheCatchAll) {
    cObjPolicy policy;
    cObjPolPart* drop = policy.AppendPart(CreatePartFromKeyword(u"DROPDOWNLIST", &policy, false));
    cObjPolPart* text = policy.AppendPart(CreatePartFromKeyword(u"TEXT", &policy, false));
    auto name =
        cOverloaded{[](const cObjPolPartDropDown&) { return 1; }, [](const auto&) { return 0; }};
    EXPECT_EQ(VisitPart(std::as_const(*drop), name), 1);
    EXPECT_EQ(VisitPart(std::as_const(*text), name), 0);
    EXPECT_FALSE(UsesKey(*text));
    EXPECT_TRUE(UsesValueName(*drop));
}

}  // namespace
