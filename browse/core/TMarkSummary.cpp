#include "browse/core/TMarkSummary.h"

#include "base/Format.h"
#include "db/Query.h"

#include <QFileInfo>

TMarkSummary TMarkSummary::Read(const QString& workTablePath)
{
    const QFileInfo info(workTablePath);
    Query query;
    query.setDatabaseName(info.absolutePath());
    query.setSql(Format(QStringLiteral("SELECT COUNT(*), SUM(CASE WHEN FLAG = TRUE THEN 1 ELSE 0 "
                                       "END), SUM(CASE WHEN FLAG = TRUE THEN VYMERA ELSE 0 END) "
                                       "FROM \"%s\""),
                        info.fileName()));
    query.open();
    // An empty table sums to NULL, which reads as 0.
    const TMarkSummary summary(int(query.value(0).toLongLong()), int(query.value(1).toLongLong()),
                               query.value(2).toLongLong());
    query.close();
    return summary;
}

void TMarkSummary::Changed(bool wasMarked, bool marked, qint64 area)
{
    if (wasMarked == marked)
        return;
    const int sign = marked ? 1 : -1;
    m_marked += sign;
    m_area += sign * area;
}

QString TMarkSummary::Text() const
{
    // "z 1 dílu", otherwise "z 5 dílů": the genitive after "z".
    const QString parts = m_parts == 1 ? QStringLiteral("dílu") : QStringLiteral("dílů");
    // Hectares from whole square metres without a rounding step: 1 ha = 10,000 m².
    const QString hectares =
        QStringLiteral("%1,%2").arg(m_area / 10000).arg(m_area % 10000, 4, 10, QLatin1Char('0'));
    return QStringLiteral("Označeno: %1 z %2 %3, výměra %4 ha")
        .arg(m_marked)
        .arg(m_parts)
        .arg(parts, hectares);
}
