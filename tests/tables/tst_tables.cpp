#include "app/frmveskedit.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "input.h"
#include "mainwindowfixture.h"
#include "tables/characterpage.h"
#include "controls/flexgrid.h"
#include "tables/classchangepage.h"
#include "tables/classpage.h"
#include "tables/gametables.h"
#include "tables/itempage.h"
#include "tables/levelcoefficientframe.h"
#include "tables/recordeditor.h"
#include "tables/shieldpage.h"
#include "tables/terrainpage.h"
#include "tables/usertablepage.h"
#include "gamedata/descriptions.h"

#include <QComboBox>
#include <QDir>
#include <QStatusBar>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace GameTables;

class TestTables : public QObject {
    Q_OBJECT

private:
    MainWindowFixture m_fixture;
    const QByteArray &m_pristine = m_fixture.pristine;
    ByteImages &m_images = m_fixture.images;
    ScriptedDialogs &m_dialogs = m_fixture.dialogs;
    EditorFolder &m_folder = m_fixture.folder;
    std::unique_ptr<frmVeskEdit> &m_window = m_fixture.window;
    CharacterPage *m_chars = nullptr;

    int work(qint64 offset) const { return byteAt(m_images.WorkImage, offset); }

    void show(int tab)
    {
        m_window->stabAll->setCurrentIndex(tab);
        QApplication::processEvents();
    }

    // Focuses a box, selects its text as entering it does, types and presses Enter; an empty
    // text clears the box first.

    // Clicks an option button on its indicator.
    static void clickOption(QRadioButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }

    static QString sourceLines(const QPlainTextEdit *box) { return box->toPlainText(); }

private slots:
    void init()
    {
        QVERIFY(m_fixture.start());
        m_chars = m_window->characterPage;
        show(1);
    }

    void cleanup() { m_window.reset(); }

    void characterTabContents()
    {
        QCOMPARE(m_chars->lstCharacter->count(), 34);
        QVERIFY(m_chars->lstCharacter->item(0)->text().startsWith("01 => "));
        QVERIFY(m_chars->lstCharacter->item(33)->text().startsWith("22 => "));
        QCOMPARE(m_chars->cboCharacterWork->count(), 24);
        QCOMPARE(m_chars->cboCharacterWork->itemText(0), QString("01骑士"));
        QCOMPARE(m_chars->cboCharacterWork->itemText(23), QString("18公主"));
        QCOMPARE(m_chars->cboCharacterItem->count(), 33);
        QCOMPARE(m_chars->cboCharacterItem->itemText(0), QString("00无"));
        QCOMPARE(m_chars->cboCharacterItem->itemText(1).left(2), QString("02"));
        QCOMPARE(m_chars->cboCharacterItem->itemText(32).left(2), QString("3A"));
        QVERIFY(m_chars->cboCharacterItem->findText("0B钢剑") >= 0);
        QVERIFY(m_chars->cboCharacterItem->findText("30皮盾") >= 0);
        QCOMPARE(m_chars->txtCharacter[9]->text(), QString("物品"));
        QCOMPARE(m_chars->lblCharacter[1]->text(), QString("等  级"));
        QCOMPARE(m_chars->lblCharacter[17]->text(), QString("HP成长"));
        QVERIFY(m_chars->frameWorkMagic->title().startsWith("职业魔法一览(每人最多6种"));
        QVERIFY(m_chars->Text7->toPlainText().startsWith("代号\t妖术师\t魔女\t祈祷师\t男(女)魔导士\t神官/公主\t修女\t圣女"));
        QCOMPARE(m_chars->Text7->toPlainText().split('\n').size(), 10);

        // Start-up selected the first character and filled every field from the image.
        QCOMPARE(m_chars->lstCharacter->currentRow(), 0);
        QCOMPARE(m_chars->txtCharacter[0]->text(), QString::number(work(CharacterBase + 1)));
        QCOMPARE(m_chars->txtCharacter[8]->text(), hexByte(work(CharacterBase + 9)));
        QCOMPARE(m_chars->txtCharacter[10]->text(), QString::number(work(CharacterMagicDefence)));
        QCOMPARE(m_chars->txtCharacter[16]->text(), QString::number(work(CharacterGrowth + 5)));
        QCOMPARE(pieceCode(m_chars->cboCharacterWork->currentText()), work(CharacterBase));
        QCOMPARE(m_window->classPage->lstWorkName->count(), 23);
        QCOMPARE(m_window->weaponPage->list->count(), 23);
        QCOMPARE(m_window->magicPage->list->count(), 24);
        QCOMPARE(m_window->shieldPage->lstShield->count(), 5);
        QCOMPARE(m_window->classPage->lstWorkName->item(2)->text(), QString("03 => 天马骑士(石像鬼)"));
        QCOMPARE(m_window->weaponPage->list->item(0)->text(), QString("00 => 近身武器"));
    }

