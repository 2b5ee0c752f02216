#include "widgets/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <climits>

namespace {
constexpr int kDesignPixelsPerInch = 96;
}

int ScaleToScreen(int value, int pixelsPerInch)
{
    // 64-bit intermediate as in a multiply-divide, rounded half away from zero.
    const long long product = static_cast<long long>(value) * pixelsPerInch;
    const long long half = kDesignPixelsPerInch / 2;
    const long long q = product >= 0 ? (product + half) / kDesignPixelsPerInch
                                     : -((-product + half) / kDesignPixelsPerInch);
    return static_cast<int>(std::clamp<long long>(q, INT_MIN, INT_MAX));
}

int ScaleToScreen(int value)
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const int ppi = screen ? qRound(screen->logicalDotsPerInch()) : kDesignPixelsPerInch;
    return ScaleToScreen(value, ppi);
}
