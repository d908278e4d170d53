#pragma once

#include "gamedata/patchmerge.h"

#include <QDialog>

#include <functional>

class Dialogs;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
struct ByteImages;

// "应用补丁": what a change list or patch would change in the work in hand, conflicts first,
// before anything is written. "应用" writes every change, "应用，冲突处保留当前值" all but the
// conflicts, "取消" nothing; a write is one step of the history.
class frmApplyPatch : public QDialog {
    Q_OBJECT
public:
    frmApplyPatch(ByteImages &images, Dialogs &dialogs, QWidget *parent = nullptr);

    QLabel *lblPatchBase;      // "补丁针对："
    QComboBox *cboPatchBase;   // "可执行文件", "卡带文件"
    QLabel *lblApplyCount;     // "N 处修改，M 处冲突"
    QListWidget *lstApplyPatch;
    QPushButton *btnApply;     // "应用"
    QPushButton *btnApplyKeep; // "应用，冲突处保留当前值"
    QPushButton *btnApplyCancel;

    // Reads the file and lists it; false, after its message, when it is refused or changes nothing.
    bool setPatch(const QString &path);
    // The lines as shown, conflicts first.
    QStringList lines() const;

signals:
    // Bytes were written, as the step labelled.
    void applied(const QString &label);

private:
    void fill();
    void write(bool keepCurrent);

    ByteImages &m_images;
    Dialogs &m_dialogs;
    QString m_name;
    PatchMerge::Reading m_reading;
    PatchMerge::Merge m_merge;
    int m_conflictLines = 0;
};

// File → "应用补丁(&A)...": chooses a file and opens the window over parent; written(label) after
// a write.
void applyPatchFromMenu(QWidget *parent, ByteImages &images, Dialogs &dialogs,
                        const std::function<void(const QString &)> &written);
// File → "导出卡带补丁(&C)...": an IPS or BPS (by the name's ending) from the built-in cartridge to
// the work's; the path written, or an empty text.
QString exportCartridgePatch(ByteImages &images, Dialogs &dialogs);
