// VFK import: the mapping rules on small files written here, bad input, and
// the public sample compared with the district made from it by the same rules.
#include "common/TestSupport.h"
#include "app/core/DistrictCatalogueCheck.h"
#include "base/ETalvekException.h"
#include "base/StagedDirectory.h"
#include "data/DemoFields.h"
#include "db/paradox/ParadoxTable.h"
#include "import/VfkCodeTables.h"
#include "import/VfkValueCodes.h"
#include "import/VfkImporter.h"
#include "common/VfkAreaFiles.h"
#include "map/core/MapStore.h"
#include "select/core/TOwnerSheetIndex.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
// Block definitions of the small files: only the columns the import reads.
const char* const Definitions = R"(&BKATUZE;KOD N6;OBCE_KOD N6;NAZEV T48
&BOBCE;KOD N6;OKRESY_KOD N4;NAZEV T48
&BOKRESY;KOD N4;NAZEV T32
&BTEL;ID N30;KATUZE_KOD N6;CISLO_TEL N6
&BPAR;ID N30;PAR_TYPE T10;KATUZE_KOD N6;KATUZE_KOD_PUV N6;DRUH_CISLOVANI_PAR N1;KMENOVE_CISLO_PAR N5;ZDPAZE_KOD N1;PODDELENI_CISLA_PAR N3;DIL_PARCELY N1;DRUPOZ_KOD N2;ZPVYPA_KOD N4;VYMERA_PARCELY N9;TEL_ID N30;BUD_ID N30
&BBUD;ID N30;TYPBUD_KOD N1;CAOBCE_KOD N6;CISLO_DOMOVNI N4;ZPVYBU_KOD N4;TEL_ID N30
&BOPSUB;ID T255;OPSUB_TYPE T10;CHAROS_KOD N2;ICO N8;NAZEV T255;RODNE_CISLO T10;JMENO T100;PRIJMENI T100;ID_JE_1_PARTNER_BSM T255;ID_JE_2_PARTNER_BSM T255;NAZEV_ULICE T48;CISLO_DOMOVNI N4;OBEC T48
&BVLA;ID N30;OPSUB_ID T255;TYPRAV_KOD T4;TEL_ID N30;PODIL_CITATEL N30;PODIL_JMENOVATEL N30
&BZPOCHN;KOD N4;NAZEV T60;NEMOCHR N3
&BRZO;ID N30;ZPOCHR_KOD N4;PAR_ID N30
&DKATUZE;600001;500001;"Horní Ves"
&DKATUZE;600002;500001;"Dolní Ves"
&DOBCE;500001;3701;"Horní Ves"
&DOKRESY;3701;"Blansko"
&DTEL;1;600001;10
&DTEL;2;600001;20
&DTEL;3;600002;30
)";

const QStringList OwnerFields{"IDENT", "UVCHAR", "NAZEV"};
const QStringList RelationFields{"ELLVCIS", "VLPOR", "IDENT", "UVCHAR", "PODIL", "SEKTOR"};
const QByteArray Land1 = "&DPAR;1;\"PKN\";600001;;2;5;;;;2;;277;1;\n";
const QByteArray Land3 = "&DPAR;3;\"PKN\";600002;;2;5;;;;2;;277;3;\n";

QByteArray vfkFile(const QByteArray& codePage, const QByteArray& rows,
                   const QByteArray& osobData = "1")
{
    return "&HVERZE;\"6.0\"\n&HCODEPAGE;\"" + codePage + "\"\n&HZMENY;0\n&HOSOBDATA;" + osobData +
           "\n" + Definitions + rows + "&K\n";
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The district read from one small file of `rows`.
VfkDistrict readSmall(const QByteArray& rows, const QByteArray& codePage = "UTF-8",
                      const QByteArray& osobData = "1")
{
    QTemporaryDir dir;
    return VfkImporter::readDistrict({writeFile(dir, "a.vfk", vfkFile(codePage, rows, osobData))});
}

// "NAME=value;NAME=value" checked against one row of a table whose field
// names are `fields`.
void compareRow(const QVariantList& row, const QStringList& fields, const QString& expected)
{
    for (const QString& pair : expected.split(QLatin1Char(';'))) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        const int index = int(fields.indexOf(name));
        QVERIFY2(index >= 0, qPrintable(name));
        QCOMPARE(row.value(index).toString(), pair.section(QLatin1Char('='), 1));
    }
}

QStringList parcelFieldNames()
{
    QStringList names;
    for (const ParadoxField& f : DemoFields::parcelFields())
        names << f.name;
    return names;
}

QList<QVariantList> tableRows(const QString& dir, const QString& table)
{
    return ParadoxReader(dir + QLatin1Char('/') + table).readAll();
}

QStringList dumpRows(const QList<QVariantList>& rows, const QList<int>& columns = {})
{
    QStringList out;
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (int i = 0; i < row.size(); ++i)
            if (columns.isEmpty() || columns.contains(i))
                cells.append(row[i].toString());
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}
} // namespace

class TestVfkImport : public QObject
{
    Q_OBJECT

private slots:
    void parcelRules_data();
    void parcelRules();
    void ownerRules_data();
    void ownerRules();
    void relationFiveRecords();
    void encodings_data();
    void encodings();
    void badInput_data();
    void badInput();
    void rowsRepeatedAcrossFiles();
    void builderValues();
    void existingCodeTableKept();
    void sampleMatchesReference();
    // Reading bounded input and committing all or nothing.
    void readerRefusals_data();
    void readerRefusals();
    void specialFilesRefused();
    void textValues_data();
    void textValues();
    void targetRefusals_data();
    void targetRefusals();
    void abandonedImportRemoved();
    void concurrentImportsKeepCodes();
    // Record building: columns, value ranges, deeds, rights against a person.
    void refusedWithFileAndLine_data();
    void refusedWithFileAndLine();
    void tinyShareApproximated();
    void deedNumberNeedsItsYear_data();
    void deedNumberNeedsItsYear();
    void rightAgainstPersonOnItsAreaOnly();
    // Several areas' files in one run: built area by area, rows compared across files.
    void threeAreasInOneRun();
    void differingRowsRefused_data();
    void differingRowsRefused();
    void mapsAllOrNothing_data();
    void mapsAllOrNothing();
};

