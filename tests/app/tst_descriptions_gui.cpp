#include "app/frmdescriptions.h"
#include "controls/flexgrid.h"
#include "gamedata/descriptions.h"
#include "gamedata/tableproposal.h"
#include "hexview/frmdescribetable.h"
#include "hexview/hexpage.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "mainwindowfixture.h"
#include "tables/gametables.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

// A description of one table of three four-byte records with one field.
QByteArray shopsAt(qint64 base, const QString &key = QStringLiteral("shops"))
{
    return QStringLiteral(R"({"tables": [{"name": "商店", "key": "%1", "base": "0x%2", "stride": 4, "count": 3,
                              "fields": [{"caption": "价格", "offset": 0}]}]})")
        .arg(key, QString::number(base, 16))
        .toUtf8();
}

QByteArray fileBytes(const QString &path)
{
    QByteArray bytes;
    readWholeFile(path, bytes);
    return bytes;
}

bool hasUserTable(const QString &key)
{
    for (const GameData::Table &t : GameData::userTables())
        if (t.key == key)
            return true;
    return false;
}

} // namespace

class TestDescriptionsGui : public QObject {
    Q_OBJECT

private:
    MainWindowFixture f;
    QTemporaryDir m_outside; // files the user adds from elsewhere
    qint64 m_free = 0;       // 256 bytes no built-in field names

    QString folder() const { return GameData::descriptionFolder(f.folder.path()); }
    QString inFolder(const QString &name) const { return QDir(folder()).filePath(name); }
    QString outside(const QString &name, const QByteArray &bytes) const
    {
        const QString path = m_outside.filePath(name);
        return QDir().mkpath(QFileInfo(path).path()) && writeWholeFile(path, bytes) ? path : QString();
    }

