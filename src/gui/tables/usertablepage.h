#pragma once

#include "gamedata/gamedata.h"
#include "image/byteimages.h"
#include "image/imageview.h"

#include <QString>
#include <QWidget>

class FlexGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Tab "更多表格": the tables users described, one at a time, with records as rows and fields as
// columns. The edit box takes a value as its field's kind and range allow; Enter writes it as
// one undo step and moves on, the arrows move through the grid, and the raw-data box compares
// the record with the image as opened.
class UserTablePage : public QWidget, public ImageView {
    Q_OBJECT
public:
    explicit UserTablePage(ByteImages &images, const QString &descriptionFolder, QWidget *parent = nullptr);

    // Takes the tables in use again (after a reload), keeping the table shown when it is still there.
    void fillTables();
    // Fills the grid with the table chosen in the selector; keepPlace keeps the current cell.
    void fillGrid(bool keepPlace = false);
    // Selects the cell of a user table's record and field, with the focus in the edit box.
    void showField(const QString &tableKey, int record, int field);
    void imageWritten(const WrittenBytes &written) override;

    QComboBox *cboUserTable;
    FlexGrid *msfUserTable;
    QGroupBox *frameUserEdit;
    QLineEdit *txtUserValue;
    QPlainTextEdit *txtUserSource;
    QLabel *lblUserHelp;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const GameData::Table *table() const;
    void cellChanged();
    void confirm();
    void navigate(int key);
    QString cellText(const GameData::Field &field, const GameData::Slot &slot) const;

    ByteImages &m_images;
    QString m_folder;
};
