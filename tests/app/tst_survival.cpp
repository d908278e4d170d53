// The whole program over corrupt images: the start-up sequence, every page and sub-page, the
// first and last record of every list, every war drawn, a unit of each kind hovered and opened,
// an edit undone and redone, the change list following it all and some of its lines shown in
// their editors. Nothing may crash or hang, and no byte may change but those the
// test itself wrote (all undone at the end).
#include "app/frmchanges.h"
#include "battlefield/enemytypepage.h"
#include "battlefield/fieldpage.h"
#include "battlefield/fieldsurface.h"
#include "controls/flexgrid.h"
#include "hexview/hexpage.h"
#include "editorfolder.h"
#include "image/mymodule.h"
#include "input.h"
#include "scripteddialogs.h"
#include "tables/characterpage.h"
#include "tables/classchangepage.h"
#include "tables/classpage.h"
#include "tables/gametables.h"
#include "tables/itempage.h"
#include "tables/levelcoefficientframe.h"
#include "tables/shieldpage.h"
#include "tables/terrainpage.h"
#include "app/frmchanges.h"
#include "app/frmveskedit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTabWidget>

using namespace GameTables;

namespace {

// File offsets that the string tables name (maps, armies, position lists), read once.
struct Places {
    QList<qint64> maps, armies, lists;
    Places()
    {
        for (const QString &row : GetResString(9).split(u'*'))
            maps.append(row.section(u'|', 0, 0).toLongLong(nullptr, 16));
        for (const QString &row : GetResString(10).split(u'*'))
            armies.append(row.section(u'|', 0, 0).toLongLong(nullptr, 16));
        for (const QString &row : GetResString(11).split(u'*'))
            for (const QString &a : row.section(u'|', 0, 0).split(u','))
                lists.append(a.toLongLong(nullptr, 16));
    }
};

void scramble(QByteArray &image, QRandomGenerator &gen, qint64 from, int length)
{
    for (qint64 i = std::max<qint64>(from, 0); i < std::min<qint64>(from + length, image.size()); ++i)
        image[i] = char(gen.bounded(256));
}

// Every code byte the editors look up, set to a value that no list holds.
QByteArray noEntries(const QByteArray &pristine)
{
    ByteImages images;
    images.WorkImage = pristine;
    QByteArray image = pristine;
    for (int t = 0; t < EnemyType::Count; ++t) {
        const qint64 r = EnemyType::Base + 6 * t;
        image[r] = 0x05;
        image[r + 1] = 0x30;
        image[r + 3] = 0x77;
        image[r + 4] = 0x41;
    }
    Armys armys(images);
    for (int a = 1; a <= armys.Count(); ++a)
        for (int u = 1; u <= armys.Item(a)->Number(); ++u) {
            const ArmyMen *m = armys.Item(a)->Item(u);
            if (m->Edit()) {
                image[m->address() + 1] = 0x30;
                image[m->address() + 3] = 0x77;
                image[m->address() + 4] = 0x4B;
            } else {
                image[m->address()] = 0x60; // a type the table does not hold
            }
        }
    for (int c = 0; c < CharacterCount; ++c) {
        image[CharacterBase + CharacterStride * c] = 0x30;
        image[CharacterBase + CharacterStride * c + 10] = 0x77;
    }
    for (int r = 0; r < ClassChangeCount; ++r) {
        image[ClassChangeBefore + r] = char(0xEE);
        image[ClassChangeAfter + r] = 0;
    }
    for (int code = 0; code <= 0x2E; ++code)
        image[ItemEffect + code] = 0x77;
    return image;
}

} // namespace

