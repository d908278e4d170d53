#include "battlefield/fieldpage.h"

#include "battlefield/enemytypepage.h"
#include "battlefield/fieldsurface.h"
#include "battlefield/fieldview.h"
#include "battlefield/paintpanel.h"
#include "battlefield/painttool.h"
#include "battlefield/placementtool.h"
#include "battlefield/mapdata.h"
#include "controls/flexgrid.h"
#include "gamedata/gamedata.h"
#include "image/mymodule.h"
#include "tables/tablewidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char *const MarkerNames[4] = {"lblAct", "lblAct1", "lblDef", "lblDef1"};
const char *const PictureNames[2] = {"imgDef", "imgDef1"};
const char *const SideCaptions[4] = {"攻击方一队", "攻击方二队", "防御方一队", "防御方二队"};
const QColor SideColors[4] = {QColor(0, 0, 255), QColor(0, 128, 0), QColor(255, 128, 255), QColor(255, 0, 0)};

// The frame around the unit being edited: 1.25 tiles, drawn as an outline.
class EditFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(QPen(QColor(0, 255, 255), 2));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

QString statText(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QStringLiteral("?");
}

// The marker's number at any zoom: 10 pixels on a 16-pixel tile.
QFont markerFont(int tile)
{
    QFont f;
    f.setPixelSize(tile * 10 / FieldPage::Tile);
    f.setBold(true);
    return f;
}

} // namespace

FieldPage::FieldPage(ByteImages &images, const QString &editorFolder, QTabWidget *stabField, EnemyTypePage *types,
                     QWidget *parent)
    : QWidget(parent), m_images(images), m_folder(editorFolder), m_stabField(stabField), m_types(types)
{
    m_placement = new PlacementTool(*this, m_images);
    buildLayout();

    timerField = new QTimer(this);
    timerField->setObjectName(QStringLiteral("timerField"));
    timerField->setInterval(500);
    connect(timerField, &QTimer::timeout, this, &FieldPage::timerField_Timer);
    connect(cboWarField, &QComboBox::currentIndexChanged, timerField, qOverload<>(&QTimer::start));
    connect(chkShowLine, &QCheckBox::clicked, this, &FieldPage::chkShowLine_Click);
    connect(chkShowLoc, &QCheckBox::clicked, this, &FieldPage::chkShowLoc_Click);
    connect(chkShowArmys, &QCheckBox::clicked, this, &FieldPage::chkShowArmys_Click);
    connect(btnEditOk, &QPushButton::clicked, this, &FieldPage::btnEditOk_Click);
    connect(btnEditCancel, &QPushButton::clicked, this, &FieldPage::btnEditCancel_Click);
    connect(m_types, &EnemyTypePage::classChanged, this, &FieldPage::RefreshUnitBitmaps);
    connect(m_types, &EnemyTypePage::etypeEditOk, this, &FieldPage::btnEtypeEditOk_Click);
}

FieldPage::~FieldPage() = default;

