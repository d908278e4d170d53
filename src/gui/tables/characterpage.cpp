#include "tables/characterpage.h"

#include "image/mymodule.h"
#include "gamedata/gamedata.h"
#include "tables/gametables.h"
#include "tables/recordeditor.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CharacterPage::CharacterPage(ByteImages &images, QWidget *parent) : QWidget(parent)
{
    const GameData::Table &table = GameData::fixedTable(GameData::Characters);
    // Label i names field labelField[i] of the description.
    static const int labelField[18] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 17, 10, 11, 12, 13, 14, 15, 16};
    lstCharacter = makeList(this, "lstCharacter");
    const QStringList names = characterNames();
    for (int n = 0; n < names.size(); ++n)
        lstCharacter->addItem(hexByte(n + 1) + QStringLiteral(" => ") + names[n]);
    for (int i = 0; i < 18; ++i)
        lblCharacter[i] = makeLabel(this, QStringLiteral("lblCharacter_%1").arg(i), table.fields[labelField[i]].caption);
    for (int i = 0; i < 17; ++i)
        txtCharacter[i] = makeField(this, QStringLiteral("txtCharacter_%1").arg(i));
    txtCharacter[9]->setText(QStringLiteral("物品")); // the item selector stands in its place
    txtCharacter[9]->setVisible(false);
    cboCharacterWork = makeSelector(this, "cboCharacterWork", characterClassList());
    cboCharacterItem = makeSelector(this, "cboCharacterItem", characterItemList());
    txtCharacterSource = makeSourceBox(this, "txtCharacterSource");

    frameWorkMagic = new QGroupBox(
        QStringLiteral("职业魔法一览(每人最多6种,如果要两种以上的魔法将代号相加即可,输入十六进制数,其它输入为十进制)"), this);
    frameWorkMagic->setObjectName(QStringLiteral("frameWorkMagic"));
    Text7 = makeSourceBox(frameWorkMagic, "Text7");
    Text7->setPlainText(magicTableText());
    Text7->setTabStopDistance(Text7->fontMetrics().horizontalAdvance(QStringLiteral("男(女)魔导士")) + 12);
    Text7->setMinimumHeight(Text7->fontMetrics().lineSpacing() * 10 + 12);
    (new QVBoxLayout(frameWorkMagic))->addWidget(Text7);

    // Raw-data order, the order of the description: class, level .. defence, magic, magic
    // defence, growths, item. Enter moves on to the next field.
    editor = new RecordEditor(images, lstCharacter, txtCharacterSource, this);
    QWidget *boxes[18] = {cboCharacterWork};
    for (int i = 0; i <= 8; ++i)
        boxes[i + 1] = txtCharacter[i];
    for (int i = 10; i <= 16; ++i)
        boxes[i] = txtCharacter[i];
    boxes[17] = cboCharacterItem;
    for (int f = 0; f < 18; ++f)
        editor->addField(boxes[f], table.fields[f], boxes[(f + 1) % 18],
                         f == 0 ? RecordEditor::Unmatched::Deselect : RecordEditor::Unmatched::Keep);

    // Two columns of caption and field; the selectors sit where their captions say.
    auto *fields = new QGridLayout;
    const auto place = [fields](QLabel *label, QWidget *w, int row, int col) {
        fields->addWidget(label, row, col * 2);
        fields->addWidget(w, row, col * 2 + 1);
    };
    place(lblCharacter[0], cboCharacterWork, 0, 0);
    for (int i = 0; i <= 8; ++i)
        place(lblCharacter[i + 1], txtCharacter[i], i + 1, 0);
    place(lblCharacter[10], cboCharacterItem, 0, 1);
    for (int i = 10; i <= 16; ++i)
        place(lblCharacter[i + 1], txtCharacter[i], i - 9, 1);
    fields->setColumnMinimumWidth(2, 24);
    fields->setRowStretch(10, 1);

    auto *top = new QHBoxLayout;
    top->addWidget(lstCharacter);
    top->addLayout(fields);
    top->addWidget(txtCharacterSource, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(frameWorkMagic, 2);
}

void CharacterPage::lstCharacter_Click()
{
    editor->refresh();
}

void CharacterPage::SelectFirstCharacter()
{
    if (lstCharacter->currentRow() == 0)
        lstCharacter_Click();
    else
        lstCharacter->setCurrentRow(0);
}
