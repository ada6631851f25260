#pragma once
// A reader of OLE2 compound files (the container of Excel 97-2003 and WPS
// workbooks, and of workbooks encrypted by Office), enough to tell what a
// file is and to look into its workbook stream before a library parses it:
// the streams' names and their bytes. Every sector number, chain and size is
// checked against the file, so a damaged or crafted file gives an error.
#include "core/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CompoundFile {
public:
    // Reads the header, the allocation tables and the directory of the
    // file in `bytes` (which must outlive the reader).
    Status open(const QByteArray *bytes);

    QStringList streamNames() const;
    bool hasStream(const QString &name) const;
    // A stream's bytes; a failure when it is missing, damaged or larger
    // than `limit`.
    Result<QByteArray> stream(const QString &name, qint64 limit) const;

private:
    struct Entry {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };
    Result<QList<quint32>> chain(const QList<quint32> &table, quint32 start, qint64 sectors) const;
    bool readSector(quint32 sector, QByteArray &out) const;
    Result<QByteArray> read(const QList<quint32> &sectors, qint64 sectorSize, const QByteArray *from, quint64 size) const;

    const QByteArray *m_bytes = nullptr;
    int m_sectorSize = 512;
    int m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
};
