#include "tables/classpage.h"

#include "gamedata/gamedata.h"
#include "tables/recordeditor.h"
#include "tables/tablewidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ClassPage::ClassPage(ByteImages &images, QWidget *parent) : QWidget(parent)
{
    const GameData::Table &table = GameData::fixedTable(GameData::Classes);
    lstWorkName = makeList(this, QStringLiteral("lstWorkName"));
    txtWorkSource = makeSourceBox(this, QStringLiteral("txtWorkSource"));
    txtExplain = makeHelpBox(this, QStringLiteral("txtExplain"),
                             QStringLiteral("力量、技术、速度、运气、防御、魔防最好不要超过99。\n"
                                            "最大HP最好不要超过127。\n"
                                            "移动力不要过大，以免出现问题。"));
    txtExplain->setMaximumHeight(txtExplain->fontMetrics().lineSpacing() * 4 + 12);
    editor = new RecordEditor(images, lstWorkName, txtWorkSource, this);
    auto *fields = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        lblWork[i] = makeLabel(this, QStringLiteral("lblWork_%1").arg(i), table.fields[i].caption);
        txtWork[i] = makeField(this, QStringLiteral("txtWork_%1").arg(i));
        fields->addWidget(lblWork[i], i, 0);
        fields->addWidget(txtWork[i], i, 1);
    }
    fields->setRowStretch(9, 1);
    for (int i = 0; i < 9; ++i)
        editor->addField(txtWork[i], table.fields[i], txtWork[(i + 1) % 9]);

    auto *right = new QVBoxLayout;
    right->addWidget(txtWorkSource, 1);
    right->addWidget(txtExplain);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(lstWorkName);
    layout->addLayout(fields);
    layout->addLayout(right, 1);
}

void ClassPage::lstWorkName_Click()
{
    editor->refresh();
}
