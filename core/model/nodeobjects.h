#pragma once

#include <memory>
#include <vector>

#include "core/model/nodedata.h"
#include "core/model/seams.h"

// What the tree shows after the name of a node read from an ADMX set: a policy's class, and
// for a node at the top (topLevel) the category of another namespace it stands in:
// " (User, in Google:Cat_Google)". Empty for every other node.
Text AdmxLabelNote(const cData& node, bool topLevel);

// What the tree marks a node of an ADMX set for, the mark's tool tip: its name shown as a
// reference that the display language does not define (the label as the tree shows it), or
// a parent category that is defined nowhere. Empty when there is nothing to mend.
Text AdmxNodeFault(const cData& node, TextView label);

// A node object is a node's data together with its preview panel. The panel side reaches
// the user interface only through cPanelHost.
class cCtrlList {
public:
    cCtrlList() = default;
    cCtrlList(const cCtrlList&) = delete;
    cCtrlList& operator=(const cCtrlList&) = delete;
    virtual ~cCtrlList();

    // Creates the panel with its top-left at rect's top-left inside parent; on return rect's
    // right and bottom hold the extent used. 1 on success, 0 on failure.
    virtual int CreatePanel(cRect& rect, cPanelHost* parent) = 0;
    virtual int DestroyPanel();
    virtual cData* GetData() = 0;
    int ShowProperties(cPropertySheetSeam* sheet);

    bool HasPanel() const { return m_panel != nullptr; }
    const cRect& PanelRect() const { return m_panelRect; }
    cPanelHost* PanelParent() const { return m_parent; }

protected:
    int CreateFromTemplate(cPanelKind kind, const cRect& rect, cPanelHost* parent);
    cPanel* Panel() const { return m_panel.get(); }

private:
    cRect m_panelRect;
    cPanelHost* m_parent = nullptr;  // Not owned.
    std::unique_ptr<cPanel> m_panel;
};

// The panel of a node kind that shows nothing: zero size at the given top-left.
class cEmptyPanelNode : public cCtrlList {
public:
    int CreatePanel(cRect& rect, cPanelHost* parent) override;
};

// Writes the data of `from` into `to` when `from` is a node object of the class Obj as well;
// false, and nothing written, for any other node. The data class's assignment keeps what ties
// `to` to its tree (cData).
template <typename Obj, typename Data>
bool AssignNodeData(Obj& to, const cData& from) {
    const auto* source = dynamic_cast<const Obj*>(&from);
    if (!source)
        return false;
    if (source != &to)
        static_cast<Data&>(to) = static_cast<const Data&>(*source);
    return true;
}

// What the class, category, policy and version node objects share. Obj is the node object
// class that derives from this, Data its data class and Panel its panel side: a copy takes
// the data but not the panel, Clone copies an Obj and AssignData takes another Obj's data.
template <typename Obj, typename Data, typename Panel = cEmptyPanelNode>
class cObjNodeOf : public Panel, public Data {
public:
    std::unique_ptr<cData> Clone() const override {
        return std::make_unique<Obj>(static_cast<const Obj&>(*this));
    }
    bool AssignData(const cData& from) override {
        return AssignNodeData<Obj, Data>(static_cast<Obj&>(*this), from);
    }
    cData* GetData() override { return this; }

protected:
    cObjNodeOf() = default;
    cObjNodeOf(const cObjNodeOf& other) : Panel(), Data(other) {}
};

class cObjClass : public cObjNodeOf<cObjClass, cPolClass> {
public:
    Text GetInheritedKey() const override { return Text(); }
    Text GetEffectiveKey() const override { return Text(); }
};

class cObjCategory : public cObjNodeOf<cObjCategory, cCategory> {
public:
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    void UpdateDisplay() override;
};

class cObjVersion : public cObjNodeOf<cObjVersion, cPolVersion> {
public:
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override { return GetInheritedKey(); }
    void UpdateDisplay() override;
};

class cObjPolicy : public cObjNodeOf<cObjPolicy, cPolicy, cCtrlList> {
public:
    // Part panels are 395 pixels wide.
    static constexpr int kPanelWidth = 395;

    cObjPolicy() = default;
    // Copies the data and every part; the copies' policy is the copy.
    cObjPolicy(const cObjPolicy& other);
    ~cObjPolicy() override;

    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    void UpdateDisplay() override;

    int CreatePanel(cRect& rect, cPanelHost* parent) override;
    int DestroyPanel() override;

    // The parts in template order. The policy owns them.
    const std::vector<std::unique_ptr<cObjPolPart>>& Parts() const { return m_parts; }
    cObjPolPart* AppendPart(std::unique_ptr<cObjPolPart> part);
    // Inserts directly after `after` (at the head when after is null or not found).
    cObjPolPart* InsertPartAfter(const cObjPolPart* after, std::unique_ptr<cObjPolPart> part);
    // Unlinks and destroys the part; false when it is not one of this policy's parts.
    bool DeletePart(const cObjPolPart* part);
    // The part following `part`, or none.
    cObjPolPart* NextPart(const cObjPolPart* part) const;
    // Where part stands in the list; the list's size when it is not one of this policy's.
    size_t IndexOfPart(const cObjPolPart* part) const;
    // Unlinks the part at index and hands it over; null for an index past the end.
    std::unique_ptr<cObjPolPart> TakePart(size_t index);
    // Puts part at index (clamped to the end) and makes this its policy.
    cObjPolPart* InsertPart(size_t index, std::unique_ptr<cObjPolPart> part);
    // Puts parts in place of the whole list and hands the old list over.
    std::vector<std::unique_ptr<cObjPolPart>> ReplaceParts(
        std::vector<std::unique_ptr<cObjPolPart>> parts);

private:
    std::vector<std::unique_ptr<cObjPolPart>> m_parts;
};

