// Text forms of parcel numbers, house numbers, shares and deeds: the tricky
// cases one by one, and applied to the real district of Saladín, where they
// must agree with what the registry itself wrote.
#include "common/TestSupport.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "db/paradox/ParadoxTable.h"

#include <QSet>

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(ParcelKey)

class TestParcelNumber : public QObject
{
    Q_OBJECT
    static QString realTable(const char* prefix)
    {
        return TestSupport::realDistrictDir() + '/' + CadastralTables::PerAreaTable(prefix, "001");
    }

private slots:
    void formatsEveryGroup_data()
    {
        QTest::addColumn<int>("skup");
        QTest::addColumn<int>("cis");
        QTest::addColumn<int>("pod");
        QTest::addColumn<QString>("text");
        QTest::newRow("land") << 2 << 15 << 0 << "15";
        QTest::newRow("building subdivided") << 1 << 15 << 3 << "-15/3";
        QTest::newRow("land cadastre") << 5 << 7 << 0 << "(7)";
        QTest::newRow("land cadastre building") << 4 << 7 << 1 << "(-7/1)";
        QTest::newRow("defunct") << 3 << 7 << 0 << "3:7";
        QTest::newRow("allotment") << 7 << 120 << 0 << "7:120";
        QTest::newRow("other area subdivided") << 8 << 15 << 2 << "8:15/2";
        QTest::newRow("negated group hides sign") << -2 << 15 << 0 << "15";
        QTest::newRow("negated building") << -1 << 15 << 0 << "-15";
        QTest::newRow("group zero") << 0 << 15 << 0 << "0:15";
        QTest::newRow("huge group") << std::numeric_limits<int>::min() << 1 << 0 << "2147483648:1";
    }
    void formatsEveryGroup()
    {
        QFETCH(int, skup);
        QFETCH(int, cis);
        QFETCH(int, pod);
        QFETCH(QString, text);
        QCOMPARE(FormatParcelNumber(skup, cis, pod), text);
    }

