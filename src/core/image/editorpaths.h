#pragma once

#include <QString>

#include <functional>

// Where the editor's files are: the data shipped with it (the tile bitmaps Loc0-Loc2, the unit
// bitmaps eWork0-eWork2 and the terrain-name file as shipped) and the files it writes
// (Data/LastFile.dat and the terrain-name file the user edits).
//
// A program with its data beside it keeps everything there when its folder is writable (a build
// folder, a portable copy), and writes into the user's data folder when it is not. An installed
// one reads its data from ../share/veskedit beside bin/ and writes into the user's data folder.
// There the terrain-name file is copied from the shipped one the first time.
class EditorPaths {
public:
    // Everything in one folder; tests pass a temporary one.
    EditorPaths(const QString &folder); // NOLINT: a folder is a complete answer

    // The answer for a program in programFolder; writable tells whether a folder takes files.
    static EditorPaths forProgram(const QString &programFolder,
                                  const std::function<bool(const QString &)> &writable = canWrite);
    // Creates and removes a probe file: permission bits alone do not tell (root writes where
    // they say no, and nobody writes to a read-only mount).
    static bool canWrite(const QString &folder);

    QString dataFolder() const { return m_data; }
    QString writableFolder() const { return m_writable; }
    bool portable() const { return m_data == m_writable; }

    QString lastFile() const { return m_writable + QStringLiteral("/Data/LastFile.dat"); }
    // The editor's settings: the recent files and the emulator command.
    QString settingsFile() const { return m_writable + QStringLiteral("/veskedit.conf"); }
    // The recovery journals of running and crashed editors.
    QString journalFolder() const { return m_writable + QStringLiteral("/Data/Journal"); }
    QString shippedTerrainNames() const { return m_data + QStringLiteral("/地形名称.txt"); }
    // The terrain-name file the editor reads and the user edits; in the user's data folder it
    // is first copied from the shipped one.
    QString terrainNames() const;

private:
    EditorPaths(const QString &data, const QString &writable) : m_data(data), m_writable(writable) {}

    QString m_data;
    QString m_writable;
};
