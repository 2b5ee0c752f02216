// Cost of the settings store: every SetValue rewrites the user file
// atomically, every read checks whether the file changed on disk.
#include "app/core/TApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void measure(int existing)
{
    QTemporaryDir dir;
    auto registry =
        std::make_shared<TRegistry>(dir.filePath("user.reg"), dir.filePath("machine.reg"));
    TApp app(registry, dir.path());
    const auto settings = app.Settings();
    for (int i = 0; i < existing; ++i)
        settings->SetValue(QStringLiteral("Dialog%1.Value").arg(i), i);

    constexpr int kWrites = 200;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kWrites; ++i)
        settings->SetValue(QStringLiteral("KatDialog.Okres"), QStringLiteral("Kladno %1").arg(i));
    const double writeMs = double(timer.nsecsElapsed()) / 1e6 / kWrites;

    constexpr int kReads = 20000;
    timer.restart();
    int sum = 0;
    for (int i = 0; i < kReads; ++i)
        sum +=
            settings->GetValue(QStringLiteral("Dialog%1.Value").arg(i % (existing + 1)), 0).toInt();
    const double readUs = double(timer.nsecsElapsed()) / 1e3 / kReads;

    timer.restart();
    TRegistry cold(dir.filePath("user.reg"), dir.filePath("machine.reg"));
    cold.ValueExists(TRegistry::Hive::CurrentUser, QStringLiteral("Software"), QStringLiteral("x"));
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("%6d values: SetValue %.3f ms, GetValue %.2f us, load of the file %.2f ms "
                "(checksum %d)\n",
                existing + 1, writeMs, readUs, loadMs, sum);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    for (int existing : {10, 100, 1000})
        measure(existing);
    return 0;
}
