#include "core/edit/treecommands.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxset.h"
#include "core/convert/admxtoadm.h"
#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/edit/supportedonstep.h"
#include "core/model/clipboard.h"
#include "core/model/nodetexts.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

namespace {

cObjPolicy* PolicyOf(const cTreeItem* item) {
    return item && item->node ? dynamic_cast<cObjPolicy*>(item->node.get()) : nullptr;
}

// The selected part, when it belongs to a policy of this document.
cObjPolPart* SelectedPart(const cEditState& state) {
    cObjPolPart* part = state.selectedPart;
    if (!part || !part->Policy() || !InDocument(state.doc, part->Policy()->treeItem))
        return nullptr;
    return part->Policy()->IndexOfPart(part) < part->Policy()->Parts().size() ? part : nullptr;
}

cTreePath PathOf(const cTemplateTree& tree, const cTreeItem* item) {
    return item == tree.Root() ? cTreePath() : cTreePath::Of(item);
}

// The document a copied item or part comes from, when it is another template.
CPelwinDoc* OtherSource(const cEditState& state) {
    auto* source = dynamic_cast<CPelwinDoc*>(state.clipboard.SourceOwner());
    return source && source != &state.doc ? source : nullptr;
}

// The nodes of a pasted copy: each node of a subtree, or a single part.
using cPastedNodes = std::vector<cData*>;

cPastedNodes NodesOf(const cTreeItem& item) {
    cPastedNodes nodes;
    cTemplateTree::ForEachInSubtree(const_cast<cTreeItem*>(&item), [&nodes](cTreeItem* at) {
        if (at->node)
            nodes.push_back(at->node.get());
    });
    return nodes;
}

// ---- Between a template and a set -----------------------------------------------------

// A paste from a template with class nodes into one without (ADM into an ADMX set), or back.
enum class cCrossing { None, IntoSet, IntoTemplate };

cCrossing CrossingOf(const cEditState& state) {
    const CPelwinDoc* source = OtherSource(state);
    if (!source || source->HasClassNodes() == state.doc.HasClassNodes())
        return cCrossing::None;
    return state.doc.HasClassNodes() ? cCrossing::IntoTemplate : cCrossing::IntoSet;
}

// Whether what the clipboard holds can cross: a set has no version conditions.
bool CanCross(const cEditState& state) {
    const cCrossing crossing = CrossingOf(state);
    if (crossing == cCrossing::IntoTemplate && state.clipboard.HoldsPart())
        return !dynamic_cast<const cPolPartMultiText*>(state.clipboard.part) &&
               !dynamic_cast<const cPolPartLongNum*>(state.clipboard.part);
    if (crossing != cCrossing::IntoSet || !state.clipboard.HoldsItem())
        return true;
    bool version = false;
    cTemplateTree::ForEachInSubtree(state.clipboard.item, [&version](cTreeItem* at) {
        version = version || (at->node && at->node->kind == kKindVersion);
    });
    return !version;
}

bool IsAdmReference(const Text& text) {
    return text.size() > 2 && text[0] == u'!' && text[1] == u'!';
}

bool IsSetReference(const Text& text) {
    return text.size() > 10 && text.back() == u')' && text.starts_with(u"$(string.");
}

// A display text of the source as the target holds it: a reference of the source's string
// table becomes its text (the target's writer gives it a string of its own), with line breaks
// as the target writes them ("\n" in a template, a line break in a set).
Text CrossedText(const CPelwinDoc& source, const Text& text, cCrossing crossing) {
    const bool reference =
        crossing == cCrossing::IntoSet ? IsAdmReference(text) : IsSetReference(text);
    // A template's own texts may hold a backslash before an "n" (a key), which is no line
    // break: only the line breaks of a set's texts are written anew.
    if (!reference && (crossing != cCrossing::IntoTemplate || text.find(u'\n') == Text::npos))
        return text;
    const Text shown = reference ? source.ResolveText(text) : text;
    Text out;
    out.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        if (crossing == cCrossing::IntoSet && shown.compare(i, 2, u"\\n") == 0) {
            out += u'\n';
            ++i;
        } else if (crossing == cCrossing::IntoTemplate && shown[i] == u'\n') {
            out += u"\\n";
        } else if (crossing != cCrossing::IntoTemplate || shown[i] != u'\r') {
            out += shown[i];
        }
    }
    return out;
}

