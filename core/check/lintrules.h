#pragma once

#include <cstddef>
#include <string_view>

enum class cLintSeverity { Error, Warning };

// The rules of lint. Each rule's id, severity and summary are kept in kLintRules, the one
// list that lint's findings, the SARIF rule list and the manual page are made from.
enum class cLintRuleId {
    UndefinedString,
    NumericRange,
    EmptyItemList,
    NoKey,
    ReadMessage,
    EmptyTemplate,
    Xml,
    AdmxUndefinedString,
    AdmxUndefinedPresentation,
    AdmxUndefinedReference,
    AdmxUnknownRefId,
    AdmxDuplicateName,
    AdmxMissingTranslation,
    AdmxRevision,
    AdmxSchema,
    MdmBlockedKey,
    MdmComboBox,
    MdmFileSize,
    MdmLanguage,
    MdmOwnPrefix,
    StoreDuplicateNamespace,
    StoreMissingNamespace,
    StoreUndefinedReference,
    UnusedString,
    DuplicateString,
    DuplicateItemValue,
    DuplicateValue,
    EmptyPolicy,
    PassedOver,
    SeveralDefaults,
    AdmxUnusedString,
    AdmxUnusedPresentation,
    AdmxUnusedNamespace,
    MdmPrerequisite,
    StoreMissingAdml,
    StoreDuplicateValue,
};

struct cLintRule {
    cLintRuleId rule;
    const char* id;  // as printed after a finding, e.g. "undefined-string"
    cLintSeverity severity;
    const char* summary;  // one sentence, without a closing full stop
};

