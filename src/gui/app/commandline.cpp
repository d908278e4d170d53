#include "app/commandline.h"

#include "app/openfile.h"
#include "gamedata/descriptions.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/patchmerge.h"
#include "gamedata/tablefiles.h"
#include "image/builtindata.h"
#include "image/editorpaths.h"
#include "image/byteimages.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

const QStringList Commands = {QStringLiteral("apply"), QStringLiteral("make-patch"), QStringLiteral("changes"),
                              QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("merge")};
// Options that take a value: the word after them is never the command.
const QStringList ValueOptions = {QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--base"),
                                  QStringLiteral("--reference"), QStringLiteral("--strings"), QStringLiteral("--prefer"),
                                  QStringLiteral("--tables")};

enum Exit { Done = 0, Refused = 1, Usage = 2 };

// The window's messages, written on standard error; no file is ever chosen.
class ConsoleDialogs : public Dialogs {
public:
    explicit ConsoleDialogs(QTextStream &err) : m_err(err) {}
    void message(Icon, const QString &, const QString &text) override { m_err << text << Qt::endl; }
    Answer askSave(const QString &, const QString &) override { return Answer::Cancel; }
    bool confirm(const QString &, const QString &) override { return false; }
    QString openFileName(const QString &, const QString &, const QString &) override { return QString(); }
    QString saveFileName(const QString &, const QString &, const QString &) override { return QString(); }
    QStringList openFileNames(const QString &, const QString &, const QString &) override { return {}; }
    QString folderName(const QString &, const QString &) override { return QString(); }

private:
    QTextStream &m_err;
};

// The image a file holds: an executable, or a change list or patch applied to the reference.
std::optional<QByteArray> loadImage(const QString &path, ConsoleDialogs &dialogs)
{
    ByteImages images;
    if (!loadFile(images, path, dialogs))
        return std::nullopt;
    return images.WorkImage;
}

// A file to change: its image as WorkImage, the built-in executable as the reference; nothing
// (its message shown) when it is refused.
std::optional<ByteImages> openImages(const QString &path, ConsoleDialogs &dialogs)
{
    const std::optional<QByteArray> image = loadImage(path, dialogs);
    if (!image)
        return std::nullopt;
    ByteImages images;
    images.PristineImage = loadBuiltInImage();
    images.load(*image);
    return images;
}

bool writeOut(const QString &path, const QByteArray &bytes, QTextStream &err)
{
    QString why;
    if (writeWholeFile(path, bytes, &why))
        return true;
    err << saveFailedText(why) << Qt::endl;
    return false;
}

// A file an option names that cannot be read: its message.
bool unreadable(const QString &path, QTextStream &err)
{
    const QString why = unreadableReason(path);
    if (!why.isEmpty())
        err << wrongFileText(why) << Qt::endl;
    return !why.isEmpty();
}

// The input that the output would overwrite: -o naming a file the command reads (the same file
// by any path). Empty when there is none.
QString overwrittenInput(const QCommandLineParser &parser)
{
    const QString output = QFileInfo(parser.value(QStringLiteral("output"))).canonicalFilePath();
    if (output.isEmpty())
        return QString(); // not there yet, so read by nobody
    QStringList inputs = parser.positionalArguments().mid(1);
    for (const char *option : {"base", "reference", "strings"})
        if (parser.isSet(QString::fromLatin1(option)))
            inputs.append(parser.value(QString::fromLatin1(option)));
    for (const QString &input : inputs)
        if (QFileInfo(input).canonicalFilePath() == output)
            return input;
    return QString();
}

int usage(QTextStream &err, const QString &why)
{
    err << why << Qt::endl << QStringLiteral("用法见 veskedit --help") << Qt::endl;
    return Usage;
}

