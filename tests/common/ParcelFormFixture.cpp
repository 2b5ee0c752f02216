#include "ParcelFormFixture.h"

#include "app/core/TCodeTableApp.h"

#include "db/Query.h"
#include "db/paradox/ParadoxTable.h"
#include "widgets/MessageDlg.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

ParcelFormFixture::Messages::Messages(int answer)
{
    SetMessageDlgInterceptor([this, answer](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        append(text);
        return answer;
    });
}

ParcelFormFixture::Messages::~Messages()
{
    SetMessageDlgInterceptor(nullptr);
}

ParcelFormFixture::ParcelFormFixture(const QString& directory) : m_dir(directory)
{
    QDir().mkpath(m_dir + QStringLiteral("/WorkDB"));
    QDir().mkpath(m_dir + QStringLiteral("/work"));
}

void ParcelFormFixture::writeTable(const QString& path, const QString& fields, int keyFields,
                                   const QList<QVariantList>& rows)
{
    using T = ParadoxFieldType;
    static const QHash<QChar, T> types{{'S', T::Short}, {'L', T::Long}, {'N', T::Number},
                                       {'A', T::Alpha}, {'M', T::Memo}, {'B', T::Logical}};
    QList<ParadoxField> list;
    for (const QString& word : fields.split(' ', Qt::SkipEmptyParts)) {
        const QString type = word.section(':', 1);
        list.append({word.section(':', 0, 0), types.value(type[0]), type.mid(1).toInt()});
    }
    ParadoxWriter::writeTable(path, list, keyFields, rows);
}

QStringList ParcelFormFixture::queryColumn(const QString& database, const QString& sql)
{
    const QString field = QString(sql).remove("DISTINCT ").section(' ', 1, 1).section('.', -1);
    Query q;
    q.setDatabaseName(database);
    q.setSql(sql);
    q.open();
    QStringList result;
    for (q.first(); !q.eof(); q.next())
        result.append(q.asString(field));
    return result;
}

int ParcelFormFixture::runTool(const QStringList& arguments, const QString& workDb, QString* output)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORV_WORKDB", workDb);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(ORV_TOOL_PATH), arguments);
    const bool finished = tool.waitForFinished(120000);
    *output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    return finished ? tool.exitCode() : -1;
}

QString ParcelFormFixture::pdfText(const QString& pdf, bool layout)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        return QString();
    QProcess extract;
    extract.start("pdftotext", layout ? QStringList{"-layout", pdf, "-"} : QStringList{pdf, "-"});
    extract.waitForFinished(60000);
    // Never null, even when empty.
    return QString("%1").arg(QString::fromUtf8(extract.readAllStandardOutput()).simplified());
}

ParcelFormFixture::Part ParcelFormFixture::numberedPart(int i)
{
    const QString mapa = QStringLiteral("M%1").arg(i % 7), number = QString::number(i);
    return {2,        i, 0,    1, 100.0 + i, 2 + i % 3, 0, i % 2 ? 13 : 0, i % 5 ? 0.0 : i,
            1000 + i, 1, mapa, i, number};
}

QList<ParcelFormFixture::Part> ParcelFormFixture::numberedParts(int count)
{
    QList<Part> parts;
    for (int i = 1; i <= count; ++i)
        parts.append(numberedPart(i));
    return parts;
}

void ParcelFormFixture::write(const QList<Part>& parts) const
{
    QStringList parcelFields = QStringLiteral("PARSKUP:S PARCIS:L PARPOD:S PARDIL:S VYMERA:N "
                                              "DRUHPOZ:S NEMOCHR:S NEMVYUZ:S CPCE:N LVCIS:L "
                                              "VLVZTAH:S MAPA:A60 PPOLVZ:L PARCISLO:A12")
                                   .split(' ');
    const qsizetype omitted = parcelFields.indexOf(QRegularExpression(m_omitted + ":.*"));
    QList<QVariantList> parcelRows;
    QList<QVariantList> workRows;
    for (const Part& p : parts) {
        QVariantList row{p.parskup, p.parcis, p.parpod, p.pardil,  p.vymera, p.druhpoz, p.nemochr,
                         p.nemvyuz, p.cpce,   p.lvcis,  p.vlvztah, p.mapa,   p.ppolvz,  p.parcislo};
        if (omitted >= 0)
            row.removeAt(omitted);
        if (p.inArea)
            parcelRows.append(row);
        workRows.append({p.parskup, p.parcis, p.parpod, p.pardil, qint64(p.vymera), p.druhpoz,
                         qint64(p.cpce), p.nemvyuz, p.parcislo, p.lvcis, p.marked});
    }
    if (omitted >= 0)
        parcelFields.removeAt(omitted);
    writeTable(m_dir + "/NYSPA001.DB", parcelFields.join(' '), 4, parcelRows);
    writeTable(workTable(),
               "PARSKUP:S PARCIS:L PARPOD:S PARDIL:S VYMERA:L DRUHPOZ:S CPCE:L NEMVYUZ:S "
               "PARCISLO:A12 LVCIS:L FLAG:B",
               4, workRows);
    writeTable(workDbPath() + "/DRUHPOZ.DB", "CIS:S ZKR:A10 TEXT:A40", 1,
               {{2, "orná", "orná půda"}, {3, "chmel.", "chmelnice"}, {4, "vinice", "vinice"}});
}

