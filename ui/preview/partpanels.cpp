#include "ui/preview/partpanels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QValidator>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/model/partkinds.h"
#include "ui/widgets/look.h"

namespace {

QString ToQString(const Text& text) {
    return QString::fromStdU16String(text);
}

// A caption as a control that takes mnemonics shows it: "&&" becomes one ampersand, any other
// ampersand disappears.
QString WithoutMnemonic(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        shown.append(text[i]);
    }
    return shown;
}

// A static text that takes an ampersand as a mnemonic marker: the ampersand is not shown
// and the character after it is underlined ("&&" shows one ampersand). It grabs no
// shortcut: the preview only shows what the template's dialog will look like.
class cMnemonicLabel : public QWidget {
public:
    explicit cMnemonicLabel(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void SetText(const QString& text) {
        if (text == m_text)
            return;
        m_text = text;
        setAccessibleName(WithoutMnemonic(text));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        style()->drawItemText(
            &painter, rect(),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
            isEnabled(), m_text, QPalette::WindowText);
    }

private:
    QString m_text;
};

// A label that shows its text as it is, ampersands included, wrapped at word boundaries.
QLabel* PlainLabel(const QRect& rect, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("label"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setGeometry(rect);
    return label;
}

// Lists of the preview show their entries sorted, whatever the part says.
QStringList SortedTexts(const std::vector<Text>& texts) {
    QStringList list;
    list.reserve(qsizetype(texts.size()));
    for (const Text& text : texts)
        list.append(ToQString(text));
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return list;
}

// The arrows beside the numeric part's field. They change the number shown there and
// nothing else; the part's own limits are not theirs.
class cUpDown : public QWidget {
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 32767;

    cUpDown(QLineEdit* buddy, std::function<void()> clicked, QWidget* parent)
        : QWidget(parent), m_buddy(buddy), m_clicked(std::move(clicked)) {
        setObjectName(QStringLiteral("updown"));
    }

    void Step(int delta) {
        bool ok = false;
        long long value = m_buddy->text().trimmed().toLongLong(&ok);
        if (!ok)
            value = 0;
        value = std::clamp<long long>(value + delta, kMinimum, kMaximum);
        m_buddy->setText(QString::number(value));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        // Two small raised buttons, one above the other, each with its arrow.
        QPainter painter(this);
        for (bool up : {true, false}) {
            QStyleOptionButton button;
            button.initFrom(this);
            button.rect = Half(up);
            button.state |= QStyle::State_Raised;
            if (m_pressed && m_pressedUp == up)
                button.state = (button.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
            style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
            QStyleOption arrow = button;
            arrow.rect = button.rect.adjusted(3, 1, -3, -1);
            style()->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                                   &arrow, &painter, this);
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        m_pressed = true;
        m_pressedUp = event->position().y() < height() / 2.0;
        Step(m_pressedUp ? 1 : -1);
        update();
        m_clicked();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        m_pressed = false;
        update();
    }

private:
    QRect Half(bool up) const {
        const int middle = height() / 2;
        return up ? QRect(0, 0, width(), middle) : QRect(0, middle, width(), height() - middle);
    }

    QLineEdit* m_buddy;  // Not owned: a sibling in the same panel.
    std::function<void()> m_clicked;
    bool m_pressed = false;
    bool m_pressedUp = false;
};

// ---- The seven part panels and the empty one ------------------------------------------

class cEmptyPanel : public cPanelWidget {
public:
    using cPanelWidget::cPanelWidget;
};

class cCheckBoxPanel : public cPanelWidget {
public:
    cCheckBoxPanel(cCtrlList* node, QWidget* parent)
        : cPanelWidget(node, parent), m_check(new QCheckBox(this)) {
        m_check->setObjectName(QStringLiteral("check"));
        m_check->setGeometry(DialogRect(5, 6, 142, 10));
        AddSelectionFrame(DialogRect(1, 0, 260, 18));
        // The click also toggles the box, which changes nothing in the part.
        connect(m_check, &QCheckBox::clicked, this, [this] { HandToSheet(); });
        connect(m_check, &QCheckBox::toggled, this, &cPanelWidget::valueChanged);
        ShowSheetOnDoubleClick(m_check, false);
    }
    bool Value(cPartValue& value) const override {
        value.checked = m_check->isChecked();
        return true;
    }
    void Fill(const cPanelContent& content) override {
        m_check->setText(ToQString(content.label));
        m_check->setToolTip(WithoutMnemonic(m_check->text()));
        setToolTip(m_check->toolTip());
        // The caption underlines its mnemonic but binds no key: shortcuts of the preview
        // would take keys from the editor's menus.
        m_check->setShortcut(QKeySequence());
    }

private:
    QCheckBox* m_check;
};

class cTextPanel : public cPanelWidget {
public:
    cTextPanel(cCtrlList* node, QWidget* parent)
        : cPanelWidget(node, parent), m_text(new cMnemonicLabel(this)) {
        m_text->setObjectName(QStringLiteral("text"));
        m_text->setGeometry(DialogRect(5, 8, 256, 11));
        AddSelectionFrame(DialogRect(2, 0, 260, 21));
    }
    void Fill(const cPanelContent& content) override {
        m_text->SetText(ToQString(content.label));
        setToolTip(m_text->accessibleName());
    }

private:
    cMnemonicLabel* m_text;
};

// A row of the dialog: a label, and the field it names beside or below it.
class cFieldPanel : public cPanelWidget {
public:
    cFieldPanel(cCtrlList* node, QWidget* parent, const QRect& label)
        : cPanelWidget(node, parent), m_label(PlainLabel(label, this)) {}

protected:
    // The field in its place; the row is selected when the field takes the focus.
    void PlaceField(QWidget* field, const QString& name, const QRect& rect) {
        field->setObjectName(name);
        field->setGeometry(rect);
        AddSelectionFrame(DialogRect(1, 0, 260, 40));
        HandOverOnFocus(field);
    }
    void ShowLabel(const cPanelContent& content) {
        m_label->setText(ToQString(content.label));
        setToolTip(m_label->text());
    }

private:
    QLabel* m_label;
};

class cEditTextPanel : public cFieldPanel {
public:
    cEditTextPanel(cCtrlList* node, QWidget* parent)
        : cFieldPanel(node, parent, DialogRect(5, 10, 79, 25)), m_edit(new QLineEdit(this)) {
        m_edit->setReadOnly(true);
        PlaceField(m_edit, QStringLiteral("edit"), DialogRect(90, 10, 165, 12));
        connect(m_edit, &QLineEdit::textChanged, this, &cPanelWidget::valueChanged);
    }
    bool Value(cPartValue& value) const override {
        value.text = m_edit->text().toStdU16String();
        return true;
    }
    void Fill(const cPanelContent& content) override {
        ShowLabel(content);
        // The length limit of a read-only field restrains no typing; applied here it would
        // only cut a longer default short, so the field shows the whole default.
        if (content.editText)
            m_edit->setText(ToQString(*content.editText));
    }

private:
    QLineEdit* m_edit;
};

// A list of texts, one a line: its label above a box of several lines.
class cMultiTextPanel : public cFieldPanel {
public:
    cMultiTextPanel(cCtrlList* node, QWidget* parent)
        : cFieldPanel(node, parent, DialogRect(5, 2, 250, 9)), m_edit(new QPlainTextEdit(this)) {
        m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_edit->setTabChangesFocus(true);
        PlaceField(m_edit, QStringLiteral("lines"), DialogRect(5, 12, 250, 26));
        connect(m_edit, &QPlainTextEdit::textChanged, this, &cPanelWidget::valueChanged);
    }
    bool Value(cPartValue& value) const override {
        value.text = m_edit->toPlainText().toStdU16String();
        return true;
    }
    void Fill(const cPanelContent& content) override { ShowLabel(content); }

private:
    QPlainTextEdit* m_edit;
};

class cComboPanel : public cFieldPanel {
public:
    cComboPanel(cCtrlList* node, QWidget* parent)
        : cFieldPanel(node, parent, DialogRect(5, 10, 80, 27)), m_combo(new QComboBox(this)) {
        m_combo->setEditable(true);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        m_combo->lineEdit()->setValidator(m_limit);
        PlaceField(m_combo, QStringLiteral("combo"), DialogRect(90, 10, 165, 12));
        ShowSheetOnDoubleClick(m_combo->lineEdit(), false);
        connect(m_combo, &QComboBox::editTextChanged, this, &cPanelWidget::valueChanged);
    }
    bool Value(cPartValue& value) const override {
        value.text = m_combo->currentText().toStdU16String();
        return true;
    }
    void Fill(const cPanelContent& content) override {
        ShowLabel(content);
        QString text = m_combo->currentText();
        if (content.list) {
            m_combo->clear();
            m_combo->addItems(SortedTexts(*content.list));
        }
        if (content.textLimit)
            m_limit->SetLimit(int(std::min<long>(*content.textLimit, 32767)));
        // Filling the list picks its first entry; the edit text is the part's default only.
        m_combo->setCurrentIndex(-1);
        QString shown = content.editText ? ToQString(*content.editText) : text;
        m_limit->Allow(int(shown.size()));
        m_combo->setEditText(shown);
    }

private:
    // The length limit restrains typing only: a field's own maximum length would cut a
    // longer default short, and the preview shows the default as the part holds it. A text
    // already longer than the limit may be shortened but not lengthened.
    class cLengthLimit : public QValidator {
    public:
        explicit cLengthLimit(QObject* parent) : QValidator(parent) {}
        void SetLimit(int limit) { m_limit = limit; }
        void Allow(int length) { m_allowed = std::max(m_limit, length); }
        State validate(QString& input, int&) const override {
            if (input.size() > m_allowed)
                return Invalid;
            m_allowed = std::max(m_limit, int(input.size()));
            return Acceptable;
        }

    private:
        int m_limit = 32767;
        mutable int m_allowed = 32767;
    };

    QComboBox* m_combo;
    cLengthLimit* m_limit = new cLengthLimit(this);
};

class cDropDownPanel : public cFieldPanel {
public:
    cDropDownPanel(cCtrlList* node, QWidget* parent)
        : cFieldPanel(node, parent, DialogRect(5, 10, 80, 27)), m_list(new QComboBox(this)) {
        PlaceField(m_list, QStringLiteral("list"), DialogRect(90, 10, 165, 12));
        ShowSheetOnDoubleClick(m_list, true);
        connect(m_list, &QComboBox::currentIndexChanged, this, &cPanelWidget::valueChanged);
    }
    bool Value(cPartValue& value) const override {
        if (m_list->currentIndex() >= 0)
            value.text = m_list->currentText().toStdU16String();
        return true;
    }
    void Fill(const cPanelContent& content) override {
        ShowLabel(content);
        if (content.list) {
            m_list->clear();
            m_list->addItems(SortedTexts(*content.list));
            // The list's default item shows selected; without one nothing is.
            m_list->setCurrentIndex(
                content.selected ? m_list->findText(ToQString(*content.selected), Qt::MatchExactly)
                                 : -1);
        }
    }

private:
    QComboBox* m_list;
};

class cListBoxPanel : public cPanelWidget {
public:
    cListBoxPanel(cCtrlList* node, QWidget* parent)
        : cPanelWidget(node, parent),
          m_label(new cMnemonicLabel(this)),
          m_show(new QPushButton(QStringLiteral("Show..."), this)) {
        m_label->setObjectName(QStringLiteral("label"));
        m_label->setGeometry(DialogRect(5, 8, 80, 25));
        m_show->setObjectName(QStringLiteral("show"));
        m_show->setGeometry(DialogRect(90, 8, 50, 14));
        m_show->setAutoDefault(false);
        AddSelectionFrame(DialogRect(2, 0, 260, 40));
        ShowSheetOnDoubleClick(m_show, true, true);
    }
    void Fill(const cPanelContent& content) override {
        m_label->SetText(ToQString(content.label));
        setToolTip(m_label->accessibleName());
    }

private:
    cMnemonicLabel* m_label;
    QPushButton* m_show;
};

class cNumericPanel : public cFieldPanel {
public:
    cNumericPanel(cCtrlList* node, QWidget* parent)
        : cFieldPanel(node, parent, DialogRect(5, 10, 80, 24)),
          m_edit(new QLineEdit(this)),
          m_upDown(new cUpDown(
              m_edit, [this] { HandToSheet(); }, this)) {
        m_edit->setReadOnly(true);
        // The arrows sit inside the right end of the field, which gives up their width.
        QRect field = DialogRect(90, 10, 165, 12);
        const int arrows = DialogRect(0, 0, 12, 0).width();
        PlaceField(m_edit, QStringLiteral("edit"), field.adjusted(0, 0, -arrows, 0));
        m_upDown->setGeometry(field.right() + 1 - arrows, field.top(), arrows, field.height());
        ShowSheetOnDoubleClick(m_upDown, false);
        connect(m_edit, &QLineEdit::textChanged, this, &cPanelWidget::valueChanged);
    }
    bool Value(cPartValue& value) const override {
        value.text = m_edit->text().toStdU16String();
        return true;
    }
    void Fill(const cPanelContent& content) override {
        ShowLabel(content);
        if (content.editText)
            m_edit->setText(ToQString(*content.editText));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The arrow keys in the field work the arrows.
        if (watched == m_edit && event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                m_upDown->Step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return cPanelWidget::eventFilter(watched, event);
    }

private:
    QLineEdit* m_edit;
    cUpDown* m_upDown;
};

}  // namespace

// ---- cPanelWidget ----------------------------------------------------------------------

namespace {

// What a panel watches on one of its controls; a control may be watched for several.
enum cWatch : int {
    kWatchFocusHandOver = 1,
    kWatchDoubleClickShows = 2,
    kWatchDoubleClickHandsOverAndShows = 4,
};

const char* const kWatchProperty = "tessaryPanelWatch";
const char* const kActivateProperty = "tessaryPanelActivate";

}  // namespace

cPanelWidget::cPanelWidget(cCtrlList* node, QWidget* parent) : QWidget(parent), m_node(node) {
    setFont(SharedFont());
    setFocusPolicy(Qt::NoFocus);
}

QRect cPanelWidget::DialogRect(int x, int y, int width, int height) {
    return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

void cPanelWidget::ShowSelection(bool show) {
    if (m_frame)
        m_frame->setVisible(show);
}

bool cPanelWidget::IsSelected() const {
    return m_frame && !m_frame->isHidden();
}

int cPanelWidget::HandToSheet() {
    return m_node->ShowProperties(SharedState().sheet);
}

void cPanelWidget::ShowSheet(bool activate) {
    if (cPropertySheetSeam* sheet = SharedState().sheet)
        sheet->ShowWindow(activate);
}

void cPanelWidget::AddSelectionFrame(const QRect& rect) {
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setGeometry(rect);
    m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frame->lower();
    m_frame->hide();
}

namespace {

void AddWatch(QWidget* control, int watch) {
    control->setProperty(kWatchProperty, control->property(kWatchProperty).toInt() | watch);
}

}  // namespace

void cPanelWidget::HandOverOnFocus(QWidget* control) {
    AddWatch(control, kWatchFocusHandOver);
    control->installEventFilter(this);
}

void cPanelWidget::ShowSheetOnDoubleClick(QWidget* control, bool activate, bool handOverFirst) {
    AddWatch(control, handOverFirst ? kWatchDoubleClickHandsOverAndShows : kWatchDoubleClickShows);
    control->setProperty(kActivateProperty, activate);
    control->installEventFilter(this);
}

bool cPanelWidget::eventFilter(QObject* watched, QEvent* event) {
    QVariant watch = watched->property(kWatchProperty);
    if (!watch.isValid())
        return QWidget::eventFilter(watched, event);
    auto* control = static_cast<QWidget*>(watched);
    const int watches = watch.toInt();
    if ((watches & kWatchFocusHandOver) && event->type() == QEvent::FocusIn) {
        // The sheet may ask a question first and take the focus away with it.
        if (HandToSheet() == kSheetShown && !control->hasFocus())
            control->setFocus(Qt::OtherFocusReason);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watches & kWatchDoubleClickHandsOverAndShows) {
            HandToSheet();
            ShowSheet(true);
        } else if (watches & kWatchDoubleClickShows) {
            ShowSheet(watched->property(kActivateProperty).toBool());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void cPanelWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    HandToSheet();
    event->accept();
}

void cPanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    ShowSheet(true);
    event->accept();
}

namespace {

// The panel class of each part kind.
template <typename Kind>
struct cPanelOf;
template <>
struct cPanelOf<cObjPolPartCheckBox> {
    using type = cCheckBoxPanel;
};
template <>
struct cPanelOf<cObjPolPartCombo> {
    using type = cComboPanel;
};
template <>
struct cPanelOf<cObjPolPartDropDown> {
    using type = cDropDownPanel;
};
template <>
struct cPanelOf<cObjPolPartEditText> {
    using type = cEditTextPanel;
};
template <>
struct cPanelOf<cObjPolPartListBox> {
    using type = cListBoxPanel;
};
template <>
struct cPanelOf<cObjPolPartNum> {
    using type = cNumericPanel;
};
template <>
struct cPanelOf<cObjPolPartText> {
    using type = cTextPanel;
};
template <>
struct cPanelOf<cObjPolPartMultiText> {
    using type = cMultiTextPanel;
};
// A 64-bit number shows as a number does.
template <>
struct cPanelOf<cObjPolPartLongNum> {
    using type = cNumericPanel;
};

}  // namespace

cPanelWidget* CreatePartPanel(cPanelKind kind, const QRect& rect, cCtrlList* node,
                              QWidget* parent) {
    cPanelWidget* panel = nullptr;
    bool part = ForPartKind(kind, [&](auto partKind) {
        using Panel = typename cPanelOf<typename decltype(partKind)::type>::type;
        panel = new Panel(node, parent);
    });
    // Nodes other than policy parts show an empty panel.
    if (!part)
        panel = new cEmptyPanel(node, parent);
    panel->setGeometry(rect);
    panel->show();
    return panel;
}
