#include "ui/app/dialogfileformat.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

cDialogFileFormat::cDialogFileFormat(QWidget* parent)
    : QDialog(parent),
      m_unicode(new QRadioButton(
          QStringLiteral("UNICODE format, for Windows2000 or NT4 (Recommended)."), this)),
      m_ascii(new QRadioButton(QStringLiteral("ASCII format, for Windows95/98 or NT4."), this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("Fileformat"));
    auto* label = new QLabel(
        QStringLiteral("Please select the format in which to save the template file."), this);

    auto* group = new QButtonGroup(this);
    group->addButton(m_unicode);
    group->addButton(m_ascii);

    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &cDialogFileFormat::OnOk);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addSpacing(6);
    layout->addWidget(m_unicode);
    layout->addWidget(m_ascii);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    SetChoice(m_choice);
}

void cDialogFileFormat::SetChoice(int choice) {
    m_choice = choice;
    // An exclusive group refuses to clear its last checked button.
    QButtonGroup* group = m_unicode->group();
    group->setExclusive(false);
    m_unicode->setChecked(choice == 1);
    m_ascii->setChecked(choice == 0);
    group->setExclusive(true);
}

void cDialogFileFormat::OnOk() {
    m_choice = m_unicode->isChecked() ? 1 : 0;
    accept();
}
