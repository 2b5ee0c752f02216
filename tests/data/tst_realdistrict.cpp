#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "db/paradox/ParadoxTable.h"

#include <QSet>
#include <QTest>

// The text forms applied to the real district of Saladín agree with what the
// registry itself wrote.
class TestRealDistrict : public QObject
{
    Q_OBJECT
private:
    static QString table(const char* prefix)
    {
        return TestSupport::realDistrictDir() + '/' + CadastralTables::PerAreaTable(prefix, "001");
    }

private slots:
    void parcelNumbersAgreeWithParcisloColumn()
    {
        const ParadoxReader pa(table(CadastralTables::ParcelPrefix));
        for (int pos = 0; pos < CadastralTables::FixedParcelFieldCount; ++pos) {
            const QString name = CadastralTables::ParcelFieldName(pos);
            if (!name.isEmpty())
                QCOMPARE(pa.header().fields[pos].name, name);
        }
        const int skup = pa.fieldIndex("PARSKUP"), cis = pa.fieldIndex("PARCIS"),
                  pod = pa.fieldIndex("PARPOD"), text = pa.fieldIndex("PARCISLO");
        int rows = 0;
        QStringList mismatches;
        pa.forEachRecord([&](const ParadoxRecord& r) {
            const ParcelKey key{int(r.toInt64(skup)), int(r.toInt64(cis)), int(r.toInt64(pod))};
            const QString stored = r.toString(text).trimmed();
            if (FormatParcelNumber(key) != stored || !(ParseParcelNumber(stored) == key))
                mismatches.append(stored);
            ++rows;
        });
        QCOMPARE(rows, 144);
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(", ")));
    }

    void houseNumbersOfBuildingParcels()
    {
        const ParadoxReader pa(table(CadastralTables::ParcelPrefix));
        const int text = pa.fieldIndex("PARCISLO"), cpce = pa.fieldIndex("CPCE"),
                  use = pa.fieldIndex("NEMVYUZ"), skup = pa.fieldIndex("PARSKUP"),
                  kind = pa.fieldIndex("DRUHPOZ");
        QHash<QString, QString> shown;
        int descriptive = 0;
        pa.forEachRecord([&](const ParadoxRecord& r) {
            const QString number = HouseNumberReportText(WholeNumber(r.toDouble(cpce)),
                                                         int(r.toInt64(use)), int(r.toInt64(skup)));
            shown.insert(r.toString(text).trimmed(), number);
            if (r.toInt64(kind) == BuildingLandKind && number.endsWith('p'))
                ++descriptive;
        });
        QCOMPARE(shown.value("-5/1"), QStringLiteral("5/1p"));
        QCOMPARE(shown.value("-12/2"), QStringLiteral("17/1p"));
        QCOMPARE(shown.value("-14/2"), QString());
        QCOMPARE(shown.value("351"), QString());
        QCOMPARE(descriptive, 7); // houses with a descriptive number in the source
    }

    // Records of kind 90/93 and the rights name parcels as packed references;
    // unpacked, each names a parcel of the area.
    void packedReferencesNameExistingParcels()
    {
        const ParadoxReader pa(table(CadastralTables::ParcelPrefix));
        QSet<QString> parcels;
        const int text = pa.fieldIndex("PARCISLO");
        pa.forEachRecord(
            [&](const ParadoxRecord& r) { parcels.insert(r.toString(text).trimmed()); });

        const ParadoxReader vl(table(CadastralTables::RecordPrefix));
        const int kod = vl.fieldIndex("DOPLKOD"), udaj = vl.fieldIndex("DOPLUDAJ"),
                  list = vl.fieldIndex("LISTCIS");
        QStringList referenced, deeds;
        vl.forEachRecord([&](const ParadoxRecord& r) {
            const double value = r.toDouble(udaj);
            if (r.toInt64(kod) != RecordLandSheetOfBuilding && value > 0)
                referenced.append(FormatParcelNumber(UnpackParcelReference(value)));
            deeds.append(DeedNumberText(WholeNumber(r.toDouble(list))));
        });
        QVERIFY(referenced.contains("-14/2"));
        for (const QString& p : referenced)
            QVERIFY2(parcels.contains(p), qPrintable(p));
        QVERIFY(deeds.contains("1416/17"));
        QVERIFY(deeds.contains(""));
    }

    void sharesOfTheRealSheets()
    {
        const ParadoxReader uv(table(CadastralTables::RelationPrefix));
        const int podil = uv.fieldIndex("PODIL");
        QSet<QString> shares;
        uv.forEachRecord([&](const ParadoxRecord& r) {
            shares.insert(ShareText(WholeNumber(r.toDouble(podil))));
        });
        QCOMPARE(shares, QSet<QString>{"1/1"});
    }
};

QTEST_GUILESS_MAIN(TestRealDistrict)
#include "tst_realdistrict.moc"
