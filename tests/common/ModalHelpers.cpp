#include "ModalHelpers.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace TestSupport {
void onNextModal(const std::function<void(QWidget*)>& handle)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handle(modal);
        }
    });
    timer->start();
}
} // namespace TestSupport
