#include "tables/characterpage.h"

#include "image/mymodule.h"
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

using namespace GameTables;

CharacterPage::CharacterPage(ByteImages &images, QWidget *parent) : QWidget(parent)
{
    static const char *captions[18] = {"职  业", "等  级", "最大HP", "经验值", "攻  击", "技  术",
                                       "速  度", "运  气", "防  御", "魔  法", "物  品", "魔  防",
                                       "攻成长", "技成长", "速成长", "运成长", "防成长", "HP成长"};
    lstCharacter = makeList(this, "lstCharacter");
    const QStringList names = characterNames();
    for (int n = 0; n < names.size(); ++n)
        lstCharacter->addItem(hexByte(n + 1) + QStringLiteral(" => ") + names[n]);
    for (int i = 0; i < 18; ++i)
        lblCharacter[i] = makeLabel(this, QStringLiteral("lblCharacter_%1").arg(i), QString::fromUtf8(captions[i]));
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

    // Raw-data order: class, level .. defence, magic, magic defence, growths, item.
    editor = new RecordEditor(images, lstCharacter, txtCharacterSource, this);
    const auto record = [](int byte) {
        return [byte](int p) { return qint64(CharacterBase + CharacterStride * p + byte); };
    };
    using Kind = RecordEditor::Kind;
    editor->addField({cboCharacterWork, lblCharacter[0]->text(), Kind::Selector, record(0), txtCharacter[0],
                      RecordEditor::Unmatched::Deselect});
    for (int i = 0; i <= 8; ++i)
        editor->addField({txtCharacter[i], lblCharacter[i + 1]->text(), i == 8 ? Kind::Hex : Kind::Decimal,
                          record(i + 1), txtCharacter[i == 8 ? 10 : i + 1]});
    editor->addField({txtCharacter[10], lblCharacter[11]->text(), Kind::Decimal,
                      [](int p) { return qint64(CharacterMagicDefence + p); }, txtCharacter[11]});
    for (int i = 11; i <= 16; ++i)
        editor->addField({txtCharacter[i], lblCharacter[i + 1]->text(), Kind::Decimal,
                          [i](int p) { return qint64(CharacterGrowth + 6 * p + (i - 11)); },
                          i == 16 ? static_cast<QWidget *>(cboCharacterItem) : txtCharacter[i + 1]});
    editor->addField({cboCharacterItem, lblCharacter[10]->text(), Kind::Selector, record(10), cboCharacterWork});

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
