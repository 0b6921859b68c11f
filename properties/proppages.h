#pragma once

#include <QGroupBox>
#include <QWidget>
#include <optional>

#include "properties/pagevalues.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// A page of the property sheet. The sheet fills it from a node, asks it to check its
// fields, and has it write them back; the page's modified flag tells the sheet whether
// there is anything to ask about.
class cPropPage : public QWidget {
    Q_OBJECT
public:
    explicit cPropPage(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    virtual void Fill(cData& node) { (void)node; }
    // An error text, or none when the page may be applied.
    virtual std::optional<Text> Validate() const { return std::nullopt; }
    // Writes the controls into node when the page is modified; clears the flag always.
    virtual void Apply(cData& node) {
        (void)node;
        m_modified = false;
    }
    // The sheet removes the page: a page whose controls are made on first show drops them.
    virtual void Removed() {}

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

protected:
    void MarkChanged() { m_modified = true; }

private:
    QString m_caption;
    bool m_modified = false;
};

// The "Registry Key" group.
class cKeyGroup : public QWidget {
    Q_OBJECT
public:
    explicit cKeyGroup(QWidget* parent = nullptr);

    // disableOwnKey: under "Use default:" the own-key edit is disabled rather than
    // read-only.
    void Set(const cKeyGroupValues& values, bool disableOwnKey);
    cKeyGroupValues Values() const;

    QRadioButton* useDefault;
    QLineEdit* defaultKey;
    QRadioButton* useKey;
    QLineEdit* ownKey;

signals:
    void changed();

private:
    void UpdateOwnKey();

    bool m_disableOwnKey = false;
};

// "Value when checked" or "Value when unchecked".
class cValueGroup : public QGroupBox {
    Q_OBJECT
public:
    cValueGroup(const QString& title, const QString& defaultText, QWidget* parent = nullptr);

    void Set(const cValueGroupValues& values);
    cValueGroupValues Values() const;
    // The radio buttons are usable; the edit and "Numeric" also need "Explicit value".
    void SetUsable(bool usable);

    QRadioButton* defaultValue;
    QRadioButton* deleteValue;
    QRadioButton* explicitValue;
    QCheckBox* numeric;
    QLineEdit* text;

signals:
    void changed();

private:
    void UpdateExplicit();

    bool m_usable = true;
};

class cPPNull : public cPropPage {
    Q_OBJECT
public:
    explicit cPPNull(QWidget* parent = nullptr);
};

class cPPClass1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPClass1(QWidget* parent = nullptr);
    void Fill(cData& node) override;

    QLineEdit* classType;
};

class cPPCategory1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPCategory1(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    void Apply(cData& node) override;
    cCategoryPageValues Values() const;

    QLineEdit* name;
    cKeyGroup* key;
    QCheckBox* explain;
    QLineEdit* explainText;
};

class cPPPolicy2;

class cPPPolicy1 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPPolicy1(cPPPolicy2* second, QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    // Writes both policy pages into the node.
    void Apply(cData& node) override;
    cPolicyPage1Values Values() const;

    QLineEdit* name;
    cKeyGroup* key;
    QCheckBox* valueNameCheck;
    QLineEdit* valueName;
    cValueGroup* valueOn;
    cValueGroup* valueOff;
    QPushButton* actionList;

private:
    void UpdateValueName();

    cPPPolicy2* m_second;  // Not owned.
    // The node's lists as the page holds them until an apply.
    cActionList m_actionListOn;
    cActionList m_actionListOff;
};

// The second policy page. Its values wait in members until the user first shows it; only
// then are its controls made.
class cPPPolicy2 : public cPropPage {
    Q_OBJECT
public:
    explicit cPPPolicy2(QWidget* parent = nullptr);

    void SetValues(const cPolicyPage2Values& values) { m_values = values; }
    // The members, read back from the controls when the page was shown and changed.
    cPolicyPage2Values TakeValues();
    bool HasWindow() const { return m_content != nullptr; }
    void Removed() override;

    QCheckBox* explain = nullptr;
    QLineEdit* explainText = nullptr;
    QCheckBox* supported = nullptr;
    QLineEdit* supportedText = nullptr;
    QCheckBox* clientExt = nullptr;
    QLineEdit* clientExtText = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateWindow();

    cPolicyPage2Values m_values;
    QWidget* m_content = nullptr;
};

class cPPVersion : public cPropPage {
    Q_OBJECT
public:
    explicit cPPVersion(QWidget* parent = nullptr);
    void Fill(cData& node) override;
    std::optional<Text> Validate() const override;
    void Apply(cData& node) override;
    cVersionPageValues Values() const;

    QComboBox* op;
    QLineEdit* number;
};
