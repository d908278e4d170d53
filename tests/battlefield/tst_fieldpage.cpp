#include "battlefield/enemytypepage.h"
#include "battlefield/fieldpage.h"
#include "battlefield/fieldview.h"
#include "battlefield/mapcodec.h"
#include "battlefield/paintpanel.h"
#include "battlefield/painttool.h"
#include "battlefield/fieldsurface.h"
#include "controls/flexgrid.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "input.h"
#include "mainwindowfixture.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QFile>
#include <QListWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace {

constexpr int T = FieldPage::Tile;

QPoint tileOf(const QWidget *w)
{
    return QPoint(w->x() / T, w->y() / T);
}

} // namespace

class TestFieldPage : public QObject {
    Q_OBJECT

private:
    MainWindowFixture f;
    FieldPage *page = nullptr;
    EnemyTypePage *types = nullptr;

    QByteArray &work() { return f.images.WorkImage; }

    template <typename W = QLabel>
    W *child(const QString &name) const
    {
        return f.window->findChild<W *>(name);
    }
    int count(const QString &array) const
    {
        return int(f.window->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^%1_[1-9][0-9]*$").arg(array))).size());
    }

    void showWar(int id)
    {
        f.window->stabAll->setCurrentIndex(2);
        f.window->stabField->setCurrentIndex(0);
        page->cboWarField->setCurrentIndex(id - 1);
        page->timerField_Timer();
    }

    // The first war (from 1) for which test holds, read through a FieldInfo of its own.
    int findWar(const std::function<bool(const FieldInfo &, Armys &)> &test)
    {
        FieldEdit fields(f.images, f.folder.path());
        FieldInfo w(f.images);
        Armys armys(f.images);
        for (int id = 1; id <= w.AllWarName().size(); ++id)
            if (w.SetWarField(id, fields) && test(w, armys))
                return id;
        return 0;
    }
    static int units(const FieldInfo &w, Armys &armys, int k)
    {
        const ArmyType *a = armys.Item(w.FixedArmyID[k]);
        return a ? a->Number() : 0;
    }
    static bool oneArmy(const FieldInfo &w) { return w.FixedArmy && w.FixedArmyID[0] != 0 && w.FixedArmyID[1] == 0; }
    static bool twoArmies(const FieldInfo &w) { return w.FixedArmy && w.FixedArmyID[0] != 0 && w.FixedArmyID[1] != 0; }

    // A war whose first picture on team one shows a unit of the given kind (own record or not).
    int warWithUnit(bool own)
    {
        return findWar([own](const FieldInfo &w, Armys &a) {
            const ArmyType *army = w.FixedArmy ? a.Item(w.FixedArmyID[0]) : nullptr;
            return army && w.DefNumber[0] > 0 && army->Number() > 0 && army->Item(1)->Edit() == own;
        });
    }

private slots:
    void init()
    {
        QVERIFY(f.start());
        page = f.window->fieldPage;
        types = f.window->enemyTypePage;
    }
    void cleanup() { f.window.reset(); }

    void startUpFillsThePage()
    {
        QCOMPARE(page->cboWarField->count(), 91);
        QCOMPARE(page->cboWarField->itemText(0), QString("01  ") + page->war()->AllWarName()[0]);
        QCOMPARE(page->cboWarField->currentIndex(), 0);
        QVERIFY(!page->timerField->isActive());
        QCOMPARE(page->txtFieldInfo->text(), QString("第01战场"));
        QCOMPARE(types->msfEnemyType->rows(), 84);
        QCOMPARE(types->msfEnemyType->textMatrix(83, 0), QString("53"));
        QCOMPARE(types->msfEnemyType->textMatrix(0, 1).trimmed(), QString("姓名代号"));
        QCOMPARE(page->cboEnemyEdit[3]->count(), 4);
        QCOMPARE(types->cboEType[0]->count(), 88);
        QCOMPARE(page->picFieldContainer->size(), QSize(393, 373));
        QCOMPARE(page->picField->parentWidget(), page->picFieldContainer);
        const char *legend[4] = {"攻击方一队", "攻击方二队", "防御方一队", "防御方二队"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(child("lblColor_" + QString::number(i))->text(), QString::fromUtf8(legend[i]));
        QVERIFY(!page->chkShowLine->isChecked() && page->chkShowLoc->isChecked() && page->chkShowArmys->isChecked());
        QVERIFY(!page->frameEnemyEdit->isEnabled());
        QVERIFY(!page->shapeEdit->isVisible() && !types->btnEtypeEditOk->isVisible());
    }

    void markersAndPicturesFollowTheWarTable()
    {
        // No fixed armies: markers only.
        int id = findWar([](const FieldInfo &w, Armys &) { return !w.FixedArmy && w.DefNumber[0] > 0; });
        QVERIFY(id);
        showWar(id);
        const FieldInfo &w = *page->war();
        QCOMPARE(count("lblDef"), w.DefNumber[0]);
        QCOMPARE(count("lblAct"), w.ActNumber[0]);
        QCOMPARE(count("imgDef") + count("imgDef1"), 0);
        QLabel *m = child("lblAct_1");
        QCOMPARE(m->text(), QString("01"));
        QCOMPARE(tileOf(m), QPoint(w.ActX(0, 1), w.ActY(0, 1)));
        QCOMPARE(m->palette().color(QPalette::Window), QColor(0, 0, 255));
        QVERIFY(m->isVisible());

        // One army larger than both defending teams: exactly that many pictures, the rest
        // tagged for team two.
        id = findWar([](const FieldInfo &w, Armys &a) {
            return oneArmy(w) && w.DefNumber[1] > 0 && units(w, a, 0) > w.DefNumber[0] + w.DefNumber[1];
        });
        QVERIFY(id);
        showWar(id);
        const int d0 = page->war()->DefNumber[0];
        const int d1 = page->war()->DefNumber[1];
        QCOMPARE(count("imgDef"), d0 + d1);
        QCOMPARE(count("imgDef1"), 0);
        QCOMPARE(child("imgDef_1")->property("Tag").toString(), QString("A01"));
        QLabel *onTwo = child(QString("imgDef_%1").arg(d0 + 1));
        QCOMPARE(onTwo->property("Tag").toString(), QString("B01"));
        QCOMPARE(onTwo->pos(), child("lblDef1_1")->pos());
        QCOMPARE(page->UnitMarkerOf(onTwo), child("lblDef1_1"));

        // One army smaller than team one: the remaining markers stay bare.
        id = findWar([](const FieldInfo &w, Armys &a) { return oneArmy(w) && units(w, a, 0) < w.DefNumber[0]; });
        QVERIFY(id);
        showWar(id);
        Armys &armys = *page->armys();
        const int n = armys.Item(page->war()->FixedArmyID[0])->Number();
        QCOMPARE(count("imgDef"), n);
        const QLabel *bare = child(QString("lblDef_%1").arg(n + 1));
        for (QLabel *p : f.window->findChildren<QLabel *>(QRegularExpression("^imgDef_")))
            QVERIFY(p->pos() != bare->pos());

        // Two armies, each limited to its own team; pictures lie above their markers.
        id = findWar([](const FieldInfo &w, Armys &a) {
            return twoArmies(w) && (units(w, a, 0) > w.DefNumber[0] || units(w, a, 1) > w.DefNumber[1]);
        });
        QVERIFY(id);
        showWar(id);
        const FieldInfo &w2 = *page->war();
        QCOMPARE(count("imgDef"), std::min(page->armys()->Item(w2.FixedArmyID[0])->Number(), w2.DefNumber[0]));
        QCOMPARE(count("imgDef1"), std::min(page->armys()->Item(w2.FixedArmyID[1])->Number(), w2.DefNumber[1]));
        QLabel *p1 = child("imgDef1_1");
        QCOMPARE(p1->property("Tag").toString(), QString("B01"));
        QCOMPARE(p1->pos(), child("lblDef1_1")->pos());
        QVERIFY(page->picField->children().indexOf(p1) > page->picField->children().indexOf(child("lblDef1_1")));

        // The switches hide and show without rebuilding.
        page->chkShowLoc->click();
        QVERIFY(!child("lblAct_1")->isVisible());
        page->chkShowArmys->click();
        QVERIFY(!p1->isVisible());
        page->chkShowArmys->click();
        page->chkShowLoc->click();
        QVERIFY(p1->isVisible() && child("lblAct_1")->isVisible());
    }

    void helpListAndSecondTeamAreGreen()
    {
        int id = findWar([](const FieldInfo &w, Armys &) { return w.HelpNumber > 0; });
        QVERIFY(id);
        showWar(id);
        const FieldInfo &w = *page->war();
        QCOMPARE(count("lblAct1"), w.HelpNumber);
        QLabel *green = child("lblAct1_1");
        QCOMPARE(green->text(), QString("01"));
        QCOMPARE(green->palette().color(QPalette::Window), QColor(0, 128, 0));
        QCOMPARE(tileOf(green), QPoint(w.HelpX(1), w.HelpY(1)));

        id = findWar([](const FieldInfo &w, Armys &) { return w.ActNumber[1] > 0; });
        QVERIFY(id);
        showWar(id);
        QCOMPARE(count("lblAct1"), page->war()->ActNumber[1]);
        QCOMPARE(tileOf(child("lblAct1_1")), QPoint(page->war()->ActX(1, 1), page->war()->ActY(1, 1)));
    }

    void gridLinesAndReadOut()
    {
        showWar(1); // 22 rows of 24 columns
        QCOMPARE(page->war()->Height, 22);
        QCOMPARE(page->war()->Width, 24);
        page->chkShowLine->click();
        QCOMPARE(count("hLine"), 21);
        QCOMPARE(count("vLine"), 23);
        QCOMPARE(child<QWidget>("hLine_1")->geometry(), QRect(0, T, 24 * T, 1));
        QCOMPARE(child<QWidget>("vLine_23")->geometry(), QRect(23 * T, 0, 1, 22 * T));
        // The grid survives a redraw and goes with the switch.
        page->timerField_Timer();
        QCOMPARE(count("hLine"), 21);
        page->chkShowLine->click();
        QCOMPARE(count("hLine") + count("vLine"), 0);

        hover(page->picField, QPointF(3, 15));
        QCOMPARE(page->txtFieldInfo->text(), QString("第01战场 (0,0)"));
        hover(page->picField, QPointF(5 * T + 2, 7 * T + 15));
        QCOMPARE(page->txtFieldInfo->text(), QString("第01战场 (5,7)"));
        // A marker shows its own tile.
        QLabel *m = child("lblAct_1");
        hover(m, QPointF(15, 15));
        QCOMPARE(page->txtFieldInfo->text(), QString("第01战场 (%1,%2)").arg(tileOf(m).x()).arg(tileOf(m).y()));
    }

    void draggingTheMapKeepsItInTheViewport()
    {
        FieldSurface *map = page->picField;
        const QSize view = page->picFieldContainer->size();
        const int small = findWar([](const FieldInfo &w, Armys &) { return w.Width * T < 393 && w.Height * T < 373; });
        const int large = findWar([](const FieldInfo &w, Armys &) { return w.Width * T > 393 && w.Height * T > 373; });
        QVERIFY(small && large);

        showWar(small);
        const QRect inside(QPoint(0, 0), view);
        for (const QPointF &d : {QPointF(-50, -50), QPointF(300, 300), QPointF(5, 3)}) {
            drag(map, {d / 2, d});
            QVERIFY2(inside.contains(map->geometry()), qPrintable(QString("%1,%2").arg(map->x()).arg(map->y())));
        }
        // Released and dragged again: it starts where it was left.
        showWar(small);
        drag(map, {QPointF(3, 4)});
        QCOMPARE(map->pos(), QPoint(3, 4));
        drag(map, {QPointF(2, 1)});
        QCOMPARE(map->pos(), QPoint(5, 5));

        showWar(large);
        QCOMPARE(map->pos(), QPoint(0, 0));
        drag(map, {QPointF(40, 40)});
        QCOMPARE(map->pos(), QPoint(0, 0)); // no gap on the left or the top
        // The scroll bars of the large map take their room from the viewport.
        const QSize seen = page->picFieldContainer->viewport().size();
        drag(map, {QPointF(-50, -20), QPointF(-1000, -1000)});
        QCOMPARE(map->pos(), QPoint(seen.width() - map->width(), seen.height() - map->height()));
        // Pulled back past the edge and then forward: the anchor was reset at the edge.
        drag(map, {QPointF(-30, 0), QPointF(-25, 0)});
        QCOMPARE(map->x(), seen.width() - map->width() + 5);
    }

    void onlyTheNewestChoiceIsDrawn()
    {
        QSignalSpy drawn(page, &FieldPage::warDrawn);
        page->cboWarField->setFocus();
        // An arrow key held for two seconds.
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(page->cboWarField, Qt::Key_Down);
            QTest::qWait(100);
        }
        QVERIFY(page->timerField->isActive());
        QCOMPARE(drawn.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(drawn.count(), 1, 2000);
        QCOMPARE(page->cboWarField->currentIndex(), 20);
        QCOMPARE(page->war()->WarName, page->war()->AllWarName()[20]);
        QTest::qWait(600);
        QCOMPARE(drawn.count(), 1);
    }

    void draggingAMarkerWritesItsPosition()
    {
        const int id = findWar([](const FieldInfo &w, Armys &) {
            return !w.FixedArmy && w.ActNumber[0] >= 2 && w.DefNumber[0] >= 1;
        });
        QVERIFY(id);
        showWar(id);
        const FieldInfo &w = *page->war();
        QLabel *m = child("lblAct_1");
        const QPoint start = tileOf(m);
        const QByteArray before = work();

        drag(m, {QPointF(7, 7)}); // less than half a tile
        QCOMPARE(tileOf(m), start);
        QCOMPARE(work(), before);
        drag(m, {QPointF(8, -8)}); // exactly half: ties go to the even number 0
        QCOMPARE(tileOf(m), start);

        // Find a free target two tiles away in one of four directions.
        QPoint step;
        for (const QPoint &s : {QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
            if (page->IsFreeTile(start.x() + s.x(), start.y() + s.y()) && step.isNull())
                step = s;
        QVERIFY(!step.isNull());
        drag(m, {QPointF(step) * 0.8 * T}); // 1.6 tiles in one move
        QCOMPARE(tileOf(m), start + step);
        QCOMPARE(w.ActX(0, 1), start.x() + step.x());
        QCOMPARE(w.ActY(0, 1), start.y() + step.y());
        // Back and forth while held: the marker stays under the mouse in whole tiles.
        drag(m, {-QPointF(step) * T / 2, -QPointF(step) * T, -QPointF(step) * T / 2});
        QCOMPARE(tileOf(m), start + step / 2);
        QCOMPARE(w.ActX(0, 1), (start + step / 2).x());
        QCOMPARE(w.ActY(0, 1), (start + step / 2).y());
    }

    void refusedDragsWriteNothing()
    {
        const int id = findWar([](const FieldInfo &w, Armys &) { return !w.FixedArmy && w.DefNumber[0] >= 1; });
        showWar(id);
        const FieldInfo &w = *page->war();
        QLabel *m = child("lblAct_1");
        QLabel *other = child("lblDef_1");
        const QPoint start = tileOf(m);
        const QByteArray before = work();
        const auto tryTo = [&](const QPoint &tile) {
            drag(m, {QPointF(tile - start) * T});
            QCOMPARE(tileOf(m), start);
            QCOMPARE(work(), before);
        };
        tryTo(tileOf(other));                  // another side's marker
        tryTo(QPoint(0, start.y()));           // the left border
        tryTo(QPoint(start.x(), w.Height - 1)); // the bottom border
        tryTo(QPoint(w.Width + 3, start.y())); // off the map
        tryTo(QPoint(start.x(), -2));
        QVERIFY(!page->IsFreeTile(w.Width - 1, 5) && !page->IsFreeTile(5, 0));
    }

    void aPictureDragsItsMarker()
    {
        const int id = findWar([](const FieldInfo &w, Armys &a) { return oneArmy(w) && units(w, a, 0) >= 1 && w.DefNumber[0] >= 1; });
        QVERIFY(id);
        showWar(id);
        const FieldInfo &w = *page->war();
        QLabel *picture = child("imgDef_1");
        QLabel *marker = child("lblDef_1");
        const QPoint start = tileOf(picture);
        QPoint step;
        for (const QPoint &s : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            if (page->IsFreeTile(start.x() + s.x(), start.y() + s.y()) && step.isNull())
                step = s;
        QVERIFY(!step.isNull());

        page->chkShowLoc->click(); // markers hidden
        drag(picture, {QPointF(step) * T});
        QCOMPARE(tileOf(picture), start + step);
        QCOMPARE(tileOf(marker), start + step);
        QVERIFY(!marker->isVisible());
        QCOMPARE(QPoint(w.DefX(0, 1), w.DefY(0, 1)), start + step);
        page->chkShowLoc->click();
        drag(picture, {-QPointF(step) * T});
        QVERIFY(marker->isVisible());
        QCOMPARE(QPoint(w.DefX(0, 1), w.DefY(0, 1)), start);
    }

    void greenMarkerOfAHelpListWarWritesTheHelpList()
    {
        const int id = findWar([](const FieldInfo &w, Armys &) { return w.HelpNumber > 0; });
        showWar(id);
        const FieldInfo &w = *page->war();
        QVERIFY(w.ActAddress[1].isEmpty());
        QLabel *m = child("lblAct1_1");
        const QPoint start = tileOf(m);
        QPoint step;
        for (const QPoint &s : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            if (page->IsFreeTile(start.x() + s.x(), start.y() + s.y()) && step.isNull())
                step = s;
        const qint64 help = w.HelpAddress.toLongLong(nullptr, 16);
        QByteArray expected = work();
        expected[help] = char(start.x() + step.x());
        expected[help + 1] = char(start.y() + step.y());
        drag(m, {QPointF(step) * T});
        QCOMPARE(work(), expected); // the help list's pair and nothing else
    }

    void hoverDescribesAndReadsOutPictures()
    {
        const int id = findWar([](const FieldInfo &w, Armys &a) { return twoArmies(w) && units(w, a, 1) >= 1 && w.DefNumber[1] >= 1; });
        showWar(id);
        QLabel *p = child("imgDef1_1");
        hover(p);
        const ArmyMen *unit = page->armys()->Item(page->war()->FixedArmyID[1])->Item(1);
        const QStringList lines = page->txtArmyMen->toPlainText().split('\n');
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines[0], "姓  名: " + unit->tName());
        QCOMPARE(lines[6], "最大HP：" + QString::number(*unit->vMaxHP()));
        QCOMPARE(lines[13], "移动力: " + QString::number(*unit->vMove()));
        QCOMPARE(page->UnitDescription(*unit), lines.join("\r\n"));
        QCOMPARE(page->txtFieldInfo->text(),
                 page->war()->Name + QString(" (%1,%2)").arg(tileOf(p).x()).arg(tileOf(p).y()));
        QCOMPARE(page->cboEnemyEdit[0]->currentText(), unit->tName());
        QCOMPARE(page->txtEnemyEdit[0]->text(), unit->tLevel());
    }

    void descriptionEmptiesWhenTheMouseLeaves()
    {
        const int id = warWithUnit(true);
        showWar(id);
        QLabel *p = child("imgDef_1");
        hover(p);
        QVERIFY(!page->txtArmyMen->toPlainText().isEmpty());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(page->picField, &leave);
        QCOMPARE(page->txtArmyMen->toPlainText(), QString());
        // While a unit is edited the box keeps saying so.
        doubleClick(p);
        QVERIFY(page->UnitEditMode);
        QApplication::sendEvent(page->picField, &leave);
        QCOMPARE(page->txtArmyMen->toPlainText(), QString("编辑状态"));
        page->btnEditCancel->click();
    }

    void openingAUnitFillsTheEditFrame()
    {
        // The war is chosen with the keyboard and the unit opened without a hover first.
        const int id = warWithUnit(true);
        QVERIFY(id);
        const int from = id == 1 ? 2 : 1;
        showWar(from);
        page->cboWarField->setFocus();
        QTest::keyClick(page->cboWarField, id > from ? Qt::Key_Down : Qt::Key_Up);
        for (int i = from + 1; i < id; ++i)
            QTest::keyClick(page->cboWarField, Qt::Key_Down);
        page->timerField_Timer();
        QCOMPARE(page->cboWarField->currentIndex(), id - 1);
        QLabel *p = child("imgDef_1");
        QCOMPARE(page->txtEnemyEdit[0]->text(), QString()); // nothing hovered yet
        doubleClick(p);
        const ArmyMen *unit = page->CurrentUnit;
        QVERIFY(unit && page->UnitEditMode);
        QCOMPARE(page->cboEnemyEdit[0]->currentText(), unit->tName());
        QCOMPARE(page->cboEnemyEdit[1]->currentText(), unit->tWork());
        QCOMPARE(page->txtEnemyEdit[0]->text(), unit->tLevel());
        QCOMPARE(page->cboEnemyEdit[2]->currentText(), unit->tItem());
        QCOMPARE(page->cboEnemyEdit[3]->currentText(), unit->tAI());
        QCOMPARE(page->txtEnemyEdit[1]->text(), unit->tMagic());
        // Confirming at once writes nothing new.
        const QByteArray before = work();
        page->btnEditOk->click();
        QCOMPARE(work(), before);
    }

    void zoomScalesTheMapInTiles()
    {
        const int id = findWar([](const FieldInfo &w, Armys &) { return !w.FixedArmy && w.ActNumber[0] >= 1; });
        showWar(id);
        page->chkShowLine->click();
        QVERIFY(page->chkShowLine->isChecked());
        const FieldInfo &w = *page->war();
        QLabel *m = child("lblAct_1");
        const QPoint start = tileOf(m);
        QCOMPARE(page->cboFieldZoom->count(), 5);
        QCOMPARE(page->cboFieldZoom->itemText(0), QString("100%"));
        QCOMPARE(page->cboFieldZoom->itemText(4), QString("400%"));
        QCOMPARE(page->cboFieldZoom->currentText(), QString("100%"));

        // The selector: 200% doubles the map, the markers, the pictures and the lines.
        page->cboFieldZoom->setFocus();
        QTest::keyClick(page->cboFieldZoom, Qt::Key_Down);
        QTest::keyClick(page->cboFieldZoom, Qt::Key_Down);
        QCOMPARE(page->cboFieldZoom->currentText(), QString("200%"));
        QCOMPARE(page->tile(), 2 * T);
        QCOMPARE(page->picField->size(), QSize(w.Width, w.Height) * 2 * T);
        QCOMPARE(m->geometry(), QRect(start * 2 * T, QSize(2 * T, 2 * T)));
        QCOMPARE(child<QWidget>("hLine_1")->geometry(), QRect(0, 2 * T, w.Width * 2 * T, 1));
        QCOMPARE(child<QWidget>(QString("vLine_%1").arg(w.Width - 1))->x(), (w.Width - 1) * 2 * T);
        // Drawn sharp: every tile is a block of equal pixels 2 x 2 at a time.
        const QImage shot = page->picField->map().toImage();
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                QVERIFY(shot.pixel(x, y) == shot.pixel(x + 1, y + 1));

        // Dragging works in tiles: one tile is 32 pixels now.
        QPoint step;
        for (const QPoint &s : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            if (page->IsFreeTile(start.x() + s.x(), start.y() + s.y()) && step.isNull())
                step = s;
        QVERIFY(!step.isNull());
        drag(m, {QPointF(step) * 0.4 * 2 * T}); // under half a tile
        QCOMPARE(tileOf(m) / 2, start);
        drag(m, {QPointF(step) * 0.6 * 2 * T});
        QCOMPARE(m->pos(), (start + step) * 2 * T);
        QCOMPARE(w.ActX(0, 1), start.x() + step.x());
        QCOMPARE(w.ActY(0, 1), start.y() + step.y());
        // The read-out names tiles.
        page->picField->move(0, 0);
        hover(page->picField, QPointF(5 * 2 * T + 3, 7 * 2 * T + 31));
        QCOMPARE(page->txtFieldInfo->text(), w.Name + QString(" (5,7)"));

        // Ctrl + wheel over the map: in up to 400%, out to 100%, the tile under the mouse stays.
        const auto wheel = [this](int delta, QPointF at) {
            QWheelEvent e(at, page->picFieldContainer->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(page->picFieldContainer, &e);
        };
        const QPointF at(100, 100);
        const QPointF tileUnder = (at - QPointF(page->picField->pos())) / page->tile();
        wheel(120, at);
        QCOMPARE(page->cboFieldZoom->currentText(), QString("300%"));
        QCOMPARE(page->tile(), 3 * T);
        QVERIFY(std::abs((at.x() - page->picField->x()) / page->tile() - tileUnder.x()) < 0.1);
        wheel(120, at);
        wheel(120, at);
        QCOMPARE(page->tile(), 4 * T);
        for (int i = 0; i < 6; ++i)
            wheel(-120, at);
        QCOMPARE(page->tile(), T);
        QCOMPARE(m->pos(), (start + step) * T);

        // The zoom stays when another war is chosen.
        page->cboFieldZoom->setCurrentIndex(3);
        emit page->cboFieldZoom->activated(3);
        QCOMPARE(page->tile(), 3 * T);
        showWar(1);
        QCOMPARE(page->tile(), 3 * T);
        QCOMPARE(child("lblAct_1")->width(), 3 * T);
        QCOMPARE(page->picField->width(), page->war()->Width * 3 * T);
    }

    void mapForADenseScreenKeepsItsSize()
    {
        // A map scaled for a screen of scale factor 2: twice the pixels, the same size on screen.
        QPixmap map(QSize(10, 6) * 2 * T);
        map.fill(Qt::darkGreen);
        map.setDevicePixelRatio(2);
        FieldSurface surface;
        surface.setMap(map);
        QCOMPARE(surface.size(), QSize(10, 6) * T);
    }

    void viewportGrowsWithTheWindow()
    {
        showWar(1);
        QCOMPARE(f.window->size(), QSize(1024, 720));
        QCOMPARE(page->picFieldContainer->size(), QSize(393, 373));
        f.window->resize(1920, 1080);
        QApplication::processEvents();
        QCOMPARE(page->picFieldContainer->size(), QSize(393 + 896, 373 + 360));
        QVERIFY(f.window->stabAll->geometry().bottom() < f.window->height());
        // Everything beside the map is still inside the window.
        QVERIFY(page->frameEnemyEdit->geometry().right() < page->width());
        QVERIFY(page->picFieldContainer->geometry().bottom() < page->height());
        f.window->resize(800, 600);
        QApplication::processEvents();
        QCOMPARE(page->picFieldContainer->size(), QSize(393, 373));
    }

private:
    // Painting: the war whose map has the most room, shown in "地形" mode.
    struct Painting {
        int war = 0;
        qint64 address = 0;
        PaintableMap map;
    };
    Painting startPainting()
    {
        // Bitmaps of four tiles that no built-in map uses, in every tile folder.
        for (const char *folder : {"Loc0", "Loc1", "Loc2"}) {
            QDir(f.folder.path()).mkpath(folder);
            for (int code = 0xF0; code <= 0xF3; ++code) {
                QImage tile(16, 16, QImage::Format_RGB32);
                tile.fill(QColor(code, 0, 255 - code));
                tile.save(f.folder.filePath(QString("%1/%2.bmp").arg(folder, hexByte(code))));
            }
        }
        Painting best;
        int room = -1;
        FieldEdit fields(f.images, f.folder.path());
        FieldInfo w(f.images);
        for (int id = 1; id <= w.AllWarName().size(); ++id) {
            if (!w.SetWarField(id, fields))
                continue;
            const qint64 address = w.Address.toLongLong(nullptr, 16);
            const PaintableMap m = paintableMap(f.images, address);
            const int r = m.paintable() ? m.budget - int(encodeMap(m.tiles).size()) : -1;
            if (r > room && m.width >= 8 && m.height >= 8) {
                room = r;
                best = {id, address, m};
            }
        }
        showWar(best.war);
        page->optPaint->click();
        return best;
    }
    // A tile code the map does not use.
    static int unusedTile(const PaintableMap &m)
    {
        for (int code = 0xF0; code <= 0xF3; ++code)
            if (!m.tiles.contains(code))
                return code;
        return -1;
    }
    QPointF cellPoint(QPoint cell) const { return QPointF(cell * page->tile()) + QPointF(3, 3); }
    QVector<int> tilesNow(qint64 address) const { return decodeMap(f.images.WorkImage, address).tiles; }
    void chooseTile(int code)
    {
        QListWidget *palette = page->framePaint->lstTiles;
        for (int i = 0; i < palette->count(); ++i)
            if (palette->item(i)->data(Qt::UserRole).toInt() == code)
                palette->setCurrentRow(i);
        QCOMPARE(page->framePaint->tool->tile(), code);
    }

private slots:
    void paintingModeShowsThePaletteAndTheMeter()
    {
        const Painting p = startPainting();
        QVERIFY(p.map.paintable());
        QVERIFY(page->framePaint->isVisible());
        QVERIFY(!page->frameEnemyEdit->isVisible());
        const int used = int(encodeMap(p.map.tiles).size());
        QCOMPARE(page->framePaint->lblMapBytes->text(), QString("地图数据 %1 / %2 字节").arg(used).arg(p.map.budget));
        // The palette: every bitmap of the folder and every code of the map, two digits each.
        QListWidget *palette = page->framePaint->lstTiles;
        for (int code : p.map.tiles)
            QVERIFY(!palette->findItems(hexByte(code), Qt::MatchExactly).isEmpty());
        for (int code = 0xF0; code <= 0xF3; ++code)
            QVERIFY(!palette->findItems(hexByte(code), Qt::MatchExactly).isEmpty());
        QCOMPARE(palette->currentItem()->text(), hexByte(page->framePaint->tool->tile()));
        // The read-out adds the tile's code.
        hover(page->picField, cellPoint(QPoint(5, 7)));
        QCOMPARE(page->txtFieldInfo->text(), page->war()->Name + QString(" (5,7) ") + hexByte(p.map.tiles[7 * p.map.width + 5]));
        // The right button picks a tile into the palette.
        const int code = p.map.tiles[3 * p.map.width + 4];
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(4, 3)), Qt::RightButton, Qt::RightButton);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(4, 3)), Qt::RightButton, Qt::NoButton);
        QCOMPARE(page->framePaint->tool->tile(), code);
        QCOMPARE(palette->currentItem()->text(), hexByte(code));
        QCOMPARE(f.images.history.steps(), 0);
        // Back in "布阵": the edit frame returns and markers drag again.
        page->optPlace->click();
        QVERIFY(page->frameEnemyEdit->isVisible() && !page->framePaint->isVisible());
    }

    void brushStrokeIsOneStep()
    {
        const Painting p = startPainting();
        const QByteArray before = work();
        const int t = p.map.tiles[2 * p.map.width + 1]; // the tile left of the stroke: cheap to add
        chooseTile(t);
        QVector<int> expected = p.map.tiles;
        for (int x = 2; x <= 4; ++x)
            expected[2 * p.map.width + x] = t;
        if (int(encodeMap(expected).size()) > p.map.budget)
            QSKIP("no room for three cells on this map");
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(2, 2)), Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseMove, cellPoint(QPoint(4, 2)), Qt::NoButton, Qt::LeftButton); // skips (3,2)
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(4, 2)), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(tilesNow(p.address), expected);
        QCOMPARE(f.images.history.steps(), 1);
        const int changed = int(std::count_if(p.map.tiles.cbegin() + 2 * p.map.width + 2, p.map.tiles.cbegin() + 2 * p.map.width + 5,
                                              [t](int c) { return c != t; }));
        QCOMPARE(f.images.history.undoLabel(), QString("绘制 %1 %2 格").arg(page->war()->Name).arg(changed));
        // Only the stream's bytes changed.
        for (qsizetype i = 0; i < work().size(); ++i)
            if (work()[i] != before[i])
                QVERIFY(i >= p.map.streamStart() && i < p.map.streamStart() + p.map.budget);
        f.window->menuUndo->trigger();
        QCOMPARE(work(), before);
        QCOMPARE(tilesNow(p.address), p.map.tiles);
        f.window->menuRedo->trigger();
        QCOMPARE(tilesNow(p.address), expected);
        // Every war fought on the same battlefield shows the painted map.
        const int warCount = page->cboWarField->count();
        for (int id = 1; id <= warCount; ++id) {
            showWar(id);
            if (page->war()->Address.toLongLong(nullptr, 16) == p.address && id != p.war) {
                const QImage shown = page->picField->map().toImage();
                const QPoint c(3 * page->tile() + 2, 2 * page->tile() + 2);
                showWar(p.war);
                QCOMPARE(page->picField->map().toImage().pixel(c), shown.pixel(c));
                break;
            }
        }
    }