// The class the copied node stands under in its template ("Machine", "User"), or its own.
Text SourceClassOf(const cTreeItem* item) {
    for (const cTreeItem* up = item; up; up = up->parent)
        if (up->node && up->node->kind == kKindClass)
            return KeywordEquals(static_cast<const cPolClass&>(*up->node).className, u"USER")
                       ? u"User"
                       : u"Machine";
    return u"Machine";
}

// Makes a pasted copy (nodes, paired with the originals they were cloned from) fit the
// target's format; shows what did not carry over.
void CrossFormats(const cEditState& state, const cPastedNodes& copies,
                  const cPastedNodes& originals, const cTreeItem* copiedItem) {
    const cCrossing crossing = CrossingOf(state);
    if (crossing == cCrossing::None)
        return;
    const CPelwinDoc& source = *OtherSource(state);
    std::vector<Text> lost;
    auto name = [&](const cData& node) { return StepNodeName(node); };
    for (size_t i = 0; i < copies.size(); ++i) {
        cData& node = *copies[i];
        // Texts first, parts with their policy: the copy is this paste's own.
        ForEachNodeText(node, [&](const Text& text) {
            const_cast<Text&>(text) = CrossedText(source, text, crossing);
        });
        if (crossing == cCrossing::IntoTemplate) {
            if (node.kind == kKindPolicy && node.admx && node.admx->policyClass == u"Both")
                lost.push_back(u"class Both of " + name(node) +
                               u": it takes the class it is pasted under");
            node.admx.reset();
            if (auto* policy = dynamic_cast<cObjPolicy*>(&node)) {
                // A reference to another file's definition has no text here to show.
                const auto& original = static_cast<const cPolicy&>(*originals[i]);
                if (policy->supportedFlag && !IsSetReference(original.supportedText)) {
                    lost.push_back(u"the supported-on reference " + original.supportedText +
                                   u" of " + name(*policy) + u", which another file defines");
                    policy->supportedFlag = 0;
                    policy->supportedText.clear();
                }
                // The kinds a template has not become the nearest it has, as a conversion
                // makes them.
                for (size_t p = policy->Parts().size(); p-- > 0;) {
                    cObjPolPart& part = *policy->Parts()[p];
                    part.admx.reset();
                    Text how;
                    if (std::unique_ptr<cObjPolPart> nearest = AdmPartFor(part, *policy, how)) {
                        lost.push_back(name(part) + how);
                        policy->TakePart(p);
                        policy->InsertPart(p, std::move(nearest));
                    }
                }
            }
            continue;
        }
        if (auto* category = dynamic_cast<cObjCategory*>(&node);
            category && !category->useDefaultKey) {
            // A set's category has no key: its policies get it (below).
            category->useDefaultKey = 1;
            category->keyName.clear();
        }
        auto clearOem = [&](cObjPolPart& part) {
            VisitPart(part, [&](auto& kind) {
                if constexpr (requires { kind.oemConvert; })
                    if (kind.oemConvert) {
                        lost.push_back(u"the OEM conversion of " + name(kind));
                        kind.oemConvert = 0;
                    }
            });
        };
        if (auto* part = dynamic_cast<cObjPolPart*>(&node))
            clearOem(*part);
        auto* policy = dynamic_cast<cObjPolicy*>(&node);
        if (!policy)
            continue;
        if (policy->useDefaultKey) {
            const Text key = static_cast<const cObjPolicy&>(*originals[i]).GetEffectiveKey();
            if (!key.empty()) {
                policy->useDefaultKey = 0;
                policy->keyName = key;
            }
        }
        policy->admx.emplace().policyClass = SourceClassOf(copiedItem);
        if (policy->supportedFlag) {
            lost.push_back(u"the supported-on text of " + name(*policy) +
                           u": a set names a supportedOn definition instead");
            policy->supportedFlag = 0;
            policy->supportedText.clear();
        }
        for (const auto& part : policy->Parts())
            clearOem(*part);
    }
    if (lost.empty())
        return;
    Text list;
    for (const Text& what : lost)
        list += u"\n- " + what;
    ShowMessage(kSeverityInformation, u"Pasted without what the other format cannot hold:%s",
                {list});
}

