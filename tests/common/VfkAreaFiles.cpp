#include "common/VfkAreaFiles.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>

namespace {

// The sample's own area; the neighbours it names keep their codes.
const QByteArray SampleArea = "789160";

// How a column changes from copy to copy.
enum class Kind
{
    Plain,
    Reference,
    Area,
    Stem,
    Sheet
};

struct Block
{
    QByteArray header; // the &B line
    QList<Kind> kinds;
    bool codeList = false; // KOD first: written once, unchanged
    QList<QList<QByteArray>> rows;
};

struct Sample
{
    QList<QByteArray> headers;
    QList<QByteArray> order; // blocks in the order first defined
    QHash<QByteArray, Block> blocks;
};

Kind kindOf(const QByteArray& column)
{
    if (column.startsWith("KATUZE_KOD"))
        return Kind::Area;
    if (column == "ID" || column.startsWith("ID_") || column.contains("_ID"))
        return Kind::Reference;
    if (column == "KMENOVE_CISLO_PAR")
        return Kind::Stem;
    if (column == "CISLO_TEL")
        return Kind::Sheet;
    return Kind::Plain;
}

// Blocks defined again by a later file (KATUZE in the map) keep their first
// definition; of the later file's header only its groups are added.
bool readInto(Sample& sample, const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const bool first = sample.blocks.isEmpty();
    for (QByteArray line : in.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype semi = line.indexOf(';');
        if (semi < 0)
            continue;
        if (line.startsWith("&H")) {
            if (first)
                sample.headers.append(line);
            else if (line.startsWith("&HSKUPINA;"))
                for (QByteArray& header : sample.headers)
                    if (header.startsWith("&HSKUPINA;"))
                        header += line.mid(semi);
            continue;
        }
        const QByteArray name = line.mid(2, semi - 2);
        if (line.startsWith("&B") && !sample.blocks.contains(name)) {
            Block block;
            block.header = line;
            const QList<QByteArray> columns = line.mid(semi + 1).split(';');
            for (const QByteArray& column : columns)
                block.kinds.append(kindOf(column.left(column.indexOf(' '))));
            block.codeList = columns.value(0).startsWith("KOD ");
            sample.blocks.insert(name, block);
            sample.order.append(name);
        } else if (line.startsWith("&D") && sample.blocks.contains(name)) {
            sample.blocks[name].rows.append(line.mid(semi + 1).split(';'));
        }
    }
    return true;
}

// Identifiers get the file's and the copy's numbers appended (two digits
// each); parcel stems move by 1000 and sheet numbers by 20000 per copy.
QByteArray copied(const Block& block, QList<QByteArray> fields, const QByteArray& suffix, int copy,
                  const QByteArray& area)
{
    for (qsizetype i = 0; i < fields.size() && i < block.kinds.size(); ++i) {
        QByteArray& f = fields[i];
        if (f.isEmpty() || f == "\"\"")
            continue;
        switch (block.kinds[i]) {
        case Kind::Reference:
            f = f.endsWith('"') ? f.chopped(1) + suffix + '"' : f + suffix;
            break;
        case Kind::Area:
            if (f == SampleArea)
                f = area;
            break;
        case Kind::Stem:
            f = QByteArray::number(f.toLongLong() + 1000LL * copy);
            break;
        case Kind::Sheet:
            f = QByteArray::number(f.toLongLong() + 20000LL * copy);
            break;
        case Kind::Plain:
            break;
        }
    }
    return fields.join(';');
}

// The area rows once each; the sample's area under its new code and name.
void writeAreas(QByteArray& out, const Block& block, const QByteArray& area, int index)
{
    QList<QByteArray> written;
    for (QList<QByteArray> fields : block.rows) {
        if (fields.value(0) == SampleArea) {
            fields[0] = area;
            if (fields.size() > 2)
                fields[2] = "\"Saladín " + QByteArray::number(index) + '"';
        }
        if (written.contains(fields.value(0)))
            continue;
        written.append(fields.value(0));
        out += "&DKATUZE;" + fields.join(';') + '\n';
    }
}

} // namespace

namespace VfkAreaFiles {

QString areaCode(int index)
{
    return QString::number(790000 + index);
}

qint64 write(const QString& samplesDir, const QString& path, int index, int copies)
{
    if (index < 1 || index > 99 || copies < 1 || copies > 99)
        return -1;
    Sample sample;
    if (!readInto(sample, samplesDir + "/vfk/789160.vfk") ||
        !readInto(sample, samplesDir + "/vfk/789160-mapa.vfk"))
        return -1;
    const QByteArray area = areaCode(index).toLatin1();
    const QByteArray file = QByteArray::number(index).rightJustified(2, '0');
    QFile out(path + ".part");
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray buffer;
    bool ok = true;
    auto flush = [&](qsizetype above) {
        if (buffer.size() > above) {
            ok &= out.write(buffer) == buffer.size();
            buffer.clear();
        }
    };
    for (const QByteArray& header : std::as_const(sample.headers))
        buffer += header + '\n';
    // Copy 0 under the blocks' definitions, the further copies after them all.
    for (int copy = 0; copy < copies; ++copy) {
        const QByteArray suffix = file + QByteArray::number(copy).rightJustified(2, '0');
        for (const QByteArray& name : std::as_const(sample.order)) {
            const Block& block = sample.blocks[name];
            if (copy == 0)
                buffer += block.header + '\n';
            if (name == "KATUZE") {
                if (copy == 0)
                    writeAreas(buffer, block, area, index);
                continue;
            }
            if (block.codeList && copy > 0)
                continue;
            for (const QList<QByteArray>& fields : block.rows) {
                buffer += "&D" + name + ';';
                buffer +=
                    block.codeList ? fields.join(';') : copied(block, fields, suffix, copy, area);
                buffer += '\n';
                flush(1 << 20);
            }
        }
    }
    buffer += "&K\n";
    flush(0);
    const qint64 size = out.size();
    out.close();
    if (!ok || size <= 0)
        return -1;
    QFile::remove(path);
    return QFile::rename(path + ".part", path) ? size : -1;
}

} // namespace VfkAreaFiles
