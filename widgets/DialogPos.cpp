#include "widgets/DialogPos.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
QRect screenRect(const QWidget* form)
{
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QSize outerSize(const QWidget* form)
{
    return form->frameGeometry().size();
}
} // namespace

void RestoreDialogPos(IApp& app, QWidget* form)
{
    int x = 0;
    int y = 0;
    if (app.ReadDialogPos(form->objectName(), x, y))
        form->move(x, y);
}

void SaveDialogPos(IApp& app, QWidget* form)
{
    app.WriteDialogPos(form->objectName(), form->x(), form->y());
}

void CenterDialog(IApp& app, QWidget* anchor, QWidget* form)
{
    const QRect screen = screenRect(form);
    const QSize size = outerSize(form);
    if (anchor) {
        const QPoint topLeft = anchor->mapToGlobal(QPoint(0, 0));
        // Halves are rounded towards zero, as integer division does.
        form->move(topLeft.x() + (anchor->width() - size.width()) / 2,
                   topLeft.y() + (anchor->height() - size.height()) / 2);
    } else {
        form->move(screen.x() + (screen.width() - size.width()) / 2,
                   screen.y() + (screen.height() - size.height()) / 2);
        RestoreDialogPos(app, form);
    }
    int left = form->x();
    int top = form->y();
    if (left + size.width() > screen.x() + screen.width())
        left = screen.x() + screen.width() - size.width();
    if (top + size.height() > screen.y() + screen.height())
        top = screen.y() + screen.height() - size.height();
    form->move(qMax(left, screen.x()), qMax(top, screen.y()));
}
