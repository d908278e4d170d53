// Users' table descriptions: 50 files with 10,000 fields in all, on bytes no built-in field
// covers, read and checked; and the change list by field of a fully changed cartridge with
// their tables in use.
#include "gamedata/descriptions.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/gamedata.h"
#include "fullychanged.h"
#include "image/fileio.h"

#include "benchmain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

constexpr int Files = 50;
constexpr int FieldsPerFile = 200;
constexpr int Records = 4;
constexpr int Stride = 256; // 200 fields of one or two bytes fit in a record

// The files, each a table of four records over a free kilobyte of the cartridge.
struct DescriptionFiles {
    QTemporaryDir dir;
    QStringList paths;
    DescriptionFiles()
    {
        const QByteArray &image = fullyChanged().pristine;
        const GameData::Catalogue builtIn(image, image, false);
        QVector<qint64> blocks; // starts of free runs of Records * Stride bytes
        qint64 from = CartridgeStart;
        const auto takeFree = [&](qint64 to) {
            for (; from + Records * Stride <= to && blocks.size() < Files; from += Records * Stride)
                blocks.append(from);
        };
        for (const auto &[start, end] : builtIn.covered()) {
            takeFree(std::min<qint64>(start, CartridgeEnd + 1));
            from = std::max(from, end);
        }
        takeFree(CartridgeEnd + 1);
        if (blocks.size() < Files)
            qFatal("not enough free bytes");

        static const char *shows[] = {"decimal", "signed", "hex", "code", "flags"};
        for (int n = 0; n < Files; ++n) {
            QJsonArray fields;
            int offset = 0;
            for (int k = 0; k < FieldsPerFile; ++k) {
                const int size = k % 4 == 1 && k % 5 != 3 ? 2 : 1; // codes take one byte
                const char *show = shows[k % 5];
                QJsonObject f{{"caption", QStringLiteral("字段%1").arg(k)}, {"offset", offset}, {"show", show}};
                if (size == 2)
                    f.insert("size", 2);
                if (k % 5 == 3)
                    f.insert("codes", k % 2 ? QJsonValue(QJsonObject{{"strings", 10006}})
                                            : QJsonValue(QJsonArray{"00无", "01一", "02二", "7F末"}));
                if (k % 5 == 4)
                    f.insert("flags", QJsonArray{"甲", "乙", "", "丁"});
                if (k % 5 == 0)
                    f.insert("range", QJsonArray{0, size == 2 ? 9999 : 200});
                fields.append(f);
                offset += size;
            }
            const QJsonObject table{{"name", QStringLiteral("表%1").arg(n)},
                                    {"key", QStringLiteral("table_%1").arg(n)},
                                    {"base", blocks[n]},
                                    {"stride", Stride},
                                    {"count", Records},
                                    {"fields", fields}};
            const QString path = dir.filePath(QStringLiteral("t%1.json").arg(n, 2, 10, QChar(u'0')));
            QString reason;
            if (!writeWholeFile(path, QJsonDocument(QJsonObject{{"tables", QJsonArray{table}}}).toJson(), &reason))
                qFatal("%s", qPrintable(reason));
            paths.append(path);
        }
    }
};

const DescriptionFiles &descriptionFiles()
{
    static const DescriptionFiles d;
    return d;
}

void BM_ReadDescriptionFiles(benchmark::State &state)
{
    const DescriptionFiles &d = descriptionFiles();
    qint64 fields = 0;
    QString fault;
    for (auto _ : state) {
        const QVector<GameData::Description> files = GameData::readDescriptionFiles(d.paths);
        fields = 0;
        for (const GameData::Description &file : files) {
            for (const GameData::Table &t : file.tables)
                fields += t.fields.size();
            if (!file.ok())
                fault = file.errors[0].text();
        }
    }
    if (fields != Files * FieldsPerFile) {
        static QByteArray text;
        text = (QStringLiteral("a file was refused: ") + fault).toUtf8();
        state.SkipWithError(text.constData());
    }
    state.counters["fields"] = double(fields);
}
BENCHMARK(BM_ReadDescriptionFiles)->Unit(benchmark::kMillisecond);

void BM_DescribeWithUserTables(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    GameData::useUserTables(GameData::tablesOf(GameData::readDescriptionFiles(descriptionFiles().paths)));
    size_t lines = 0;
    for (auto _ : state) {
        const GameData::Catalogue catalogue(d.work, d.pristine);
        lines = size_t(describeChanges(catalogue, d.pristine, d.work).size());
    }
    GameData::useUserTables({});
    state.counters["lines"] = double(lines);
}
BENCHMARK(BM_DescribeWithUserTables)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
