#include "app/frmstart.h"

#include "app/frmabout.h"
#include "app/frmveskedit.h"
#include "app/openfile.h"
#include "app/recentfiles.h"
#include "app/recovery.h"
#include "app/startup.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

frmStart::frmStart(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent)
    : QWidget(parent, Qt::Window), m_images(images), m_dialogs(dialogs), m_paths(paths)
{
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QStringLiteral("苍岚战记外传 EMU + ROM 修改器"));

    auto *bar = new QMenuBar(this);
    menuAbout = bar->addAction(QStringLiteral("关于[&A]"));
    menuAbout->setObjectName(QStringLiteral("menuAbout"));
    connect(menuAbout, &QAction::triggered, this, [this] { frmAbout(this).exec(); });

    frameChoice = new QGroupBox(QStringLiteral("请选择操作"), this);
    frameChoice->setObjectName(QStringLiteral("frameChoice"));
    auto makeButton = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, frameChoice);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumHeight(34);
        return b;
    };
    btnOpenNewFile = makeButton("btnOpenNewFile", QStringLiteral("打开新的文件[&N]"));
    btnOpenLastFile = makeButton("btnOpenLastFile", QStringLiteral("打开最后一次保存的内容[&L]"));
    btnOpenSystem = makeButton("btnOpenSystem", QStringLiteral("打开自带&Rom文件"));
    btnExit = makeButton("btnExit", QStringLiteral("退      出[&X]"));
    connect(btnOpenNewFile, &QPushButton::clicked, this, &frmStart::btnOpenNewFile_Click);
    connect(btnOpenLastFile, &QPushButton::clicked, this, &frmStart::btnOpenLastFile_Click);
    connect(btnOpenSystem, &QPushButton::clicked, this, &frmStart::btnOpenSystem_Click);
    connect(btnExit, &QPushButton::clicked, this, &frmStart::btnExit_Click);

    auto *frameLayout = new QVBoxLayout(frameChoice);
    frameLayout->setSpacing(10);
    for (QPushButton *b : {btnOpenNewFile, btnOpenLastFile, btnOpenSystem, btnExit})
        frameLayout->addWidget(b);
    frameRecovery = new QGroupBox(QStringLiteral("未保存的修改"), this);
    frameRecovery->setObjectName(QStringLiteral("frameRecovery"));
    lblRecovery = new QLabel(frameRecovery);
    lblRecovery->setObjectName(QStringLiteral("lblRecovery"));
    lblRecovery->setWordWrap(true);
    btnRecover = new QPushButton(QStringLiteral("恢复未保存的修改"), frameRecovery);
    btnRecover->setObjectName(QStringLiteral("btnRecover"));
    btnRecover->setMinimumHeight(34);
    btnDiscardRecovery = new QPushButton(QStringLiteral("放弃"), frameRecovery);
    btnDiscardRecovery->setObjectName(QStringLiteral("btnDiscardRecovery"));
    btnDiscardRecovery->setMinimumHeight(34);
    connect(btnRecover, &QPushButton::clicked, this, &frmStart::btnRecover_Click);
    connect(btnDiscardRecovery, &QPushButton::clicked, this, &frmStart::btnDiscardRecovery_Click);
    auto *recoveryButtons = new QHBoxLayout;
    recoveryButtons->addWidget(btnRecover, 1);
    recoveryButtons->addWidget(btnDiscardRecovery);
    auto *recoveryLayout = new QVBoxLayout(frameRecovery);
    recoveryLayout->addWidget(lblRecovery);
    recoveryLayout->addLayout(recoveryButtons);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->setContentsMargins(16, 12, 16, 16);
    layout->addWidget(frameRecovery);
    layout->addWidget(frameChoice);
    QStringList damaged;
    m_offers = findOrphanJournals(m_paths.journalFolder(), &damaged);
    for (const QString &text : damaged)
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("恢复文件"), text);
    showRecoveryOffer();
    resize(380, frameRecovery->isHidden() ? 260 : 380);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    setAcceptDrops(true);
    StartResult = 3;
    btnOpenLastFile->setEnabled(CheckPath(lastFilePath(), false, false, false));
}