// Errors first, then warnings, each in the order the README lists them.
inline constexpr cLintRule kLintRules[] = {
    {cLintRuleId::UndefinedString, "undefined-string", cLintSeverity::Error,
     "A !! reference names a string that the strings section does not define"},
    {cLintRuleId::NumericRange, "numeric-range", cLintSeverity::Error,
     "A numeric part's MIN is greater than its MAX, or its DEFAULT lies outside them"},
    {cLintRuleId::EmptyItemList, "empty-itemlist", cLintSeverity::Error,
     "A drop-down list has no items"},
    {cLintRuleId::NoKey, "no-key", cLintSeverity::Error,
     "A policy, part or action list writes a value but has no registry key"},
    {cLintRuleId::ReadMessage, "read-message", cLintSeverity::Error,
     "The read showed a message although it went on"},
    {cLintRuleId::EmptyTemplate, "empty-template", cLintSeverity::Error,
     "Nothing was read from the template: no class, category, policy or string"},
    {cLintRuleId::Xml, "xml", cLintSeverity::Error,
     "An ADMX or ADML file is not well-formed, or holds no policy definitions"},
    {cLintRuleId::AdmxUndefinedString, "admx-undefined-string", cLintSeverity::Error,
     "A $(string.ID) reference names a string that no ADML defines"},
    {cLintRuleId::AdmxUndefinedPresentation, "admx-undefined-presentation", cLintSeverity::Error,
     "A $(presentation.ID) reference names a presentation that no ADML defines"},
    {cLintRuleId::AdmxUndefinedReference, "admx-undefined-reference", cLintSeverity::Error,
     "A supportedOn or parentCategory reference is defined neither in the file nor under a "
     "using prefix"},
    {cLintRuleId::AdmxUnknownRefId, "admx-unknown-refid", cLintSeverity::Error,
     "A presentation control's refId names no element of its policy"},
    {cLintRuleId::AdmxDuplicateName, "admx-duplicate-name", cLintSeverity::Error,
     "Two policies, or two categories, have one name"},
    {cLintRuleId::AdmxMissingTranslation, "admx-missing-translation", cLintSeverity::Error,
     "An id of the display language's ADML is missing from another language's ADML"},
    {cLintRuleId::AdmxRevision, "admx-revision", cLintSeverity::Error,
     "An ADML's revision does not satisfy the ADMX file's minRequiredRevision"},
    {cLintRuleId::AdmxSchema, "admx-schema", cLintSeverity::Error,
     "An ADMX or ADML file breaks the structure the policy editor's schema demands (an "
     "attribute the schema does not define is a warning)"},
    {cLintRuleId::MdmBlockedKey, "mdm-blocked-key", cLintSeverity::Error,
     "With --profile mdm: a policy, element or list writes a key where MDM ingestion may not "
     "write"},
    {cLintRuleId::MdmComboBox, "mdm-combobox", cLintSeverity::Error,
     "With --profile mdm: a presentation holds a combo box, which the import refuses"},
    {cLintRuleId::MdmFileSize, "mdm-file-size", cLintSeverity::Error,
     "With --profile mdm: the ADMX file is larger than 1 MB (1,048,576 bytes)"},
    {cLintRuleId::MdmLanguage, "mdm-language", cLintSeverity::Error,
     "With --profile mdm: the set has no en-US ADML, the only language the import reads"},
    {cLintRuleId::MdmOwnPrefix, "mdm-own-prefix", cLintSeverity::Error,
     "With --profile mdm: a reference is written with the file's own prefix"},
    {cLintRuleId::StoreDuplicateNamespace, "store-duplicate-namespace", cLintSeverity::Error,
     "Two ADMX files of a policy store target one namespace"},
    {cLintRuleId::StoreMissingNamespace, "store-missing-namespace", cLintSeverity::Error,
     "References use the prefix of a namespace that no ADMX file of the policy store targets"},
    {cLintRuleId::StoreUndefinedReference, "store-undefined-reference", cLintSeverity::Error,
     "A prefixed reference names nothing that the file targeting its namespace defines"},
    {cLintRuleId::UnusedString, "unused-string", cLintSeverity::Warning,
     "A string of the strings section is not referenced"},
    {cLintRuleId::DuplicateString, "duplicate-string", cLintSeverity::Warning,
     "A string is defined again; the later text replaces the earlier one"},
    {cLintRuleId::DuplicateItemValue, "duplicate-item-value", cLintSeverity::Warning,
     "Two items of a drop-down list have the same value"},
    {cLintRuleId::DuplicateValue, "duplicate-value", cLintSeverity::Warning,
     "Two policies or parts of one class write the same registry value"},
    {cLintRuleId::EmptyPolicy, "empty-policy", cLintSeverity::Warning,
     "A policy writes nothing: it has no value name, no part and no action list"},
    {cLintRuleId::PassedOver, "passed-over", cLintSeverity::Warning,
     "The reader passes over content of this line, and a save loses it"},
    {cLintRuleId::SeveralDefaults, "several-defaults", cLintSeverity::Warning,
     "A drop-down list marks more than one item DEFAULT; only the last mark is kept"},
    {cLintRuleId::AdmxUnusedString, "admx-unused-string", cLintSeverity::Warning,
     "A string of an ADML is not referenced"},
    {cLintRuleId::AdmxUnusedPresentation, "admx-unused-presentation", cLintSeverity::Warning,
     "A presentation of an ADML is not referenced"},
    {cLintRuleId::AdmxUnusedNamespace, "admx-unused-namespace", cLintSeverity::Warning,
     "A using names a namespace that no reference uses (an error with --profile mdm)"},
    {cLintRuleId::MdmPrerequisite, "mdm-prerequisite", cLintSeverity::Warning,
     "With --profile mdm: a namespace the references use must be imported before the file"},
    {cLintRuleId::StoreMissingAdml, "store-missing-adml", cLintSeverity::Warning,
     "A language folder of the policy store lacks the ADML of an ADMX file (an error when no "
     "folder has it)"},
    {cLintRuleId::StoreDuplicateValue, "store-duplicate-value", cLintSeverity::Warning,
     "Policies of two files of the policy store write the same registry value"},
};

inline constexpr size_t kLintRuleCount = sizeof(kLintRules) / sizeof(kLintRules[0]);

// The entry of a rule: the list is kept in the order of cLintRuleId.
constexpr const cLintRule& LintRule(cLintRuleId rule) {
    return kLintRules[static_cast<size_t>(rule)];
}

constexpr bool LintRulesInOrder() {
    for (size_t i = 0; i < kLintRuleCount; ++i)
        if (static_cast<size_t>(kLintRules[i].rule) != i)
            return false;
    return true;
}
static_assert(LintRulesInOrder(), "kLintRules must list the rules in the order of cLintRuleId");

// The entry of the rule with the id, or null.
constexpr const cLintRule* FindLintRule(std::string_view id) {
    for (const cLintRule& rule : kLintRules)
        if (id == rule.id)
            return &rule;
    return nullptr;
}

constexpr const char* SeverityName(cLintSeverity severity) {
    return severity == cLintSeverity::Error ? "error" : "warning";
}
