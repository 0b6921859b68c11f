#pragma once

#include <vector>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "core/text/text.h"

// Where a policy stands in its template: the classes it is set under and its path of
// categories. Diff, doc and the registry view all ask here, so that a policy's class is
// decided in one place.

// The classes a policy applies to, by name: "MACHINE" or "USER" (whatever the case in the
// file), both for a policy that applies to both, the enclosing CLASS's name as written when
// it is neither, and none for a policy outside every class. A policy's class is the CLASS
// node it stands in; a policy of class Both read from an ADMX set stands under MACHINE and
// its record says that it applies to USER as well.
std::vector<Text> PolicyClasses(const cTreeItem& policyItem);

// The registry hive a class writes under: HKEY_LOCAL_MACHINE for MACHINE, HKEY_CURRENT_USER
// for USER, empty for any other class.
TextView RegistryRoot(TextView className);

// The display names of the categories around a policy, outermost first; classes and version
// conditions are not places and are left out.
std::vector<Text> PolicyCategories(const cTreeOwner& owner, const cTreeItem& policyItem);

// "CLASS > Category > ... > Policy": the class given, the categories and the policy's
// display name.
Text PolicyPath(const cTreeOwner& owner, const cTreeItem& policyItem, TextView className);

// A display text as it is shown: a reference resolved ("!!name" in an ADM template,
// "$(string.ID)" in an ADMX set), and the two characters "\n" of an ADM template's texts as a
// line break (an ADMX string holds its line breaks as they are: a "\n" there is text).
Text ShownText(const cTreeOwner& owner, const Text& text);

// The string of the template's string table a display text refers to: "!!name" in an ADM
// template, "$(string.ID)" in an ADMX set; null for a text that refers to nothing.
const Text* ReferencedString(const CPelwinDoc& doc, TextView text);

// Whether the two characters "\n" stand for a line break in the template's texts (ADM).
bool BackslashNIsLineBreak(const CPelwinDoc& doc);

// Calls f(item, policy) for every policy of the template in tree order.
template <typename F>
void ForEachPolicy(const CPelwinDoc& doc, F&& f) {
    doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
        if (item->node && item->node->kind == kKindPolicy)
            f(*item, static_cast<const cObjPolicy&>(*item->node));
    });
}

// The registry key of a policy together with its value name: "KEY\VALUENAME", or the key
// alone for a policy without a value name.
Text KeyWithValueName(const cObjPolicy& policy);
