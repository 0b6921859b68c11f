#include "core/pages/admxpages.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "core/admxformat/admxset.h"
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

bool ShowsAdmxPages(const cData& node) {
    if (const cTemplateTree* tree = TreeOfNode(node))
        if (const auto* doc = dynamic_cast<const CPelwinDoc*>(tree->Owner()))
            return dynamic_cast<const cAdmxState*>(doc->FormatState()) != nullptr;
    // Outside a template (on the clipboard, in a test): by what it was read from.
    return node.admx.has_value();
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
// too) in file order, then the references into the namespaces it uses that its policies
// make, sorted.
std::vector<cSupportedChoice> SupportedChoices(const cAdmxSet& set, const cTreeOwner* owner) {
    std::vector<cSupportedChoice> choices;
    auto shown = [&](const Text& reference) {
        Text text = SupportedOnText(set, ToUtf8(reference));
        if (text == reference)
            return Text();
        return owner ? owner->ResolveText(text) : text;
    };
    pugi::xml_node supported = Child(set.admx.Root(), "supportedOn");
    for (pugi::xml_node d = Child(supported, "definitions").first_child(); d; d = d.next_sibling())
        if (Is(d, "definition") && d.attribute("name"))
            choices.push_back({AttributeText(d, "name"), {}});
    // Products, their major and their minor versions, depth first.
    std::vector<pugi::xml_node> stack;
    for (pugi::xml_node p = Child(supported, "products").last_child(); p; p = p.previous_sibling())
        stack.push_back(p);
    while (!stack.empty()) {
        pugi::xml_node node = stack.back();
        stack.pop_back();
        if (node.type() != pugi::node_element)
            continue;
        if (node.attribute("name"))
            choices.push_back({AttributeText(node, "name"), {}});
        for (pugi::xml_node c = node.last_child(); c; c = c.previous_sibling())
            stack.push_back(c);
    }
    std::set<Text> others;
    for (pugi::xml_node p = Child(set.admx.Root(), "policies").first_child(); p;
         p = p.next_sibling()) {
        std::string reference = Child(p, "supportedOn").attribute("ref").value();
        std::string name;
        if (!reference.empty() && set.Resolve(reference, name) == cAdmxSet::cPlace::Elsewhere)
            others.insert(FromUtf8(reference));
    }
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
    values.name = part.name;
    LoadNumberRows(part, values);
    values.storeAsText = part.txtConvert != 0;
    values.key = LoadPartKey(part);
    values.valueName = part.valueName;
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
    part.name = name;
    ApplyNumberRows(*this, part);
    part.txtConvert = storeAsText ? 1 : 0;
    ApplyPartKey(key, part, true);
    part.valueName = valueName;
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
        values.choices = SupportedChoices(*set, OwnerOf(node));
    return values;
}

std::optional<Text> cAdmxPolicyPageValues::Validate(const cPolicy& node) const {
    // Only what changes is checked: a name as read stays, and a policy made in the editor
    // may stay without one (the save derives it).
    const Text before = node.admx ? node.admx->name : Text();
    if (name != before)
        if (std::optional<Text> error = ValidateName(node))
            return error;
    if (!supportedOn.empty() && supportedOn != (node.admx ? node.admx->supportedOn : Text())) {
        const cAdmxSet* set = AdmxSetOf(node);
        std::string local;
        cAdmxSet::cPlace place = cAdmxSet::cPlace::Elsewhere;
        if (set)
            place = PlaceOf(node, *set, ToUtf8(supportedOn), local);
        else
            local = ToUtf8(supportedOn.substr(supportedOn.find(u':') + 1));
        if (place == cAdmxSet::cPlace::Here && !set->supportedOn.count(local))
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

std::optional<Text> cAdmxPolicyPageValues::ValidateName(const cPolicy& node) const {
    if (!IsAdmxName(name))
        return FormatText(
            u"The policy name \"%.50s\" cannot be used: a name begins with a "
            u"letter or an underscore and holds only letters, digits, "
            u"underscores, hyphens and periods.",
            {name});
    const Text folded = Folded(name);
    std::optional<Text> taken;
    if (const cTemplateTree* tree = TreeOfNode(node)) {
        tree->ForEachPreOrder([&](cTreeItem* item) {
            const cData* other = item->node.get();
            if (!taken && other && other != &node && other->kind == kKindPolicy && other->admx &&
                Folded(other->admx->name) == folded)
                taken = other->admx->name;
        });
    }
    if (taken)
        return FormatText(
            u"Another policy of this file is named \"%.50s\". A policy's name "
            u"must be unique in its file.",
            {*taken});
    return std::nullopt;
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
        node.supportedText = supportedOn.empty() ? Text()
                             : set               ? SupportedOnText(*set, ToUtf8(supportedOn))
                                                 : supportedOn;
    }
}

// ---- Element ------------------------------------------------------------------------------

cAdmxElementPageValues cAdmxElementPageValues::Load(const cPolicyPart& part) {
    return {part.admx ? part.admx->name : Text()};
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
    if (!part.admx && id.empty())
        return;
    cAdmxRecord& record = part.admx ? *part.admx : part.admx.emplace();
    record.name = id;
}