void TestVfkImport::parcelRules_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("expected"); // of the first parcel part (key order)

    const auto row = [](const char* tag, const QByteArray& rows, const char* expected) {
        QTest::newRow(tag) << rows << QString(expected);
    };
    row("building parcel", "&DPAR;1;\"PKN\";600001;;1;5;;1;;13;;277;1;\n",
        "PARSKUP=1;PARCIS=5;PARPOD=1;PARDIL=0;VYMERA=277;LVCIS=10;VLVZTAH=1;PARCISLO=-5/1;"
        "NEMVYUZ=0;CPCE=0");
    row("land parcel with use", "&DPAR;1;\"PKN\";600001;;2;328;;;;14;26;222;2;\n",
        "PARSKUP=2;PARCIS=328;PARPOD=0;NEMVYUZ=26;LVCIS=20;PARCISLO=328");
    row("former area, land", "&DPAR;1;\"PKN\";600001;600009;2;7;;;;2;;10;1;\n", "PARSKUP=9");
    row("former area, building", "&DPAR;1;\"PKN\";600001;600009;1;7;;;;13;;10;1;\n", "PARSKUP=8");
    row("older register, group 3", "&DPAR;1;\"PZE\";600001;;2;7;3;;;2;;10;1;\n", "PARSKUP=3");
    row("allotment plan, building", "&DPAR;1;\"PZE\";600001;;1;7;6;;;13;;10;1;\n", "PARSKUP=6");
    row("allotment plan, land", "&DPAR;1;\"PZE\";600001;;2;7;6;;;2;;10;1;\n", "PARSKUP=7");
    row("land register, building", "&DPAR;1;\"PZE\";600001;;1;7;1;;2;13;;10;1;\n",
        "PARSKUP=4;PARDIL=2");
    row("land register, land", "&DPAR;1;\"PZE\";600001;;2;7;;;;2;;10;1;\n", "PARSKUP=5");
    // House-number kinds and the built-up use codes: building 7 on parcel 5.
    const QByteArray on5 = "&DPAR;1;\"PKN\";600001;;1;5;;;;13;;277;1;7\n";
    row("descriptive number, housing", "&DBUD;7;1;400100;5;3;1\n" + on5, "CPCE=10005;NEMVYUZ=400");
    row("registration number, recreation", "&DBUD;7;2;400100;12;8;1\n" + on5,
        "CPCE=10012;NEMVYUZ=421");
    row("registration number, garage", "&DBUD;7;2;400100;3;18;1\n" + on5, "CPCE=10003;NEMVYUZ=302");
    row("no number, technical", "&DBUD;7;3;400100;;25;1\n" + on5, "CPCE=0;NEMVYUZ=705");
    row("second part of municipality",
        "&DBUD;6;1;400050;1;1;1\n&DBUD;7;1;400100;9;11;1\n&DPAR;2;\"PKN\";600001;;1;6;;;;13;;1;1;"
        "6\n" +
            on5,
        "CPCE=20009;NEMVYUZ=600");
    // Protection digits: hundreds the first of 3, 1, 2, 4; tens and units ORed.
    QByteArray protections = "&DPAR;1;\"PKN\";600001;;2;5;;;;2;;277;1;\n";
    for (const auto& [code, digits] :
         QList<QPair<int, int>>{{4, 200}, {18, 100}, {26, 20}, {27, 40}, {1, 1}, {2, 2}, {5, 400}})
        protections += QStringLiteral("&DZPOCHN;%1;\"x\";%2\n&DRZO;%1;%1;1\n")
                           .arg(code)
                           .arg(digits)
                           .toLatin1();
    row("protections", protections, "NEMOCHR=163");
}

void TestVfkImport::parcelRules()
{
    QFETCH(QByteArray, rows);
    QFETCH(QString, expected);
    const VfkDistrict district = readSmall(rows);
    QVERIFY(!district.areas.isEmpty());
    QList<QVariantList> parcels = district.areas[0].parcels;
    std::sort(parcels.begin(), parcels.end(), [](const QVariantList& a, const QVariantList& b) {
        return std::tuple(a[0].toInt(), a[1].toInt(), a[2].toInt()) <
               std::tuple(b[0].toInt(), b[1].toInt(), b[2].toInt());
    });
    compareRow(parcels.value(0), parcelFieldNames(), expected);
}

void TestVfkImport::ownerRules_data()
{
    QTest::addColumn<QByteArray>("osobData");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("owner");    // the first owner row
    QTest::addColumn<QString>("relation"); // the first relation row

    QTest::newRow("joint property of spouses")
        << QByteArray("1")
        << Land1 + "&DOPSUB;\"p1\";\"OFO\";;;\"\";\"7001011234\";\"Jan\";\"Novák\";\"\";\"\";"
                   "\"Hlavní\";5;\"Blansko\"\n"
                   "&DOPSUB;\"p2\";\"OFO\";;;\"\";\"7551011234\";\"Jana\";\"Nováková\";\"\";\"\";"
                   "\"Hlavní\";5;\"Blansko\"\n"
                   "&DOPSUB;\"b\";\"BSM\";;;\"\";\"\";\"\";\"\";\"p1\";\"p2\";\"\";;\"\"\n"
                   "&DVLA;1;\"b\";\"10\";1;1;2\n"
        << "IDENT=7001011234;UVCHAR=1;NAZEV=SJM NOVÁK JAN A NOVÁKOVÁ JANA, HLAVNÍ 5, BLANSKO"
        << "ELLVCIS=10;VLPOR=1;IDENT=7001011234;UVCHAR=1;PODIL=100002;SEKTOR=4";
    QTest::newRow("municipality without a name")
        << QByteArray("0")
        << Land1 + "&BCHAROS;KOD N2;NAZEV T60\n&DCHAROS;9;\"obec\"\n"
                   "&DOPSUB;\"o\";\"OPO\";9;250848;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
                   "&DVLA;1;\"o\";\"10\";1;;\n"
        << "IDENT=250848;UVCHAR=9;NAZEV=OBEC (IČO 00250848)"
        << "IDENT=250848;PODIL=0;SEKTOR=2";
    // One surrogate for the person on sheets of two areas: one owner row.
    QTest::newRow("person without personal data in two areas")
        << QByteArray("0")
        << Land1 + Land3 +
               "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
               "&DVLA;1;\"x\";\"10\";1;1;1\n&DVLA;2;\"x\";\"10\";3;1;1\n"
        << "UVCHAR=2;NAZEV=FYZICKÁ OSOBA (BEZ OSOBNÍCH ÚDAJŮ)"
        << "UVCHAR=2;SEKTOR=4";
    QTest::newRow("name continued on the next line")
        << QByteArray("1")
        << Land1 + "&DOPSUB;\"o\";\"OPO\";11;42196451;\"Lesy\xc2\xa4\n"
                   "České republiky\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
                   "&DVLA;1;\"o\";\"10\";1;1;1\n"
        << "IDENT=42196451;NAZEV=LESY ČESKÉ REPUBLIKY"
        << "SEKTOR=3";
}

void TestVfkImport::ownerRules()
{
    QFETCH(QByteArray, osobData);
    QFETCH(QByteArray, rows);
    QFETCH(QString, owner);
    QFETCH(QString, relation);
    const VfkDistrict district = readSmall(rows, "UTF-8", osobData);
    QCOMPARE(district.owners.size(), 1);
    compareRow(district.owners.first(), OwnerFields, owner);
    compareRow(district.areas[0].relations.value(0), RelationFields, relation);
    // Every relation names an owner of the owner table; a surrogate lies above
    // every birth number and IČO.
    QSet<QString> keys;
    for (const QVariantList& o : district.owners) {
        keys.insert(o[0].toString() + '/' + o[1].toString());
        QVERIFY(!o[2].toString().contains(QLatin1String("BEZ OSOBNÍCH")) ||
                o[0].toDouble() >= 1e11);
    }
    for (const VfkArea& area : district.areas)
        for (const QVariantList& r : area.relations)
            QVERIFY(keys.contains(r[2].toString() + '/' + r[3].toString()));
}

