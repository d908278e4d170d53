#include "app/startup.h"

#include "app/frmstart.h"
#include "app/frmveskedit.h"

#include <QFileInfo>

QWidget *openFirstWindow(const QString &file, ByteImages &images, Dialogs &dialogs, const EditorPaths &paths)
{
    auto *start = new frmStart(images, dialogs, paths);
    start->setAttribute(Qt::WA_DeleteOnClose);
    // Unsaved steps of a gone editor are offered first: the file waits for the user's choice.
    if (!file.isEmpty() && !start->offersRecovery() && start->openFile(QFileInfo(file).absoluteFilePath()))
        return start->mainWindow();
    start->show();
    return start;
}
