#include "data/DemoOwnerPool.h"

namespace {

// Birth numbers that can never be real: the valid ones are divisible by 11,
// these leave remainder 5.
qint64 inventedBirthNumber(DemoRandom& random, bool female)
{
    const int year = random.between(20, 99);
    const int month = random.between(1, 12) + (female ? 50 : 0);
    const int day = random.between(1, 28);
    qint64 number = ((qint64(year) * 100 + month) * 100 + day) * 10000 + random.between(0, 9980);
    number += (5 - number % 11 + 11) % 11;
    return number;
}

// Company numbers (IČO) whose check digit is deliberately wrong.
qint64 inventedIco(DemoRandom& random)
{
    int digits[7];
    int sum = 0;
    for (int i = 0; i < 7; ++i) {
        digits[i] = random.below(10);
        sum += digits[i] * (8 - i);
    }
    const int check = (11 - sum % 11) % 10;
    qint64 ico = 0;
    for (int d : digits)
        ico = ico * 10 + d;
    return ico * 10 + (check + 1 + random.below(9)) % 10;
}

} // namespace

DemoOwnerPool::DemoOwnerPool(int count, const QStringList& municipalities, DemoRandom& random)
    : m_random(random), m_names(random)
{
    add({1, 3, 1, QStringLiteral("ČESKÁ REPUBLIKA")});
    static const char* const stateBodies[] = {
        "STÁTNÍ POZEMKOVÝ ÚŘAD", "ÚŘAD PRO ZASTUPOVÁNÍ STÁTU VE VĚCECH MAJETKOVÝCH",
        "LESY ČESKÉ REPUBLIKY, S.P.", "ŘEDITELSTVÍ SILNIC A DÁLNIC ČR",
        "POVODÍ VLTAVY, STÁTNÍ PODNIK"};
    const int stateChars[] = {4, 4, 20, 20, 20};
    for (int i = 0; i < 5; ++i)
        m_stateBodies.append(
            add({uniqueIco(), stateChars[i], 1, QString::fromUtf8(stateBodies[i])}));
    for (const QString& m : municipalities)
        m_municipalities.append(
            add({uniqueIco(), 11, 2, FitText(QStringLiteral("OBEC ") + m, 60)}));
    while (m_owners.size() < count)
        m_private.append(add(privateOwner()));
}

int DemoOwnerPool::stateBody(DemoRandom& random) const
{
    return m_stateBodies[random.below(int(m_stateBodies.size()))];
}

int DemoOwnerPool::randomPrivate(DemoRandom& random) const
{
    return m_private[random.below(int(m_private.size()))];
}

int DemoOwnerPool::add(const DemoOwner& owner)
{
    m_owners.append(owner);
    return int(m_owners.size() - 1);
}

qint64 DemoOwnerPool::uniqueIco()
{
    qint64 ico;
    do {
        ico = inventedIco(m_random);
    } while (ico < 10000 || m_used.contains(ico));
    m_used.insert(ico);
    return ico;
}

qint64 DemoOwnerPool::uniqueBirthNumber(bool female)
{
    qint64 number;
    do {
        number = inventedBirthNumber(m_random, female);
    } while (m_used.contains(number));
    m_used.insert(number);
    return number;
}

DemoOwner DemoOwnerPool::privateOwner()
{
    const int kind = m_random.below(100);
    if (kind < 4) { // company
        const QString name = m_names.company() + QStringLiteral(", ") + m_names.address();
        return {uniqueIco(), 11, 3, FitText(name, 60)};
    }
    if (kind < 5) { // contributory organisation of a municipality
        const QString school =
            QStringLiteral("ZÁKLADNÍ ŠKOLA ") + m_names.placeName(m_random.below(200));
        return {uniqueIco(), 15, 2, FitText(school, 60)};
    }
    if (kind < 17) { // spouses in community property
        const QString husband = m_names.person(false);
        const QString name = QStringLiteral("SJM ") + husband + QStringLiteral(" A ") +
                             m_names.wifeOf(husband) + QStringLiteral(", ") + m_names.address();
        return {uniqueBirthNumber(false), 1, 4, FitText(name, 60)};
    }
    const bool female = m_random.percent(45);
    const QString name = m_names.person(female) + QStringLiteral(", ") + m_names.address();
    return {uniqueBirthNumber(female), 2, 4, FitText(name, 60)};
}