int apply(const QCommandLineParser &parser, const QStringList &args, QTextStream &err)
{
    const QString output = parser.value(QStringLiteral("output"));
    if (args.size() != 1 || output.isEmpty())
        return usage(err, QStringLiteral("apply 需要一个补丁和 -o 输出文件。"));
    const QString patch = args[0];
    const FileKind kind = fileKind(patch);
    if (kind == FileKind::Executable || kind == FileKind::Other)
        return usage(err, QStringLiteral("补丁须为修改清单（.txt）、IPS（.ips）、BPS（.bps）或卡带文件（.nes）。"));
    if ((kind == FileKind::ChangeList || kind == FileKind::Cartridge) && parser.isSet(QStringLiteral("cartridge")))
        return usage(err, QStringLiteral("--cartridge 只用于 IPS 和 BPS 补丁。"));
    ConsoleDialogs dialogs(err);
    QByteArray base = loadBuiltInImage();
    const QString basePath = parser.value(QStringLiteral("base"));
    if (!basePath.isEmpty()) {
        const std::optional<QByteArray> read = readExecutable(basePath, dialogs);
        if (!read)
            return Refused;
        base = *read;
    }
    if (unreadable(patch, err))
        return Refused;
    // An IPS is read as the flag says; a BPS names its base by its source size.
    const bool cartridge = parser.isSet(QStringLiteral("cartridge"));
    const auto result = PatchMerge::readPatchFile(patch, kind, base, dialogs,
                                                  cartridge ? std::optional(PatchMerge::Base::Cartridge)
                                                  : kind == FileKind::Ips ? std::optional(PatchMerge::Base::Executable)
                                                                          : std::nullopt,
                                                  basePath);
    if (!result)
        return Refused;
    return writeOut(output, result->image(), err) ? Done : Refused;
}

int makePatch(const QCommandLineParser &parser, const QStringList &args, QTextStream &err)
{
    const QString output = parser.value(QStringLiteral("output"));
    if (args.size() != 1 || output.isEmpty())
        return usage(err, QStringLiteral("make-patch 需要一个可执行文件和 -o 输出文件。"));
    const FileKind kind = fileKind(output);
    if (kind == FileKind::Executable || kind == FileKind::Other)
        return usage(err, QStringLiteral("输出文件须以 .txt、.ips、.bps 或 .nes 结尾。"));
    const bool cartridge = parser.isSet(QStringLiteral("cartridge"));
    if ((kind == FileKind::ChangeList || kind == FileKind::Cartridge) && cartridge)
        return usage(err, QStringLiteral("--cartridge 只用于 IPS 和 BPS 补丁。"));
    ConsoleDialogs dialogs(err);
    std::optional<ByteImages> opened = openImages(args[0], dialogs);
    if (!opened)
        return Refused;
    ByteImages &images = *opened;
    if (cartridge) {
        const QByteArray patch = PatchMerge::encodeCartridgePatch(kind, images.PristineImage, images.WorkImage);
        if (patch.isEmpty())
            err << QStringLiteral("没有进行任何修改，请修改后再保存！") << Qt::endl;
        return !patch.isEmpty() && writeOut(output, patch, err) ? Done : Refused;
    }
    QByteArray bytes = cartridgeOf(images.WorkImage);
    const bool built = kind == FileKind::Cartridge || (kind == FileKind::ChangeList
        ? BuildChangeList(images, bytes, QFileInfo(output).fileName(), dialogs)
        : BuildPatch(images, kind, bytes, dialogs));
    if (!built || !writeOut(output, bytes, err))
        return Refused;
    if (const qsizetype outside = bytesOutsideCartridge(images.WorkImage, images.PristineImage); kind == FileKind::ChangeList && outside)
        err << outsideCartridgeText(outside) << Qt::endl;
    return Done;
}

// The terrain names the window heads its grid with, so that lines and table files name the
// columns as the window does; the built-in captions when the file cannot be read.
void useEditorTerrainNames()
{
    const QString path = EditorPaths::forProgram(QCoreApplication::applicationDirPath()).terrainNames();
    QByteArray bytes;
    if (!readWholeFile(path, bytes))
        return;
    if (const std::optional<QStringList> names = parseTerrainNames(bytes))
        GameData::useTerrainNames(*names);
}

