#include "tables/itempage.h"

#include "gamedata/gamedata.h"
#include "tables/recordeditor.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ItemPage::ItemPage(ByteImages &images, Kind kind, QWidget *parent) : QWidget(parent)
{
    const bool spells = kind == Kind::Spells;
    const QString prefix = spells ? QStringLiteral("Magic") : QStringLiteral("Weapon");
    m_fields = spells ? 5 : 4;
    const GameData::Table &table = GameData::fixedTable(spells ? GameData::Spells : GameData::Weapons);
    QStringList captions;
    for (const GameData::Field &f : table.fields)
        captions << f.caption;
    list = makeList(this, QStringLiteral("lst") + prefix);
    source = makeSourceBox(this, QStringLiteral("txt") + prefix + QStringLiteral("Source"));
    cboEffect = makeSelector(this, QStringLiteral("cbo") + prefix,
                             table.fields.constLast().codes);
    help = makeHelpBox(this, QStringLiteral("txt") + prefix + QStringLiteral("Help"),
                       spells ? QStringLiteral("治疗类魔法的攻击、重量、命中率、必杀和特效属性在游戏中无效。\n"
                                               "祈祷师的召唤魔法按召唤的生物消耗HP，其消耗HP的设定无效。")
                              : QStringLiteral("近身武器与远程武器是没有装\n备物品的情况下的武器，其重\n量、必杀和特效属性无效。"));
    help->setMaximumHeight(help->fontMetrics().lineSpacing() * 4 + 12);

    auto *fields = new QGridLayout;
    for (int i = 0; i <= m_fields; ++i) {
        lbl[i] = makeLabel(this, QStringLiteral("lbl%1_%2").arg(prefix).arg(i), captions[i]);
        fields->addWidget(lbl[i], i, 0);
    }
    for (int i = 0; i < m_fields; ++i) {
        txt[i] = makeField(this, QStringLiteral("txt%1_%2").arg(prefix).arg(i));
        fields->addWidget(txt[i], i, 1);
    }
    fields->addWidget(cboEffect, m_fields, 1);
    fields->setRowStretch(m_fields + 1, 1);

    editor = new RecordEditor(images, list, source, this);
    for (int i = 0; i < m_fields; ++i)
        editor->addField(txt[i], table.fields[i], i + 1 < m_fields ? static_cast<QWidget *>(txt[i + 1]) : cboEffect);
    editor->addField(cboEffect, table.fields[m_fields], txt[0], RecordEditor::Unmatched::KeepAndOmitLine);

    auto *right = new QVBoxLayout;
    right->addWidget(source, 1);
    right->addWidget(help);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(list);
    layout->addLayout(fields);
    layout->addLayout(right, 1);
}

void ItemPage::refresh()
{
    editor->refresh();
}
