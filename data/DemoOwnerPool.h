#pragma once

#include "data/DemoNameSource.h"
#include "data/DemoRandom.h"

#include <QList>
#include <QSet>
#include <QStringList>

// One owner of the demo district (a row of NYSOBORG).
struct DemoOwner
{
    qint64 ident = 0;
    int uvchar = 2; // owner characteristic (CHARUV)
    int sector = 4; // SEKTOR
    QString name;
};

// The owners of a demo district: the State, state bodies, the municipalities,
// and private persons, spouses and companies. Birth numbers and company
// numbers (IČO) are invented so that they can never be valid ones; IDENT is
// unique. Once built, the pool is only read (areas are built in parallel).
class DemoOwnerPool
{
public:
    DemoOwnerPool(int count, const QStringList& municipalities, DemoRandom& random);

    const QList<DemoOwner>& owners() const { return m_owners; }
    int stateOwner() const { return 0; }
    int municipality(int index) const { return m_municipalities[index]; }
    // Areas draw with their own generator, so that they can be built in parallel.
    int stateBody(DemoRandom& random) const;
    int randomPrivate(DemoRandom& random) const;

private:
    int add(const DemoOwner& owner);
    qint64 uniqueIco();
    qint64 uniqueBirthNumber(bool female);
    DemoOwner privateOwner();

    DemoRandom& m_random;
    DemoNameSource m_names;
    QList<DemoOwner> m_owners;
    QList<int> m_stateBodies;
    QList<int> m_municipalities;
    QList<int> m_private;
    QSet<qint64> m_used;
};
