// The battlefield readers on what a corrupt file can hold: a war row of any text, a map at any
// address of an image of any size, painted and written back within its bytes, an army of any length at any address, and every getter and
// setter of the units it finds. Input: three bytes of address, the war row up to a line break,
// then the image.
#include "battlefield/armytype.h"
#include "battlefield/enemytype.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapcodec.h"
#include "battlefield/mapdata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qint64 address = qint64(data[0]) << 16 | qint64(data[1]) << 8 | data[2];
    const qsizetype lineEnd = input.indexOf('\n', 3);
    const QString row = QString::fromUtf8(input.mid(3, lineEnd < 0 ? -1 : lineEnd - 3));
    ByteImages images;
    images.load(lineEnd < 0 ? QByteArray() : input.mid(lineEnd + 1));
    images.OpenedImage = images.WorkImage.left(images.WorkImage.size() / 2); // shorter than the image

    // A map anywhere, painted from tiles that are not there.
    const DecodedMap map = decodeMap(images.WorkImage, address % (images.WorkImage.size() + 2));
    if (map.tiles.size() > qsizetype(map.width) * map.height)
        __builtin_trap();
    static TileSet tiles(QStringLiteral("/nonexistent"));
    if (map.width <= 40 && map.height <= 40 && data[2] % 16 == 0)
        (void)paintMap(map, tiles); // now and then: painting is slow and reads nothing

    // The same map made paintable against a pristine image of the other half of the input, and
    // written back with one cell changed: within its budget or not at all.
    images.PristineImage = images.WorkImage;
    if (images.PristineImage.size() > 4)
        images.PristineImage.replace(images.PristineImage.size() / 2, 1, "\x7F");
    const PaintableMap paintable = paintableMap(images, address % (images.WorkImage.size() + 2));
    if (paintable.paintable() && !paintable.tiles.isEmpty() && paintable.tiles.size() <= 4096) {
        QVector<int> tiles = paintable.tiles;
        tiles[data[1] % tiles.size()] = data[0];
        const QByteArray before = images.WorkImage;
        const bool written = writeMap(images, paintable, tiles);
        for (qsizetype i = 0; i < before.size(); ++i)
            if (before[i] != images.WorkImage[i] &&
                (!written || i < paintable.streamStart() || i >= paintable.streamStart() + paintable.budget))
                __builtin_trap();
        if (written && decodeMap(images.WorkImage, paintable.offset).tiles != tiles)
            __builtin_trap();
        images.history.clear();
    }


    // A war row of any text, and its coordinates read and written.
    static ByteImages *shared = new ByteImages;
    static FieldEdit *fields = new FieldEdit(*shared, QStringLiteral("/nonexistent"));
    static FieldInfo &war = *new FieldInfo(*shared);
    shared->WorkImage = images.WorkImage;
    shared->history.clear(); // each input starts with no steps behind it
    if (war.setWarRow(row, *fields)) {
        for (int loc = 0; loc < 2; ++loc)
            for (int i = 0; i <= 3; ++i) {
                (void)war.ActX(loc, i);
                (void)war.DefY(loc, i);
                war.setDefX(loc, i, 3);
                war.setActY(loc, i, 2);
            }
        (void)war.HelpX(1);
        war.setHelpY(1, 2);
    }

    // An army of up to 20 units at the address, every field read and written.
    static EnemyType &types = *new EnemyType(*shared);
    ArmyType army(*shared, types);
    army.InitArmy(1, address, data[2] % 21);
    if (army.Number() > 0 && army.end() > shared->WorkImage.size())
        __builtin_trap(); // a unit reaching past the image
    for (int u = 1; u <= army.Number(); ++u) {
        ArmyMen *m = army.Item(u);
        (void)m->tName(), (void)m->tWork(), (void)m->tLevel(), (void)m->tItem(), (void)m->tAI(), (void)m->tMagic();
        (void)m->vMaxHP(), (void)m->vAct(), (void)m->vMove(), (void)m->vMDef();
        m->setTAI(QStringLiteral("80理智防守"));
        m->setTLevel(QStringLiteral("12"));
        m->setTypeID(true, QStringLiteral("53"));
    }
    for (int t = 0; t <= EnemyType::Count + 1; ++t) {
        QString source;
        (void)types.OneType(t, &source);
    }
    return 0;
}