    void parsesTypedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ParcelKey>("key");
        QTest::newRow("empty") << "" << ParcelKey{2, 0, 0};
        QTest::newRow("plain") << "12" << ParcelKey{2, 12, 0};
        QTest::newRow("building") << "-12" << ParcelKey{1, 12, 0};
        QTest::newRow("land cadastre") << "(12)" << ParcelKey{5, 12, 0};
        QTest::newRow("land cadastre building") << "(-12/3)" << ParcelKey{4, 12, 3};
        QTest::newRow("group prefix with dash") << "7:-15" << ParcelKey{6, 15, 0};
        QTest::newRow("group 9 building") << "9:-4" << ParcelKey{8, 4, 0};
        QTest::newRow("question mark negates") << "?15" << ParcelKey{-2, 15, 0};
        QTest::newRow("question marks anywhere") << "-1?5/?2" << ParcelKey{-1, 15, 2};
        QTest::newRow("letters") << "abc" << ParcelKey{2, 0, 0};
        QTest::newRow("letter as group") << "x:5" << ParcelKey{0, 5, 0};
        QTest::newRow("bad subdivision") << "15/x" << ParcelKey{2, 15, 0};
        QTest::newRow("second slash") << "15/2/3" << ParcelKey{2, 15, 0};
        QTest::newRow("blanks") << " 15 / 2 " << ParcelKey{2, 15, 2};
        QTest::newRow("overflow") << "99999999999" << ParcelKey{2, 0, 0};
        QTest::newRow("unclosed paren") << "(7" << ParcelKey{5, 7, 0};
        QTest::newRow("only paren") << "(" << ParcelKey{5, 0, 0};
        QTest::newRow("only colon") << "1:" << ParcelKey{1, 0, 0};
        QTest::newRow("non-ascii digits") << QString::fromUtf8("١٢") << ParcelKey{2, 0, 0};
        QTest::newRow("czech letters") << QString::fromUtf8("ž:čř/ů") << ParcelKey{0, 0, 0};
    }
    void parsesTypedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(ParcelKey, key);
        const ParcelKey got = ParseParcelNumber(text);
        QCOMPARE(got.parskup, key.parskup);
        QCOMPARE(got.parcis, key.parcis);
        QCOMPARE(got.parpod, key.parpod);
    }

    void formatAndParseRoundTrip()
    {
        for (int skup = 1; skup <= 9; ++skup) {
            for (int pod : {0, 1, 27}) {
                const ParcelKey key{skup, 4321, pod};
                QCOMPARE(ParseParcelNumber(FormatParcelNumber(key)), key);
            }
        }
    }

    void unpacksParcelReferences()
    {
        QCOMPARE(UnpackParcelReference(20001234567.0), (ParcelKey{2, 1234, 567}));
        QCOMPARE(UnpackParcelReference(1234005.0), (ParcelKey{2, 1234, 5}));
        QCOMPARE(UnpackParcelReference(10000014002.0), (ParcelKey{1, 14, 2}));
        QCOMPARE(UnpackParcelReference(90000000001.0), (ParcelKey{9, 0, 1}));
        QCOMPARE(UnpackParcelReference(0.0), (ParcelKey{2, 0, 0}));
        const ParcelKey key{7, 9999999, 999};
        QCOMPARE(UnpackParcelReference(double(PackParcelReference(key))), key);
        // Garbage never crashes and gives nothing sensible-looking.
        QCOMPARE(UnpackParcelReference(std::numeric_limits<double>::quiet_NaN()), ParcelKey{});
        QCOMPARE(UnpackParcelReference(std::numeric_limits<double>::infinity()), ParcelKey{});
        QCOMPARE(UnpackParcelReference(1e300), ParcelKey{});
        const ParcelKey huge = UnpackParcelReference(9.1e18);
        QCOMPARE(huge.parskup, 910000000); // 64-bit arithmetic, no overflow
    }

    void showsHouseNumbers()
    {
        // Browser grid: padded number, split into number / part from 10001 on.
        QCOMPARE(HouseNumberGridText(30012, 400, 1), QStringLiteral("  12/3p"));
        QCOMPARE(HouseNumberGridText(10000, 400, 1), QStringLiteral("10000  p"));
        QCOMPARE(HouseNumberGridText(5, 401, 2), QStringLiteral("   5  e"));
        QCOMPARE(HouseNumberGridText(5, 402, 2), QStringLiteral("   5  e"));
        QCOMPARE(HouseNumberGridText(0, 400, 1), QString());
        QCOMPARE(HouseNumberGridText(-7, 400, 1), QString());
        QCOMPARE(HouseNumberGridText(123456789, 0, 1), QStringLiteral("6789/12345p"));
        // Older registers show no kind.
        QCOMPARE(HouseNumberGridText(10005, 400, 3), QStringLiteral("   5/1"));
        // Printed forms: no padding, empty only for 0.
        QCOMPARE(HouseNumberReportText(30012, 400, 1), QStringLiteral("12/3p"));
        QCOMPARE(HouseNumberReportText(10000, 1, 2), QStringLiteral("10000e"));
        QCOMPARE(HouseNumberReportText(0, 1, 2), QString());
        QCOMPARE(HouseNumberReportText(10017, 400, 5), QStringLiteral("17/1"));
        QCOMPARE(HouseNumberReportText(std::numeric_limits<qint64>::max(), -3, 1).isEmpty(), false);
    }

    void showsSharesItemsAndDeeds()
    {
        QCOMPARE(ShareText(100002), QStringLiteral("1/2"));
        QCOMPARE(ShareText(100001), QStringLiteral("1/1"));
        QCOMPARE(ShareText(1700099), QStringLiteral("17/99"));
        QCOMPARE(ShareText(0), QString());
        QCOMPARE(ChangeItemText(141617), QStringLiteral("1416/17"));
        QCOMPARE(ChangeItemText(0), QStringLiteral("0/0"));
        QCOMPARE(DeedNumberText(141617), QStringLiteral("1416/17"));
        QCOMPARE(DeedNumberText(102405), QStringLiteral("1024/ 5"));
        QCOMPARE(DeedNumberText(0), QString());
        QVERIFY(!DeedNumberText(std::numeric_limits<qint64>::min()).isEmpty());
    }

    void wholeNumbersRoundHalfToEven()
    {
        QCOMPARE(WholeNumber(2.5), qint64(2));
        QCOMPARE(WholeNumber(3.5), qint64(4));
        QCOMPARE(WholeNumber(-2.5), qint64(-2));
        QCOMPARE(WholeNumber(20000342000.0), qint64(20000342000));
        QCOMPARE(WholeNumber(std::numeric_limits<double>::quiet_NaN()), qint64(0));
        QCOMPARE(WholeNumber(1e300), std::numeric_limits<qint64>::max());
    }

    void olderRegisterReferenceRoundTrip()
    {
        const OlderRegisterTarget t = OlderRegisterTargetOf(OlderRegisterCpce(215, 3));
        QCOMPARE(t.parcis, 215);
        QCOMPARE(t.parpod, 3);
    }

    void parcelNumbersAgreeWithParcisloColumn()
    {
        const ParadoxReader pa(realTable(CadastralTables::ParcelPrefix));
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
        const ParadoxReader pa(realTable(CadastralTables::ParcelPrefix));
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
        const ParadoxReader pa(realTable(CadastralTables::ParcelPrefix));
        QSet<QString> parcels;
        const int text = pa.fieldIndex("PARCISLO");
        pa.forEachRecord(
            [&](const ParadoxRecord& r) { parcels.insert(r.toString(text).trimmed()); });

        const ParadoxReader vl(realTable(CadastralTables::RecordPrefix));
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
        const ParadoxReader uv(realTable(CadastralTables::RelationPrefix));
        const int podil = uv.fieldIndex("PODIL");
        QSet<QString> shares;
        uv.forEachRecord([&](const ParadoxRecord& r) {
            shares.insert(ShareText(WholeNumber(r.toDouble(podil))));
        });
        QCOMPARE(shares, QSet<QString>{"1/1"});
    }
};

QTEST_GUILESS_MAIN(TestParcelNumber)
#include "tst_parcelnumber.moc"
