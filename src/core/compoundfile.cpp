#include "core/compoundfile.h"

#include <QtEndian>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 LastRegular = 0xFFFFFFFA;
constexpr int HeaderBytes = 512;
constexpr int HeaderDifat = 109;
constexpr int EntryBytes = 128;
constexpr qint64 MaxDirectoryEntries = 65536;

quint32 u32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

Status damaged(const QString &why)
{
    return Status::failure(QStringLiteral("Excel 97-2003 工作簿已损坏或不完整（%1）").arg(why), 3);
}

} // namespace

bool CompoundFile::readSector(quint32 sector, QByteArray &out) const
{
    const qint64 at = (qint64(sector) + 1) * m_sectorSize;
    if (sector > LastRegular || at + m_sectorSize > m_bytes->size())
        return false;
    out = m_bytes->mid(at, m_sectorSize);
    return true;
}

// The sectors of a chain; a chain that leaves the table, loops or runs
// past `sectors` sectors is damaged.
Result<QList<quint32>> CompoundFile::chain(const QList<quint32> &table, quint32 start, qint64 sectors) const
{
    QList<quint32> list;
    for (quint32 s = start; s != EndOfChain;) {
        if (s >= quint32(table.size()) || list.size() > sectors)
            return damaged(QStringLiteral("扇区链断了"));
        list << s;
        s = table.at(s);
    }
    return list;
}

Result<QByteArray> CompoundFile::read(const QList<quint32> &sectors, qint64 sectorSize, const QByteArray *from,
                                      quint64 size) const
{
    if (quint64(sectors.size()) * quint64(sectorSize) < size)
        return damaged(QStringLiteral("数据流比它的扇区长"));
    QByteArray out;
    out.reserve(qsizetype(size));
    for (const quint32 s : sectors) {
        if (quint64(out.size()) >= size)
            break;
        if (from) {
            const qint64 at = qint64(s) * sectorSize;
            if (at + sectorSize > from->size())
                return damaged(QStringLiteral("小扇区超出了范围"));
            out += from->mid(at, sectorSize);
        } else {
            QByteArray sector;
            if (!readSector(s, sector))
                return damaged(QStringLiteral("扇区超出了文件"));
            out += sector;
        }
    }
    out.truncate(qsizetype(size));
    return out;
}

