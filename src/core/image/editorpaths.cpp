#include "image/editorpaths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

EditorPaths::EditorPaths(const QString &folder) : m_data(folder), m_writable(folder)
{
}

bool EditorPaths::canWrite(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.veskedit-probe-XXXXXX"));
    return probe.open(); // removed again when probe ends
}

EditorPaths EditorPaths::forProgram(const QString &programFolder, const std::function<bool(const QString &)> &writable)
{
    // Installed: the data in share/veskedit beside bin/, none beside the program. Even where
    // bin/ takes files (root), the editor's own files belong in the user's folder then.
    const QString shared = QDir::cleanPath(programFolder + QStringLiteral("/../share/veskedit"));
    const bool dataBeside = QDir(programFolder + QStringLiteral("/Loc0")).exists();
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!dataBeside && QDir(shared).exists())
        return EditorPaths(shared, user);
    return writable(programFolder) ? EditorPaths(programFolder) : EditorPaths(programFolder, user);
}

QString EditorPaths::terrainNames() const
{
    const QString path = m_writable + QStringLiteral("/地形名称.txt");
    if (!portable() && !QFile::exists(path) && QFile::exists(shippedTerrainNames())) {
        QDir().mkpath(m_writable);
        if (QFile::copy(shippedTerrainNames(), path))
            QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner); // the shipped one is read-only
    }
    return path;
}
