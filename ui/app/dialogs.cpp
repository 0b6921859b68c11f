#include "ui/app/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/text/messages.h"
#include "ui/app/pelwinapp.h"

CDlgWelcome::CDlgWelcome(QWidget* parent, int intervalMs)
    : QDialog(parent),
      m_greeting(new QLabel(this)),
      m_banner(new QLabel(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_timer(new QTimer(this)) {
    setWindowTitle(QString::fromStdU16String(kAppTitle));
    m_greeting->setText(QStringLiteral("Welcome the Tessary.\n\n"));
    m_greeting->setAlignment(Qt::AlignCenter);
    QFont big = font();
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 2);
    else
        big.setPointSizeF(big.pointSizeF() * 2);
    m_banner->setFont(big);
    m_banner->setAlignment(Qt::AlignCenter);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_timer->setSingleShot(true);
    m_timer->setInterval(intervalMs);
    connect(m_timer, &QTimer::timeout, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_greeting);
    layout->addWidget(m_banner);
    layout->addLayout(buttons);
    setMinimumWidth(280);
}

CDlgWelcome::~CDlgWelcome() {
    m_timer->stop();
}

void CDlgWelcome::done(int result) {
    m_timer->stop();
    QDialog::done(result);
}

void CDlgWelcome::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_timer->start();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_title(new QLabel(this)) {
    setWindowTitle(QStringLiteral("About Tessary"));
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    m_title->setText(QString::fromStdU16String(kAppTitle));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addSpacing(8);
    layout->addWidget(m_title, 1, Qt::AlignVCenter);
    layout->addWidget(ok, 0, Qt::AlignTop);
    setMinimumWidth(300);
}
