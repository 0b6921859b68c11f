#include "core/pages/admxpages.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "core/admx/admxset.h"
#include "core/check/mdm.h"
#include "core/document/document.h"
#include "core/edit/editops.h"
#include "core/model/nodeobjects.h"

const cAdmxSet* AdmxSetOf(const cData& node) {
    if (const cTemplateTree* tree = TreeOfNode(node))
        if (const auto* doc = dynamic_cast<const CPelwinDoc*>(tree->Owner()))
            if (const auto* state = dynamic_cast<const cAdmxState*>(doc->FormatState()))
                return state->set.get();
    if (node.admx && node.admx->origin)
        if (const auto* origin = dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get()))
            return origin->set.get();
    return nullptr;
}

namespace {

// The supportedOn table a node's policy page offers and checks against: its document's as
// edited, else the one of the set it was read from.
cSupportedOnTable SupportedOnTableOf(const cData& node, const cAdmxSet& set) {
    if (const cTemplateTree* tree = TreeOfNode(node))
        if (const auto* doc = dynamic_cast<const CPelwinDoc*>(tree->Owner()))
            if (const auto* state = dynamic_cast<const cAdmxState*>(doc->FormatState()))
                return state->SupportedOn();
    return cSupportedOnTable::Read(Child(set.admx.Root(), "supportedOn"));
}

}  // namespace

bool ShowsAdmxPages(const cData& node) {
    if (const cTemplateTree* tree = TreeOfNode(node))
        if (const auto* doc = dynamic_cast<const CPelwinDoc*>(tree->Owner()))
            return dynamic_cast<const cAdmxState*>(doc->FormatState()) != nullptr;
    // Outside a template (on the clipboard, in a test): by what it was read from.
    return node.admx.has_value();
}

std::vector<cAdmxKeptEntry> AdmxKeptEntries(const cData& node) {
    std::vector<cAdmxKeptEntry> entries;
    const auto* origin =
        node.admx ? dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get()) : nullptr;
    if (!origin || !origin->element)
        return entries;
    for (pugi::xml_node child = origin->element.first_child(); child;
         child = child.next_sibling()) {
        if (Is(child, "annotation")) {
            Text application = AttributeText(child, "application");
            entries.push_back(
                {application.empty() ? Text(u"Annotation") : u"Annotation (" + application + u")",
                 ElementText(child)});
        } else if (Is(child, "seeAlso")) {
            entries.push_back({u"See also", ElementText(child)});
        } else if (Is(child, "keywords")) {
            entries.push_back({u"Keywords", ElementText(child)});
        }
    }
    return entries;
}

bool IsAdmxName(TextView name) {
    if (name.empty())
        return false;
    auto letter = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
    };
    if (!letter(name.front()))
        return false;
    return std::all_of(name.begin(), name.end(), [&](char16_t c) {
        return letter(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
    });
}

