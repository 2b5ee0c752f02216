#include "widgets/DialogPos.h"

#include <QDialog>
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

bool keepsSize(const QWidget* form)
{
    const auto* dialog = qobject_cast<const QDialog*>(form);
    return dialog && dialog->isSizeGripEnabled();
}
} // namespace

void RestoreDialogPos(IApp& app, QWidget* form)
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    qint16 state = 0;
    // A position stored without a size reads as width and height 0.
    if (keepsSize(form) && app.ReadWndPlacement(form->objectName(), x, y, width, height, state) &&
        width > 0 && height > 0)
        form->resize(
            QSize(width, height).expandedTo(form->minimumSize()).boundedTo(form->maximumSize()));
    if (app.ReadDialogPos(form->objectName(), x, y))
        form->move(x, y);
}

void SaveDialogPos(IApp& app, QWidget* form)
{
    if (keepsSize(form))
        app.WriteWndPlacement(form->objectName(), form->x(), form->y(), form->width(),
                              form->height(), 0);
    else
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
