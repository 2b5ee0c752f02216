#pragma once

#include "app/core/MainOrvEntries.h"
#include "app/core/TKUInfo.h"

#include <QList>
#include <QObject>
#include <functional>

class QWidget;
class TMapWindow;

// The main window's map windows: one per open area, raised when asked for
// again, closed with its area and reopened on a newly imported map.
class TAreaMapWindows : public QObject
{
    Q_OBJECT

public:
    // Runs a command, telling the user of any error it throws.
    using Guard = std::function<void(const std::function<void()>&)>;

    // The map windows are top-level windows owned by `owner` (its direct
    // children); a reload reopens them under `guard`.
    TAreaMapWindows(QWidget* owner, Guard guard);

    // What the map commands say for an area without a map: where to get one
    // (the menu command of the map import, under its menu's caption).
    static QString NoMapText(const TKUInfo& area);
    // Whether the area has a readable map; without one says NoMapText. A map
    // found damaged this session counts as none (it was reported once).
    static bool HasMapOrTell(const TKUInfo& area);

    // The map window of the context's area on the context's work table,
    // opened or raised; `toMarked` zooms it to the marked parts.
    void Open(const TSelectionContext& ctx, bool toMarked);
    // The map of the context's area zoomed to the selection, or, without a
    // map in the store, a word where to get one and false.
    bool ShowOf(const TSelectionContext& ctx);
    // Closes the map windows of the area (each storing its place).
    void CloseArea(const QString& areaCode);
    void CloseAll();
    // The shown map windows of these areas reopened on their new maps.
    void Reload(const QList<TSelectionContext>& areas);

signals:
    // A double click on a part of the map of the context's area.
    void browseRequested(const TSelectionContext& ctx, int group, int stem, int subdivision);

private:
    QList<TMapWindow*> windows() const;

    QWidget* m_owner;
    Guard m_guard;
};
