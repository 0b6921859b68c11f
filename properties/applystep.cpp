#include "properties/applystep.h"

#include "model/nodeobjects.h"
#include "model/seams.h"
#include "model/templatetree.h"

namespace {

// Copies what a part page may write, kind by kind; both parts must be of one kind.
void CopyPartData(const cPolicyPart& from, cPolicyPart& to) {
    to.name = from.name;
    to.keyName = from.keyName;
    to.valueName = from.valueName;
    to.useDefaultKey = from.useDefaultKey;
    if (auto* box = dynamic_cast<cPolPartCheckBox*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartCheckBox&>(from);
        box->actionListOn = src.actionListOn;
        box->actionListOff = src.actionListOff;
        box->defChecked = src.defChecked;
        box->valueOff = src.valueOff;
        box->valueOn = src.valueOn;
    } else if (auto* combo = dynamic_cast<cPolPartCombo*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartCombo&>(from);
        combo->defaultFlag = src.defaultFlag;
        combo->defaultText = src.defaultText;
        combo->maxLenFlag = src.maxLenFlag;
        combo->maxLen = src.maxLen;
        combo->oemConvert = src.oemConvert;
        combo->required = src.required;
        combo->expandableText = src.expandableText;
        combo->noSort = src.noSort;
        combo->suggestions = src.suggestions;
    } else if (auto* list = dynamic_cast<cPolPartDropDown*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartDropDown&>(from);
        list->itemList = src.itemList;
        list->required = src.required;
        list->noSort = src.noSort;
    } else if (auto* edit = dynamic_cast<cPolPartEditText*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartEditText&>(from);
        edit->defaultFlag = src.defaultFlag;
        edit->defaultText = src.defaultText;
        edit->maxLenFlag = src.maxLenFlag;
        edit->maxLen = src.maxLen;
        edit->oemConvert = src.oemConvert;
        edit->required = src.required;
        edit->expandableText = src.expandableText;
    } else if (auto* box = dynamic_cast<cPolPartListBox*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartListBox&>(from);
        box->additive = src.additive;
        box->explicitValue = src.explicitValue;
        box->valuePrefixFlag = src.valuePrefixFlag;
        box->valuePrefix = src.valuePrefix;
    } else if (auto* num = dynamic_cast<cPolPartNum*>(&to)) {
        const auto& src = dynamic_cast<const cPolPartNum&>(from);
        num->defaultFlag = src.defaultFlag;
        num->defaultValue = src.defaultValue;
        num->maxFlag = src.maxFlag;
        num->max = src.max;
        num->minFlag = src.minFlag;
        num->min = src.min;
        num->required = src.required;
        num->spinFlag = src.spinFlag;
        num->spin = src.spin;
        num->txtConvert = src.txtConvert;
    }
}

std::unique_ptr<cData> CopyOf(const cData& node) {
    // A part is copied without a policy: the copy only keeps its data.
    if (auto* part = const_cast<cData&>(node).GetPartObject())
        return part->ClonePart(nullptr);
    return node.Clone();
}

}  // namespace

bool cNodeDataSnapshot::Supports(const cData& node) {
    return node.kind == kKindClass || node.kind == kKindCategory || node.kind == kKindPolicy ||
           node.kind == kKindVersion || node.kind == kKindPart;
}

cNodeDataSnapshot::cNodeDataSnapshot(const cData& node) : m_copy(CopyOf(node)) {}

