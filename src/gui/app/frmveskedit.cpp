#include "app/frmveskedit.h"

#include "app/frmabout.h"
#include "app/frmapplypatch.h"
#include "app/frmchanges.h"
#include "app/frmdescriptions.h"
#include "app/frmtestplay.h"
#include "app/openfile.h"
#include "battlefield/enemytypepage.h"
#include "battlefield/fieldpage.h"
#include "controls/flexgrid.h"
#include "gamedata/gamedata.h"
#include "gamedata/tablefiles.h"
#include "hexview/frmdescribetable.h"
#include "hexview/frmfind.h"
#include "hexview/hexpage.h"
#include "hexview/stringpage.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "tables/characterpage.h"
#include "tables/classchangepage.h"
#include "tables/levelcoefficientframe.h"
#include "tables/terrainpage.h"
#include "tables/usertablepage.h"
#include "tables/classpage.h"
#include "tables/itempage.h"
#include "tables/recordeditor.h"
#include "tables/shieldpage.h"

#include <QBuffer>
#include <QDir>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QFileInfo>
#include <QGridLayout>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString DefaultFileName = QStringLiteral("苍岚战记外传修改版");
const QString Caption = QStringLiteral("苍岚战记外传 EMU + ROM 修改器");
// The tabs after the hex grid's.
const QString TabCaptions[] = {QStringLiteral("我方人物"),       QStringLiteral("敌方部队"), QStringLiteral("职业、地形设定"),
                               QStringLiteral("武器设定"),       QStringLiteral("魔法设定"),
                               QStringLiteral("盾牌、等级系数设定"), QStringLiteral("字符处理"),
                               QStringLiteral("更多表格")};

// Text of an undo or redo entry: the step's label, or the plain entry when there is none.
QString historyText(const QString &verb, const QString &key, const QString &label)
{
    return label.isEmpty() ? verb + QStringLiteral("(&") + key + u')' : verb + u' ' + QString(label).replace(u'&', QStringLiteral("&&"));
}

QWidget *page(const QString &name)
{
    auto *w = new QWidget;
    w->setObjectName(name);
    return w;
}
} // namespace