void FieldPage::buildLayout()
{
    picFieldContainer = new FieldView(this);
    picFieldContainer->setMinimumSize(ViewSize);
    picFieldContainer->setPreferredSize(ViewSize);
    picField = picFieldContainer->surface();
    connect(picFieldContainer, &FieldView::hovered, this, [this](QPoint t) {
        showTile(QStringLiteral("%1,%2").arg(t.x()).arg(t.y()));
        // While painting, the tile's code too: "第01战场 (5,7) 2F".
        const PaintableMap &map = framePaint->tool->map();
        if (painting() && t.x() >= 0 && t.y() >= 0 && t.x() < map.width && t.y() < map.height &&
            qsizetype(t.y()) * map.width + t.x() < map.tiles.size())
            txtFieldInfo->setText(txtFieldInfo->text() + u' ' + hexByte(map.tiles[qsizetype(t.y()) * map.width + t.x()]));
    });
    connect(picFieldContainer, &FieldView::left, this, [this] {
        if (!UnitEditMode)
            txtArmyMen->clear();
    });
    connect(picFieldContainer, &FieldView::zoomChanged, this, &FieldPage::zoomChanged);
    imgField = new QLabel(picField);
    imgField->setObjectName(QStringLiteral("imgField"));
    imgField->hide();
    shapeEdit = new EditFrame(picField);
    shapeEdit->setObjectName(QStringLiteral("shapeEdit"));
    shapeEdit->setAttribute(Qt::WA_TransparentForMouseEvents);
    shapeEdit->hide();

    cboWarField = new QComboBox(this);
    cboWarField->setObjectName(QStringLiteral("cboWarField"));
    cboWarField->setMaxVisibleItems(20);
    txtFieldInfo = new QLineEdit(this);
    txtFieldInfo->setObjectName(QStringLiteral("txtFieldInfo"));
    txtFieldInfo->setReadOnly(true);
    txtFieldInfo->setMinimumWidth(txtFieldInfo->fontMetrics().horizontalAdvance(QStringLiteral("第00战场 (00,00)")) + 16);
    cboFieldZoom = new QComboBox(this);
    cboFieldZoom->setObjectName(QStringLiteral("cboFieldZoom"));
    cboFieldZoom->setToolTip(QStringLiteral("缩放 (Ctrl+滚轮)"));
    for (int z : FieldView::Zooms)
        cboFieldZoom->addItem(QStringLiteral("%1%").arg(z), z);
    connect(cboFieldZoom, &QComboBox::activated, this,
            [this](int i) { picFieldContainer->setZoom(cboFieldZoom->itemData(i).toInt()); });

    QFont legendFont(QStringLiteral("SimSun"));
    legendFont.setPointSize(9);
    legendFont.setBold(true);
    auto *legend = new QVBoxLayout;
    legend->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        lblColor[i] = makeLabel(this, QStringLiteral("lblColor_%1").arg(i), QString::fromUtf8(SideCaptions[i]));
        lblColor[i]->setFont(legendFont);
        lblColor[i]->setAlignment(Qt::AlignCenter);
        lblColor[i]->setAutoFillBackground(true);
        QPalette pal = lblColor[i]->palette();
        pal.setColor(QPalette::Window, SideColors[i]);
        pal.setColor(QPalette::WindowText, Qt::white);
        lblColor[i]->setPalette(pal);
        const QFontMetrics fm(legendFont);
        lblColor[i]->setFixedSize(std::max(66, fm.horizontalAdvance(lblColor[i]->text()) + 10), fm.height() + 4);
        legend->addWidget(lblColor[i]);
    }

    chkShowLine = new QCheckBox(QStringLiteral("显示网格"), this);
    chkShowLine->setObjectName(QStringLiteral("chkShowLine"));
    chkShowLoc = new QCheckBox(QStringLiteral("显示位置"), this);
    chkShowLoc->setObjectName(QStringLiteral("chkShowLoc"));
    chkShowLoc->setChecked(true);
    chkShowArmys = new QCheckBox(QStringLiteral("显示部队"), this);
    chkShowArmys->setObjectName(QStringLiteral("chkShowArmys"));
    chkShowArmys->setChecked(true);
    auto *switches = new QVBoxLayout;
    switches->addWidget(chkShowLine);
    switches->addWidget(chkShowLoc);
    switches->addWidget(chkShowArmys);
    optPlace = new QRadioButton(QStringLiteral("布阵"), this);
    optPlace->setObjectName(QStringLiteral("optPlace"));
    optPlace->setChecked(true);
    optPaint = new QRadioButton(QStringLiteral("地形"), this);
    optPaint->setObjectName(QStringLiteral("optPaint"));
    connect(optPaint, &QRadioButton::toggled, this, &FieldPage::modeChanged);
    auto *modes = new QHBoxLayout;
    modes->addWidget(optPlace);
    modes->addWidget(optPaint);
    switches->addLayout(modes);
    btnExportMap = new QPushButton(QStringLiteral("导出地图图片..."), this);
    btnExportMap->setObjectName(QStringLiteral("btnExportMap"));
    connect(btnExportMap, &QPushButton::clicked, this, &FieldPage::exportMapRequested);
    switches->addWidget(btnExportMap);
    switches->addStretch(1);

    txtArmyMen = makeSourceBox(this, "txtArmyMen");
    txtArmyMen->setFixedSize(txtArmyMen->fontMetrics().horizontalAdvance(QStringLiteral("AI方式: C0理智进攻")) + 40,
                             textBoxHeight(txtArmyMen, 15));

    frameEnemyEdit = new QGroupBox(QStringLiteral("人物编辑"), this);
    frameEnemyEdit->setObjectName(QStringLiteral("frameEnemyEdit"));
    frameEnemyEdit->setEnabled(false);
    static const char *captions[6] = {"姓  名", "职  业", "等  级", "物  品", "AI方式", "魔  法"};
    auto *fields = new QGridLayout(frameEnemyEdit);
    for (int i = 0; i < 6; ++i) {
        lblEnemyEdit[i] = makeLabel(frameEnemyEdit, QStringLiteral("lblEnemyEdit_%1").arg(i), QString::fromUtf8(captions[i]));
        fields->addWidget(lblEnemyEdit[i], i, 0);
    }
    const int comboRow[4] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        cboEnemyEdit[i] = makeSelector(frameEnemyEdit, QStringLiteral("cboEnemyEdit_%1").arg(i), {});
        cboEnemyEdit[i]->installEventFilter(this);
        fields->addWidget(cboEnemyEdit[i], comboRow[i], 1);
    }
    for (int i = 0; i < 2; ++i) {
        txtEnemyEdit[i] = makeField(frameEnemyEdit, QStringLiteral("txtEnemyEdit_%1").arg(i));
        txtEnemyEdit[i]->installEventFilter(this);
        fields->addWidget(txtEnemyEdit[i], i == 0 ? 2 : 5, 1, Qt::AlignLeft);
    }
    btnEditOk = new QPushButton(QStringLiteral("确定[&O]"), frameEnemyEdit);
    btnEditOk->setObjectName(QStringLiteral("btnEditOk"));
    btnEditOk->installEventFilter(this);
    btnEditCancel = new QPushButton(QStringLiteral("取消[&C]"), frameEnemyEdit);
    btnEditCancel->setObjectName(QStringLiteral("btnEditCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnEditOk);
    buttons->addWidget(btnEditCancel);
    fields->addLayout(buttons, 6, 0, 1, 2);
    fields->setRowStretch(7, 1);

    auto *war = new QHBoxLayout;
    cboWarField->setMaximumWidth(cboWarField->fontMetrics().horizontalAdvance(QStringLiteral("00  战场名称战场名称战场名称")) + 40);
    war->addWidget(cboWarField, 1);
    war->addWidget(txtFieldInfo);
    war->addWidget(cboFieldZoom);
    war->addStretch(1);
    auto *left = new QVBoxLayout;
    left->addLayout(war);
    left->addWidget(picFieldContainer);
    left->addStretch(1);

    auto *sideBar = new QHBoxLayout;
    sideBar->addLayout(legend);
    sideBar->addLayout(switches);
    auto *middle = new QVBoxLayout;
    middle->addLayout(sideBar);
    middle->addWidget(txtArmyMen);
    middle->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(middle);
    layout->addWidget(frameEnemyEdit, 0, Qt::AlignTop);
    framePaint = new PaintPanel(m_images, *picFieldContainer, this);
    framePaint->hide();
    connect(framePaint->tool, &PaintTool::outdated, this, [this] { drawWar(true); });
    connect(framePaint, &PaintPanel::message, this, [this](const QString &text) { showStatus(this, text); });
    layout->addWidget(framePaint);
    layout->addStretch(1);
}

void FieldPage::fillEditSelectors(const EnemyType &types)
{
    const CodeList *lists[4] = {&types.AllEName(), &types.AllEWork(), &types.AllEItem(), &types.AllEAI()};
    for (int i = 0; i < 4; ++i) {
        cboEnemyEdit[i]->clear();
        cboEnemyEdit[i]->addItems(lists[i]->entries());
        cboEnemyEdit[i]->setCurrentIndex(-1);
    }
}

void FieldPage::CreateArmyList()
{
    if (UnitEditMode)
        leaveUnitEdit();
    CurrentUnit = nullptr;
    m_armys = std::make_unique<Armys>(m_images);
}

void FieldPage::FillBattlefieldList()
{
    m_fields = std::make_unique<FieldEdit>(m_images, m_folder);
    m_war = std::make_unique<FieldInfo>(m_images);
    cboWarField->clear();
    const QStringList &names = m_war->AllWarName();
    for (int k = 1; k <= names.size(); ++k)
        cboWarField->addItem(twoDigits(k) + QStringLiteral("  ") + names[k - 1]);
    cboWarField->setCurrentIndex(0);
    timerField->stop();
    timerField_Timer();
}

void FieldPage::showWar(int war)
{
    if (!m_war || war < 1 || war > cboWarField->count())
        return;
    if (UnitEditMode)
        btnEditCancel_Click();
    cboWarField->setCurrentIndex(war - 1);
    timerField_Timer();
}

bool FieldPage::showBattlefield(int battlefield)
{
    if (!m_war || !m_fields)
        return false;
    FieldInfo probe(m_images);
    for (int k = 1; k <= cboWarField->count(); ++k)
        if (probe.SetWarField(k, *m_fields) && probe.ID == battlefield) {
            showWar(k);
            return true;
        }
    return false;
}

bool FieldPage::showUnit(int army, int unit, int field)
{
    if (!m_war || !m_fields || !m_armys)
        return false;
    FieldInfo probe(m_images);
    for (int k = 1; k <= cboWarField->count(); ++k) {
        if (!probe.SetWarField(k, *m_fields) || !probe.FixedArmy
            || (probe.FixedArmyID[0] != army && probe.FixedArmyID[1] != army))
            continue;
        if (painting())
            optPlace->click(); // units are opened while placing
        showWar(k);
        const ArmyType *wanted = m_armys->Item(army);
        for (auto it = m_pictureOf.cbegin(); it != m_pictureOf.cend(); ++it) {
            if (!wanted || unitOf(it->team, it->index) != wanted->Item(unit))
                continue;
            openUnit(it.key(), it.value());
            QWidget *const boxes[7] = {nullptr, cboEnemyEdit[0], cboEnemyEdit[1], txtEnemyEdit[0],
                                       cboEnemyEdit[2], cboEnemyEdit[3], txtEnemyEdit[1]};
            if (CurrentUnit && CurrentUnit->Edit() && field >= 1 && field <= 6)
                boxes[field]->setFocus();
            return true;
        }
    }
    return false;
}

void FieldPage::timerField_Timer()
{
    timerField->stop();
    drawWar(false);
}

void FieldPage::drawWar(bool keep)
{
    if (!m_war || !m_fields)
        return;
    const Editing was = keep ? editing() : Editing();
    if (keep) {
        // The unit structure follows the image as it is now (a unit's first byte may have changed).
        m_armys = std::make_unique<Armys>(m_images);
        CurrentUnit = nullptr;
    } else {
        CreateArmyList();
        txtArmyMen->clear();
        for (QComboBox *combo : cboEnemyEdit)
            showEntry(combo, QString());
        for (QLineEdit *box : txtEnemyEdit)
            box->clear();
    }

    QImage map;
    const bool loaded = m_war->SetWarField(cboWarField->currentIndex() + 1, *m_fields, &map);
    picFieldContainer->setMap(loaded ? map : QImage(), QSize(m_war->Width, m_war->Height), keep);
    ClearFieldMarkers();
    PaintableMap paintable;
    if (loaded)
        paintable = paintableMap(m_images, m_war->Address.toLongLong(nullptr, 16));
    else
        paintable.refusal = QStringLiteral("地图无法读取，无法绘制");
    framePaint->showMap(paintable, m_war->Name, loaded ? &m_fields->tiles(m_war->fType) : nullptr);
    if (painting() && !paintable.paintable())
        showStatus(this, paintable.refusal);
    if (!loaded) {
        txtFieldInfo->clear();
        resumeEditing(was, false);
        noteShownBytes();
        return;
    }
    chkShowLine_Click();
    if (!keep)
        txtFieldInfo->setText(m_war->Name);
    placeArmies();
    modeChanged();
    resumeEditing(was, true);
    noteShownBytes();
    emit warDrawn();
}

void FieldPage::placeArmies()
{
    placeMarkers();
    placePictures();
    PlaceUnitImages();
    chkShowLoc_Click();
    chkShowArmys_Click();
}

namespace {

// Whether an offset of the sorted list lies in one of the spans.
template <typename Span>
bool written(const std::vector<quint32> &offsets, const std::vector<Span> &spans)
{
    for (const Span &s : spans) {
        const auto it = std::lower_bound(offsets.cbegin(), offsets.cend(), quint32(std::max<qint64>(s.from, 0)));
        if (it != offsets.cend() && qint64(*it) < s.to)
            return true;
    }
    return false;
}

} // namespace

void FieldPage::imageWritten(const std::vector<quint32> &offsets)
{
    if (!m_war || !m_fields || offsets.empty())
        return;
    std::vector<quint32> sorted;
    const std::vector<quint32> *list = &offsets;
    if (!std::is_sorted(offsets.cbegin(), offsets.cend())) {
        sorted = offsets;
        std::sort(sorted.begin(), sorted.end());
        list = &sorted;
    }
    const bool map = written(*list, m_mapBytes);
    const bool places = written(*list, m_placeBytes);
    const bool armies = written(*list, m_armyBytes);
    if (map && !showMapAgain())
        return; // the war was drawn anew
    if (places || armies)
        placeArmiesAgain(places, armies, *list);
    if (map || places || armies)
        noteShownBytes();
}

bool FieldPage::showMapAgain()
{
    const PaintableMap now = paintableMap(m_images, m_war->Address.toLongLong(nullptr, 16));
    const PaintableMap shown = framePaint->tool->map();
    if (picFieldContainer->mapImage().isNull() || now.width != shown.width || now.height != shown.height ||
        now.tiles.size() != shown.tiles.size()) {
        drawWar(true);
        return false;
    }
    // Only the cells that differ: a stroke of this page has drawn its own already.
    TileSet &tiles = m_fields->tiles(m_war->fType);
    for (qsizetype i = 0; i < now.tiles.size(); ++i)
        if (now.tiles[i] != shown.tiles[i])
            picFieldContainer->setCell(QPoint(int(i % now.width), int(i / now.width)), tiles.tile(now.tiles[i]));
    if (now.tiles != shown.tiles || now.refusal != shown.refusal || now.budget != shown.budget)
        framePaint->showMap(now, m_war->Name, &tiles);
    if (painting() && !now.paintable() && now.refusal != shown.refusal)
        showStatus(this, now.refusal);
    return true;
}

bool FieldPage::markersMatchImage() const
{
    const QVector<FieldInfo::Position> now = m_war->positions();
    qsizetype shown = 0;
    for (const QVector<QLabel *> &side : m_markers)
        shown += side.size();
    if (now.size() != shown)
        return false;
    for (const FieldInfo::Position &p : now) {
        const QVector<QLabel *> &side = m_markers[p.side];
        if (p.entry > side.size() || tileOf(side[p.entry - 1]) != p.tile)
            return false;
    }
    return true;
}

bool FieldPage::armiesChangedKind() const
{
    if (!m_armys)
        return false;
    for (int k = 0; k < 2; ++k)
        if (const ArmyType *army = m_armys->Item(m_war->FixedArmyID[k]))
            for (int i = 1; i <= army->Number(); ++i) {
                const ArmyMen *unit = army->Item(i);
                ArmyMen probe(m_images, m_armys->eType());
                probe.InitMen(i, unit->address());
                if (probe.Edit() != unit->Edit())
                    return true;
            }
    return false;
}

void FieldPage::placeArmiesAgain(bool places, bool armies, const std::vector<quint32> &offsets)
{
    // A unit that became a record of its own, or a reference, moves the units behind it.
    const bool rebuild = armies && armiesChangedKind();
    if (places)
        m_war->SetWarField(cboWarField->currentIndex() + 1, *m_fields); // the lists may lie elsewhere now
    if (!rebuild && (!places || markersMatchImage())) {
        // The units read their bytes as they are: only a class may show another bitmap.
        if (armies)
            RefreshUnitBitmaps();
        if (armies && UnitEditMode && CurrentUnit) {
            const auto at = std::lower_bound(offsets.cbegin(), offsets.cend(), quint32(CurrentUnit->address()));
            if (at != offsets.cend() && qint64(*at) < CurrentUnit->address() + CurrentUnit->length())
                ShowUnitInEditFrame(*CurrentUnit);
        }
        return; // a drag of this page is shown already
    }
    const Editing was = editing();
    if (rebuild) {
        m_armys = std::make_unique<Armys>(m_images);
        CurrentUnit = nullptr;
    }
    ClearFieldMarkers();
    placeArmies();
    modeChanged();
    resumeEditing(was, rebuild);
}

FieldPage::Editing FieldPage::editing() const
{
    Editing e;
    if (!UnitEditMode || !CurrentUnit)
        return e;
    e.on = true;
    e.own = CurrentUnit->Edit();
    for (auto it = m_pictureOf.cbegin(); it != m_pictureOf.cend(); ++it)
        if (unitOf(it->team, it->index) == CurrentUnit)
            e.picture = it.value();
    return e;
}

void FieldPage::resumeEditing(const Editing &was, bool showStored)
{
    if (!was.on)
        return;
    QLabel *picture = nullptr;
    for (auto it = m_pictureOf.cbegin(); it != m_pictureOf.cend(); ++it)
        if (it->team == was.picture.team && it->index == was.picture.index)
            picture = it.key();
    ArmyMen *unit = picture ? unitOf(was.picture.team, was.picture.index) : nullptr;
    if (!unit || unit->Edit() != was.own) {
        // The unit is gone or changed its kind: the edit ends as by cancel.
        CurrentUnit = unit;
        if (m_stabField->currentIndex() == 1 && !was.own)
            m_stabField->setCurrentIndex(0);
        btnEditCancel_Click();
        if (!unit)
            txtArmyMen->clear();
        return;
    }
    CurrentUnit = unit;
    frameUnit(picture);
    if (showStored)
        ShowUnitInEditFrame(*unit);
}

void FieldPage::noteShownBytes()
{
    m_mapBytes.clear();
    m_placeBytes.clear();
    m_armyBytes.clear();
    if (!m_war)
        return;
    const QByteArray &work = m_images.WorkImage;
    bool ok = false;
    const qint64 m = m_war->Address.toLongLong(&ok, 16);
    if (ok && m >= 1 && m < work.size()) {
        // The size bytes, and the stream as far as the decoder reads it.
        const qint64 cells = qint64(byteAt(work, m) + 1) * (byteAt(work, m - 1) + 1);
        const qint64 length = mapStreamLength(work, m + 3, cells);
        m_mapBytes.push_back({m - 1, length < 0 ? work.size() : m + 3 + length});
    }
    const auto list = [this](const QString &address, int count) {
        bool ok = false;
        const qint64 a = address.toLongLong(&ok, 16);
        if (ok && count > 0)
            m_placeBytes.push_back({a, a + 1 + 2 * qint64(count)}); // the count byte and the pairs
    };
    list(m_war->ActAddress[0], m_war->ActNumber[0]);
    list(m_war->ActAddress[1], m_war->ActNumber[1]);
    list(m_war->HelpAddress, m_war->HelpNumber);
    list(m_war->DefAddress[0], m_war->DefNumber[0]);
    list(m_war->DefAddress[1], m_war->DefNumber[1]);
    if (!m_war->FixedArmy || !m_armys)
        return;
    const GameData::Table &types = GameData::fixedTable(GameData::EnemyTypes);
    for (int k = 0; k < 2; ++k) {
        const ArmyType *army = m_armys->Item(m_war->FixedArmyID[k]);
        if (!army)
            continue;
        m_armyBytes.push_back({army->address(), army->end()});
        for (int i = 1; i <= army->Number(); ++i) {
            const ArmyMen *unit = army->Item(i);
            const int type = unit->TypeID(false).toInt();
            if (unit->Edit() || !EnemyType::validIndex(type))
                continue;
            for (const GameData::Field &field : types.fields) {
                const qint64 o = field.offset(type - 1);
                m_armyBytes.push_back({o, o + 1});
            }
        }
    }
}

QLabel *FieldPage::addMarker(Side side, int i, int x, int y)
{
    auto *marker = new QLabel(twoDigits(i), picField);
    marker->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(MarkerNames[side])).arg(i));
    marker->setFont(markerFont(tile()));
    marker->setAlignment(Qt::AlignCenter);
    marker->setAutoFillBackground(true);
    QPalette pal = marker->palette();
    pal.setColor(QPalette::Window, SideColors[side]);
    pal.setColor(QPalette::WindowText, Qt::white);
    marker->setPalette(pal);
    marker->setGeometry(x * tile(), y * tile(), tile(), tile());
    marker->setCursor(Qt::PointingHandCursor);
    marker->setMouseTracking(true);
    marker->installEventFilter(m_placement);
    m_markers[side].append(marker);
    m_sideOf.insert(marker, side);
    return marker;
}

