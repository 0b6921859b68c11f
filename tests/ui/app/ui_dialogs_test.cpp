#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/ui/app/uitest.h"
#include "ui/app/dialogfileformat.h"
#include "ui/app/dialogs.h"

namespace {

QStringList LabelTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(UiFileFormatDialog, ShowsItsTextsWithOkAsTheOnlyButton) {
    cDialogFileFormat dialog;
    EXPECT_EQ(dialog.windowTitle(), "Fileformat");
    EXPECT_TRUE(LabelTexts(dialog).contains(
        "Please select the format in which to save the template file."));
    EXPECT_EQ(dialog.UnicodeButton()->text(),
              "UNICODE format, for Windows2000 or NT4 (Recommended).");
    EXPECT_EQ(dialog.AsciiButton()->text(), "ASCII format, for Windows95/98 or NT4.");
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "OK");
    EXPECT_TRUE(buttons[0]->isDefault());
    EXPECT_EQ(dialog.Choice(), 1);
}

enum class Click { None, Unicode, Ascii };
enum class Finish { Ok, Return, Escape };

struct FormatCase {
    int offered;
    bool unicodeShown;
    bool asciiShown;
    Click click;
    Finish finish;
    int choice;
    bool accepted;
};

class UiFileFormatChoice : public ::testing::TestWithParam<FormatCase> {};

std::string FormatCaseName(const FormatCase& c) {
    static const char* const kClicks[] = {"None", "Unicode", "Ascii"};
    static const char* const kFinishes[] = {"Ok", "Return", "Escape"};
    return "Offered" + std::to_string(c.offered) + "_Click" + kClicks[int(c.click)] + "_" +
           kFinishes[int(c.finish)];
}

std::string FormatTestName(const ::testing::TestParamInfo<FormatCase>& info) {
    return FormatCaseName(info.param);
}

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << FormatCaseName(c);
}

TEST_P(UiFileFormatChoice, RoundTrips) {
    const FormatCase& c = GetParam();
    cDialogFileFormat dialog;
    dialog.SetChoice(c.offered);
    dialog.show();
    EXPECT_EQ(dialog.UnicodeButton()->isChecked(), c.unicodeShown);
    EXPECT_EQ(dialog.AsciiButton()->isChecked(), c.asciiShown);
    if (c.click == Click::Unicode)
        QTest::mouseClick(dialog.UnicodeButton(), Qt::LeftButton);
    if (c.click == Click::Ascii)
        QTest::mouseClick(dialog.AsciiButton(), Qt::LeftButton);
    // The two buttons behave as one group.
    if (c.click != Click::None) {
        EXPECT_NE(dialog.UnicodeButton()->isChecked(), dialog.AsciiButton()->isChecked());
    }
    switch (c.finish) {
        case Finish::Ok:
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            break;
        case Finish::Return:
            QTest::keyClick(&dialog, Qt::Key_Return);
            break;
        case Finish::Escape:
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
    }
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
    EXPECT_EQ(dialog.Choice(), c.choice);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UiFileFormatChoice,
    ::testing::Values(FormatCase{1, true, false, Click::None, Finish::Ok, 1, true},
                      FormatCase{0, false, true, Click::None, Finish::Ok, 0, true},
                      FormatCase{1, true, false, Click::Ascii, Finish::Ok, 0, true},
                      FormatCase{0, false, true, Click::Unicode, Finish::Return, 1, true},
                      // Dismissed without OK: the offered format stays.
                      FormatCase{1, true, false, Click::Ascii, Finish::Escape, 1, false},
                      FormatCase{0, false, true, Click::Unicode, Finish::Escape, 0, false},
                      // A flag that is neither selects nothing; OK then means 8-bit.
                      FormatCase{7, false, false, Click::None, Finish::Ok, 0, true}),
    FormatTestName);

TEST(UiFileFormatDialog, PromptCopiesTheChoiceOnlyOnOk) {
    cDialogPrompts prompts;
    int utf16 = 0;
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogFileFormat*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->AsciiButton()->isChecked());
        QTest::mouseClick(dialog->UnicodeButton(), Qt::LeftButton);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(prompts.AskFormat(utf16));
    EXPECT_EQ(utf16, 0);

    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogFileFormat*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->UnicodeButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(prompts.AskFormat(utf16));
    EXPECT_EQ(utf16, 1);
}

// The question before a save that loses content offers Save and Cancel; Escape and Enter
// both keep the file.
TEST(UiDialogs, SaveAnywayOffersSaveAndCancelAndDefaultsToCancel) {
    cDialogPrompts prompts;
    for (auto [key, want] : {std::pair{Qt::Key_Escape, false}, std::pair{Qt::Key_Return, false}}) {
        OnNextModal([key = key](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Save | QMessageBox::Cancel);
            QTest::keyClick(box, key);
        });
        EXPECT_EQ(prompts.AskSaveAnyway(u"Save anyway?"), want);
    }
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box->button(QMessageBox::Save), Qt::LeftButton);
    });
    EXPECT_TRUE(prompts.AskSaveAnyway(u"Save anyway?"));
}