void ParcelFormFixture::writeDetail(const DetailTables& tables) const
{
    QList<QVariantList> relations, records, texts, ratings;
    for (const QVariantList& r : tables.relations)
        relations.append(r + QVariantList{1});
    for (const QVariantList& r : tables.records)
        records.append({r[0], int(records.size() + 1), r[1], r[2]});
    for (const QVariantList& r : tables.texts)
        texts.append({2, r[0], 0, r[1], r[2], r[3]});
    for (const QVariantList& r : tables.ratings)
        ratings.append({r.value(4, 2), r[0], r.value(5, 0), r[2], r[1], r[3]});
    writeTable(m_dir + "/NYSUV001.DB", "ELLVCIS:N VLPOR:S IDENT:N UVCHAR:S PODIL:N SEKTOR:S", 2,
               relations);
    writeTable(m_dir + "/NYSOBORG.DB", "IDENT:N UVCHAR:S NAZEV:A60", 2, tables.persons);
    writeTable(m_dir + "/NYSVL001.DB", "DLVCIS:N DOPLPOR:S DOPLKOD:S DOPLUDAJ:N", 2, records);
    writeTable(m_dir + "/ORVTX001.DB", "PARSKUP:S PARCIS:L PARPOD:S PARDIL:S USERNAME:A20 TEXT:M30",
               5, texts);
    writeTable(m_dir + "/NYSBO001.DB", "PARSKUP:S PARCIS:N PARPOD:S VYMERA:N BONITA:A5 BPOLVZ:N", 0,
               ratings);
    writeTable(workDbPath() + "/PARSKUP.DB", "CIS:S PSKUP:A40", 1,
               {{1, "KN - stavební"}, {2, "KN - pozemek"}, {3, "EN - zaniklý"}});
    writeTable(workDbPath() + "/NIXVYUZ.DB", "KOD:L TEXT:A40", 1,
               {{2000, "orná bez využití"}, {3013, "chmelnice se stavbou"}, {4000, "vinice"}});
    writeTable(
        workDbPath() + "/CHARUV.DB", "CIS:S TEXT:A60", 1,
        {{1, "vlastník"}, {4, "Organizační složka státu (účetní jednotka)"}, {11, "uživatel"}});
}

TKUInfo ParcelFormFixture::area() const
{
    return {m_dir, "Žďár nad Sázavou", "Křižanov", "Kundratice u Křižanova", "001", "675601"};
}

namespace {
// Settings held in memory: only what a test sets.
class MemorySettings : public ISettings
{
public:
    QVariant GetValue(const QString& name, const QVariant& defaultValue) override
    {
        return m_values.value(name, defaultValue);
    }
    void SetValue(const QString& name, const QVariant& value) override
    {
        m_values.insert(name, value);
    }

private:
    QVariantMap m_values;
};

class FormApp : public TCodeTableApp
{
public:
    FormApp(const QString& workDb, const QString& paper)
        : TCodeTableApp(workDb), m_settings(std::make_shared<MemorySettings>())
    {
        if (!paper.isEmpty())
            m_settings->SetValue(QStringLiteral("Vystup.Papir"), paper);
    }
    std::shared_ptr<ISettings> Settings() const override { return m_settings; }

private:
    std::shared_ptr<ISettings> m_settings;
};
} // namespace

std::shared_ptr<IApp> ParcelFormFixture::formApp(const QString& workDb, const QString& paper)
{
    return std::make_shared<FormApp>(workDb, paper);
}

std::shared_ptr<IApp> ParcelFormFixture::app(const QString& paper) const
{
    return formApp(workDbPath(), paper);
}