    void decimalFieldsAcceptBytesOnly()
    {
        m_chars->lstCharacter->setCurrentRow(2);
        const qint64 level = CharacterBase + 12 * 2 + 1;
        enter(m_chars->txtCharacter[0], "255");
        QCOMPARE(work(level), 0xFF);
        QCOMPARE(QApplication::focusWidget(), m_chars->txtCharacter[1]); // accepted: on to the next field
        for (const QString &bad : {QString("256"), QString(20, '9'), QString("-1"), QString(" 5"), QString()}) {
            m_chars->txtCharacter[0]->setFocus();
            QApplication::processEvents();
            enter(m_chars->txtCharacter[0], bad);
            QCOMPARE(work(level), 0xFF);
            QCOMPARE(m_chars->txtCharacter[0]->text(), QString("255"));
            QCOMPARE(QApplication::focusWidget(), m_chars->txtCharacter[0]);
        }
    }

    void magicFieldIsHexadecimal()
    {
        const qint64 magic = CharacterBase + 9;
        QLineEdit *box = m_chars->txtCharacter[8];
        enter(box, "ff");
        QCOMPARE(work(magic), 0xFF);
        QCOMPARE(box->text(), QString("FF"));
        QCOMPARE(QApplication::focusWidget(), m_chars->txtCharacter[10]); // magic -> magic defence
        enter(box, "00");
        enter(box, "FF");
        QCOMPARE(work(magic), 0xFF);
        enter(box, "0a");
        QCOMPARE(work(magic), 0x0A);
        QCOMPARE(box->text(), QString("0A"));
        for (const char *bad : {"100", "1G"}) {
            enter(box, bad);
            QCOMPARE(work(magic), 0x0A);
            QCOMPARE(box->text(), QString("0A"));
        }
    }