frmVeskEdit::frmVeskEdit(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent)
    : QMainWindow(parent), m_images(images), m_dialogs(dialogs), m_paths(paths), m_recent(paths),
      m_testPlay(paths), m_journal(paths.journalFolder())
{
    setObjectName(QStringLiteral("frmVeskEdit"));
    setWindowTitle(Caption);

    for (int b = 0; b < 256; ++b)
        HexByteText.append(PadText(QString::number(b, 16).toUpper(), QStringLiteral("0"), 2, true));

    menuFile = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuOpen = menuFile->addAction(QStringLiteral("打开(&O)"), this, &frmVeskEdit::menuOpen_Click);
    menuOpen->setObjectName(QStringLiteral("menuOpen"));
    menuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    menuSave = menuFile->addAction(QStringLiteral("保存(&S)"), this, &frmVeskEdit::menuSave_Click);
    menuSave->setObjectName(QStringLiteral("menuSave"));
    menuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menuPreview = menuFile->addAction(QStringLiteral("查看补丁(&P)..."), this, &frmVeskEdit::menuPreview_Click);
    menuPreview->setObjectName(QStringLiteral("menuPreview"));
    menuApplyPatch = menuFile->addAction(QStringLiteral("应用补丁(&A)..."), this, [this] {
        if (!m_locked)
            applyPatchFromMenu(this, m_images, m_dialogs, [this](const QString &label) {
                statusBar()->showMessage(label.isEmpty() ? QStringLiteral("没有写入任何字节") : QStringLiteral("已") + label);
            });
    });
    menuApplyPatch->setObjectName(QStringLiteral("menuApplyPatch"));
    menuApplyPatch->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    menuExportCartridgePatch = menuFile->addAction(QStringLiteral("导出卡带补丁(&C)..."), this, [this] {
        if (const QString path = m_locked ? QString() : exportCartridgePatch(m_images, m_dialogs); !path.isEmpty())
            statusBar()->showMessage(QStringLiteral("已导出卡带补丁 ") + path);
    });
    menuExportCartridgePatch->setObjectName(QStringLiteral("menuExportCartridgePatch"));
    menuFile->addSeparator();
    menuExportTables = menuFile->addAction(QStringLiteral("导出表格(&X)..."), this, &frmVeskEdit::menuExportTables_Click);
    menuExportTables->setObjectName(QStringLiteral("menuExportTables"));
    menuImportTables = menuFile->addAction(QStringLiteral("导入表格(&I)..."), this, &frmVeskEdit::menuImportTables_Click);
    menuImportTables->setObjectName(QStringLiteral("menuImportTables"));
    menuDescriptions = menuFile->addAction(QStringLiteral("表格描述(&D)..."), this, &frmVeskEdit::showDescriptions);
    menuDescriptions->setObjectName(QStringLiteral("menuDescriptions"));
    menuFile->addSeparator();
    menuRecent = menuFile->addMenu(QStringLiteral("最近打开的文件"));
    menuRecent->setObjectName(QStringLiteral("menuRecent"));
    fillRecentMenu();
    menuFile->addSeparator();
    menuExit = menuFile->addAction(QStringLiteral("退出(&Q)"), this, &frmVeskEdit::menuExit_Click);
    menuExit->setObjectName(QStringLiteral("menuExit"));
    menuEdit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    menuEdit->setObjectName(QStringLiteral("menuEdit"));
    menuUndo = menuEdit->addAction(QStringLiteral("撤销(&U)"), this, &frmVeskEdit::menuUndo_Click);
    menuUndo->setObjectName(QStringLiteral("menuUndo"));
    menuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    menuRedo = menuEdit->addAction(QStringLiteral("重做(&R)"), this, &frmVeskEdit::menuRedo_Click);
    menuRedo->setObjectName(QStringLiteral("menuRedo"));
    menuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    menuEdit->addSeparator();
    menuFind = menuEdit->addAction(QStringLiteral("查找(&F)..."), this, &frmVeskEdit::showFindDialog);
    menuFind->setObjectName(QStringLiteral("menuFind"));
    menuFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menuChanges = menuEdit->addAction(QStringLiteral("修改清单(&L)"), this, &frmVeskEdit::showChanges);
    menuChanges->setObjectName(QStringLiteral("menuChanges"));
    menuChanges->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    menuTestPlay = menuBar()->addMenu(QStringLiteral("试玩(&T)"));
    menuTestPlay->setObjectName(QStringLiteral("menuTestPlay"));
    menuPlay = menuTestPlay->addAction(QStringLiteral("在模拟器中试玩"), this, &frmVeskEdit::menuPlay_Click);
    menuPlay->setObjectName(QStringLiteral("menuPlay"));
    menuPlay->setShortcut(QKeySequence(Qt::Key_F5));
    menuPlaySettings = menuTestPlay->addAction(QStringLiteral("试玩设置..."), this, [this] { frmTestPlay(m_testPlay, this).exec(); });
    menuPlaySettings->setObjectName(QStringLiteral("menuPlaySettings"));
    menuAbout = menuBar()->addAction(QStringLiteral("关于[&A]"));
    menuAbout->setObjectName(QStringLiteral("menuAbout"));
    connect(menuAbout, &QAction::triggered, this, [this] { frmAbout(this).exec(); });

    auto *central = new QWidget(this);
    lblNowFile = new QLabel(QStringLiteral("当前文件"), central);
    lblNowFile->setObjectName(QStringLiteral("lblNowFile"));
    txtNowFileName = new QLineEdit(central);
    txtNowFileName->setObjectName(QStringLiteral("txtNowFileName"));
    txtNowFileName->setReadOnly(true);
    connect(txtNowFileName, &QLineEdit::textChanged, this, &frmVeskEdit::updateCaption);
    lblNowFile->setBuddy(txtNowFileName);

    stabAll = new QTabWidget(central);
    stabAll->setObjectName(QStringLiteral("stabAll"));
    stabAll->setUsesScrollButtons(false);

    hexPage = new HexPage(m_images, m_dialogs, HexByteText);
    hexPage->setObjectName(QStringLiteral("tabAddress"));
    connect(hexPage, &HexPage::lockMainWindow, this, &frmVeskEdit::LockMainWindow);
    connect(hexPage, &HexPage::findRequested, this, &frmVeskEdit::showFindDialog);
    connect(hexPage, &HexPage::describeTableRequested, this, &frmVeskEdit::describeTable);
    stabAll->addTab(hexPage, QStringLiteral("地址编辑"));
    // The other pages are made after the window is first painted (createPages); until then each
    // tab holds an empty page under its caption.
    for (const QString &caption : TabCaptions)
        stabAll->addTab(new QWidget, caption);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(lblNowFile);
    fileRow->addWidget(txtNowFileName, 1);
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(fileRow);
    layout->addWidget(stabAll, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    setAcceptDrops(true);

    timerInit = new QTimer(this);
    timerInit->setObjectName(QStringLiteral("timerInit"));
    timerInit->setSingleShot(true);
    timerInit->setInterval(20);
    connect(timerInit, &QTimer::timeout, this, &frmVeskEdit::timerInit_Timer);

    m_views = {hexPage};

    // The history reports every step; the journal writes it down, the views that keep what they
    // read learn which bytes it wrote, and the caption mark compares with the image as opened.
    m_images.history.changed = [this] { historyChanged(); };
    m_images.history.recorded = [this](EditHistory::Event event, const QString &label,
                                       const std::vector<EditHistory::Change> &changes) {
        startPendingJournal();
        m_journal.record(event, label, changes);
        if (!m_journal.failure().isEmpty() && !m_journalFailureShown) {
            m_journalFailureShown = true;
            statusBar()->showMessage(QStringLiteral("无法写入恢复文件：") + m_journal.failure());
        }
        if (event == EditHistory::Event::Clear)
            return;
        const WrittenBytes written(event, changes);
        for (ImageView *view : m_views)
            view->imageWritten(written);
    };
    // Until the start dialog names the file, the steps start from the image as it is.
    startJournal(JournalBase::Kind::BuiltIn, QString());
    markSaved();
    qApp->installEventFilter(this);

    resize(DefaultSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(windowPosition(screen->geometry(), frameGeometry().size()));
}

void frmVeskEdit::createPages()
{
    if (characterPage)
        return;
    stabField = new QTabWidget;
    stabField->setObjectName(QStringLiteral("stabField"));
    enemyTypePage = new EnemyTypePage(m_images);
    enemyTypePage->setObjectName(QStringLiteral("tabEnemyType"));
    fieldPage = new FieldPage(m_images, m_paths.dataFolder(), stabField, enemyTypePage);
    fieldPage->setObjectName(QStringLiteral("tabFieldArmy"));
    connect(fieldPage, &FieldPage::exportMapRequested, this, &frmVeskEdit::exportMapPicture);
    stabField->addTab(fieldPage, QStringLiteral("战场部队"));
    stabField->addTab(enemyTypePage, QStringLiteral("部队类型"));

    SSTab1 = new QTabWidget;
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    classPage = new ClassPage(m_images);
    classPage->setObjectName(QStringLiteral("tabClass"));
    SSTab1->addTab(classPage, QStringLiteral("职业基础能力"));
    classChangePage = new ClassChangePage(m_images);
    classChangePage->setObjectName(QStringLiteral("tabClassChange"));
    SSTab1->addTab(classChangePage, QStringLiteral("职业转换"));
    terrainPage = new TerrainPage(m_images, m_dialogs, m_paths);
    terrainPage->setObjectName(QStringLiteral("tabTerrain"));
    SSTab1->addTab(terrainPage, QStringLiteral("地形效果"));

    auto nested = [](const QString &name, QTabWidget *tabs) {
        QWidget *w = page(name);
        auto *l = new QVBoxLayout(w);
        l->addWidget(tabs);
        return w;
    };
    stringPage = new StringPage;
    stringPage->setObjectName(QStringLiteral("tabString"));

    characterPage = new CharacterPage(m_images);
    characterPage->setObjectName(QStringLiteral("tabCharacter"));
    weaponPage = new ItemPage(m_images, ItemPage::Kind::Weapons);
    weaponPage->setObjectName(QStringLiteral("tabWeapon"));
    magicPage = new ItemPage(m_images, ItemPage::Kind::Spells);
    magicPage->setObjectName(QStringLiteral("tabMagic"));
    shieldPage = new ShieldPage(m_images);
    shieldPage->setObjectName(QStringLiteral("tabShield"));
    userTablePage = new UserTablePage(m_images, GameData::descriptionFolder(m_paths.writableFolder()));
    userTablePage->setObjectName(QStringLiteral("tabUserTables"));
    QWidget *const pages[] = {characterPage, nested(QStringLiteral("tabField"), stabField),
                              nested(QStringLiteral("tabClassTerrain"), SSTab1), weaponPage, magicPage, shieldPage,
                              stringPage, userTablePage};
    for (int i = 0; i < int(std::size(pages)); ++i) {
        QWidget *empty = stabAll->widget(i + 1);
        stabAll->removeTab(i + 1);
        stabAll->insertTab(i + 1, pages[i], TabCaptions[i]);
        delete empty;
    }

    m_views = {hexPage,
               characterPage->editor,
               classPage->editor,
               weaponPage->editor,
               magicPage->editor,
               shieldPage->editor,
               shieldPage->levelFrame,
               classChangePage,
               terrainPage,
               enemyTypePage,
               fieldPage,
               userTablePage};

    fieldPage->setExtraRoom((size() - DefaultSize).expandedTo(QSize(0, 0)));
}

frmVeskEdit::~frmVeskEdit()
{
    m_images.history.changed = nullptr;
    m_images.history.recorded = nullptr;
}

void frmVeskEdit::startJournal(const JournalBase &base)
{
    m_pendingJournal.reset();
    m_journal.start(base);
}

void frmVeskEdit::startJournal(JournalBase::Kind kind, const QString &path)
{
    m_pendingJournal = PendingJournal{kind, path, m_images.WorkImage};
    QTimer::singleShot(0, this, &frmVeskEdit::startPendingJournal);
}

void frmVeskEdit::startPendingJournal()
{
    if (!m_pendingJournal)
        return;
    const PendingJournal pending = *std::exchange(m_pendingJournal, std::nullopt);
    m_journal.start(JournalBase::of(pending.kind, pending.path, pending.image));
    if (pending.kind == JournalBase::Kind::File) {
        m_recent.add(pending.path);
        fillRecentMenu();
    }
}

void frmVeskEdit::continueJournal(JournalOffer offer, const QByteArray &base)
{
    m_pendingJournal.reset();
    m_journal.adopt(std::move(offer));
    m_savedImage = base;
    historyChanged();
}

void frmVeskEdit::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The map viewport takes whatever the window has beyond its default size.
    if (fieldPage)
        fieldPage->setExtraRoom((event->size() - DefaultSize).expandedTo(QSize(0, 0)));
}

QPoint frmVeskEdit::windowPosition(const QRect &screen, const QSize &window)
{
    const int x = screen.x() + (screen.width() - window.width()) / 2;
    const int y = screen.height() > 600 ? screen.y() + (screen.height() - window.height()) / 2 : screen.y();
    return QPoint(x, y);
}

void frmVeskEdit::LoadPristineImage()
{
    m_images.PristineImage.clear();
    m_images.PristineImage = loadBuiltInImage();
}

frmFind *frmVeskEdit::findDialog()
{
    if (!m_find)
        m_find = new frmFind(m_images, m_dialogs, *hexPage, this);
    return m_find;
}

frmChanges *frmVeskEdit::changesWindow()
{
    if (!m_changes) {
        m_changes = new frmChanges(m_images, m_dialogs, frmChanges::Mode::Live, this);
        m_changes->addActions({menuUndo, menuRedo}); // their shortcuts work while the list is active
        connect(m_changes, &frmChanges::placeChosen, this, &frmVeskEdit::showPlace);
    }
    return m_changes;
}

frmChanges *frmVeskEdit::previewWindow() const
{
    return m_preview;
}

void frmVeskEdit::showChanges()
{
    frmChanges *f = changesWindow();
    f->show();
    f->raise();
    f->activateWindow();
}

void frmVeskEdit::menuPreview_Click()
{
    if (m_locked)
        return;
    const QString path = m_dialogs.openFileName(QStringLiteral("查看补丁"),
                                                QStringLiteral("补丁或卡带文件(*.txt *.ips *.bps *.nes)|*.txt;*.ips;*.bps;*.nes"),
                                                QString());
    if (path.isEmpty())
        return;
    // The readers apply the file to the built-in executable in a scratch set of images.
    ByteImages scratch;
    scratch.PristineImage = m_images.PristineImage;
    if (fileKind(path) == FileKind::Executable || fileKind(path) == FileKind::Other || !loadFile(scratch, path, m_dialogs))
        return;
    if (!m_preview) {
        m_preview = new frmChanges(m_images, m_dialogs, frmChanges::Mode::Preview, this);
        connect(m_preview, &frmChanges::openRequested, this, [this](const QString &file) {
            const QString path = file; // the preview may show another file by the time it opens
            if (m_locked || !offerToSave())
                return;
            if (openFile(path))
                m_preview->close();
        });
    }
    m_preview->showPreview(path, m_images.PristineImage, scratch.WorkImage);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void frmVeskEdit::menuExportTables_Click()
{
    if (m_locked)
        return;
    const QString folder = m_dialogs.folderName(QStringLiteral("导出表格"), m_tableFolder);
    if (folder.isEmpty())
        return;
    m_tableFolder = folder;
    const GameData::Catalogue catalogue(m_images.WorkImage, m_images.PristineImage);
    const QString fault = TableFiles::writeTables(folder, catalogue, m_images.WorkImage);
    if (!fault.isEmpty()) {
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), fault);
        return;
    }
    statusBar()->showMessage(QStringLiteral("已导出表格到 ") + QDir::toNativeSeparators(folder));
}

