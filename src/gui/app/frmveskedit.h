#pragma once

#include "app/recentfiles.h"
#include "gamedata/descriptions.h"
#include "app/testplay.h"
#include "image/byteimages.h"
#include "image/editorpaths.h"
#include "image/imageview.h"
#include "image/journal.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class Dialogs;
class CharacterPage;
class EnemyTypePage;
class FieldPage;
class ClassChangePage;
class ClassPage;
class HexPage;
class ItemPage;
class ShieldPage;
class StringPage;
class TerrainPage;
class UserTablePage;
class frmChanges;
class frmDescriptions;
class frmFind;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTimer;

// The main window: current-file box, File and About menus, and every editor on the tabs of
// stabAll. Its one-shot timer runs the start-up sequence after the window is painted.
class frmVeskEdit : public QMainWindow {
    Q_OBJECT
public:
    frmVeskEdit(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent = nullptr);
    ~frmVeskEdit() override;

    static constexpr QSize DefaultSize = QSize(1024, 720); // the window as it opens

    // Top-left corner of a window of the given size on a screen: centred horizontally, and
    // vertically too unless the screen is 600 pixels high or less.
    static QPoint windowPosition(const QRect &screen, const QSize &window);

    QStringList HexByteText; // "00" .. "FF"

    QLabel *lblNowFile;
    QLineEdit *txtNowFileName;
    QMenu *menuFile;
    QAction *menuOpen;
    QAction *menuSave;
    QAction *menuPreview; // "查看补丁(&P)..."
    QAction *menuApplyPatch; // "应用补丁(&A)...", onto the work in hand
    QAction *menuExportCartridgePatch; // "导出卡带补丁(&C)..."
    QAction *menuExportTables; // "导出表格(&X)..."
    QAction *menuImportTables; // "导入表格(&I)..."
    QAction *menuDescriptions; // "表格描述(&D)..."
    QMenu *menuRecent; // menuRecent_0 .. the most recent file first
    QAction *menuExit;
    QMenu *menuEdit;
    QAction *menuUndo;
    QAction *menuRedo;
    QAction *menuFind;
    QAction *menuChanges; // "修改清单(&L)"
    QMenu *menuTestPlay;  // "试玩(&T)"
    QAction *menuPlay;    // "在模拟器中试玩" (F5)
    QAction *menuPlaySettings;
    QAction *menuAbout;
    QTabWidget *stabAll;
    QTabWidget *stabField = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QTimer *timerInit;
    HexPage *hexPage;
    StringPage *stringPage = nullptr;
    UserTablePage *userTablePage = nullptr; // "更多表格"
    CharacterPage *characterPage = nullptr;
    ClassPage *classPage = nullptr;
    ItemPage *weaponPage = nullptr;
    ItemPage *magicPage = nullptr;
    ShieldPage *shieldPage = nullptr;
    ClassChangePage *classChangePage = nullptr;
    TerrainPage *terrainPage = nullptr;
    FieldPage *fieldPage = nullptr;
    EnemyTypePage *enemyTypePage = nullptr;

    // The find dialog, created the first time it is shown.
    frmFind *findDialog();
    // The change list, created the first time it is shown; and the last patch previewed.
    frmChanges *changesWindow();
    frmChanges *previewWindow() const;
    void showChanges();
    // The manager of the users' description files, created the first time it is shown.
    frmDescriptions *descriptionsWindow();
    void showDescriptions();
    // "描述为表格" over bytes chosen in the hex grid, shown without blocking the test or caller.
    void describeTable(qint64 first, qint64 length);
    // Chooses a change list or patch and shows what it would change, WorkImage untouched.
    void menuPreview_Click();
    // Writes every table as a CSV file into a folder chosen; reads such files back into WorkImage
    // as one step, or lists every problem and writes nothing.
    void menuExportTables_Click();
    void menuImportTables_Click();
    // Shows the field that holds a byte in its editor (tab, record, field focused), or the byte
    // in the hex grid when no editor holds it.
    void showPlace(qint64 offset);