    frmDescriptions *openManager()
    {
        f.window->menuDescriptions->trigger();
        auto *w = f.window->findChild<frmDescriptions *>(QStringLiteral("frmDescriptions"));
        return w && w->isVisible() ? w : nullptr;
    }
    QTreeWidgetItem *fileItem(frmDescriptions *w, const QString &name)
    {
        for (int i = 0; i < w->treDescriptions->topLevelItemCount(); ++i)
            if (w->treDescriptions->topLevelItem(i)->text(0).startsWith(name))
                return w->treDescriptions->topLevelItem(i);
        return nullptr;
    }
    // Drags nothing: clicks the first byte and Shift-clicks the last, as a user selects a run.
    void selectBytes(qint64 first, qint64 last)
    {
        HexPage *page = f.window->hexPage;
        page->GotoAddress(hexAddress(first), true);
        FlexGrid *grid = page->msfFileContent;
        const auto click = [&](qint64 offset, Qt::KeyboardModifiers keys) {
            const QRect cell = grid->visualRect(grid->model()->index(int(offset / 16), int(offset % 16)));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, keys, cell.center());
        };
        click(first, {});
        click(last, Qt::ShiftModifier);
    }
    frmDescribeTable *describe(qint64 first, qint64 last)
    {
        selectBytes(first, last);
        const auto [from, length] = f.window->hexPage->selectedBytes();
        if (from != first || length != last - first + 1 || !f.window->hexPage->btnDescribeTable->isEnabled())
            return nullptr;
        f.window->hexPage->btnDescribeTable->trigger();
        return f.window->findChild<frmDescribeTable *>(QStringLiteral("frmDescribeTable"));
    }
    // With VESKEDIT_SHOTS set to a folder, a picture of the dialog for the documentation.
    static void shot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("VESKEDIT_SHOTS");
        if (!dir.isEmpty()) {
            QTest::qWait(200);
            w->grab().save(dir + u'/' + name);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        const QByteArray image = loadBuiltInImage();
        const GameData::Catalogue builtIn(image, image, false);
        qint64 from = 0x1000;
        for (const auto &[start, end] : builtIn.covered()) {
            if (start - from >= 256)
                break;
            from = std::max(from, end);
        }
        m_free = (from + 15) / 16 * 16 + 16;
    }
    void init()
    {
        QDir(folder()).removeRecursively();
        QFile::remove(folder());
        f.dialogs = ScriptedDialogs();
        GameData::loadDescriptions(folder(), {});
    }
    void cleanup()
    {
        for (QDialog *d : f.window->findChildren<QDialog *>())
            d->close();
        QCoreApplication::processEvents();
        GameData::loadDescriptions(QString(), {});
    }

    // A good file with its table, a faulty one with each fault's text, a --tables file that
    // cannot be removed.
    void managerListsFiles()
    {
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(writeWholeFile(inFolder("good.json"), shopsAt(m_free)));
        QVERIFY(writeWholeFile(inFolder("bad.json"), "{\"tables\": [\n  {\"name\": }]}"));
        const QString extra = outside("more.json", shopsAt(m_free + 64, QStringLiteral("more")));
        GameData::loadDescriptions(folder(), {extra});
        frmDescriptions *w = openManager();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("表格描述"));
        QCOMPARE(w->treDescriptions->topLevelItemCount(), 3);

        QTreeWidgetItem *good = fileItem(w, "good.json");
        QVERIFY(good);
        QCOMPARE(good->childCount(), 1);
        QCOMPARE(good->child(0)->text(0), QStringLiteral("商店"));
        QCOMPARE(good->child(0)->text(1), QStringLiteral("shops"));
        QCOMPARE(good->child(0)->text(2), QStringLiteral("3"));
        QCOMPARE(good->child(0)->text(3), QStringLiteral("1"));

        QTreeWidgetItem *bad = fileItem(w, "bad.json");
        QVERIFY(bad && bad->text(0).contains(QStringLiteral("有错误")));
        const GameData::Description read = GameData::readDescription("{\"tables\": [\n  {\"name\": }]}", inFolder("bad.json"));
        QVERIFY(!read.ok());
        QCOMPARE(bad->childCount(), read.errors.size());
        QCOMPARE(bad->child(0)->text(0), read.errors[0].text());
        QVERIFY(read.errors[0].text().contains(QStringLiteral("第2行")));

        w->treDescriptions->setCurrentItem(fileItem(w, "more.json"));
        QVERIFY(!w->btnRemoveDescription->isEnabled());
        w->treDescriptions->setCurrentItem(good->child(0));
        QVERIFY(w->btnRemoveDescription->isEnabled());
        shot(w, "descriptions.png");
    }

    // Add copies into a folder made for it and reloads; a name in use is replaced only on "是";
    // remove deletes after "是".
    void managerAddsAndRemoves()
    {
        frmDescriptions *w = openManager();
        QVERIFY(w);
        const QString source = outside("shops.json", shopsAt(m_free));
        f.dialogs.answers << source;
        QTest::mouseClick(w->btnAddDescription, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 0);
        QVERIFY(QFile::exists(inFolder("shops.json")));
        QVERIFY(hasUserTable("shops"));
        QVERIFY(fileItem(w, "shops.json"));

        f.dialogs.answers << outside("other/shops.json", shopsAt(m_free, QStringLiteral("shops2")));
        f.dialogs.confirmAnswers << false;
        QTest::mouseClick(w->btnAddDescription, Qt::LeftButton);
        QCOMPARE(fileBytes(inFolder("shops.json")), shopsAt(m_free));

        w->treDescriptions->setCurrentItem(fileItem(w, "shops.json"));
        f.dialogs.confirmAnswers << true;
        QTest::mouseClick(w->btnRemoveDescription, Qt::LeftButton);
        QVERIFY(!QFile::exists(inFolder("shops.json")));
        QVERIFY(!hasUserTable("shops"));
        QCOMPARE(w->treDescriptions->topLevelItemCount(), 1); // "没有描述文件"
    }

    // A folder that cannot be made: a message, and the tables in use stay.
    void managerRefusedCopyChangesNothing()
    {
        QVERIFY(QDir().mkpath(QFileInfo(folder()).path()));
        QVERIFY(writeWholeFile(folder(), "not a folder"));
        const QString extra = outside("more.json", shopsAt(m_free + 64, QStringLiteral("more")));
        GameData::loadDescriptions(folder(), {extra});
        frmDescriptions *w = openManager();
        QVERIFY(w);
        f.dialogs.answers << outside("shops.json", shopsAt(m_free));
        QTest::mouseClick(w->btnAddDescription, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.lastText().contains(QStringLiteral("没有添加")), qPrintable(f.dialogs.lastText()));
        QCOMPARE(fileBytes(folder()), QByteArray("not a folder"));
        QVERIFY(hasUserTable("more") && !hasUserTable("shops"));
        QCOMPARE(w->treDescriptions->topLevelItemCount(), 1);
    }

    void strideGuess_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("stride");
        QByteArray eight, twelve, noisy;
        for (int r = 0; r < 10; ++r) {
            eight += QByteArray::fromHex("2030000005FF") + char(r) + char(3 * r);
            twelve += QByteArray::fromHex("0A0B0C") + char(r) + QByteArray::fromHex("0000000001020304") ;
            noisy += QByteArray::fromHex("07") + char(r * 37) + char(r * 11) + QByteArray::fromHex("00FF") + char(r * 5);
        }
        QTest::newRow("eight-byte records") << eight << 8;
        QTest::newRow("twelve-byte records") << twelve << 12;
        QTest::newRow("six-byte records, half of them changing") << noisy << 6;
        QTest::newRow("all alike: the smallest") << QByteArray(100, '\0') << 2;
        QTest::newRow("too short for two records") << QByteArray("abc") << 3;
    }
    void strideGuess()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, stride);
        QCOMPARE(GameData::guessStride(bytes), stride);
    }

    // Bytes chosen in the hex grid: the preview follows the stride, and 保存 writes a file that
    // reads back and comes into use.
    void describeSavesTable()
    {
        frmDescribeTable *d = describe(m_free, m_free + 63);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("描述为表格"));
        QCOMPARE(d->txtTableBase->text(), hexAddress(m_free));
        const QString key = QStringLiteral("table_") + QString::number(m_free, 16);
        QCOMPARE(d->txtTableKey->text(), key);
        QCOMPARE(d->txtTableName->text(), QStringLiteral("新表格"));

        d->spnTableStride->setFocus();
        d->spnTableStride->selectAll();
        QTest::keyClicks(d->spnTableStride, "5");
        FlexGridModel &preview = d->msfTablePreview->grid();
        QCOMPARE(d->spnTableCount->value(), 12);
        QCOMPARE(preview.cols(), 1 + 5);
        QCOMPARE(preview.rows(), 1 + 12);
        QCOMPARE(preview.text(0, 5), QStringLiteral("字节04"));
        const QByteArray &image = f.images.WorkImage;
        QCOMPARE(preview.text(3, 2), QString::number(quint8(image[m_free + 2 * 5 + 1])));
        shot(d, "describe-table.png");

        d->txtTableName->setText(QStringLiteral("我的表格"));
        QTest::mouseClick(d->btnSaveTable, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 0);
        const QByteArray bytes = fileBytes(inFolder(key + ".json"));
        const GameData::Description read = GameData::readDescription(bytes, key + ".json");
        QVERIFY(read.ok());
        QCOMPARE(read.tables[0].name, QStringLiteral("我的表格"));
        QCOMPARE(read.tables[0].base, m_free);
        QCOMPARE(read.tables[0].stride, 5);
        QCOMPARE(read.tables[0].records.size(), 12);
        QCOMPARE(read.tables[0].fields.size(), 5);
        QVERIFY(hasUserTable(key));
    }

    // A table over bytes a built-in field names: refused with that field named, nothing written.
    void describeRefusesBuiltInBytes()
    {
        frmDescribeTable *d = describe(GameTables::CharacterBase, GameTables::CharacterBase + 31);
        QVERIFY(d);
        QTest::mouseClick(d->btnSaveTable, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.lastText().contains(QStringLiteral("自带的 我方人物")), qPrintable(f.dialogs.lastText()));
        QVERIFY(d->isVisible());
        QVERIFY(!QDir(folder()).exists() || GameData::descriptionFiles(folder()).isEmpty());
    }
};

QTEST_MAIN(TestDescriptionsGui)
#include "tst_descriptions_gui.moc"
