// 16 x 16 pixel bitmaps beside the program: the map tiles of the three map types
// (Loc0 plains, Loc1 coast, Loc2 snow) and one unit picture per class (eWork0 to eWork2).
#include "gendata.h"

#include <QColor>
#include <QImage>

namespace {

constexpr int Size = 16;

// A fixed pseudo-random value per pixel, for texture.
int speckle(int x, int y, int salt)
{
    quint32 h = quint32(x) * 374761393u + quint32(y) * 668265263u + quint32(salt) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) & 0xFF);
}

struct Palette {
    QColor ground, groundDark, accent;      // grass / sand / snow
    QColor tree, trunk;
    QColor rock, peak;
    QColor water, wave;
    QColor road;
    QColor roof, wall;
    QColor stone, mortar;
    QColor wood;
};

Palette palette(int type)
{
    switch (type) {
    case 1: // coast
        return {QColor(230, 212, 150), QColor(205, 185, 120), QColor(120, 170, 80), QColor(40, 140, 70), QColor(120, 80, 40),
                QColor(125, 125, 120), QColor(175, 175, 170), QColor(25, 80, 175), QColor(110, 160, 230), QColor(185, 150, 100),
                QColor(200, 120, 60), QColor(235, 220, 180), QColor(150, 145, 135), QColor(95, 90, 85), QColor(140, 95, 50)};
    case 2: // snow
        return {QColor(236, 240, 248), QColor(205, 215, 232), QColor(120, 150, 210), QColor(30, 85, 65), QColor(80, 55, 35),
                QColor(120, 120, 135), QColor(250, 250, 255), QColor(110, 165, 215), QColor(200, 230, 250), QColor(170, 170, 185),
                QColor(245, 245, 250), QColor(140, 85, 55), QColor(130, 135, 150), QColor(85, 90, 105), QColor(120, 85, 55)};
    default: // plains
        return {QColor(92, 172, 74), QColor(68, 145, 58), QColor(245, 220, 70), QColor(30, 105, 45), QColor(95, 65, 35),
                QColor(145, 115, 80), QColor(230, 230, 225), QColor(55, 110, 215), QColor(150, 190, 250), QColor(205, 175, 115),
                QColor(190, 55, 45), QColor(235, 215, 175), QColor(145, 145, 155), QColor(90, 90, 100), QColor(150, 100, 50)};
    }
}

void fill(QImage &img, const QColor &c)
{
    img.fill(c);
}

void ground(QImage &img, const Palette &p, int salt)
{
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            img.setPixelColor(x, y, speckle(x, y, salt) < 60 ? p.groundDark : p.ground);
}

QImage tile(int code, const Palette &p)
{
    QImage img(Size, Size, QImage::Format_RGB32);
    switch (code) {
    case 0x2F: // flowers / dune grass / blue-tinted snow
        ground(img, p, 2);
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (speckle(x, y, 9) < 18)
                    img.setPixelColor(x, y, p.accent);
        break;
    case 0x30: // forest: three round tree tops on trunks
        ground(img, p, 3);
        for (const QPoint c : {QPoint(4, 5), QPoint(11, 4), QPoint(8, 10)}) {
            for (int y = c.y() + 2; y <= c.y() + 5 && y < Size; ++y)
                img.setPixelColor(c.x(), y, p.trunk);
            for (int y = -3; y <= 3; ++y)
                for (int x = -3; x <= 3; ++x)
                    if (x * x + y * y <= 9 && c.x() + x >= 0 && c.x() + x < Size && c.y() + y >= 0)
                        img.setPixelColor(c.x() + x, c.y() + y, speckle(x + 9, y + 9, 4) < 50 ? p.tree.darker(130) : p.tree);
        }
        break;
    case 0x31: // mountain: a peak with a light top
        ground(img, p, 5);
        for (int y = 2; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (std::abs(x - 8) <= (y - 2) * 8 / 13)
                    img.setPixelColor(x, y, y < 6 ? p.peak : (x < 8 ? p.rock.lighter(115) : p.rock));
        break;
    case 0x32: // water with waves
        fill(img, p.water);
        for (int y = 3; y < Size; y += 5)
            for (int x = 0; x < Size; ++x)
                if ((x + y) % 6 < 3)
                    img.setPixelColor(x, y + ((x / 3) % 2), p.wave);
        break;
    case 0x33: // road
        ground(img, p, 6);
        for (int y = 3; y < 13; ++y)
            for (int x = 0; x < Size; ++x)
                img.setPixelColor(x, y, speckle(x, y, 7) < 40 ? p.road.darker(115) : p.road);
        break;
    case 0x34: // house: roof and wall with a door
        ground(img, p, 8);
        for (int y = 2; y < 8; ++y)
            for (int x = 8 - (y - 1); x <= 7 + (y - 1); ++x)
                img.setPixelColor(std::clamp(x, 0, 15), y, p.roof);
        for (int y = 8; y < 15; ++y)
            for (int x = 3; x < 13; ++x)
                img.setPixelColor(x, y, (x >= 7 && x <= 8 && y >= 11) ? p.wood : p.wall);
        break;
    case 0x35: // wall of stone blocks
        fill(img, p.stone);
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (y % 4 == 3 || (x + (y / 4 % 2) * 4) % 8 == 0)
                    img.setPixelColor(x, y, p.mortar);
        break;
    case 0x36: // gate: stone with a wooden door
        fill(img, p.stone);
        for (int y = 4; y < Size; ++y)
            for (int x = 4; x < 12; ++x)
                img.setPixelColor(x, y, (x == 7 || x == 8) ? p.wood.darker(140) : p.wood);
        break;
    case 0x37: // bridge: planks over water
        fill(img, p.water);
        for (int y = 3; y < 13; ++y)
            for (int x = 0; x < Size; ++x)
                img.setPixelColor(x, y, x % 4 == 0 ? p.wood.darker(140) : p.wood);
        break;
    default: // 0x2E and anything else: plain ground
        ground(img, p, 1);
        break;
    }
    return img;
}

// 3 x 5 pixel digits 0 to F, one row per three bits.
const char *const Digits[16] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                                "101101111001001", "111100111001111", "111100111101111", "111001010010010",
                                "111101111101111", "111101111001111", "010101111101101", "110101110101110",
                                "111100100100111", "110101101101110", "111100110100111", "111100110100100"};

