// Text forms of parcel numbers, house numbers, shares and deeds: the tricky
// cases one by one, and applied to the real district of Saladín, where they
// must agree with what the registry itself wrote. Also the birth numbers
// that outputs mask.
#include "base/Format.h"
#include "common/TestSupport.h"
#include "data/BirthNumberMask.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "data/ValueFormats.h"
#include "db/paradox/ParadoxTable.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(ParcelKey)

namespace {

// A parcel key as "group,stem,subdivision".
QString keyText(const ParcelKey& k)
{
    return QString("%1,%2,%3").arg(k.parskup).arg(k.parcis).arg(k.parpod);
}

} // namespace

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
        QTest::newRow("group 6 subdivided") << 6 << 15 << 27 << "6:15/27";
        QTest::newRow("other area subdivided") << 8 << 15 << 2 << "8:15/2";
        QTest::newRow("negated group hides sign") << -2 << 15 << 0 << "15";
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
        if (skup >= 1 && skup <= 9) // and back
            QCOMPARE(keyText(ParseParcelNumber(text)), keyText({skup, cis, pod}));
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
        QTest::newRow("letter as group") << "x:5" << ParcelKey{0, 5, 0};
        QTest::newRow("bad subdivision") << "15/x" << ParcelKey{2, 15, 0};
        QTest::newRow("blanks") << " 15 / 2 " << ParcelKey{2, 15, 2};
        QTest::newRow("overflow") << "99999999999" << ParcelKey{2, 0, 0};
        QTest::newRow("non-ascii digits") << QString::fromUtf8("١٢") << ParcelKey{2, 0, 0};
        QTest::newRow("czech letters") << QString::fromUtf8("ž:čř/ů") << ParcelKey{0, 0, 0};
        QTest::newRow("st. with a blank") << "st. 38" << ParcelKey{1, 38, 0};
        QTest::newRow("st. joined, subdivided") << "st.38/2" << ParcelKey{1, 38, 2};
        QTest::newRow("St. upper case, two blanks") << "St.  7" << ParcelKey{1, 7, 0};
        QTest::newRow("st. without a number") << "st.x" << ParcelKey{2, 0, 0};
        QTest::newRow("st. inside a word") << "host.5" << ParcelKey{2, 0, 0};
    }
    void parsesTypedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(ParcelKey, key);
        QCOMPARE(keyText(ParseParcelNumber(text)), keyText(key));
    }

    // Before a list is split, "st." and the number after it become one item.
    void joinsBuildingParcelMarks_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("joined");
        QTest::newRow("blank after st.") << "st. 38 40"
                                         << "-38 40";
        QTest::newRow("in a list") << "12/1;st.38;ST. 5/1"
                                   << "12/1;-38;-5/1";
        QTest::newRow("tab after st.") << "st.\t9"
                                       << "-9";
        QTest::newRow("no number after") << "st. x;st."
                                         << "st. x;st.";
        QTest::newRow("part of a word") << "Post. 5"
                                        << "Post. 5";
    }
    void joinsBuildingParcelMarks()
    {
        QFETCH(QString, list);
        QFETCH(QString, joined);
        QCOMPARE(JoinBuildingParcelMarks(list), joined);
        QCOMPARE(HasBuildingParcelMark(list), joined != list);
    }

    // Every value text accepts any value (negative, huge, NaN) without failing.
    void valueTexts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const qint64 max = std::numeric_limits<qint64>::max();
        QTest::newRow("grid: number/part") << HouseNumberGridText(30012, 400, 1) << "  12/3p";
        QTest::newRow("grid: 10000 unsplit") << HouseNumberGridText(10000, 400, 1) << "10000  p";
        QTest::newRow("grid: registration 401") << HouseNumberGridText(5, 401, 2) << "   5  e";
        QTest::newRow("grid: huge") << HouseNumberGridText(123456789, 0, 1) << "6789/12345p";
        QTest::newRow("grid: older register") << HouseNumberGridText(10005, 400, 3) << "   5/1";
        QTest::newRow("grid: older, 10001 split") << HouseNumberGridText(10001, 20, 3) << "   1/1";
        QTest::newRow("report: number/part") << HouseNumberReportText(30012, 400, 1) << "12/3p";
        QTest::newRow("report: zero") << HouseNumberReportText(0, 1, 2) << "";
        QTest::newRow("report: older") << HouseNumberReportText(10017, 400, 5) << "17/1";
        QTest::newRow("report: max")
            << QString::number(HouseNumberReportText(max, -3, 1).isEmpty()) << "0";
        QTest::newRow("share 1/2") << ShareText(100002) << "1/2";
        QTest::newRow("share zero") << ShareText(0) << "";
        QTest::newRow("change item") << ChangeItemText(141617) << "1416/17";
        QTest::newRow("deed") << DeedNumberText(141617) << "1416/17";
        QTest::newRow("deed padded") << DeedNumberText(102405) << "1024/ 5";
        QTest::newRow("deed min") << QString::number(DeedNumberText(-max - 1).isEmpty()) << "0";
        QTest::newRow("half to even 2.5") << QString::number(WholeNumber(2.5)) << "2";
        QTest::newRow("half to even 3.5") << QString::number(WholeNumber(3.5)) << "4";
        QTest::newRow("whole NaN") << QString::number(WholeNumber(qQNaN())) << "0";
        QTest::newRow("whole saturates")
            << QString::number(WholeNumber(1e300)) << QString::number(max);
        QTest::newRow("unpack") << keyText(UnpackParcelReference(20001234567.0)) << "2,1234,567";
        QTest::newRow("unpack group 0") << keyText(UnpackParcelReference(1234005.0)) << "2,1234,5";
        QTest::newRow("unpack NaN") << keyText(UnpackParcelReference(qQNaN())) << "0,0,0";
        QTest::newRow("unpack 1e300") << keyText(UnpackParcelReference(1e300)) << "0,0,0";
        // 64-bit arithmetic, no overflow.
        QTest::newRow("unpack 9.1e18")
            << keyText(UnpackParcelReference(9.1e18)).section(',', 0, 0) << "910000000";
        QTest::newRow("pack round trip")
            << keyText(UnpackParcelReference(double(PackParcelReference({7, 9999999, 999}))))
            << "7,9999999,999";
        const OlderRegisterTarget t = OlderRegisterTargetOf(OlderRegisterCpce(215, 3));
        QTest::newRow("older register round trip")
            << QString("%1/%2").arg(t.parcis).arg(t.parpod) << "215/3";
    }
    void valueTexts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    // The parcel table of the real area: parcel and house numbers agree with
    // what the registry wrote (its packed references are followed by the
    // browser session over the same district).
    // IDENT as stored (a number), the owner's characteristic, whether it is a
    // valid birth number, and what an output prints with masking off and on.
    void birthNumbersMasked_data()
    {
        QTest::addColumn<double>("ident");
        QTest::addColumn<int>("uvchar");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("masked");
        const auto row = [](const char* name, double ident, int uvchar, bool valid,
                            const char* masked) {
            QTest::newRow(name) << ident << uvchar << valid << QString(masked);
        };
        // Valid numbers are masked whatever the characteristic (3: a company).
        row("man", 7501011001, 3, true, "750101/****");
        row("woman, month +50", 7556151009, 0, true, "755615/****");
        row("2001, leading zero lost", 103051234, 0, true, "010305/****");
        row("2005, month +20, nine digits stored", 521011007, 0, true, "052101/****");
        row("2010, woman, month +70", 1071011007, 0, true, "107101/****");
        row("month +20 before 2004", 9521011005, 0, false, "9521011005");
        row("remainder 10 and last digit 0", 8604120020, 0, true, "860412/****");
        row("wrong check digit", 7501011002, 0, false, "7501011002");
        row("February 31", 7502311003, 0, false, "7502311003");
        row("nine digits before 1954, man", 530101123, 0, true, "530101/****");
        row("nine digits before 1954, woman", 455612345, 0, true, "455612/****");
        row("nine digits, month 13", 531301123, 0, false, "531301123");
        row("IČO of eight digits", 25596641, 3, false, "25596641");
        row("company with ten digits", 9999999999, 11, false, "9999999999");
        // People (1, 2, 16) are masked whatever the check digit.
        row("person, wrong check digit", 7501011002, 2, false, "750101/****");
        row("spouses, husband", 7501011001, 1, true, "750101/****");
        row("spouses, wife", 7561011007, 1, true, "756101/****");
        row("spouses under foreign law", 6001011006, 16, false, "600101/****");
        row("IDENT 0 of a person", 0, 2, false, "0");
        row("import surrogate of a person", 100000000123.0, 2, false, "100000000123");
        row("negative", -7501011001, 3, false, "-7501011001");
        row("negative of a person", -5, 2, false, "******/****");
        row("eleven digits of a person", 12345678901.0, 2, false, "******/****");
    }
    void birthNumbersMasked()
    {
        QFETCH(double, ident);
        QFETCH(int, uvchar);
        QFETCH(bool, valid);
        QFETCH(QString, masked);
        QCOMPARE(BirthNumberMask::IsBirthNumber(ident), valid);
        const QString plain = Format("%.0f", ident);
        BirthNumberMask::SetEnabled(false);
        QCOMPARE(BirthNumberMask::Text(ident, uvchar), plain);
        QCOMPARE(BirthNumberMask::Value(ident, uvchar), QVariant(ident));
        BirthNumberMask::SetEnabled(true);
        QCOMPARE(BirthNumberMask::Text(ident, uvchar), masked);
        QCOMPARE(BirthNumberMask::Value(ident, uvchar), QVariant(masked));
        BirthNumberMask::SetEnabled(false);
    }

    void realDistrictAgrees()
    {
        const ParadoxReader pa(realTable(CadastralTables::ParcelPrefix));
        for (int pos = 0; pos < CadastralTables::FixedParcelFieldCount; ++pos) {
            const QString name = CadastralTables::ParcelFieldName(pos);
            if (!name.isEmpty())
                QCOMPARE(pa.header().fields[pos].name, name);
        }
        const int skup = pa.fieldIndex("PARSKUP"), cis = pa.fieldIndex("PARCIS"),
                  pod = pa.fieldIndex("PARPOD"), text = pa.fieldIndex("PARCISLO"),
                  cpce = pa.fieldIndex("CPCE"), use = pa.fieldIndex("NEMVYUZ"),
                  kind = pa.fieldIndex("DRUHPOZ");
        QStringList mismatches;
        QHash<QString, QString> houses;
        int descriptive = 0;
        pa.forEachRecord([&](const ParadoxRecord& r) {
            const ParcelKey key{int(r.toInt64(skup)), int(r.toInt64(cis)), int(r.toInt64(pod))};
            const QString stored = r.toString(text).trimmed();
            if (FormatParcelNumber(key) != stored || !(ParseParcelNumber(stored) == key))
                mismatches.append(stored);
            const QString house = HouseNumberReportText(WholeNumber(r.toDouble(cpce)),
                                                        int(r.toInt64(use)), key.parskup);
            houses.insert(stored, house);
            descriptive += r.toInt64(kind) == BuildingLandKind && house.endsWith('p');
        });
        QCOMPARE(houses.size(), 144);
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(", ")));
        QCOMPARE(houses.value("-5/1"), QStringLiteral("5/1p"));
        QCOMPARE(houses.value("-12/2"), QStringLiteral("17/1p"));
        QCOMPARE(houses.value("-14/2"), QString());
        QCOMPARE(houses.value("351"), QString());
        QCOMPARE(descriptive, 7); // houses with a descriptive number in the source
    }
};

QTEST_GUILESS_MAIN(TestParcelNumber)
#include "tst_parcelnumber.moc"
