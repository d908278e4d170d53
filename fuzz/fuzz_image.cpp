// An executable of the right size whose contents are anything: the bytes of the input go over
// the built-in image at a place picked by its first byte (maps, armies, position lists, enemy
// types, the game tables, or anywhere), and every reader of the core walks the result as the
// start-up sequence, the pages and the change list do.
#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapdata.h"
#include "gamedata/fieldchanges.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace GameTables;
    static const QByteArray pristine = loadBuiltInImage();
    static const qint64 places[8] = {0x556DE, 0x6E664, 0x6FF3E, EnemyType::Base, CharacterBase, ClassBase, TerrainBase, 0};
    if (size < 4)
        return 0;
    static ByteImages *images = [] {
        auto *i = new ByteImages;
        i->load(pristine);
        i->WorkImage.detach();
        i->OpenedImage = pristine;
        return i;
    }();
    qint64 at = places[data[0] % 8];
    if (at == 0)
        at = (qint64(data[1]) << 16 | qint64(data[2]) << 8 | data[3]) % TargetSize;
    const qsizetype n = std::min<qsizetype>(qsizetype(size) - 4, TargetSize - at);
    // Written in place and put back afterwards: no copy of the whole image for every input.
    std::copy_n(reinterpret_cast<const char *>(data + 4), n, images->WorkImage.data() + at);
    const struct Restore {
        qint64 at;
        qsizetype n;
        ~Restore() { std::copy_n(pristine.constData() + at, n, images->WorkImage.data() + at); }
    } restore{at, n};
    if (images->WorkImage.size() != TargetSize)
        __builtin_trap();

    // Every reader of the bytes that changed (readers of unchanged bytes would only repeat the
    // built-in data): the class table, the armies, the enemy types, and each war's map and lists.
    const auto touches = [at, n](qint64 from, qint64 length) { return from < at + n && at < from + length; };
    if (touches(ClassBase, 7 * 0x20))
        for (int c = 0; c <= 0x20; ++c)
            (void)ClassRecord::read(images->WorkImage, c);
    // Where the armies and each war's map and lists start, from the tables, once.
    static const QList<qint64> armyAt = [] {
        QList<qint64> at;
        for (const QString &row : GetResString(10).split(u'*'))
            at.append(row.section(u'|', 0, 0).toLongLong(nullptr, 16));
        return at;
    }();
    static FieldEdit *fields = new FieldEdit(*images, QStringLiteral("/nonexistent"));
    static FieldInfo *war = new FieldInfo(*images);
    struct WarPlace {
        qint64 map, lists;
    };
    static const QList<WarPlace> warAt = [] {
        QList<WarPlace> at;
        for (int id = 1; id <= war->AllWarName().size(); ++id) {
            war->SetWarField(id, *fields);
            at.append({war->Address.toLongLong(nullptr, 16), war->ActAddress[0].toLongLong(nullptr, 16)});
        }
        return at;
    }();

    // The armies whose units changed; when the enemy types did, one army picked by the input
    // (every unit of every army reads its kind the same way).
    const bool types = touches(EnemyType::Base, 6 * EnemyType::Count);
    QList<int> changed;
    for (int a = 0; a < armyAt.size(); ++a)
        if (touches(armyAt[a], 1 + 6 * 20))
            changed.append(a + 1);
    if (types && !armyAt.isEmpty())
        changed.append(data[1] % armyAt.size() + 1);
    if (!changed.isEmpty()) {
        Armys all(*images); // the units' kinds follow the bytes
        for (const int a : changed)
            for (int u = 1; u <= all.Item(a)->Number(); ++u) {
                const ArmyMen *m = all.Item(a)->Item(u);
                (void)m->tName(), (void)m->tWork(), (void)m->tItem(), (void)m->tAI(), (void)m->tMagic();
                (void)m->vMaxHP(), (void)m->vDef();
            }
        for (int t = 1; types && t <= EnemyType::Count; ++t) {
            QString source;
            (void)all.eType().OneType(t, &source);
        }
    }
    for (int id = 1; id <= warAt.size(); ++id) {
        const WarPlace &p = warAt[id - 1];
        const bool map = touches(p.map - 1, 4 + 2 * 32 * 30);
        const bool lists = touches(p.lists, 128);
        if ((!map && !lists) || !war->SetWarField(id, *fields))
            continue;
        if (map)
            (void)decodeMap(images->WorkImage, war->Address.toLongLong(nullptr, 16));
        for (int i = 1; lists && i <= std::min(war->DefNumber[0], 4); ++i)
            (void)war->DefX(0, i);
        (void)war->HelpY(1);
    }

    // Half the inputs: the whole description laid out over the result, the changes described by
    // field, and the read-out of the first and last byte written.
    if (data[0] & 8) {
        const GameData::Catalogue catalogue(images->WorkImage, pristine);
        (void)describeChanges(catalogue, pristine, images->WorkImage);
        (void)describeByte(catalogue, images->WorkImage, at);
        (void)describeByte(catalogue, images->WorkImage, at + std::max<qsizetype>(n, 1) - 1);
    }
    return 0;
}
