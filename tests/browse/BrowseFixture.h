#pragma once

#include "app/core/StartupCheck.h"
#include "app/core/TApp.h"
#include "app/core/TKUInfo.h"
#include "settings/TRegistry.h"
#include "data/DemoDistrictGenerator.h"
#include "data/DemoFields.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "db/BatchMove.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

using namespace DemoFields;

// A sandbox for browser tests: settings and aliases in a temporary
// directory, the demo district's code tables as the code directory, and a
// small district "CTL" written here with parts, owners and records chosen
// for the browser's cases.
class BrowseFixture
{
public:
    BrowseFixture()
    {
        qputenv("ORV_CONFIG_DIR", m_dir.filePath("config").toUtf8());
        QDir().mkpath(m_dir.filePath("config"));
        QDir().mkpath(workDir());
        m_registry =
            std::make_shared<TRegistry>(m_dir.filePath("user.reg"), m_dir.filePath("machine.reg"));
        m_app = std::make_shared<TApp>(m_registry, m_dir.path());
        SetWorkDir(*m_app, *m_registry, workDir());
    }

    static void writeDemoDistrict(const QString& dir)
    {
        DemoDistrictGenerator({DemoDistrictGenerator::Size::Small, 1}).generate(dir);
    }

    // The controlled district into `root`/ctl, the demo district into
    // `root`/demo; the program reads the demo's code tables.
    static void writeDistricts(const QTemporaryDir& root)
    {
        writeControlledDistrict(root.filePath("ctl"));
        writeDemoDistrict(root.filePath("demo"));
        qputenv("ORV_WORKDB", root.filePath("demo/WorkDB").toUtf8());
    }

