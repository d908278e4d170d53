#include "app/startup.h"

#include "app/frmstart.h"
#include "app/frmveskedit.h"

#include <QCommandLineParser>
#include <QFileInfo>

void addProgramOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "苍岚战记外传 EMU + ROM 修改器。\n"
        "给出文件时直接打开它：可执行文件（.exe）、修改清单（.txt）、IPS 补丁（.ips）或 BPS 补丁（.bps）。"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("要打开的文件"), QStringLiteral("[FILE]"));
    parser.addOption(QCommandLineOption(QStringLiteral("smoke-test"),
                                        QStringLiteral("不显示窗口，在自带文件上运行启动过程，报告结果后退出（用于检查安装）")));
}

QWidget *openFirstWindow(const QString &file, ByteImages &images, Dialogs &dialogs, const EditorPaths &paths)
{
    auto *start = new frmStart(images, dialogs, paths);
    start->setAttribute(Qt::WA_DeleteOnClose);
    if (!file.isEmpty() && start->openFile(QFileInfo(file).absoluteFilePath()))
        return start->mainWindow();
    start->show();
    return start;
}
