#include "app/qtdialogs.h"

#include "image/mymodule.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// "desc|pattern|desc|pattern" to Qt's name filters; the descriptions already name the patterns.
QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        result.append(parts[i].contains(u'(') ? parts[i] : parts[i] + " (" + parts[i + 1] + ")");
    return result;
}

QString runDialog(QFileDialog::AcceptMode mode, const QString &title, const QString &filter, const QString &fileName)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(filter));
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    QString path = dialog.selectedFiles().constFirst();
    if (mode == QFileDialog::AcceptSave) {
        // A name typed without an ending takes the ending of the chosen file type.
        if (fileKind(path) == FileKind::Other && QFileInfo(path).suffix().isEmpty()) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("\\*(\\.\\w+)")).match(dialog.selectedNameFilter());
            if (m.hasMatch())
                path += m.captured(1);
        }
    }
    return path;
}

} // namespace

void QtDialogs::message(Icon icon, const QString &title, const QString &text)
{
    const QMessageBox::Icon boxIcon = icon == Icon::Error        ? QMessageBox::Critical
                                      : icon == Icon::Information ? QMessageBox::Information
                                                                  : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    // A long list (every problem of an import) goes into a box that scrolls and can be copied.
    constexpr int LongText = 12;
    if (text.count(u'\n') >= LongText) {
        box.setText(QStringLiteral("共 %1 项：").arg(text.count(u'\n') + 1));
        auto *list = new QPlainTextEdit(text);
        list->setObjectName(QStringLiteral("txtMessageList"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setMinimumSize(560, 300);
        // QMessageBox lays its contents out in a grid; the list takes a row of its own.
        if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
            grid->addWidget(list, grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

Dialogs::Answer QtDialogs::askSave(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *save = box.addButton(QStringLiteral("保存[&S]"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("不保存[&N]"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return Answer::Save;
    return box.clickedButton() == discard ? Answer::DontSave : Answer::Cancel;
}

bool QtDialogs::confirm(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtDialogs::openFileName(const QString &title, const QString &filter, const QString &fileName)
{
    return runDialog(QFileDialog::AcceptOpen, title, filter, fileName);
}

QStringList QtDialogs::openFileNames(const QString &title, const QString &filter, const QString &folder)
{
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(nameFilters(filter));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString QtDialogs::folderName(const QString &title, const QString &folder)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, folder);
}

QString QtDialogs::saveFileName(const QString &title, const QString &filter, const QString &fileName)
{
    return runDialog(QFileDialog::AcceptSave, title, filter, fileName);
}
