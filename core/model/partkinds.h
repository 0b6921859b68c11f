#pragma once

#include <type_traits>
#include <utility>

#include "core/model/nodeobjects.h"

// The one place where a part's kind code turns into its class.
//
// Every part kind is listed once, below, by its node object class. The class names its kind
// code (`kKind`, which is also the kind of its preview panel) and, through its data class,
// its type keyword (`kKeyword`). Creating a part from its keyword and every per-kind step
// (reading its keywords, writing its lines, its checks and export, its preview panel, its
// property pages) go through this list: each of them is an overload set over the kind
// classes that VisitPart or ForPartKind picks from. Adding a part kind is its classes and
// one entry here; every overload set that does not handle it then fails to compile.

template <typename... Kinds>
struct cPartKindList {};

using cPartKinds = cPartKindList<cObjPolPartCheckBox, cObjPolPartCombo, cObjPolPartDropDown,
                                 cObjPolPartEditText, cObjPolPartListBox, cObjPolPartNum,
                                 cObjPolPartText, cObjPolPartMultiText, cObjPolPartLongNum>;

namespace part_kinds_detail {

template <typename Part, typename F, typename First, typename... Rest>
decltype(auto) Visit(Part& part, F& f) {
    using Target = std::conditional_t<std::is_const_v<Part>, const First, First>;
    if constexpr (sizeof...(Rest) == 0) {
        // Every other kind was ruled out; every part object is of a listed kind.
        return f(static_cast<Target&>(part));
    } else {
        if (part.PanelKind() == First::kKind)
            return f(static_cast<Target&>(part));
        return Visit<Part, F, Rest...>(part, f);
    }
}

template <typename Part, typename F, typename... Kinds>
decltype(auto) VisitIn(cPartKindList<Kinds...>, Part& part, F& f) {
    return Visit<Part, F, Kinds...>(part, f);
}

template <typename F, typename... Kinds>
bool ForKindIn(cPartKindList<Kinds...>, cPanelKind kind, F& f) {
    return ((kind == Kinds::kKind ? (f(std::type_identity<Kinds>()), true) : false) || ...);
}

}  // namespace part_kinds_detail

// Calls f with the part as its own kind's class (const when the part is const) and returns
// what f returns.
template <typename F>
decltype(auto) VisitPart(cObjPolPart& part, F&& f) {
    return part_kinds_detail::VisitIn(cPartKinds(), part, f);
}

template <typename F>
decltype(auto) VisitPart(const cObjPolPart& part, F&& f) {
    return part_kinds_detail::VisitIn(cPartKinds(), part, f);
}

// Calls f with std::type_identity<Kind> for the part kind whose code is `kind`; false when
// no part kind has that code (the empty panel of a node that is not a part).
template <typename F>
bool ForPartKind(cPanelKind kind, F&& f) {
    return part_kinds_detail::ForKindIn(cPartKinds(), kind, f);
}

// Calls f with std::type_identity<Kind> for every part kind, in the order of the list.
template <typename F>
void ForEachPartKind(F&& f) {
    [&]<typename... Kinds>(cPartKindList<Kinds...>) {
        (f(std::type_identity<Kinds>()), ...);
    }(cPartKinds());
}

// An overload set from lambdas, for VisitPart. A set that ends in a catch-all (`const auto&`)
// handles only the kinds it names and lets every other kind pass.
template <typename... F>
struct cOverloaded : F... {
    using F::operator()...;
};
template <typename... F>
cOverloaded(F...) -> cOverloaded<F...>;

// Which common fields a kind uses besides its name: a text part none, a list box its key
// (its values are named by the list itself), every other kind its key and its value name.
inline bool UsesKey(const cObjPolPart& part) {
    return part.PanelKind() != cPanelKind::Text;
}
inline bool UsesValueName(const cObjPolPart& part) {
    return UsesKey(part) && part.PanelKind() != cPanelKind::ListBox;
}