// A part whose building stands on another sheet: relation 5, the building's
// sheet, the pair 82/90 there and the record 93 on the land's sheet.
void TestVfkImport::relationFiveRecords()
{
    const QByteArray rows = "&DBUD;7;3;400100;;18;2\n"
                            "&DPAR;1;\"PKN\";600001;;1;14;;2;;13;;4;1;7\n"
                            "&DPAR;2;\"PKN\";600001;;1;15;;;;13;;9;2;\n";
    const VfkArea area = readSmall(rows).areas.value(0);
    compareRow(area.parcels.value(0), parcelFieldNames(),
               "PARCIS=14;PARPOD=2;LVCIS=20;VLVZTAH=5;NEMVYUZ=305");
    compareRow(area.parcels.value(1), parcelFieldNames(), "PARCIS=15;LVCIS=20;VLVZTAH=1");
    QCOMPARE(dumpRows(area.records.records(), {0, 1, 2, 3}),
             QStringList({"10|1|93|10000014002", "20|1|82|10", "20|1|90|10000014002"}));
    QCOMPARE(dumpRows(area.records.texts()),
             QStringList({"10|1|1|Na pozemku parc. č. -14/2 stojí stavba bez čp/če zapsaná na",
                          "10|1|2|LV 20",
                          "20|1|1|Stavba bez čp/če stojí na pozemku parc. č. -14/2, který je",
                          "20|1|2|zapsán na LV 10"}));
}

void TestVfkImport::encodings_data()
{
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("repaired");
    const auto row = [](const char* tag, const char* page, const char* name, const QString& text,
                        int repaired = 0) {
        QTest::newRow(tag) << QByteArray(page) << QByteArray(name) << text << repaired;
    };
    const QString luto = QString::fromUtf8("ŽLUŤOUČKÝ");
    row("ISO 8859-2", "WE8ISO8859P2", "\xAElu\xBBou\xE8k\xFD", luto);
    row("Windows-1250", "EE8MSWIN1250", "\x8Elu\x9Dou\xE8k\xFD", luto);
    row("UTF-8", "UTF-8", "Žluťoučký", luto);
    // "Saladín" in UTF-8 read as ISO 8859-2 ("SaladĂ\u00ADn") and written again as UTF-8.
    row("doubly encoded", "UTF-8", "Salad\xC4\x82\xC2\xADn", QString::fromUtf8("SALADÍN"), 1);
    row("ISO text that only looks doubly encoded", "WE8ISO8859P2", "\xC3\xADn",
        QString::fromUtf16(u"Ă\u00ADN"));
}

void TestVfkImport::encodings()
{
    QFETCH(QByteArray, codePage);
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    QFETCH(int, repaired);
    const VfkDistrict district = readSmall("&DKATUZE;600003;500001;\"" + name +
                                               "\"\n&DPAR;1;\"PKN\";600003;;2;5;;;;2;;277;1;\n",
                                           codePage);
    QCOMPARE(district.catalogue.last().value(3).toString(), expected);
    QCOMPARE(district.repairedTexts, repaired);
}

void TestVfkImport::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* tag, const QByteArray& bytes, const QString& message) {
        QTest::newRow(tag) << bytes << message;
    };
    const QByteArray good = vfkFile("UTF-8", Land1);
    const QString land = QStringLiteral("řádek %1: ").arg(5 + QByteArray(Definitions).count('\n'));
    row("truncated", QByteArray(good).replace("&K\n", ""), "chybí závěrečný řádek &K");
    row("row with a field too many",
        vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;5;;;;2;;277;1;;9\n"),
        land + "řádek bloku PAR má 15 polí, definice &B jich má 14");
    row("row with a field too few", vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;5;;;;2;;277;1\n"),
        land + "řádek bloku PAR má 13 polí");
    row("unknown code page", vfkFile("KOI8-R", Land1), "řádek 2: neznámá kódová stránka „KOI8-R“");
    row("number that does not parse",
        vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;5x;;;;2;;277;1;\n"),
        land + "hodnota „5x“ sloupce KMENOVE_CISLO_PAR bloku PAR není číslo");
    row("changes only", QByteArray(good).replace("&HZMENY;0", "&HZMENY;1"),
        "řádek 3: soubor obsahuje jen změny");
    row("no parcels", vfkFile("UTF-8", ""), "neobsahuje žádné parcely");
    row("not VFK", "PK\x03\x04 binary", "řádek 1: nejde o soubor VFK");
    row("row of an undefined block", vfkFile("UTF-8", Land1 + "&DXYZ;1\n"),
        "řádek bloku XYZ bez jeho definice &B");
    row("duplicate parcel keys",
        vfkFile("UTF-8", Land1 + "&DPAR;2;\"PKN\";600001;;2;5;;;;2;;300;1;\n"
                                 "&DPAR;4;\"PKN\";600001;;1;8;;;;2;;300;1;\n"
                                 "&DPAR;5;\"PKN\";600001;;1;8;;;;2;;300;1;\n"),
        "Horní Ves (600001) má více parcel se stejným číslem: -8, 5");
}

// Bad input names the file and the line, and leaves neither the district's
// directory nor a changed code table behind.
void TestVfkImport::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "bad.vfk", bytes);
    const QString workDb = dir.filePath("WorkDB");
    QDir().mkpath(workDb);
    try {
        VfkImporter({{path}, dir.filePath("district"), workDb}).run();
        QFAIL("import accepted bad input");
    } catch (const ETalvekException& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        if (!message.contains(QLatin1String("parcel")))
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QCOMPARE(QSet<QString>(left.begin(), left.end()), QSet<QString>({"WorkDB", "bad.vfk"}));
    QVERIFY(QDir(workDb).isEmpty());
}

// Neighbouring areas' files repeat rows: each is read once.
void TestVfkImport::rowsRepeatedAcrossFiles()
{
    QTemporaryDir dir;
    const QByteArray rows = Land1 + Land3 +
                            "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
                            "&DVLA;1;\"x\";\"10\";1;1;1\n";
    const QString first = writeFile(dir, "a.vfk", vfkFile("UTF-8", rows, "0"));
    const VfkDistrict once = VfkImporter::readDistrict({first});
    const VfkDistrict twice =
        VfkImporter::readDistrict({first, writeFile(dir, "b.vfk", vfkFile("UTF-8", rows, "0"))});
    QCOMPARE(twice.areas.size(), 2);
    QCOMPARE(twice.catalogue, once.catalogue);
    QCOMPARE(twice.owners, once.owners);
    QCOMPARE(twice.areas[0].parcels, once.areas[0].parcels);
    QCOMPARE(twice.areas[0].relations, once.areas[0].relations);
}

