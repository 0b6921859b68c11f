#include "core/edit/supportedonstep.h"

#include "core/admx/admxset.h"
#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/edit/editops.h"

namespace {

cSupportedOnDefinition NotSpecified() {
    const Text name = FromUtf8(kNotSpecifiedName);
    return {name, StringReference(kNotSpecifiedName), cSupportedOnJoin::None, {}, pugi::xml_node()};
}

}  // namespace

bool cNotSpecifiedStep::Apply(CPelwinDoc& doc) {
    auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
    if (!state)
        return false;
    m_before = state->supportedOn;
    cSupportedOnTable table = state->SupportedOn();
    table.definitions.push_back(NotSpecified());
    state->supportedOn = std::move(table);
    m_strings.reset();
    const Text name = FromUtf8(kNotSpecifiedName);
    if (!doc.Strings().Find(name)) {
        cStringMap strings = doc.Strings();
        strings.Set(name, kNotSpecifiedText);
        m_strings = SetStringTable(doc, std::move(strings));
    }
    ShowFileChange(doc);
    return true;
}

bool cNotSpecifiedStep::Revert(CPelwinDoc& doc) {
    auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
    if (!state)
        return false;
    state->supportedOn = std::move(m_before);
    m_before.reset();
    if (m_strings)
        SetStringTable(doc, std::move(*m_strings));
    m_strings.reset();
    ShowFileChange(doc);
    return true;
}

std::unique_ptr<cEditStep> GiveSupportedOn(const CPelwinDoc& doc,
                                           std::span<cPolicy* const> policies,
                                           const Text& stepText) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    if (!state)
        return nullptr;
    cSupportedOnTable table = state->SupportedOn();
    std::unique_ptr<cEditStep> step;
    for (cPolicy* policy : policies) {
        if (!policy->admx || !policy->admx->supportedOn.empty())
            continue;
        if (table.definitions.empty()) {
            table.definitions.push_back(NotSpecified());
            step = std::make_unique<cNotSpecifiedStep>(stepText);
        }
        const cSupportedOnDefinition& first = table.definitions.front();
        policy->admx->supportedOn = first.name;
        policy->supportedFlag = 1;
        policy->supportedText = state->set ? SupportedOnText(table, *state->set, ToUtf8(first.name))
                                           : first.displayName;
    }
    return step;
}