// The pasted policies that have no supportedOn (from a template) get one in a set: the
// policy editor refuses the file otherwise.
void GiveSupportedOnInSet(const cEditState& state, cTreeItem& copy, cCompoundStep& step) {
    if (state.doc.HasClassNodes())
        return;
    std::vector<cPolicy*> policies;
    cTemplateTree::ForEachInSubtree(&copy, [&](cTreeItem* at) {
        if (at->node && at->node->kind == kKindPolicy)
            policies.push_back(static_cast<cPolicy*>(at->node.get()));
    });
    if (auto added = GiveSupportedOn(state.doc, policies, step.Label()))
        step.Add(std::move(added));
}

// A copied subtree made to fit the target, its labels shown anew.
void CrossCopy(const cEditState& state, cTreeItem& copy, const cTreeItem& copied) {
    if (CrossingOf(state) == cCrossing::None)
        return;
    CrossFormats(state, NodesOf(copy), NodesOf(copied), &copied);
    cTemplateTree::ForEachInSubtree(&copy, [&state](cTreeItem* at) {
        if (at->node)
            at->label = NodeLabel(state.doc.Tree(), *at->node);
    });
}

void CrossPart(const cEditState& state, cObjPolPart& copy, const cObjPolPart& copied) {
    if (CrossingOf(state) != cCrossing::None)
        CrossFormats(state, {&copy}, {const_cast<cObjPolPart*>(&copied)},
                     copied.Policy() ? copied.Policy()->treeItem : nullptr);
}

// The supported-on definitions and the namespaces a set uses, as a paste leaves them: swapped
// with the document's on apply and undo.
class cSetHeadStep : public cEditStep {
public:
    cSetHeadStep(Text text, std::optional<cSupportedOnTable> table,
                 std::optional<std::vector<cAdmxNamespace>> usings)
        : cEditStep(std::move(text)), m_table(std::move(table)), m_usings(std::move(usings)) {}
    bool Apply(CPelwinDoc& doc) override { return Swap(doc); }
    bool Revert(CPelwinDoc& doc) override { return Swap(doc); }

private:
    bool Swap(CPelwinDoc& doc) {
        auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
        if (!state || !state->set)
            return false;
        std::swap(state->supportedOn, m_table);
        // Only the usings: the rest of the namespaces may have changed since (a first save
        // names a new set).
        if (m_usings) {
            cAdmxTemplateProps props = state->templateProps.value_or(TemplatePropsOf(*state->set));
            std::swap(props.usings, *m_usings);
            state->templateProps = std::move(props);
        }
        return true;
    }

    std::optional<cSupportedOnTable> m_table;
    std::optional<std::vector<cAdmxNamespace>> m_usings;
};

// What a set pasted into another set refers to by the source's names, made to resolve in the
// target: a definition of the source's own namespace comes along (under a new name where the
// target holds another definition of that name), and a reference under a prefix of the source
// takes the target's prefix for that namespace, the using added where the target has none.
class cSupportedOnCarrier {
public:
    cSupportedOnCarrier(const cAdmxState& source, cAdmxState& target)
        : m_sourceTable(source.SupportedOn()),
          m_sourceProps(source.templateProps.value_or(TemplatePropsOf(*source.set))),
          m_target(target),
          m_table(target.SupportedOn()),
          m_props(target.templateProps.value_or(TemplatePropsOf(*target.set))) {}