void frmStart::showRecoveryOffer()
{
    frameRecovery->setHidden(m_offers.empty());
    if (!m_offers.empty())
        lblRecovery->setText(recoveryText(m_offers.front()));
}

void frmStart::btnRecover_Click()
{
    if (m_offers.empty())
        return;
    const std::optional<Recovered> recovered = recoverJournal(m_offers.front(), m_images, m_dialogs);
    if (!recovered) {
        if (!QFile::exists(m_offers.front().path)) { // moved aside: not offered again
            m_offers.erase(m_offers.begin());
            showRecoveryOffer();
        }
        return;
    }
    StartResult = 4;
    CurrentFileText = recovered->fileText;
    m_recoveredBase = recovered->base;
    m_recovered = std::move(m_offers.front());
    m_offers.erase(m_offers.begin());
    close();
}

void frmStart::btnDiscardRecovery_Click()
{
    if (m_offers.empty())
        return;
    m_offers.front().discard();
    m_offers.erase(m_offers.begin());
    showRecoveryOffer();
}

std::pair<JournalBase::Kind, QString> frmStart::journalSource() const
{
    if (StartResult == 1 && !m_lastFileUsed.isEmpty())
        return {JournalBase::Kind::LastFile, m_lastFileUsed};
    if (StartResult == 2)
        return {JournalBase::Kind::File, CurrentFileText};
    return {JournalBase::Kind::BuiltIn, QString()};
}

frmVeskEdit *frmStart::mainWindow() const
{
    return m_mainWindow.data();
}

QString frmStart::lastFilePath() const
{
    return m_paths.lastFile();
}

void frmStart::btnOpenSystem_Click()
{
    StartResult = 0;
    m_images.OpenedImage = loadBuiltInImage();
    m_images.load(m_images.OpenedImage);
    CurrentFileText = QStringLiteral("自带Rom文件");
    close();
}

void frmStart::btnOpenLastFile_Click()
{
    StartResult = 1;
    QByteArray bytes;
    if (CheckPath(lastFilePath(), false, false, false)) {
        // Only an image of the one size the editor knows; a longer one would be saved as it is.
        const std::optional<QByteArray> last = readExecutable(lastFilePath(), m_dialogs);
        if (!last) {
            StartResult = 3;
            return;
        }
        bytes = *last;
        CurrentFileText = QStringLiteral("上次保存的内容");
        m_lastFileUsed = lastFilePath();
    } else {
        bytes = loadBuiltInImage();
        CurrentFileText = QStringLiteral("自带Rom文件");
    }
    m_images.OpenedImage = bytes;
    m_images.load(bytes);
    close();
}

void frmStart::btnOpenNewFile_Click()
{
    const QString path = m_dialogs.openFileName(QStringLiteral("打开文件"), FileDialogFilter, m_fileName);
    if (path.isEmpty()) {
        StartResult = 3;
        return;
    }
    m_fileName = path;
    openFile(path);
}

bool frmStart::openFile(const QString &path)
{
    StartResult = 2;
    if (!loadFile(m_images, path, m_dialogs)) {
        StartResult = 3;
        return false;
    }
    m_images.OpenedImage = m_images.WorkImage;
    CurrentFileText = path;
    close();
    return true;
}

void frmStart::dragEnterEvent(QDragEnterEvent *event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmStart::dropEvent(QDropEvent *event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
}

void frmStart::btnExit_Click()
{
    StartResult = 3;
    close();
}

void frmStart::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    if (StartResult == 3) {
        m_images.OpenedImage.clear();
        m_images.WorkImage.clear();
        emit programEnd();
        return;
    }
    // Journals not chosen stay for the next start.
    m_offers.clear();
    QString status = StartResult == 2 ? openedMessage(CurrentFileText) : QString();
    if (m_recovered)
        status = QStringLiteral("已恢复 %1 步未保存的修改").arg(m_recovered->contents.entries.size());
    frmVeskEdit *w = showMainWindow(m_images, m_dialogs, m_paths, CurrentFileText, status);
    if (m_recovered) {
        w->continueJournal(std::move(*m_recovered), m_recoveredBase);
    } else {
        const auto [kind, path] = journalSource();
        w->startJournal(kind, path);
    }
    m_mainWindow = w;
}