Status CompoundFile::open(const QByteArray *bytes)
{
    m_bytes = bytes;
    const QByteArray &b = *bytes;
    if (b.size() < HeaderBytes || !b.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return damaged(QStringLiteral("文件头不完整"));
    const int shift = u16(b, 0x1E);
    if (shift != 9 && shift != 12)
        return damaged(QStringLiteral("扇区大小不对"));
    m_sectorSize = 1 << shift;
    m_miniSectorSize = 1 << std::min<int>(u16(b, 0x20), 12);
    m_miniCutoff = u32(b, 0x38);
    const qint64 sectors = b.size() / m_sectorSize;
    // The allocation table's sectors: 109 in the header, more in a chain.
    QList<quint32> fatSectors;
    for (int i = 0; i < HeaderDifat; ++i)
        if (const quint32 s = u32(b, 0x4C + 4 * i); s <= LastRegular)
            fatSectors << s;
    quint32 difat = u32(b, 0x44);
    for (qint64 n = 0; difat <= LastRegular; ++n) {
        QByteArray sector;
        if (n > sectors || !readSector(difat, sector))
            return damaged(QStringLiteral("分配表的索引断了"));
        const int perSector = m_sectorSize / 4 - 1;
        for (int i = 0; i < perSector; ++i)
            if (const quint32 s = u32(sector, 4 * i); s <= LastRegular)
                fatSectors << s;
        difat = u32(sector, 4 * perSector);
    }
    if (fatSectors.size() > sectors)
        return damaged(QStringLiteral("分配表比文件大"));
    m_fat.clear();
    for (const quint32 s : std::as_const(fatSectors)) {
        QByteArray sector;
        if (!readSector(s, sector))
            return damaged(QStringLiteral("分配表超出了文件"));
        for (int i = 0; i < m_sectorSize / 4; ++i)
            m_fat << u32(sector, 4 * i);
    }
    // The directory: 128-byte entries in a chain of sectors.
    const Result<QList<quint32>> dirChain = chain(m_fat, u32(b, 0x30), sectors);
    if (!dirChain)
        return dirChain.status();
    if (qint64(dirChain->size()) * m_sectorSize / EntryBytes > MaxDirectoryEntries)
        return damaged(QStringLiteral("目录太大"));
    const Result<QByteArray> dir = read(*dirChain, m_sectorSize, nullptr, quint64(dirChain->size()) * m_sectorSize);
    if (!dir)
        return dir.status();
    m_entries.clear();
    for (qsizetype at = 0; at + EntryBytes <= dir->size(); at += EntryBytes) {
        Entry e;
        e.type = uchar(dir->at(at + 0x42));
        const int nameBytes = std::min<int>(u16(*dir, at + 0x40), 64);
        e.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(dir->constData() + at),
                                    std::max(0, nameBytes / 2 - 1));
        e.start = u32(*dir, at + 0x74);
        e.size = u32(*dir, at + 0x78) | (m_sectorSize == 4096 ? quint64(u32(*dir, at + 0x7C)) << 32 : 0);
        if (e.type == 1 || e.type == 2 || e.type == 5)
            m_entries << e;
    }
    if (m_entries.isEmpty() || m_entries.first().type != 5)
        return damaged(QStringLiteral("没有根目录"));
    // The small streams live in the root entry's mini stream.
    m_miniFat.clear();
    m_miniStream.clear();
    const quint32 miniFatStart = u32(b, 0x3C);
    if (miniFatStart <= LastRegular) {
        const Result<QList<quint32>> miniFatChain = chain(m_fat, miniFatStart, sectors);
        if (!miniFatChain)
            return miniFatChain.status();
        const Result<QByteArray> table =
            read(*miniFatChain, m_sectorSize, nullptr, quint64(miniFatChain->size()) * m_sectorSize);
        if (!table)
            return table.status();
        for (qsizetype i = 0; i + 4 <= table->size(); i += 4)
            m_miniFat << u32(*table, i);
        const Entry &root = m_entries.first();
        if (root.size > quint64(b.size()))
            return damaged(QStringLiteral("小数据流比文件大"));
        const Result<QList<quint32>> rootChain = chain(m_fat, root.start, sectors);
        if (!rootChain)
            return rootChain.status();
        const Result<QByteArray> mini = read(*rootChain, m_sectorSize, nullptr, root.size);
        if (!mini)
            return mini.status();
        m_miniStream = *mini;
    }
    return {};
}

QStringList CompoundFile::streamNames() const
{
    QStringList names;
    for (const Entry &e : m_entries)
        if (e.type == 2)
            names << e.name;
    return names;
}

bool CompoundFile::hasStream(const QString &name) const
{
    return streamNames().contains(name, Qt::CaseInsensitive);
}

Result<QByteArray> CompoundFile::stream(const QString &name, qint64 limit) const
{
    for (const Entry &e : m_entries) {
        if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (e.size > quint64(limit))
            return Status::failure(QStringLiteral("Excel 97-2003 工作簿太大（超过 %1 MB），不予读取").arg(limit >> 20), 3);
        if (e.size > quint64(m_bytes->size()))
            return damaged(QStringLiteral("数据流比文件大"));
        if (e.size < m_miniCutoff) {
            const Result<QList<quint32>> sectors = chain(m_miniFat, e.start, m_miniFat.size());
            if (!sectors)
                return sectors.status();
            return read(*sectors, m_miniSectorSize, &m_miniStream, e.size);
        }
        const Result<QList<quint32>> sectors = chain(m_fat, e.start, m_bytes->size() / m_sectorSize);
        if (!sectors)
            return sectors.status();
        return read(*sectors, m_sectorSize, nullptr, e.size);
    }
    return damaged(QStringLiteral("没有数据流 %1").arg(name));
}
