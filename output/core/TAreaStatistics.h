#pragma once

#include "data/DistrictOrigin.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

// The figures of the overall statistics of one cadastral area, computed
// without a window: for every kind of land (rows 2-11, 13, 14) and for the
// uses of kinds 10, 11, 13 and 14 (rows 21-53) the area in square metres and
// the number of registered parcel parts (PARSKUP <= 2); the totals over the
// kinds of land, the houses with house and registration numbers, the parts
// of the simplified register (PARSKUP > 2) and the area's identification
// from the district catalogue. Sums are kept as double and counts as 64-bit
// integers, so no district-size area can overflow them.
class TAreaStatistics
{
public:
    // Which pie chart a row feeds.
    enum class Series
    {
        None,
        LandKinds,  // "Podíly druhů pozemků"
        BuiltUp,    // "Podíly zastavěných ploch"
        OtherAreas, // "Podíly ostatních ploch"
    };

    // One statistic line: its row index, the kind of land and the use
    // condition: the old registry's codes (useTo > 0: useFrom <= NEMVYUZ <=
    // useTo; else useFrom > 0: NEMVYUZ = useFrom; else none) or one of
    // today's codes of the same meaning (todayUses).
    struct RowRule
    {
        int row = 0;
        const char* name = ""; // use rows only; kinds take their name from DRUHPOZ.DB
        int kind = 0;
        int useFrom = 0;
        int useTo = 0;
        Series series = Series::None;
        QList<int> todayUses{};
    };

    struct Row
    {
        RowRule rule;
        QString name;      // printed name: a blank and the text, or empty
        double areaM2 = 0; // sum of VYMERA, square metres
        qint64 count = 0;  // parts with a VYMERA
    };

    // Identification of the area from NYSKATAL.DB.
    struct Title
    {
        QString KUName, KUIdent, KUCis, Katuz;
        QString ObceName, ObceIdent;
        QString OkresName, OkresIdent, BigIdent;
    };

    // Called after every statistic row; returns true when the user asked to
    // stop (the run then throws "Operace byla přerušena").
    using StepFn = std::function<bool()>;

    // The row rules in the order they are computed: kinds 2-11, 13, 14, then
    // the 33 uses 21-53.
    static const QList<RowRule>& Rules();
    static int StepCount() { return int(Rules().size()); }
    // The vertical slot of a row on the form (1-41), or -1 for indexes that
    // have no line (12, 15-20, outside 2-53).
    static int LineOf(int row);
    // "%6.4f " of square metres in hectares, with the locale's separator.
    static QString HectaresText(double areaM2, const QLocale& locale = QLocale());
    static QString CountText(qint64 count);

    TAreaStatistics(QString workDbPath, QString alias, QString suffix);

    // Reads the catalogue, the code table and the parcel table. Throws
    // ETalvekException with the engine's message when a table is missing or
    // damaged, and with "Operace byla přerušena" when `step` asks to stop.
    void Run(const StepFn& step = {});

    const QString& Suffix() const { return m_suffix; }
    const Title& TitleData() const { return m_title; }
    const QList<Row>& Rows() const { return m_rows; }
    const Row* RowAt(int row) const; // nullptr when not computed
    // The origin of the area's district, read by Run: it decides the line of
    // the one use code whose meaning changed (kind 14, use 30).
    DistrictOrigin::Kind Origin() const { return m_origin; }
    double TotalAreaM2() const { return m_totalArea; }
    qint64 TotalCount() const { return m_totalCount; }
    qint64 HousesCp() const { return m_housesCp; }
    qint64 HousesCe() const { return m_housesCe; }
    double SimplifiedAreaM2() const { return m_simplifiedArea; }
    qint64 SimplifiedCount() const { return m_simplifiedCount; }

private:
    void ReadTitle();
    QList<QString> CatalogueRow(const QString& condition, const QString& key,
                                const QStringList& fields) const;
    QString LandKindName(int kind) const;
    void ReadLandKindNames();
    void ComputeRow(const RowRule& rule);
    void CountHouses();
    void CountSimplifiedRegister();
    QString ParcelTable() const;

    QString m_workDbPath;
    QString m_alias;
    QString m_suffix;
    DistrictOrigin::Kind m_origin = DistrictOrigin::Kind::Registry;
    Title m_title;
    QList<QPair<int, QString>> m_kindNames;
    QList<Row> m_rows;
    double m_totalArea = 0;
    qint64 m_totalCount = 0;
    qint64 m_housesCp = 0;
    qint64 m_housesCe = 0;
    double m_simplifiedArea = 0;
    qint64 m_simplifiedCount = 0;
};
