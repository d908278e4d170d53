// Paints a few battlefield maps of the built-in image side by side, from the tile bitmaps beside
// the program, with each map's start positions marked: mapsheet <editor folder> <out.png> [war ...]
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "image/byteimages.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: mapsheet <editor folder> <out.png> [war ...]\n");
        return 2;
    }
    QList<int> wars;
    for (int i = 3; i < args.size(); ++i)
        wars.append(args[i].toInt());
    if (wars.isEmpty())
        wars = {1, 2, 3, 4, 5, 6};

    ByteImages images;
    images.WorkImage = loadBuiltInImage();
    FieldEdit fields(images, args[1]);
    FieldInfo war(images);
    QList<QImage> pictures;
    QList<QString> titles;
    for (int id : wars) {
        QImage map;
        if (!war.SetWarField(id, fields, &map))
            continue;
        QPainter p(&map);
        const auto mark = [&p](int x, int y, const QColor &c) {
            if (x >= 0 && y >= 0)
                p.fillRect(x * 16 + 4, y * 16 + 4, 8, 8, c);
        };
        for (int i = 1; i <= war.ActNumber[0]; ++i)
            mark(war.ActX(0, i), war.ActY(0, i), QColor(0, 0, 255));
        for (int i = 1; i <= war.HelpNumber; ++i)
            mark(war.HelpX(i), war.HelpY(i), QColor(0, 128, 0));
        for (int i = 1; i <= war.ActNumber[1]; ++i)
            mark(war.ActX(1, i), war.ActY(1, i), QColor(0, 128, 0));
        for (int i = 1; i <= war.DefNumber[0]; ++i)
            mark(war.DefX(0, i), war.DefY(0, i), QColor(255, 128, 255));
        for (int i = 1; i <= war.DefNumber[1]; ++i)
            mark(war.DefX(1, i), war.DefY(1, i), QColor(255, 0, 0));
        p.end();
        pictures.append(map);
        titles.append(QString("%1  %2  %3x%4%5").arg(war.WarName, war.Name).arg(war.Height).arg(war.Width).arg(war.fType));
    }
    const int columns = 3;
    const int cellW = 32 * 16 + 16;
    const int cellH = 30 * 16 + 40;
    QImage sheet(columns * cellW, int((pictures.size() + columns - 1) / columns) * cellH, QImage::Format_RGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter p(&sheet);
    for (int i = 0; i < pictures.size(); ++i) {
        const QPoint at((i % columns) * cellW + 8, (i / columns) * cellH + 8);
        p.drawText(at + QPoint(0, 14), titles[i]);
        p.drawImage(at + QPoint(0, 24), pictures[i]);
    }
    p.end();
    return sheet.save(args[2]) ? 0 : 1;
}
