#include "image/fileio.h"

#include <QFile>
#include <QSaveFile>

bool readWholeFile(const QString &path, QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxReadSize)
        return false; // no file the editor reads is that large; reading it could exhaust memory
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    data = std::move(bytes);
    return true;
}

bool writeWholeFile(const QString &path, const QByteArray &data)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(data) != data.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
