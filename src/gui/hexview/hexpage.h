#pragma once

#include "image/byteimages.h"
#include "image/imageview.h"

#include <QWidget>

#include <memory>
#include <utility>

namespace GameData {
class Catalogue;
}

class Dialogs;
class FlexGrid;
class HexGridModel;
class HexTextColumn;
class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolBar;

// Tab "地址编辑": the whole image sixteen bytes to a row, the address and value boxes, the
// toolbar and the difference search.
class HexPage : public QWidget, public ImageView {
    Q_OBJECT
public:
    HexPage(ByteImages &images, Dialogs &dialogs, const QStringList &byteTexts, QWidget *parent = nullptr);
    ~HexPage() override;

    FlexGrid *msfFileContent;
    HexGridModel *gridModel;
    HexTextColumn *textColumn;
    QScrollBar *scrollRows; // the grid's rows, right of the text column
    QLabel *lblLoc;
    QLineEdit *txtLoc;
    QLabel *lblNewValue;
    QLineEdit *txtNewValue;
    QLabel *lblNew;
    QLineEdit *txtNew;
    QToolBar *tbarFind;
    QAction *btnFind;    // toolbar key "Find"
    QAction *btnRefresh; // toolbar key "Refresh"
    // "描述为表格...", on the toolbar and the grid's context menu: enabled while bytes are selected.
    QAction *btnDescribeTable;
    QProgressBar *prgInitFlexGrid;
    QGroupBox *frameFindDifferent;
    QPushButton *btnFindDifferent;
    QRadioButton *optDownWay;
    QRadioButton *optUpWay;
    QLabel *lblHexField; // the field that holds the current byte, and its value

    void FillHexGrid(const QByteArray &image);
    void imageWritten(const WrittenBytes &written) override;
    void GotoAddress(const QString &strAddress, bool blnTopRow);
    void SetCellColor(qint64 lngAddress, quint32 lngColor);
    bool IsGridAddress(const QString &text) const;
    // The bytes selected in the grid (dragging, Shift): first offset and length, the length 0
    // when fewer than two are.
    std::pair<qint64, qint64> selectedBytes() const;

    void tbarFind_ButtonClick(const QString &key);
    void btnFindDifferent_Click();

signals:
    // Asks the main window to lock (or unlock) its tabs and the Open and Save entries.
    void lockMainWindow(bool lock);
    // The toolbar's Find button: show the find dialog.
    void findRequested();
    // "描述为表格...": propose a table over the bytes selected.
    void describeTableRequested(qint64 first, qint64 length);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showCurrentByte();
    // The read-out line of the byte at offset.
    void showField(qint64 offset);
    bool txtNewValue_KeyDown(int key);
    void txtNewValue_Enter();
    bool gridKeyPress(QKeyEvent *key);
    bool txtLoc_KeyPress(const QString &typed, int key);
    void normalizeLoc();

    ByteImages &m_images;
    Dialogs &m_dialogs;
    bool m_filling = false;
    // The description laid out over WorkImage, as of a revision of its history.
    std::unique_ptr<GameData::Catalogue> m_catalogue;
    quint64 m_catalogueRevision = 0;
    int m_catalogueTables = -1; // the fixed tables it was built with (their captions)
};
