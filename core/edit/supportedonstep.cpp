#include "core/edit/supportedonstep.h"

#include "core/admx/admxset.h"
#include "core/convert/admxexport.h"
#include "core/document/document.h"
#include "core/edit/editops.h"

bool cSupportedOnStep::Swap(CPelwinDoc& doc) {
    auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
    if (!state)
        return false;
    std::swap(state->supportedOn, m_table);
    for (auto& [path, text] : m_texts)
        if (auto* policy = dynamic_cast<cPolicy*>(path.Find(doc.Tree())))
            std::swap(policy->supportedText, text);
    m_strings = SetStringTable(doc, std::move(m_strings));
    ShowFileChange(doc);
    return true;
}

std::unique_ptr<cEditStep> GiveSupportedOn(const CPelwinDoc& doc, cPolicy& policy) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    if (!state || !policy.admx)
        return nullptr;
    cSupportedOnTable table = state->SupportedOn();
    std::unique_ptr<cEditStep> step;
    if (table.definitions.empty()) {
        const Text name = FromUtf8(kNotSpecifiedName);
        cStringMap strings = doc.Strings();
        if (!strings.Find(name))
            strings.Set(name, kNotSpecifiedText);
        table.definitions.push_back(
            {name, StringReference(ToUtf8(name)), cSupportedOnJoin::None, {}, pugi::xml_node()});
        step = std::make_unique<cSupportedOnStep>(table, std::move(strings),
                                                  std::vector<std::pair<cTreePath, Text>>());
    }
    const cSupportedOnDefinition& first = table.definitions.front();
    policy.admx->supportedOn = first.name;
    policy.supportedFlag = 1;
    policy.supportedText =
        state->set ? SupportedOnText(table, *state->set, ToUtf8(first.name)) : first.displayName;
    return step;
}
