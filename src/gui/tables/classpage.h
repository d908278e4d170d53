#pragma once

#include "image/byteimages.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class RecordEditor;

// Sub-tab "职业基础能力": base values, movement and magic defence of the 23 classes.
class ClassPage : public QWidget {
    Q_OBJECT
public:
    explicit ClassPage(ByteImages &images, QWidget *parent = nullptr);

    QListWidget *lstWorkName;
    QLineEdit *txtWork[9];
    QLabel *lblWork[9];
    QPlainTextEdit *txtWorkSource;
    QPlainTextEdit *txtExplain;
    RecordEditor *editor;

    void lstWorkName_Click();
};
