#pragma once

#include "gamedata/gamedata.h"
#include "image/byteimages.h"
#include "image/imageview.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// The behaviour every table editor shares: a list selects a record; each field shows and
// writes one byte of WorkImage; Enter confirms a field and moves the focus on; Up and Down step
// through the records (wrapping) while the focus stays in the field; a selector writes when the
// user chooses an entry and never when the editor refreshes; a read-only box compares every
// field with the image as first opened.
class RecordEditor : public QObject, public ImageView {
    Q_OBJECT
public:
    enum class Kind { Decimal, Hex, Selector };
    // What a selector shows for a byte that matches none of its entries.
    enum class Unmatched { Deselect, Keep, KeepAndOmitLine };

    struct Field {
        QWidget *editor = nullptr;                 // QLineEdit, or QComboBox for a selector
        QString caption;                           // caption of the raw-data line
        Kind kind = Kind::Decimal;
        std::function<qint64(int position)> offset;
        QWidget *next = nullptr;                   // focus after Enter; none keeps it here
        Unmatched unmatched = Unmatched::Keep;
    };

    RecordEditor(ByteImages &images, QListWidget *list, QPlainTextEdit *source, QObject *parent = nullptr);

    // Fields in the order of the raw-data lines.
    void addField(const Field &field);
    // A field as the game data describes it: its caption, how it is shown and its offset.
    void addField(QWidget *editor, const GameData::Field &field, QWidget *next, Unmatched unmatched = Unmatched::Keep);
    // Selects a record and puts the focus in one of its fields (in the order they were added).
    void showField(int record, int field);

    // Refills the list from "01骑士|02..." as "01 => 骑士" entries and selects the first.
    void fillList(const QString &pieces);

    // Fills every field and the raw-data box from WorkImage.
    void refresh();
    // Shows the record again when a byte of it was written.
    void imageWritten(const WrittenBytes &written) override;
    // The raw-data text exactly as built, lines separated by CR LF.
    QString rawText() const { return m_rawText; }
    int position() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Field *fieldOf(QObject *editor) const;
    void confirm(const Field &field);
    void choose(const Field &field, int index);
    void step(const Field &field, int delta);
    bool validOffset(qint64 offset) const;

    ByteImages &m_images;
    QListWidget *m_list;
    QPlainTextEdit *m_source;
    QVector<Field> m_fields;
    QString m_rawText;
};
