#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/admx/supportedon.h"
#include "core/edit/editstep.h"
#include "core/model/stringmap.h"

class cPolicy;

// The step of the Supported-on definitions dialog: the document's edited table and its string
// table exchanged for the ones the step holds, and the listed policies' supported-on texts.
class cSupportedOnStep : public cEditStep {
public:
    cSupportedOnStep(std::optional<cSupportedOnTable> table, cStringMap strings,
                     std::vector<std::pair<cTreePath, Text>> texts)
        : cEditStep(u"Edit supported-on definitions"),
          m_table(std::move(table)),
          m_strings(std::move(strings)),
          m_texts(std::move(texts)) {}

    bool Apply(CPelwinDoc& doc) override { return Swap(doc); }
    bool Revert(CPelwinDoc& doc) override { return Swap(doc); }

private:
    bool Swap(CPelwinDoc& doc);

    std::optional<cSupportedOnTable> m_table;
    cStringMap m_strings;
    std::vector<std::pair<cTreePath, Text>> m_texts;
};

// What a policy made in an ADMX set refers to as its supportedOn, which the policy editor
// demands of every policy: the file's first definition as edited, else a definition
// SUPPORTED_NotSpecified ("Not specified"). Sets the policy's reference and supported-on text;
// returns the step that adds that definition and its string to the document, or null when
// the file has a definition already (or the document is no set).
std::unique_ptr<cEditStep> GiveSupportedOn(const CPelwinDoc& doc, cPolicy& policy);