void frmVeskEdit::menuImportTables_Click()
{
    if (m_locked)
        return;
    const QStringList files =
        m_dialogs.openFileNames(QStringLiteral("导入表格"), QStringLiteral("CSV 表格(*.csv)|*.csv"), m_tableFolder);
    if (files.isEmpty())
        return;
    m_tableFolder = QFileInfo(files.constFirst()).path();
    const GameData::Catalogue catalogue(m_images.WorkImage, m_images.PristineImage);
    const TableFiles::Import import = TableFiles::importFiles(m_images, catalogue, files);
    if (!import.ok()) {
        QStringList lines;
        for (const TableFiles::Problem &problem : import.problems)
            lines.append(problem.text());
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("导入失败，没有写入"), lines.join(u'\n'));
        return;
    }
    if (import.writes.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("表格与当前内容相同，没有写入"));
        return;
    }
    statusBar()->showMessage(QStringLiteral("已") + import.label);
}

void frmVeskEdit::showPlace(qint64 offset)
{
    using namespace GameData;
    createPages();
    const Catalogue catalogue(m_images.WorkImage, m_images.PristineImage);
    const auto place = catalogue.at(offset);
    const int record = place ? int(place->record - place->table->records.constData()) : -1;
    const int field = place ? place->slot->field : -1;
    const auto inClassTab = [this](QWidget *page) {
        stabAll->setCurrentWidget(SSTab1->parentWidget());
        SSTab1->setCurrentWidget(page);
    };
    const auto inFieldTab = [this](QWidget *page) {
        stabAll->setCurrentWidget(stabField->parentWidget());
        stabField->setCurrentWidget(page);
    };
    activateWindow();
    switch (place ? place->table->id : TableCount) {
    case Characters:
        stabAll->setCurrentWidget(characterPage);
        characterPage->editor->showField(record, field);
        return;
    case Classes:
        inClassTab(classPage);
        classPage->editor->showField(record, field);
        return;
    case Weapons:
    case Spells: {
        ItemPage *page = place->table->id == Weapons ? weaponPage : magicPage;
        stabAll->setCurrentWidget(page);
        page->editor->showField(record, field);
        return;
    }
    case Shields:
        stabAll->setCurrentWidget(shieldPage);
        shieldPage->editor->showField(record, field);
        return;
    case ClassChanges:
        inClassTab(classChangePage);
        classChangePage->showCell(record + 1, field);
        return;
    case LevelCoefficients:
        stabAll->setCurrentWidget(shieldPage);
        shieldPage->levelFrame->showLevel(record + 1);
        return;
    case TerrainEffects:
        inClassTab(terrainPage);
        terrainPage->showCell(record + 1, field + 1);
        return;
    case EnemyTypes:
        inFieldTab(enemyTypePage);
        enemyTypePage->showField(record + 1, field);
        return;
    case Units:
        inFieldTab(fieldPage);
        if (fieldPage->showUnit(place->record->number, place->record->item, field))
            return;
        break;
    case Positions:
        inFieldTab(fieldPage);
        fieldPage->showWar(place->record->number);
        return;
    case Maps:
        inFieldTab(fieldPage);
        if (fieldPage->showBattlefield(place->record->number))
            return;
        break;
    case UserTable:
        stabAll->setCurrentWidget(userTablePage);
        userTablePage->showField(place->table->key, record, field);
        return;
    default:
        break;
    }
    stabAll->setCurrentWidget(hexPage);
    hexPage->GotoAddress(QString::number(offset, 16), false);
}

