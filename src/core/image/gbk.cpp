#include "image/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

QByteArray toAnsi(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromAnsi(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}
