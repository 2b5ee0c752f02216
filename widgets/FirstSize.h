#pragma once

#include <QRect>
#include <QSize>

class QTableView;
class QWidget;

// The size a window opens at when no size of the user's is stored: what its
// content wants, at least its minimum, at most the screen's free area (the
// area without panels), so that a wide screen shows more and a small one
// never gets a window larger than itself.
QSize FirstWindowSize(QSize content, QSize minimum, const QRect& available);

// The free area of the screen `widget` is on (or of the primary screen).
QRect AvailableScreenArea(const QWidget& widget);

// The width that shows every column of `view` whole, with its frame and
// vertical scroll bar.
int TableViewContentWidth(const QTableView& view);