void frmVeskEdit::showFindDialog()
{
    if (m_locked)
        return;
    stabAll->setCurrentWidget(hexPage); // where the bytes found are shown
    const bool first = !m_find;
    frmFind *f = findDialog();
    if (first) {
        // The first time beside the bytes, level with the grid's top, inside the screen.
        f->adjustSize();
        const QWidget *grid = hexPage->msfFileContent;
        QPoint at = grid->mapToGlobal(QPoint(grid->width() + 8, 0));
        if (const QScreen *screen = this->screen()) {
            const QRect room = screen->availableGeometry();
            at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - f->frameGeometry().width())));
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - f->frameGeometry().height())));
        }
        f->move(at);
    }
    f->show();
    f->raise();
    f->activateWindow();
}

void frmVeskEdit::GotoAddress(const QString &strAddress, bool blnTopRow)
{
    hexPage->GotoAddress(strAddress, blnTopRow);
}

void frmVeskEdit::SetCellColor(qint64 lngAddress, quint32 lngColor)
{
    hexPage->SetCellColor(lngAddress, lngColor);
}

void frmVeskEdit::LockMainWindow(bool lock)
{
    // Disabling the tabs takes the focus away; give it back afterwards.
    if (lock)
        m_focusBeforeLock = focusWidget();
    m_locked = lock;
    stabAll->setEnabled(!lock);
    menuOpen->setEnabled(!lock);
    menuSave->setEnabled(!lock);
    menuRecent->setEnabled(!lock);
    menuFind->setEnabled(!lock);
    menuPreview->setEnabled(!lock);
    menuApplyPatch->setEnabled(!lock);
    menuExportCartridgePatch->setEnabled(!lock);
    menuExportTables->setEnabled(!lock);
    menuImportTables->setEnabled(!lock);
    menuDescriptions->setEnabled(!lock);
    historyChanged();
    if (!lock && m_focusBeforeLock)
        m_focusBeforeLock->setFocus();
}

