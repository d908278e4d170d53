#include "app/frmveskedit.h"
#include "controls/flexgrid.h"
#include "hexview/bytesearch.h"
#include "hexview/frmfind.h"
#include "hexview/hexgridmodel.h"
#include "hexview/hexpage.h"
#include "hexview/hextext.h"
#include "hexview/hextextcolumn.h"
#include "hexview/stringconvert.h"
#include "hexview/stringpage.h"
#include "image/mymodule.h"
#include "mainwindowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QTest>

#include <memory>

class TestHexView : public QObject {
    Q_OBJECT

private:
    MainWindowFixture m_fixture;
    const QByteArray &m_pristine = m_fixture.pristine;
    ByteImages &m_images = m_fixture.images;
    ScriptedDialogs &m_dialogs = m_fixture.dialogs;
    EditorFolder &m_folder = m_fixture.folder;
    std::unique_ptr<frmVeskEdit> &m_window = m_fixture.window;
    HexPage *m_hex = nullptr;

    FlexGrid *grid() const { return m_hex->msfFileContent; }
    int cellRow(qint64 offset) const { return int(offset / 16) + 1; }
    int cellCol(qint64 offset) const { return int(offset % 16) + 1; }
    QColor cellColor(qint64 offset) const { return m_hex->gridModel->cellColor(cellRow(offset), cellCol(offset)); }

