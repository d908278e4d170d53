#include "battlefield/enemytypepage.h"
#include "battlefield/fieldpage.h"
#include "controls/flexgrid.h"
#include "gamedata/gamedata.h"
#include "hexview/hexgridmodel.h"
#include "hexview/hexpage.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "input.h"
#include "mainwindowfixture.h"
#include "tables/characterpage.h"
#include "tables/classchangepage.h"
#include "tables/classpage.h"
#include "tables/gametables.h"
#include "tables/itempage.h"
#include "tables/levelcoefficientframe.h"
#include "tables/shieldpage.h"
#include "tables/terrainpage.h"

#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QWheelEvent>

#include <functional>

using namespace GameTables;

namespace {

const QString Caption = QStringLiteral("苍岚战记外传 EMU + ROM 修改器");

// A user's choice in a selector.
void choose(QComboBox *combo, int index)
{
    combo->setFocus();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// A value for a byte that differs from the one it holds.
int otherThan(int now, int wanted)
{
    return now == wanted ? wanted + 1 : wanted;
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private:
    MainWindowFixture f;
    frmVeskEdit *w = nullptr;

    QByteArray &work() { return f.images.WorkImage; }
    int at(qint64 offset) const { return byteAt(f.images.WorkImage, offset); }
    static qint64 terrainOffset(int row, int col) { return TerrainBase + TerrainCols * (row - 1) + (col - 1); }

    // One edit of some editor: the edit, what its view shows of the value, and the tab it is on.
    struct Case {
        const char *name;
        int tab;
        std::function<void()> prepare; // goes to the record or cell
        std::function<void()> edit;
        std::function<QString()> shown;
    };

    QList<Case> cases()
    {
        FieldPage *field = w->fieldPage;
        EnemyTypePage *types = w->enemyTypePage;
        const auto ownUnitWar = [this, field]() -> QLabel * {
            for (int id = 1; id <= field->cboWarField->count(); ++id) {
                field->cboWarField->setCurrentIndex(id - 1);
                field->timerField_Timer();
                const ArmyType *a = field->war()->FixedArmy ? field->armys()->Item(field->war()->FixedArmyID[0]) : nullptr;
                if (a && a->Number() > 0 && field->war()->DefNumber[0] > 0 && a->Item(1)->Edit() == wantOwn)
                    return w->findChild<QLabel *>("imgDef_1");
            }
            return nullptr;
        };
        return {
            {"hex value box", 0,
             [this] { w->hexPage->GotoAddress("6E2EC", true); },
             [this] {
                 enter(w->hexPage->txtNewValue, hexByte(otherThan(at(0x6E2EC), 0x05)));
             },
             [this] { return w->hexPage->msfFileContent->textMatrix(0x6E2E + 1, 0xC + 1); }},
            {"character level", 1,
             [this] { w->characterPage->lstCharacter->setCurrentRow(2); },
             [this] {
                 enter(w->characterPage->txtCharacter[0], QString::number(otherThan(at(0x6E2EC), 5)));
             },
             [this] { return w->characterPage->txtCharacter[0]->text(); }},
            {"class strength", 3,
             [this] {
                 w->SSTab1->setCurrentIndex(0);
                 w->classPage->lstWorkName->setCurrentRow(1);
             },
             [this] {
                 enter(w->classPage->txtWork[0], QString::number(otherThan(at(ClassBase + ClassStride), 77)));
             },
             [this] { return w->classPage->txtWork[0]->text(); }},
            {"weapon effect", 4,
             [this] { w->weaponPage->list->setCurrentRow(3); },
             [this] {
                 const int now = w->weaponPage->cboEffect->currentIndex();
                 choose(w->weaponPage->cboEffect, now == 2 ? 3 : 2);
             },
             [this] { return w->weaponPage->cboEffect->currentText(); }},
            {"shield", 6,
             [this] { w->shieldPage->lstShield->setCurrentRow(1); },
             [this] {
                 enter(w->shieldPage->txtShield[0], QString::number(otherThan(at(ShieldBase + 1), 9)));
             },
             [this] { return w->shieldPage->txtShield[0]->text(); }},
            {"class change", 3,
             [this] { w->SSTab1->setCurrentIndex(1); },
             [this] {
                 const int now = w->classChangePage->cboChangeWork[0]->currentIndex();
                 choose(w->classChangePage->cboChangeWork[0], now == 4 ? 5 : 4);
             },
             [this] { return w->classChangePage->msfChangeWork->textMatrix(1, 0); }},
            {"level coefficient", 6,
             [this] { w->shieldPage->levelFrame->msfExpLevel->setCurrentCell(1, 3); },
             [this] {
                 enter(w->shieldPage->levelFrame->txtExpLevel, QString::number(otherThan(at(LevelCoefficientBase + 3), 12)));
             },
             [this] { return w->shieldPage->levelFrame->msfExpLevel->textMatrix(1, 3); }},
            {"terrain cell, decimal", 3,
             [this] {
                 w->SSTab1->setCurrentIndex(2);
                 w->terrainPage->opt10->click();
                 w->terrainPage->msfFieldEffect->setCurrentCell(2, 3);
             },
             [this] {
                 enter(w->terrainPage->txtFieldEffect, QString::number(otherThan(at(TerrainBase + TerrainCols + 2), 200)));
             },
             [this] { return w->terrainPage->msfFieldEffect->textMatrix(2, 3); }},
            {"enemy-type level", 2,
             [this, types] {
                 w->stabField->setCurrentIndex(1);
                 types->selectType(4);
             },
             [this, types] {
                 enter(types->txtEType[0], QString::number(otherThan(at(EnemyType::Base + 6 * 3 + 2), 33)));
             },
             [types] { return types->msfEnemyType->textMatrix(4, 3); }},
            {"marker drag", 2,
             [this] { w->stabField->setCurrentIndex(0); },
             [this, field] {
                 QLabel *m = w->findChild<QLabel *>("lblAct_1");
                 const QPoint t(m->x() / FieldPage::Tile, m->y() / FieldPage::Tile);
                 const int dx = field->IsFreeTile(t.x() + 1, t.y() + 1) ? 1 : -1;
                 drag(m, {QPointF(dx, 0) * FieldPage::Tile, QPointF(dx, dx) * FieldPage::Tile});
             },
             [this] {
                 const QLabel *m = w->findChild<QLabel *>("lblAct_1");
                 return QStringLiteral("%1,%2").arg(m->x()).arg(m->y());
             }},
            {"unit edit confirmed", 2,
             [this, ownUnitWar] {
                 w->stabField->setCurrentIndex(0);
                 wantOwn = true;
                 QVERIFY(ownUnitWar());
             },
             [this, field] {
                 doubleClick(w->findChild<QLabel *>("imgDef_1"));
                 field->txtEnemyEdit[0]->setText(QString::number(otherThan(field->txtEnemyEdit[0]->text().toInt(), 40)));
                 field->txtEnemyEdit[1]->setText("3C");
                 field->btnEditOk->click();
             },
             [this, field] {
                 hover(w->findChild<QLabel *>("imgDef_1"));
                 return field->txtArmyMen->toPlainText();
             }},
            {"enemy type chosen", 2,
             [this, ownUnitWar] {
                 w->stabField->setCurrentIndex(0);
                 wantOwn = false;
                 QVERIFY(ownUnitWar());
             },
             [this, types] {
                 doubleClick(w->findChild<QLabel *>("imgDef_1"));
                 types->selectType(types->msfEnemyType->row() == 9 ? 10 : 9);
                 types->btnEtypeEditOk->click();
             },
             [this, field] {
                 hover(w->findChild<QLabel *>("imgDef_1"));
                 return field->txtArmyMen->toPlainText();
             }},
        };
    }
    bool wantOwn = false;

private slots:
    void init()
    {
        QVERIFY(f.start());
        w = f.window.get();
    }
    void cleanup() { f.window.reset(); }

    void everyEditorsWriteIsUndoneAndRedone()
    {
        for (const Case &c : cases()) {
            f.images.history.clear();
            w->stabAll->setCurrentIndex(c.tab);
            QApplication::processEvents();
            c.prepare();
            const QByteArray before = work();
            const QString shownBefore = c.shown();
            c.edit();
            const QByteArray after = work();
            QVERIFY2(after != before, c.name);
            QCOMPARE(f.images.history.steps(), 1); // one action, one step
            const QString shownAfter = c.shown();
            QVERIFY2(shownAfter != shownBefore, c.name);
            QVERIFY2(w->windowTitle().endsWith(" *"), c.name);

            w->menuUndo->trigger();
            QVERIFY2(work() == before, c.name);
            QCOMPARE(c.shown(), shownBefore);
            QCOMPARE(w->stabAll->currentIndex(), c.tab);
            if (c.tab == 0)
                QCOMPARE(w->hexPage->txtLoc->text(), QString("0006E2EC")); // the grid goes to the byte
            QCOMPARE(w->windowTitle(), Caption);
            QVERIFY(!w->menuUndo->isEnabled());

            w->menuRedo->trigger();
            QVERIFY2(work() == after, c.name);
            QCOMPARE(c.shown(), shownAfter);
            QVERIFY(w->windowTitle().endsWith(" *"));
            w->menuUndo->trigger();
        }
    }

    void menuTextsNameTheStep()
    {
        QCOMPARE(w->menuBar()->actions().at(1)->menu(), w->menuEdit);
        QCOMPARE(w->menuEdit->title(), QString("编辑(&E)"));
        QCOMPARE(w->menuUndo->text(), QString("撤销(&U)"));
        QCOMPARE(w->menuRedo->text(), QString("重做(&R)"));
        QVERIFY(!w->menuUndo->isEnabled() && !w->menuRedo->isEnabled());
        QCOMPARE(w->menuUndo->shortcut(), QKeySequence("Ctrl+Z"));
        QVERIFY(w->menuRedo->shortcuts().contains(QKeySequence("Ctrl+Y")));
        QVERIFY(w->menuRedo->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));

        work()[0x6E2EC] = 1; // as if opened so
        w->hexPage->GotoAddress("6E2EC", true);
        enter(w->hexPage->txtNewValue, "05");
        QCOMPARE(w->menuUndo->text(), QString("撤销 0006E2EC: 01 => 05"));
        w->stabAll->setCurrentIndex(1);
        w->characterPage->lstCharacter->setCurrentRow(2);
        enter(w->characterPage->txtCharacter[0], "12");
        QCOMPARE(w->menuUndo->text(), QString("撤销 等  级 5 => 12"));
        w->menuUndo->trigger();
        QCOMPARE(w->menuRedo->text(), QString("重做 等  级 5 => 12"));
        QCOMPARE(w->menuUndo->text(), QString("撤销 0006E2EC: 01 => 05"));
    }

    void rejectedAndUnchangedEntriesAddNoStep()
    {
        w->stabAll->setCurrentIndex(1);
        w->characterPage->lstCharacter->setCurrentRow(0);
        QLineEdit *level = w->characterPage->txtCharacter[0];
        for (const QString &text : {level->text(), QString("256"), QString("x"), QString()}) {
            enter(level, text);
            QCOMPARE(f.images.history.steps(), 0);
        }
        QVERIFY(!w->menuUndo->isEnabled());
        QCOMPARE(w->windowTitle(), Caption);
        // A drag that ends where it began.
        w->stabAll->setCurrentIndex(2);
        QLabel *m = w->findChild<QLabel *>("lblAct_1");
        drag(m, {QPointF(3, 2)});
        QCOMPARE(f.images.history.steps(), 0);
    }

    void keysReachTheHistoryUnlessTextWasTyped()
    {
        w->stabAll->setCurrentIndex(1);
        w->characterPage->lstCharacter->setCurrentRow(2);
        QLineEdit *level = w->characterPage->txtCharacter[0];
        const QByteArray before = work();
        enter(level, QString::number(otherThan(at(0x6E2EC), 30)));
        const QByteArray after = work();
        QLineEdit *next = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(next);
        QTest::keyClick(next, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), before);
        QTest::keyClick(next, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(work(), after);
        QTest::keyClick(next, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo: nothing left
        QCOMPARE(work(), after);
        // Typed, unconfirmed text: Ctrl+Z undoes the typing only.
        next->setFocus();
        next->selectAll();
        const QString shown = next->text();
        QTest::keyClicks(next, "9");
        QTest::keyClick(next, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(next->text(), shown);
        QCOMPARE(work(), after);
        // With the typing undone, the next Ctrl+Z reaches the image at once.
        enter(level, QString::number(otherThan(at(0x6E2EC), 40)));
        const QByteArray third = work();
        level->setFocus();
        QTest::keyClicks(level, "7");
        QTest::keyClick(level, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), third);
        QTest::keyClick(level, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), after);
    }

    void hexValueBoxEnterThenUndo()
    {
        // Ctrl+Z right after Enter in the hex value box undoes the byte, not the typing.
        QLineEdit *box = w->hexPage->txtNewValue;
        w->hexPage->GotoAddress("6E2EC", true);
        const QByteArray before = work();
        const QString value = hexByte(otherThan(at(0x6E2EC), 0x05));
        enter(box, value);
        QVERIFY(work() != before);
        QCOMPARE(box->text(), value);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), before);
        QCOMPARE(w->hexPage->txtLoc->text(), QString("0006E2EC"));
        QCOMPARE(box->text(), hexByte(at(0x6E2EC)));
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(hexByte(at(0x6E2EC)), value);

