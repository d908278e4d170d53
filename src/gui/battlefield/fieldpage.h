#pragma once

#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "image/imageview.h"

#include <QHash>
#include <QPixmap>
#include <QPointF>
#include <QVector>
#include <QWidget>

#include <memory>
#include <vector>

class EnemyTypePage;
class FieldSurface;
class FieldView;
class PaintPanel;
class PlacementTool;
class QRadioButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;

// Page "战场部队": one war on its map, with numbered markers on the start positions of the four
// sides and the pictures of the fixed armies' units on the defending positions. Markers and
// pictures are dragged tile by tile; a unit is described on hover and edited on double-click,
// either field by field (a unit with its own record) or by choosing a row of the enemy-type
// grid (a unit that names an enemy type).
class FieldPage : public QWidget, public ImageView {
    Q_OBJECT
public:
    // Sides of the war, in the order of their marker arrays and legend labels.
    enum Side { AttackOne, AttackTwo, DefenceOne, DefenceTwo };

    FieldPage(ByteImages &images, const QString &editorFolder, QTabWidget *stabField, EnemyTypePage *types,
              QWidget *parent = nullptr);
    ~FieldPage() override;

    static constexpr int Tile = 16;                   // pixels of one map tile at 100%
    static constexpr QSize ViewSize = QSize(393, 373); // the map viewport in a window of the default size

    // Pixels of one map tile at the current zoom.
    int tile() const;
    // Grows the map viewport by extra beyond ViewSize (the room a larger window gives).
    void setExtraRoom(QSize extra);

    FieldView *picFieldContainer;
    FieldSurface *picField;
    QLabel *imgField;
    QTimer *timerField;
    QComboBox *cboWarField;
    QComboBox *cboFieldZoom; // "100%" .. "400%"
    QLineEdit *txtFieldInfo;
    QPlainTextEdit *txtArmyMen;
    QCheckBox *chkShowLine;
    QCheckBox *chkShowLoc;
    QCheckBox *chkShowArmys;
    QRadioButton *optPlace; // "布阵": markers and units are placed (the default)
    QRadioButton *optPaint; // "地形": the ground is painted
    PaintPanel *framePaint;
    QPushButton *btnExportMap; // "导出地图图片..."
    QLabel *lblColor[4];
    QWidget *shapeEdit;
    QGroupBox *frameEnemyEdit;
    QLabel *lblEnemyEdit[6];
    QComboBox *cboEnemyEdit[4]; // name, class, item, AI
    QLineEdit *txtEnemyEdit[2]; // level, magic
    QPushButton *btnEditOk;
    QPushButton *btnEditCancel;

    // Start-up steps.
    void CreateArmyList();
    void FillBattlefieldList();
    // Fills the four selectors of the edit frame with the enemy-type code lists.
    void fillEditSelectors(const EnemyType &types);

    // Redraws the war chosen in cboWarField (the tick of timerField).
    void timerField_Timer();
    // The offsets a step, an undo or a redo wrote (sorted, each once), by any editor, this page
    // included: what the page shows of them is shown again, keeping the zoom, the place of the
    // map, the mode and the unit being edited. Nothing is done when no shown byte is among them.
    void imageWritten(const std::vector<quint32> &offsets);
    void imageWritten(const WrittenBytes &written) override { imageWritten(written.offsets); }
    void ClearFieldMarkers();
    void ClearGridLines();
    void PlaceUnitImages();
    void RefreshUnitBitmaps();
    void chkShowLine_Click();
    void chkShowLoc_Click();
    void chkShowArmys_Click();
    bool painting() const;
    // Shows the tools of the mode chosen.
    void modeChanged();

    // Shows war `war` (from 1) at once; unit edit mode ends first.
    void showWar(int war);
    // Shows the first war whose battlefield is `battlefield` (from 1); false when none is.
    bool showBattlefield(int battlefield);
    // Shows the first war where unit `unit` of army `army` stands and opens it for editing with
    // the focus in field `field` (0 its type, 1 to 6 name to magic); false when no war shows it.
    bool showUnit(int army, int unit, int field);