void FieldPage::placeMarkers()
{
    for (const FieldInfo::Position &p : m_war->positions())
        addMarker(Side(p.side), p.entry, p.tile.x(), p.tile.y());
}

QPixmap FieldPage::unitBitmap(const ArmyMen *unit)
{
    const QString path = m_folder + QStringLiteral("/eWork") + FieldEdit::typeDigit(m_war->fType) + u'/' +
                         unit->tWork().left(2) + QStringLiteral(".bmp");
    auto it = m_unitBitmaps.constFind(path);
    if (it == m_unitBitmaps.constEnd()) {
        QPixmap bitmap(path);
        if (bitmap.isNull())
            bitmap = QPixmap::fromImage(missingPicture());
        it = m_unitBitmaps.insert(path, bitmap);
    }
    return *it;
}

QLabel *FieldPage::addPicture(int team, int i, ArmyMen *unit, const QString &tag)
{
    auto *picture = new QLabel(picField);
    picture->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(PictureNames[team])).arg(i));
    picture->setProperty("Tag", tag);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(picFieldContainer->sharp(unitBitmap(unit)));
    picture->resize(tile(), tile());
    picture->setCursor(Qt::PointingHandCursor);
    picture->setMouseTracking(true);
    picture->installEventFilter(m_placement);
    m_pictures[team].append(picture);
    m_pictureOf.insert(picture, {team, i});
    return picture;
}

