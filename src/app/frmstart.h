#pragma once

#include "image/byteimages.h"
#include "image/editorpaths.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class Dialogs;
class QAction;
class QGroupBox;
class QPushButton;
class frmVeskEdit;

// The first window: chooses where the working image comes from, then hands over to the main
// window or ends the program.
class frmStart : public QWidget {
    Q_OBJECT
public:
    frmStart(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent = nullptr);

    // 3 = exit, 0 = built-in image, 1 = last saved content, 2 = chosen file.
    int StartResult = 3;
    QString CurrentFileText;

    QGroupBox *frameChoice;
    QPushButton *btnOpenNewFile;
    QPushButton *btnOpenLastFile;
    QPushButton *btnOpenSystem;
    QPushButton *btnExit;
    QAction *menuAbout;

    void btnOpenNewFile_Click();
    void btnOpenLastFile_Click();
    void btnOpenSystem_Click();
    void btnExit_Click();
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

    ByteImages &m_images;
    Dialogs &m_dialogs;
    EditorPaths m_paths;
    QString m_fileName; // the file dialog's last choice
    bool m_closed = false;
    QPointer<frmVeskEdit> m_mainWindow;
};