int changes(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty() || args.size() > 2)
        return usage(err, QStringLiteral("changes 需要一个或两个文件。"));
    ConsoleDialogs dialogs(err);
    std::optional<QByteArray> before = loadBuiltInImage();
    if (args.size() == 2)
        before = loadImage(args[0], dialogs);
    const std::optional<QByteArray> after = before ? loadImage(args.last(), dialogs) : std::nullopt;
    if (!before || !after)
        return Refused;
    const GameData::Catalogue catalogue(*after, loadBuiltInImage());
    for (const FieldChange &c : describeChanges(catalogue, *before, *after))
        out << c.line() << '\n';
    out.flush();
    return Done;
}

int exportTables(const QStringList &args, QTextStream &err)
{
    if (args.size() != 2)
        return usage(err, QStringLiteral("export 需要一个可执行文件和一个文件夹。"));
    ConsoleDialogs dialogs(err);
    const std::optional<QByteArray> image = loadImage(args[0], dialogs);
    if (!image)
        return Refused;
    const QString fault = TableFiles::writeTables(args[1], GameData::Catalogue(*image, loadBuiltInImage()), *image);
    if (!fault.isEmpty()) {
        err << fault << Qt::endl;
        return Refused;
    }
    return Done;
}

int importTables(const QCommandLineParser &parser, const QStringList &args, QTextStream &err)
{
    const QString output = parser.value(QStringLiteral("output"));
    if (args.size() < 2 || output.isEmpty())
        return usage(err, QStringLiteral("import 需要一个可执行文件、至少一个表格文件和 -o 输出文件。"));
    ConsoleDialogs dialogs(err);
    std::optional<ByteImages> opened = openImages(args[0], dialogs);
    if (!opened)
        return Refused;
    ByteImages &images = *opened;
    const GameData::Catalogue catalogue(images.WorkImage, images.PristineImage);
    const TableFiles::Import import = TableFiles::importFiles(images, catalogue, args.mid(1));
    if (!import.ok()) {
        for (const TableFiles::Problem &p : import.problems)
            err << p.text() << '\n';
        err.flush();
        return Refused;
    }
    return writeOut(output, images.WorkImage, err) ? Done : Refused;
}

// Patches applied in turn onto BASE; conflicts listed, and settled only by --prefer.
int mergePatches(const QCommandLineParser &parser, const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString output = parser.value(QStringLiteral("output"));
    const QString prefer = parser.value(QStringLiteral("prefer"));
    if (args.size() < 2 || output.isEmpty())
        return usage(err, QStringLiteral("merge 需要一个可执行文件、至少一个补丁和 -o 输出文件。"));
    if (parser.isSet(QStringLiteral("prefer")) && prefer != QStringLiteral("patch") && prefer != QStringLiteral("current"))
        return usage(err, QStringLiteral("--prefer 只取 patch 或 current。"));
    for (const QString &patch : args.mid(1)) {
        const FileKind kind = fileKind(patch);
        if (kind == FileKind::Executable || kind == FileKind::Other)
            return usage(err, QStringLiteral("补丁须为修改清单（.txt）、IPS（.ips）、BPS（.bps）或卡带文件（.nes）。"));
    }
    ConsoleDialogs dialogs(err);
    std::optional<ByteImages> opened = openImages(args[0], dialogs);
    if (!opened)
        return Refused;
    ByteImages &images = *opened;
    int conflicts = 0;
    for (const QString &path : args.mid(1)) {
        if (unreadable(path, err))
            return Refused;
        const auto read = PatchMerge::readPatchFile(path, fileKind(path), images.PristineImage, dialogs);
        if (!read)
            return Refused;
        const QString name = QFileInfo(path).fileName();
        const PatchMerge::Merge m = PatchMerge::mergeBytes(images.PristineImage, images.WorkImage, read->image());
        int lines = 0;
        if (m.conflicts > 0) {
            const PatchMerge::MergeLines described =
                PatchMerge::describeMerge(images.PristineImage, images.WorkImage, read->image(), m);
            lines = described.conflictLines;
            for (int i = 0; i < lines; ++i)
                out << name << QStringLiteral(": ") << described.lines[i].line() << '\n';
        }
        conflicts += lines;
        PatchMerge::applyMerge(images, m, prefer != QStringLiteral("patch"), name, lines);
    }
    out.flush();
    if (conflicts > 0 && prefer.isEmpty())
        return Refused;
    return writeOut(output, images.WorkImage, err) ? Done : Refused;
}

} // namespace

