#pragma once

#include "gamedata/descriptions.h"

#include <QDialog>

#include <functional>

class Dialogs;
class QLabel;
class QPushButton;
class QTreeWidget;

// "表格描述": the description files the last load read (Data/Tables, then the --tables files),
// each with its tables or its faults; adds a file to the folder, removes one, reads them again.
class frmDescriptions : public QDialog {
    Q_OBJECT
public:
    using Reload = std::function<QVector<GameData::Description>()>;
    // folder: Data/Tables under the editor's writable folder; reload reads the files again,
    // takes their tables into use and returns them as read.
    frmDescriptions(Dialogs &dialogs, const QString &folder, Reload reload, QWidget *parent = nullptr);

    QLabel *lblDescriptionFolder;
    QTreeWidget *treDescriptions; // a file per top-level item, its tables or faults below
    QPushButton *btnAddDescription;
    QPushButton *btnRemoveDescription;
    QPushButton *btnReloadDescriptions;
    QPushButton *btnClose;

    // Shows the files as read.
    void fill(const QVector<GameData::Description> &files);
    void btnAddDescription_Click();
    void btnRemoveDescription_Click();
    void btnReloadDescriptions_Click();

private:
    // The selected file when it lies in the folder, else empty.
    QString selectedFolderFile() const;
    void selectFile(const QString &path);

    Dialogs &m_dialogs;
    QString m_folder;
    Reload m_reload;
};