    void rectangleAndFill()
    {
        const Painting p = startPainting();
        const QByteArray before = work();
        const int w = p.map.width;
        // A 2 x 2 block of one tile, to paint over and fill back.
        QPoint at;
        for (int y = 1; y + 2 < p.map.height && at.isNull(); ++y)
            for (int x = 1; x + 2 < w && at.isNull(); ++x) {
                const int c = p.map.tiles[y * w + x];
                if (p.map.tiles[y * w + x + 1] == c && p.map.tiles[(y + 1) * w + x] == c && p.map.tiles[(y + 1) * w + x + 1] == c)
                    at = QPoint(x, y);
            }
        QVERIFY(!at.isNull());
        const int back = p.map.tiles[at.y() * w + at.x()];
        const int t = unusedTile(p.map);
        chooseTile(t);
        QVector<int> expected = p.map.tiles;
        for (int y = at.y(); y <= at.y() + 1; ++y)
            for (int x = at.x(); x <= at.x() + 1; ++x)
                expected[y * w + x] = t;
        if (int(encodeMap(expected).size()) > p.map.budget)
            QSKIP("no room for a 2 x 2 rectangle on this map");
        // Shift + drag: a preview while held, the rectangle on release.
        const QPoint corner = at + QPoint(1, 1);
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(corner), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
        mouse(page->picField, QEvent::MouseMove, cellPoint(at), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QWidget *preview = page->picField->findChild<QWidget *>("paintPreview");
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->geometry(), QRect(at * page->tile(), QSize(2, 2) * page->tile()));
        QCOMPARE(tilesNow(p.address), p.map.tiles); // nothing painted before the release
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(at), Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
        QCOMPARE(tilesNow(p.address), expected);
        QCOMPARE(f.images.history.steps(), 1);
        QCOMPARE(f.images.history.undoLabel(), QString("绘制 %1 4 格").arg(page->war()->Name));
        f.window->menuUndo->trigger();
        QCOMPARE(work(), before);
        f.window->menuRedo->trigger();
        QCOMPARE(tilesNow(p.address), expected);
        const QByteArray painted = work();

        // Ctrl + click: the four-connected area of the tile clicked, here the rectangle, filled
        // back with the tile it had.
        chooseTile(back);
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(at), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(at), Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
        QCOMPARE(tilesNow(p.address), p.map.tiles);
        QCOMPARE(f.images.history.steps(), 2);
        f.window->menuUndo->trigger();
        QCOMPARE(work(), painted);
        f.window->menuRedo->trigger();
        QCOMPARE(tilesNow(p.address), p.map.tiles);

        // A rectangle that does not fit as a whole paints nothing: a column of a new tile down
        // the whole map breaks every row, far more than the room.
        chooseTile(unusedTile(p.map));
        const QByteArray filledBack = work();
        const int x = w / 2;
        QVector<int> column = p.map.tiles;
        for (int y = 0; y < p.map.height; ++y)
            column[y * w + x] = unusedTile(p.map);
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(x, 0)), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
        mouse(page->picField, QEvent::MouseMove, cellPoint(QPoint(x, p.map.height - 1)), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(x, p.map.height - 1)), Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
        QCOMPARE(work(), filledBack);
        QCOMPARE(f.images.history.steps(), 2);
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QString("放不下：需要 %1 字节，只剩 %2 字节").arg(encodeMap(column).size()).arg(p.map.budget));
        QVERIFY(!page->picField->findChild<QWidget *>("paintPreview"));
    }

    void strokeStopsWhenTheBytesAreSpent()
    {
        const Painting p = startPainting();
        const QByteArray before = work();
        // A tile the map does not use, in diagonals across the map: every cell breaks up its row,
        // far more than the room.
        chooseTile(unusedTile(p.map));
        const int h = p.map.height - 1;
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(0, 0)), Qt::LeftButton, Qt::LeftButton);
        const int step = std::max(1, std::min(h, (p.map.width - 1) / 4));
        for (int k = 1; k * step < p.map.width; ++k)
            mouse(page->picField, QEvent::MouseMove, cellPoint(QPoint(k * step, k % 2 ? h : 0)), Qt::NoButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(0, 0)), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.window->statusBar()->currentMessage(), QString("地图数据已满"));
        QCOMPARE(page->framePaint->lblMapBytes->palette().color(QPalette::WindowText), QColor(Qt::red));
        const QVector<int> now = tilesNow(p.address);
        QVERIFY(now != p.map.tiles);                               // the cells that fit are painted
        QVERIFY(int(encodeMap(now).size()) <= p.map.budget);       // and the stream fits
        QCOMPARE(work().mid(p.map.streamStart() + p.map.budget), before.mid(p.map.streamStart() + p.map.budget));
        QCOMPARE(f.images.history.steps(), 1);
        f.window->menuUndo->trigger();
        QCOMPARE(work(), before);
    }

    void modesAndMapsThatCannotBePainted()
    {
        const Painting p = startPainting();
        // While painting, a marker does not drag and a picture opens nothing.
        QLabel *m = child("lblDef_1");
        if (m) {
            const QPoint at = m->pos();
            drag(m, {QPointF(T, 0) * 2});
            QCOMPARE(m->pos(), at);
        }
        if (QLabel *pic = child("imgDef_1")) {
            doubleClick(pic);
            QVERIFY(!page->UnitEditMode);
        }
        // The map's size bytes differ from the built-in ones: the page says why, and writes nothing.
        work()[p.address] = char(work()[p.address] ^ 1);
        const QByteArray before = work();
        page->timerField_Timer();
        QCOMPARE(f.window->statusBar()->currentMessage(), QString("地图尺寸与自带文件不同，无法绘制"));
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(1, 1)), Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(1, 1)), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(work(), before);
        work()[p.address] = char(work()[p.address] ^ 1);
        // Back in "布阵" after painting, markers drag as before.
        page->optPlace->click();
        page->timerField_Timer();
        QLabel *marker = child("lblAct_1");
        QVERIFY(marker);
        const QPoint start = tileOf(marker);
        for (const QPoint &s : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            if (page->IsFreeTile(start.x() + s.x(), start.y() + s.y())) {
                drag(marker, {QPointF(s) * T});
                QCOMPARE(tileOf(marker), start + s);
                break;
            }
    }

    void savedExecutableHoldsThePaintedMap()
    {
        const Painting p = startPainting();
        const int t = p.map.tiles[p.map.width + 1];
        chooseTile(t);
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(2, 1)), Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(2, 1)), Qt::LeftButton, Qt::NoButton);
        const QVector<int> painted = tilesNow(p.address);
        QTemporaryDir dir;
        const QString path = dir.filePath("painted.exe");
        f.dialogs.answers = {path};
        QVERIFY(f.window->menuSave_Click());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        // Decoded as the game reads it: size bytes before the width byte, runs from M + 3.
        QVector<int> decoded;
        const int width = quint8(saved[p.address]) + 1;
        const int height = quint8(saved[p.address - 1]) + 1;
        for (qint64 i = p.address + 3; decoded.size() < width * height;) {
            const int code = quint8(saved[i++]);
            if (code >= 0x2E) {
                decoded.append(code);
            } else {
                const int tile = quint8(saved[i++]);
                for (int k = 0; k < code && decoded.size() < width * height; ++k)
                    decoded.append(tile);
            }
        }
        QCOMPARE(decoded, painted);
    }

    void exportingThePictureOfTheMap()
    {
        showWar(1);
        page->chkShowLine->click();
        page->picFieldContainer->setZoom(200);
        QTemporaryDir dir;
        const QString path = dir.filePath("war.png");
        f.dialogs.answers = {path};
        page->btnExportMap->click();
        QCOMPARE(f.dialogs.dialogTitles.last(), QString("导出地图图片"));
        const QImage saved(path);
        QCOMPARE(saved.size(), page->picField->size()); // at the zoom shown
        // The markers are in it, where they stand.
        QLabel *m = child("lblAct_1");
        QCOMPARE(saved.pixelColor(m->geometry().topLeft() + QPoint(1, 1)), QColor(0, 0, 255));
        QCOMPARE(f.window->statusBar()->currentMessage(), "已保存 " + path);
        // Cancelled: nothing.
        f.dialogs.answers = {QString()};
        page->btnExportMap->click();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    void unitDescriptionOfOddUnits()
    {
        // A reference to type 0 and an own record with codes that have no entry.
        ByteImages images;
        images.WorkImage = QByteArray(TargetSize, '\0');
        images.OpenedImage = images.WorkImage;
        EnemyType types(images);
        ArmyMen ref(images, types);
        ref.InitMen(1, 0x100);
        QString text = FieldPage::UnitDescription(ref);
        QVERIFY(text.endsWith("类  型: 00?"));
        QVERIFY(text.contains("力  量: ?\r\n"));
        images.WorkImage[0x100] = char(0xE3);
        images.WorkImage[0x101] = char(0x05);
        images.WorkImage[0x102] = char(10);
        images.WorkImage[0x103] = char(0x77);
        images.WorkImage[0x104] = char(0x4B);
        ArmyMen own(images, types);
        own.InitMen(1, 0x100);
        text = FieldPage::UnitDescription(own);
        QVERIFY(text.startsWith("姓  名: E3?\r\n"));
        QVERIFY(text.contains("物  品: 77?\r\n"));
        QVERIFY(text.endsWith("类  型: 自定义"));
    }

    void editingAnOwnRecord()
    {
        const int id = warWithUnit(true);
        QVERIFY(id);
        showWar(id);
        QLabel *p = child("imgDef_1");
        ArmyMen *unit = page->armys()->Item(page->war()->FixedArmyID[0])->Item(1);
        const qint64 u = unit->address();
        doubleClick(p);
        QVERIFY(page->UnitEditMode);
        QVERIFY(page->frameEnemyEdit->isEnabled());
        QVERIFY(!page->cboWarField->isEnabled());
        QVERIFY(page->shapeEdit->isVisible());
        QCOMPARE(page->shapeEdit->geometry(), QRect(p->pos() - QPoint(2, 2), QSize(20, 20)));
        QCOMPARE(page->txtArmyMen->toPlainText(), QString("编辑状态"));
        QVERIFY(page->cboEnemyEdit[0]->hasFocus());
        const QByteArray before = work();

        // Editing: no dragging, no hover, a second double-click does nothing.
        drag(p, {QPointF(T, 0), QPointF(0, T)});
        hover(p);
        doubleClick(p);
        QCOMPARE(work(), before);
        QCOMPARE(page->txtArmyMen->toPlainText(), QString("编辑状态"));
        QCOMPARE(page->CurrentUnit, unit);

        // Enter walks the fields in screen order, then to the confirm button.
        QWidget *order[7] = {page->cboEnemyEdit[0], page->cboEnemyEdit[1], page->txtEnemyEdit[0], page->cboEnemyEdit[2],
                             page->cboEnemyEdit[3], page->txtEnemyEdit[1], page->btnEditOk};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(order[i]->hasFocus());
            QTest::keyClick(order[i], Qt::Key_Return);
        }
        QVERIFY(page->btnEditOk->hasFocus());

        // Bad level or magic: nothing written, the focus on the field.
        page->txtEnemyEdit[0]->setText("256");
        page->btnEditOk->click();
        QVERIFY(page->txtEnemyEdit[0]->hasFocus());
        QCOMPARE(work(), before);
        page->txtEnemyEdit[0]->setText("30");
        page->txtEnemyEdit[1]->setText("100");
        page->btnEditOk->click();
        QVERIFY(page->txtEnemyEdit[1]->hasFocus());
        QCOMPARE(work(), before);
        QVERIFY(page->UnitEditMode);

        // Cancel puts the stored values back.
        page->btnEditCancel->click();
        QVERIFY(!page->UnitEditMode && !page->shapeEdit->isVisible() && page->cboWarField->isEnabled());
        QCOMPARE(page->txtEnemyEdit[0]->text(), unit->tLevel());
        QCOMPARE(page->txtEnemyEdit[1]->text(), unit->tMagic());
        QCOMPARE(work(), before);

        // Confirm writes all six fields.
        doubleClick(p);
        page->cboEnemyEdit[1]->setCurrentIndex(4);
        page->cboEnemyEdit[3]->setCurrentIndex(2);
        page->txtEnemyEdit[0]->setText("30");
        page->txtEnemyEdit[1]->setText("1A");
        const int aiLow = byteAt(work(), u + 4) & 0x0F;
        QTest::keyClick(page->btnEditOk, Qt::Key_Return);
        QVERIFY(!page->UnitEditMode);
        QCOMPARE(byteAt(work(), u + 1), pieceCode(page->cboEnemyEdit[1]->itemText(4)));
        QCOMPARE(int(byteAt(work(), u + 2)), 30);
        QCOMPARE(int(byteAt(work(), u + 4)), 0x80 | aiLow);
        QCOMPARE(int(byteAt(work(), u + 5)), 0x1A);
        QVERIFY(page->txtArmyMen->toPlainText().startsWith("姓  名: " + unit->tName()));
        QVERIFY(page->txtArmyMen->toPlainText().contains("等  级: 30\n"));
    }

    void choosingAnEnemyType()
    {
        // Real unit bitmaps, so that the picture follows the type's class.
        for (const char *d : {"eWork0", "eWork1", "eWork2"}) {
            QDir().mkpath(f.folder.filePath(d));
            const QString dir = QString::fromLatin1(d);
            const QDir from(QCoreApplication::applicationDirPath() + "/" + dir);
            for (const QString &file : from.entryList(QDir::Files))
                QFile::copy(from.filePath(file), f.folder.filePath(dir + "/" + file));
        }
        const int id = warWithUnit(false);
        QVERIFY(id);
        showWar(id);
        QLabel *p = child("imgDef_1");
        ArmyMen *unit = page->armys()->Item(page->war()->FixedArmyID[0])->Item(1);
        const int type = unit->TypeID(false).toInt();
        doubleClick(p);
        QVERIFY(page->UnitEditMode && !page->frameEnemyEdit->isEnabled());
        QCOMPARE(f.window->stabField->currentIndex(), 1);
        QCOMPARE(types->msfEnemyType->row(), type);
        QVERIFY(types->msfEnemyType->topRow() <= type);
        QVERIFY(types->cboEType[0]->hasFocus());
        QVERIFY(types->btnEtypeEditOk->isVisible() && types->txtEtypeEdit->isVisible());
        QCOMPARE(types->txtEtypeEdit->toPlainText(), QString("请按确定按钮或双击列表退出编辑状态。"));

        // A class chosen for that type redraws the picture with the class's bitmap.
        const int cls = types->cboEType[1]->currentIndex() == 3 ? 4 : 3;
        types->cboEType[1]->setCurrentIndex(cls);
        emit types->cboEType[1]->activated(cls);
        const QString bmp = f.folder.filePath(QString("eWork%1/%2.bmp").arg(FieldEdit::typeDigit(page->war()->fType),
                                                                            types->cboEType[1]->itemText(cls).left(2)));
        QCOMPARE(p->pixmap().toImage(), QPixmap(bmp).toImage());

        // Another row, confirmed with the button.
        const int other = type == 5 ? 6 : 5;
        types->selectType(other);
        types->btnEtypeEditOk->click();
        QCOMPARE(int(byteAt(work(), unit->address())), other);
        QVERIFY(!page->UnitEditMode && !types->btnEtypeEditOk->isVisible() && !page->shapeEdit->isVisible());
        QCOMPARE(f.window->stabField->currentIndex(), 0);
        QVERIFY(page->txtArmyMen->toPlainText().endsWith(QString("类  型: %1").arg(hexByte(other))));

        // And through a double-click on the grid.
        doubleClick(p);
        QVERIFY(page->UnitEditMode);
        QVERIFY(types->btnEtypeEditOk->isVisible());
        types->selectType(7);
        const QRect cell = types->msfEnemyType->visualRect(types->msfEnemyType->currentIndex());
        doubleClick(types->msfEnemyType->viewport(), cell.center());
        QCOMPARE(int(byteAt(work(), unit->address())), 7);
        QVERIFY(!page->UnitEditMode);
        // Without the edit state a double-click on the grid writes nothing.
        f.window->stabField->setCurrentIndex(1);
        const QByteArray before = work();
        types->selectType(9);
        doubleClick(types->msfEnemyType->viewport(), types->msfEnemyType->visualRect(types->msfEnemyType->currentIndex()).center());
        QCOMPARE(work(), before);
    }

    void enemyTypeGridEditing()
    {
        f.window->stabAll->setCurrentIndex(2);
        f.window->stabField->setCurrentIndex(1);
        types->selectType(5);
        const qint64 rec = EnemyType::Base + 6 * 4;
        const QByteArray before = work();
        QLineEdit *level = types->txtEType[0];
        QLineEdit *magic = types->txtEType[1];

        level->setFocus();
        for (const char *bad : {"256", "1A", ""}) {
            level->setText(bad);
            QTest::keyClick(level, Qt::Key_Return);
            QCOMPARE(work(), before);
        }
        QVERIFY(types->cboEType[2]->hasFocus()); // the focus moves on all the same
        QCOMPARE(level->text(), QString::number(byteAt(before, rec + 2)));
        level->setFocus();
        level->setText("20");
        QTest::keyClick(level, Qt::Key_Return);
        QCOMPARE(int(byteAt(work(), rec + 2)), 20);
        QCOMPARE(types->msfEnemyType->textMatrix(5, 3), QString("20"));
        QVERIFY(types->cboEType[2]->hasFocus());
        QVERIFY(types->sourceText().contains(QString("等级: %1 => 20\r\n").arg(byteAt(before, rec + 2))));
        magic->setFocus();
        magic->setText("1A");
        QTest::keyClick(magic, Qt::Key_Return);
        QCOMPARE(int(byteAt(work(), rec + 5)), 0x1A);
        QCOMPARE(types->msfEnemyType->textMatrix(5, 6), QString("1A"));
        QVERIFY(types->cboEType[0]->hasFocus());

        // The Enter cycle: name, class, level, item, AI, magic, name.
        QWidget *cycle[7] = {types->cboEType[0], types->cboEType[1], level, types->cboEType[2], types->cboEType[3], magic,
                             types->cboEType[0]};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(cycle[i]->hasFocus());
            QTest::keyClick(cycle[i], Qt::Key_Return);
        }
        QVERIFY(cycle[6]->hasFocus());

        // A selector writes its code and the grid cell; Up and Down never change its choice.
        types->cboEType[2]->setCurrentIndex(3);
        emit types->cboEType[2]->activated(3);
        QCOMPARE(int(byteAt(work(), rec + 3)), pieceCode(types->cboEType[2]->itemText(3)));
        QCOMPARE(types->msfEnemyType->textMatrix(5, 4), types->cboEType[2]->itemText(3));

        // Row stepping wraps and scrolls.
        types->selectType(1);
        QTest::keyClick(types->cboEType[1], Qt::Key_Up);
        QCOMPARE(types->msfEnemyType->row(), 83);
        QCOMPARE(types->cboEType[0]->currentText(), types->msfEnemyType->textMatrix(83, 1));
        QTest::keyClick(magic, Qt::Key_Down);
        QCOMPARE(types->msfEnemyType->row(), 1);
        QCOMPARE(types->msfEnemyType->topRow(), 1);
        QCOMPARE(magic->selectedText(), magic->text());
        for (int i = 0; i < 21; ++i)
            QTest::keyClick(level, Qt::Key_Down);
        QCOMPARE(types->msfEnemyType->row(), 22);
        QVERIFY(types->msfEnemyType->topRow() > 1 && types->msfEnemyType->topRow() <= 22);
    }

    void unknownCodesShowTheirDigits()
    {
        work()[EnemyType::Base] = char(0x05); // a name code with no entry
        work()[EnemyType::Base + 4] = char(0x41);
        f.window->refreshViews();
        QCOMPARE(types->msfEnemyType->textMatrix(1, 1), QString("05?"));
        QCOMPARE(types->cboEType[0]->currentIndex(), -1);
        QCOMPARE(types->cboEType[0]->placeholderText(), QString("05?"));
        QCOMPARE(types->cboEType[3]->placeholderText(), QString("41?"));
        const QByteArray before = work();
        types->txtEType[1]->setFocus();
        QTest::keyClick(types->txtEType[1], Qt::Key_Return); // magic unchanged
        QCOMPARE(work(), before);
    }

    void openingAChangeListRebuildsTheArmies()
    {
        // A reference unit becomes an own record: the units behind it move.
        const int id = findWar([](const FieldInfo &w, Armys &a) {
            const ArmyType *army = w.FixedArmy && w.FixedArmyID[1] == 0 ? a.Item(w.FixedArmyID[0]) : nullptr;
            return army && army->Number() >= 2 && !army->Item(1)->Edit() && w.DefNumber[0] >= 2;
        });
        QVERIFY(id);
        showWar(id);
        const qint64 first = page->armys()->Item(page->war()->FixedArmyID[0])->Item(1)->address();
        hover(child("imgDef_1"));
        QVERIFY(!page->txtArmyMen->toPlainText().contains("自定义"));

        QByteArray changed = work();
        changed[first] = char(0x90);
        const QByteArray list = encodeChangeList(changed, f.pristine, "a.txt", QDateTime::currentDateTime());
        const QString path = f.folder.filePath("a.txt");
        QVERIFY(writeWholeFile(path, list));
        f.window->stabAll->setCurrentIndex(2);
        f.dialogs.answers = QStringList{path};
        f.window->menuOpen_Click();
        QCOMPARE(int(byteAt(work(), first)), 0x90);
        QCOMPARE(f.window->stabAll->currentIndex(), 2);
        QCOMPARE(page->cboWarField->currentIndex(), id - 1);
        const ArmyType *army = page->armys()->Item(page->war()->FixedArmyID[0]);
        QVERIFY(army->Item(1)->Edit());
        QCOMPARE(army->Item(2)->address(), first + 6);
        hover(child("imgDef_1"));
        QVERIFY(page->txtArmyMen->toPlainText().endsWith("类  型: 自定义"));
    }

