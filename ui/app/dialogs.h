#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

// Shown modally at the end of start-up; closes by itself after a while.
class CDlgWelcome : public QDialog {
    Q_OBJECT
public:
    explicit CDlgWelcome(QWidget* parent = nullptr, int intervalMs = 6000);
    ~CDlgWelcome() override;

    QLabel* Greeting() const { return m_greeting; }
    QLabel* Banner() const { return m_banner; }
    QPushButton* OkButton() const { return m_ok; }
    QTimer* Timer() const { return m_timer; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_greeting;
    QLabel* m_banner;
    QPushButton* m_ok;
    QTimer* m_timer;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* Title() const { return m_title; }

private:
    QLabel* m_title;
};