void frmVeskEdit::timerInit_Timer()
{
    timerInit->stop(); // runs once, even when the fill lets the event loop turn
    // The window is shown painted before the sequence fills it (a display may expose it later
    // than the timer's 20 ms); a window never painted waits half a second at most.
    constexpr int MostWaits = 25;
    if (sender() == timerInit && isVisible() && !m_painted && ++m_paintWaits < MostWaits) {
        timerInit->start();
        return;
    }
    createPages();
    hexPage->msfFileContent->setFocus();
    LoadPristineImage();
    hexPage->FillHexGrid(m_images.WorkImage);
    FillClassList();
    FillWeaponList();
    FillMagicList();
    FillShieldList();
    characterPage->SelectFirstCharacter();
    InitEnemyTypeTable();
    CreateArmyList();
    FillBattlefieldList();
    classChangePage->FillClassChangeGrid();
    terrainPage->FillTerrainEffectGrid();
}

void frmVeskEdit::FillClassList()
{
    classPage->editor->fillList(GetResString(0));
}

void frmVeskEdit::FillWeaponList()
{
    weaponPage->editor->fillList(GetResString(1));
}

void frmVeskEdit::FillMagicList()
{
    magicPage->editor->fillList(GetResString(2));
}

void frmVeskEdit::FillShieldList()
{
    shieldPage->editor->fillList(GetResString(3));
    shieldPage->levelFrame->FillLevelCoefficientGrid();
}