    // The marker a unit picture stands on (tag "A03": marker 3 of defending team one), or none.
    QLabel *UnitMarkerOf(const QLabel *picture) const;
    // A tile inside the map's inner ring that holds no marker.
    bool IsFreeTile(int x, int y) const;
    static QString UnitDescription(const ArmyMen &unit);
    static QString sideCaption(Side side); // "攻击方一队" ...
    void ShowUnitInEditFrame(const ArmyMen &unit);

    void btnEditOk_Click();
    void btnEditCancel_Click();
    void btnEtypeEditOk_Click();

    const FieldInfo *war() const { return m_war.get(); }
    Armys *armys() const { return m_armys.get(); }
    bool UnitEditMode = false;
    ArmyMen *CurrentUnit = nullptr;

    friend class PlacementTool;

    // The map as shown, at the current zoom, with the markers, pictures and lines shown on it.
    QImage mapPicture() const;

signals:
    // "导出地图图片..." was clicked.
    void exportMapRequested();
    // A war was drawn (by the timer, or directly after opening a file).
    void warDrawn();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Picture {
        int team; // 0: imgDef, 1: imgDef1
        int index;
    };
    // The unit open for editing, by its picture, kept over a new reading of the armies.
    struct Editing {
        bool on = false;
        Picture picture{-1, 0};
        bool own = false; // a record of its own
    };
    // Bytes [from, to) of the image the page shows.
    struct Span {
        qint64 from;
        qint64 to;
    };

    // Draws the war chosen; keep: after a change of its bytes (the view, mode and edit stay).
    void drawWar(bool keep);
    // The cells of the map that changed, in place; false when the map was drawn anew with all.
    bool showMapAgain();
    // Markers and pictures shown again after their bytes were written.
    void placeArmiesAgain(bool places, bool armies, const std::vector<quint32> &offsets);
    // Whether a unit of the war's armies is now of the other kind (reference or own record).
    bool armiesChangedKind() const;
    void placeArmies();
    bool markersMatchImage() const;
    Editing editing() const;
    void resumeEditing(const Editing &was, bool showStored);
    void noteShownBytes();

    void buildLayout();
    QLabel *addMarker(Side side, int i, int x, int y);
    QLabel *addPicture(int team, int i, ArmyMen *unit, const QString &tag);
    void placeMarkers();
    void placePictures();
    ArmyMen *unitOf(int team, int i) const;
    QPixmap unitBitmap(const ArmyMen *unit);
    // Tile of a child of picField.
    QPoint tileOf(const QWidget *w) const;
    void zoomChanged(int percent, int oldTile, int newTile);
    // The frame around the picture of the unit being edited.
    void frameUnit(const QLabel *picture);
    void showTile(const QString &position);

    void openUnit(QLabel *picture, const Picture &which);
    void leaveUnitEdit();
    void editFrameEnter(QWidget *field);

    ByteImages &m_images;
    QString m_folder;
    QTabWidget *m_stabField;
    EnemyTypePage *m_types;
    std::unique_ptr<FieldEdit> m_fields;
    std::unique_ptr<FieldInfo> m_war;
    std::unique_ptr<Armys> m_armys;

    QVector<QLabel *> m_markers[4];  // lblAct, lblAct1, lblDef, lblDef1; element i at [i - 1]
    QVector<QLabel *> m_pictures[2]; // imgDef, imgDef1
    QHash<QLabel *, Side> m_sideOf;
    QHash<QLabel *, Picture> m_pictureOf;
    QHash<QString, QPixmap> m_unitBitmaps; // by file path
    std::vector<Span> m_mapBytes;   // size bytes and tile stream
    std::vector<Span> m_placeBytes; // start positions
    std::vector<Span> m_armyBytes;  // the fixed armies' units and the enemy types they name
    PlacementTool *m_placement;
};
