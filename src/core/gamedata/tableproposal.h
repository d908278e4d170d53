#pragma once

#include "gamedata/descriptions.h"
#include "gamedata/gamedata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A table proposed from bytes chosen in the hex grid: records of one stride, one decimal byte
// field per offset of the record, records numbered 00, 01, ...
namespace GameData {

// The smallest stride from 2 to 64 under which consecutive records of bytes share the most
// equal bytes; the length of bytes when no such stride gives two records.
int guessStride(const QByteArray &bytes);

// "table_6f000": a key for a table that starts at base.
QString proposedKey(qint64 base);
// "字节00", "字节01", ...: the caption of the byte at offset in the record.
QString byteCaption(int offset);

struct TableProposal {
    QString name;
    QString key;
    qint64 base = 0;
    int stride = 1;
    int count = 1;

    Table table() const;
};

// The faults a description file called name with bytes would have, read after the files
// others (the ones already in use): a byte a built-in or user table names, a key in use.
QVector<DescriptionError> faultsAfter(const QStringList &others, const QString &name, const QByteArray &bytes);

} // namespace GameData