TEST(UiWelcomeDialog, ShowsTheGreetingAndABannerOfTwiceTheFont) {
    CDlgWelcome dialog;
    EXPECT_EQ(dialog.windowTitle(), "Tessary 2.0.2");
    EXPECT_EQ(dialog.Greeting()->text(), "Welcome the Tessary.\n\n");
    EXPECT_TRUE(dialog.Banner()->text().isEmpty());
    QFont base = dialog.font();
    QFont banner = dialog.Banner()->font();
    if (base.pixelSize() > 0) {
        EXPECT_EQ(banner.pixelSize(), 2 * base.pixelSize());
    } else {
        EXPECT_DOUBLE_EQ(banner.pointSizeF(), 2 * base.pointSizeF());
    }
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.Timer()->interval(), 6000);
    EXPECT_TRUE(dialog.Timer()->isSingleShot());
    EXPECT_FALSE(dialog.Timer()->isActive());
}

TEST(UiWelcomeDialog, ClosesByItselfAsOk) {
    CDlgWelcome dialog(nullptr, 60);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_GE(clock.elapsed(), 50);
    EXPECT_FALSE(dialog.Timer()->isActive());
}

TEST(UiWelcomeDialog, OkClosesAtOnceAndStopsTheTimer) {
    CDlgWelcome dialog;
    dialog.show();
    EXPECT_TRUE(dialog.Timer()->isActive());
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Timer()->isActive());
}

struct SeverityCase {
    int severity;
    QMessageBox::Icon icon;
};

void PrintTo(const SeverityCase& c, std::ostream* out) {
    *out << "severity " << c.severity;
}

class UiMessageBox : public ::testing::TestWithParam<SeverityCase> {};

TEST_P(UiMessageBox, ShowsTheTextVerbatimWithTheSeveritysIcon) {
    const SeverityCase& c = GetParam();
    cMessageBoxSink sink;
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QString caption;
    QString text;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->icon();
        caption = box->windowTitle();
        // What the user reads: markup-like template texts must come through as written.
        for (const QLabel* label : box->findChildren<QLabel*>())
            if (label->textFormat() == Qt::PlainText && !label->text().isEmpty())
                text = label->text();
        box->accept();
    });
    sink.Show(c.severity, u"Policy <new> has no <b>key</b>");
    EXPECT_EQ(shown, c.icon);
    EXPECT_EQ(caption, "Tessary 2.0.2");
    EXPECT_EQ(text, "Policy <new> has no <b>key</b>");
}

INSTANTIATE_TEST_SUITE_P(Severities, UiMessageBox,
                         ::testing::Values(SeverityCase{1, QMessageBox::Critical},
                                           SeverityCase{3, QMessageBox::Information},
                                           SeverityCase{4, QMessageBox::Warning},
                                           SeverityCase{2, QMessageBox::Warning},
                                           SeverityCase{0, QMessageBox::Warning}),
                         [](const ::testing::TestParamInfo<SeverityCase>& info) {
                             return "Severity" + std::to_string(info.param.severity);
                         });

struct AnswerCase {
    QMessageBox::StandardButton button;  // NoButton: press Escape
    cAnswer answer;
};

std::string AnswerCaseName(const AnswerCase& c) {
    switch (c.button) {
        case QMessageBox::Yes:
            return "Yes";
        case QMessageBox::No:
            return "No";
        case QMessageBox::Cancel:
            return "Cancel";
        default:
            return "Escape";
    }
}

std::string AnswerTestName(const ::testing::TestParamInfo<AnswerCase>& info) {
    return AnswerCaseName(info.param);
}

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << AnswerCaseName(c);
}

class UiYesNoCancel : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(UiYesNoCancel, MapsTheButtonPressed) {
    const AnswerCase& c = GetParam();
    cDialogPrompts prompts;
    QString asked;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        asked = box->text();
        EXPECT_EQ(box->windowTitle(), "Tessary 2.0.2");
        if (c.button == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(c.button)->click();
    });
    EXPECT_EQ(prompts.AskYesNoCancel(u"Save changes to New1?"), c.answer);
    EXPECT_EQ(asked, "Save changes to New1?");
}

INSTANTIATE_TEST_SUITE_P(Buttons, UiYesNoCancel,
                         ::testing::Values(AnswerCase{QMessageBox::Yes, cAnswer::Yes},
                                           AnswerCase{QMessageBox::No, cAnswer::No},
                                           AnswerCase{QMessageBox::Cancel, cAnswer::Cancel},
                                           AnswerCase{QMessageBox::NoButton, cAnswer::Cancel}),
                         AnswerTestName);

}  // namespace