void FieldPage::placePictures()
{
    const FieldInfo &w = *m_war;
    if (!w.FixedArmy || !m_armys)
        return;
    const int def0 = w.DefNumber[0];
    const int def1 = w.DefNumber[1];
    if (w.FixedArmyID[0] != 0 && w.FixedArmyID[1] != 0) {
        // Two armies, each on its own team.
        for (int team = 0; team < 2; ++team) {
            const ArmyType *army = m_armys->Item(w.FixedArmyID[team]);
            const int room = team == 0 ? def0 : def1;
            for (int i = 1; army && i <= std::min(army->Number(), room); ++i)
                addPicture(team, i, army->Item(i), QLatin1Char(team == 0 ? 'A' : 'B') + twoDigits(i));
        }
    } else if (w.FixedArmyID[0] != 0) {
        // One army: defending team one, then on to team two.
        const ArmyType *army = m_armys->Item(w.FixedArmyID[0]);
        for (int i = 1; army && i <= army->Number(); ++i) {
            if (i <= def0)
                addPicture(0, i, army->Item(i), QStringLiteral("A") + twoDigits(i));
            else if (def1 != 0 && i - def0 <= def1)
                addPicture(0, i, army->Item(i), QStringLiteral("B") + twoDigits(i - def0));
            else
                break;
        }
    }
}

