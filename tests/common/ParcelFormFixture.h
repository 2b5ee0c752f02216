#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"

#include <QString>
#include <QVariantList>
#include <memory>

// A small area on disk for the printed forms: the parcel table NYSPA001.DB,
// the kind-of-land code table in WorkDB/ and the work table PRAC.DB in work/.
// Parts are numbered 1..n with computable values so that tests can check
// every cell.
class ParcelFormFixture
{
public:
    // The texts of the message boxes shown while it lives, each answered with
    // `answer` (a TModalResult).
    class Messages : public QStringList
    {
    public:
        explicit Messages(int answer = 1);
        ~Messages();
    };

    struct Part
    {
        int parskup = 2, parcis = 1, parpod = 0, pardil = 1;
        double vymera = 100;
        int druhpoz = 2, nemochr = 0, nemvyuz = 0;
        double cpce = 0;
        int lvcis = 1, vlvztah = 1;
        QString mapa;
        int ppolvz = 0;
        QString parcislo;
        bool marked = true;
        bool inArea = true; // false: only in the work table
    };

    // Rows of the detailed forms' tables: a sheet's owner (sheet, order, IDENT, UVCHAR, share),
    // an owner (IDENT, UVCHAR, name), a record of a sheet (sheet, code, value), a user text of
    // part (2, parcel, 0, part) (parcel, part, user, text), a rating (parcel, BONITA, area,
    // statement[, group 2, subdivision 0]).
    struct DetailTables
    {
        QList<QVariantList> relations{}, persons{}, records{}, texts{}, ratings{};
    };

    explicit ParcelFormFixture(const QString& directory);

    // Writes a Paradox table whose fields are given as "NAME:TYPE[SIZE]"
    // words, TYPE one of S(hort), L(ong), N(umber), A(lpha), M(emo), B(oolean).
    static void writeTable(const QString& path, const QString& fields, int keyFields,
                           const QList<QVariantList>& rows);
    // The values of the first field `sql` selects from the tables in `database`.
    static QStringList queryColumn(const QString& database, const QString& sql);
    // Runs orv-tool with `arguments` and the code tables of `workDb`: its exit
    // code (-1 when it did not finish in two minutes), its output and errors.
    static int runTool(const QStringList& arguments, const QString& workDb, QString* output);
    // The text of a PDF by pdftotext, its blanks simplified; null without pdftotext.
    static QString pdfText(const QString& pdf, bool layout);
    // Part i (1-based) of a standard sequence: group 2, number i, part 1.
    static Part numberedPart(int i);
    // Parts 1..count of the standard sequence.
    static QList<Part> numberedParts(int count);
    // Writes the three tables.
    void write(const QList<Part>& parts) const;
    // Writes the detailed forms' tables of the area (NYSUV, NYSOBORG, NYSVL,
    // ORVTX, NYSBO) and their code tables (PARSKUP, NIXVYUZ, CHARUV).
    void writeDetail(const DetailTables& tables) const;
    // Leaves a field out of the parcel table (a damaged or foreign table).
    void omitParcelField(const QString& name) { m_omitted = name; }

    // The application object of the forms over the code tables `workDb`, with
    // the setting of the paper ("A4" or "Letter"; empty: not set).
    static std::shared_ptr<IApp> formApp(const QString& workDb, const QString& paper);

    TKUInfo area() const;
    QString workTable() const { return m_dir + QStringLiteral("/work/PRAC.DB"); }
    QString workDbPath() const { return m_dir + QStringLiteral("/WorkDB"); }
    QString areaDir() const { return m_dir; }
    // The forms' application object over WorkDB/ (Letter paper by default,
    // the paper the forms' geometry is designed for).
    std::shared_ptr<IApp> app(const QString& paper = QStringLiteral("Letter")) const;

private:
    QString m_dir;
    QString m_omitted;
};
