#include "gamedata/tableproposal.h"

#include "image/fileio.h"

#include <QDir>
#include <QTemporaryDir>

namespace GameData {

int guessStride(const QByteArray &bytes)
{
    const qint64 length = bytes.size();
    int best = 0;
    double bestScore = -1;
    for (int stride = 2; stride <= 64 && length / stride >= 2; ++stride) {
        const qint64 compared = (length / stride - 1) * stride;
        qint64 equal = 0;
        for (qint64 i = stride; i < compared + stride; ++i)
            equal += bytes[i] == bytes[i - stride];
        const double score = double(equal) / double(compared);
        if (score > bestScore + 1e-9) {
            bestScore = score;
            best = stride;
        }
    }
    return best > 0 ? best : int(std::max<qint64>(1, std::min<qint64>(length, 65535)));
}

QString proposedKey(qint64 base)
{
    return QStringLiteral("table_") + QString::number(base, 16);
}

QString byteCaption(int offset)
{
    return QStringLiteral("字节") + QString::number(offset, 16).toUpper().rightJustified(2, u'0');
}

Table TableProposal::table() const
{
    Table t;
    t.id = UserTable;
    t.name = name.trimmed();
    t.key = key;
    t.base = base;
    t.stride = stride;
    for (int k = 0; k < stride; ++k) {
        Field f;
        f.caption = byteCaption(k);
        f.base = base + k;
        f.stride = stride;
        t.fields.append(f);
    }
    for (int r = 0; r < count; ++r) {
        Record rec;
        rec.name = QString::number(r, 16).toUpper().rightJustified(2, u'0');
        for (int k = 0; k < stride; ++k)
            rec.parts.append(Slot{t.fields[k].offset(r), 1, k, 0});
        t.records.append(rec);
    }
    return t;
}

QVector<DescriptionError> faultsAfter(const QStringList &others, const QString &name, const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString reason;
    if (!dir.isValid() || !writeWholeFile(path, bytes, &reason))
        return {DescriptionError{name, 0, 0, {}, {}, reason.isEmpty() ? QStringLiteral("无法写入临时文件") : reason}};
    QVector<DescriptionError> errors = readDescriptionFiles(QStringList(others) << path).constLast().errors;
    for (DescriptionError &e : errors)
        e.file = name;
    return errors;
}

} // namespace GameData