// Shares packed as numerator * 100000 + denominator (0 when they do not fit
// and are approximated), and the older register's item number in a text.
void TestVfkImport::builderValues()
{
    for (const auto& [numerator, denominator, packed] :
         QList<std::array<qint64, 3>>{{1, 1, 100001},
                                      {21473, 99999, 2147399999},
                                      {1, 300000, 0},
                                      {100000, 300000, 0},
                                      {50000, 99999, 0}}) {
        bool approximated = packed != 0;
        const qint64 share = VfkValueCodes::packShare(numerator, denominator, &approximated);
        QCOMPARE(approximated, packed == 0);
        QVERIFY(share <= std::numeric_limits<qint32>::max());
        const double exact = double(numerator) / double(denominator);
        if (!approximated)
            QCOMPARE(share, packed);
        else
            QVERIFY(std::abs(double(share / 100000) / double(share % 100000) - exact) < 1e-4);
    }
    const QList<QPair<QString, qint64>> items{{"POLVZ:211986", 2186},
                                              {"převod POL.VZ 18/92 z EN", 1892},
                                              {"polvz 7/1999", 799},
                                              {"Smlouva kupní", 0},
                                              {"POLVZ:1000001990", 0}, // item too large
                                              {"POLVZ:999999999999999999991986", 0}};
    for (const auto& [text, item] : items)
        QCOMPARE(VfkValueCodes::legacyItem(text), item);
}

// An existing code table keeps its rows and its texts, gains the codes it
// lacks, and a differing text is named.
void TestVfkImport::existingCodeTableKept()
{
    QTemporaryDir dir;
    const QList<ParadoxField> fields{{"CIS", ParadoxFieldType::Short, 2},
                                     {"TEXT", ParadoxFieldType::Alpha, 70}};
    ParadoxWriter::writeTable(dir.filePath("CHARUV.DB"), fields, 1,
                              {{3, QStringLiteral("Stát")}, {30, QStringLiteral("vlastní kód")}});
    VfkCodeTables tables(dir.path());
    const QStringList warnings = tables.merge(
        {{"CHARUV.DB", {{3, QStringLiteral("Česká republika")}, {9, QStringLiteral("obec")}}}});
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings[0].contains(QStringLiteral("CHARUV.DB: kód 3")), qPrintable(warnings[0]));
    QCOMPARE(tables.addedCodes(), QStringList{"Číselník CHARUV.DB: doplněny kódy 9"});
    tables.write();
    QCOMPARE(dumpRows(tableRows(dir.path(), "CHARUV.DB")),
             QStringList({"3|Stát", "9|obec", "30|vlastní kód"}));
}

// The public sample against the district and code tables made from it by the
// same rules, with invented owners in place of the missing personal data.
void TestVfkImport::sampleMatchesReference()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("SALADIN");
    const QString workDb = dir.filePath("WorkDB");
    const QString ref = TestSupport::realDistrictDir();
    const QString refWorkDb = TestSupport::realWorkDbDir();
    const VfkDistrict district =
        VfkImporter({{TestSupport::samplesDir() + "/vfk/789160.vfk"}, out, workDb}).run();
    QCOMPARE(district.areas.size(), 1);
    QVERIFY(!QDir(dir.path()).entryList().join(' ').contains(QLatin1String(".import-")));

    for (const char* table : {"NYSKATAL.DB", "NYSBO001.DB", "NYSVL001.DB"})
        QCOMPARE(dumpRows(tableRows(out, table)), dumpRows(tableRows(ref, table)));
    const QList<int> allButSixteen{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18};
    QCOMPARE(dumpRows(tableRows(out, "NYSPA001.DB"), allButSixteen),
             dumpRows(tableRows(ref, "NYSPA001.DB"), allButSixteen));
    // Owners per sheet: characteristic and share (ELLVCIS, VLPOR, UVCHAR, PODIL).
    QCOMPARE(dumpRows(tableRows(out, "NYSUV001.DB"), {0, 1, 3, 4}),
             dumpRows(tableRows(ref, "NYSUV001.DB"), {0, 1, 3, 4}));
    QCOMPARE(tableRows(out, "NYSOBORG.DB").size(), tableRows(ref, "NYSOBORG.DB").size());
    const QStringList texts = dumpRows(tableRows(out, "NYSTX001.DB"));
    const QStringList refTexts = dumpRows(tableRows(ref, "NYSTX001.DB"));
    QCOMPARE(texts.size(), refTexts.size());
    // Lines that name a party ("Oprávnění pro:", "Povinnost pro:") differ: the
    // reference invented the names.
    for (int i = 0; i < texts.size(); ++i)
        if (!refTexts[i].contains(QStringLiteral(" pro:")))
            QCOMPARE(texts[i], refTexts[i]);

    // Code tables: the same codes; the same texts where the file's lists give them.
    for (const QString& table : QDir(refWorkDb).entryList({"*.DB"})) {
        const int textColumn =
            table == QLatin1String("DRUHPOZ.DB") || table == QLatin1String("NIXDTEXT.DB") ? 2 : 1;
        const auto codeTexts = [&](const QString& dir) {
            QMap<qint64, QString> texts;
            for (const QVariantList& row : tableRows(dir, table))
                texts.insert(row[0].toLongLong(), row.value(textColumn).toString());
            return texts;
        };
        const QMap<qint64, QString> ours = codeTexts(workDb), theirs = codeTexts(refWorkDb);
        for (auto it = theirs.cbegin(); it != theirs.cend(); ++it) {
            QVERIFY2(ours.contains(it.key()), qPrintable(table + ' ' + QString::number(it.key())));
            if (table == QLatin1String("CHARUV.DB") || table == QLatin1String("KVALVYM1.DB") ||
                table == QLatin1String("NIXLIST.DB") || table == QLatin1String("NIXDTEXT.DB"))
                QCOMPARE(ours.value(it.key()), it.value());
        }
    }

    // A second import into the same code tables keeps them and adds nothing.
    const QString before = dumpRows(tableRows(workDb, "CHARUV.DB")).join('\n');
    VfkImporter({{TestSupport::samplesDir() + "/vfk/789160.vfk"}, dir.filePath("again"), workDb})
        .run();
    QCOMPARE(dumpRows(tableRows(workDb, "CHARUV.DB")).join('\n'), before);
}

// ---- Reading bounded input and committing all or nothing ----

