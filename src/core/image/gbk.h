#pragma once

#include <QByteArray>
#include <QString>

// The Chinese code page (GBK) of every text file the editor reads or writes.
QByteArray toAnsi(const QString &text);
QString fromAnsi(const QByteArray &bytes);
