#include <gtest/gtest.h>

#include "core/admx/admxset.h"
#include "core/check/lint.h"
#include "core/document/formats.h"
#include "core/edit/commands.h"
#include "core/edit/editstep.h"
#include "core/edit/treecommands.h"
#include "core/model/clipboard.h"
#include "core/model/seams.h"
#include "tests/core/admx/admxsample.h"

namespace {

struct cSetEditor {
    CPelwinDoc doc;
    cEditState state{doc, SharedState().copy};

    cSetEditor() {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
    }
    ~cSetEditor() { SharedState().copy.Clear(); }
    cTreeItem* New(cTreeItem* selected, cNewNodeKind kind) {
        state.selected = selected;
        return NewNode(state, kind).item;
    }
};

std::vector<std::string> Errors(const CPelwinDoc& doc, const cReadLog& log) {
    std::vector<std::string> errors;
    for (const cFinding& finding : LintTemplate(doc, log))
        if (finding.severity == cLintSeverity::Error && !IsMissingSupportedOn(ToUtf8(finding.text)))
            errors.push_back(std::string(finding.rule) + ": " + ToUtf8(finding.text));
    return errors;
}

}  // namespace

// A new set offers no classes and no version conditions; its categories and policies go where
// a set has them, a new policy is of class Machine, and the saved set reads back lint clean.
TEST(AdmxEdit, NewSetTakesNodesByTheSetsRules) {
    cSetEditor e;
    ASSERT_TRUE(e.doc.StartNew(AdmxFormat(), u"New1"));
    EXPECT_EQ(e.doc.DisplayLanguage(), u"en-US");
    for (cNewNodeKind kind : {cNewNodeKind::Version, cNewNodeKind::ChildVersion,
                              cNewNodeKind::Machine, cNewNodeKind::User, cNewNodeKind::Policy})
        EXPECT_FALSE(CanNewNode(e.state, kind)) << int(kind);
    cTreeItem* top = e.New(nullptr, cNewNodeKind::Category);
    ASSERT_NE(top, nullptr);
    e.state.selected = top;
    EXPECT_FALSE(CanNewNode(e.state, cNewNodeKind::ChildVersion));
    cTreeItem* child = e.New(top, cNewNodeKind::ChildCategory);
    cTreeItem* policy = e.New(child, cNewNodeKind::Policy);
    ASSERT_NE(policy, nullptr);
    EXPECT_EQ(policy->label, u"<new> (Machine)");
    // As the policy's page gives it a key.
    auto& node = static_cast<cObjPolicy&>(*policy->node);
    node.useDefaultKey = 0;
    node.keyName = u"Software\\Made";
    EXPECT_EQ(e.New(top, cNewNodeKind::Category)->parent, e.doc.Tree().Root());
    for (cNewPartKind kind :
         {cNewPartKind::CheckBox, cNewPartKind::ComboBox, cNewPartKind::DropDownList,
          cNewPartKind::EditText, cNewPartKind::ListBox, cNewPartKind::Numeric, cNewPartKind::Text,
          cNewPartKind::MultiText, cNewPartKind::LongNumber}) {
        e.state.selected = policy;
        cEditResult part = NewPolicyPart(e.state, kind);
        ASSERT_TRUE(part);
        if (auto* list = dynamic_cast<cObjPolPartDropDown*>(part.part)) {
            list->itemList.emplace_back();
            list->itemList.back().name = u"One";
            list->itemList.back().value.valueText = u"1";
        }
    }

    cTempSet set;
    const Text path = FromUtf8((set.dir / "made.admx").string());
    cMessageRecorder messages;
    ASSERT_TRUE(e.doc.WriteFile(path)) << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc back;
    cReadLog log;
    ASSERT_TRUE(ReadDocument(back, set.dir / "made.admx", &log))
        << ::testing::PrintToString(messages.Utf8()) << set.Read("made.admx");
    EXPECT_EQ(Errors(back, log), std::vector<std::string>{}) << set.Read("made.admx");
    ASSERT_EQ(back.Tree().Root()->children.size(), 2u);
    cTreeItem* item = back.Tree().Root()->children[0]->children.at(0)->children.at(0).get();
    const auto& read = static_cast<const cObjPolicy&>(*item->node);
    EXPECT_EQ(read.admx->policyClass, u"Machine");
    ASSERT_EQ(read.Parts().size(), 9u);
    // New parts go first: the last two made stand first, as their own kinds.
    EXPECT_NE(dynamic_cast<const cObjPolPartLongNum*>(read.Parts()[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<const cObjPolPartMultiText*>(read.Parts()[1].get()), nullptr);
}

// The policy editor refuses a policy without a supportedOn: a new one refers to the file's
// first definition, else to one "Not specified" that the same undo step adds and takes back.
TEST(AdmxEdit, NewPolicyGetsASupportedOn) {
    struct cHistory : cStepSink {
        bool Push(std::unique_ptr<cEditStep> step) override {
            return step->Apply(*doc) && (steps.push_back(std::move(step)), true);
        }
        CPelwinDoc* doc = nullptr;
        std::vector<std::unique_ptr<cEditStep>> steps;
    };
    {
        cSetEditor e;
        cTempSet set;
        ASSERT_TRUE(ReadDocument(e.doc, set.PutSample()));
        cTreeItem* policy = e.New(ItemAt(e.doc.Tree(), {u"Sample root"}), cNewNodeKind::Policy);
        ASSERT_NE(policy, nullptr);
        const auto& made = static_cast<const cObjPolicy&>(*policy->node);
        EXPECT_EQ(made.admx->supportedOn, u"SUPPORTED_Sample");
        EXPECT_EQ(ToUtf8(e.doc.ResolveText(made.supportedText)), "At least Sample 2");
    }
    cSetEditor e;
    cHistory history;
    history.doc = &e.doc;
    ASSERT_TRUE(e.doc.StartNew(AdmxFormat(), u"New1"));
    e.doc.SetStepSink(&history);
    cTreeItem* category = e.New(nullptr, cNewNodeKind::Category);
    cTreeItem* policy = e.New(category, cNewNodeKind::Policy);
    ASSERT_NE(policy, nullptr);
    const auto& made = static_cast<const cObjPolicy&>(*policy->node);
    EXPECT_EQ(made.admx->supportedOn, u"SUPPORTED_NotSpecified");
    const auto* state = dynamic_cast<const cAdmxState*>(e.doc.FormatState());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->SupportedOn().definitions.size(), 1u);
    ASSERT_NE(e.doc.Strings().Find(u"SUPPORTED_NotSpecified"), nullptr);
    EXPECT_EQ(*e.doc.Strings().Find(u"SUPPORTED_NotSpecified"), u"Not specified");
    // A second policy takes the definition now there, without adding another.
    EXPECT_NE(e.New(category, cNewNodeKind::Policy), nullptr);
    EXPECT_EQ(history.steps.size(), 3u);
    for (size_t n = 2; n > 0; --n)
        ASSERT_TRUE(history.steps[n]->Revert(e.doc));
    EXPECT_EQ(state->SupportedOn().definitions.size(), 0u);
    EXPECT_EQ(e.doc.Strings().Find(u"SUPPORTED_NotSpecified"), nullptr);
    EXPECT_EQ(category->children.size(), 0u);
    e.doc.SetStepSink(nullptr);
}

// A policy copied from another set brings its strings; an id the target holds with another
// text keeps the target's text and the copy gets a new id. Undo takes the strings out again.
TEST(AdmxEdit, PasteBetweenSetsKeepsStringIdsUnique) {
    cTempSet set;
    const auto admx = set.PutSample();
    cSetEditor english, french;
    french.doc.SetLanguage(u"fr-FR");
    ASSERT_TRUE(english.doc.ReadFile(FromUtf8(admx.string())));
    ASSERT_TRUE(french.doc.ReadFile(FromUtf8(admx.string())));
    const size_t strings = french.doc.Strings().Entries().size();

    english.state.selected =
        ItemAt(english.doc.Tree(), {u"Sample root", u"Child", u"Machine only"});
    CopyItem(english.state);
    french.state.selected = ItemAt(french.doc.Tree(), {u"Racine"});
    ASSERT_TRUE(CanPaste(french.state));
    cEditResult pasted = Paste(french.state);
    ASSERT_TRUE(pasted);
    const auto& copy = static_cast<const cObjPolicy&>(*pasted.item->node);
    EXPECT_EQ(copy.name, u"$(string.MachineOnly_2)");
    EXPECT_EQ(french.doc.ResolveText(copy.name), u"Machine only");
    EXPECT_EQ(pasted.item->label, u"Machine only (Machine)");
    EXPECT_NE(*french.doc.Strings().Find(u"MachineOnly"), u"Machine only");
    EXPECT_GT(french.doc.Strings().Entries().size(), strings);

    cMessageRecorder messages;
    ASSERT_TRUE(french.doc.WriteFile(FromUtf8((set.dir / "out.admx").string())))
        << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc back;
    back.SetLanguage(u"fr-FR");
    ASSERT_TRUE(ReadDocument(back, set.dir / "out.admx"))
        << ::testing::PrintToString(messages.Utf8());
}

// An ADM policy pasted into a set: its references become texts, its key what it inherited,
// its class the one it stood under; what a set cannot hold is named and left out. The set
// saves lint clean. A policy of the set pasted into the template loses its class Both.
TEST(AdmxEdit, PasteBetweenATemplateAndASetConverts) {
    cTempSet set;
    const auto admx = set.PutSample();
    const auto adm =
        set.Put("t.adm",
                "CLASS USER\r\nCATEGORY !!Cat\r\nKEYNAME \"Software\\Cat\"\r\n"
                "POLICY !!Pol\r\n#if version >= 4\r\nSUPPORTED !!Sup\r\n#endif\r\n"
                "EXPLAIN !!Explain\r\nVALUENAME On\r\nPART !!Part EDITTEXT\r\nVALUENAME Name\r\n"
                "OEMCONVERT\r\nEND PART\r\nEND POLICY\r\nEND CATEGORY\r\n[strings]\r\n"
                "Cat=\"Things\"\r\nPol=\"A policy\"\r\nSup=\"Windows 7\"\r\n"
                "Explain=\"One\\nTwo\"\r\nPart=Name:\r\n");
    cSetEditor target, templ;
    ASSERT_TRUE(target.doc.ReadFile(FromUtf8(admx.string())));
    ASSERT_TRUE(templ.doc.ReadFile(FromUtf8(adm.string())));
    templ.state.selected = ItemAt(templ.doc.Tree(), {u"USER", u"Things", u"A policy"});
    ASSERT_NE(templ.state.selected, nullptr);
    CopyItem(templ.state);
    target.state.selected = ItemAt(target.doc.Tree(), {u"Sample root"});
    ASSERT_TRUE(CanPaste(target.state));
    cMessageRecorder messages;
    cEditResult pasted = Paste(target.state);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted.item->label, u"A policy (User)");
    const auto& policy = static_cast<const cObjPolicy&>(*pasted.item->node);
    EXPECT_EQ(policy.keyName, u"Software\\Cat");
    EXPECT_EQ(policy.explainText, u"One\nTwo");
    // The set's first definition stands for the template's text, which a set cannot hold.
    EXPECT_EQ(policy.admx->supportedOn, u"SUPPORTED_Sample");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("supported-on"), std::string::npos) << messages.Utf8()[0];
    EXPECT_NE(messages.Utf8()[0].find("OEM"), std::string::npos) << messages.Utf8()[0];
    ASSERT_TRUE(target.doc.WriteFile(FromUtf8((set.dir / "out.admx").string())))
        << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc back;
    cReadLog log;
    ASSERT_TRUE(ReadDocument(back, set.dir / "out.admx", &log));
    EXPECT_EQ(Errors(back, log), std::vector<std::string>{}) << set.Read("out.admx");
    EXPECT_NE(ItemAt(back.Tree(), {u"Sample root", u"A policy"}), nullptr);

    target.state.selected = ItemAt(target.doc.Tree(), {u"Sample root", u"Everyone"});
    CopyItem(target.state);
    templ.state.selected = ItemAt(templ.doc.Tree(), {u"USER", u"Things"});
    ASSERT_TRUE(CanPaste(templ.state));
    messages.texts.clear();
    cEditResult back2 = Paste(templ.state);
    ASSERT_TRUE(back2);
    EXPECT_EQ(back2.item->label, u"Everyone");
    EXPECT_FALSE(back2.item->node->admx);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("class Both"), std::string::npos);
    ASSERT_TRUE(templ.doc.WriteFile(FromUtf8((set.dir / "t2.adm").string())))
        << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc again;
    EXPECT_TRUE(ReadDocument(again, set.dir / "t2.adm"));
}

