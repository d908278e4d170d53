// A patch that changes the whole cartridge merged onto a work whose whole cartridge differs from
// it too: every byte a conflict. Listed in the window, and written as one step.
#include "app/frmapplypatch.h"
#include "benchmain.h"
#include "fullychanged.h"
#include "gamedata/patchmerge.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "scripteddialogs.h"

#include <QListWidget>
#include <QTemporaryDir>

namespace {

// The cartridge patch of the given kind (Ips or Bps) from the built-in cartridge to every byte
// of it changed otherwise than the work's.
QString patchFile(const QTemporaryDir &dir, FileKind kind)
{
    const FullyChanged &d = fullyChanged();
    QByteArray target = d.pristine;
    for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
        target[i] = char(d.pristine[i] ^ 0x55);
    const QString path = dir.filePath(kind == FileKind::Bps ? "whole.bps" : "whole.ips");
    writeWholeFile(path, PatchMerge::encodeCartridgePatch(kind, d.pristine, target));
    return path;
}

// state.range(0): 0 for IPS, 1 for BPS.
void BM_MergeToWindowList(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QString path = patchFile(dir, state.range(0) ? FileKind::Bps : FileKind::Ips);
    ByteImages images;
    images.PristineImage = fullyChanged().pristine;
    images.load(fullyChanged().work);
    ScriptedDialogs dialogs;
    frmApplyPatch window(images, dialogs);
    for (auto _ : state) {
        if (!window.setPatch(path))
            state.SkipWithError("the patch was refused");
    }
    state.counters["lines"] = double(window.lstApplyPatch->count());
}
BENCHMARK(BM_MergeToWindowList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MergeWrite(benchmark::State &state)
{
    const QTemporaryDir dir;
    const FullyChanged &d = fullyChanged();
    ScriptedDialogs dialogs;
    const auto read = PatchMerge::readPatchFile(patchFile(dir, FileKind::Bps), FileKind::Bps, d.pristine, dialogs);
    const PatchMerge::Merge merge = PatchMerge::mergeBytes(d.pristine, d.work, read->image());
    ByteImages images;
    images.PristineImage = d.pristine;
    int written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        images.load(d.work);
        images.WorkImage.detach(); // as an image being edited is
        state.ResumeTiming();
        written = PatchMerge::applyMerge(images, merge, false, QStringLiteral("whole.bps"), 1);
    }
    state.counters["bytes"] = double(written);
}
BENCHMARK(BM_MergeWrite)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
