// The cartridge of the built-in image, for MMC1 (SLROM): 16 program banks of 16 KiB, the last
// fixed at $C000 and holding our program, and 16 character banks of 8 KiB, the first holding
// the program's tiles, drawn from the map tiles of type A reduced to the console's colours.
#include "gendata.h"

#include <QImage>

namespace {

constexpr int HeaderSize = 16;
constexpr int ProgramBanks = 16;    // of 16 KiB
constexpr int CharacterBanks = 16;  // of 8 KiB
constexpr int ProgramStart = CartridgeStart + HeaderSize;
constexpr int LastBank = ProgramStart + (ProgramBanks - 1) * 0x4000; // shows at $C000
constexpr int CharacterStart = ProgramStart + ProgramBanks * 0x4000;
static_assert(CharacterStart + CharacterBanks * 0x2000 == CartridgeEnd + 1);

// The tables at the start of the program block, as boot.s names them.
constexpr int CellPattern = 0x000;
constexpr int CellPalette = 0x100;
constexpr int PpuPalette = 0x200;
constexpr int MapBank = 0x220;
constexpr int MapAddress = 0x221;
constexpr int VectorsSize = 6;

// The console colours used, roughly as a screen shows them.
QRgb consoleColour(int index)
{
    switch (index) {
    case 0x00: return qRgb(102, 102, 102);
    case 0x06: return qRgb(150, 30, 10);
    case 0x0A: return qRgb(10, 90, 0);
    case 0x10: return qRgb(173, 173, 173);
    case 0x11: return qRgb(20, 100, 220);
    case 0x18: return qRgb(150, 110, 10);
    case 0x1A: return qRgb(20, 150, 0);
    case 0x28: return qRgb(228, 200, 0);
    case 0x2A: return qRgb(92, 228, 48);
    case 0x2D: return qRgb(79, 79, 79);
    case 0x30: return qRgb(255, 255, 255);
    case 0x31: return qRgb(170, 220, 255);
    case 0x38: return qRgb(228, 228, 150);
    default: fail(QString("no colour for %1").arg(index));
    }
}

// Grass behind everything; greens and yellow, rock and road, water and wood, roofs and stone.
constexpr int Backdrop = 0x2A;
constexpr int Palettes[4][3] = {{0x1A, 0x0A, 0x28}, {0x00, 0x30, 0x38}, {0x11, 0x31, 0x18}, {0x06, 0x10, 0x2D}};

int distance(QRgb a, QRgb b)
{
    const int r = qRed(a) - qRed(b);
    const int g = qGreen(a) - qGreen(b);
    const int bl = qBlue(a) - qBlue(b);
    return 3 * r * r + 4 * g * g + 2 * bl * bl;
}

int nearest(QRgb pixel, int palette, int *error = nullptr)
{
    int best = 0;
    int bestError = distance(pixel, consoleColour(Backdrop));
    for (int k = 0; k < 3; ++k) {
        const int e = distance(pixel, consoleColour(Palettes[palette][k]));
        if (e < bestError) {
            best = k + 1;
            bestError = e;
        }
    }
    if (error)
        *error += bestError;
    return best;
}

// The palette that draws the bitmap best, and its four 8 x 8 patterns (top left, top right,
// bottom left, bottom right), 16 bytes each: the low bit plane, then the high.
int reduce(const QImage &bitmap, QByteArray &patterns)
{
    if (bitmap.width() != 16 || bitmap.height() != 16)
        fail("a tile bitmap is not 16 x 16 pixels");
    int palette = 0;
    int least = -1;
    for (int p = 0; p < 4; ++p) {
        int error = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                nearest(bitmap.pixel(x, y), p, &error);
        if (least < 0 || error < least) {
            least = error;
            palette = p;
        }
    }
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int left = quarter % 2 * 8;
        const int top = quarter / 2 * 8;
        char planes[16] = {};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const int colour = nearest(bitmap.pixel(left + x, top + y), palette);
                if (colour & 1)
                    planes[y] = char(planes[y] | (0x80 >> x));
                if (colour & 2)
                    planes[8 + y] = char(planes[8 + y] | (0x80 >> x));
            }
        patterns.append(planes, 16);
    }
    return palette;
}

void place(Image &img, const QString &what, int offset, const QByteArray &bytes)
{
    img.claim(what, offset, int(bytes.size()));
    for (int i = 0; i < bytes.size(); ++i)
        img.set(offset + i, quint8(bytes[i]));
}

} // namespace

void fillCartridge(Image &img, const QByteArray &program, const QMap<int, QString> &strings)
{
    QByteArray header("NES\x1A", 4);
    header += char(ProgramBanks);
    header += char(CharacterBanks);
    header += char(0x10); // mapper 1 in the high nibble; MMC1 sets the mirroring itself
    header += QByteArray(HeaderSize - header.size(), '\0');
    place(img, "cartridge header", CartridgeStart, header);

    if (program.size() <= PpuPalette + VectorsSize || program.size() - VectorsSize > 0x3FFA)
        fail("the cartridge program has the wrong size");
    QByteArray block = program.left(program.size() - VectorsSize);

    // Tiles: patterns 0 to 3 are blank (off the map); then four per tile code of map type A.
    QByteArray patterns(4 * 16, '\0');
    QByteArray cellPattern(256, '\0');
    QByteArray cellPalette(256, '\0');
    constexpr int Ground = 0x2E;
    for (int code = Ground; code <= 0x37; ++code) {
        const int first = int(patterns.size()) / 16;
        cellPalette[code] = char(reduce(tileBitmap(0, code), patterns));
        cellPattern[code] = char(first);
    }
    for (int code = 0; code < 256; ++code)
        if (cellPattern[code] == '\0') { // a code with no bitmap of its own shows as ground
            cellPattern[code] = cellPattern[Ground];
            cellPalette[code] = cellPalette[Ground];
        }
    place(img, "cartridge tiles", CharacterStart, patterns);

    QByteArray colours;
    for (int half = 0; half < 2; ++half) // background, and the same for sprites
        for (const auto &p : Palettes) {
            colours += char(Backdrop);
            for (int c : p)
                colours += char(c);
        }

    // The first battlefield, found as the editor finds it: the first row of the catalogue
    // names the offset of its width byte, and its height byte lies before it.
    bool ok = false;
    const int map = strings.value(10009).section('*', 0, 0).section('|', 0, 0).toInt(&ok, 16) - 1;
    if (!ok || map < ProgramStart || map >= CharacterStart)
        fail("the first battlefield is not in the program banks");
    const int bank = (map - ProgramStart) / 0x4000;
    const int window = 0x8000 + (map - ProgramStart) % 0x4000;

    block.replace(CellPattern, 256, cellPattern);
    block.replace(CellPalette, 256, cellPalette);
    block.replace(PpuPalette, 32, colours);
    block[MapBank] = char(bank);
    block[MapAddress] = char(window & 0xFF);
    block[MapAddress + 1] = char(window >> 8);
    place(img, "cartridge program", LastBank, block);
    place(img, "cartridge vectors", LastBank + 0x3FFA, program.right(VectorsSize));
}