// Copy and paste within a set and delete work as for a template; each is undone.
TEST(AdmxEdit, PasteWithinASetAndDeleteWriteBack) {
    cTempSet set;
    const auto admx = set.PutSample();
    cSetEditor e;
    ASSERT_TRUE(e.doc.ReadFile(FromUtf8(admx.string())));
    e.state.selected = ItemAt(e.doc.Tree(), {u"Sample root", u"Child"});
    CopyItem(e.state);
    e.state.selected = ItemAt(e.doc.Tree(), {u"Sample root"});
    ASSERT_TRUE(CanPasteNext(e.state));  // after a category at the top
    ASSERT_TRUE(PasteNext(e.state));
    e.state.selected = ItemAt(e.doc.Tree(), {u"Empty"});
    ASSERT_TRUE(DeleteItem(e.state));
    cMessageRecorder messages;
    ASSERT_TRUE(e.doc.WriteFile(FromUtf8((set.dir / "out.admx").string())))
        << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc back;
    cReadLog log;
    ASSERT_TRUE(ReadDocument(back, set.dir / "out.admx", &log));
    EXPECT_EQ(ItemAt(back.Tree(), {u"Empty"}), nullptr);
    std::vector<Text> top;
    for (const auto& item : back.Tree().Root()->children)
        top.push_back(item->label);
    EXPECT_EQ(top, (std::vector<Text>{u"Sample root (in windows:WindowsComponents)", u"Child",
                                      u"Outside (Machine, in windows:System)"}));
}
