#include "widgets/FirstSize.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

QSize FirstWindowSize(QSize content, QSize minimum, const QRect& available)
{
    return content.expandedTo(minimum).boundedTo(available.size());
}

QRect AvailableScreenArea(const QWidget& widget)
{
    const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

int TableViewContentWidth(const QTableView& view)
{
    int columns = 0;
    for (int c = 0; c < view.horizontalHeader()->count(); ++c)
        if (!view.isColumnHidden(c))
            columns += view.columnWidth(c);
    if (view.verticalHeader()->isVisible())
        columns += view.verticalHeader()->width();
    const int scrollBar = view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
    return columns + scrollBar + 2 * view.frameWidth();
}