    // Public routines of the hex grid.
    void GotoAddress(const QString &strAddress, bool blnTopRow);
    void SetCellColor(qint64 lngAddress, quint32 lngColor);
    // Disables (or enables again) the tabs and the Open and Save entries.
    void LockMainWindow(bool lock);

    // Makes the pages of every tab but the hex grid's, once: the start-up sequence does it
    // first, after the window was painted.
    void createPages();
    // Start-up sequence, run once by timerInit.
    void timerInit_Timer();
    void LoadPristineImage();
    void FillClassList();
    void FillWeaponList();
    void FillMagicList();
    void FillShieldList();
    void InitEnemyTypeTable();
    void CreateArmyList();
    void FillBattlefieldList();

    void menuOpen_Click();
    // Opens a file of any kind the editor takes, as "打开" does after its file dialog; the
    // caller has offered to save. True when it was opened.
    bool openFile(const QString &path);
    // True when a file was written.
    bool menuSave_Click();
    void menuExit_Click();
    // Saves the battlefield page's map as shown as a PNG picture.
    void exportMapPicture();
    void menuUndo_Click();
    void menuRedo_Click();
    // Hands the cartridge of WorkImage, unsaved edits included, to the emulator, which runs on
    // its own; asks first when the cartridge lacks the header emulators read.
    void menuPlay_Click();
    TestPlay &testPlay() { return m_testPlay; }

    // Refreshes every view from WorkImage after another file was opened (or, keeping each
    // view's place, after an undo or redo).
    void refreshViews(bool keepPlaces = false);
    // Reads the users' table descriptions again (Data/Tables and the --tables files) and shows
    // their tables in every view. The files as read, faults and all.
    QVector<GameData::Description> reloadDescriptions();
    // WorkImage differs from the image as last opened or saved.
    bool isModified() const;

    // The recovery journal: the steps from now on start from base (the start dialog says which).
    void startJournal(const JournalBase &base);
    // The same for the image as it is now, opened from path, once the window was painted (or at
    // the first step, if that comes first); a file opened goes first in the recent files then.
    void startJournal(JournalBase::Kind kind, const QString &path);
    // Goes on with a journal whose steps were replayed onto base, which counts as last saved.
    void continueJournal(JournalOffer offer, const QByteArray &base);
    // The journal's file, once a step was written.
    QString journalPath() const { return m_journal.path(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The file dialog, starting with the last name chosen; empty when cancelled.
    QString askFileName(bool save);
    void saveFailed(const QString &why);
    void showFindDialog();
    void fillRecentMenu();
    // A file was opened or saved: first of the recent files, and the status bar says so.
    void fileDone(const QString &path, const QString &status);
    // Asks whether to save unsaved changes; true when the caller may go on.
    bool offerToSave();
    // The caption mark and the Edit menu after the history changed.
    void historyChanged();
    void afterHistoryStep(const std::vector<quint32> &offsets, QWidget *focus);
    // The image as the file last opened or saved gives it back (by default WorkImage).
    void markSaved(const QByteArray &saved);
    void markSaved() { markSaved(m_images.WorkImage); }
    void updateCaption();

    ByteImages &m_images;
    Dialogs &m_dialogs;
    EditorPaths m_paths;
    QString m_fileName; // the file dialog's last choice
    QString m_tableFolder; // where tables were last exported or imported
    frmFind *m_find = nullptr;
    frmChanges *m_changes = nullptr;
    frmChanges *m_preview = nullptr;
    frmDescriptions *m_descriptions = nullptr;
    QPointer<QWidget> m_focusBeforeLock;
    QByteArray m_savedImage; // WorkImage as last opened or saved
    bool m_locked = false;
    bool m_journalFailureShown = false;
    bool m_painted = false; // the window has been painted once
    int m_paintWaits = 0;   // ticks of timerInit that found it not painted yet
    RecentFiles m_recent;
    TestPlay m_testPlay;
    Journal m_journal;
    // Every view that keeps what it read from WorkImage, told of each step, undo and redo.
    std::vector<ImageView *> m_views;
    struct PendingJournal {
        JournalBase::Kind kind;
        QString path;
        QByteArray image;
    };
    std::optional<PendingJournal> m_pendingJournal;
    void startPendingJournal();
};
