#pragma once

#include "image/byteimages.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class RecordEditor;

// Tabs "武器设定" and "魔法设定": the attribute tables that weapons (codes 00-16) and spells
// (codes 17-2E) share. The controls are named after the tab: lstWeapon, txtWeapon_0, cboWeapon,
// txtWeaponSource on the weapon tab; lstMagic, txtMagic_0 .. txtMagic_4, cboMagic, txtMagicSource
// on the magic tab.
class ItemPage : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Weapons, Spells };
    ItemPage(ByteImages &images, Kind kind, QWidget *parent = nullptr);

    QListWidget *list;
    QLineEdit *txt[5]; // attack, weight, hit rate, critical; spells also the HP cost
    QLabel *lbl[6];
    QComboBox *cboEffect;
    QPlainTextEdit *source;
    QPlainTextEdit *help;
    RecordEditor *editor;

    int fieldCount() const { return m_fields; }
    // lstWeapon_Click / lstMagic_Click.
    void refresh();

private:
    int m_fields;
};