void frmVeskEdit::InitEnemyTypeTable()
{
    enemyTypePage->InitEnemyTypeTable();
    fieldPage->fillEditSelectors(*enemyTypePage->enemyType());
}

void frmVeskEdit::CreateArmyList()
{
    fieldPage->CreateArmyList();
}

void frmVeskEdit::FillBattlefieldList()
{
    fieldPage->FillBattlefieldList();
}

void frmVeskEdit::refreshViews(bool keepPlaces)
{
    createPages();
    hexPage->FillHexGrid(m_images.WorkImage);
    characterPage->lstCharacter_Click();
    CreateArmyList(); // unit kinds and addresses of the new image
    fieldPage->timerField_Timer();
    enemyTypePage->RefreshEnemyTypeGrid(keepPlaces);
    classPage->lstWorkName_Click();
    classChangePage->RefillClassChangeGrid();
    terrainPage->FillTerrainEffectGrid(keepPlaces);
    weaponPage->refresh();
    magicPage->refresh();
    shieldPage->lstShield_Click();
    shieldPage->levelFrame->FillLevelCoefficientGrid();
    userTablePage->fillTables();
}

QVector<GameData::Description> frmVeskEdit::reloadDescriptions()
{
    const QVector<GameData::Description> files = GameData::loadDescriptions(
        GameData::descriptionFolder(m_paths.writableFolder()), GameData::extraDescriptionFiles());
    refreshViews(true);
    return files;
}

frmDescriptions *frmVeskEdit::descriptionsWindow()
{
    if (!m_descriptions)
        m_descriptions = new frmDescriptions(m_dialogs, GameData::descriptionFolder(m_paths.writableFolder()),
                                             [this] { return reloadDescriptions(); }, this);
    return m_descriptions;
}

void frmVeskEdit::showDescriptions()
{
    frmDescriptions *w = descriptionsWindow();
    w->fill(GameData::lastDescriptions());
    w->show();
    w->raise();
    w->activateWindow();
}

