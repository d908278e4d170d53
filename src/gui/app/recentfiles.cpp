#include "app/recentfiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString Key = QStringLiteral("recentFiles");
}

RecentFiles::RecentFiles(const EditorPaths &paths)
    : m_settingsFile(paths.settingsFile())
{
}

QStringList RecentFiles::files() const
{
    return QSettings(m_settingsFile, QSettings::IniFormat).value(Key).toStringList().mid(0, MaxFiles);
}

void RecentFiles::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    QSettings(m_settingsFile, QSettings::IniFormat).setValue(Key, list.mid(0, MaxFiles));
}
