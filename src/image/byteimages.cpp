#include "image/byteimages.h"

#include <QFile>

QByteArray loadBuiltInImage()
{
    QFile f(QStringLiteral(":/DEFAULT/V1.21"));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
