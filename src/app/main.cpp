#include "app/appsetup.h"
#include "app/commandline.h"
#include "app/frmstart.h"
#include "app/frmveskedit.h"
#include "app/qtdialogs.h"
#include "app/startup.h"
#include "battlefield/fieldpage.h"
#include "image/editorpaths.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

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

// Whether argv names one of options (before a "--").
bool hasOption(int argc, char *argv[], std::initializer_list<const char *> options)
{
    for (int i = 1; i < argc && qstrcmp(argv[i], "--") != 0; ++i)
        for (const char *option : options)
            if (qstrcmp(argv[i], option) == 0)
                return true;
    return false;
}

// Commands, --help and --version need no display: for them the program runs without its windows.
// So does a window that cannot open for want of a display (main says why): a QApplication would
// end the program there.
std::unique_ptr<QCoreApplication> createApplication(int &argc, char *argv[], bool command, bool display)
{
    if (command || hasOption(argc, argv, {"-h", "-?", "--help", "--help-all", "-v", "--version"}))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (!display) {
        if (!hasOption(argc, argv, {"--smoke-test"}))
            return std::make_unique<QCoreApplication>(argc, argv);
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the package check shows nothing
    }
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const QString command = commandOf(raw);
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv, !command.isEmpty(), displayAvailable(raw));
    setUpApplication(*app);
    QCommandLineParser parser;
    addProgramOptions(parser);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool windowArguments = parser.parse(QCoreApplication::arguments()) && parser.positionalArguments().size() <= 1
        && !parser.isSet(QStringLiteral("output")) && !parser.isSet(QStringLiteral("base"));
    if (!parser.errorText().isEmpty() || (command.isEmpty() && !windowArguments)) {
        // A first word that names no file is most likely a command mistyped.
        const QString first = parser.positionalArguments().value(0);
        const QString why = !parser.errorText().isEmpty() ? parser.errorText()
            : !first.isEmpty() && !QFileInfo::exists(first) ? QStringLiteral("未知的命令：%1").arg(first)
                                                            : QStringLiteral("只能给出一个文件；-o 和 --base 只用于命令。");
        err << why << '\n' << parser.helpText();
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.optionNames().contains(QStringLiteral("help-all")))
        parser.showHelp(); // ends the program
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (command.isEmpty() && !qobject_cast<QApplication *>(app.get())) {
        err << noDisplayText() << Qt::endl;
        return 2;
    }
    if (!command.isEmpty() && outputOverwritesInput(parser, err))
        return 2;
    // Another reference or string table: checked before anything reads them; a bad one ends the
    // run before a window opens.
    if (!useDataOptions(parser, err))
        return 1;
    if (!command.isEmpty())
        return runCommand(parser, out, err);
    const EditorPaths paths = EditorPaths::forProgram(QCoreApplication::applicationDirPath());
    if (parser.isSet(QStringLiteral("smoke-test")))
        return smokeTest(paths);
    ByteImages images;
    QtDialogs dialogs;
    QWidget *first = openFirstWindow(parser.positionalArguments().value(0), images, dialogs, paths);
    if (auto *start = qobject_cast<frmStart *>(first))
        QObject::connect(start, &frmStart::programEnd, app.get(), &QCoreApplication::quit, Qt::QueuedConnection);
    return app->exec();
}
