#include "app/frmchanges.h"
#include "battlefield/armys.h"
#include "battlefield/enemytypepage.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/fieldpage.h"
#include "battlefield/fieldsurface.h"
#include "battlefield/mapcodec.h"
#include "battlefield/paintpanel.h"
#include "battlefield/painttool.h"
#include "controls/flexgrid.h"
#include "gamedata/gamedata.h"
#include "hexview/hexpage.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "image/patches.h"
#include "input.h"
#include "mainwindowfixture.h"
#include "tables/characterpage.h"
#include "tables/classchangepage.h"
#include "tables/classpage.h"
#include "tables/itempage.h"
#include "tables/levelcoefficientframe.h"
#include "tables/shieldpage.h"
#include "tables/terrainpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <functional>

using namespace GameData;

namespace {

// One notch of the wheel over a focused selector: the next entry, chosen as a user does.
void turn(QComboBox *combo)
{
    combo->setFocus();
    const QPointF p = combo->rect().center();
    QWheelEvent e(p, combo->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(combo, &e);
    QApplication::processEvents();
}

QString hex8(qint64 offset)
{
    return QString::number(offset, 16).toUpper().rightJustified(8, u'0');
}

} // namespace

class TestChanges : public QObject {
    Q_OBJECT

private:
    MainWindowFixture f;
    frmVeskEdit *w = nullptr;
    QTemporaryDir m_dir;

