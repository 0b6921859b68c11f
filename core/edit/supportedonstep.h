#pragma once

#include <memory>
#include <optional>
#include <span>

#include "core/admx/supportedon.h"
#include "core/edit/editstep.h"
#include "core/model/stringmap.h"

class cPolicy;

// Adds the definition SUPPORTED_NotSpecified ("Not specified") to a set's supportedOn table,
// with its string unless the table holds that name already. It works on the document as it
// finds it when applied, so it may stand in one step with others that change the strings.
class cNotSpecifiedStep : public cEditStep {
public:
    explicit cNotSpecifiedStep(Text text) : cEditStep(std::move(text)) {}

    bool Apply(CPelwinDoc& doc) override;
    bool Revert(CPelwinDoc& doc) override;

private:
    std::optional<cSupportedOnTable> m_before;
    // The string table before the string was added; none when it held the name already.
    std::optional<cStringMap> m_strings;
};

// The policy editor refuses a policy without a supportedOn: each of the policies of a set
// that has none (made in the editor, pasted from a template) refers to the file's first
// definition as edited, else to SUPPORTED_NotSpecified. Sets their references and supported-on
// texts; returns the step that adds that definition, or null when none is needed.
std::unique_ptr<cEditStep> GiveSupportedOn(const CPelwinDoc& doc,
                                           std::span<cPolicy* const> policies,
                                           const Text& stepText);