namespace {
// The message of a failed import, "" when it succeeds.
QString importError(const QStringList& files, const QString& out, const QString& workDb,
                    const VfkImporter::Progress& progress = {}, VfkDistrict* district = nullptr)
{
    try {
        const VfkDistrict done = VfkImporter({files, out, workDb}, progress).run();
        if (district)
            *district = done;
        return QString();
    } catch (const ETalvekException& e) {
        return e.message();
    }
}

QStringList entries(const QString& dir, const QStringList& filters = {})
{
    return QDir(dir).entryList(filters, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                            QDir::System);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray Area3 = "&DPAR;1;\"PKN\";600003;;2;5;;;;2;;277;1;\n";
} // namespace

void TestVfkImport::readerRefusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString land = QStringLiteral("řádek %1: ").arg(5 + QByteArray(Definitions).count('\n'));
    const auto row = [](const char* tag, const QByteArray& bytes, const QString& message) {
        QTest::newRow(tag) << bytes << message;
    };
    row("NUL byte would cut SALADÍN to SA",
        vfkFile("UTF-8",
                "&DKATUZE;600003;500001;\"SA" + QByteArray(1, '\0') + "LAD\xC3\x8DN\"\n" + Area3),
        land + "řádek obsahuje nulový bajt (znak 27)");
    row("invalid UTF-8", vfkFile("UTF-8", "&DKATUZE;600003;500001;\"Pe\xF1\x61\"\n" + Area3),
        land + "řádek není platný text UTF-8");
    row("line over 1 MB",
        vfkFile("UTF-8", "&DKATUZE;600003;500001;\"" + QByteArray(1 << 20, 'A') + "\"\n" + Area3),
        land + "řádek je delší než 1 MB");
    row("continued line over 1 MB",
        vfkFile("UTF-8", "&DKATUZE;600003;500001;\"" +
                             QByteArray(1 << 19, 'A').append("\xC2\xA4\n").repeated(3) + "\"\n" +
                             Area3),
        QStringLiteral("řádek %1: řádek je delší než 1 MB")
            .arg(6 + QByteArray(Definitions).count('\n')));
    row("first line of 3 MB without an end", QByteArray(3 << 20, 'A'),
        "řádek 1: řádek je delší než 1 MB");
    row("offending value quoted in 80 characters",
        vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;5" + QByteArray(300, 'x') + ";;;;2;;277;1;\n"),
        land + "hodnota „5" + QString(78, QLatin1Char('x')) + QChar(0x2026) +
            "“ sloupce KMENOVE_CISLO_PAR");
}

// Refused naming the file and the line, with a message of sane length,
// leaving nothing behind and the code tables untouched.
void TestVfkImport::readerRefusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "bad.vfk", bytes);
    const QString workDb = dir.filePath("WorkDB");
    QDir().mkpath(workDb);
    const QString error = importError({path}, dir.filePath("district"), workDb);
    QVERIFY2(error.contains(message) && error.contains(path), qPrintable(error.left(500)));
    QVERIFY2(error.size() < 400, qPrintable(QString::number(error.size())));
    QCOMPARE(entries(dir.path()), QStringList({"bad.vfk", "WorkDB"}));
    QVERIFY(QDir(workDb).isEmpty());
}

// A device never ends and a FIFO blocks its reader: both, and a directory,
// are refused at once.
void TestVfkImport::specialFilesRefused()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("roura.vfk");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto& [path, kind] : QList<std::pair<QString, QString>>{
             {"/dev/zero", "zařízení"}, {fifo, "roura"}, {dir.path(), "adresář"}}) {
        QElapsedTimer timer;
        timer.start();
        const QString error = importError({path}, dir.filePath("district"), dir.filePath("W"));
        QVERIFY2(error.contains(path + " není obyčejný soubor, ale " + kind), qPrintable(error));
        QVERIFY(timer.elapsed() < 2000);
    }
    QCOMPARE(entries(dir.path()), QStringList({"roura.vfk"}));
}

void TestVfkImport::textValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    const QString line = QStringLiteral("řádek %1: ").arg(5 + QByteArray(Definitions).count('\n'));
    const auto row = [](const char* tag, const QByteArray& name, const QString& expected,
                        const QString& warning = {}, const QByteArray& before = {}) {
        QTest::newRow(tag) << before + vfkFile("UTF-8",
                                               "&DKATUZE;600003;500001;\"" + name + "\"\n" + Area3)
                           << expected << warning;
    };
    row("outside code page 1250", "Pe\xC3\xB1\x61 \xC7\x8E", "PENA A",
        line + "text „Peña ǎ“ má znaky mimo kódovou stránku 1250, zapsán jako „Pena a“");
    row("doubled quotes", "\"\"Ves\"\"", "\"VES\"");
    row("byte-order mark", "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD", QString::fromUtf8("ŽLUŤOUČKÝ"),
        {}, "\xEF\xBB\xBF");
}

// A text the district's code page cannot hold costs the clerk one letter, not
// the district; quotes and a byte-order mark read as the format means them.
void TestVfkImport::textValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.vfk", bytes);
    VfkDistrict district;
    const QString error = importError({path}, dir.filePath("D"), dir.filePath("W"), {}, &district);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(tableRows(dir.filePath("D"), "NYSKATAL.DB").last().value(3).toString(), name);
    const QString warnings = district.warnings.join('\n');
    QVERIFY2(warning.isEmpty() ? !warnings.contains("1250")
                               : warnings.contains(path + ", " + warning),
             qPrintable(warnings));
}

void TestVfkImport::targetRefusals_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("out a link to an empty directory") << "link"
                                                      << "je symbolický odkaz";
    QTest::newRow("out a dangling link") << "dangling"
                                         << "je symbolický odkaz";
    QTest::newRow("out a regular file") << "file"
                                        << "je soubor, ne adresář";
    QTest::newRow("workdb inside out") << "workdb"
                                       << "leží v adresáři okresu";
    QTest::newRow("out filled while the import writes") << "filled"
                                                        << "nelze zapsat:";
    QTest::newRow("out named as an import in progress") << "staged"
                                                        << "patří rozpracovanému importu";
    // The district is in place when the code tables turn out not to be
    // replaceable: it is taken back.
    QTest::newRow("code table index not replaceable") << "codes"
                                                      << "CHARUV.PX nelze nahradit";
}

// A target the import cannot replace is refused with its real reason, and
// neither the code tables nor anything beside the target change.
void TestVfkImport::targetRefusals()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = writeFile(
        dir, "a.vfk", vfkFile("UTF-8", "&BCHAROS;KOD N2;NAZEV T60\n&DCHAROS;98;\"x\"\n" + Land1));
    QString out = dir.filePath("D");
    QString workDb = dir.filePath("W");
    QDir().mkpath(workDb);
    VfkImporter::Progress progress;
    if (setup == "codes") {
        ParadoxWriter::writeTable(
            workDb + "/CHARUV.DB",
            {{"CIS", ParadoxFieldType::Short, 2}, {"TEXT", ParadoxFieldType::Alpha, 70}}, 1,
            {{3, QStringLiteral("Stát")}});
        QVERIFY(QFile::remove(workDb + "/CHARUV.PX") && QDir().mkpath(workDb + "/CHARUV.PX/x"));
    }
    if (setup == "link" || setup == "dangling") {
        if (setup == "link")
            QDir().mkpath(dir.filePath("empty"));
        QVERIFY(QFile::link(dir.filePath("empty"), out));
    } else if (setup == "file") {
        writeFile(dir, "D", "x");
    } else if (setup == "workdb") {
        QDir(dir.path()).rmdir("W");
        workDb = out + "/W";
    } else if (setup == "filled") {
        QDir().mkpath(out);
        progress = [&](int percent, const QString&) {
            if (percent == 90)
                writeFile(dir, "D/other.txt", "x");
            return true;
        };
    } else if (setup == "staged") {
        out = dir.filePath("D.import-1");
    }
    const QStringList before = entries(dir.path()), codesBefore = entries(workDb);
    const QByteArray tableBefore = fileBytes(workDb + "/CHARUV.DB");
    const QString error = importError({path}, out, workDb, progress);
    QVERIFY2(error.contains(setup == "codes" ? workDb : out) && error.contains(message),
             qPrintable(error));
    QVERIFY2(!error.contains("Prázdný adresář"), qPrintable(error));
    QStringList after = entries(dir.path());
    if (setup == "filled")
        QCOMPARE(entries(out), QStringList({"other.txt"}));
    QCOMPARE(after, before);
    QCOMPARE(entries(workDb), codesBefore);
    QCOMPARE(fileBytes(workDb + "/CHARUV.DB"), tableBefore);
}

