// Cost of the settings store: every SetValue rewrites the user file
// atomically, every read checks whether the file changed on disk.
#include "app/core/TApp.h"

#include <QFile>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

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
// A user file grown by hand edits or another program: `keys` keys of one
// value each, then one key of `keys` values of which every other one is
// deleted again by a "name"=- line. Prints the time of the first read.
void measureLargeFile(int keys)
{
    QTemporaryDir dir;
    QByteArray text = "REGEDIT4\n\n";
    for (int i = 0; i < keys; ++i)
        text += QStringLiteral("[HKEY_CURRENT_USER\\Software\\VELDO\\ORV\\Klic%1]\n"
                               "\"Hodnota\"=dword:%2\n\n")
                    .arg(i)
                    .arg(i, 8, 16, QLatin1Char('0'))
                    .toUtf8();
    text += "[HKEY_CURRENT_USER\\Software\\VELDO\\ORV\\Settings]\n";
    for (int i = 0; i < keys; ++i)
        text += QStringLiteral("\"Dialog%1.Value\"=\"%1\"\n").arg(i).toUtf8();
    for (int i = 0; i < keys; i += 2)
        text += QStringLiteral("\"Dialog%1.Value\"=-\n").arg(i).toUtf8();
    QFile file(dir.filePath("user.reg"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return;
    file.close();

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    TRegistry cold(dir.filePath("user.reg"), dir.filePath("machine.reg"));
    const bool found = cold.ValueExists(TRegistry::Hive::CurrentUser,
                                        QStringLiteral("Software\\VELDO\\ORV\\Settings"),
                                        QStringLiteral("Dialog1.Value"));
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("file of %d keys and %d values (%d deleted), %.1f MB: load %.1f ms "
                "(processor %.1f ms, %s)\n",
                keys, 2 * keys, keys / 2, double(text.size()) / 1e6, loadMs, cpuMs,
                found ? "read" : "NOT READ");
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    for (int existing : {10, 100, 1000})
        measure(existing);
    measureLargeFile(32000);
    return 0;
}