    // The controlled district (area "001") in `dir`.
    static void writeControlledDistrict(const QString& dir)
    {
        QDir().mkpath(dir);
        const double key153 = 20000015003.0;
        // PARSKUP PARCIS PARPOD PARDIL VYMERA KVALITA DRUHPOZ NEMOCHR NEMVYUZ BONITA
        // CPCE ELCIS LVCIS VLVZTAH MAPA UMIST TYPVL PPOLVZ PARCISLO
        ParadoxWriter::writeTable(
            dir + "/NYSPA001.DB", parcelFields(), 4,
            {{1, 20, 0, 1, 100.0, 0, 13, 0, 21, 0, 10001.0, 3, 11, 1, "B2", 0, 0, 0, "-20"},
             {2, 15, 3, 1, 500.0, 1, 13, 302, 20, 12345, 25.0, 7, 10, 5, "A1", 0, 0, 1234, "15/3"},
             {2, 15, 3, 2, 300.0, 2, 2, 0, 0, 0, 0.0, 7, 10, 1, "A1", 0, 0, 0, "15/3"},
             {2, 16, 0, 1, 50.0, 0, 2, 0, 0, 0, 0.0, 8, 10, 1, "A2", 0, 0, 0, "16"},
             {3, 40, 0, 1, 900.0, 0, 2, 0, 0, 0, 30015.0, 0, 0, 1, "PK", 0, 0, 0, "3:40"}});
        ParadoxWriter::writeTable(dir + "/NYSUV001.DB",
                                  {numberField("ELLVCIS"), shortField("VLPOR"),
                                   numberField("IDENT"), shortField("UVCHAR"), numberField("PODIL"),
                                   shortField("SEKTOR")},
                                  2,
                                  {{10.0, 1, 111.0, 1, 100002.0, 1},
                                   {10.0, 2, 222.0, 2, 100002.0, 1},
                                   {25.0, 1, 333.0, 1, 100001.0, 2},
                                   {7.0, 1, 444.0, 11, 0.0, 3}});
        // Svoboda (222) is related with characteristic 2 and kept only under 1,
        // a row that sorts before the relation's key.
        ParadoxWriter::writeTable(
            dir + "/NYSOBORG.DB",
            {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)}, 2,
            {{111.0, 1, "Novák Jan"}, {222.0, 1, "Svoboda Petr"}, {444.0, 11, "Uživatel Ústí"}});
        ParadoxWriter::writeTable(dir + "/NYSVL001.DB",
                                  {numberField("DLVCIS"), shortField("DOPLPOR"),
                                   shortField("DOPLKOD"), numberField("DOPLUDAJ"),
                                   shortField("LISTDRUH"), numberField("LISTCIS"),
                                   numberField("DOPLVZ"), shortField("DOPLZM")},
                                  3,
                                  {{10.0, 1, 82, 25.0, 0, 0.0, 0.0, 0},
                                   {10.0, 1, 90, key153, 0, 0.0, 0.0, 0},
                                   {10.0, 2, 93, key153, 0, 1205.0, 1234.0, 0},
                                   {10.0, 3, 93, 16000.0, 0, 0.0, 0.0, 0}});
        ParadoxWriter::writeTable(dir + "/NYSTX001.DB",
                                  {numberField("DLVCIS"), shortField("DOPLPOR"),
                                   shortField("RADEK"), alphaField("TEXT", 60)},
                                  3, {{10.0, 2, 1, "první řádek textu"}});
        ParadoxWriter::writeTable(
            dir + "/NYSBO001.DB",
            {shortField("PARSKUP"), numberField("PARCIS"), shortField("PARPOD"),
             numberField("VYMERA"), alphaField("BONITA", 5), numberField("BPOLVZ")},
            0, {{2, 15.0, 3, 800.0, "12345", 101.0}, {2, 16.0, 0, 50.0, "54321", 0.0}});
    }

    void setAliases(const QList<QPair<QString, QString>>& districts)
    {
        EngineAliases aliases(EngineAliases::defaultFilePath());
        for (const auto& [name, dir] : districts)
            aliases.addStandard(name, dir);
        aliases.save();
        Engine::instance().aliases() = aliases;
    }

    // A fresh work table "PRAC.DB" holding these parcels of the area (all
    // parts, marked); numbers the area lacks become placeholder rows.
    QString fillWorkTable(const QString& alias, const QStringList& parcels)
    {
        AddParcelsToWork(parcels, *createWorkTable(), *OpenParcelTable(alias, "001"), true);
        return workTablePath();
    }

    QString fillWorkTableWithArea(const QString& alias)
    {
        Query all;
        all.setDatabaseName(alias);
        all.setSql("SELECT PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE, NEMVYUZ, "
                   "PARCISLO, LVCIS FROM \"NYSPA001.DB\"");
        all.open();
        CopyIntoWorkAndMark(all, *createWorkTable(), BatchMove::Mode::Append);
        return workTablePath();
    }

    // A work table of (PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE,
    // NEMVYUZ, PARCISLO, LVCIS, FLAG) rows.
    QString fillWorkTableWithRows(const QList<QVariantList>& rows)
    {
        const std::unique_ptr<Table> work = createWorkTable();
        work->open();
        const QStringList fields = {"PARSKUP", "PARCIS",  "PARPOD",   "PARDIL", "VYMERA", "DRUHPOZ",
                                    "CPCE",    "NEMVYUZ", "PARCISLO", "LVCIS",  "FLAG"};
        for (const QVariantList& row : rows) {
            work->append();
            for (int i = 0; i < fields.size(); ++i)
                work->setValue(fields[i], row[i]);
            work->post();
        }
        work->close();
        return workTablePath();
    }

    std::shared_ptr<TApp> app() const { return m_app; }
    std::shared_ptr<TRegistry> registry() const { return m_registry; }
    TKUInfo area(const QString& alias) const
    {
        return {alias, "Okres", "Obec", "Katastr " + alias, "001", "600001"};
    }
    QString workDir() const { return m_dir.filePath("work"); }
    QString workTablePath() const { return workDir() + "/PRAC.DB"; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    std::unique_ptr<Table> createWorkTable() const
    {
        auto work = std::make_unique<Table>();
        work->setDatabaseName(workDir());
        work->setTableName("PRAC.DB");
        CreateWorkTable(*work);
        return work;
    }

    QTemporaryDir m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
};