// A killed import leaves its directory; the next import removes it, but not
// the directory of an import still running nor one that only looks alike,
// and no such directory is taken for a district.
void TestVfkImport::abandonedImportRemoved()
{
    QTemporaryDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        // An import killed while writing: its directory is never removed.
        new StagedDirectory(dir.filePath("OLD"));
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    const QString old = dir.filePath("OLD.import-" + QString::number(child));
    QVERIFY(QFileInfo(old).isDir());
    QVERIFY(QDir().mkpath(dir.filePath("USER.import-999999")));
    const StagedDirectory running(dir.filePath("RUNNING"));
    // Neither the catalogue (nor so the alias manager) nor the owner index
    // takes it for a district.
    for (const auto& take : QList<std::function<void()>>{
             [&] { DistrictCatalogueCheck::check(running.path()); },
             [&] { TOwnerSheetIndex::instance().district(running.path()); }}) {
        try {
            take();
            QFAIL("a staged directory taken for a district");
        } catch (const ETalvekException& e) {
            QVERIFY2(e.message().contains("rozpracovaný import"), qPrintable(e.message()));
        }
    }
    const QString path = writeFile(dir, "a.vfk", vfkFile("UTF-8", Land1));
    const QString error = importError({path}, dir.filePath("NEW"), dir.filePath("W"));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(entries(dir.path(), {"*.import-*"}),
             QStringList({QFileInfo(running.path()).fileName(), "USER.import-999999"}));
    QVERIFY(!entries(dir.filePath("NEW")).contains(".orv-import"));
}

// Two imports into one code-table directory at once each add their own code;
// neither is lost (the second merges into what the first wrote).
void TestVfkImport::concurrentImportsKeepCodes()
{
    QTemporaryDir dir;
    const QString workDb = dir.filePath("W");
    const auto file = [&](const char* name, const char* code) {
        return writeFile(dir, name,
                         vfkFile("UTF-8", "&BCHAROS;KOD N2;NAZEV T60\n&DCHAROS;" +
                                              QByteArray(code) + ";\"kód " + code + "\"\n" +
                                              Land1));
    };
    const QStringList files{file("a.vfk", "98"), file("b.vfk", "99")};
    for (int trial = 0; trial < 4; ++trial) {
        QStringList errors(2);
        std::vector<std::thread> imports;
        for (int i = 0; i < 2; ++i)
            imports.emplace_back([&, i] {
                errors[i] = importError({files[i]},
                                        dir.filePath(QString("D%1-%2").arg(trial).arg(i)), workDb);
            });
        for (std::thread& t : imports)
            t.join();
        QCOMPARE(errors, QStringList(2));
        QStringList codes = dumpRows(tableRows(workDb, "CHARUV.DB"), {0});
        QVERIFY2(codes.contains("98") && codes.contains("99"), qPrintable(codes.join(' ')));
        QFile::remove(workDb + "/CHARUV.DB");
        QFile::remove(workDb + "/CHARUV.PX");
    }
}

// The 1-based line of the first line of `bytes` that starts with `prefix`.
int lineOf(const QByteArray& bytes, const QByteArray& prefix)
{
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix))
            return i + 1;
    return -1;
}

// A block without a column the mapping needs (a crash before), and values
// beyond the fields they go to (silently wrong before: stem -5 became land
// parcel 9999995/1, building stem 10000005 land parcel 5/1, subdivision 1000
// parcel 6, sheet 3e9 wrapped, numerator 1e20 gave 0), are refused naming
// the file and the line.
void TestVfkImport::refusedWithFileAndLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("linePrefix"); // the line the message names
    QTest::addColumn<QString>("message");
    const auto row = [](const char* tag, const QByteArray& bytes, const char* prefix,
                        const QString& message) {
        QTest::newRow(tag) << bytes << QByteArray(prefix) << message;
    };
    QByteArray noParcelId = vfkFile("UTF-8", Land1);
    noParcelId.replace("&BPAR;ID N30;", "&BPAR;").replace("&DPAR;1;", "&DPAR;");
    row("PAR without ID", noParcelId, "&BPAR;", "blok PAR nemá sloupec ID");
    QByteArray noSheetId = vfkFile("UTF-8", Land1);
    noSheetId.replace("&BTEL;ID N30;", "&BTEL;");
    for (const char* id : {"1;", "2;", "3;"})
        noSheetId.replace("&DTEL;" + QByteArray(id), "&DTEL;");
    row("TEL without ID", noSheetId, "&BTEL;", "blok TEL nemá sloupec ID");
    row("parcel stem -5", vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;-5;;;;2;;277;1;\n"),
        "&DPAR;1;",
        "hodnota „-5“ sloupce KMENOVE_CISLO_PAR bloku PAR není celé číslo od 1 do 9999999");
    row("building stem 10000005",
        vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;1;10000005;;1;;13;;277;1;\n"), "&DPAR;1;",
        "hodnota „10000005“ sloupce KMENOVE_CISLO_PAR");
    row("subdivision 1000", vfkFile("UTF-8", "&DPAR;1;\"PKN\";600001;;2;5;;1000;;2;;277;1;\n"),
        "&DPAR;1;",
        "hodnota „1000“ sloupce PODDELENI_CISLA_PAR bloku PAR není celé číslo od 0 do 999");
    row("sheet number 3e9",
        vfkFile("UTF-8", Land1).replace("&DTEL;1;600001;10", "&DTEL;1;600001;3000000000"),
        "&DTEL;1;", "hodnota „3000000000“ sloupce CISLO_TEL bloku TEL");
    row("share numerator 1e20",
        vfkFile("UTF-8", Land1 +
                             "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
                             "&DVLA;1;\"x\";\"10\";1;100000000000000000000;3\n"),
        "&DVLA;1;", "hodnota „100000000000000000000“ sloupce PODIL_CITATEL bloku VLA");
    // Before, the catalogue gave the area the municipality's key: "dva
    // záznamy mají stejný klíč".
    row("area without a KATUZE row", vfkFile("UTF-8", "&DPAR;1;\"PKN\";600009;;2;5;;;;2;;277;1;\n"),
        "&DPAR;1;", "katastrální území 600009 má parcely, ale soubory nemají jeho řádek &DKATUZE");
}