class TestSurvival : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;

    static constexpr int Images = 203;

    // Image n of the test: all 00, all FF, every code without an entry, then random bytes over
    // maps, armies, position lists, enemy types, the tables, or all of these in turn.
    QByteArray corruptImage(int n, QString *name) const
    {
        if (n == 0) {
            *name = "all 00";
            return QByteArray(TargetSize, '\0');
        }
        if (n == 1) {
            *name = "all FF";
            return QByteArray(TargetSize, '\xFF');
        }
        if (n == 2) {
            *name = "codes without entries";
            return noEntries(m_pristine);
        }
        static const Places places;
        QRandomGenerator gen(20261207 + n);
        QByteArray image = m_pristine;
        const char *kinds[6] = {"maps", "armies", "position lists", "enemy types", "tables", "everything"};
        const int kind = n % 6;
        const auto some = [&](const QList<qint64> &at, int length) {
            for (int k = 0; k < 8; ++k)
                scramble(image, gen, at[int(gen.bounded(int(at.size())))] - 1, length);
        };
        if (kind == 0 || kind == 5)
            some(places.maps, 40);
        if (kind == 1 || kind == 5)
            some(places.armies, 60);
        if (kind == 2 || kind == 5)
            some(places.lists, 50);
        if (kind == 3 || kind == 5)
            scramble(image, gen, EnemyType::Base, 6 * EnemyType::Count);
        if (kind == 4 || kind == 5)
            for (const int base : {CharacterBase, ClassBase, ItemAttack, ItemEffect, ShieldBase, ClassChangeBefore,
                                   LevelCoefficientBase, TerrainBase})
                scramble(image, gen, base, 300);
        *name = QString("%1 %2").arg(QLatin1String(kinds[kind])).arg(n);
        return image;
    }

    static void firstAndLast(QListWidget *list)
    {
        list->setCurrentRow(list->count() - 1);
        list->setCurrentRow(0);
    }

    void visit(frmVeskEdit &w)
    {
        w.showChanges(); // follows every step of the visit
        for (int t = 0; t < w.stabAll->count(); ++t) {
            w.stabAll->setCurrentIndex(t);
            QApplication::processEvents();
        }
        for (QTabWidget *tabs : {w.SSTab1, w.stabField})
            for (int t = tabs->count() - 1; t >= 0; --t) {
                w.stabAll->setCurrentWidget(tabs->parentWidget());
                tabs->setCurrentIndex(t);
                QApplication::processEvents();
            }
        firstAndLast(w.characterPage->lstCharacter);
        firstAndLast(w.classPage->lstWorkName);
        firstAndLast(w.weaponPage->list);
        firstAndLast(w.magicPage->list);
        firstAndLast(w.shieldPage->lstShield);
        w.enemyTypePage->selectType(EnemyType::Count);
        w.enemyTypePage->selectType(1);
        w.classChangePage->msfChangeWork->setCurrentCell(ClassChangeCount, 1);
        w.terrainPage->msfFieldEffect->setCurrentCell(TerrainRows, TerrainCols);
        w.shieldPage->levelFrame->msfExpLevel->setCurrentCell(1, 19);

        // Every war; a unit of each kind hovered and opened once.
        FieldPage *page = w.fieldPage;
        w.stabAll->setCurrentIndex(2);
        w.stabField->setCurrentIndex(0);
        bool opened[2] = {false, false};
        for (int id = 0; id < page->cboWarField->count(); ++id) {
            page->cboWarField->setCurrentIndex(id);
            page->timerField_Timer();
            for (QLabel *p : w.findChildren<QLabel *>(QRegularExpression("^imgDef1?_[0-9]+$"))) {
                hover(p);
                const ArmyMen *unit = nullptr;
                const FieldInfo *war = page->war();
                const int team = p->objectName().startsWith("imgDef1") ? 1 : 0;
                if (const ArmyType *army = page->armys()->Item(war->FixedArmyID[team]))
                    unit = army->Item(p->objectName().section('_', 1).toInt());
                if (!unit || opened[unit->Edit()])
                    continue;
                opened[unit->Edit()] = true;
                doubleClick(p);
                if (unit->Edit())
                    page->btnEditCancel->click();
                else
                    w.enemyTypePage->btnEtypeEditOk->click(); // the type it has, or a row if it had none
                QVERIFY(!page->UnitEditMode);
            }
        }
        // The last war's map painted: a cell with the brush, and a pick with the right button.
        page->optPaint->click();
        mouse(page->picField, QEvent::MouseButtonPress, QPointF(20, 20), Qt::RightButton, Qt::RightButton);
        mouse(page->picField, QEvent::MouseButtonRelease, QPointF(20, 20), Qt::RightButton, Qt::NoButton);
        mouse(page->picField, QEvent::MouseButtonPress, QPointF(40, 24), Qt::LeftButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseMove, QPointF(60, 40), Qt::NoButton, Qt::LeftButton);
        mouse(page->picField, QEvent::MouseButtonRelease, QPointF(60, 40), Qt::LeftButton, Qt::NoButton);
        page->optPlace->click();

        // A dozen lines of the change list shown in their editors, and the read-out of each byte.
        const QVector<FieldChange> changes = w.changesWindow()->changes();
        for (qsizetype i = 0; i < changes.size(); i += std::max<qsizetype>(1, changes.size() / 12)) {
            w.showPlace(changes[i].offset);
            if (page->UnitEditMode)
                page->btnEditCancel->click();
            w.hexPage->GotoAddress(QString::number(changes[i].offset, 16), false);
        }
        w.changesWindow()->close();
    }

private slots:
    void initTestCase() { m_pristine = loadBuiltInImage(); }

    void corruptImagesNeverEndTheProgram_data()
    {
        // VESKEDIT_SHARD=k/n: only the images i with i % n == k - 1, so that the run can be split.
        const QStringList shard = qEnvironmentVariable("VESKEDIT_SHARD", "1/1").split(u'/');
        const int shards = std::max(1, shard.value(1).toInt());
        const int mine = std::clamp(shard.value(0).toInt(), 1, shards) - 1;
        QTest::addColumn<int>("n");
        for (int n = 0; n < Images; ++n) {
            if (n % shards != mine)
                continue;
            QString name;
            if (n < 3)
                corruptImage(n, &name);
            else
                name = QString("random %1").arg(n);
            QTest::newRow(qPrintable(name)) << n;
        }
    }

    void corruptImagesNeverEndTheProgram()
    {
        QFETCH(int, n);
        static EditorFolder folder;
        QString name;
        const QByteArray corrupt = corruptImage(n, &name);
        {
            ByteImages images;
            images.OpenedImage = corrupt;
            images.load(corrupt);
            ScriptedDialogs dialogs;
            frmVeskEdit w(images, dialogs, folder.path());
            w.resize(1024, 720);
            w.show();
            w.timerInit_Timer();
            visit(w);

            // One edit, undone and redone, then every step of the test undone.
            w.stabAll->setCurrentIndex(1);
            w.characterPage->lstCharacter->setCurrentRow(1);
            enter(w.characterPage->txtCharacter[0], QString::number((byteAt(corrupt, CharacterBase + 13) + 1) % 256));
            QVERIFY2(images.history.canUndo(), qPrintable(name));
            w.menuUndo->trigger();
            w.menuRedo->trigger();
            while (images.history.canUndo())
                w.menuUndo->trigger();
            QVERIFY2(images.WorkImage == corrupt, qPrintable(name));
            QVERIFY2(dialogs.messages.isEmpty(), qPrintable(name + ": " + dialogs.lastText()));
        }
    }
};

QTEST_MAIN(TestSurvival)
#include "tst_survival.moc"