void cNodeDataSnapshot::RestoreInto(cData& node) const {
    if (!m_copy || m_copy->kind != node.kind)
        return;
    if (auto* to = dynamic_cast<cPolicyPart*>(&node)) {
        const auto& from = dynamic_cast<const cPolicyPart&>(*m_copy);
        if (from.typeKeyword == to->typeKeyword)
            CopyPartData(from, *to);
    } else if (auto* to = dynamic_cast<cPolClass*>(&node)) {
        to->className = dynamic_cast<const cPolClass&>(*m_copy).className;
    } else if (auto* to = dynamic_cast<cCategory*>(&node)) {
        const auto& from = dynamic_cast<const cCategory&>(*m_copy);
        to->name = from.name;
        to->keyName = from.keyName;
        to->useDefaultKey = from.useDefaultKey;
        to->explainText = from.explainText;
        to->explainFlag = from.explainFlag;
    } else if (auto* to = dynamic_cast<cPolicy*>(&node)) {
        const auto& from = dynamic_cast<const cPolicy&>(*m_copy);
        to->name = from.name;
        to->keyName = from.keyName;
        to->explainText = from.explainText;
        to->clientExt = from.clientExt;
        to->valueName = from.valueName;
        to->useDefaultKey = from.useDefaultKey;
        to->valueNameFlag = from.valueNameFlag;
        to->explainFlag = from.explainFlag;
        to->clientExtFlag = from.clientExtFlag;
        to->supportedText = from.supportedText;
        to->supportedFlag = from.supportedFlag;
        to->actionListOn = from.actionListOn;
        to->actionListOff = from.actionListOff;
        to->valueOff = from.valueOff;
        to->valueOn = from.valueOn;
    } else if (auto* to = dynamic_cast<cPolVersion*>(&node)) {
        const auto& from = dynamic_cast<const cPolVersion&>(*m_copy);
        to->label = from.label;
        to->op = from.op;
        to->number = from.number;
    }
}

cTreePath cTreePath::Of(const cTreeItem* item) {
    cTreePath path;
    for (; item && item->parent; item = item->parent)
        path.rows.insert(path.rows.begin(), item->row);
    return path;
}

cTreePath cTreePath::Of(cData& node) {
    cObjPolPart* part = node.GetPartObject();
    if (!part)
        return Of(node.treeItem);
    cObjPolicy* policy = part->Policy();
    if (!policy)
        return {};
    cTreePath path = Of(policy->treeItem);
    const auto& parts = policy->Parts();
    for (size_t i = 0; i < parts.size(); ++i)
        if (parts[i].get() == part)
            path.part = int(i);
    return path;
}

cData* cTreePath::Find(const cTemplateTree& tree) const {
    const cTreeItem* item = tree.Root();
    for (size_t row : rows) {
        if (row >= item->children.size())
            return nullptr;
        item = item->children[row].get();
    }
    if (item == tree.Root())
        return nullptr;
    if (part < 0)
        return item->node.get();
    auto* policy = dynamic_cast<cObjPolicy*>(item->node.get());
    if (!policy || size_t(part) >= policy->Parts().size())
        return nullptr;
    return policy->Parts()[size_t(part)].get();
}

cTemplateTree* TreeOf(cData& node) {
    if (cObjPolPart* part = node.GetPartObject())
        return part->Policy() ? part->Policy()->treeView : nullptr;
    return node.treeView;
}

void MarkTemplateModified(cData& node) {
    if (cObjPolPart* part = node.GetPartObject())
        part->SetModified(1);
    else
        node.MarkModified(1);
}

cApplyPropertiesStep::cApplyPropertiesStep(cData& node)
    : m_tree(TreeOf(node)),
      m_path(cTreePath::Of(node)),
      m_name(ApplyStepText(node)),
      m_before(std::make_unique<cNodeDataSnapshot>(node)) {}

void cApplyPropertiesStep::Finish(const cData& node) {
    m_after = std::make_unique<cNodeDataSnapshot>(node);
}

void cApplyPropertiesStep::Restore(const cNodeDataSnapshot& data) {
    cData* node = m_tree ? m_path.Find(*m_tree) : nullptr;
    if (!node)
        return;
    data.RestoreInto(*node);
    node->UpdateDisplay();
    MarkTemplateModified(*node);
    if (cPropertySheetSeam* sheet = SharedState().sheet)
        sheet->NodeChanged(node);
}

Text ApplyStepText(const cData& node) {
    Text name;
    if (auto* cls = dynamic_cast<const cPolClass*>(&node))
        name = cls->className;
    else if (auto* category = dynamic_cast<const cCategory*>(&node))
        name = category->name;
    else if (auto* policy = dynamic_cast<const cPolicy*>(&node))
        name = policy->name;
    else if (auto* version = dynamic_cast<const cPolVersion*>(&node))
        name = version->label;
    else if (auto* part = dynamic_cast<const cPolicyPart*>(&node))
        name = part->name;
    if (cTemplateTree* tree = TreeOf(const_cast<cData&>(node)))
        name = tree->DisplayLabel(name);
    return u"Apply properties of " + name;
}
