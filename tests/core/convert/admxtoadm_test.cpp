#include "core/convert/admxtoadm.h"

#include <gtest/gtest.h>

#include "core/adm/templatewriter.h"
#include "core/model/partkinds.h"
#include "tests/core/admx/admxsample.h"

namespace {

struct cConverted {
    std::unique_ptr<CPelwinDoc> adm = std::make_unique<CPelwinDoc>();
    std::vector<cConversionNote> notes;
    Text notesText;
};

cConverted Convert(const CPelwinDoc& admx) {
    cConverted out;
    out.adm->SetFrame(out.adm.get());
    out.adm->SetTreeView(&out.adm->Tree());
    AdmxToAdm(admx.Tree(), admx.Strings(), out.adm->Tree(), out.adm->Strings(), out.notes);
    for (const cConversionNote& note : out.notes)
        out.notesText += FormatText(u"%d: ", {note.line}) + note.what + u"\n";
    return out;
}

// The policies of a tree by class, each as "Category > ... > Policy" shown.
std::vector<std::string> Policies(const CPelwinDoc& doc) {
    std::vector<std::string> out;
    doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
        if (!item->node || item->node->kind != kKindPolicy)
            return;
        Text path = doc.ResolveText(static_cast<cObjPolicy&>(*item->node).name);
        for (cTreeItem* up = item->parent; up && up->node; up = up->parent) {
            const cData* node = up->node.get();
            Text name = node->kind == kKindClass
                            ? static_cast<const cPolClass*>(node)->className
                            : doc.ResolveText(static_cast<const cCategory*>(node)->name);
            path = name + u" > " + path;
        }
        out.push_back(ToUtf8(path));
    });
    return out;
}

}  // namespace

// The sample set as a template: every policy, class Both under both classes, a policy of
// another file's category in a category of that name; the template reads back without a
// message and holds the same policies.
TEST(AdmxToAdm, SampleBecomesATemplateThatReadsBack) {
    cTempSet set;
    CPelwinDoc admx;
    ASSERT_TRUE(ReadDocument(admx, set.PutSample()));
    cConverted converted = Convert(admx);
    const std::vector<std::string> expected = {
        "MACHINE > Sample root > Child > Machine only", "MACHINE > Sample root > Everyone",
        "MACHINE > windows:System > Outside", "USER > Sample root > Child > User only",
        "USER > Sample root > Everyone"};
    EXPECT_EQ(Policies(*converted.adm), expected);

    // The parts keep their kinds but the two that ADM lacks, and show the same labels.
    cObjPolicy* user = nullptr;
    converted.adm->Tree().ForEachPreOrder([&](cTreeItem* item) {
        auto* policy = dynamic_cast<cObjPolicy*>(item->node.get());
        if (policy && converted.adm->ResolveText(policy->name) == u"User only")
            user = policy;
    });
    ASSERT_NE(user, nullptr);
    std::vector<std::string> parts;
    for (const auto& part : user->Parts())
        parts.push_back(ToUtf8(part->typeKeyword + u" " + converted.adm->ResolveText(part->name)));
    EXPECT_EQ(parts,
              (std::vector<std::string>{"TEXT Static words", "COMBOBOX Name:", "NUMERIC Count:",
                                        "NUMERIC Big:", "EDITTEXT Lines:", "DROPDOWNLIST Mode:",
                                        "LISTBOX Hosts:", "CHECKBOX Flag it", "EDITTEXT Hidden"}));
    EXPECT_EQ(*converted.adm->Strings().Find(u"Root_Explain"), u"Line one\\nline two");

    // Saved and read again: no message, the same policies.
    cTempSet out;
    cMessageRecorder messages;
    const auto path = out.dir / "sample.adm";
    ASSERT_TRUE(converted.adm->WriteFile(FromUtf8(path.string())))
        << ::testing::PrintToString(messages.Utf8());
    CPelwinDoc back;
    ASSERT_TRUE(ReadDocument(back, path));
    EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(Policies(back), expected);
}

// What the template loses is named, each with the line of the ADMX file it stands on.
TEST(AdmxToAdm, NamesWhatTheTemplateCannotHold) {
    cTempSet set;
    CPelwinDoc admx;
    ASSERT_TRUE(ReadDocument(admx, set.PutSample()));
    const Text notes = Convert(admx).notesText;
    for (const char16_t* expected : {
             u"14: the parent category windows:WindowsComponents of category Root",
             u"32: the supportedOn reference windows:SUPPORTED_Windows7 of policy UserOnly",
             u"36: the 64-bit number (longDecimal) element Big of policy UserOnly",
             u"37: the list of texts (multiText) element Lines of policy UserOnly",
             u"47: the attribute soft=\"true\" of element Hidden of policy UserOnly",
             u"52: seeAlso of policy Everyone",
             u"55: the category windows:System, which another file defines",
         })
        EXPECT_NE(notes.find(expected), Text::npos) << ToUtf8(expected) << "\n" << ToUtf8(notes);
    // Nothing is named twice for the two copies of a policy of class Both.
    EXPECT_EQ(notes.find(u"seeAlso"), notes.rfind(u"seeAlso"));
}

// Every corpus set converts to a template that reads without a message and has a policy for
// every ADMX policy, two for class Both.
TEST(AdmxToAdm, CorpusSetsConvert) {
    SKIP_WITHOUT_CORPUS();
    for (const auto& folder : {CorpusDir() / "admx", CorpusDir() / "admx-sets"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().extension() != ".admx")
                continue;
            SCOPED_TRACE(entry.path().string());
            CPelwinDoc admx;
            ASSERT_TRUE(ReadDocument(admx, entry.path()));
            size_t expected = 0;
            admx.Tree().ForEachPreOrder([&](cTreeItem* item) {
                if (auto* policy = dynamic_cast<cObjPolicy*>(item->node.get()))
                    expected += policy->admx->policyClass == u"Both" ? 2 : 1;
            });
            cConverted converted = Convert(admx);
            cTempSet out;
            const auto path = out.dir / "out.adm";
            cMessageRecorder messages;
            ASSERT_TRUE(converted.adm->WriteFile(FromUtf8(path.string())))
                << ::testing::PrintToString(messages.Utf8());
            CPelwinDoc back;
            ASSERT_TRUE(ReadDocument(back, path));
            EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
            EXPECT_EQ(Policies(back).size(), expected);
        }
    }
}