void TestVfkImport::refusedWithFileAndLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, linePrefix);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "bad.vfk", bytes);
    try {
        VfkImporter::readDistrict({path});
        QFAIL("import accepted bad input");
    } catch (const ETalvekException& e) {
        const QString where =
            QStringLiteral("Soubor %1, řádek %2: ").arg(path).arg(lineOf(bytes, linePrefix));
        QVERIFY2(e.message().startsWith(where), qPrintable(e.message()));
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

// A share of 1/10^15 was written as 1/1 (whole ownership): it is the
// smallest share the field holds, with the warning of an approximation.
void TestVfkImport::tinyShareApproximated()
{
    const VfkDistrict district =
        readSmall(Land1 + "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n"
                          "&DVLA;1;\"x\";\"10\";1;1;1000000000000000\n");
    compareRow(district.areas[0].relations.value(0), RelationFields, "PODIL=199999");
    QVERIFY(district.warnings.join('\n').contains(QStringLiteral("nejbližší zlomek 1/99999")));
}

// LISTCIS of a deed: its own number and year, else its proceeding's; a
// number without its year ("184" printed as 184/00, a deed of 2000) is none.
void TestVfkImport::deedNumberNeedsItsYear_data()
{
    QTest::addColumn<QByteArray>("deed");
    QTest::addColumn<QByteArray>("proceeding");
    QTest::addColumn<int>("listcis");
    const QByteArray year1999 = "&DRIZENI;3;77;\"01.01.1999 00:00:00\"\n";
    QTest::newRow("own number and year")
        << QByteArray("&DLISTIN;9;5;\"184\";\"01.01.2003 00:00:00\";3\n") << year1999 << 18403;
    QTest::newRow("own number without year, proceeding")
        << QByteArray("&DLISTIN;9;5;\"184\";;3\n") << year1999 << 7799;
    QTest::newRow("own number without year, no proceeding")
        << QByteArray("&DLISTIN;9;5;\"184\";;\n") << QByteArray() << 0;
    QTest::newRow("proceeding without year")
        << QByteArray("&DLISTIN;9;5;\"\";;3\n") << QByteArray("&DRIZENI;3;77;\n") << 0;
}

void TestVfkImport::deedNumberNeedsItsYear()
{
    QFETCH(QByteArray, deed);
    QFETCH(QByteArray, proceeding);
    QFETCH(int, listcis);
    const VfkDistrict district =
        readSmall(Land1 +
                  "&BLISTIN;ID N30;TYPLIST_KOD N8;PORADOVE_CISLO_ZHOTOVITELE T8;ROK_ZHOTOVITELE D;"
                  "RIZENI_ID N30\n&BRL;ID N30;LISTIN_ID N30;PAR_ID N30\n"
                  "&BRIZENI;ID N30;PORADOVE_CISLO N8;ROK D\n" +
                  proceeding + deed + "&DRL;1;9;1\n");
    const QList<QVariantList> records = district.areas[0].records.records();
    QCOMPARE(dumpRows(records, {0, 2, 4, 5}),
             QStringList{QStringLiteral("10|3003|5|%1").arg(listcis)});
}

// A right that burdens only a person goes on that person's sheets of the
// right's own area (its file's), not on every sheet of the person: one owner
// with many sheets and many such rights made records grow with rights x
// sheets in every area.
void TestVfkImport::rightAgainstPersonOnItsAreaOnly()
{
    QTemporaryDir dir;
    const QByteArray person = "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n";
    const QByteArray right = "&BJPV;ID N30;TYPRAV_KOD T4;OPSUB_ID_K T255\n&DJPV;5;\"131\";\"x\"\n";
    const QString first = writeFile(
        dir, "a.vfk",
        vfkFile("UTF-8", Land1 + person +
                             "&DVLA;1;\"x\";\"10\";1;1;1\n&DVLA;2;\"x\";\"10\";2;1;1\n" + right));
    const QString second =
        writeFile(dir, "b.vfk", vfkFile("UTF-8", Land3 + person + "&DVLA;3;\"x\";\"10\";3;1;1\n"));
    const VfkDistrict district = VfkImporter::readDistrict({first, second});
    QCOMPARE(district.areas.size(), 2);
    QCOMPARE(dumpRows(district.areas[0].records.records(), {0, 1, 2}),
             QStringList({"10|1|1131", "20|1|1131"}));
    QCOMPARE(district.areas[1].records.recordCount(), 0);
}

// ---- Several areas' files in one run ----

namespace {
bool isReference(const QByteArray& column)
{
    return column == "ID" || column.startsWith("ID_") || column.contains("_ID");
}

// The sample as the file of another area, as the benchmark makes its copies:
// area code `code` (a KATUZE row of its own), every identifier with `tag`
// appended.
QByteArray sampleAsArea(const QByteArray& code, const QByteArray& tag)
{
    QHash<QByteArray, QList<QByteArray>> columns;
    QByteArray out;
    for (QByteArray line : fileBytes(TestSupport::samplesDir() + "/vfk/789160.vfk").split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype semi = line.indexOf(';');
        const QByteArray name = line.mid(2, semi - 2);
        QList<QByteArray> fields = line.mid(semi + 1).split(';');
        if (line.startsWith("&B") || (line.startsWith("&H") && line.contains(" N"))) {
            for (QByteArray& field : fields)
                field = field.left(field.indexOf(' '));
            columns.insert(name, fields);
        } else if (name == "KATUZE" && line.startsWith("&D") && fields.value(0) == "789160") {
            out += line + '\n';
            fields[0] = code;
        } else if (line.startsWith("&D")) {
            const QList<QByteArray> names = columns.value(name);
            for (int i = 0; i < fields.size() && i < names.size(); ++i) {
                QByteArray& f = fields[i];
                if (isReference(names[i]) && !f.isEmpty() && f != "\"\"")
                    f = f.endsWith('"') ? f.chopped(1) + tag + '"' : f + tag;
                else if (names[i] == "KATUZE_KOD" && f == "789160")
                    f = code;
            }
        }
        if (line.startsWith("&D"))
            line = "&D" + name + ';' + fields.join(';');
        if (!line.isEmpty())
            out += line + '\n';
    }
    return out;
}
} // namespace

// Three areas' files imported in one run give each area the tables its file
// gives alone, the owners of all three, progress per file and per area; a
// cancel in the middle of the set leaves nothing behind.
void TestVfkImport::threeAreasInOneRun()
{
    QTemporaryDir dir;
    QStringList files;
    for (const char* tag : {"1", "2", "3"})
        files.append(writeFile(dir, QStringLiteral("area%1.vfk").arg(tag),
                               sampleAsArea("78910" + QByteArray(tag), tag)));
    QStringList steps;
    const auto record = [&](int, const QString& step) {
        steps.append(step);
        return true;
    };
    VfkDistrict together;
    QCOMPARE(importError(files, dir.filePath("ALL"), dir.filePath("W"), record, &together), "");
    QCOMPARE(together.areas.size(), 3);
    QVERIFY2(steps.contains("Čtu soubor 2 z 3: area2.vfk"), qPrintable(steps.join('\n')));
    QVERIFY2(steps.contains("Území 3 z 3: Saladín – zapisuji tabulky"),
             qPrintable(steps.join('\n')));
    QSet<QString> owners;
    for (int i = 0; i < 3; ++i) {
        const QString alone = dir.filePath(QStringLiteral("ONE%1").arg(i));
        QCOMPARE(importError({files[i]}, alone, dir.filePath("W")), "");
        for (const QString prefix : {"NYSPA", "NYSUV", "NYSVL", "NYSTX", "NYSBO"})
            QCOMPARE(dumpRows(tableRows(dir.filePath("ALL"),
                                        prefix + QStringLiteral("00%1.DB").arg(i + 1))),
                     dumpRows(tableRows(alone, prefix + "001.DB")));
        QVERIFY(dumpRows(tableRows(dir.filePath("ALL"), "NYSKATAL.DB"), {1, 2, 3})
                    .contains(QStringLiteral("78910%1|00%1|SALADÍN").arg(i + 1)));
        for (const QString& owner : dumpRows(tableRows(alone, "NYSOBORG.DB")))
            owners.insert(owner);
    }
    QStringList all = owners.values(),
                written = dumpRows(tableRows(dir.filePath("ALL"), "NYSOBORG.DB"));
    all.sort();
    written.sort();
    QCOMPARE(written, all);

    for (const QString stopAt :
         {"Čtu soubor 2 z 3: area2.vfk", "Území 2 z 3: Saladín – převádím data"}) {
        const QString error = importError(files, dir.filePath("new/CANCELLED"), dir.filePath("NEW"),
                                          [&](int, const QString& step) { return step != stopAt; });
        QCOMPARE(error, "Import byl zrušen.");
        QVERIFY(!QFileInfo::exists(dir.filePath("new")));
        QVERIFY(!QFileInfo::exists(dir.filePath("NEW")));
    }
}

// Files that give one ID (KOD of a code list) different values are refused
// naming both files and the block, whether they are read together (one area)
// or area by area; identical repeated rows and a second file of one area
// with other blocks are fine.
void TestVfkImport::differingRowsRefused_data()
{
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("error"); // "" when accepted
    const QByteArray owner = "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";\"\";;\"\"\n";
    const QByteArray named =
        "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"Jan\";\"Novák\";\"\";\"\";\"\";;\"\"\n";
    const QString refused = "Soubory %1 a %2 obsahují různé řádky bloku %3 se stejným %4";
    QTest::newRow("same owner, other area") << Land3 + owner + "&DZPOCHN;1;\"a\";100\n"
                                            << "";
    QTest::newRow("other blocks, same area") << QByteArray("&DRZO;1;1;1\n") << "";
    QTest::newRow("owner differs, other area")
        << Land3 + named << refused.arg("a.vfk", "b.vfk", "OPSUB", "ID x");
    QTest::newRow("owner differs, same area")
        << Land1 + named << refused.arg("a.vfk", "b.vfk", "OPSUB", "ID x");
    QTest::newRow("code differs, other area") << Land3 + "&DZPOCHN;1;\"a\";200\n"
                                              << refused.arg("a.vfk", "b.vfk", "ZPOCHN", "KOD 1");
}

void TestVfkImport::differingRowsRefused()
{
    QFETCH(QByteArray, second);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString a =
        writeFile(dir, "a.vfk",
                  vfkFile("UTF-8", Land1 + "&DOPSUB;\"x\";\"OFO\";;;\"\";\"\";\"\";\"\";\"\";\"\";"
                                           "\"\";;\"\"\n&DZPOCHN;1;\"a\";100\n"));
    const QString b = writeFile(dir, "b.vfk", vfkFile("UTF-8", second));
    QString message;
    try {
        VfkImporter::readDistrict({a, b});
    } catch (const ETalvekException& e) {
        message = e.message();
    }
    error.replace("a.vfk", QDir::toNativeSeparators(a))
        .replace("b.vfk", QDir::toNativeSeparators(b));
    QVERIFY2(error.isEmpty() ? message.isEmpty() : message.startsWith(error), qPrintable(message));
}

// Two areas' files with their maps: each map goes into the store only with
// the district; a file that fails or a cancel after the first area's map is
// written leaves the store byte for byte as it was, temporary files gone.
void TestVfkImport::mapsAllOrNothing_data()
{
    QTest::addColumn<bool>("badSecond"); // the second file ends with a broken PAR row
    QTest::addColumn<QString>("stopAt"); // the step that cancels
    QTest::addColumn<QString>("error");  // "" when imported
    QTest::newRow("both written") << false << ""
                                  << "";
    QTest::newRow("second file fails") << true << ""
                                       << "KMENOVE_CISLO_PAR";
    QTest::newRow("cancel at the second map") << false << "Území 2 z 2: Saladín 2 – zapisuji mapu"
                                              << "Import byl zrušen.";
}

void TestVfkImport::mapsAllOrNothing()
{
    QFETCH(bool, badSecond);
    QFETCH(QString, stopAt);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QStringList files;
    for (int i : {1, 2}) {
        files.append(dir.filePath(QStringLiteral("area-%1.vfk").arg(i)));
        QVERIFY(VfkAreaFiles::write(TestSupport::samplesDir(), files.last(), i, 1) > 0);
    }
    if (badSecond) { // a parcel stem of -5, which only building the area refuses
        QList<QByteArray> lines = fileBytes(files[1]).split('\n');
        for (QByteArray& line : lines)
            if (line.startsWith("&DPAR;")) {
                QList<QByteArray> fields = line.split(';');
                fields[13] = "-5"; // KMENOVE_CISLO_PAR after the block's name
                line = fields.join(';');
                break;
            }
        writeFile(dir, "area-2.vfk", lines.join('\n'));
    }
    const QString mapDir = dir.filePath("mapy");
    TestSupport::writeOneParcelMap(mapDir, VfkAreaFiles::areaCode(2), "Stará");
    const auto store = [&] {
        QMap<QString, QByteArray> files;
        for (const QString& name : entries(mapDir))
            files.insert(name, fileBytes(mapDir + '/' + name));
        return files;
    };
    const QMap<QString, QByteArray> before = store();
    QStringList steps;
    VfkImporter importer({files, dir.filePath("D"), dir.filePath("W")}, [&](int, const QString& s) {
        steps.append(s);
        return s != stopAt;
    });
    importer.setMapDir(mapDir);
    QString message;
    try {
        const QStringList summary = VfkImporter::summary(importer.run());
        QCOMPARE(summary.filter("  mapa 79000").size(), 2);
    } catch (const ETalvekException& e) {
        message = e.message();
    }
    QVERIFY2(error.isEmpty() ? message.isEmpty() : message.contains(error), qPrintable(message));
    // The first area's map is written (staged) before the second file is read.
    QVERIFY2(steps.contains("Území 1 z 2: Saladín 1 – zapisuji mapu"),
             qPrintable(steps.join('\n')));
    if (!error.isEmpty()) {
        QCOMPARE(store(), before);
        QVERIFY(!QFileInfo::exists(dir.filePath("D")));
        return;
    }
    const MapStore maps(mapDir);
    QCOMPARE(entries(mapDir), QStringList({"790001.gpkg", "790002.gpkg"}));
    QCOMPARE(maps.read(VfkAreaFiles::areaCode(2)).name, QString("Saladín 2"));
}

QTEST_GUILESS_MAIN(TestVfkImport)
#include "tst_vfkimport.moc"
