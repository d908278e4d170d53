#pragma once

#include <QString>
#include <QStringList>

// Every message box and file dialog of the editor goes through this interface: the program
// uses Qt's boxes, tests answer from a script.
class Dialogs {
public:
    enum class Icon { None, Information, Error };

    virtual ~Dialogs() = default;

    virtual void message(Icon icon, const QString &title, const QString &text) = 0;

    // A question with the buttons "保存[&S]", "不保存[&N]" and "取消".
    enum class Answer { Save, DontSave, Cancel };
    virtual Answer askSave(const QString &title, const QString &text) = 0;
    // A question with the buttons "是" and "否"; true for "是".
    virtual bool confirm(const QString &title, const QString &text) = 0;

    // The filter uses the "description|pattern|description|pattern" form. fileName is the name
    // the dialog starts with. Returns the chosen path, or an empty text when cancelled.
    virtual QString openFileName(const QString &title, const QString &filter, const QString &fileName) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &fileName) = 0;
    // Several existing files (none when cancelled), and a folder (an empty text when cancelled),
    // each dialog starting in folder.
    virtual QStringList openFileNames(const QString &title, const QString &filter, const QString &folder) = 0;
    virtual QString folderName(const QString &title, const QString &folder) = 0;
};
