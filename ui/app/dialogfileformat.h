#pragma once

#include <QDialog>

class QRadioButton;
class QPushButton;

// Asks in which encoding a template is saved. The choice is 1 for UTF-16, 0 for 8-bit text;
// it changes only when the dialog ends with OK.
class cDialogFileFormat : public QDialog {
    Q_OBJECT
public:
    explicit cDialogFileFormat(QWidget* parent = nullptr);

    int Choice() const { return m_choice; }
    // Selects the matching button; any other value selects neither.
    void SetChoice(int choice);

    QRadioButton* UnicodeButton() const { return m_unicode; }
    QRadioButton* AsciiButton() const { return m_ascii; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void OnOk();

    int m_choice = 1;
    QRadioButton* m_unicode;
    QRadioButton* m_ascii;
    QPushButton* m_ok;
};
