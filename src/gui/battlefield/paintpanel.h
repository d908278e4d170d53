#pragma once

#include "battlefield/mapcodec.h"

#include <QGroupBox>

#include <set>

class FieldView;
class PaintTool;
class TileSet;
class QLabel;
class QListWidget;

// The painting side of the battlefield page: the palette of the map's tiles, the meter of the
// map's bytes, and the painting tool that acts on the map view.
class PaintPanel : public QGroupBox {
    Q_OBJECT
public:
    PaintPanel(ByteImages &images, FieldView &view, QWidget *parent = nullptr);

    QLabel *lblMapBytes; // "地图数据 412 / 430 字节", or why the map cannot be painted
    QListWidget *lstTiles;
    PaintTool *tool;

    // The map of the war drawn now: the palette holds every bitmap of the tile folder and every
    // code the map uses without one.
    void showMap(const PaintableMap &map, const QString &name, TileSet *tiles);

signals:
    void message(const QString &text);

private:
    void showMeter(int used, int budget, bool full);
    void selectTile(int code);

    QString m_folder; // the palette's tile folder
    std::set<int> m_codes; // the palette's codes
    qint64 m_map = -1;     // and the map they were gathered for
};
