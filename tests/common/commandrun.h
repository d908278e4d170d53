#pragma once

#include "app/commandline.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs a command of the program in this process: its exit code, with what it printed on
// standard output in out and on standard error in err.
inline int runCommand(const QStringList &arguments, QString &out, QString &err)
{
    out.clear();
    err.clear();
    QTextStream o(&out);
    QTextStream e(&err);
    const int code = runCommandLine(QStringList{QStringLiteral("veskedit")} + arguments, o, e);
    o.flush();
    e.flush();
    return code;
}