    // Makes the policy's reference one of the target; its display string joins `strings`.
    void Carry(cPolicy& policy, std::unordered_set<Text>& strings) {
        if (!policy.admx || policy.admx->supportedOn.empty())
            return;
        const Text ref = policy.admx->supportedOn;
        const size_t colon = ref.find(u':');
        const Text prefix = colon == Text::npos ? Text() : ref.substr(0, colon);
        const Text local = colon == Text::npos ? ref : ref.substr(colon + 1);
        const bool own = prefix.empty() || prefix == m_sourceProps.target.prefix;
        const Text now = own ? Definition(local, strings) : Foreign(prefix, local);
        if (now.empty()) {
            // Left as it is, it would keep the set from being saved.
            m_told.push_back(u"not the supported-on reference " + ref + u" of " + policy.name +
                             u", which this set cannot resolve: Supported on is cleared");
            policy.admx->supportedOn.clear();
            policy.supportedFlag = 0;
            policy.supportedText.clear();
            return;
        }
        policy.supportedText = own ? DisplayOf(now) : now;
        policy.admx->supportedOn = now;
    }

    // The display names of the definitions brought along, once their strings were renamed.
    void Rename(const std::unordered_map<Text, Text>& renamed) {
        for (cSupportedOnDefinition& definition : m_table.definitions) {
            auto found = renamed.find(definition.displayName);
            if (!definition.origin && found != renamed.end())
                definition.displayName = found->second;
        }
    }

    bool Changed() const { return m_tableChanged || m_propsChanged; }
    std::unique_ptr<cEditStep> Step(const Text& text) const {
        return std::make_unique<cSetHeadStep>(
            text, m_tableChanged ? std::optional(m_table) : m_target.supportedOn,
            m_propsChanged ? std::optional(m_props.usings) : std::nullopt);
    }
    const std::vector<Text>& Told() const { return m_told; }

private:
    const cSupportedOnDefinition* DefinitionIn(const cSupportedOnTable& table,
                                               const Text& name) const {
        for (const cSupportedOnDefinition& definition : table.definitions)
            if (definition.name == name)
                return &definition;
        return nullptr;
    }
    Text DisplayOf(const Text& name) const {
        const Text* shown = m_table.DisplayNameOf(name);
        return shown ? *shown : name;
    }

    Text Definition(const Text& name, std::unordered_set<Text>& strings) {
        const cSupportedOnDefinition* from = DefinitionIn(m_sourceTable, name);
        if (!from)
            return Text();
        auto done = m_carried.find(name);
        if (done != m_carried.end())
            return done->second;
        cSupportedOnDefinition copy = *from;
        copy.origin = pugi::xml_node();
        for (cSupportedOnReference& reference : copy.references) {
            const size_t colon = reference.ref.find(u':');
            if (colon == Text::npos)
                continue;
            Text mapped = Foreign(reference.ref.substr(0, colon), reference.ref.substr(colon + 1));
            if (!mapped.empty())
                reference.ref = mapped;
        }
        const cSupportedOnDefinition* same = DefinitionIn(m_table, name);
        if (same && same->references == copy.references && same->join == copy.join)
            return m_carried[name] = name;
        const std::vector<Text> taken = m_table.Names();
        Text id = name;
        for (int n = 2; std::find(taken.begin(), taken.end(), id) != taken.end(); ++n)
            id = name + u"_" + FromUtf8(std::to_string(n));
        copy.name = id;
        const std::string display = ToUtf8(copy.displayName);
        const std::string_view string = StringId(display);
        if (!string.empty())
            strings.insert(FromUtf8(string));
        m_table.definitions.push_back(std::move(copy));
        m_tableChanged = true;
        m_told.push_back(
            u"the supported-on definition " + name +
            (id == name ? Text() : u", as " + id + u" (this set has another " + name + u")"));
        return m_carried[name] = id;
    }

    // The reference prefix:name of the source as the target writes it; empty when the source
    // does not say which namespace the prefix stands for.
    Text Foreign(const Text& prefix, const Text& name) {
        Text space;
        for (const cAdmxNamespace& used : m_sourceProps.usings)
            if (used.prefix == prefix)
                space = used.name;
        if (space.empty())
            return Text();
        if (space == m_props.target.name)
            return name;
        for (const cAdmxNamespace& used : m_props.usings)
            if (used.name == space)
                return used.prefix + u":" + name;
        auto taken = [this](const Text& candidate) {
            if (candidate == m_props.target.prefix)
                return true;
            for (const cAdmxNamespace& used : m_props.usings)
                if (used.prefix == candidate)
                    return true;
            return false;
        };
        Text mine = prefix;
        for (int n = 2; taken(mine); ++n)
            mine = prefix + FromUtf8(std::to_string(n));
        m_props.usings.push_back({mine, space});
        m_propsChanged = true;
        m_told.push_back(u"the using of the namespace " + space + u" under the prefix " + mine);
        return mine + u":" + name;
    }

