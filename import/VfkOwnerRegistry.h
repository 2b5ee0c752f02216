#pragma once

#include "import/VfkColumns.h"
#include "import/VfkDataSet.h"

#include <QSet>

// The owners (OPSUB) of an import as the owner table keys them: IDENT is the
// birth number or IČO; without personal data it is a surrogate derived from
// the OPSUB ID, 100 000 000 000 and above, which no birth number (at most 10
// digits) and no IČO (8 digits) can reach. The same ID gives the same
// surrogate in every area and file of one import.
struct VfkOwner
{
    double ident = 0;
    int uvchar = 0;
    int sector = 5; // SEKTOR: 1 state, 2 municipalities and regions, 3 other legal persons,
                    // 4 natural persons and spouses, 5 other
    QString name;   // NAZEV, upper case, at most 60 characters
};

class VfkOwnerRegistry
{
public:
    // The surrogates given so far: an ID keeps its surrogate in every area,
    // and a value taken by one ID is not given to another.
    struct Surrogates
    {
        QHash<QString, qint64> ofId;
        QSet<qint64> taken;
    };
    // `shared` holds the surrogates of areas built before, or nullptr.
    explicit VfkOwnerRegistry(const VfkDataSet& data, Surrogates* shared = nullptr);

    // The owner with this OPSUB ID (a blank owner when the file lacks it).
    const VfkOwner& owner(const QString& opsubId) const;
    // The name as a text line shows it ("Oprávnění pro: ..."), not upper-cased.
    QString displayName(const QString& opsubId) const;

    static qint64 surrogateIdent(const QString& opsubId);
    static int sectorOf(const QString& kind, int charos);

private:
    VfkOwner build(const VfkColumns& opsub, int row) const;
    QString personName(int row) const;
    QString address(int row) const;
    QString unnamed(const QString& kind, int charos, double ico) const;

    // Indexes of the OPSUB columns read (-1: the block lacks it).
    struct Columns
    {
        int id, type, charos, ico, name, birthNumber, surname, firstName, titleBefore, titleAfter,
            partner1, partner2, street, townPart, houseNumber, streetNumber, town;
    };

    const VfkColumns m_opsub;
    Columns m_c{};
    QHash<QString, VfkOwner> m_owners;
    QHash<QString, QString> m_display;
    QHash<int, QString> m_charosNames;
};
