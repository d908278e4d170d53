#include "app/appsetup.h"
#include "app/frmstart.h"
#include "app/frmveskedit.h"
#include "app/qtdialogs.h"
#include "battlefield/fieldpage.h"
#include "image/editorpaths.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

// The most memory the process has held (VmHWM of /proc/self/status), or 0 where unknown.
qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// "--smoke-test": the main window over the built-in image, its start-up sequence run, and a
// word on what it found; nothing is saved. For checking a package.
int smokeTest(const EditorPaths &paths)
{
    QTextStream out(stdout);
    ByteImages images;
    images.OpenedImage = loadBuiltInImage();
    images.load(images.OpenedImage);
    QtDialogs dialogs;
    frmVeskEdit window(images, dialogs, paths);
    window.show(); // on the offscreen platform where there is no display
    window.timerInit_Timer();
    QApplication::processEvents();
    const bool tiles = QDir(paths.dataFolder() + QStringLiteral("/Loc0")).exists();
    const bool ok = images.PristineImage.size() == TargetSize && window.fieldPage->cboWarField->count() > 0 && tiles;
    out << "data: " << paths.dataFolder() << "\nfiles: " << paths.writableFolder() << "\nwars: "
        << window.fieldPage->cboWarField->count() << "\ntile bitmaps: " << (tiles ? "found" : "missing") << '\n'
        << "peak memory: " << peakMemoryKiB() / 1024 << " MiB\n"
        << (ok ? "start-up sequence ran" : "start-up sequence failed") << '\n';
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const EditorPaths paths = EditorPaths::forProgram(QCoreApplication::applicationDirPath());
    if (QCoreApplication::arguments().contains(QStringLiteral("--smoke-test")))
        return smokeTest(paths);
    ByteImages images;
    QtDialogs dialogs;
    auto *start = new frmStart(images, dialogs, paths);
    start->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(start, &frmStart::programEnd, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    start->show();
    return app.exec();
}