    cSupportedOnTable m_sourceTable;
    cAdmxTemplateProps m_sourceProps;
    cAdmxState& m_target;
    cSupportedOnTable m_table;
    cAdmxTemplateProps m_props;
    bool m_tableChanged = false;
    bool m_propsChanged = false;
    std::map<Text, Text> m_carried;
    std::vector<Text> m_told;
};

// A paste from another template brings along the strings that what it pastes refers to, in
// the same step, so that undoing the paste takes them out again. The source's other strings
// stay where they are. A name both tables hold with different texts: a template takes the
// source's text; a set without class nodes (ADMX), whose ids name one text each, keeps its
// own and gives the pasted copy's string a new id ("ID_2"), its references renamed.
std::unique_ptr<cCompoundStep> PasteStep(const cEditState& state, Text text,
                                         const cPastedNodes& nodes) {
    auto step = std::make_unique<cCompoundStep>(text);
    CPelwinDoc* source = OtherSource(state);
    if (!source)
        return step;
    // Between two sets the supported-on references are made the target's first.
    std::optional<cSupportedOnCarrier> carrier;
    std::unordered_set<Text> carriedStrings;
    if (const auto* from = dynamic_cast<const cAdmxState*>(source->FormatState()))
        if (auto* into = dynamic_cast<cAdmxState*>(state.doc.FormatState());
            into && from->set && into->set) {
            carrier.emplace(*from, *into);
            for (cData* node : nodes)
                if (node->kind == kKindPolicy)
                    carrier->Carry(*static_cast<cPolicy*>(node), carriedStrings);
        }
    // A set's supported-on text names the definition's display string, which the definition
    // brings along: it is no string of the policy's own.
    std::vector<std::pair<cPolicy*, Text>> supported;
    if (!state.doc.HasClassNodes())
        for (cData* node : nodes)
            if (node->kind == kKindPolicy) {
                auto* policy = static_cast<cPolicy*>(node);
                supported.emplace_back(policy, std::move(policy->supportedText));
                policy->supportedText.clear();
            }
    struct cRestore {
        std::vector<std::pair<cPolicy*, Text>>& held;
        ~cRestore() {
            for (auto& [policy, text] : held)
                policy->supportedText = std::move(text);
        }
    } restore{supported};
    cStringUses uses;
    for (const cData* node : nodes)
        uses.AddNode(*node);
    cStringMap merged = state.doc.Strings();
    if (state.doc.HasClassNodes()) {
        if (MergeStrings(merged, source->Strings(),
                         [&uses](TextView name) { return uses.Uses(name); }) > 0)
            step->Add(std::make_unique<cStringTableStep>(text, std::move(merged)));
        return step;
    }
    std::unordered_map<Text, Text> renamed;
    size_t added = 0;
    for (const auto& [name, value] : source->Strings().Entries()) {
        if (!uses.Uses(name) && !carriedStrings.contains(name))
            continue;
        const Text* held = merged.Find(name);
        if (held && *held == value)
            continue;
        Text id = name;
        for (int n = 2; merged.Find(id); ++n)
            id = name + u"_" + FromUtf8(std::to_string(n));
        if (id != name)
            renamed.emplace(u"$(string." + name + u")", u"$(string." + id + u")");
        merged.Set(id, value);
        ++added;
    }
    if (!renamed.empty()) {
        for (cData* node : nodes)
            ForEachNodeText(*node, [&renamed](const Text& value) {
                // The copy is this paste's own: its texts may be changed in place.
                auto found = renamed.find(value);
                if (found != renamed.end())
                    const_cast<Text&>(value) = found->second;
            });
        for (auto& [policy, held] : supported) {
            auto found = renamed.find(held);
            if (found != renamed.end())
                held = found->second;
        }
    }
    if (added > 0)
        step->Add(std::make_unique<cStringTableStep>(text, std::move(merged)));
    if (carrier && carrier->Changed()) {
        carrier->Rename(renamed);
        step->Add(carrier->Step(text));
    }
    if (carrier && !carrier->Told().empty()) {
        Text list;
        for (const Text& what : carrier->Told())
            list += u"\n- " + what;
        ShowMessage(kSeverityInformation,
                    u"Pasted with what its supported-on references need in this set:%s", {list});
    }
    return step;
}

