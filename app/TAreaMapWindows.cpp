#include "app/TAreaMapWindows.h"

#include "map/TMapWindow.h"
#include "map/core/AreaMapLookup.h"
#include "widgets/MessageDlg.h"

#include <algorithm>
#include <utility>

namespace {
// The property of a map window naming its area's code.
constexpr char MapAreaProperty[] = "orvAreaCode";
} // namespace

TAreaMapWindows::TAreaMapWindows(QWidget* owner, Guard guard)
    : QObject(owner), m_owner(owner), m_guard(std::move(guard))
{
}

QString TAreaMapWindows::NoMapText(const TKUInfo& area)
{
    // The captions of the area menu and of its map import, as the menu shows them.
    return QStringLiteral("Katastrální území %1 (%2) nemá mapu. Mapu naimportujete příkazem "
                          "„Katastr.území → Importovat mapu VFK...“ ze souboru VFK území, který "
                          "mapu obsahuje (s hranicemi parcel).")
        .arg(area.Katastr, area.Kod);
}

bool TAreaMapWindows::HasMapOrTell(const TKUInfo& area)
{
    if (AreaHasMap(area.Kod))
        return true;
    InfoBox(NoMapText(area));
    return false;
}

QList<TMapWindow*> TAreaMapWindows::windows() const
{
    return m_owner->findChildren<TMapWindow*>(Qt::FindDirectChildrenOnly);
}

void TAreaMapWindows::Open(const TSelectionContext& ctx, bool toMarked)
{
    TMapWindow* window = nullptr;
    for (TMapWindow* w : windows())
        if (w->property(MapAreaProperty).toString() == ctx.KU.Kod)
            window = w;
    if (!window) {
        // Without a map in the store this says where to get one.
        window = new TMapWindow(ctx.App.get(), ctx.KU, ReadAreaMap(ctx.KU.Kod, ctx.KU.Katastr),
                                ctx.WorkTable, m_owner);
        window->setWindowFlag(Qt::Window);
        window->setProperty(MapAreaProperty, ctx.KU.Kod);
        connect(window, &TMapWindow::browseRequested, this,
                [this, ctx](int group, int stem, int subdivision) {
                    emit browseRequested(ctx, group, stem, subdivision);
                });
    }
    window->show();
    if (toMarked)
        window->ZoomToMarked();
    window->raise();
    window->activateWindow();
}

bool TAreaMapWindows::ShowOf(const TSelectionContext& ctx)
{
    if (!HasMapOrTell(ctx.KU))
        return false;
    Open(ctx, true);
    return true;
}

void TAreaMapWindows::CloseArea(const QString& areaCode)
{
    for (TMapWindow* w : windows()) {
        if (w->property(MapAreaProperty).toString() == areaCode) {
            // Deleted later: not to be found again by Open meanwhile.
            w->setProperty(MapAreaProperty, QString());
            w->close();
        }
    }
}

void TAreaMapWindows::CloseAll()
{
    for (TMapWindow* w : windows())
        w->close();
}

void TAreaMapWindows::Reload(const QList<TSelectionContext>& areas)
{
    for (const TSelectionContext& ctx : areas) {
        const QList<TMapWindow*> open = windows();
        const bool shown = std::any_of(open.begin(), open.end(), [&](TMapWindow* w) {
            return w->property(MapAreaProperty).toString() == ctx.KU.Kod && w->isVisible();
        });
        if (!shown)
            continue;
        // The window stores its place on closing, and the new one takes it.
        CloseArea(ctx.KU.Kod);
        m_guard([&] { Open(ctx, false); });
    }
}
