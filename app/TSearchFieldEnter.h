#pragma once

#include <QObject>
#include <functional>

class QLineEdit;
class QPushButton;

// Enter in a search field runs the field's search instead of pressing the
// dialog's default button: while the field has the focus the button stops
// being the default, and Enter (or Return) goes to `search`.
class TSearchFieldEnter : public QObject
{
    Q_OBJECT

public:
    TSearchFieldEnter(QLineEdit* field, QPushButton* defaultButton, std::function<void()> search);
    ~TSearchFieldEnter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    QPushButton* m_defaultButton;
    std::function<void()> m_search;
};
