#pragma once

#include "image/byteimages.h"
#include "image/imageview.h"

#include <QGroupBox>

class FlexGrid;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Frame "等级系数": the 19 level coefficients in a one-row grid and the box that edits them.
class LevelCoefficientFrame : public QGroupBox, public ImageView {
    Q_OBJECT
public:
    explicit LevelCoefficientFrame(ByteImages &images, QWidget *parent = nullptr);
    // The grid shows the table again when a byte of it was written.
    void imageWritten(const WrittenBytes &written) override;

    FlexGrid *msfExpLevel;
    QLineEdit *txtExpLevel;
    QPlainTextEdit *txtExpLevelSource;
    QLabel *lblExplain;
    QLabel *lblEnter;

    void FillLevelCoefficientGrid();
    void msfExpLevel_RowColChange();
    // Selects level k (1 to 19) with the focus in the edit box.
    void showLevel(int k);
    // The raw-data text exactly as built, lines separated by CR LF.
    QString rawText() const { return m_rawText; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtExpLevel_Enter();

    ByteImages &m_images;
    QString m_rawText;
};
