#pragma once

#include "image/fileio.h"
#include "image/gbk.h"

#include <QStringList>
#include <QTemporaryDir>

// A temporary editor folder holding a usable 地形名称.txt, as the build puts beside the program.
class EditorFolder : public QTemporaryDir {
public:
    EditorFolder() { writeTerrainNames(QStringLiteral("\r\n")); }
    // One whose path follows a template of QTemporaryDir's ("…/name XXXXXX").
    explicit EditorFolder(const QString &templatePath) : QTemporaryDir(templatePath)
    {
        writeTerrainNames(QStringLiteral("\r\n"));
    }

    QStringList names() const
    {
        QStringList names;
        for (int i = 1; i <= 22; ++i)
            names.append(QStringLiteral("地形名%1").arg(i));
        return names;
    }
    // The terrain-name file with the given lines, GBK, CR LF between them.
    void writeTerrainLines(const QStringList &lines, const QString &ending = QString()) const
    {
        writeWholeFile(filePath(QStringLiteral("地形名称.txt")), toAnsi(lines.join(QStringLiteral("\r\n")) + ending));
    }
    void writeTerrainNames(const QString &ending) const { writeTerrainLines(names(), ending); }
};
