#include "browse/core/ParDilyRules.h"

#include "base/Format.h"
#include "data/ValueFormats.h"

#include <cmath>

namespace ParDilyRules {

QString VykazText(qint64 ppolvz)
{
    return ChangeItemText(ppolvz);
}

std::array<int, 3> ProtectionCodes(int nemochr)
{
    return {nemochr / 100, (nemochr % 100) / 10, nemochr % 10};
}

std::array<QString, 3> ProtectionLines(const std::array<QString, 3>& texts)
{
    if (texts[1].isEmpty())
        return {texts[0], texts[2], QString()};
    return texts;
}

CellColours RowColours(bool marked, const QString& mapa, bool parcelView, const QString& parcislo,
                       const QString& currentParcislo)
{
    CellColours colours;
    if (!marked)
        colours.text = QColor(192, 192, 192);
    if (mapa == QLatin1String("-")) {
        colours.background = Qt::red;
    } else if (parcelView && parcislo == currentParcislo) {
        colours.background = Qt::yellow;
        if (marked)
            colours.text = Qt::black;
    }
    return colours;
}

QString BrowserCaption(int mode, int listNumber, const QString& katastr)
{
    QString caption = QString::fromUtf8(RestingCaption);
    if (listNumber < 0)
        caption = QStringLiteral("Přehled dílů parcel evidenčního listu číslo ") +
                  QString::number(-qint64(listNumber));
    else if (listNumber > 0)
        caption = QStringLiteral("Přehled dílů parcel listu vlastnictví číslo ") +
                  QString::number(listNumber);
    if (mode != 1)
        caption = QStringLiteral("Přehled vlastníků parcel");
    return caption + QStringLiteral(" v katastru ") + katastr;
}

QString MarkButtonCaption(bool markToggle)
{
    return markToggle ? QStringLiteral("&Označit") : QStringLiteral("&Odznačit");
}

QString MarkAllSql(const QString& workTableFile, bool mark)
{
    return Format(QStringLiteral("UPDATE \"%s\" SET FLAG = %s"), workTableFile,
                  mark ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

std::optional<QString> SortKey(const QString& field, bool calculated)
{
    if (!calculated)
        return field;
    if (field == QLatin1String("PopCis"))
        return QStringLiteral("CPCE");
    return std::nullopt;
}

QString CannotSortMessage(const QString& columnTitle)
{
    return Format(QStringLiteral("Podle položky \"%s\" nelze třídit"), columnTitle);
}

LandSheet FindLandLV(const QList<SheetRecord>& records, int parskup, int parcis, int parpod,
                     int ownLv)
{
    const qint64 key = qint64(parskup) * 10000000000LL + qint64(parcis) * 1000 + parpod;
    int pending = -1;
    int lv = ownLv;
    bool found = false;
    for (const SheetRecord& r : records) {
        if (found)
            break;
        if (r.doplkod == 82) {
            pending = r.doplpor;
            lv = int(WholeNumber(r.dopludaj));
        } else if (r.doplkod == 90) {
            found = r.doplpor == pending && WholeNumber(r.dopludaj) == key;
            pending = -1;
        }
    }
    if (!found && pending > 0)
        found = true;
    return {found, found ? lv : ownLv};
}

QString LandSheetCaption(int lv)
{
    return Format(QStringLiteral("&Pozemku na LV %d"), lv);
}

QList<FieldDef> OwnTextFields()
{
    return {{"PARSKUP", FieldType::SmallInt, 0, true}, {"PARCIS", FieldType::Integer, 0, true},
            {"PARPOD", FieldType::SmallInt, 0, true},  {"PARDIL", FieldType::SmallInt, 0, true},
            {"USERNAME", FieldType::String, 20},       {"TEXT", FieldType::Memo},
            {"PARCISLO", FieldType::String, 12}};
}

QList<IndexDef> OwnTextIndexes()
{
    return {{"", {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "USERNAME"}, true, true},
            {"KLIC", {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"}, false, false}};
}

} // namespace ParDilyRules
