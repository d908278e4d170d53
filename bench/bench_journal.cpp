// The recovery journal: what writing it adds to a step of the history, and reading back and
// replaying a long session.
#include "image/fileio.h"
#include "image/journal.h"
#include "journalsession.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// One iteration is one step of three writes. state.range(0): 0 without a journal, 1 with one.
void BM_Step(benchmark::State &state)
{
    QTemporaryDir folder;
    ByteImages images;
    images.load(loadBuiltInImage());
    Journal journal(folder.path());
    if (state.range(0)) {
        images.history.recorded = [&journal](EditHistory::Event e, const QString &label,
                                             const std::vector<EditHistory::Change> &changes) {
            journal.record(e, label, changes);
        };
        journal.start(JournalBase::of(JournalBase::Kind::BuiltIn, QString(), images.WorkImage));
    }
    qint64 offset = CartridgeStart;
    for (auto _ : state) {
        EditStep step(images, QStringLiteral("等  级"), EditHistory::Base::Decimal);
        for (int i = 0; i < 3; ++i, offset = CartridgeStart + (offset - CartridgeStart + 4099) % 0x60000)
            images.write(offset, byteAt(images.WorkImage, offset) ^ 0x21);
    }
    images.history.recorded = nullptr;
    journal.discard();
}
BENCHMARK(BM_Step)->Arg(0)->Arg(1)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// A journal of 100,000 steps (with undo and redo among them) read and replayed onto the built-in image.
void BM_Recover(benchmark::State &state)
{
    QTemporaryDir folder;
    QString path;
    QByteArray expected;
    {
        JournalSession s(folder.path());
        s.play(0, int(state.range(0)));
        path = s.journal.path();
        expected = s.images.WorkImage;
    }
    const QByteArray base = loadBuiltInImage();
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray file;
        readWholeFile(path, file);
        bytes = file.size();
        const std::optional<JournalContents> contents = readJournal(file);
        ByteImages images;
        images.load(base);
        if (!contents || !replayJournal(*contents, images) || images.WorkImage != expected)
            state.SkipWithError("the journal did not give the image back");
    }
    state.counters["journal_bytes"] = double(bytes);
}
BENCHMARK(BM_Recover)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