ArmyMen *FieldPage::unitOf(int team, int i) const
{
    if (!m_war || !m_armys)
        return nullptr;
    const ArmyType *army = m_armys->Item(m_war->FixedArmyID[team]);
    return army ? army->Item(i) : nullptr;
}

QLabel *FieldPage::UnitMarkerOf(const QLabel *picture) const
{
    const QString tag = picture->property("Tag").toString();
    const int n = tag.right(2).toInt();
    const QVector<QLabel *> *markers = tag.startsWith(u'A')   ? &m_markers[DefenceOne]
                                       : tag.startsWith(u'B') ? &m_markers[DefenceTwo]
                                                              : nullptr;
    return markers && n >= 1 && n <= markers->size() ? (*markers)[n - 1] : nullptr;
}

void FieldPage::PlaceUnitImages()
{
    for (const QVector<QLabel *> &pictures : m_pictures)
        for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) {
            if (const QLabel *m = UnitMarkerOf(*it))
                (*it)->move(m->pos());
            (*it)->raise();
        }
}

void FieldPage::RefreshUnitBitmaps()
{
    for (int team = 0; team < 2; ++team)
        for (int i = int(m_pictures[team].size()); i >= 1; --i)
            if (const ArmyMen *unit = unitOf(team, i))
                m_pictures[team][i - 1]->setPixmap(picFieldContainer->sharp(unitBitmap(unit)));
}