private:
    // The offsets of the newest step, as the window hands them to the page.
    std::vector<quint32> lastStep() const
    {
        std::vector<quint32> offsets;
        for (const EditHistory::Change &c : f.images.history.stepList()[size_t(f.images.history.doneSteps() - 1)].changes)
            offsets.push_back(c.offset);
        std::sort(offsets.begin(), offsets.end());
        return offsets;
    }
    // The map of the war shown, drawn afresh from WorkImage.
    QImage freshMap()
    {
        FieldEdit fields(f.images, f.folder.path());
        return paintMap(decodeMap(work(), page->war()->Address.toLongLong(nullptr, 16)), fields.tiles(page->war()->fType));
    }
    // The last cell of a map, from its end back to row 1, whose left neighbour holds another tile.
    static QPoint cellUnlikeItsLeft(const QVector<int> &tiles, int width)
    {
        for (qsizetype i = tiles.size() - 2; i > width; --i)
            if (i % width > 1 && tiles[i] != tiles[i - 1])
                return QPoint(int(i % width), int(i / width));
        return QPoint(-1, -1);
    }
    void click(QPoint cell, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(cell), button, button);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(cell), button, Qt::NoButton);
    }

private slots:
    void strokeStartsFromTheImage()
    {
        showWar(1);
        page->optPaint->click();
        const qint64 m = page->war()->Address.toLongLong(nullptr, 16);
        // A tile byte of 第01战场 changed in the hex grid.
        f.images.write(0x556E8, 0x34);
        const QVector<int> edited = tilesNow(m);
        // One cell painted far behind it, with its left neighbour's tile.
        const int w = byteAt(work(), m) + 1;
        const QPoint cell = cellUnlikeItsLeft(edited, w);
        QVERIFY(cell.y() * w + cell.x() > 0x556E8 - m);
        const int t = edited[cell.y() * w + cell.x() - 1];
        chooseTile(t);
        QVector<int> expected = edited;
        expected[cell.y() * w + cell.x()] = t;
        click(cell);
        QCOMPARE(tilesNow(m), expected);
        QCOMPARE(int(byteAt(work(), 0x556E8)), 0x34);
        QCOMPARE(page->picFieldContainer->mapImage(), freshMap()); // the hex edit is shown too
        // The read-out names the painted tile at once.
        QCOMPARE(page->txtFieldInfo->text(), QString("第01战场 (%1,%2) %3").arg(cell.x()).arg(cell.y()).arg(hexByte(t)));

        // A size byte changed behind the page's back: the press refuses, the meter says why,
        // nothing is written.
        work()[m - 1] = char(byteAt(work(), m - 1) - 1);
        const QByteArray before = work();
        click(QPoint(2, 2));
        QCOMPARE(work(), before);
        QCOMPARE(f.window->statusBar()->currentMessage(), QString("地图尺寸与自带文件不同，无法绘制"));
        QCOMPARE(page->framePaint->lblMapBytes->text(), QString("地图尺寸与自带文件不同，无法绘制"));
        QCOMPARE(page->picFieldContainer->mapImage(), freshMap());
    }

    void imageWrittenShowsWhatChanged_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("a tile byte") << "tile";
        QTest::newRow("a size byte") << "size";
        QTest::newRow("a marker dragged and undone") << "marker";
        QTest::newRow("the level of the unit being edited") << "unit";
        QTest::newRow("a byte the page does not show") << "other";
        QTest::newRow("a stroke of the page") << "stroke";
    }
    void imageWrittenShowsWhatChanged()
    {
        QFETCH(QString, what);
        // Only the calls below tell the page, whatever the window does with the history's reports.
        f.images.history.recorded = nullptr;
        const int id = warWithUnit(true);
        QVERIFY(id);
        showWar(id);
        const qint64 m = page->war()->Address.toLongLong(nullptr, 16);
        page->picFieldContainer->setZoom(200);
        page->picFieldContainer->vsbField->setValue(40);
        const QPoint place = page->picField->pos();
        QLabel *marker = child("lblAct_1");
        const QPoint markerTile = tileOf(marker) / 2;
        QSignalSpy drawn(page, &FieldPage::warDrawn);
        bool rebuilt = true;
        if (what == "tile") {
            qint64 o = m + 3;
            while (byteAt(work(), o) < LowestLiteralTile)
                o += 2;
            f.images.write(o, byteAt(work(), o) == 0x30 ? 0x31 : 0x30);
            rebuilt = false;
        } else if (what == "size") {
            f.images.write(m, byteAt(work(), m) - 1);
        } else if (what == "marker") {
            QPoint step;
            for (const QPoint &s : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                if (step.isNull() && page->IsFreeTile(markerTile.x() + s.x(), markerTile.y() + s.y()))
                    step = s;
            drag(marker, {QPointF(step) * page->tile()});
            QCOMPARE(tileOf(marker) / 2, markerTile + step);
            page->imageWritten(lastStep()); // the page's own drag: shown already
            QCOMPARE(child("lblAct_1"), marker);
            page->imageWritten(f.images.history.undo(work()));
        } else if (what == "unit") {
            doubleClick(child("imgDef_1"));
            QVERIFY(page->UnitEditMode && page->frameEnemyEdit->isEnabled());
            f.images.write(page->CurrentUnit->address() + 2, 77);
        } else if (what == "other") {
            f.images.write(0x6E2EC, 5);
            rebuilt = false;
        } else {
            page->optPaint->click();
            const PaintableMap &map = page->framePaint->tool->map();
            const QPoint cell = cellUnlikeItsLeft(map.tiles, map.width);
            chooseTile(map.tiles[cell.y() * map.width + cell.x() - 1]);
            click(cell);
            rebuilt = false;
        }
        if (what != "marker")
            page->imageWritten(lastStep());
        QCOMPARE(drawn.count(), what == "size" ? 1 : 0);
        QCOMPARE(page->picFieldContainer->mapImage(), freshMap());
        QCOMPARE(page->picFieldContainer->zoom(), 200);
        QCOMPARE(page->picField->pos(), place);
        QCOMPARE(page->painting(), what == "stroke");
        if (!rebuilt)
            QCOMPARE(child("lblAct_1"), marker);
        QCOMPARE(tileOf(child("lblAct_1")) / 2, markerTile);
        if (what == "unit") {
            QVERIFY(page->UnitEditMode && page->frameEnemyEdit->isEnabled() && page->shapeEdit->isVisible());
            QCOMPARE(page->txtEnemyEdit[0]->text(), QString("77"));
            QCOMPARE(page->CurrentUnit, page->armys()->Item(page->war()->FixedArmyID[0])->Item(1));
        }
    }

    void viewMovesWhilePainting_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QPoint>("moved");
        const int notch = QApplication::wheelScrollLines() * 4 * T;
        QTest::newRow("middle button") << "middle" << QPoint(-40, -30);
        QTest::newRow("Space + left button") << "space" << QPoint(-40, -30);
        QTest::newRow("wheel") << "wheel" << QPoint(0, -notch);
        QTest::newRow("Shift + wheel") << "shift wheel" << QPoint(-notch, 0);
        QTest::newRow("scroll bars") << "bars" << QPoint(-25, -35);
    }
    void viewMovesWhilePainting()
    {
        QFETCH(QString, how);
        QFETCH(QPoint, moved);
        const Painting p = startPainting();
        chooseTile(unusedTile(p.map));
        FieldView *view = page->picFieldContainer;
        view->setZoom(400);
        QVERIFY(view->hsbField->isVisible() && view->vsbField->isVisible());
        QCOMPARE(view->viewport(), QRect(0, 0, view->width() - view->vsbField->width(), view->height() - view->hsbField->height()));
        view->hsbField->setValue(0);
        view->vsbField->setValue(0);
        const QByteArray before = work();
        const QPointF from(100, 100);
        const auto pull = [&](Qt::MouseButton button) {
            mouse(page->picField, QEvent::MouseButtonPress, from, button, button);
            mouse(page->picField, QEvent::MouseMove, from + QPointF(-40, -30), Qt::NoButton, button);
            mouse(page->picField, QEvent::MouseButtonRelease, from + QPointF(-40, -30) - QPointF(page->picField->pos()),
                  button, Qt::NoButton);
        };
        if (how == "middle") {
            pull(Qt::MiddleButton);
        } else if (how == "space") {
            hover(page->picField, from);
            QTest::keyPress(f.window.get(), Qt::Key_Space);
            QCOMPARE(page->picField->cursor().shape(), Qt::OpenHandCursor);
            pull(Qt::LeftButton);
            QTest::keyRelease(f.window.get(), Qt::Key_Space);
            QCOMPARE(page->picField->cursor().shape(), Qt::CrossCursor);
        } else if (how.endsWith("wheel")) {
            QWheelEvent e(from, page->picField->mapToGlobal(from), QPoint(), QPoint(0, -120), Qt::NoButton,
                          how == "wheel" ? Qt::NoModifier : Qt::ShiftModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &e);
        } else {
            view->hsbField->setValue(25);
            view->vsbField->setValue(35);
        }
        QCOMPARE(page->picField->pos(), moved);
        QCOMPARE(view->hsbField->value(), -moved.x());
        QCOMPARE(view->vsbField->value(), -moved.y());
        QCOMPARE(work(), before);
        // The left button paints again where the mouse is.
        const QPoint cell = (QPoint(120, 120) - page->picField->pos()) / page->tile();
        click(cell);
        QCOMPARE(tilesNow(p.address)[cell.y() * p.map.width + cell.x()], unusedTile(p.map));
    }

    void dragScrollsAlongAtTheEdge_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("stroke") << Qt::KeyboardModifiers();
        QTest::newRow("rectangle") << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }
    void dragScrollsAlongAtTheEdge()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        const Painting p = startPainting();
        // The map all of one tile, written as another editor would: the drag starts from it.
        const int ground = p.map.tiles[0];
        f.images.history.begin("map");
        QVERIFY(writeMap(f.images, p.map, QVector<int>(p.map.tiles.size(), ground)));
        f.images.history.end();
        const int t = unusedTile(p.map);
        chooseTile(t);
        FieldView *view = page->picFieldContainer;
        view->setZoom(400);
        view->hsbField->setValue(0);
        view->vsbField->setValue(0);
        const int tile = page->tile();
        QVERIFY(view->hsbField->maximum() >= tile);
        const QPoint edge(view->viewport().right() - 1, tile + tile / 2); // on row 1, by the right edge
        const int under = edge.x() / tile;
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(1, 1)), Qt::LeftButton, Qt::LeftButton, modifiers);
        mouse(page->picField, QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton, modifiers);
        QTRY_VERIFY(page->picField->x() <= -tile);
        const QPointF at = QPointF(edge - page->picField->pos());
        const int last = std::min(int(at.x()) / tile, p.map.width - 1);
        QVERIFY(last > under);
        if (modifiers & Qt::ShiftModifier) {
            QWidget *preview = page->picField->findChild<QWidget *>("paintPreview");
            QVERIFY(preview);
            QCOMPARE(preview->geometry(), QRect(QPoint(1, 1) * tile, QSize(at.x() / tile, 1) * tile));
        }
        mouse(page->picField, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, modifiers);
        QVector<int> expected(p.map.tiles.size(), ground);
        for (int x = 1; x <= last; ++x)
            expected[p.map.width + x] = t;
        QCOMPARE(tilesNow(p.address), expected);
        QCOMPARE(f.images.history.steps(), 2);
        const int stopped = page->picField->x();
        QTest::qWait(100);
        QCOMPARE(page->picField->x(), stopped); // released: the view stays
    }

    void strokeBackToTheBuiltInTilesRestoresItsBytes()
    {
        const Painting p = startPainting();
        const QByteArray pristine = work();
        // A cell painted with its left neighbour's tile, then with its own again.
        const QPoint cell = cellUnlikeItsLeft(p.map.tiles, p.map.width);
        const int at = cell.y() * p.map.width + cell.x();
        chooseTile(p.map.tiles[at - 1]);
        click(cell);
        QVERIFY(work() != pristine);
        chooseTile(p.map.tiles[at]);
        click(cell);
        QCOMPARE(work(), pristine);
        QCOMPARE(f.images.history.steps(), 2);
    }

    void ctrlZDuringAStrokeTakesItBack()
    {
        const Painting p = startPainting();
        const QByteArray before = work();
        chooseTile(unusedTile(p.map));
        mouse(page->picField, QEvent::MouseButtonPress, cellPoint(QPoint(2, 2)), Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseMove, cellPoint(QPoint(3, 2)), Qt::NoButton, Qt::LeftButton);
        QVERIFY(work() != before);
        QTest::keyClick(f.window.get(), Qt::Key_Z, Qt::ControlModifier);
        // The stroke so far was one step, and it is undone.
        QCOMPARE(work(), before);
        QVERIFY(f.images.history.canRedo() && !f.images.history.canUndo());
        QVERIFY(f.images.history.redoLabel().startsWith("绘制 "));
        // The rest of the drag paints nothing.
        mouse(page->picField, QEvent::MouseMove, cellPoint(QPoint(4, 2)), Qt::NoButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, cellPoint(QPoint(4, 2)), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(work(), before);
        f.window->menuRedo->trigger();
        QVERIFY(work() != before);
    }
};

QTEST_MAIN(TestFieldPage)
#include "tst_fieldpage.moc"
