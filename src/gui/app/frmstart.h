#pragma once

#include "image/byteimages.h"
#include "image/editorpaths.h"
#include "image/journal.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class Dialogs;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class frmVeskEdit;

// The first window: chooses where the working image comes from, then hands over to the main
// window or ends the program.
class frmStart : public QWidget {
    Q_OBJECT
public:
    frmStart(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent = nullptr);

    // 3 = exit, 0 = built-in image, 1 = last saved content, 2 = chosen file, 4 = recovered.
    int StartResult = 3;
    QString CurrentFileText;

    QGroupBox *frameChoice;
    QPushButton *btnOpenNewFile;
    QPushButton *btnOpenLastFile;
    QPushButton *btnOpenSystem;
    QPushButton *btnExit;
    QAction *menuAbout;
    // Shown when an editor that is no longer running left unsaved steps.
    QGroupBox *frameRecovery;
    QLabel *lblRecovery;
    QPushButton *btnRecover;
    QPushButton *btnDiscardRecovery;

    void btnOpenNewFile_Click();
    void btnOpenLastFile_Click();
    void btnOpenSystem_Click();
    void btnExit_Click();
    void btnRecover_Click();
    void btnDiscardRecovery_Click();
    // Opens a file of any kind the editor takes, as btnOpenNewFile does after its file dialog:
    // on success the dialog closes and hands over to the main window.
    bool openFile(const QString &path);

    // The main window this dialog handed over to, if any.
    frmVeskEdit *mainWindow() const;

signals:
    void programEnd();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString lastFilePath() const;
    void showRecoveryOffer();
    std::pair<JournalBase::Kind, QString> journalSource() const;

    ByteImages &m_images;
    Dialogs &m_dialogs;
    EditorPaths m_paths;
    QString m_fileName; // the file dialog's last choice
    bool m_closed = false;
    QPointer<frmVeskEdit> m_mainWindow;
    std::vector<JournalOffer> m_offers; // newest first
    std::optional<JournalOffer> m_recovered;
    QByteArray m_recoveredBase;
    QString m_lastFileUsed; // LastFile.dat when it was opened
};