void frmVeskEdit::describeTable(qint64 first, qint64 length)
{
    auto *dialog = new frmDescribeTable(m_images.WorkImage, first, length, m_dialogs,
                                        GameData::descriptionFolder(m_paths.writableFolder()),
                                        [this] { reloadDescriptions(); }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

QString frmVeskEdit::askFileName(bool save)
{
    const QString start = m_fileName.isEmpty() ? DefaultFileName : m_fileName;
    const QString path = save ? m_dialogs.saveFileName(QStringLiteral("保存文件"), FileDialogFilter, start)
                              : m_dialogs.openFileName(QStringLiteral("打开文件"), FileDialogFilter, start);
    if (!path.isEmpty())
        m_fileName = path; // the dialog keeps the last name chosen
    return path;
}

bool frmVeskEdit::isModified() const
{
    return m_images.WorkImage != m_savedImage;
}

void frmVeskEdit::markSaved(const QByteArray &saved)
{
    m_savedImage = saved;
    historyChanged();
}

void frmVeskEdit::historyChanged()
{
    const EditHistory &h = m_images.history;
    menuUndo->setText(historyText(QStringLiteral("撤销"), QStringLiteral("U"), h.undoLabel()));
    menuRedo->setText(historyText(QStringLiteral("重做"), QStringLiteral("R"), h.redoLabel()));
    menuUndo->setEnabled(h.canUndo() && !m_locked);
    menuRedo->setEnabled(h.canRedo() && !m_locked);
    updateCaption();
    if (!isModified())
        m_journal.restart(h);
    if (m_changes)
        m_changes->refresh();
}

void frmVeskEdit::updateCaption()
{
    // An image from a cartridge file holds the built-in bytes around it: the caption says so.
    const QString file = txtNowFileName->text();
    const QString source = fileKind(file) == FileKind::Cartridge
        ? QStringLiteral(" - %1（卡带文件）").arg(QFileInfo(file).fileName())
        : QString();
    setWindowTitle(Caption + source + (isModified() ? QStringLiteral(" *") : QString()));
}

void frmVeskEdit::menuUndo_Click()
{
    if (m_locked || !m_images.history.canUndo())
        return;
    QWidget *focus = focusWidget();
    afterHistoryStep(m_images.history.undo(m_images.WorkImage), focus);
}

void frmVeskEdit::menuRedo_Click()
{
    if (m_locked || !m_images.history.canRedo())
        return;
    QWidget *focus = focusWidget();
    afterHistoryStep(m_images.history.redo(m_images.WorkImage), focus);
}

void frmVeskEdit::afterHistoryStep(const std::vector<quint32> &offsets, QWidget *focus)
{
    // Every view has shown what the step touched. The hex grid shows the byte that changed,
    // whichever tab the step was made on.
    if (!offsets.empty())
        hexPage->GotoAddress(QString::number(offsets.front(), 16), false);
    if (focus && focus->isVisible())
        focus->setFocus();
}

bool frmVeskEdit::offerToSave()
{
    if (!isModified())
        return true;
    switch (m_dialogs.askSave(QStringLiteral("保存修改"), QStringLiteral("当前修改尚未保存，是否保存？"))) {
    case Dialogs::Answer::Save:
        return menuSave_Click() && !isModified(); // an export (.nes) leaves the work unsaved
    case Dialogs::Answer::DontSave:
        return true;
    default:
        return false;
    }
}

void frmVeskEdit::menuOpen_Click()
{
    if (!offerToSave())
        return;
    const QString path = askFileName(false);
    if (!path.isEmpty())
        openFile(path);
}

bool frmVeskEdit::openFile(const QString &path)
{
    if (!loadFile(m_images, path, m_dialogs))
        return false;
    const int shown = stabAll->currentIndex();
    stabAll->setCurrentIndex(0);
    txtNowFileName->setText(path);
    if (m_changes)
        m_changes->setOpenedImage(m_images.WorkImage);
    refreshViews();
    stabAll->setCurrentIndex(shown);
    markSaved();
    startJournal(JournalBase::of(JournalBase::Kind::File, path, m_images.WorkImage));
    fileDone(path, openedMessage(path));
    return true;
}

void frmVeskEdit::fileDone(const QString &path, const QString &status)
{
    m_recent.add(path);
    fillRecentMenu();
    statusBar()->showMessage(status);
}

void frmVeskEdit::fillRecentMenu()
{
    menuRecent->clear();
    const QStringList files = m_recent.files();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        const QString kind = fileKind(path) == FileKind::Cartridge ? QStringLiteral("（卡带文件）") : QString();
        QAction *a = menuRecent->addAction(
            QStringLiteral("&%1 %2%3").arg(i + 1).arg(QString(path).replace(u'&', QStringLiteral("&&")), kind));
        a->setObjectName(QStringLiteral("menuRecent_%1").arg(i));
        connect(a, &QAction::triggered, this, [this, path] {
            if (!m_locked && offerToSave())
                openFile(path);
        });
    }
    if (files.isEmpty())
        menuRecent->addAction(QStringLiteral("（无）"))->setEnabled(false);
}

void frmVeskEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_locked && !draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmVeskEdit::dropEvent(QDropEvent *event)
{
    const QString path = draggedFile(event->mimeData());
    if (m_locked || path.isEmpty())
        return;
    event->acceptProposedAction();
    if (offerToSave())
        openFile(path);
}

void frmVeskEdit::exportMapPicture()
{
    const QString path = m_dialogs.saveFileName(QStringLiteral("导出地图图片"), QStringLiteral("PNG 图片 (*.png)|*.png"),
                                                fieldPage->txtFieldInfo->text().section(u' ', 0, 0) + QStringLiteral(".png"));
    if (path.isEmpty())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString why = QDir::toNativeSeparators(path); // the picture itself may fail
    if (!fieldPage->mapPicture().save(&buffer, "PNG") || !writeWholeFile(path, png, &why)) {
        saveFailed(why);
        return;
    }
    statusBar()->showMessage(QStringLiteral("已保存 ") + path);
}

void frmVeskEdit::saveFailed(const QString &why)
{
    m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), saveFailedText(why));
}

