// Time to generate the demo district of each size (target: "district" in
// under 30 s). Usage: bench_gen [small|district|city ...]
#include "data/DemoDistrictGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList sizes = app.arguments().mid(1);
    if (sizes.isEmpty())
        sizes = {QStringLiteral("small"), QStringLiteral("city"), QStringLiteral("district")};
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        DemoDistrictGenerator::Options options;
        options.size = DemoDistrictGenerator::parseSize(name);
        QElapsedTimer timer;
        timer.start();
        const auto s = DemoDistrictGenerator(options).generate(dir.path());
        std::printf("gen %-8s %3d areas %7lld parts %6lld owners %6lld sheets %7lld records: "
                    "%.2f s\n",
                    qPrintable(name), s.areas, s.parcelParts, s.owners, s.sheets, s.records,
                    timer.elapsed() / 1000.0);
    }
    return 0;
}
