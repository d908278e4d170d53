#include "tables/shieldpage.h"

#include "gamedata/gamedata.h"
#include "tables/levelcoefficientframe.h"
#include "tables/recordeditor.h"
#include "tables/tablewidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ShieldPage::ShieldPage(ByteImages &images, QWidget *parent) : QWidget(parent)
{
    frameShield = new QGroupBox(QStringLiteral("盾牌"), this);
    frameShield->setObjectName(QStringLiteral("frameShield"));
    lstShield = makeList(frameShield, QStringLiteral("lstShield"));
    const GameData::Field &effect = GameData::fixedTable(GameData::Shields).fields[0];
    lblShield[0] = makeLabel(frameShield, QStringLiteral("lblShield_0"), effect.caption);
    txtShield[0] = makeField(frameShield, QStringLiteral("txtShield_0"));
    txtShieldSource = makeSourceBox(frameShield, QStringLiteral("txtShieldSource"));
    txtShieldHelp = makeHelpBox(frameShield, QStringLiteral("txtShieldHelp"),
                                QStringLiteral("圣盾的数值是对怪物的防御力，其它盾牌的数值是普通的物理防御力。\n"
                                               "盾牌的魔防属性无法修改。"));
    txtShieldHelp->setMaximumHeight(txtShieldHelp->fontMetrics().lineSpacing() * 4 + 12);
    lstShield->setMaximumHeight(lstShield->fontMetrics().lineSpacing() * 7 + 12);

    editor = new RecordEditor(images, lstShield, txtShieldSource, this);
    editor->addField(txtShield[0], effect, nullptr);

    auto *field = new QGridLayout;
    field->addWidget(lblShield[0], 0, 0);
    field->addWidget(txtShield[0], 0, 1);
    field->setRowStretch(1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(txtShieldSource, 1);
    right->addWidget(txtShieldHelp);
    auto *shield = new QHBoxLayout(frameShield);
    shield->addWidget(lstShield, 0, Qt::AlignTop);
    shield->addLayout(field);
    shield->addLayout(right, 1);

    levelFrame = new LevelCoefficientFrame(images, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frameShield, 1);
    layout->addWidget(levelFrame);
}

void ShieldPage::lstShield_Click()
{
    editor->refresh();
}