void FieldPage::ClearFieldMarkers()
{
    m_placement->endDrag();
    const auto removeAll = [](QVector<QLabel *> &controls) {
        while (!controls.isEmpty())
            delete controls.takeLast();
    };
    removeAll(m_markers[AttackOne]);
    removeAll(m_markers[AttackTwo]);
    removeAll(m_markers[DefenceOne]);
    removeAll(m_pictures[0]);
    removeAll(m_markers[DefenceTwo]);
    removeAll(m_pictures[1]);
    m_sideOf.clear();
    m_pictureOf.clear();
}

void FieldPage::ClearGridLines()
{
    picFieldContainer->setGridLines(false);
}

void FieldPage::chkShowLine_Click()
{
    picFieldContainer->setGridLines(chkShowLine->isChecked() && m_war);
}

QImage FieldPage::mapPicture() const
{
    return picField->grab().toImage();
}

bool FieldPage::painting() const
{
    return optPaint->isChecked();
}

void FieldPage::modeChanged()
{
    const bool paint = painting();
    if (paint && UnitEditMode)
        btnEditCancel_Click();
    // While painting, markers and pictures are only shown: the mouse reaches the map under them.
    for (const QVector<QLabel *> &controls : {m_markers[0], m_markers[1], m_markers[2], m_markers[3], m_pictures[0], m_pictures[1]})
        for (QLabel *c : controls)
            c->setAttribute(Qt::WA_TransparentForMouseEvents, paint);
    picFieldContainer->setTool(paint ? framePaint->tool : nullptr);
    picField->setCursor(paint ? Qt::CrossCursor : Qt::OpenHandCursor);
    frameEnemyEdit->setVisible(!paint);
    framePaint->setVisible(paint);
    if (paint && !framePaint->tool->map().paintable())
        showStatus(this, framePaint->tool->map().refusal);
}