cEditResult InsertNewPart(cEditState& state, cObjPolicy& policy, size_t index, Text text,
                          std::unique_ptr<cObjPolPart> part) {
    if (!part)
        return {};
    cObjPolPart* made = part.get();
    auto step = cPartPlacementStep::Insert(std::move(text), policy, index, std::move(part));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, policy.treeItem, made};
}

}  // namespace

// ---- Policy menu ----------------------------------------------------------------------

bool CanNewNode(const cEditState& state, cNewNodeKind kind) {
    const cTreeItem* selected = InDocument(state.doc, state.selected) ? state.selected : nullptr;
    return CanCreateNode(state.doc.Tree(), selected, kind);
}

cEditResult NewNode(cEditState& state, cNewNodeKind kind) {
    if (!CanNewNode(state, kind))
        return {};
    cTemplateTree& tree = state.doc.Tree();
    std::optional<cPlacement> place = PlaceNewNode(tree, state.selected, kind);
    if (!place)
        return {};
    auto item = std::make_unique<cTreeItem>();
    item->node = MakeNewNode(kind);
    // Without class nodes a policy holds its class itself, and its supportedOn.
    std::unique_ptr<cEditStep> supportedOn;
    if (item->node->kind == kKindPolicy && !state.doc.HasClassNodes()) {
        item->node->admx.emplace().policyClass = u"Machine";
        cPolicy* made = static_cast<cPolicy*>(item->node.get());
        supportedOn = GiveSupportedOn(state.doc, {&made, 1}, NewNodeStepText(kind));
    }
    item->label = NodeLabel(tree, *item->node);
    item->stateImage = NewNodeImage(kind);
    std::unique_ptr<cEditStep> step = cItemPlacementStep::Insert(
        NewNodeStepText(kind), PathOf(tree, place->parent), place->row, std::move(item));
    if (supportedOn) {
        auto both = std::make_unique<cCompoundStep>(NewNodeStepText(kind));
        both->Add(std::move(supportedOn));
        both->Add(std::move(step));
        step = std::move(both);
    }
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place->parent->children[place->row].get(), nullptr};
}

bool CanNewPolicyPart(const cEditState& state) {
    return InDocument(state.doc, state.selected) && CanCreatePart(state.selected);
}

bool CanNewAdmxPolicyPart(const cEditState& state) {
    return CanNewPolicyPart(state) && !state.doc.HasClassNodes();
}

cEditResult NewPolicyPart(cEditState& state, cNewPartKind kind) {
    if (!(IsAdmxOnly(kind) ? CanNewAdmxPolicyPart(state) : CanNewPolicyPart(state)))
        return {};
    cObjPolicy& policy = *PolicyOf(state.selected);
    return InsertNewPart(state, policy, 0, NewPartStepText(kind), CreateNewPart(kind, policy));
}

// ---- Edit menu in the tree ------------------------------------------------------------

bool CanCopyItem(const cEditState& state) {
    return InDocument(state.doc, state.selected) && state.selected->node->kind != kKindClass;
}

void CopyItem(cEditState& state) {
    if (CanCopyItem(state))
        state.clipboard.CopyItem(state.doc.Tree(), *state.selected);
}

bool CanPaste(const cEditState& state) {
    if (!InDocument(state.doc, state.selected))
        return false;
    if (!CanCross(state))
        return false;
    if (state.clipboard.HoldsPart())
        return PolicyOf(state.selected) != nullptr;
    return state.clipboard.HoldsItem() && CanPasteItem(state.doc.Tree(), state.selected,
                                                       state.clipboard.view, state.clipboard.item);
}

