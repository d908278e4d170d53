#pragma once

#include "battlefield/enemytype.h"
#include "image/imageview.h"

#include <QWidget>

#include <memory>

class FlexGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Page "部队类型": the 83 enemy types in a grid, the type of the current row edited in the
// boxes under it, and the confirm button the unit editor shows while a unit's type is chosen.
class EnemyTypePage : public QWidget, public ImageView {
    Q_OBJECT
public:
    explicit EnemyTypePage(ByteImages &images, QWidget *parent = nullptr);
    // The grid shows the table again when a byte of it was written.
    void imageWritten(const WrittenBytes &written) override;

    FlexGrid *msfEnemyType;
    QComboBox *cboEType[4]; // name, class, item, AI
    QLineEdit *txtEType[2]; // level, magic
    QLabel *lblEType[6];
    QPlainTextEdit *txtEtypeSource;
    QPlainTextEdit *txtEtypeEdit;
    QPushButton *btnEtypeEditOk;

    // Start-up: creates the table object, fills the grid and the four selectors.
    void InitEnemyTypeTable();
    // Rebuilds the rows from WorkImage after another file was opened.
    // keepRow: stay on the current row (after an undo) instead of going to row 1.
    void RefreshEnemyTypeGrid(bool keepRow = false);
    void msfEnemyType_RowColChange();
    // Makes a row current (columns 1 to 6 selected) and shows it in the boxes.
    void selectType(int row);
    // Selects type `row` (from 1) with the focus in field `field` (0 name to 5 magic).
    void showField(int row, int field);

    EnemyType *enemyType() const { return m_types.get(); }
    // The raw-data text exactly as built, lines separated by CR LF.
    QString sourceText() const { return m_source; }

signals:
    // A class was chosen for a type: unit pictures that show it may have changed.
    void classChanged();
    // btnEtypeEditOk clicked, or the grid double-clicked while it is shown.
    void etypeEditOk();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillRows(int row);
    void cboEType_Click(int index);
    void txtEType_Enter(int index);
    void stepRow(int delta);
    // "部队类型05 等  级": the undo caption of a field of a type.
    QString stepCaption(int type, int label) const;

    ByteImages &m_images;
    std::unique_ptr<EnemyType> m_types;
    bool m_refreshing = false;
    QString m_source;
};