    // Types text into a box and presses Enter.
    static void typeEnter(QWidget *box, const QString &text)
    {
        box->setFocus();
        QApplication::processEvents(); // the box selects its text on focus
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // Puts pattern into the working image at offset and checks it stands nowhere else.
    void plant(const QByteArray &pattern, const QList<qint64> &offsets)
    {
        QCOMPARE(m_images.WorkImage.indexOf(pattern), -1);
        for (qint64 o : offsets)
            m_images.WorkImage.replace(o, pattern.size(), pattern);
    }

    frmFind *showFind()
    {
        m_hex->btnFind->trigger();
        frmFind *f = m_window->findDialog();
        return f;
    }


private slots:
    void init()
    {
        QVERIFY(m_fixture.start());
        m_hex = m_window->hexPage;
    }

    void cleanup() { m_window.reset(); }

    void gridLayout()
    {
        QCOMPARE(grid()->rows(), 44545);
        QCOMPARE(grid()->cols(), 17);
        QCOMPARE(grid()->textMatrix(0, 1), QString("+0"));
        QCOMPARE(grid()->textMatrix(0, 16), QString("+F"));
        QCOMPARE(grid()->textMatrix(0, 0), QString(8, ' '));
        QCOMPARE(grid()->textMatrix(1, 0), QString("00000000"));
        QCOMPARE(grid()->textMatrix(44544, 0), QString("000ADFF0"));
        QCOMPARE(grid()->textMatrix(44544, 16), hexByte(byteAt(m_pristine, 0xADFFF)));
        QCOMPARE(grid()->textMatrix(1, 1), QString("4D"));
        // Built-in image: nothing is coloured; start-up leaves the focus on the grid.
        for (qint64 o : {0x4D1E0, 0x60000, 0xAD1EF})
            QVERIFY(!cellColor(o).isValid());
        QVERIFY(!m_window->timerInit->isActive());
        QCOMPARE(QApplication::focusWidget(), grid());
        QVERIFY(!m_hex->prgInitFlexGrid->isVisible());
        QVERIFY(m_window->stabAll->isEnabled());
    }

    void gotoAddress()
    {
        m_hex->GotoAddress("ADFFF", true);
        QCOMPARE(grid()->row(), 44544);
        QCOMPARE(grid()->col(), 16);
        QCOMPARE(m_hex->txtLoc->text(), QString("000ADFFF"));
        QCOMPARE(m_hex->txtNewValue->text(), hexByte(byteAt(m_pristine, 0xADFFF)));
        QCOMPARE(m_hex->txtNew->text(), hexByte(byteAt(m_pristine, 0xADFFF)));
        for (const char *bad : {"AE000", "XYZ", "", "-1", "123456789"}) {
            m_hex->GotoAddress(bad, true);
            QCOMPARE(grid()->row(), 44544);
            QCOMPARE(grid()->col(), 16);
        }
        m_hex->GotoAddress("4d1e0", true);
        QCOMPARE(grid()->row(), 0x4D1E + 1);
        QCOMPARE(grid()->col(), 1);
        QCOMPARE(grid()->topRow(), 0x4D1E + 1);
        QVERIFY(!m_hex->IsGridAddress("AE000"));
        QVERIFY(m_hex->IsGridAddress("0"));
    }

    void valueBoxWritesAndColours()
    {
        const int pristine = byteAt(m_pristine, 0x4D1E0);
        QVERIFY(pristine != 5);
        m_hex->GotoAddress("4D1E0", true);
        typeEnter(m_hex->txtNewValue, "5");
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x4D1E0)), 5);
        QCOMPARE(grid()->textMatrix(cellRow(0x4D1E0), 1), QString("05"));
        QCOMPARE(cellColor(0x4D1E0), QColor(Qt::red));

        m_hex->txtNewValue->selectAll();
        typeEnter(m_hex->txtNewValue, hexByte(pristine).toLower());
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x4D1E0)), pristine);
        QCOMPARE(grid()->textMatrix(cellRow(0x4D1E0), 1), hexByte(pristine));
        QCOMPARE(cellColor(0x4D1E0), QColor(Qt::white));

        // Below the cartridge the byte changes but the colour never does.
        m_hex->GotoAddress("100", true);
        m_hex->txtNewValue->selectAll();
        typeEnter(m_hex->txtNewValue, "ab");
        QCOMPARE(m_hex->txtNewValue->text(), QString("AB")); // typed letters are upper-cased
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x100)), 0xAB);
        QVERIFY(!cellColor(0x100).isValid());

        // The byte written is the one the address box names, and its cell shows the value.
        m_hex->GotoAddress("200", true);
        m_hex->txtLoc->setText("00000345");
        m_hex->txtNewValue->selectAll();
        typeEnter(m_hex->txtNewValue, "7");
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x345)), 7);
        QCOMPARE(grid()->textMatrix(cellRow(0x345), cellCol(0x345)), QString("07"));
        QCOMPARE(grid()->textMatrix(cellRow(0x200), cellCol(0x200)), hexByte(byteAt(m_pristine, 0x200)));
        QCOMPARE(grid()->row(), cellRow(0x345));

        // Invalid text writes nothing.
        const QByteArray before = m_images.WorkImage;
        m_hex->txtNewValue->clear();
        typeEnter(m_hex->txtNewValue, "G");
        QCOMPARE(m_images.WorkImage, before);
    }

    void valueBoxArrowKeys()
    {
        QLineEdit *box = m_hex->txtNewValue;
        m_hex->GotoAddress("1F", true);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Right);
        QCOMPARE(grid()->row(), 2);
        QCOMPARE(grid()->col(), 1);
        QCOMPARE(m_hex->txtLoc->text(), QString("00000010"));
        QTest::keyClick(box, Qt::Key_Left);
        QCOMPARE(grid()->col(), 16);
        QCOMPARE(grid()->row(), 2);
        QCOMPARE(box->selectedText(), box->text());

        m_hex->GotoAddress("ADFF3", true);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(grid()->row(), 1);
        QCOMPARE(grid()->col(), 4);
        QCOMPARE(grid()->topRow(), 1);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(grid()->row(), 44544);
        QCOMPARE(m_hex->txtLoc->text(), QString("000ADFF3"));
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(grid()->row(), 44543);

        // Down keeps the row within 17 rows of the top.
        m_hex->GotoAddress("0", true);
        box->setFocus();
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(grid()->row(), 21);
        QVERIFY(grid()->topRow() >= 4);
    }

    void addressBoxOverwrites()
    {
        QLineEdit *loc = m_hex->txtLoc;
        loc->setText("00000000");
        loc->setFocus();
        loc->setCursorPosition(0);
        QTest::keyClick(loc, Qt::Key_B);
        QCOMPARE(loc->text(), QString("B0000000"));
        QCOMPARE(loc->cursorPosition(), 1);
        QTest::keyClicks(loc, "4z-");
        QCOMPARE(loc->text(), QString("B4000000"));
        loc->setCursorPosition(8);
        QTest::keyClick(loc, Qt::Key_1);
        QTest::keyClick(loc, Qt::Key_Backspace);
        QTest::keyClick(loc, Qt::Key_Delete);
        QCOMPARE(loc->text(), QString("B4000000"));

        loc->setText("0004D1E5");
        QTest::keyClick(loc, Qt::Key_Return);
        QCOMPARE(grid()->row(), 0x4D1E + 1);
        QCOMPARE(grid()->col(), 6);
        loc->setText("000ADFF1");
        loc->setFocus();
        QTest::keyClick(loc, Qt::Key_Space);
        QCOMPARE(grid()->row(), 44544);

        // Pasted text is brought back to eight digits.
        QApplication::clipboard()->setText("4d1e0");
        loc->setFocus();
        loc->selectAll();
        QTest::keySequence(loc, QKeySequence::Paste);
        QCOMPARE(loc->text(), QString("0004D1E0"));
    }

    void refreshColoursChangedCartridgeBytes()
    {
        m_images.WorkImage[0x4D1E0] = char(~m_pristine[0x4D1E0]);
        m_images.WorkImage[0xAD1EF] = char(~m_pristine[0xAD1EF]);
        m_images.WorkImage[0x4D1DF] = char(~m_pristine[0x4D1DF]);
        m_images.WorkImage[0xAD1F0] = char(~m_pristine[0xAD1F0]);
        m_hex->GotoAddress("6E2D3", true);
        QSignalSpy lock(m_hex, &HexPage::lockMainWindow);
        m_hex->btnRefresh->trigger();
        QCOMPARE(lock.count(), 2);
        QCOMPARE(lock[0][0].toBool(), true);
        QCOMPARE(lock[1][0].toBool(), false);
        QVERIFY(m_window->menuOpen->isEnabled() && m_window->menuSave->isEnabled());
        QCOMPARE(cellColor(0x4D1E0), QColor(Qt::red));
        QCOMPARE(cellColor(0xAD1EF), QColor(Qt::red));
        QVERIFY(!cellColor(0x4D1DF).isValid());
        QVERIFY(!cellColor(0xAD1F0).isValid());
        QCOMPARE(grid()->textMatrix(cellRow(0x4D1DF), cellCol(0x4D1DF)), hexByte(byteAt(m_images.WorkImage, 0x4D1DF)));
        // Refresh comes back to the address that was shown.
        QCOMPARE(m_hex->txtLoc->text(), QString("0006E2D3"));
        QCOMPARE(grid()->topRow(), cellRow(0x6E2D3));
    }

    void findDialog()
    {
        const QByteArray pattern("\x3C\x00\xE7\x19\x42", 5);
        plant(pattern, {0x4D1DF, 0x50000, 0x60000, 0xAD1EF - 0, 0xADFF0});
        // 0xAD1EF itself: the match starts on the last cartridge byte and runs past the range.
        frmFind *f = showFind();
        QVERIFY(f->isVisible());
        QVERIFY(!f->isModal());
        QCOMPARE(f->windowTitle(), QString("查找"));
        QCOMPARE(f->txtFindFrom->text(), QString("0004D1E0"));
        QCOMPARE(f->txtFindTo->text(), QString("000AD1EF"));
        m_hex->GotoAddress("0", true);
        f->txtFindContent->setText("  3C   00 E7  19    42 ");
        typeEnter(f->txtFindContent, "");
        QCOMPARE(f->txtFindContent->text(), QString("3C 00 E7 19 42"));
        QCOMPARE(m_hex->txtLoc->text(), QString("00050000")); // 0x4D1DF lies before the range
        QCOMPARE(grid()->topRow(), cellRow(0x50000));
        QCOMPARE(f->focusWidget(), f->txtFindContent);
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        QCOMPARE(m_hex->txtLoc->text(), QString("00060000"));
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        QCOMPARE(m_hex->txtLoc->text(), QString("000AD1EF"));
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "没有符合条件的内容！", "没有找到！", Dialogs::Icon::Information);
        QCOMPARE(m_hex->txtLoc->text(), QString("000AD1EF"));

        // Upwards from there.
        f->optUpWay->setChecked(true);
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        QCOMPARE(m_hex->txtLoc->text(), QString("00060000"));

        // The range is read at every match, and a range that is no number stops the search.
        f->txtFindFrom->setText("00050001");
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "没有符合条件的内容！", "没有找到！", Dialogs::Icon::Information);
        f->txtFindFrom->setText("XYZ");
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "查找范围错误！", "错误！", Dialogs::Icon::Error);

        // Cancel hides the dialog; Find shows it again as it was.
        QTest::mouseClick(f->btnCancel, Qt::LeftButton);
        QVERIFY(!f->isVisible());
        QCOMPARE(showFind(), f);
        QVERIFY(f->isVisible());
        QCOMPARE(f->txtFindContent->text(), QString("3C 00 E7 19 42"));
        QVERIFY(f->optUpWay->isChecked());
    }

    void findDialogValuesAndSeparators()
    {
        frmFind *f = showFind();
        f->txtFindContent->setText("3C 00");
        f->cboSplitChar->setCurrentIndex(1);
        QCOMPARE(f->txtFindContent->text(), QString("3C,00"));
        f->cboSplitChar->setCurrentIndex(0);
        QCOMPARE(f->txtFindContent->text(), QString("3C 00"));

        f->opt10->setChecked(true);
        f->txtFindContent->setText("12 256");
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "输入错误！", "错误！", Dialogs::Icon::Error);
        QCOMPARE(f->txtFindContent->selectedText(), QString("12 256"));
        f->opt16->setChecked(true);
        f->txtFindContent->setText("1FF");
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "输入错误！", "错误！", Dialogs::Icon::Error);

        // Decimal values and the comma separator find the same bytes.
        const QByteArray pattern("\x3C\x00\xD1\x77", 4);
        plant(pattern, {0x70001});
        m_hex->GotoAddress("0", true);
        f->opt10->setChecked(true);
        f->cboSplitChar->setCurrentIndex(1);
        f->txtFindContent->setText("60,,0,209,119,");
        const int shown = m_dialogs.messages.size();
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        QCOMPARE(m_dialogs.messages.size(), shown + 1); // trailing separator: an empty value
        f->txtFindContent->setText("60,,0,209,119");
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        QCOMPARE(f->txtFindContent->text(), QString("60,0,209,119"));
        QCOMPARE(m_hex->txtLoc->text(), QString("00070001"));

        // Downwards from the last byte finds nothing.
        m_hex->GotoAddress("ADFFF", true);
        f->txtFindFrom->setText("0");
        f->txtFindTo->setText("FFFFFFFF");
        f->txtFindContent->setText(QString::number(byteAt(m_images.WorkImage, 0xADFFF)));
        QTest::keyClick(f->txtFindContent, Qt::Key_Return);
        expectMessage(m_dialogs, "没有符合条件的内容！", "没有找到！", Dialogs::Icon::Information);

        // Space with a selection moves the caret to the end of the selection.
        f->txtFindContent->setText("3C 00");
        f->txtFindContent->setSelection(0, 2);
        QTest::keyClick(f->txtFindContent, Qt::Key_Space);
        QCOMPARE(f->txtFindContent->text(), QString("3C 00"));
        QCOMPARE(f->txtFindContent->cursorPosition(), 2);
    }

    void differenceSearch()
    {
        m_hex->txtLoc->setText("00000100");
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        expectMessage(m_dialogs, "没有符合条件的内容！", "没有找到！", Dialogs::Icon::Information);
        m_hex->optUpWay->setChecked(true);
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages.size(), 2);

        m_images.WorkImage[0x4D1E0] = char(~m_pristine[0x4D1E0]);
        m_images.WorkImage[0x4D1E1] = char(~m_pristine[0x4D1E1]);
        m_images.WorkImage[0x90000] = char(~m_pristine[0x90000]);
        m_hex->optDownWay->setChecked(true);
        m_hex->txtLoc->setText("00000100");
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_hex->txtLoc->text(), QString("0004D1E1")); // the clamped start is never tested
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_hex->txtLoc->text(), QString("00090000"));
        QCOMPARE(grid()->topRow(), cellRow(0x90000));
        m_hex->optUpWay->setChecked(true);
        m_hex->txtLoc->setText("000ADFFF");
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_hex->txtLoc->text(), QString("00090000"));
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_hex->txtLoc->text(), QString("0004D1E1"));
        QTest::mouseClick(m_hex->btnFindDifferent, Qt::LeftButton);
        QCOMPARE(m_hex->txtLoc->text(), QString("0004D1E0"));
        QCOMPARE(m_dialogs.messages.size(), 2);
    }

    void stringConversion()
    {
        StringPage *s = m_window->stringPage;
        m_window->stabAll->setCurrentIndex(7);
        s->txtStringChange[0]->setFocus();
        QTest::keyClicks(s->txtStringChange[0], "A");
        QCOMPARE(s->txtStringChange[1]->toPlainText(), QString("41 00 "));
        QCOMPARE(s->txtStringChange[2]->toPlainText(), QString("41 "));
        QCOMPARE(s->txtStringChange[0]->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xC0));

        s->txtStringChange[1]->setFocus();
        QCOMPARE(s->txtStringChange[1]->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xC0));
        QVERIFY(s->txtStringChange[0]->palette().color(QPalette::Base) != QColor(0xC0, 0xFF, 0xC0));
        s->txtStringChange[1]->setPlainText("41 00 42 00 ");
        QCOMPARE(s->txtStringChange[0]->toPlainText(), QString("AB"));
        QCOMPARE(s->txtStringChange[2]->toPlainText(), QString("41 42 "));

        s->txtStringChange[2]->setPlainText("41 ZZ 42");
        QCOMPARE(s->lblSourceString->text(), QString("字符串(输入错误)"));
        QCOMPARE(s->lblUnicode->text(), QString("Unicode(输入错误)"));
        QCOMPARE(s->lblAscii->text(), QString("Ascii(输入错误)"));
        // Refused input converts to nothing.
        QCOMPARE(s->txtStringChange[1]->toPlainText(), QString());
        QCOMPARE(s->txtStringChange[0]->toPlainText(), QString());
        s->txtStringChange[2]->setPlainText("41  42");
        QCOMPARE(s->lblAscii->text(), QString("Ascii"));
        QCOMPARE(s->lblSourceString->text(), QString("字符串"));
        QCOMPARE(s->txtStringChange[0]->toPlainText(), QString("AB"));

        s->txtStringChange[0]->setPlainText("中文");
        QCOMPARE(s->txtStringChange[2]->toPlainText(), QString("D6 D0 CE C4 "));
        QCOMPARE(s->txtStringChange[1]->toPlainText(), QString("2D 4E 87 65 "));
        s->txtStringChange[2]->setPlainText("D6 D0 CE C4 41");
        QCOMPARE(s->txtStringChange[0]->toPlainText(), QString("中文A"));

        s->txtStringChange[1]->clear();
        QVERIFY(s->txtStringChange[0]->toPlainText().isEmpty());
        QVERIFY(s->txtStringChange[2]->toPlainText().isEmpty());
    }

    void selectionTransferAndCopyReplace()
    {
        StringPage *s = m_window->stringPage;
        m_window->stabAll->setCurrentIndex(7);
        s->txtStringChange[0]->setFocus();
        s->txtStringChange[0]->setPlainText("AB中");
        QTextCursor c = s->txtStringChange[0]->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        s->txtStringChange[0]->setTextCursor(c);
        QTest::mouseClick(s->lblAscii, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), s->txtStringChange[2]);
        const QTextCursor t = s->txtStringChange[2]->textCursor();
        QCOMPARE(t.selectionStart(), 3);                   // "41 "
        QCOMPARE(t.selectionEnd() - t.selectionStart(), 9); // "42 D6 D0 "

        // Copy the selected bytes, collapsing runs of spaces.
        s->txtFind[0]->setText(" ");
        s->txtFind[1]->setText("");
        QTest::mouseClick(s->btnCopyReplace, Qt::LeftButton);
        QCOMPARE(s->txtCopyContent->toPlainText(), QString("42D6D0"));
        QCOMPARE(QApplication::clipboard()->text(), QString("42D6D0"));

        s->txtStringChange[0]->setFocus();
        s->txtStringChange[0]->setPlainText("  a    b  ");
        s->txtStringChange[0]->selectAll();
        s->txtFind[0]->setText("  ");
        s->txtFind[1]->setText(" ");
        s->chkTrim->setChecked(true);
        QTest::mouseClick(s->btnCopyReplace, Qt::LeftButton);
        QCOMPARE(s->txtCopyContent->toPlainText(), QString("a b"));
    }

    void currentCellStaysInView()
    {
        FlexGrid *g = grid();
        const auto inView = [g] { return g->viewport()->rect().contains(g->visualRect(g->currentIndex())); };
        g->setFocus();
        g->setCurrentCell(1, 1);
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->row(), g->rows() - 1);
        QVERIFY(inView());
        QTest::keyClick(g, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(g->row(), 1);
        QVERIFY(inView());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(g, Qt::Key_PageDown);
        QVERIFY(g->row() > 3 * (g->visibleRows() - 2));
        QVERIFY(inView());
        for (int i = 0; i < 60; ++i)
            QTest::keyClick(g, Qt::Key_Down);
        QVERIFY(inView());
        QTest::keyClick(g, Qt::Key_PageUp);
        QVERIFY(inView());
        QCOMPARE(m_hex->txtLoc->text(), QString::number(HexGridModel::offsetOf(g->row(), g->col()), 16).toUpper().rightJustified(8, '0'));

        // Letters do not search the grid: the current cell stays.
        const int row = g->row();
        const int col = g->col();
        QTest::keyClicks(g, "xyz");
        QCOMPARE(g->row(), row);
        QCOMPARE(g->col(), col);
        QCOMPARE(QApplication::focusWidget(), g);

        // Jumps: the address box, the difference search, and the text column scrolls along.
        m_hex->GotoAddress("9A000", false);
        QVERIFY(inView());
        m_images.WorkImage[0x4D1E5] = char(~m_images.WorkImage[0x4D1E5]);
        m_hex->txtLoc->setText("000AD000");
        m_hex->optUpWay->setChecked(true);
        m_hex->btnFindDifferent->click();
        QCOMPARE(m_hex->txtLoc->text(), QString("0004D1E5"));
        QVERIFY(inView());
        QCOMPARE(m_hex->scrollRows->value(), g->verticalScrollBar()->value());
    }

    void digitOnTheGridStartsAValue()
    {
        FlexGrid *g = grid();
        m_hex->GotoAddress("4D1F3", false);
        const QByteArray before = m_images.WorkImage;
        QTest::keyClicks(g, "7");
        QLineEdit *box = m_hex->txtNewValue;
        QCOMPARE(QApplication::focusWidget(), box);
        QApplication::processEvents(); // the focus does not select the typed digit
        QTest::keyClicks(box, "b");
        QCOMPARE(box->text(), QString("7B"));
        QCOMPARE(m_images.WorkImage, before); // nothing written before Enter
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x4D1F3)), 0x7B);
        QCOMPARE(grid()->textMatrix(cellRow(0x4D1F3), cellCol(0x4D1F3)), QString("7B"));
    }

    void textColumn()
    {
        // GBK pairs show their character, printable ASCII itself, anything else a dot, a lead
        // byte with no trail byte or at the row's end too.
        const QByteArray row("\xD6\xD0\xCE\xC4" "A\x00\x7F\x81\x20\xFF" "z\x80\xB0\xA1\x01\xB0", 16);
        QCOMPARE(hexRowText(row, 0, 16), QString("中文A... .z.啊.."));
        const QVector<HexTextGlyph> glyphs = hexRowGlyphs(row, 0, 16);
        QCOMPARE(glyphs[0].span, 2);
        QCOMPARE(glyphs[2].first, 4);
        QCOMPARE(hexRowText(row, 14, 16), QString("..")); // past the image's end: what is there
        QCOMPARE(hexRowText(row, 20, 16), QString());

        // The column stands right of the byte columns, and a changed cartridge byte is red.
        HexTextColumn *column = m_hex->textColumn;
        QVERIFY(column->isVisible());
        QVERIFY(column->geometry().left() >= grid()->geometry().right());
        const auto redPixels = [column] {
            const QImage shot = column->grab().toImage();
            int n = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    n += c.red() > 200 && c.green() < 80 && c.blue() < 80;
                }
            return n;
        };
        m_hex->GotoAddress("4D1E0", true);
        const int unchanged = redPixels(); // fringes of antialiased glyphs at most
        typeEnter(m_hex->txtNewValue, "41");
        QVERIFY(redPixels() > unchanged + 10);
        m_hex->txtNewValue->selectAll();
        typeEnter(m_hex->txtNewValue, hexByte(byteAt(m_pristine, 0x4D1E0)));
        QCOMPARE(redPixels(), unchanged);
    }

    void refusedValueIsNamedInTheStatusBar()
    {
        m_hex->GotoAddress("100", true);
        const QByteArray before = m_images.WorkImage;
        m_hex->txtNewValue->clear();
        typeEnter(m_hex->txtNewValue, "G");
        QCOMPARE(m_images.WorkImage, before);
        QCOMPARE(m_window->statusBar()->currentMessage(), QString("当前：00 至 FF 的十六进制数"));
    }

    void searchRoutines()
    {
        const QByteArray image("\x01\x02\x03\x01\x02", 5);
        const auto all = [](qint64) { return 1; };
        const QByteArray p("\x01\x02", 2);
        QCOMPARE(findPattern(image, -1, p, true, all), 0);
        QCOMPARE(findPattern(image, 0, p, true, all), 3);
        QCOMPARE(findPattern(image, 3, p, true, all), -1);
        QCOMPARE(findPattern(image, 4, p, false, all), 3); // the pattern still fits at 3
        QCOMPARE(findPattern(image, 3, p, false, all), 0);
        QCOMPARE(findPattern(image, 0, p, false, all), -1);
        QCOMPARE(findPattern(image, 0, QByteArray(), true, all), -1);
        QCOMPARE(findPattern(image, 0, QByteArray(6, '\1'), true, all), -1);

        QCOMPARE(renderBytes(QByteArray("AB", 2)), QString("41 42 "));
        bool error = false;
        QCOMPARE(parseBytes("  41   42 ", &error), QByteArray("AB"));
        QVERIFY(!error);
        QCOMPARE(parseBytes("41 100 42", &error), QByteArray("A\0\0", 3));
        QVERIFY(error);
        QCOMPARE(textFromUtf16(QByteArray("A\0B", 3)), QString("A"));
    }
};

QTEST_MAIN(TestHexView)
#include "tst_hexview.moc"