namespace {

// A whole number from 0 up to `limit`, digits only.
std::optional<uint64_t> ParseCount(const Text& text, uint64_t limit) {
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const uint64_t digit = uint64_t(c - u'0');
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The number of a checked pair, or the message that it holds none.
std::optional<Text> CheckCount(const cOptionalPairValues& pair, TextView label, uint64_t least,
                               uint64_t limit, std::optional<uint64_t>& value) {
    value.reset();
    if (!pair.checked)
        return std::nullopt;
    value = ParseCount(pair.text, limit);
    if (!value || *value < least) {
        value.reset();
        return FormatText(u"%s \"%.50s\" is not a whole number from %s to %s.",
                          {Text(label), pair.text, FromUtf8(std::to_string(least)),
                           FromUtf8(std::to_string(limit))});
    }
    return std::nullopt;
}

cAdmxClass ClassOfPlace(const cData& node) {
    const cTreeItem* item = ItemOfNode(node);
    while (item && item->parent && item->parent->node)
        item = item->parent;
    const auto* cls = item ? dynamic_cast<const cPolClass*>(item->node.get()) : nullptr;
    return cls && KeywordEquals(cls->className, u"USER") ? cAdmxClass::User : cAdmxClass::Machine;
}

// The class the record gives (a set's tree has no class nodes), else the class node the
// policy stands under.
cAdmxClass PolicyClassOf(const cData& node) {
    const Text given = node.admx ? node.admx->policyClass : Text();
    if (given == u"Both")
        return cAdmxClass::Both;
    if (given == u"User")
        return cAdmxClass::User;
    if (given == u"Machine")
        return cAdmxClass::Machine;
    return ClassOfPlace(node);
}

TextView ClassText(cAdmxClass cls) {
    switch (cls) {
        case cAdmxClass::User:
            return u"User";
        case cAdmxClass::Both:
            return u"Both";
        default:
            return u"Machine";
    }
}

Text Folded(TextView text) {
    Text folded(text);
    for (char16_t& c : folded)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    return folded;
}

// The choices of the supported-on list: this file's definitions and products (versions
// too) in file order, then the references into the namespaces it uses, those its policies
// make and those the files beside it define there, sorted.
std::vector<cSupportedChoice> SupportedChoices(const cAdmxSet& set, const cSupportedOnTable& table,
                                               const cTreeOwner* owner) {
    std::vector<cSupportedChoice> choices;
    auto shown = [&](const Text& reference) {
        Text text = SupportedOnText(table, set, ToUtf8(reference));
        if (text == reference)
            return Text();
        return owner ? owner->ResolveText(text) : text;
    };
    for (const Text& name : table.Names())
        if (!name.empty())
            choices.push_back({name, {}});
    std::set<Text> others;
    for (pugi::xml_node p = Child(set.admx.Root(), "policies").first_child(); p;
         p = p.next_sibling()) {
        std::string reference = Child(p, "supportedOn").attribute("ref").value();
        std::string name;
        if (!reference.empty() && set.Resolve(reference, name) == cAdmxSet::cPlace::Elsewhere)
            others.insert(FromUtf8(reference));
    }
    // What the files beside the set define in the namespaces it uses.
    for (const auto& [reference, text] : set.neighbourSupportedOn)
        others.insert(FromUtf8(reference));
    for (const Text& reference : others)
        choices.push_back({reference, {}});
    for (cSupportedChoice& choice : choices)
        choice.shown = shown(choice.reference);
    return choices;
}

const cTreeOwner* OwnerOf(const cData& node) {
    const cTemplateTree* tree = TreeOfNode(node);
    return tree ? tree->Owner() : nullptr;
}

// Where a reference points by the namespaces the document's Template properties give, where
// they were edited (the file's own prefix as read stays its own: the save moves its
// references to the new one); else as the set reads it.
cAdmxSet::cPlace PlaceOf(const cData& node, const cAdmxSet& set, std::string_view reference,
                         std::string& name) {
    const auto* doc = dynamic_cast<const CPelwinDoc*>(OwnerOf(node));
    const auto* state = doc ? dynamic_cast<const cAdmxState*>(doc->FormatState()) : nullptr;
    if (!state || !state->templateProps)
        return set.Resolve(reference, name);
    const cAdmxTemplateProps& props = *state->templateProps;
    const size_t colon = reference.find(':');
    if (colon == std::string_view::npos) {
        name = std::string(reference);
        return cAdmxSet::cPlace::Here;
    }
    const Text prefix = FromUtf8(reference.substr(0, colon));
    name = std::string(reference.substr(colon + 1));
    if (prefix == props.target.prefix || prefix == FromUtf8(set.targetPrefix))
        return cAdmxSet::cPlace::Here;
    return std::any_of(props.usings.begin(), props.usings.end(),
                       [&](const cAdmxNamespace& use) { return use.prefix == prefix; })
               ? cAdmxSet::cPlace::Elsewhere
               : cAdmxSet::cPlace::Nowhere;
}

}  // namespace

// ---- Multi-line text ----------------------------------------------------------------------

cMultiTextPageValues cMultiTextPageValues::Load(const cPolPartMultiText& part) {
    cMultiTextPageValues values;
    values.name = part.name;
    values.required = part.required != 0;
    values.maxLength = PairShownWhenSet(part.maxLenFlag, part.maxLen);
    values.maxStrings = PairShownWhenSet(part.maxStringsFlag, part.maxStrings);
    values.defaultHeight = PairShownWhenSet(part.defaultHeightFlag, part.defaultHeight);
    values.key = LoadPartKey(part);
    values.valueName = part.valueName;
    return values;
}

std::optional<Text> cMultiTextPageValues::Validate() const {
    if (std::optional<Text> error = ValidatePartKey(key))
        return error;
    std::optional<uint64_t> number;
    if (auto error = CheckCount(maxLength, u"Max. length:", 0, UINT32_MAX, number))
        return error;
    if (auto error = CheckCount(maxStrings, u"Max. strings:", 0, UINT32_MAX, number))
        return error;
    return CheckCount(defaultHeight, u"Height in lines:", 1, UINT32_MAX, number);
}

void cMultiTextPageValues::ApplyTo(cPolPartMultiText& part) const {
    part.name = name;
    part.required = required ? 1 : 0;
    ApplyPair(maxLength, part.maxLenFlag, part.maxLen);
    ApplyPair(maxStrings, part.maxStringsFlag, part.maxStrings);
    ApplyPair(defaultHeight, part.defaultHeightFlag, part.defaultHeight);
    ApplyPartKey(key, part, true);
    part.valueName = valueName;
}

// ---- 64-bit number ------------------------------------------------------------------------

cLongNumPageValues cLongNumPageValues::Load(const cPolPartLongNum& part) {
    cLongNumPageValues values;
    values.LoadFrom(part);
    return values;
}

std::optional<Text> cLongNumPageValues::Validate() const {
    if (std::optional<Text> error = ValidatePartKey(key))
        return error;
    std::optional<uint64_t> low, high, start, step;
    if (auto error = CheckCount(defaultValue, u"Default value:", 0, UINT64_MAX, start))
        return error;
    if (auto error = CheckCount(max, u"Max. Value:", 0, UINT64_MAX, high))
        return error;
    if (auto error = CheckCount(min, u"Min. Value:", 0, UINT64_MAX, low))
        return error;
    if (auto error = CheckCount(spin, u"Spin increment:", 0, UINT64_MAX, step))
        return error;
    if (low && high && *low > *high)
        return FormatText(u"The minimum %s is above the maximum %s.", {min.text, max.text});
    if (start && ((low && *start < *low) || (high && *start > *high)))
        return FormatText(u"The default value %s lies outside the minimum and the maximum.",
                          {defaultValue.text});
    return std::nullopt;
}

void cLongNumPageValues::ApplyTo(cPolPartLongNum& part) const {
    WriteTo(part);
}

// ---- Policy -------------------------------------------------------------------------------

cAdmxPolicyPageValues cAdmxPolicyPageValues::Load(const cPolicy& node) {
    cAdmxPolicyPageValues values;
    values.policyClass = PolicyClassOf(node);
    if (node.admx) {
        values.name = node.admx->name;
        values.supportedOn = node.admx->supportedOn;
    }
    if (const cAdmxSet* set = AdmxSetOf(node))
        values.choices = SupportedChoices(*set, SupportedOnTableOf(node, *set), OwnerOf(node));
    return values;
}

Text MdmKeyNote(const cPolicy& node) {
    if (!MdmBlocksKey(node.GetEffectiveKey()))
        return Text();
    return u"Cloud device management (MDM) cannot set this policy: its ingestion may not "
           u"write under System, Software\\Microsoft or Software\\Policies\\Microsoft, but "
           u"for a few keys such as Software\\Policies\\Microsoft\\Office. Devices report "
           u"an error for it.";
}

std::optional<Text> cAdmxPolicyPageValues::Validate(const cPolicy& node) const {
    // Only what changes is checked: a name as read stays, and a policy made in the editor
    // may stay without one (the save derives it).
    const Text before = node.admx ? node.admx->name : Text();
    if (name != before)
        if (std::optional<Text> error = ValidateName(node))
            return error;
    const Text supportedBefore = node.admx ? node.admx->supportedOn : Text();
    // The policy editor refuses a file with a policy that has none; one read without it may
    // stay so while other fields change (lint names it).
    if (supportedOn.empty() && !supportedBefore.empty())
        return Text(
            u"Supported on is empty: the policy editor refuses a policy without one. Choose a "
            u"definition.");
    if (!supportedOn.empty() && supportedOn != supportedBefore) {
        const cAdmxSet* set = AdmxSetOf(node);
        std::string local;
        cAdmxSet::cPlace place = cAdmxSet::cPlace::Elsewhere;
        if (set)
            place = PlaceOf(node, *set, ToUtf8(supportedOn), local);
        else
            local = ToUtf8(supportedOn.substr(supportedOn.find(u':') + 1));
        if (place == cAdmxSet::cPlace::Here &&
            !SupportedOnTableOf(node, *set).DisplayNameOf(FromUtf8(local)))
            return FormatText(
                u"Supported on \"%.50s\" names no definition or product of "
                u"this file.",
                {supportedOn});
        if (place == cAdmxSet::cPlace::Nowhere)
            return FormatText(
                u"Supported on \"%.50s\" names a namespace this file does not "
                u"use. Add its prefix to the using list, or choose a definition.",
                {supportedOn});
        if (!IsAdmxName(FromUtf8(local)))
            return FormatText(u"Supported on \"%.50s\" is not a reference to a definition.",
                              {supportedOn});
    }
    return std::nullopt;
}

namespace {

// A name given to a category or policy (what: "policy", "category"): well formed, and no
// other node of its kind in the template so named, case aside.
std::optional<Text> CheckNodeName(const cData& node, const Text& name, const Text& what) {
    if (!IsAdmxName(name))
        return FormatText(
            u"The %s name \"%.50s\" cannot be used: a name begins with a "
            u"letter or an underscore and holds only letters, digits, "
            u"underscores, hyphens and periods.",
            {what, name});
    const Text folded = Folded(name);
    std::optional<Text> taken;
    if (const cTemplateTree* tree = TreeOfNode(node)) {
        tree->ForEachPreOrder([&](cTreeItem* item) {
            const cData* other = item->node.get();
            if (!taken && other && other != &node && other->kind == node.kind && other->admx &&
                Folded(other->admx->name) == folded)
                taken = other->admx->name;
        });
    }
    if (taken)
        return FormatText(
            u"Another %s of this file is named \"%.50s\". A %s's name "
            u"must be unique in its file.",
            {what, *taken, what});
    return std::nullopt;
}

}  // namespace

Text DerivedAdmxName(const cData& node) {
    Text text;
    if (const auto* category = dynamic_cast<const cCategory*>(&node))
        text = category->name;
    else if (const auto* policy = dynamic_cast<const cPolicy*>(&node))
        text = policy->name;
    const std::string_view id = StringId(ToUtf8(text));
    if (!id.empty())
        return FromUtf8(id);
    if (const cTemplateTree* tree = TreeOfNode(node); tree && tree->Owner())
        text = tree->Owner()->ResolveText(text);
    return AdmxNameFrom(text);
}

cAdmxCategoryPageValues cAdmxCategoryPageValues::Load(const cCategory& node) {
    return {node.admx ? node.admx->name : Text()};
}

std::optional<Text> cAdmxCategoryPageValues::Validate(const cCategory& node) const {
    if (name == (node.admx ? node.admx->name : Text()))
        return std::nullopt;
    return CheckNodeName(node, name, u"category");
}

void cAdmxCategoryPageValues::ApplyTo(cCategory& node) const {
    if (!node.admx && name.empty())
        return;
    cAdmxRecord& record = node.admx ? *node.admx : node.admx.emplace();
    record.name = name;
}

std::optional<Text> cAdmxPolicyPageValues::ValidateName(const cPolicy& node) const {
    return CheckNodeName(node, name, u"policy");
}

void cAdmxPolicyPageValues::ApplyTo(cPolicy& node) const {
    const cAdmxClass before = PolicyClassOf(node);
    cAdmxRecord& record = node.admx ? *node.admx : node.admx.emplace();
    record.name = name;
    if (policyClass != before) {
        record.policyClass = Text(ClassText(policyClass));
    }
    if (record.supportedOn != supportedOn) {
        record.supportedOn = supportedOn;
        const cAdmxSet* set = AdmxSetOf(node);
        node.supportedFlag = supportedOn.empty() ? 0 : 1;
        node.supportedText =
            supportedOn.empty() ? Text()
            : set ? SupportedOnText(SupportedOnTableOf(node, *set), *set, ToUtf8(supportedOn))
                  : supportedOn;
    }
}

// ---- Element ------------------------------------------------------------------------------

bool CanBeSoft(const cPolicyPart& part) {
    return dynamic_cast<const cPolPartEditText*>(&part) ||
           dynamic_cast<const cPolPartNum*>(&part) || dynamic_cast<const cPolPartLongNum*>(&part) ||
           dynamic_cast<const cPolPartMultiText*>(&part);
}

cAdmxElementPageValues cAdmxElementPageValues::Load(const cPolicyPart& part) {
    if (!part.admx)
        return {};
    return {part.admx->name, part.admx->soft};
}

std::optional<Text> cAdmxElementPageValues::Validate(const cPolicyPart& part) const {
    if (id == (part.admx ? part.admx->name : Text()))
        return std::nullopt;
    if (!IsAdmxName(id))
        return FormatText(
            u"The element id \"%.50s\" cannot be used: an id begins with a "
            u"letter or an underscore and holds only letters, digits, "
            u"underscores, hyphens and periods.",
            {id});
    const auto* object = dynamic_cast<const cObjPolPart*>(&part);
    const cObjPolicy* policy = object ? object->Policy() : nullptr;
    if (policy) {
        const Text folded = Folded(id);
        for (const auto& other : policy->Parts())
            if (other.get() != object && other->admx && Folded(other->admx->name) == folded)
                return FormatText(
                    u"Another part of this policy has the id \"%.50s\". An "
                    u"element's id must be unique in its policy.",
                    {other->admx->name});
    }
    return std::nullopt;
}

void cAdmxElementPageValues::ApplyTo(cPolicyPart& part) const {
    if (!part.admx && id.empty() && !soft)
        return;
    cAdmxRecord& record = part.admx ? *part.admx : part.admx.emplace();
    record.name = id;
    record.soft = soft && CanBeSoft(part);
}
