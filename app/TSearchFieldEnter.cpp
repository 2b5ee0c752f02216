#include "app/TSearchFieldEnter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

TSearchFieldEnter::TSearchFieldEnter(QLineEdit* field, QPushButton* defaultButton,
                                     std::function<void()> search)
    : m_field(field), m_defaultButton(defaultButton), m_search(std::move(search))
{
    field->installEventFilter(this);
}

TSearchFieldEnter::~TSearchFieldEnter()
{
    m_field->removeEventFilter(this);
}

bool TSearchFieldEnter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field)
        return false;
    if (event->type() == QEvent::FocusIn)
        m_defaultButton->setDefault(false);
    else if (event->type() == QEvent::FocusOut)
        m_defaultButton->setDefault(true);
    else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_search();
            return true;
        }
    }
    return false;
}
