#pragma once

#include "image/byteimages.h"
#include "image/imageview.h"
#include "image/editorpaths.h"

#include <QWidget>

class Dialogs;
class FlexGrid;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Sub-tab "地形效果": movement costs of 22 classes on 22 terrains and each terrain's avoid
// bonus, shown in hexadecimal or decimal, with terrain names from 地形名称.txt as headers.
class TerrainPage : public QWidget, public ImageView {
    Q_OBJECT
public:
    TerrainPage(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent = nullptr);
    // The grid shows the table again when a byte of it was written.
    void imageWritten(const WrittenBytes &written) override;

    FlexGrid *msfFieldEffect;
    QGroupBox *frameMode;
    QRadioButton *opt10;
    QRadioButton *opt16;
    QGroupBox *frameEdit;
    QLineEdit *txtFieldEffect;
    QPushButton *btnRefreshEffect;
    QLabel *lblHelp;
    QLineEdit *txtTerrainFile; // where the terrain-name file is, to select and copy

    // keepPlace: the current cell and the scroll position stay (after an undo or redo).
    void FillTerrainEffectGrid(bool keepPlace = false);
    void btnRefreshEffect_Click();
    void opt10_Click();
    void opt16_Click();
    void msfFieldEffect_RowColChange();
    // Selects cell (r, c) of the grid, both from 1, with the focus in the edit box.
    void showCell(int r, int c);
    bool decimal() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void switchDisplay(QRadioButton *clicked);
    void txtFieldEffect_Enter();
    void navigate(int key);
    QString cellText(int value) const;

    ByteImages &m_images;
    Dialogs &m_dialogs;
    EditorPaths m_paths;
};
