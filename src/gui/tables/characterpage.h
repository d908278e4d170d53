#pragma once

#include "image/byteimages.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class RecordEditor;

// Tab "我方人物": the 34 characters' records, magic defence and growth rates.
class CharacterPage : public QWidget {
    Q_OBJECT
public:
    explicit CharacterPage(ByteImages &images, QWidget *parent = nullptr);

    QListWidget *lstCharacter;
    QLineEdit *txtCharacter[17];
    QLabel *lblCharacter[18];
    QComboBox *cboCharacterWork;
    QComboBox *cboCharacterItem;
    QPlainTextEdit *txtCharacterSource;
    QGroupBox *frameWorkMagic;
    QPlainTextEdit *Text7;
    RecordEditor *editor;

    void lstCharacter_Click();
    void SelectFirstCharacter();
};
