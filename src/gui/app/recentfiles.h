#pragma once

#include "image/editorpaths.h"

#include <QStringList>

// The files last opened or saved, most recent first, without repeats, kept in the editor's
// settings file (veskedit.conf in the folder the editor writes to).
class RecentFiles {
public:
    static constexpr int MaxFiles = 8;

    explicit RecentFiles(const EditorPaths &paths);

    QStringList files() const;
    // Puts path (made absolute) first; the oldest beyond MaxFiles is dropped.
    void add(const QString &path);

private:
    QString m_settingsFile;
};
