// Any bytes over the maps, armies, enemy types or position lists: every battlefield reader keeps
// to the image. The first input byte picks the region, the rest is written there.
#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapdata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    static const qint64 regions[4] = {0x556DE, 0x6E664, 0x6ECF2, 0x6F000};
    if (size < 1)
        return 0;
    ByteImages images;
    images.WorkImage = pristine;
    const qint64 at = regions[data[0] % 4];
    const qsizetype n = std::min<qsizetype>(qsizetype(size) - 1, images.WorkImage.size() - at);
    images.WorkImage.replace(at, n, QByteArray(reinterpret_cast<const char *>(data + 1), n));
    images.OpenedImage = images.WorkImage;

    Armys armys(images);
    for (int a = 1; a <= armys.Count(); ++a)
        for (int u = 1; u <= armys.Item(a)->Number(); ++u) {
            ArmyMen *m = armys.Item(a)->Item(u);
            (void)m->tName();
            (void)m->tAI();
            (void)m->vMaxHP();
        }
    FieldEdit fields(images, QStringLiteral("/nonexistent"));
    FieldInfo war(images);
    for (int id = 1; id <= war.AllWarName().size(); ++id) {
        war.SetWarField(id, fields);
        (void)war.DefX(0, 1);
        (void)war.HelpY(1);
        (void)decodeMap(images.WorkImage, war.Address.toLongLong(nullptr, 16));
    }
    return 0;
}