QString commandList()
{
    return QStringLiteral(
        "命令（不打开窗口；结束码 0 完成，1 输入被拒绝，2 用法错误）：\n"
        "  apply PATCH -o OUT.exe [--base EXE] [--cartridge]   把修改清单、IPS 或 BPS 补丁应用到自带文件（或 EXE），或把卡带文件（.nes）放进去，写出 OUT\n"
        "  make-patch EXE -o OUT.txt|.ips|.bps|.nes [--cartridge]  按 OUT 的结尾写出 EXE 相对自带文件的修改清单或补丁，或 EXE 的卡带文件\n"
        "  merge BASE PATCH... -o OUT.exe [--prefer patch|current]   把补丁依次加到 BASE 上；有冲突时逐行列出，不写入\n"
        "  changes FILE [FILE2]                 按字段列出文件相对自带文件（或两个文件之间）的修改\n"
        "  export EXE DIR                       把 EXE 的各个表格写成 CSV 文件，放进 DIR\n"
        "  import EXE FILE... -o OUT.exe        把 CSV 表格导入 EXE，写出 OUT；有错误时全部列出，不写入");
}

QString noDisplayText()
{
    return QStringLiteral("打开窗口需要图形显示，但 DISPLAY、WAYLAND_DISPLAY 和 QT_QPA_PLATFORM 都没有设置。\n")
        + commandList() + QStringLiteral("\n用法见 veskedit --help");
}

bool displayAvailable(const QStringList &arguments)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // QApplication ends the program when it finds no platform to show a window on.
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform"));
#else
    Q_UNUSED(arguments);
    return true;
#endif
}

void addProgramOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "苍岚战记外传 EMU + ROM 修改器。\n"
        "不给命令时打开窗口；给出文件时直接打开它：可执行文件（.exe）、修改清单（.txt）、IPS 补丁（.ips）、BPS 补丁（.bps）或卡带文件（.nes）。\n"
        "\n") + commandList());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("要打开的文件，或命令及其参数"),
                                 QStringLiteral("[FILE | 命令 参数...]"));
    parser.addOption(QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("命令写出的文件"), QStringLiteral("OUT")));
    parser.addOption(QCommandLineOption(QStringLiteral("base"), QStringLiteral("apply：应用补丁的可执行文件"),
                                        QStringLiteral("EXE")));
    parser.addOption(QCommandLineOption(QStringLiteral("cartridge"),
                                        QStringLiteral("apply、make-patch：补丁针对卡带文件（偏移从卡带开头算起）")));
    parser.addOption(QCommandLineOption(QStringLiteral("prefer"), QStringLiteral("merge：冲突处取补丁（patch）或当前（current）的值"),
                                        QStringLiteral("patch|current")));
    parser.addOption(QCommandLineOption(QStringLiteral("reference"),
                                        QStringLiteral("用另一个 712,704 字节的可执行文件代替自带文件作为比较基准"),
                                        QStringLiteral("EXE")));
    parser.addOption(QCommandLineOption(QStringLiteral("strings"),
                                        QStringLiteral("用另一个字符串表（“编号<Tab>文字”各行）代替自带的字符串表"),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringLiteral("tables"),
                                        QStringLiteral("再读一个表格描述文件（JSON），可多次给出"),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringLiteral("smoke-test"),
                                        QStringLiteral("不显示窗口，在自带文件上运行启动过程，报告结果后退出（用于检查安装）")));
}

