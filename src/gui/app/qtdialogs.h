#pragma once

#include "image/dialogs.h"

// Message boxes and file dialogs of the running program.
class QtDialogs : public Dialogs {
public:
    void message(Icon icon, const QString &title, const QString &text) override;
    Answer askSave(const QString &title, const QString &text) override;
    bool confirm(const QString &title, const QString &text) override;
    QString openFileName(const QString &title, const QString &filter, const QString &fileName) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &fileName) override;
    QStringList openFileNames(const QString &title, const QString &filter, const QString &folder) override;
    QString folderName(const QString &title, const QString &folder) override;
};
