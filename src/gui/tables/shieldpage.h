#pragma once

#include "image/byteimages.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class LevelCoefficientFrame;
class RecordEditor;

// Tab "盾牌、等级系数设定": the shield editor and the level coefficients.
class ShieldPage : public QWidget {
    Q_OBJECT
public:
    explicit ShieldPage(ByteImages &images, QWidget *parent = nullptr);

    QGroupBox *frameShield;
    QListWidget *lstShield;
    QLineEdit *txtShield[1];
    QLabel *lblShield[1];
    QPlainTextEdit *txtShieldSource;
    QPlainTextEdit *txtShieldHelp;
    RecordEditor *editor;
    LevelCoefficientFrame *levelFrame;

    void lstShield_Click();
};
