#pragma once

#include "image/byteimages.h"

#include <QStringList>

#include <optional>

// File offsets of the game's tables.
namespace GameTables {
// 34 characters of 12 bytes: class, level, maximum HP, experience, attack, skill, speed, luck,
// defence, spell bits, item, and one byte no editor touches.
constexpr int CharacterBase = 0x6E2D3;
constexpr int CharacterStride = 12;
constexpr int CharacterCount = 34;
constexpr int CharacterMagicDefence = 0x8BFF0; // one byte per character
constexpr int CharacterGrowth = 0x7201D;       // six bytes per character

// 23 classes (codes 01-17) of 7 bytes, and two one-byte tables indexed the same way.
constexpr int ClassBase = 0x8BF22;
constexpr int ClassStride = 7;
constexpr int ClassCount = 23;
constexpr int ClassMovement = 0x8BFC3;
constexpr int ClassMagicDefence = 0x8BFDA;

// Weapons (codes 00-16) and spells (17-2E) share one table per attribute, indexed by code.
constexpr int ItemAttack = 0x8ABA9;
constexpr int ItemWeight = 0x8AC14;
constexpr int ItemHitRate = 0x8AC44;
constexpr int ItemCritical = 0x8AC74;
constexpr int ItemEffect = 0x8ACA4;
constexpr int SpellHpCost = 0x8ABFB; // by spell list position
constexpr int FirstSpell = 0x17;

constexpr int ShieldBase = 0x8C72D; // by shield list position

constexpr int ClassChangeBefore = 0x8B597;
constexpr int ClassChangeAfter = 0x8B5A5;
constexpr int ClassChangeLevel = 0x8B5B2;
constexpr int ClassChangeCount = 13;

constexpr int LevelCoefficientBase = 0x720E8; // level k at base + k, k = 1 to 19

constexpr int TerrainBase = 0x8BCFA; // 23 rows of 22 bytes
constexpr int TerrainRows = 23;
constexpr int TerrainCols = 22;
} // namespace GameTables

// Base values of one class, read by class code.
struct ClassRecord {
    int tStrength = 0;
    int tSkill = 0;
    int tSpeed = 0;
    int tLuck = 0;
    int tDefence = 0;
    int tMaxHP = 0;
    int tExp = 0;
    int tMove = 0;
    int tMagicDefence = 0;

    // The record of class code 01 to 17; none for other codes or a short image.
    static std::optional<ClassRecord> read(const QByteArray &image, int classCode);
};

// The 22 terrain names of 地形名称.txt (GBK, one a line, CR LF or LF): the first 22 lines, none
// empty; more lines may follow. None for a file that does not hold them. A "|" in a name would
// split the grid's header, so it is shown as a full-width "｜".
std::optional<QStringList> parseTerrainNames(const QByteArray &fileBytes);

// Code of a list piece such as "01骑士" (its first two characters as hexadecimal), or -1.
int pieceCode(const QString &piece);

// The fixed lists of the editor's windows.
QStringList characterNames();     // 34 names
QStringList characterClassList(); // "01骑士" .. "18公主"
QStringList characterItemList();  // "00无", weapons 02-16, shields and rings 30-3A
QString magicTableText();         // the spell reference table, tab-separated lines
