#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

// Typing a value into a box and confirming it with Enter.
inline void enter(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QApplication::processEvents(); // the box selects its text on focus
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
}

// A mouse event delivered to a widget, as the window system does (positions in its pixels).
inline void mouse(QWidget *w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

inline void hover(QWidget *w, QPointF pos = QPointF(8, 8))
{
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

// A drag under the mouse grab: the press at (8, 8) of w, then one move for each displacement
// (pixels from the press point), each measured in w's own pixels where w then stands.
inline void drag(QWidget *w, const QList<QPointF> &moves)
{
    const QPointF press(8, 8);
    const QPoint origin = w->pos();
    mouse(w, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    QPointF last = press;
    for (const QPointF &d : moves) {
        last = press + d - QPointF(w->pos() - origin);
        mouse(w, QEvent::MouseMove, last, Qt::NoButton, Qt::LeftButton);
    }
    mouse(w, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
}

inline void doubleClick(QWidget *w, QPointF p = QPointF(8, 8))
{
    mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    mouse(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
