#pragma once

#include "gamedata/tableproposal.h"

#include <QByteArray>
#include <QDialog>

#include <functional>

class Dialogs;
class FlexGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "描述为表格": a table proposed over bytes chosen in the hex grid, its records previewed as
// the image holds them, saved as a description file of the editor's folder.
class frmDescribeTable : public QDialog {
    Q_OBJECT
public:
    // image: the bytes shown; folder: the description folder (Data/Tables); reload: takes the
    // descriptions into use again once a file was written.
    frmDescribeTable(const QByteArray &image, qint64 first, qint64 length, Dialogs &dialogs, const QString &folder,
                     std::function<void()> reload, QWidget *parent = nullptr);

    QLineEdit *txtTableName;
    QLineEdit *txtTableKey;
    QLineEdit *txtTableBase;
    QSpinBox *spnTableStride;
    QSpinBox *spnTableCount;
    QLabel *lblTableSpan; // "0006F000 至 0006F0FF，共 256 字节"
    FlexGrid *msfTablePreview;
    QPushButton *btnSaveTable;
    QPushButton *btnCancel;

    // The table as the boxes give it; base -1 when its box holds no address in the image.
    GameData::TableProposal proposal() const;
    // Writes the table into the folder and reloads; true when written.
    bool btnSaveTable_Click();

private:
    void baseEdited();
    void strideChanged();
    void updatePreview();

    QByteArray m_image;
    qint64 m_length;
    Dialogs &m_dialogs;
    QString m_folder;
    std::function<void()> m_reload;
    bool m_keyFollowsBase = true;
};