void digit(QImage &img, int value, int left, int top, const QColor &c)
{
    for (int i = 0; i < 15; ++i)
        if (Digits[value][i] == '1')
            img.setPixelColor(left + i % 3, top + i / 3, c);
}

// Class families: colour and a mark on top of the shield.
QColor familyColour(int code)
{
    if (code <= 0x02) return QColor(40, 70, 200);   // knights
    if (code <= 0x05) return QColor(40, 170, 200);  // fliers
    if (code <= 0x0A) return QColor(150, 90, 40);   // foot soldiers
    if (code <= 0x0C) return QColor(40, 140, 50);   // archers
    if (code <= 0x0F) return QColor(130, 50, 170);  // mages
    if (code <= 0x13) return QColor(230, 200, 60);  // priests
    if (code <= 0x15) return QColor(110, 110, 110); // thief, villager
    return QColor(200, 40, 40);                     // baron, hero, princess
}

QImage unit(int code, const Palette &p)
{
    QImage img(Size, Size, QImage::Format_RGB32);
    img.fill(p.ground);
    const QColor body = familyColour(code);
    // A shield shape with a dark outline.
    for (int y = 1; y < 15; ++y) {
        const int half = y < 10 ? 6 : 6 - (y - 9);
        for (int x = 8 - half; x < 8 + half; ++x) {
            const bool edge = x == 8 - half || x == 7 + half || y == 1 || y == 14;
            img.setPixelColor(x, y, edge ? body.darker(200) : body);
        }
    }
    const QColor ink = code >= 0x10 && code <= 0x13 ? QColor(60, 40, 0) : QColor(255, 255, 255);
    digit(img, code >> 4, 4, 4, ink);
    digit(img, code & 15, 9, 4, ink);
    // Fliers get wings, mounted classes a bar under the digits.
    if (code >= 0x03 && code <= 0x05)
        for (int x = 0; x < 3; ++x) {
            img.setPixelColor(x, 5 + x, QColor(255, 255, 255));
            img.setPixelColor(15 - x, 5 + x, QColor(255, 255, 255));
        }
    if (code <= 0x05)
        for (int x = 5; x < 11; ++x)
            img.setPixelColor(x, 11, ink);
    return img;
}

void save(const QImage &img, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, "BMP"))
        fail("cannot write " + path);
}

} // namespace

QImage tileBitmap(int type, int code)
{
    return tile(code, palette(type));
}

void writeBitmaps(const QString &programDir, const QVector<QVector<int>> &tilesUsed)
{
    for (int type = 0; type < 3; ++type) {
        const Palette p = palette(type);
        for (int code : tilesUsed[type])
            save(tile(code, p), QString("%1/Loc%2/%3.bmp").arg(programDir).arg(type).arg(hex2(code)));
        for (int code = 0x01; code <= 0x18; ++code)
            save(unit(code, p), QString("%1/eWork%2/%3.bmp").arg(programDir).arg(type).arg(hex2(code)));
    }
}