bool frmVeskEdit::menuSave_Click()
{
    const QString path = askFileName(true);
    if (path.isEmpty())
        return false;
    const FileKind kind = fileKind(path);
    if (kind == FileKind::Executable) {
        QString why;
        if (!writeWholeFile(path, m_images.WorkImage, &why)) {
            saveFailed(why);
            return false;
        }
        markSaved();
        m_pendingJournal.reset();
        m_journal.start(JournalBase::of(JournalBase::Kind::File, path, m_images.WorkImage), &m_images.history);
        fileDone(path, QStringLiteral("已保存 ") + path);
        const QString lastFile = m_paths.lastFile();
        CheckPath(QFileInfo(lastFile).path(), true, true, false);
        if (!writeWholeFile(lastFile, m_images.WorkImage, &why))
            saveFailed(why);
        return true;
    }
    if (kind == FileKind::Cartridge) {
        // An export: the bytes outside the cartridge are not in the file, so the image stays as
        // modified as it was, and LastFile.dat as it was.
        QString why;
        if (!writeWholeFile(path, cartridgeOf(m_images.WorkImage), &why)) {
            saveFailed(why);
            return false;
        }
        fileDone(path, QStringLiteral("已导出 %1（卡带文件）").arg(path));
        return true;
    }
    if (kind != FileKind::Other) {
        // A change list of the cartridge bytes, or a patch of the whole executable.
        QByteArray list;
        if (kind == FileKind::ChangeList ? !BuildChangeList(m_images, list, QFileInfo(path).fileName(), m_dialogs)
                                         : !BuildPatch(m_images, kind, list, m_dialogs))
            return false;
        QString why;
        if (!writeWholeFile(path, list, &why)) {
            saveFailed(why);
            return false;
        }
        // A change list holds the cartridge only: the bytes it leaves out stay unsaved, and the
        // journal holds them beyond what the list gives.
        QByteArray saved = kind == FileKind::ChangeList ? m_images.PristineImage : m_images.WorkImage;
        if (kind == FileKind::ChangeList)
            applyChangeList(list, saved);
        const std::vector<EditHistory::Change> outside = changesBetween(saved, m_images.WorkImage);
        markSaved(saved);
        m_pendingJournal.reset();
        m_journal.start(JournalBase::of(JournalBase::Kind::File, path, saved), &m_images.history, outside);
        fileDone(path, QStringLiteral("已保存 ") + path +
                           (outside.empty() ? QString() : QStringLiteral("。") + outsideCartridgeText(qsizetype(outside.size()))));
        return true;
    }
    return false;
}

void frmVeskEdit::menuPlay_Click()
{
    const auto noEmulator = [this] {
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"),
                          QStringLiteral("没有找到模拟器。请安装 fceux、nestopia 或 mednafen，或在“试玩设置”中填写模拟器命令。"));
    };
    const QString command = m_testPlay.effectiveCommand();
    if (TestPlay::splitWords(command).isEmpty()) {
        noEmulator();
        return;
    }
    if (!hasNesHeader(m_images.WorkImage.mid(CartridgeStart, 4)) &&
        !m_dialogs.confirm(QStringLiteral("试玩"), QStringLiteral("卡带文件头不是 NES 格式，模拟器可能无法读取。仍要试玩吗？")))
        return;
    const QString unsaved = isModified() ? QStringLiteral("（含未保存的修改）") : QString();
    m_testPlay.startInBackground(command, m_images.WorkImage, this, [this, noEmulator, unsaved](const TestPlay::Result &played) {
        switch (played.outcome) {
        case TestPlay::Result::Outcome::Started:
            statusBar()->showMessage(QStringLiteral("已在 %1 中试玩").arg(played.program) + unsaved);
            break;
        case TestPlay::Result::Outcome::WriteFailed:
            saveFailed(played.reason);
            break;
        case TestPlay::Result::Outcome::StartFailed:
            m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"),
                              QStringLiteral("无法启动模拟器 %1：%2").arg(played.program, played.reason));
            break;
        case TestPlay::Result::Outcome::NoEmulator:
            noEmulator();
            break;
        }
    });
}

void frmVeskEdit::menuExit_Click()
{
    close();
}

void frmVeskEdit::closeEvent(QCloseEvent *event)
{
    if (!offerToSave()) {
        event->ignore();
        return;
    }
    qApp->removeEventFilter(this);
    m_images.history.changed = nullptr;
    m_images.history.recorded = nullptr;
    m_journal.discard();
    m_images.clear();
    if (m_find)
        m_find->close();
    if (m_changes)
        m_changes->close();
    if (m_preview)
        m_preview->close();
    event->accept();
}

bool frmVeskEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_painted && event->type() == QEvent::Paint && watched->isWidgetType() &&
        (watched == this || isAncestorOf(static_cast<QWidget *>(watched))))
        m_painted = true;
    // Ctrl+Z and Ctrl+Y belong to a text box only while its text differs from what the editor
    // last put there (the editor's setText clears the box's own history); otherwise, and once
    // the typing is undone, they reach the image history.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            menuRedo->shortcuts().contains(QKeySequence(key->keyCombination()))) {
            const auto *line = qobject_cast<QLineEdit *>(watched);
            const auto *text = qobject_cast<QPlainTextEdit *>(watched);
            const bool typed = (line && line->isUndoAvailable()) ||
                               (text && !text->isReadOnly() && text->document()->isUndoAvailable());
            if ((line || text) && !typed && isAncestorOf(static_cast<QWidget *>(watched)))
                return true; // not taken by the box: the window's shortcut runs
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
