#pragma once

#include <QString>
#include <QStringList>

// The plain-text section of an ownership sheet's supplementary records, as
// the text listings print it: four sections B1, C, D and E, each with its
// records or "BEZ ZÁPISU".
namespace LVSupplementText {

struct Record
{
    QString typeText;   // TEXT of the record type
    QString addition;   // DOPLNEK of the record type
    QString section;    // CAST of the record type ("C", "D", "E"; else B1)
    QString valueLabel; // the value as shown (parcel number or "%11.0f")
    QString deed;       // Listina: "%d/%2d" of LISTCIS, or ""
    QString changeItem; // Vykaz: "%d/%2d" of DOPLVZ, or ""
    QString deedText1;  // TEXT1 and TEXT2 of the document type
    QString deedText2;
    QStringList lines; // text rows of the record
};

// The section letter a record belongs to: 'C', 'D', 'E', else 'B'.
QChar SectionOf(const QString& cast);
// The value of a record as shown: a parcel reference ("P" types) in the
// parcel number's display form, otherwise Format("%11.0f").
QString ValueLabel(double dopludaj, bool parcelType);
// Every line of the section, each starting with `margin` spaces; values are
// made one line and cut by ListingText's rules.
QStringList Lines(const QList<Record>& records, int margin);

} // namespace LVSupplementText