    void upAndDownWrapAndKeepTheField()
    {
        QLineEdit *box = m_chars->txtCharacter[4];
        m_chars->lstCharacter->setCurrentRow(33);
        box->setFocus();
        QApplication::processEvents();
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(m_chars->lstCharacter->currentRow(), 0);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), QString::number(work(CharacterBase + 5)));
        QCOMPARE(box->selectedText(), box->text());
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(m_chars->lstCharacter->currentRow(), 33);
        QCOMPARE(box->text(), QString::number(work(CharacterBase + 12 * 33 + 5)));
        QCOMPARE(box->selectedText(), box->text());

        // In a selector the arrows step through the records, never through its entries.
        m_chars->cboCharacterWork->setFocus();
        QTest::keyClick(m_chars->cboCharacterWork, Qt::Key_Down);
        QCOMPARE(m_chars->lstCharacter->currentRow(), 0);
        QCOMPARE(pieceCode(m_chars->cboCharacterWork->currentText()), work(CharacterBase));
        QCOMPARE(m_images.WorkImage, m_pristine);
    }

    void rawDataComparesWithOpenedImage()
    {
        m_chars->lstCharacter->setCurrentRow(2);
        QCOMPARE(work(CharacterBase + 24 + 1), 1);
        enter(m_chars->txtCharacter[0], "5");
        const QString raw = m_chars->editor->rawText();
        QVERIFY(raw.startsWith("原始数据:\r\n职  业: "));
        QVERIFY(raw.contains("\r\n等  级: 1 => 5\r\n"));
        QVERIFY(sourceLines(m_chars->txtCharacterSource).contains("\n等  级: 1 => 5\n"));
        QVERIFY(raw.contains(QString("\r\n魔  法: %1\r\n魔  防: ").arg(hexByte(work(CharacterBase + 24 + 9)))));
        QVERIFY(raw.contains(QString("\r\n物  品: %1").arg(hexByte(work(CharacterBase + 24 + 10)))));
        QVERIFY(!raw.endsWith("\r\n"));
        QCOMPARE(raw.count("\r\n"), 18);
        enter(m_chars->txtCharacter[0], "1");
        QVERIFY(m_chars->editor->rawText().contains("\r\n等  级: 1\r\n"));
        QVERIFY(!m_chars->editor->rawText().contains("=>"));
    }

    void focusCycleAndRecordByteEleven()
    {
        m_chars->lstCharacter->setCurrentRow(5);
        enter(m_chars->txtCharacter[16], "40");
        QCOMPARE(work(CharacterGrowth + 6 * 5 + 5), 40);
        QCOMPARE(QApplication::focusWidget(), m_chars->cboCharacterItem);
        QTest::keyClick(m_chars->cboCharacterItem, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), m_chars->cboCharacterWork);
        QTest::keyClick(m_chars->cboCharacterWork, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), m_chars->txtCharacter[0]);

        // Walk the whole cycle writing every field; byte 11 of no record changes.
        for (int k : {0, 1, 2, 3, 4, 5, 6, 7})
            enter(m_chars->txtCharacter[k], QString::number(k + 1));
        enter(m_chars->txtCharacter[8], "3");
        for (int k : {10, 11, 12, 13, 14, 15, 16})
            enter(m_chars->txtCharacter[k], QString::number(k));
        const qint64 rec = CharacterBase + 12 * 5;
        for (int k = 0; k <= 7; ++k)
            QCOMPARE(work(rec + 1 + k), k + 1);
        QCOMPARE(work(rec + 9), 3);
        QCOMPARE(work(CharacterMagicDefence + 5), 10);
        QCOMPARE(work(CharacterGrowth + 30), 11);
        for (int n = 0; n < CharacterCount; ++n)
            QCOMPARE(work(CharacterBase + 12 * n + 11), int(byteAt(m_pristine, CharacterBase + 12 * n + 11)));
    }

    void selectorsWriteOnChoiceOnly()
    {
        m_chars->lstCharacter->setCurrentRow(1);
        const qint64 rec = CharacterBase + 12;
        m_chars->cboCharacterWork->setFocus();
        QTest::keyClicks(m_chars->cboCharacterWork, "05"); // the user picks "05飞鹰骑士"
        QCOMPARE(m_chars->cboCharacterWork->currentText(), QString("05飞鹰骑士"));
        QCOMPARE(work(rec), 5);
        m_chars->cboCharacterItem->setFocus();
        QTest::keyClicks(m_chars->cboCharacterItem, "30");
        QCOMPARE(work(rec + 10), 0x30);

        // A class byte with no entry leaves the selector empty and writes nothing; an item
        // byte with no entry keeps the selector as it was and shows the true byte.
        m_images.WorkImage[rec] = 0x00;
        m_images.WorkImage[rec + 10] = 0x20;
        m_chars->lstCharacter_Click();
        QCOMPARE(m_chars->cboCharacterWork->currentIndex(), -1);
        QCOMPARE(m_chars->cboCharacterItem->currentText().left(2), QString("30"));
        QVERIFY(m_chars->editor->rawText().endsWith("物  品: " + hexByte(byteAt(m_pristine, rec + 10)) + " => 20"));
        m_images.WorkImage[rec] = 0x19;
        m_chars->lstCharacter->setCurrentRow(0);
        m_chars->lstCharacter->setCurrentRow(1);
        QCOMPARE(m_chars->cboCharacterWork->currentIndex(), -1);
        QCOMPARE(work(rec), 0x19);
        QCOMPARE(work(rec + 10), 0x20);
    }

    void classEditor()
    {
        show(3);
        ClassPage *c = m_window->classPage;
        QCOMPARE(c->lblWork[7]->text(), QString("移动力"));
        QVERIFY(c->txtExplain->toPlainText().contains("最大HP最好不要超过127。"));
        c->lstWorkName->setCurrentRow(3);
        enter(c->txtWork[0], "150"); // above the advice, still written
        QCOMPARE(work(ClassBase + 7 * 3), 150);
        enter(c->txtWork[8], "9");
        QCOMPARE(work(ClassMagicDefence + 3), 9);
        QCOMPARE(QApplication::focusWidget(), c->txtWork[0]);
        enter(c->txtWork[7], "6");
        QCOMPARE(work(ClassMovement + 3), 6);
        QVERIFY(c->editor->rawText().contains("\r\n移动力: " + QString::number(byteAt(m_pristine, ClassMovement + 3)) + " => 6\r\n"));

        // Class 17's magic defence is the first character's magic defence.
        c->lstWorkName->setCurrentRow(22);
        enter(c->txtWork[8], "77");
        QCOMPARE(work(0x8BFF0), 77);
        show(1);
        m_chars->lstCharacter->setCurrentRow(0);
        m_chars->lstCharacter_Click();
        QCOMPARE(m_chars->txtCharacter[10]->text(), QString("77"));

        // Up and Down wrap over the 23 classes.
        show(3);
        c->txtWork[2]->setFocus();
        QTest::keyClick(c->txtWork[2], Qt::Key_Down);
        QCOMPARE(c->lstWorkName->currentRow(), 0);
        QTest::keyClick(c->txtWork[2], Qt::Key_Up);
        QCOMPARE(c->lstWorkName->currentRow(), 22);
        QCOMPARE(QApplication::focusWidget(), c->txtWork[2]);
    }

    void weaponAndMagicEditors()
    {
        show(4);
        ItemPage *w = m_window->weaponPage;
        w->list->setCurrentRow(0x14);
        w->cboEffect->setFocus();
        QTest::keyClicks(w->cboEffect, "03");
        QCOMPARE(w->cboEffect->currentText(), QString("03对飞行部队特效"));
        QCOMPARE(work(0x8ACB8), 3);
        enter(w->txt[3], "25");
        QCOMPARE(work(ItemCritical + 0x14), 25);
        QCOMPARE(QApplication::focusWidget(), w->cboEffect);
        QTest::keyClick(w->cboEffect, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->txt[0]);
        QCOMPARE(w->help->toPlainText(), QString("近身武器与远程武器是没有装\n备物品的情况下的武器，其重\n量、必杀和特效属性无效。"));

        // An effect byte without an entry keeps the selector and leaves out the effect line.
        m_images.WorkImage[ItemEffect + 5] = 0x02;
        w->list->setCurrentRow(5);
        QCOMPARE(w->cboEffect->currentText(), QString("03对飞行部队特效"));
        QVERIFY(w->editor->rawText().endsWith(QString("必  杀: %1\r\n").arg(work(ItemCritical + 5))));
        QVERIFY(!w->editor->rawText().contains("特  效"));

        show(5);
        ItemPage *m = m_window->magicPage;
        QCOMPARE(m->list->item(0)->text().left(2), QString("17"));
        m->list->setCurrentRow(0);
        enter(m->txt[0], "33");
        QCOMPARE(work(0x8ABC0), 33);
        QCOMPARE(QApplication::focusWidget(), m->txt[1]);
        m->list->setCurrentRow(3);
        enter(m->txt[4], "7");
        QCOMPARE(work(SpellHpCost + 3), 7);
        QCOMPARE(QApplication::focusWidget(), m->cboEffect);
        QVERIFY(m->editor->rawText().contains(QString("消耗HP: %1 => 7\r\n特  效: ").arg(byteAt(m_pristine, SpellHpCost + 3))));
        m_images.WorkImage[ItemEffect + 0x17 + 3] = 0x02;
        m->refresh();
        QVERIFY(m->editor->rawText().endsWith("消耗HP: " + QString::number(byteAt(m_pristine, SpellHpCost + 3)) + " => 7\r\n"));
    }

    void shieldEditor()
    {
        show(6);
        ShieldPage *s = m_window->shieldPage;
        QCOMPARE(s->lstShield->item(4)->text().left(2), QString("35"));
        s->lstShield->setCurrentRow(4);
        enter(s->txtShield[0], "12");
        QCOMPARE(work(ShieldBase + 4), 12);
        QCOMPARE(QApplication::focusWidget(), s->txtShield[0]);
        QCOMPARE(s->editor->rawText(), QString("原始数据:\r\n效  果: %1 => 12").arg(byteAt(m_pristine, ShieldBase + 4)));
        QTest::keyClick(s->txtShield[0], Qt::Key_Down);
        QCOMPARE(s->lstShield->currentRow(), 0);
    }

    void classChangeGrid()
    {
        m_window->stabAll->setCurrentIndex(3);
        m_window->SSTab1->setCurrentIndex(1);
        QApplication::processEvents();
        ClassChangePage *p = m_window->classChangePage;
        FlexGrid *g = p->msfChangeWork;
        QCOMPARE(g->rows(), 14);
        QCOMPARE(g->cols(), 3);
        QCOMPARE(g->textMatrix(0, 0), QString("原 始 职 业"));
        QCOMPARE(g->textMatrix(0, 2), QString("必 要 等 级"));
        QCOMPARE(p->cboChangeWork[0]->count(), 22);
        QCOMPARE(p->cboChangeWork[1]->itemText(21), QString("16男爵"));
        QCOMPARE(g->textMatrix(1, 0), p->cboChangeWork[0]->itemText(work(ClassChangeBefore) - 1));
        QCOMPARE(g->textMatrix(13, 2), QString::number(work(ClassChangeLevel + 12)));

        g->setCurrentCell(3, 0);
        QCOMPARE(p->txtChangeWork->text(), QString::number(work(ClassChangeLevel + 2)));
        enter(p->txtChangeWork, "20");
        QCOMPARE(work(ClassChangeLevel + 2), 20);
        QCOMPARE(g->textMatrix(3, 2), QString("20"));
        QCOMPARE(QApplication::focusWidget(), p->cboChangeWork[0]);
        for (const char *bad : {"21", "0", ""}) {
            enter(p->txtChangeWork, bad);
            QCOMPARE(work(ClassChangeLevel + 2), 20);
            QCOMPARE(p->txtChangeWork->text(), QString("20"));
            QCOMPARE(p->txtChangeWork->selectedText(), QString("20"));
        }

        p->cboChangeWork[1]->setFocus();
        QTest::keyClicks(p->cboChangeWork[1], "05");
        QCOMPARE(work(0x8B5A5 + 2), 5);
        QCOMPARE(g->textMatrix(3, 1), QString("05飞鹰骑士"));
        QTest::keyClick(p->cboChangeWork[1], Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), p->txtChangeWork);
        p->cboChangeWork[0]->setFocus();
        QTest::keyClick(p->cboChangeWork[0], Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), p->cboChangeWork[1]);

        g->setCurrentCell(13, 0);
        p->txtChangeWork->setFocus();
        QTest::keyClick(p->txtChangeWork, Qt::Key_Down);
        QCOMPARE(g->row(), 1);
        QCOMPARE(p->txtChangeWork->text(), g->textMatrix(1, 2));
        QTest::keyClick(p->txtChangeWork, Qt::Key_Up);
        QCOMPARE(g->row(), 13);
        QCOMPARE(QApplication::focusWidget(), p->txtChangeWork);

        // A class byte without an entry shows its digits and "?", selects nothing, writes nothing.
        m_images.WorkImage[ClassChangeAfter + 12] = 0x17;
        p->RefillClassChangeGrid();
        QCOMPARE(g->textMatrix(13, 1), QString("17?"));
        QCOMPARE(p->cboChangeWork[1]->currentIndex(), -1);
        QCOMPARE(work(ClassChangeAfter + 12), 0x17);
        QCOMPARE(work(0x8B5A4), int(byteAt(m_pristine, 0x8B5A4)));
    }

    void levelCoefficients()
    {
        show(6);
        LevelCoefficientFrame *f = m_window->shieldPage->levelFrame;
        FlexGrid *g = f->msfExpLevel;
        QCOMPARE(f->title(), QString("等级系数"));
        QCOMPARE(g->cols(), 20);
        QCOMPARE(g->textMatrix(0, 0), QString("级别"));
        QCOMPARE(g->textMatrix(0, 3), QString("  3"));
        QCOMPARE(g->textMatrix(0, 14), QString(" 14 "));
        QCOMPARE(g->textMatrix(1, 0), QString("系数"));
        QCOMPARE(g->grid().colAlignment(5), Qt::Alignment(Qt::AlignHCenter));

        g->setCurrentCell(1, 3);
        QCOMPARE(f->txtExpLevel->text(), QString("10"));
        enter(f->txtExpLevel, "12");
        QCOMPARE(work(LevelCoefficientBase + 3), 12);
        QCOMPARE(g->textMatrix(1, 3), QString("12"));
        QCOMPARE(g->col(), 4);
        QTest::keyClick(f->txtExpLevel, Qt::Key_Left);
        QCOMPARE(f->rawText(), QString("原始数据:\r\n级别  3: 10 => 12"));
        QCOMPARE(f->txtExpLevelSource->toPlainText(), QString("原始数据:\n级别  3: 10 => 12"));

        enter(f->txtExpLevel, "255");
        QCOMPARE(work(LevelCoefficientBase + 3), 255);
        g->setCurrentCell(1, 5);
        const int before = work(LevelCoefficientBase + 5);
        enter(f->txtExpLevel, "256");
        QCOMPARE(work(LevelCoefficientBase + 5), before);
        QCOMPARE(f->txtExpLevel->text(), QString("256"));
        QCOMPARE(g->col(), 5);

        g->setCurrentCell(1, 19);
        enter(f->txtExpLevel, "99");
        QCOMPARE(work(LevelCoefficientBase + 19), 99);
        QCOMPARE(g->col(), 1);
        QTest::keyClick(f->txtExpLevel, Qt::Key_Left);
        QCOMPARE(g->col(), 19);
        QTest::keyClick(f->txtExpLevel, Qt::Key_Right);
        QCOMPARE(g->col(), 1);
        QCOMPARE(work(LevelCoefficientBase), int(byteAt(m_pristine, LevelCoefficientBase)));
    }

    void terrainGrid()
    {
        m_window->stabAll->setCurrentIndex(3);
        m_window->SSTab1->setCurrentIndex(2);
        QApplication::processEvents();
        TerrainPage *t = m_window->terrainPage;
        FlexGrid *g = t->msfFieldEffect;
        QCOMPARE(g->rows(), 24);
        QCOMPARE(g->cols(), 23);
        QCOMPARE(g->textMatrix(0, 1), QString("地形名1"));
        QCOMPARE(g->textMatrix(0, 22), QString("地形名22"));
        QCOMPARE(g->textMatrix(1, 0), QString("01骑士"));
        QCOMPARE(g->textMatrix(23, 0), QString("回避效果"));
        QCOMPARE(g->textMatrix(2, 3), hexByte(work(TerrainBase + 22 + 2)));
        QVERIFY(t->opt16->isChecked());
        QCOMPARE(t->opt16->property("Tag").toString(), QString("1"));

        g->setCurrentCell(22, 22);
        enter(t->txtFieldEffect, "ff");
        QCOMPARE(work(0x8BCFA + 22 * 21 + 21), 0xFF);
        QCOMPARE(g->textMatrix(22, 22), QString("ff"));
        QCOMPARE(g->row(), 22);
        QCOMPARE(g->col(), 22);
        clickOption(t->opt10);
        QCOMPARE(g->textMatrix(22, 22), QString("255"));
        QCOMPARE(t->txtFieldEffect->text(), QString("255"));
        QCOMPARE(t->opt10->property("Tag").toString(), QString("1"));
        for (const char *bad : {"256", "1a", ""}) {
            enter(t->txtFieldEffect, bad);
            QCOMPARE(work(0x8BCFA + 22 * 21 + 21), 0xFF);
            QCOMPARE(t->txtFieldEffect->text(), QString("255"));
        }
        enter(t->txtFieldEffect, "7");
        QCOMPARE(work(0x8BCFA + 22 * 21 + 21), 7);
        clickOption(t->opt16);
        QCOMPARE(g->textMatrix(22, 22), QString("07"));
        clickOption(t->opt16); // already active: nothing changes
        QCOMPARE(g->textMatrix(22, 22), QString("07"));

        QTest::keyClick(t->txtFieldEffect, Qt::Key_Right);
        QCOMPARE(g->col(), 1);
        QCOMPARE(g->row(), 22);
        QTest::keyClick(t->txtFieldEffect, Qt::Key_Left);
        QCOMPARE(g->col(), 22);
        QTest::keyClick(t->txtFieldEffect, Qt::Key_Down);
        QTest::keyClick(t->txtFieldEffect, Qt::Key_Down);
        QCOMPARE(g->row(), 1);
        QCOMPARE(g->topRow(), 1);
        QTest::keyClick(t->txtFieldEffect, Qt::Key_Up);
        QCOMPARE(g->row(), 23);
        QCOMPARE(t->txtFieldEffect->text(), hexByte(work(TerrainBase + 22 * 22 + 21)));
        QCOMPARE(t->txtFieldEffect->selectedText(), t->txtFieldEffect->text());

        // Reopened while decimal display is active, the cells come back in decimal.
        clickOption(t->opt10);
        t->FillTerrainEffectGrid();
        QCOMPARE(g->textMatrix(22, 22), QString("7"));
        QVERIFY(t->opt10->isChecked());
    }

    void terrainNameFile()
    {
        TerrainPage *t = m_window->terrainPage;
        FlexGrid *g = t->msfFieldEffect;
        QStringList names;
        for (int i = 1; i <= 22; ++i)
            names << QString("新地形%1").arg(i);
        m_folder.writeTerrainLines(names);
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        QCOMPARE(g->textMatrix(0, 22), QString("新地形22"));
        QVERIFY(m_dialogs.messages.isEmpty());
        m_folder.writeTerrainNames("\r\n");
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        QCOMPARE(g->textMatrix(0, 22), QString("地形名22"));
        QVERIFY(m_dialogs.messages.isEmpty());

        QStringList broken = names;
        broken[4].clear();
        m_folder.writeTerrainLines(broken, "\r\n");
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        expectMessage(m_dialogs, "无法更新，请检查文件“地形名称.txt”的格式！", "无法更新", Dialogs::Icon::None);
        m_folder.writeTerrainLines(names.mid(0, 21), "\r\n");
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages.size(), 2);
        QFile::remove(m_folder.filePath("地形名称.txt"));
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages.size(), 3);
        QCOMPARE(g->textMatrix(0, 22), QString("地形名22"));
        QCOMPARE(g->textMatrix(0, 0), QString(12, ' '));
        QCOMPARE(g->cols(), 23);

        // A "|" in a name would have split the header into another column.
        QStringList bar = names;
        bar[2] = "山|林";
        m_folder.writeTerrainLines(bar);
        QTest::mouseClick(t->btnRefreshEffect, Qt::LeftButton);
        QCOMPARE(g->cols(), 23);
        QCOMPARE(g->textMatrix(0, 3), QString("山｜林"));
        QCOMPARE(g->textMatrix(0, 22), QString("新地形22"));
    }

    // "更多表格": a described table's values are typed as their kind allows, written as one named
    // step each, refused with what the field takes, and undone like any other step.
    void userTablePage()
    {
        UserTablePage *page = m_window->userTablePage;
        QVERIFY(!page->cboUserTable->isEnabled());
        QVERIFY(page->lblUserHelp->text().contains("文件 → 表格描述(D)..."));
        const QString folder = GameData::descriptionFolder(m_folder.path());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeWholeFile(folder + "/shops.json", R"({"tables": [{"name": "商店", "key": "shops", "base": "0x1000",
            "stride": 4, "count": 8, "names": {"numbers": "dec", "first": 1, "prefix": "店"},
            "fields": [{"caption": "价格", "offset": 0, "size": 2, "range": [0, 9999]},
                       {"caption": "属性", "offset": 2, "show": "flags", "flags": ["稀有", "", "可卖"]}]}]})"));
        QVERIFY(m_window->reloadDescriptions().value(0).ok());
        m_window->stabAll->setCurrentWidget(page);
        QCOMPARE(page->cboUserTable->currentText(), "商店 (shops)");
        QCOMPARE(page->msfUserTable->rows(), 9);
        QCOMPARE(page->msfUserTable->textMatrix(2, 0), "店02");

        page->showField("shops", 1, 0);
        enter(page->txtUserValue, "1234");
        QCOMPARE(work(0x1004) | work(0x1005) << 8, 1234);
        QVERIFY(m_images.history.undoLabel().startsWith("价格 ") && m_images.history.undoLabel().endsWith(" => 1234"));
        QCOMPARE(page->msfUserTable->col(), 2); // on to the next field
        page->txtUserValue->setText("稀有、可卖"); // typed through an input method
        QTest::keyClick(page->txtUserValue, Qt::Key_Return);
        QCOMPARE(work(0x1006), 0x05);
        QCOMPARE(page->msfUserTable->textMatrix(2, 2), "稀有、可卖");

        page->showField("shops", 1, 0);
        enter(page->txtUserValue, "10000");
        QCOMPARE(work(0x1004) | work(0x1005) << 8, 1234);
        QCOMPARE(m_window->statusBar()->currentMessage(), "价格：0 至 9999 的十进制数");

        m_window->menuUndo->trigger();
        m_window->menuUndo->trigger();
        QCOMPARE(work(0x1004), byteAt(m_pristine, 0x1004));
        QCOMPARE(page->msfUserTable->textMatrix(2, 1),
                 QString::number(byteAt(m_pristine, 0x1004) | byteAt(m_pristine, 0x1005) << 8));
        GameData::useUserTables({});
    }

    void openingAFileRefreshesEveryEditor()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("c.txt");
        QVERIFY(writeWholeFile(list, "*H6E2D45AH8BF2296H8ABA91EH8C72D08*"));
        m_dialogs.answers << list;
        m_window->menuOpen->trigger();
        QCOMPARE(m_chars->txtCharacter[0]->text(), QString("90"));
        QCOMPARE(m_window->classPage->txtWork[0]->text(), QString("150"));
        QCOMPARE(m_window->weaponPage->txt[0]->text(), QString("30"));
        QCOMPARE(m_window->shieldPage->txtShield[0]->text(), QString("8"));
        QVERIFY(m_chars->editor->rawText().contains("等  级: " + QString::number(byteAt(m_pristine, CharacterBase + 1)) + " => 90"));
    }
};

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