void FieldPage::chkShowLoc_Click()
{
    const bool on = chkShowLoc->isChecked();
    for (const QVector<QLabel *> &markers : m_markers)
        for (QLabel *m : markers)
            m->setVisible(on);
}

void FieldPage::chkShowArmys_Click()
{
    PlaceUnitImages();
    const bool on = chkShowArmys->isChecked();
    for (const QVector<QLabel *> &pictures : m_pictures)
        for (QLabel *p : pictures)
            p->setVisible(on);
}

void FieldPage::setExtraRoom(QSize extra)
{
    picFieldContainer->setPreferredSize(ViewSize + extra);
}

int FieldPage::tile() const
{
    return picFieldContainer->tile();
}

QPoint FieldPage::tileOf(const QWidget *w) const
{
    return QPoint(w->x() / tile(), w->y() / tile());
}

void FieldPage::zoomChanged(int percent, int oldTile, int newTile)
{
    {
        const QSignalBlocker quiet(cboFieldZoom);
        cboFieldZoom->setCurrentIndex(cboFieldZoom->findData(percent));
    }
    const auto place = [oldTile, newTile](QWidget *w) { w->move(w->pos() / oldTile * newTile); };
    for (const QVector<QLabel *> &markers : m_markers)
        for (QLabel *m : markers) {
            place(m);
            m->resize(newTile, newTile);
            m->setFont(markerFont(newTile));
        }
    for (const QVector<QLabel *> &pictures : m_pictures)
        for (QLabel *p : pictures) {
            place(p);
            p->resize(newTile, newTile);
        }
    RefreshUnitBitmaps();
    if (UnitEditMode && CurrentUnit)
        for (const QVector<QLabel *> &pictures : m_pictures)
            for (QLabel *p : pictures)
                if (unitOf(m_pictureOf.value(p).team, m_pictureOf.value(p).index) == CurrentUnit)
                    frameUnit(p);
}

void FieldPage::frameUnit(const QLabel *picture)
{
    shapeEdit->resize(tile() * 5 / 4, tile() * 5 / 4);
    shapeEdit->move(picture->pos() - QPoint(tile() / 8, tile() / 8)); // a tenth of a tile, in whole pixels
    shapeEdit->show();
    shapeEdit->raise();
}

void FieldPage::showTile(const QString &position)
{
    if (m_war)
        txtFieldInfo->setText(m_war->Name + QStringLiteral(" (") + position + u')');
}

bool FieldPage::IsFreeTile(int x, int y) const
{
    return m_war && m_war->IsFreeTile(x, y);
}

QString FieldPage::sideCaption(Side side)
{
    return QString::fromUtf8(SideCaptions[side]);
}

QString FieldPage::UnitDescription(const ArmyMen &unit)
{
    QString type = QStringLiteral("自定义");
    if (!unit.Edit()) {
        type = PadText(unit.TypeID(true), QStringLiteral("0"), 2, true);
        if (!EnemyType::validIndex(unit.TypeID(false).toInt()))
            type += u'?';
    }
    return QStringList{QStringLiteral("姓  名: ") + unit.tName(),
                       QStringLiteral("职  业: ") + unit.tWork(),
                       QStringLiteral("等  级: ") + unit.tLevel(),
                       QStringLiteral("物  品: ") + unit.tItem(),
                       QStringLiteral("AI方式: ") + unit.tAI(),
                       QStringLiteral("魔  法: ") + unit.tMagic(),
                       QStringLiteral("最大HP：") + statText(unit.vMaxHP()),
                       QStringLiteral("力  量: ") + statText(unit.vAct()),
                       QStringLiteral("技  术: ") + statText(unit.vTech()),
                       QStringLiteral("速  度: ") + statText(unit.vSpeed()),
                       QStringLiteral("运  气: ") + statText(unit.vLuck()),
                       QStringLiteral("防  御: ") + statText(unit.vDef()),
                       QStringLiteral("魔  防: ") + statText(unit.vMDef()),
                       QStringLiteral("移动力: ") + statText(unit.vMove()),
                       QStringLiteral("类  型: ") + type}
        .join(QStringLiteral("\r\n"));
}