        // A digit typed on the grid starts a new value; Ctrl+Z first takes the typing back.
        w->hexPage->msfFileContent->setFocus();
        QTest::keyClick(w->hexPage->msfFileContent, Qt::Key_A);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), QString("A"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), value);
        QCOMPARE(hexByte(at(0x6E2EC)), value);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), before);
    }

    void viewsKeepTheirPlaceAcrossUndo()
    {
        // The terrain grid keeps its current cell.
        TerrainPage *terrain = w->terrainPage;
        w->stabAll->setCurrentIndex(3);
        w->SSTab1->setCurrentWidget(terrain);
        QApplication::processEvents();
        terrain->msfFieldEffect->setCurrentCell(4, 6);
        const int value = byteAt(work(), terrainOffset(4, 6));
        enter(terrain->txtFieldEffect, terrain->opt10->isChecked() ? QString::number(otherThan(value, 3)) : hexByte(otherThan(value, 3)));
        terrain->msfFieldEffect->setCurrentCell(4, 6);
        QVERIFY(byteAt(work(), terrainOffset(4, 6)) != value);
        w->menuUndo->trigger();
        QCOMPARE(int(byteAt(work(), terrainOffset(4, 6))), value);
        QCOMPARE(terrain->msfFieldEffect->row(), 4);
        QCOMPARE(terrain->msfFieldEffect->col(), 6);
        w->menuRedo->trigger();
        QCOMPARE(terrain->msfFieldEffect->row(), 4);
        QCOMPARE(terrain->msfFieldEffect->col(), 6);

        // An undo made on another tab moves the hex grid to the changed byte, in view.
        FlexGrid *grid = w->hexPage->msfFileContent;
        const qint64 changed = terrainOffset(4, 6);
        w->menuUndo->trigger();
        QCOMPARE(grid->row(), int(changed / 16) + 1);
        QCOMPARE(grid->col(), int(changed % 16) + 1);
        w->stabAll->setCurrentIndex(0);
        QApplication::processEvents();
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
    }

    void everyViewFollowsAByteWrittenElsewhere()
    {
        // A byte written in the hex grid shows at once in each view that keeps it; its undo and
        // redo too. The hex cells themselves follow undo and redo, and the text column reads the
        // bytes its row's cells show.
        struct View {
            const char *name;
            qint64 offset;
            std::function<void()> show;
            std::function<QString()> text;
        };
        EnemyTypePage *types = w->enemyTypePage;
        const QList<View> views = {
            {"character", 0x6E2EC, [this] { w->characterPage->lstCharacter->setCurrentRow(2); },
             [this] { return w->characterPage->txtCharacter[0]->text(); }},
            {"class change", qint64(GameData::fixedTable(GameData::ClassChanges).records[0].parts[2].offset), [] {},
             [this] { return w->classChangePage->msfChangeWork->textMatrix(1, 2); }},
            {"terrain", terrainOffset(2, 3), [] {}, [this] { return w->terrainPage->msfFieldEffect->textMatrix(2, 3); }},
            {"level coefficient", LevelCoefficientBase + 3, [] {},
             [this] { return w->shieldPage->levelFrame->msfExpLevel->textMatrix(1, 3); }},
            {"enemy type", EnemyType::Base + 6 * 3 + 2, [types] { types->selectType(4); },
             [types] { return types->msfEnemyType->textMatrix(4, 3); }},
        };
        HexGridModel *cells = w->hexPage->gridModel;
        for (const View &v : views) {
            v.show();
            const QString before = v.text();
            const int row = int(v.offset / 16) + 1;
            const QByteArray rowBefore = cells->rowBytes(row);
            w->hexPage->GotoAddress(QString::number(v.offset, 16), false);
            enter(w->hexPage->txtNewValue, hexByte(otherThan(at(v.offset), 0x21)));
            const QString after = v.text();
            QVERIFY2(after != before, v.name);
            QCOMPARE(cells->rowBytes(row).at(int(v.offset % 16)), work().at(v.offset));

            w->menuUndo->trigger();
            QCOMPARE(v.text(), before);
            QCOMPARE(cells->rowBytes(row), rowBefore);
            QCOMPARE(cells->text(row, int(v.offset % 16) + 1), hexByte(at(v.offset)));
            w->menuRedo->trigger();
            QCOMPARE(v.text(), after);
            w->menuUndo->trigger();
        }

        // An edit on another tab leaves the cells and the text column as they were until 刷新.
        const int row = 0x6E2E + 1;
        const QByteArray shown = cells->rowBytes(row);
        w->characterPage->lstCharacter->setCurrentRow(2);
        enter(w->characterPage->txtCharacter[0], QString::number(otherThan(at(0x6E2EC), 44)));
        QCOMPARE(cells->rowBytes(row), shown);
        w->hexPage->btnRefresh->trigger();
        QCOMPARE(cells->rowBytes(row), work().mid(0x6E2E0, 16));
    }

    void closeQuestion()
    {
        // Unchanged: closes at once.
        QVERIFY(w->close());
        QVERIFY(f.dialogs.questions.isEmpty());

        QVERIFY(f.start());
        w = f.window.get();
        w->hexPage->GotoAddress("4D1E0", true);
        enter(w->hexPage->txtNewValue, hexByte(otherThan(at(0x4D1E0), 0x33)));
        f.dialogs.saveAnswers = {Dialogs::Answer::Cancel};
        QVERIFY(!w->close());
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(f.dialogs.questions[0].title, QString("保存修改"));
        QCOMPARE(f.dialogs.questions[0].text, QString("当前修改尚未保存，是否保存？"));
        // Save, but the save dialog is cancelled: stays open.
        f.dialogs.saveAnswers = {Dialogs::Answer::Save};
        QVERIFY(!w->close());
        QVERIFY(!work().isEmpty());
        // Save with a name: written, then closed.
        const QString out = f.folder.filePath("out.exe");
        const QByteArray edited = work();
        f.dialogs.saveAnswers = {Dialogs::Answer::Save};
        f.dialogs.answers = {out};
        QVERIFY(w->close());
        QByteArray saved;
        QVERIFY(readWholeFile(out, saved));
        QCOMPARE(saved, edited);

        // Don't save: closes without writing.
        QVERIFY(f.start());
        w = f.window.get();
        w->hexPage->GotoAddress("4D1E0", true);
        enter(w->hexPage->txtNewValue, hexByte(otherThan(at(0x4D1E0), 0x33)));
        f.dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        const int written = f.dialogs.dialogTitles.size();
        QVERIFY(w->close());
        QCOMPARE(f.dialogs.dialogTitles.size(), written);
        // Through the menu entry as well.
        QVERIFY(f.start());
        w = f.window.get();
        w->hexPage->GotoAddress("4D1E0", true);
        enter(w->hexPage->txtNewValue, hexByte(otherThan(at(0x4D1E0), 0x33)));
        f.dialogs.saveAnswers = {Dialogs::Answer::Cancel};
        w->menuExit->trigger();
        QVERIFY(w->isVisible());
    }

    void markFollowsSavesAndOpens()
    {
        w->hexPage->GotoAddress("4D1E0", true);
        enter(w->hexPage->txtNewValue, hexByte(otherThan(at(0x4D1E0), 0x33)));
        QVERIFY(w->windowTitle().endsWith(" *"));
        const QString list = f.folder.filePath("list.txt");
        f.dialogs.answers = {list};
        QVERIFY(w->menuSave_Click());
        QCOMPARE(w->windowTitle(), Caption);
        // Undoing past the save marks it again; the history goes on across a save.
        w->menuUndo->trigger();
        QVERIFY(w->windowTitle().endsWith(" *"));
        w->menuRedo->trigger();
        QCOMPARE(w->windowTitle(), Caption);

        // Opening a file asks first while marked, and starts a new history.
        w->menuUndo->trigger();
        f.dialogs.saveAnswers = {Dialogs::Answer::Cancel};
        const int dialogs = f.dialogs.dialogTitles.size();
        w->menuOpen_Click();
        QCOMPARE(f.dialogs.dialogTitles.size(), dialogs); // no file dialog after Cancel
        f.dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        f.dialogs.answers = {list};
        w->menuOpen_Click();
        QCOMPARE(f.dialogs.questions.size(), 2);
        QVERIFY(!w->menuUndo->isEnabled() && !w->menuRedo->isEnabled());
        QCOMPARE(w->windowTitle(), Caption);
        QVERIFY(!f.images.history.canUndo());
    }

    void wheelTurnsOnlyAFocusedSelector()
    {
        w->stabAll->setCurrentIndex(1);
        QComboBox *combo = w->characterPage->cboCharacterWork;
        const auto wheel = [combo] {
            const QPointF p = combo->rect().center();
            QWheelEvent e(p, combo->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
            QApplication::sendEvent(combo, &e);
        };
        w->characterPage->lstCharacter->setFocus();
        const QByteArray before = work();
        const int index = combo->currentIndex();
        wheel();
        QCOMPARE(combo->currentIndex(), index);
        QCOMPARE(work(), before);
        QCOMPARE(combo->focusPolicy(), Qt::StrongFocus);
        combo->setFocus();
        wheel();
        QCOMPARE(combo->currentIndex(), index + 1);
        QVERIFY(work() != before);
    }

    void onlyTheWritePathAssignsWorkImageBytes()
    {
        QDirIterator it(QT_TESTCASE_SOURCEDIR "/../src", {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        const QRegularExpression assign(R"(WorkImage\s*(\[[^\]]*\]\s*=[^=]|\.data\(\)|\.replace\(|\.fill\(|=[^=]))");
        QStringList found;
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            ++files;
            if (path.endsWith("image/byteimages.h"))
                continue; // the write routine and loading a whole image
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            if (assign.match(QString::fromUtf8(file.readAll())).hasMatch())
                found.append(path);
        }
        QVERIFY(files > 50);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(", ")));
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