    frmChanges *list() const { return w->changesWindow(); }
    // A byte typed in the hex grid.
    void hexEdit(qint64 offset, int value)
    {
        w->stabAll->setCurrentWidget(w->hexPage);
        w->hexPage->GotoAddress(QString::number(offset, 16), false);
        enter(w->hexPage->txtNewValue, hexByte(value));
    }
    QByteArray &work() { return f.images.WorkImage; }
    int pristine(qint64 offset) const { return byteAt(f.pristine, offset); }
    QStringList shown() const
    {
        // The texts on screen: each group's title, then its lines.
        QStringList out;
        const QTreeWidget *tree = list()->treeChanges;
        for (int g = 0; g < tree->topLevelItemCount(); ++g)
            for (int i = 0; i < tree->topLevelItem(g)->childCount(); ++i)
                out.append(tree->topLevelItem(g)->text(0) + QStringLiteral(" · ") + tree->topLevelItem(g)->child(i)->text(0));
        return out;
    }
    // Double-clicks the line that names a field.
    void activate(const QString &startOfLine)
    {
        QTreeWidget *tree = list()->treeChanges;
        for (int g = 0; g < tree->topLevelItemCount(); ++g)
            for (int i = 0; i < tree->topLevelItem(g)->childCount(); ++i) {
                QTreeWidgetItem *item = tree->topLevelItem(g)->child(i);
                if ((tree->topLevelItem(g)->text(0) + QStringLiteral(" · ") + item->text(0)).startsWith(startOfLine)) {
                    tree->scrollToItem(item);
                    doubleClick(tree->viewport(), tree->visualItemRect(item).center());
                    return;
                }
            }
        QFAIL(qPrintable(QStringLiteral("no line ") + startOfLine));
    }
    static QString name(TableId t, int record) { return fixedTable(t).records[record].name; }

private slots:
    void init()
    {
        QVERIFY(f.start());
        w = f.window.get();
        w->menuChanges->trigger();
        QVERIFY(list()->isVisible());
        QCOMPARE(list()->lblChangesCount->text(), QString("没有修改"));
        // The editors take the focus back; the list stays open beside them.
        QApplication::processEvents();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    void cleanup() { f.window.reset(); }

    // Each kind of field of each editor: its write is one line, with the old and new values,
    // and its undo empties the list again.
    void everyEditorWriteIsOneLine()
    {
        using namespace GameTables;
        struct Case {
            const char *what;
            std::function<void()> act;
            std::function<QString()> expected;
        };
        const auto show = [this](QWidget *page) {
            for (QWidget *p = page; p; p = p->parentWidget())
                if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
                    tabs->setCurrentWidget(p);
            QApplication::processEvents();
        };
        const QString hero = name(Characters, 0);
        const QList<Case> cases = {
            {"decimal field", [&] { show(w->characterPage); enter(w->characterPage->txtCharacter[0], "37"); },
             [&] { return QString("我方人物 %1 · 等  级: %2 => 37").arg(hero).arg(pristine(CharacterBase + 1)); }},
            {"hexadecimal field", [&] { show(w->characterPage); enter(w->characterPage->txtCharacter[8], "2a"); },
             [&] { return QString("我方人物 %1 · 魔  法: %2 => 2A").arg(hero, hexByte(pristine(CharacterBase + 9))); }},
            {"growth field", [&] { show(w->characterPage); enter(w->characterPage->txtCharacter[16], "99"); },
             [&] { return QString("我方人物 %1 · HP成长: %2 => 99").arg(hero).arg(pristine(CharacterGrowth + 5)); }},
            {"selector", [&] { show(w->characterPage); turn(w->characterPage->cboCharacterWork); },
             [&] {
                 const Field &job = fixedTable(Characters).fields[0];
                 return QString("我方人物 %1 · 职  业: %2 => %3")
                     .arg(hero, job.valueText(pristine(CharacterBase)), w->characterPage->cboCharacterWork->currentText());
             }},
            {"class", [&] { show(w->classPage); enter(w->classPage->txtWork[7], "9"); },
             [&] { return QString("职业基础能力 %1 · 移动力: %2 => 9").arg(name(Classes, 0)).arg(pristine(ClassMovement)); }},
            {"weapon effect", [&] { show(w->weaponPage); turn(w->weaponPage->cboEffect); },
             [&] {
                 return QString("武器设定 %1 · 特  效: %2 => %3")
                     .arg(name(Weapons, 0), fixedTable(Weapons).fields[4].valueText(pristine(ItemEffect)),
                          w->weaponPage->cboEffect->currentText());
             }},
            {"spell cost", [&] { show(w->magicPage); enter(w->magicPage->txt[4], "12"); },
             [&] { return QString("魔法设定 %1 · 消耗HP: %2 => 12").arg(name(Spells, 0)).arg(pristine(SpellHpCost)); }},
            {"shield", [&] { show(w->shieldPage); enter(w->shieldPage->txtShield[0], "44"); },
             [&] { return QString("盾牌 %1 · 效  果: %2 => 44").arg(name(Shields, 0)).arg(pristine(ShieldBase)); }},
            {"level coefficient", [&] { show(w->shieldPage); enter(w->shieldPage->levelFrame->txtExpLevel, "201"); },
             [&] { return QString("等级系数 级别1 · 系数: %1 => 201").arg(pristine(LevelCoefficientBase + 1)); }},
            {"class change level", [&] { show(w->classChangePage); enter(w->classChangePage->txtChangeWork, "17"); },
             [&] { return QString("职业转换 01 · 必要等级: %1 => 17").arg(pristine(ClassChangeLevel)); }},
            {"class change selector", [&] { show(w->classChangePage); turn(w->classChangePage->cboChangeWork[1]); },
             [&] {
                 return QString("职业转换 01 · 可转职业: %1 => %2")
                     .arg(fixedTable(ClassChanges).fields[1].valueText(pristine(ClassChangeAfter)),
                          w->classChangePage->cboChangeWork[1]->currentText());
             }},
            {"terrain cell", [&] { show(w->terrainPage); enter(w->terrainPage->txtFieldEffect, "3C"); },
             [&] {
                 return QString("地形效果 %1 · 地形名1: %2 => 3C").arg(name(TerrainEffects, 0), hexByte(pristine(TerrainBase)));
             }},
            {"enemy type level", [&] { show(w->enemyTypePage); enter(w->enemyTypePage->txtEType[0], "21"); },
             [&] { return QString("部队类型 01 · 等  级: %1 => 21").arg(pristine(EnemyType::Base + 2)); }},
            {"enemy type selector", [&] { show(w->enemyTypePage); turn(w->enemyTypePage->cboEType[1]); },
             [&] {
                 return QString("部队类型 01 · 职  业: %1 => %2")
                     .arg(fixedTable(EnemyTypes).fields[1].valueText(pristine(EnemyType::Base + 1)),
                          w->enemyTypePage->cboEType[1]->currentText());
             }},
        };
        for (const Case &c : cases) {
            c.act();
            QCOMPARE(f.images.history.steps() > 0, true);
            QVERIFY2(shown() == QStringList(c.expected()), qPrintable(QString(c.what) + ": " + shown().join(" | ")));
            QCOMPARE(list()->lblChangesCount->text(), QString("共 1 项修改"));
            w->menuUndo->trigger();
            QVERIFY2(shown().isEmpty(), c.what);
            QCOMPARE(work(), f.pristine);
        }
    }

    void battlefieldWritesAreOneLine()
    {
        FieldPage *page = w->fieldPage;
        w->stabAll->setCurrentWidget(w->stabField->parentWidget());
        w->stabField->setCurrentWidget(page);
        page->showWar(1);
        const FieldInfo &war = *page->war();

        // A marker dragged one tile: X and Y in one line.
        QLabel *marker = page->findChild<QLabel *>("lblDef_1");
        QVERIFY(marker);
        const int x = war.DefX(0, 1);
        const int y = war.DefY(0, 1);
        const int dx = x + 1 < war.Width - 1 && page->IsFreeTile(x + 1, y) ? 1 : -1;
        drag(marker, {QPointF(dx * page->tile(), 0)});
        QCOMPARE(shown(), QStringList(QString("出场位置 01 %1 · 防御方一队 01: (%2,%3) => (%4,%3)")
                                          .arg(war.WarName).arg(x).arg(y).arg(x + dx)));
        w->menuUndo->trigger();
        QVERIFY(shown().isEmpty());

        // A unit with its own record, edited in the frame.
        Armys armies(f.images);
        int warId = 0;
        FieldInfo probe(f.images);
        FieldEdit fields(f.images, QString());
        for (int k = 1; k <= probe.AllWarName().size() && !warId; ++k)
            if (probe.SetWarField(k, fields) && probe.FixedArmy && probe.DefNumber[0] > 0) {
                const ArmyType *army = armies.Item(probe.FixedArmyID[0]);
                if (army && army->Number() > 0 && army->Item(1)->Edit())
                    warId = k;
            }
        QVERIFY(warId);
        page->showWar(warId);
        const int armyId = page->war()->FixedArmyID[0];
        ArmyMen *unit = page->armys()->Item(armyId)->Item(1);
        const QString level = unit->tLevel();
        doubleClick(page->findChild<QLabel *>("imgDef_1"));
        QVERIFY(page->UnitEditMode);
        page->txtEnemyEdit[0]->setText(level == "40" ? "41" : "40");
        page->btnEditOk->click();
        const QString now = level == "40" ? "41" : "40";
        QCOMPARE(shown(), QStringList(QString("战场部队 部队%1 01 · 等  级: %2 => %3").arg(twoDigits(armyId), level, now)));
        w->menuUndo->trigger();
        QVERIFY(shown().isEmpty());

        // A unit that names an enemy type: another type chosen in the grid.
        int refWar = 0;
        for (int k = 1; k <= probe.AllWarName().size() && !refWar; ++k)
            if (probe.SetWarField(k, fields) && probe.FixedArmy && probe.DefNumber[0] > 0) {
                const ArmyType *army = armies.Item(probe.FixedArmyID[0]);
                if (army && army->Number() > 0 && !army->Item(1)->Edit())
                    refWar = k;
            }
        QVERIFY(refWar);
        page->showWar(refWar);
        const int refArmy = page->war()->FixedArmyID[0];
        const int type = page->armys()->Item(refArmy)->Item(1)->TypeID(false).toInt();
        doubleClick(page->findChild<QLabel *>("imgDef_1"));
        const int other = type == 5 ? 6 : 5;
        w->enemyTypePage->selectType(other);
        w->enemyTypePage->btnEtypeEditOk->click();
        QCOMPARE(shown(), QStringList(QString("战场部队 部队%1 01 · 类  型: %2 => %3")
                                          .arg(twoDigits(refArmy), hexByte(type), hexByte(other))));
        // Its line shows the unit again: its war, and the type in the grid.
        page->showWar(1);
        activate(QString("战场部队 部队%1 01").arg(twoDigits(refArmy)));
        QCOMPARE(page->cboWarField->currentIndex() + 1, refWar);
        QVERIFY(page->UnitEditMode);
        QCOMPARE(w->stabField->currentWidget(), w->enemyTypePage);
        QCOMPARE(w->enemyTypePage->msfEnemyType->row(), other);
        page->btnEditCancel_Click();
        w->menuUndo->trigger();
        QVERIFY(shown().isEmpty());

        // A cell painted with the brush: its map counts one cell.
        page->showWar(1);
        page->optPaint->click();
        const PaintableMap map = paintableMap(f.images, page->war()->Address.toLongLong(nullptr, 16));
        QVERIFY(map.paintable());
        // A cell that takes its right neighbour's tile within the map's bytes.
        QPoint cell(-1, -1);
        int tile = -1;
        for (int i = 0; i + 1 < map.tiles.size() && cell.x() < 0; ++i) {
            QVector<int> tiles = map.tiles;
            tiles[i] = tiles[i + 1];
            if (map.tiles[i] != tiles[i] && (i + 1) % map.width != 0 && encodeMap(tiles).size() <= map.budget) {
                cell = QPoint(i % map.width, i / map.width);
                tile = tiles[i];
            }
        }
        QVERIFY(cell.x() >= 0);
        QListWidget *palette = page->framePaint->lstTiles;
        for (int i = 0; i < palette->count(); ++i)
            if (palette->item(i)->data(Qt::UserRole).toInt() == tile)
                palette->setCurrentRow(i);
        const QPointF at = QPointF(cell * page->tile()) + QPointF(3, 3);
        mouse(page->picField, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(shown(), QStringList(QString("战场地图 第01战场 · 地图: 1 格")));
        // Its line shows the war in placing mode again when a unit is asked for.
        activate("战场地图 第01战场");
        QCOMPARE(page->cboWarField->currentIndex(), 0);
        w->menuUndo->trigger();

        // While painting, a unit's line brings back placing, where units are opened.
        QVERIFY(page->optPaint->isChecked());
        const qint64 unitAt = page->armys()->Item(refArmy)->Item(1)->address();
        w->hexPage->GotoAddress(QString::number(unitAt, 16), false);
        enter(w->hexPage->txtNewValue, hexByte(other));
        activate(QString("战场部队 部队%1 01").arg(twoDigits(refArmy)));
        QVERIFY(page->optPlace->isChecked());
        QVERIFY(page->UnitEditMode);
    }

    void hexEditsUncoveredBytesAndTheSwitch()
    {
        // Two bytes no field names, written in the hex grid, are one range.
        const Catalogue cat(f.pristine, f.pristine);
        qint64 free = CartridgeStart;
        while (cat.at(free) || cat.at(free + 1) || cat.at(free - 1) || cat.at(free + 2))
            ++free;
        w->stabAll->setCurrentWidget(w->hexPage);
        for (qint64 o : {free, free + 1}) {
            w->hexPage->GotoAddress(QString::number(o, 16), false);
            enter(w->hexPage->txtNewValue, hexByte(pristine(o) ^ 0xFF));
        }
        QCOMPARE(shown(), QStringList(QString("其它字节 · %1–%2: 2 字节").arg(hex8(free), hex8(free + 1))));
        QCOMPARE(list()->lines(), QStringList(QString("%1–%2: 2 字节").arg(hex8(free), hex8(free + 1))));

        // Compared with the image as last opened: an opened change list is no change.
        const QString path = m_dir.filePath("changes.txt");
        f.dialogs.answers << path;
        QVERIFY(w->menuSave_Click());
        QVERIFY(w->openFile(path));
        QCOMPARE(shown().size(), 1);
        list()->chkChangesSinceOpen->setChecked(true);
        QVERIFY(shown().isEmpty());
        enter(w->hexPage->txtNewValue, "00");
        QCOMPARE(shown().size(), 1);
        list()->chkChangesSinceOpen->setChecked(false);
        QCOMPARE(shown().size(), 2);

        // "导出..." writes the lines as UTF-8, CR LF.
        const QString out = m_dir.filePath("notes.txt");
        f.dialogs.answers << out;
        list()->btnChangesExport->click();
        QByteArray written;
        QVERIFY(readWholeFile(out, written));
        QCOMPARE(written, (list()->lines().join("\r\n") + "\r\n").toUtf8());
    }

    // A byte no field names is its address; a map's size bytes are its height and width.
    void oneByteAndMapSizeLines()
    {
        const Catalogue cat(f.pristine, f.pristine);
        qint64 free = CartridgeStart;
        while (cat.at(free) || cat.at(free - 1) || cat.at(free + 1))
            ++free;
        FieldEdit fields(f.images, QString());
        FieldInfo map(f.images);
        QVERIFY(fields.Field(1, map));
        const qint64 m = map.Address.toLongLong(nullptr, 16);
        for (qint64 o : {free, m - 1, m})
            hexEdit(o, pristine(o) + 1);
        // The bytes hold the size less one.
        QCOMPARE(shown(), QStringList({QString("战场地图 第01战场 · 高: %1 => %2").arg(map.Height).arg(map.Height + 1),
                                       QString("战场地图 第01战场 · 宽: %1 => %2").arg(map.Width).arg(map.Width + 1),
                                       "其它字节 · " + hex8(free)}));
        w->hexPage->GotoAddress(QString::number(m - 1, 16), false);
        QCOMPARE(w->hexPage->lblHexField->text(), QString("%1  战场地图 第01战场 · 高 = %2").arg(hex8(m - 1)).arg(map.Height + 1));
    }

    // The terrain columns are named as the grid heads them, from the names file: in the list,
    // the hex read-out and the table files; a table file with the built-in captions still reads.
    void terrainCaptionsFromTheNamesFile()
    {
        using namespace GameTables;
        TerrainPage *page = w->terrainPage;
        const auto rename = [&](const QString &name) {
            QStringList names = f.folder.names();
            names[2] = name;
            f.folder.writeTerrainLines(names);
            QTest::mouseClick(page->btnRefreshEffect, Qt::LeftButton);
        };
        for (QWidget *p = page; p; p = p->parentWidget()) // its tab, and the tab that holds that
            if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
                tabs->setCurrentWidget(p);
        rename("平地");
        QCOMPARE(page->msfFieldEffect->textMatrix(0, 3), QString("平地"));
        page->showCell(2, 3);
        enter(page->txtFieldEffect, "1A");
        const qint64 cell = TerrainBase + TerrainCols + 2;
        QCOMPARE(shown(), QStringList(QString("地形效果 %1 · 平地: %2 => 1A").arg(name(TerrainEffects, 1), hexByte(pristine(cell)))));
        // Renamed again: the list, brought to the front, follows.
        rename("草原");
        QApplication::setActiveWindow(list());
        QVERIFY(QTest::qWaitForWindowActive(list()));
        QCOMPARE(shown(), QStringList(QString("地形效果 %1 · 草原: %2 => 1A").arg(name(TerrainEffects, 1), hexByte(pristine(cell)))));
        rename("平地");
        w->stabAll->setCurrentWidget(w->hexPage);
        w->hexPage->GotoAddress(QString::number(cell, 16), false);
        QCOMPARE(w->hexPage->lblHexField->text(), QString("%1  地形效果 %2 · 平地 = 1A").arg(hex8(cell), name(TerrainEffects, 1)));

        const QString dir = m_dir.filePath("terrain");
        f.dialogs.answers << dir;
        w->menuExportTables->trigger();
        QByteArray csv;
        QVERIFY(readWholeFile(dir + "/terrain_effects.csv", csv));
        QVERIFY(csv.contains(",地形名2,平地,地形名4,"));
        // The file as the built-in captions named it, with another value: read all the same.
        QList<QByteArray> lines = csv.replace(",地形名2,平地,地形名4,", ",地形名2,地形03,地形名4,").split('\n');
        QList<QByteArray> cells = lines[2].split(','); // 编号, 名称, then the columns
        QCOMPARE(cells[4], QByteArray("1A"));
        cells[4] = "2B";
        lines[2] = cells.join(',');
        QVERIFY(writeWholeFile(dir + "/terrain_effects.csv", lines.join('\n')));
        const int messages = int(f.dialogs.messages.size());
        f.dialogs.answers << dir + "/terrain_effects.csv";
        w->menuImportTables->trigger();
        QCOMPARE(int(f.dialogs.messages.size()), messages);
        QCOMPARE(hexByte(byteAt(work(), cell)), QString("2B"));
        QCOMPARE(f.images.history.steps(), 2);
    }

    // "导出..." proposes a name of its own (not the change list's) and says where it wrote.
    void exportNamesItsFile()
    {
        hexEdit(0x100, pristine(0x100) ^ 1);
        const QString out = m_dir.filePath("说明.txt");
        f.dialogs.answers << out;
        list()->btnChangesExport->click();
        QCOMPARE(f.dialogs.startNames.last(), QString("修改说明.txt"));
        QCOMPARE(w->statusBar()->currentMessage(), "已导出修改说明到 " + QDir::toNativeSeparators(out));
        QVERIFY(QFile::exists(out));
    }

    // Ctrl+Z and Ctrl+Y undo and redo while the list is the active window.
    void undoAndRedoFromTheList()
    {
        hexEdit(0x100, pristine(0x100) ^ 1);
        const QByteArray edited = work();
        QApplication::setActiveWindow(list());
        QVERIFY(QTest::qWaitForWindowActive(list()));
        QTest::keyClick(list()->treeChanges, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(work(), f.pristine);
        QVERIFY(shown().isEmpty());
        QTest::keyClick(list()->treeChanges, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(work(), edited);
        QCOMPARE(shown(), QStringList("其它字节 · 00000100"));
    }

    // A double-click shows the record in its editor with the field focused.
    void doubleClickShowsTheField()
    {
        using namespace GameTables;
        w->stabAll->setCurrentWidget(w->hexPage);
        const auto poke = [this](qint64 offset) {
            w->hexPage->GotoAddress(QString::number(offset, 16), false);
            enter(w->hexPage->txtNewValue, hexByte((pristine(offset) + 1) & 0xFF));
        };
        poke(CharacterBase + 3 * CharacterStride + 1); // 04's level
        poke(ClassMovement + 2);
        poke(ItemWeight + FirstSpell + 1);
        poke(ClassChangeLevel + 4);
        poke(LevelCoefficientBase + 7);
        poke(TerrainBase + 2 * TerrainCols + 5);
        poke(EnemyType::Base + 6 * 9 + 5);
        poke(0x100);

        activate("我方人物 " + name(Characters, 3) + " · 等  级");
        QCOMPARE(w->stabAll->currentWidget(), w->characterPage);
        QCOMPARE(w->characterPage->lstCharacter->currentRow(), 3);
        QCOMPARE(w->focusWidget(), w->characterPage->txtCharacter[0]);

        activate("职业基础能力 " + name(Classes, 2) + " · 移动力");
        QCOMPARE(w->SSTab1->currentWidget(), w->classPage);
        QCOMPARE(w->classPage->lstWorkName->currentRow(), 2);
        QCOMPARE(w->focusWidget(), w->classPage->txtWork[7]);

        activate("魔法设定 " + name(Spells, 1) + " · 重  量");
        QCOMPARE(w->stabAll->currentWidget(), w->magicPage);
        QCOMPARE(w->focusWidget(), w->magicPage->txt[1]);

        activate("职业转换 05 · 必要等级");
        QCOMPARE(w->SSTab1->currentWidget(), w->classChangePage);
        QCOMPARE(w->classChangePage->msfChangeWork->row(), 5);
        QCOMPARE(w->focusWidget(), w->classChangePage->txtChangeWork);

        activate("等级系数 级别7");
        QCOMPARE(w->stabAll->currentWidget(), w->shieldPage);
        QCOMPARE(w->shieldPage->levelFrame->msfExpLevel->col(), 7);

        activate("地形效果 " + name(TerrainEffects, 2) + " · 地形名6");
        QCOMPARE(w->terrainPage->msfFieldEffect->row(), 3);
        QCOMPARE(w->terrainPage->msfFieldEffect->col(), 6);

        activate("部队类型 0A · 魔  法");
        QCOMPARE(w->stabField->currentWidget(), w->enemyTypePage);
        QCOMPARE(w->enemyTypePage->msfEnemyType->row(), 10);
        QCOMPARE(w->focusWidget(), w->enemyTypePage->txtEType[1]);

        activate("其它字节 · 00000100");
        QCOMPARE(w->stabAll->currentWidget(), w->hexPage);
        QCOMPARE(w->hexPage->txtLoc->text().right(3), QString("100"));

        // Positions and maps show their war.
        FieldInfo war(f.images);
        FieldEdit fields(f.images, QString());
        QVERIFY(war.SetWarField(7, fields));
        const qint64 x = war.actOffset(0, 1);
        poke(x);
        activate(QString("出场位置 07 ") + war.WarName);
        QCOMPARE(w->stabField->currentWidget(), w->fieldPage);
        QCOMPARE(w->fieldPage->cboWarField->currentIndex(), 6);
    }

    void hexReadOutNamesTheField()
    {
        using namespace GameTables;
        w->stabAll->setCurrentWidget(w->hexPage);
        const qint64 level = CharacterBase + 2 * CharacterStride + 1;
        w->hexPage->GotoAddress(QString::number(level, 16), false);
        QCOMPARE(w->hexPage->lblHexField->text(),
                 QString("%1  我方人物 %2 · 等  级 = %3").arg(hex8(level), name(Characters, 2)).arg(pristine(level)));
        enter(w->hexPage->txtNewValue, "05");
        QCOMPARE(w->hexPage->lblHexField->text(), QString("%1  我方人物 %2 · 等  级 = 5").arg(hex8(level), name(Characters, 2)));
        // One byte of each fixed table, and a byte no field names.
        const QList<std::pair<qint64, QString>> bytes = {
            {ClassBase + 7 + 6, "职业基础能力 " + name(Classes, 1) + " · 经验值 = "},
            {ItemEffect + 2, "武器设定 " + name(Weapons, 2) + " · 特  效 = "},
            {ShieldBase + 4, "盾牌 " + name(Shields, 4) + " · 效  果 = "},
            {ClassChangeBefore, "职业转换 01 · 原始职业 = "},
            {TerrainBase + 22, "地形效果 " + name(TerrainEffects, 1) + " · 地形名1 = "},
            {EnemyType::Base + 6, "部队类型 02 · 姓  名 = "},
        };
        for (const auto &[offset, text] : bytes) {
            w->hexPage->GotoAddress(QString::number(offset, 16), false);
            QVERIFY2(w->hexPage->lblHexField->text().startsWith(hex8(offset) + "  " + text),
                     qPrintable(w->hexPage->lblHexField->text()));
        }
        w->hexPage->GotoAddress("10", false);
        QCOMPARE(w->hexPage->lblHexField->text(), QString("00000010"));
    }

    // The preview of a change list, an IPS and a BPS lists what opening it lists, and leaves
    // WorkImage alone; a refused file gets the readers' message.
    void previewEqualsTheListAfterOpening()
    {
        using namespace GameTables;
        QByteArray changed = f.pristine;
        changed[CharacterBase + 1] = char(changed[CharacterBase + 1] ^ 3);
        changed[TerrainBase + 5] = char(changed[TerrainBase + 5] ^ 1);
        changed[0x200] = char(changed[0x200] ^ 1); // outside the cartridge: patches only
        const QString txt = m_dir.filePath("p.txt");
        const QString ips = m_dir.filePath("p.ips");
        const QString bps = m_dir.filePath("p.bps");
        QVERIFY(writeWholeFile(txt, encodeChangeList(changed, f.pristine, "p.txt", QDateTime::currentDateTime())));
        QVERIFY(writeWholeFile(ips, Patches::encodeIps(f.pristine, changed)));
        QVERIFY(writeWholeFile(bps, Patches::encodeBps(f.pristine, changed)));
        for (const QString &path : {txt, ips, bps}) {
            const QByteArray before = work();
            f.dialogs.answers << path;
            w->menuPreview->trigger();
            frmChanges *preview = w->previewWindow();
            QVERIFY(preview && preview->isVisible());
            QVERIFY(preview->btnChangesOpen->isVisible());
            QCOMPARE(work(), before);
            const QStringList previewed = preview->lines();
            QCOMPARE(previewed.size(), path == txt ? 2 : 3);
            preview->btnChangesOpen->click();
            QCOMPARE(w->txtNowFileName->text(), path);
            QCOMPARE(list()->lines(), previewed);
        }
        // A damaged patch: the reader's message, and no preview.
        const QString bad = m_dir.filePath("bad.ips");
        QVERIFY(writeWholeFile(bad, "PATCH\x00\x01"));
        const int before = int(f.dialogs.messages.size());
        f.dialogs.answers << bad;
        w->menuPreview->trigger();
        QCOMPARE(int(f.dialogs.messages.size()), before + 1);
    }
};

QTEST_MAIN(TestChanges)
#include "tst_changes.moc"
