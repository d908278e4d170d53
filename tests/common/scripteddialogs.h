#pragma once

#include "image/dialogs.h"

#include <QList>
#include <QStringList>
#include <QTest>

// Answers file dialogs from a queue (an empty answer is a cancel) and records every message.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    QList<Shown> messages;
    QStringList answers;      // next file dialog answers
    QStringList dialogTitles; // titles of the file dialogs shown
    QStringList startNames;   // names the file dialogs started with
    QList<Answer> saveAnswers; // next answers to the save question; none left is a cancel
    QList<Shown> questions;    // save questions asked
    QList<bool> confirmAnswers; // next answers to yes/no questions; none left is "否"
    QList<Shown> confirmations; // yes/no questions asked

    void message(Icon icon, const QString &title, const QString &text) override { messages.append({icon, title, text}); }
    Answer askSave(const QString &title, const QString &text) override
    {
        questions.append({Icon::None, title, text});
        return saveAnswers.isEmpty() ? Answer::Cancel : saveAnswers.takeFirst();
    }
    bool confirm(const QString &title, const QString &text) override
    {
        confirmations.append({Icon::None, title, text});
        return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
    }
    QString openFileName(const QString &title, const QString &, const QString &fileName) override
    {
        return answer(title, fileName);
    }
    QString saveFileName(const QString &title, const QString &, const QString &fileName) override
    {
        return answer(title, fileName);
    }

    // One answer holds the files chosen, one a line.
    QStringList openFileNames(const QString &title, const QString &, const QString &folder) override
    {
        return answer(title, folder).split(u'\n', Qt::SkipEmptyParts);
    }
    QString folderName(const QString &title, const QString &folder) override { return answer(title, folder); }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

private:
    QString answer(const QString &title, const QString &fileName)
    {
        dialogTitles.append(title);
        startNames.append(fileName);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// Checks the last message shown.
inline void expectMessage(const ScriptedDialogs &dialogs, const QString &text, const QString &title,
                          Dialogs::Icon icon)
{
    QVERIFY(!dialogs.messages.isEmpty());
    QCOMPARE(dialogs.messages.last().text, text);
    QCOMPARE(dialogs.messages.last().title, title);
    QVERIFY(dialogs.messages.last().icon == icon);
}