QString commandOf(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QStringLiteral("--"))
            return QString();
        if (ValueOptions.contains(a)) {
            ++i;
            continue;
        }
        if (!a.startsWith(u'-'))
            return Commands.contains(a) ? a : QString();
    }
    return QString();
}

bool outputOverwritesInput(const QCommandLineParser &parser, QTextStream &err)
{
    const QString input = overwrittenInput(parser);
    if (!input.isEmpty())
        usage(err, QStringLiteral("输出文件就是输入文件 %1，写出会覆盖它；请另选 -o。").arg(QDir::toNativeSeparators(input)));
    return !input.isEmpty();
}

bool useDataOptions(const QCommandLineParser &parser, QTextStream &err)
{
    if (parser.isSet(QStringLiteral("reference"))) {
        const QString path = parser.value(QStringLiteral("reference"));
        ConsoleDialogs dialogs(err);
        const std::optional<QByteArray> image = readExecutable(path, dialogs);
        if (!image)
            return false;
        useReferenceImage(*image);
    }
    if (parser.isSet(QStringLiteral("strings"))) {
        QByteArray bytes;
        QString why;
        if (!readWholeFile(parser.value(QStringLiteral("strings")), bytes, &why)) {
            err << wrongFileText(why) << Qt::endl;
            return false;
        }
        QString reason;
        const std::optional<QHash<int, QString>> table = parseStringTable(bytes, &reason);
        if (!table) {
            err << reason << Qt::endl;
            return false;
        }
        useStringTable(*table);
    }
    // The users' tables: those of the editor's folder and the files named. A fault in a file
    // named here ends the run; one in the folder only leaves that file out.
    const QStringList named = parser.values(QStringLiteral("tables"));
    const QString folder = GameData::descriptionFolder(EditorPaths::forProgram(QCoreApplication::applicationDirPath()).writableFolder());
    bool ok = true;
    for (const GameData::Description &d : GameData::loadDescriptions(folder, named)) {
        for (const GameData::DescriptionError &e : d.errors)
            err << e.text() << Qt::endl;
        ok = ok && (d.ok() || !named.contains(d.file));
    }
    return ok;
}

int runCommand(const QCommandLineParser &parser, QTextStream &out, QTextStream &err)
{
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const QStringList args = positional.mid(1);
    if (parser.isSet(QStringLiteral("base")) && command != QStringLiteral("apply"))
        return usage(err, QStringLiteral("--base 只用于 apply。"));
    if (parser.isSet(QStringLiteral("cartridge")) && command != QStringLiteral("apply") && command != QStringLiteral("make-patch"))
        return usage(err, QStringLiteral("--cartridge 只用于 apply 和 make-patch。"));
    if (parser.isSet(QStringLiteral("prefer")) && command != QStringLiteral("merge"))
        return usage(err, QStringLiteral("--prefer 只用于 merge。"));
    if (command == QStringLiteral("apply"))
        return apply(parser, args, err);
    if (command == QStringLiteral("make-patch"))
        return makePatch(parser, args, err);
    if (parser.isSet(QStringLiteral("output")) && command != QStringLiteral("import") && command != QStringLiteral("merge"))
        return usage(err, QStringLiteral("-o 不用于 %1。").arg(command));
    if (command == QStringLiteral("changes") || command == QStringLiteral("export") || command == QStringLiteral("import")
        || command == QStringLiteral("merge"))
        useEditorTerrainNames();
    if (command == QStringLiteral("merge"))
        return mergePatches(parser, args, out, err);
    if (command == QStringLiteral("changes"))
        return changes(args, out, err);
    if (command == QStringLiteral("export"))
        return exportTables(args, err);
    if (command == QStringLiteral("import"))
        return importTables(parser, args, err);
    return usage(err, QStringLiteral("未知的命令：%1").arg(command));
}

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    addProgramOptions(parser);
    if (!parser.parse(arguments))
        return usage(err, parser.errorText());
    if (outputOverwritesInput(parser, err))
        return Usage;
    if (!useDataOptions(parser, err))
        return Refused;
    return runCommand(parser, out, err);
}