cEditResult Paste(cEditState& state) {
    if (!CanPaste(state))
        return {};
    if (cObjPolPart* copied = state.clipboard.part) {
        cObjPolicy& policy = *PolicyOf(state.selected);
        std::unique_ptr<cObjPolPart> copy = copied->ClonePart(&policy);
        cObjPolPart* made = copy.get();
        CrossPart(state, *made, *copied);
        auto step = PasteStep(state, u"Paste " + StepNodeName(*copied), {made});
        step->Add(cPartPlacementStep::Insert(step->Label(), policy, 0, std::move(copy)));
        if (!PerformStep(state.doc, std::move(step)))
            return {};
        return {true, policy.treeItem, made};
    }
    const cTreeItem& copied = *state.clipboard.item;
    cPlacement place = PastePlacement(state.selected);
    std::unique_ptr<cTreeItem> copy = CloneSubtree(copied);
    CrossCopy(state, *copy, copied);
    auto step = PasteStep(state, u"Paste " + StepNodeName(*copied.node), NodesOf(*copy));
    GiveSupportedOnInSet(state, *copy, *step);
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place.parent), place.row,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place.parent->children[place.row].get(), nullptr};
}

bool CanPasteNext(const cEditState& state) {
    return InDocument(state.doc, state.selected) && state.clipboard.HoldsItem() &&
           CanCross(state) &&
           CanPasteItemNext(state.doc.Tree(), state.selected, state.clipboard.view,
                            state.clipboard.item);
}

cEditResult PasteNext(cEditState& state) {
    if (!CanPasteNext(state))
        return {};
    // After a top-level item there is no place: nothing happens, the template stays as it is.
    std::optional<cPlacement> place = PasteNextPlacement(state.doc.Tree(), state.selected);
    if (!place)
        return {};
    const cTreeItem& copied = *state.clipboard.item;
    std::unique_ptr<cTreeItem> copy = CloneSubtree(copied);
    CrossCopy(state, *copy, copied);
    auto step = PasteStep(state, u"Paste as next " + StepNodeName(*copied.node), NodesOf(*copy));
    GiveSupportedOnInSet(state, *copy, *step);
    step->Add(cItemPlacementStep::Insert(step->Label(), cTreePath::Of(place->parent), place->row,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, place->parent->children[place->row].get(), nullptr};
}

// ---- Part commands of the preview -----------------------------------------------------

bool CanPartCommand(const cEditState& state) {
    return SelectedPart(state) != nullptr;
}

bool CanAdmxPartCommand(const cEditState& state) {
    return CanPartCommand(state) && !state.doc.HasClassNodes();
}

cEditResult NewPartAfter(cEditState& state, cNewPartKind kind) {
    cObjPolPart* selected = SelectedPart(state);
    if (!selected || (IsAdmxOnly(kind) && state.doc.HasClassNodes()))
        return {};
    cObjPolicy& policy = *selected->Policy();
    return InsertNewPart(state, policy, policy.IndexOfPart(selected) + 1, NewPartStepText(kind),
                         CreateNewPart(kind, policy));
}

void CopyPart(cEditState& state) {
    if (cObjPolPart* part = SelectedPart(state))
        state.clipboard.CopyPart(*part);
}

bool CanPastePartAfter(const cEditState& state) {
    return SelectedPart(state) && state.clipboard.HoldsPart();
}

cEditResult PastePartAfter(cEditState& state) {
    if (!CanPastePartAfter(state))
        return {};
    cObjPolPart* selected = SelectedPart(state);
    cObjPolicy& policy = *selected->Policy();
    std::unique_ptr<cObjPolPart> copy = state.clipboard.part->ClonePart(&policy);
    cObjPolPart* made = copy.get();
    CrossPart(state, *made, *state.clipboard.part);
    auto step = PasteStep(state, u"Paste " + StepNodeName(*state.clipboard.part), {made});
    step->Add(cPartPlacementStep::Insert(step->Label(), policy, policy.IndexOfPart(selected) + 1,
                                         std::move(copy)));
    if (!PerformStep(state.doc, std::move(step)))
        return {};
    return {true, policy.treeItem, made};
}
