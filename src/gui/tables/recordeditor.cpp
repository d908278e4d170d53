#include "tables/recordeditor.h"

#include "image/mymodule.h"
#include "tables/gametables.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

RecordEditor::RecordEditor(ByteImages &images, QListWidget *list, QPlainTextEdit *source, QObject *parent)
    : QObject(parent), m_images(images), m_list(list), m_source(source)
{
    connect(m_list, &QListWidget::currentRowChanged, this, &RecordEditor::refresh);
}

void RecordEditor::addField(const Field &field)
{
    m_fields.append(field);
    field.editor->installEventFilter(this);
    if (auto *combo = qobject_cast<QComboBox *>(field.editor)) {
        const int i = int(m_fields.size()) - 1;
        // activated is raised by the user's choices only, never by setCurrentIndex.
        connect(combo, &QComboBox::activated, this, [this, i](int index) { choose(m_fields[i], index); });
    }
}

void RecordEditor::addField(QWidget *editor, const GameData::Field &field, QWidget *next, Unmatched unmatched)
{
    using GameData::Show;
    const Kind kind = field.show == Show::Code ? Kind::Selector : field.show == Show::Hex ? Kind::Hex : Kind::Decimal;
    addField({editor, field.caption, kind, [field](int p) { return field.offset(p); }, next, unmatched});
}

void RecordEditor::showField(int record, int field)
{
    if (record < 0 || record >= m_list->count())
        return;
    m_list->setCurrentRow(record);
    refresh();
    if (field >= 0 && field < m_fields.size())
        m_fields[field].editor->setFocus();
}

void RecordEditor::fillList(const QString &pieces)
{
    m_list->clear();
    for (const QString &piece : pieces.split(u'|'))
        m_list->addItem(piece.left(2) + QStringLiteral(" => ") + piece.mid(2));
    m_list->setCurrentRow(0);
}

void RecordEditor::imageWritten(const WrittenBytes &written)
{
    const int p = position();
    if (p < 0)
        return;
    for (const Field &f : std::as_const(m_fields))
        if (written.touches(f.offset(p))) {
            refresh();
            return;
        }
}

int RecordEditor::position() const
{
    return m_list->currentRow();
}

bool RecordEditor::validOffset(qint64 offset) const
{
    return offset >= 0 && offset < m_images.WorkImage.size() && offset < m_images.OpenedImage.size();
}

void RecordEditor::refresh()
{
    const int p = position();
    if (p < 0)
        return;
    const auto valueText = [](Kind kind, int value) {
        return kind == Kind::Decimal ? QString::number(value) : hexByte(value);
    };
    QStringList lines;
    for (int i = 0; i < m_fields.size(); ++i) {
        const Field &f = m_fields[i];
        const qint64 offset = f.offset(p);
        if (!validOffset(offset))
            continue;
        const int now = byteAt(m_images.WorkImage, offset);
        const int opened = byteAt(m_images.OpenedImage, offset);
        bool line = true;
        if (auto *combo = qobject_cast<QComboBox *>(f.editor)) {
            int match = -1;
            for (int k = 0; k < combo->count() && match < 0; ++k)
                if (pieceCode(combo->itemText(k)) == now)
                    match = k;
            if (match >= 0 || f.unmatched == Unmatched::Deselect)
                combo->setCurrentIndex(match);
            line = match >= 0 || f.unmatched != Unmatched::KeepAndOmitLine;
        } else if (auto *box = qobject_cast<QLineEdit *>(f.editor)) {
            box->setText(valueText(f.kind, now));
        }
        if (!line)
            continue;
        const Kind shown = f.kind == Kind::Selector ? Kind::Hex : f.kind;
        QString text = f.caption + QStringLiteral(": ") + valueText(shown, opened);
        if (now != opened)
            text += QStringLiteral(" => ") + valueText(shown, now);
        // Every line but the record's last field ends with a line break, even when that last
        // line is left out.
        if (i < m_fields.size() - 1)
            text += QStringLiteral("\r\n");
        lines.append(text);
    }
    m_rawText = QStringLiteral("原始数据:\r\n") + lines.join(QString());
    m_source->setPlainText(QString(m_rawText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

const RecordEditor::Field *RecordEditor::fieldOf(QObject *editor) const
{
    for (const Field &f : m_fields)
        if (f.editor == editor)
            return &f;
    return nullptr;
}

void RecordEditor::confirm(const Field &field)
{
    auto *box = static_cast<QLineEdit *>(field.editor);
    const QString text = box->text();
    const bool hex = field.kind == Kind::Hex;
    const int p = position();
    const qint64 offset = p >= 0 ? field.offset(p) : -1;
    if (!text.isEmpty() && (hex ? IsHexByte(text) : IsDecByte(text)) && validOffset(offset)) {
        const EditStep step(m_images, field.caption, hex ? EditHistory::Base::Hex : EditHistory::Base::Decimal);
        m_images.write(offset, text.toInt(nullptr, hex ? 16 : 10));
        if (field.next)
            field.next->setFocus();
    } else if (validOffset(offset)) {
        valueNotTaken(box, field.caption, hex ? HexByteAccepted : DecByteAccepted);
    }
    refresh();
    if (!field.next || box->hasFocus())
        box->selectAll();
}

void RecordEditor::choose(const Field &field, int index)
{
    auto *combo = static_cast<QComboBox *>(field.editor);
    const int code = pieceCode(combo->itemText(index));
    const int p = position();
    const qint64 offset = p >= 0 ? field.offset(p) : -1;
    if (code >= 0 && validOffset(offset)) {
        const EditStep step(m_images, field.caption, EditHistory::Base::Hex);
        m_images.write(offset, code);
    }
    refresh();
}

void RecordEditor::step(const Field &field, int delta)
{
    const int count = m_list->count();
    if (count == 0)
        return;
    m_list->setCurrentRow(((position() + delta) % count + count) % count);
    if (auto *box = qobject_cast<QLineEdit *>(field.editor))
        box->selectAll();
}

bool RecordEditor::eventFilter(QObject *watched, QEvent *event)
{
    const Field *field = fieldOf(watched);
    if (!field)
        return QObject::eventFilter(watched, event);
    auto *box = qobject_cast<QLineEdit *>(field->editor);
    if (event->type() == QEvent::FocusIn && box) {
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(*field, key == Qt::Key_Down ? 1 : -1);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (box)
                confirm(*field);
            else if (field->next)
                field->next->setFocus();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
