#include "tables/tablewidgets.h"

#include "image/imageview.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextDocument>

QListWidget *makeList(QWidget *parent, const QString &name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("00 => 天马骑士(石像鬼)")) + 32);
    list->setMaximumWidth(list->minimumWidth() + 40);
    return list;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit *makeField(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
    return box;
}

namespace {
// A selector writes the image when its choice changes, so the wheel turns it only while it has
// the focus; otherwise the wheel goes on to the page under it.
class WheelGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

QComboBox *makeSelector(QWidget *parent, const QString &name, const QStringList &entries)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setFocusPolicy(Qt::StrongFocus); // the wheel does not take the focus
    combo->installEventFilter(new WheelGuard(combo));
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo->setMinimumWidth(combo->sizeHint().width() + combo->fontMetrics().horizontalAdvance(u'0'));
    return combo;
}

void showEntry(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly);
    combo->setPlaceholderText(index < 0 ? text : QString());
    combo->setCurrentIndex(index);
}

QPlainTextEdit *makeSourceBox(QWidget *parent, const QString &name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

QPlainTextEdit *makeHelpBox(QWidget *parent, const QString &name, const QString &text)
{
    QPlainTextEdit *box = makeSourceBox(parent, name);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setPlainText(text);
    return box;
}

int textBoxHeight(const QPlainTextEdit *box, int lines)
{
    QTextDocument doc;
    doc.setDefaultFont(box->font());
    doc.setDocumentMargin(box->document()->documentMargin());
    QStringList sample;
    for (int i = 0; i < lines; ++i)
        sample.append(QStringLiteral("姓名Ag:"));
    doc.setPlainText(sample.join(u'\n'));
    return int(doc.size().height()) + 2 * box->frameWidth() + 2;
}

namespace {
constexpr int StatusTimeout = 10000; // ms
} // namespace

void valueNotTaken(QWidget *field, const QString &caption, const QString &accepts)
{
    showStatus(field, caption.trimmed() + QStringLiteral("：") + accepts);
}

void showStatus(QWidget *w, const QString &text)
{
    if (auto *window = qobject_cast<QMainWindow *>(w->window()))
        window->statusBar()->showMessage(text, StatusTimeout);
}

bool touchesTable(const WrittenBytes &written, GameData::TableId id)
{
    for (const GameData::Record &record : GameData::fixedTable(id).records)
        for (const GameData::Slot &slot : record.parts)
            if (written.touches(slot.offset, slot.offset + slot.size))
                return true;
    return false;
}
