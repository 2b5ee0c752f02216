#include "app/core/TApp.h"

#include "base/OrvPaths.h"
#include "settings/RegistryKeys.h"
#include "app/core/TOAlias.h"
#include "app/core/TOAliases.h"
#include "settings/TSettings.h"
#include "base/TextHelpers.h"

#include <QCursor>
#include <QGuiApplication>
#include <algorithm>
#include <utility>

namespace {
constexpr auto kHive = TRegistry::Hive::CurrentUser;
} // namespace

TApp::TApp(std::shared_ptr<TRegistry> registry, QString executableDir)
    : m_registry(std::move(registry)), m_executableDir(std::move(executableDir)),
      m_settings(std::make_shared<TSettings>(m_registry)),
      m_aliases(std::make_shared<TOAliases>(m_registry))
{
}

std::shared_ptr<TApp> TApp::create()
{
    return std::make_shared<TApp>(TRegistry::openDefault(), OrvPaths::executableDir());
}

bool TApp::readNumbers(const QString& name, int count, QList<int>& numbers)
{
    const std::optional<RegValue> value = m_registry->Value(kHive, RegistryKeys::WindowPos, name);
    if (!value)
        return false;
    // A value of another type reads as an empty text: every number is 0.
    const QString text = value->isString() ? value->text : QString();
    int pos = 0;
    for (int i = 0; i < count; ++i)
        numbers << TokenToInt(NextToken(text, pos), 0);
    return true;
}

bool TApp::ReadDialogPos(const QString& DlgName, int& X, int& Y)
{
    QList<int> n;
    if (!readNumbers(DlgName, 2, n))
        return false;
    X = n[0];
    Y = n[1];
    return true;
}

void TApp::WriteDialogPos(const QString& DlgName, int X, int Y)
{
    m_registry->WriteString(kHive, RegistryKeys::WindowPos, DlgName,
                            QStringLiteral("%1,%2").arg(X).arg(Y));
}

bool TApp::ReadWndPlacement(const QString& WndName, int& X, int& Y, int& Width, int& Height,
                            qint16& State)
{
    QList<int> n;
    if (!readNumbers(WndName, 5, n))
        return false;
    X = n[0];
    Y = n[1];
    Width = n[2];
    Height = n[3];
    State = qint16(std::clamp(n[4], 0, 2));
    return true;
}

void TApp::WriteWndPlacement(const QString& WndName, int X, int Y, int Width, int Height,
                             qint16 State)
{
    m_registry->WriteString(
        kHive, RegistryKeys::WindowPos, WndName,
        QStringLiteral("%1,%2,%3,%4,%5").arg(X).arg(Y).arg(Width).arg(Height).arg(State));
}

void TApp::ShowWaitCursor(bool Value)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (!Value) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    } else if (QGuiApplication::overrideCursor()) {
        QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
}

QString TApp::WorkPath() const
{
    const std::shared_ptr<IAlias> work = m_aliases->Find(TOAlias::WorkAliasName());
    return work ? work->Path() : QString();
}

QString TApp::WorkDbPath() const
{
    return OrvPaths::codeTableDir(m_executableDir);
}
