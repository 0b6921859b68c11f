#include "core/edit/treeselection.h"

#include <gtest/gtest.h>

#include "tests/core/model/fakes.h"
#include "tests/testsupport.h"
#include "tests/ui/tree/fakesheet.h"

namespace {

// A preview pane without windows: panels are records, the total size is kept.
class cFakePreview : public cPreviewTarget {
public:
    std::unique_ptr<cPanel> CreatePanelWindow(cPanelKind kind, const cRect& rect,
                                              cCtrlList* node) override {
        return host.CreatePanelWindow(kind, rect, node);
    }
    cRect ClientRect() const override { return cRect{7, 0, 300, 200}; }
    void SetTotalSize(int width, int height) override {
        total = {width, height};
        ++sizeSets;
    }
    int Alive() const { return host.Alive(); }

    cFakePanelHost host;
    std::pair<int, int> total{-1, -1};
    int sizeSets = 0;
};

std::unique_ptr<cObjPolicy> PolicyWith(std::initializer_list<const char16_t*> kinds) {
    auto policy = std::make_unique<cObjPolicy>();
    for (const char16_t* kind : kinds)
        policy->AppendPart(CreatePartFromKeyword(kind, policy.get(), false));
    return policy;
}

struct AnswerCase {
    int answer;
    bool allowed;
    std::vector<int> severities;
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << "answer " << c.answer;
}

class SelectionAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(SelectionAnswers, DecideTheMoveAndWhatThePreviewShows) {
    const AnswerCase& c = GetParam();
    cFakeSheet sheet;
    cMessageRecorder messages;
    cFakePreview preview;
    auto oldPolicy = PolicyWith({u"CHECKBOX", u"TEXT"});
    auto newPolicy = PolicyWith({u"EDITTEXT", u"NUMERIC", u"CHECKBOX"});
    cRect rect{};
    ASSERT_EQ(oldPolicy->CreatePanel(rect, &preview), 1);
    ASSERT_EQ(preview.Alive(), 2);
    sheet.answer = c.answer;

    EXPECT_EQ(AllowSelectionMove(oldPolicy.get(), newPolicy.get(), &preview), c.allowed);

    // The old node's panels go whatever the sheet answers.
    EXPECT_FALSE(oldPolicy->HasPanel());
    EXPECT_EQ(sheet.given, std::vector<cData*>{newPolicy.get()});
    EXPECT_EQ(messages.severities, c.severities);
    if (!c.severities.empty()) {
        EXPECT_EQ(messages.Utf8()[0], "Error showing properties of new selection.");
    }
    if (c.allowed) {
        EXPECT_EQ(preview.Alive(), 3);
        // Laid out from the pane's origin, whatever the client rectangle's left.
        EXPECT_EQ(preview.host.records.back()->rect.left, 0);
        EXPECT_EQ(preview.total, std::make_pair(395, 35 + 65 + 65));
    } else {
        EXPECT_EQ(preview.Alive(), 0);
        EXPECT_EQ(preview.sizeSets, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(TreeSelection, SelectionAnswers,
                         ::testing::Values(AnswerCase{kSheetShown, true, {}},
                                           AnswerCase{kSheetAlreadyShown, true, {}},
                                           AnswerCase{kSheetCancelled, false, {}},
                                           AnswerCase{kSheetFailed, false, {kSeverityError}}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) -> std::string {
                             switch (info.param.answer) {
                                 case kSheetShown:
                                     return "Shown";
                                 case kSheetAlreadyShown:
                                     return "AlreadyShown";
                                 case kSheetCancelled:
                                     return "Cancelled";
                                 default:
                                     return "Failed";
                             }
                         });

TEST(TreeSelection, WithoutAPreviewTheSheetStillShowsTheNode) {
    cFakeSheet sheet;
    cMessageRecorder messages;
    auto policy = PolicyWith({u"CHECKBOX"});

    EXPECT_TRUE(AllowSelectionMove(nullptr, policy.get(), nullptr));
    EXPECT_EQ(sheet.current, policy.get());
    EXPECT_EQ(messages.severities, std::vector<int>{kSeverityInternal});
    EXPECT_EQ(messages.Utf8(), std::vector<std::string>{"Unable to retrieve leave view."});
    EXPECT_FALSE(policy->HasPanel());
}

TEST(TreeSelection, ShowInPreviewLaysOutFromScratch) {
    cFakePreview preview;
    auto policy = PolicyWith({u"CHECKBOX"});
    ShowInPreview(policy.get(), &preview);
    policy->AppendPart(CreatePartFromKeyword(u"LISTBOX", policy.get(), false));
    ShowInPreview(policy.get(), &preview);

    EXPECT_EQ(preview.Alive(), 2);
    EXPECT_EQ(preview.total, std::make_pair(395, 100));
}

TEST(TreeSelection, ActivationHandsOverOnceAtATime) {
    cFakeSheet sheet;
    cObjCategory first;
    cObjCategory second;
    // The sheet's question lets another window become active meanwhile.
    sheet.onSetObject = [&](cData* node) {
        if (node == &first)
            HandOverOnActivation(&second);
    };
    HandOverOnActivation(&first);
    EXPECT_EQ(sheet.given, std::vector<cData*>{&first});

    // The guard is down again afterwards; a tree without selection hands over none, so the
    // sheet lets go of the other window's node.
    HandOverOnActivation(&second);
    HandOverOnActivation(nullptr);
    EXPECT_EQ(sheet.given, (std::vector<cData*>{&first, &second, nullptr}));
    EXPECT_EQ(sheet.current, nullptr);
}

}  // namespace