// Base of the seven part node objects. The part data (name, key, value name) is shared with
// the kind class through the virtual base cPolicyPart.
class cObjPolPart : public cCtrlList, public virtual cPolicyPart {
public:
    static constexpr int kShortHeight = 35;
    static constexpr int kTallHeight = 65;

    explicit cObjPolPart(cObjPolicy* policy) : m_policy(policy) {}
    ~cObjPolPart() override;

    cObjPolPart* GetPartObject() override { return this; }
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    // Refreshes the part's panel while it exists.
    void UpdateDisplay() override;
    cData* GetData() override { return this; }
    // A part is copied with ClonePart, onto a policy.
    std::unique_ptr<cData> Clone() const override { return nullptr; }

    int CreatePanel(cRect& rect, cPanelHost* parent) override;

    virtual std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const = 0;
    void SetModified(int flag);
    void ShowSelection(int flag);
    int IsSelected() const;

    virtual cPanelKind PanelKind() const = 0;
    int PanelHeight() const;
    // What the panel shows; `refresh` tells a refresh from the first fill.
    virtual cPanelContent PanelContent(bool refresh) const;

    cObjPolicy* Policy() const { return m_policy; }
    void SetPolicy(cObjPolicy* policy) { m_policy = policy; }

protected:
    Text Resolve(const Text& text) const;
    // The content of a part the user types into: the default text, resolved (a refresh
    // without one empties the field), and the length limit.
    cPanelContent TextEntryContent(const cTextEntryFields& entry, bool refresh) const;

private:
    cObjPolicy* m_policy;  // Not owned: the policy owns this part.
};

// What the seven part node objects share. Kind is the part object class that derives from
// this and inherits its constructors (`using cObjPartOf::cObjPartOf;`), PartData its data
// class and Code its kind code, which is also the kind of its panel.
template <typename Kind, typename PartData, cPanelKind Code>
class cObjPartOf : public cObjPolPart, public PartData {
public:
    // The data class of the kind, which the property pages and undo write.
    using Data = PartData;
    static constexpr cPanelKind kKind = Code;

    explicit cObjPartOf(cObjPolicy* policy) : cObjPolPart(policy) {}
    // A copy of other's data that belongs to policy, without a panel.
    cObjPartOf(const cObjPartOf& other, cObjPolicy* policy) : cObjPolPart(policy), PartData(other) {
        // The part data sits in the virtual base cPolicyPart, which only the most derived
        // class constructs, from its own initializers or, through an inherited constructor,
        // by default: it is copied here so that it is copied either way.
        static_cast<cPolicyPart&>(*this) = other;
    }

    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override {
        return std::make_unique<Kind>(static_cast<const Kind&>(*this), policy);
    }
    // Any part of the same kind.
    bool AssignData(const cData& from) override {
        return AssignNodeData<Kind, PartData>(static_cast<Kind&>(*this), from);
    }
    cPanelKind PanelKind() const override { return kKind; }
};

class cObjPolPartCheckBox
    : public cObjPartOf<cObjPolPartCheckBox, cPolPartCheckBox, cPanelKind::CheckBox> {
public:
    using cObjPartOf::cObjPartOf;
};

class cObjPolPartCombo : public cObjPartOf<cObjPolPartCombo, cPolPartCombo, cPanelKind::Combo> {
public:
    using cObjPartOf::cObjPartOf;
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartDropDown
    : public cObjPartOf<cObjPolPartDropDown, cPolPartDropDown, cPanelKind::DropDown> {
public:
    using cObjPartOf::cObjPartOf;
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartEditText
    : public cObjPartOf<cObjPolPartEditText, cPolPartEditText, cPanelKind::EditText> {
public:
    using cObjPartOf::cObjPartOf;
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartListBox
    : public cObjPartOf<cObjPolPartListBox, cPolPartListBox, cPanelKind::ListBox> {
public:
    using cObjPartOf::cObjPartOf;
};

class cObjPolPartNum : public cObjPartOf<cObjPolPartNum, cPolPartNum, cPanelKind::Numeric> {
public:
    using cObjPartOf::cObjPartOf;
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartText : public cObjPartOf<cObjPolPartText, cPolPartText, cPanelKind::Text> {
public:
    using cObjPartOf::cObjPartOf;
};

// ---- Part kinds that ADMX adds ----------------------------------------------------------

class cObjPolPartMultiText
    : public cObjPartOf<cObjPolPartMultiText, cPolPartMultiText, cPanelKind::MultiText> {
public:
    using cObjPartOf::cObjPartOf;
};

class cObjPolPartLongNum
    : public cObjPartOf<cObjPolPartLongNum, cPolPartLongNum, cPanelKind::LongNumeric> {
public:
    using cObjPartOf::cObjPartOf;
    cPanelContent PanelContent(bool refresh) const override;
};

// A fresh part of the kind named by a type keyword, or none for any other keyword and for
// the kinds that only ADMX has. The editor's commands match the keyword exactly; the reader
// ignores the case of A-Z.
std::unique_ptr<cObjPolPart> CreatePartFromKeyword(TextView keyword, cObjPolicy* policy,
                                                   bool ignoreCase);

// The panel side of a node's data, or none.
cCtrlList* CtrlOf(cData* node);