void FieldPage::ShowUnitInEditFrame(const ArmyMen &unit)
{
    showEntry(cboEnemyEdit[0], unit.tName());
    showEntry(cboEnemyEdit[1], unit.tWork());
    txtEnemyEdit[0]->setText(unit.tLevel());
    showEntry(cboEnemyEdit[2], unit.tItem());
    showEntry(cboEnemyEdit[3], unit.tAI());
    txtEnemyEdit[1]->setText(unit.tMagic());
}

void FieldPage::openUnit(QLabel *picture, const Picture &which)
{
    ArmyMen *unit = unitOf(which.team, which.index);
    if (UnitEditMode || !unit)
        return;
    CurrentUnit = unit;
    UnitEditMode = true;
    frameEnemyEdit->setEnabled(unit->Edit());
    txtArmyMen->setPlainText(QStringLiteral("编辑状态"));
    ShowUnitInEditFrame(*unit); // whatever the mouse did before
    frameUnit(picture);
    cboWarField->setEnabled(false);
    if (unit->Edit()) {
        cboEnemyEdit[0]->setFocus();
        return;
    }
    // A unit that names an enemy type: the type is chosen in the grid of the other page.
    m_stabField->setCurrentIndex(1);
    bool ok = false;
    const int row = unit->TypeID(true).toInt(&ok, 16);
    if (ok && EnemyType::validIndex(row)) {
        m_types->selectType(row);
        m_types->msfEnemyType->setTopRow(row);
    }
    m_types->cboEType[0]->setFocus();
    m_types->txtEtypeEdit->show();
    m_types->btnEtypeEditOk->show();
}

void FieldPage::leaveUnitEdit()
{
    frameEnemyEdit->setEnabled(false);
    shapeEdit->hide();
    cboWarField->setEnabled(true);
    m_types->txtEtypeEdit->hide();
    m_types->btnEtypeEditOk->hide();
    UnitEditMode = false;
}

void FieldPage::btnEditOk_Click()
{
    if (!UnitEditMode || !CurrentUnit || !CurrentUnit->Edit())
        return;
    if (!IsDecByte(txtEnemyEdit[0]->text())) {
        valueNotTaken(txtEnemyEdit[0], lblEnemyEdit[2]->text(), DecByteAccepted);
        txtEnemyEdit[0]->setFocus();
        return;
    }
    if (!IsHexByte(txtEnemyEdit[1]->text())) {
        valueNotTaken(txtEnemyEdit[1], lblEnemyEdit[5]->text(), HexByteAccepted);
        txtEnemyEdit[1]->setFocus();
        return;
    }
    const EditStep step(m_images, QStringLiteral("人物编辑 ") + CurrentUnit->tName());
    CurrentUnit->setTName(cboEnemyEdit[0]->currentText());
    CurrentUnit->setTWork(cboEnemyEdit[1]->currentText());
    CurrentUnit->setTLevel(txtEnemyEdit[0]->text());
    CurrentUnit->setTItem(cboEnemyEdit[2]->currentText());
    CurrentUnit->setTAI(cboEnemyEdit[3]->currentText());
    CurrentUnit->setTMagic(txtEnemyEdit[1]->text());
    RefreshUnitBitmaps();
    btnEditCancel_Click();
}

void FieldPage::btnEditCancel_Click()
{
    leaveUnitEdit();
    if (!CurrentUnit)
        return;
    txtArmyMen->setPlainText(QString(UnitDescription(*CurrentUnit)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ShowUnitInEditFrame(*CurrentUnit);
}

void FieldPage::btnEtypeEditOk_Click()
{
    if (!UnitEditMode || !CurrentUnit || CurrentUnit->Edit())
        return;
    {
        const EditStep step(m_images, QStringLiteral("类  型"), EditHistory::Base::Hex);
        CurrentUnit->setTypeID(false, QString::number(m_types->msfEnemyType->row()));
    }
    RefreshUnitBitmaps();
    m_stabField->setCurrentIndex(0);
    btnEditCancel_Click();
}

void FieldPage::editFrameEnter(QWidget *field)
{
    // Screen order, then the confirm button.
    QWidget *const order[7] = {cboEnemyEdit[0], cboEnemyEdit[1], txtEnemyEdit[0], cboEnemyEdit[2],
                               cboEnemyEdit[3], txtEnemyEdit[1], btnEditOk};
    for (int i = 0; i < 6; ++i)
        if (order[i] == field)
            order[i + 1]->setFocus();
}

bool FieldPage::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                       type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
    if (mouse)
        return QWidget::eventFilter(watched, event);
    auto *field = qobject_cast<QWidget *>(watched);
    if (type == QEvent::FocusIn) {
        for (QLineEdit *box : txtEnemyEdit)
            if (box == watched)
                QTimer::singleShot(0, box, [box] { box->selectAll(); });
    } else if (type == QEvent::KeyPress && field && field->parentWidget() == frameEnemyEdit) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == btnEditOk)
                btnEditOk->click();
            else
                editFrameEnter(field);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
