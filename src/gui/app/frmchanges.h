#pragma once

#include "gamedata/fieldchanges.h"

#include <QByteArray>
#include <QDialog>

class Dialogs;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct ByteImages;

// "修改清单": every field whose bytes differ, grouped by table and record, one line per field.
// The live list follows WorkImage against the built-in executable (or, with
// chkChangesSinceOpen, against the image as last opened); a preview shows what a change list
// or patch would change, with "打开" to open it.
class frmChanges : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Live, Preview };

    frmChanges(ByteImages &images, Dialogs &dialogs, Mode mode, QWidget *parent = nullptr);

    QCheckBox *chkChangesSinceOpen;
    QLabel *lblChangesCount;
    QTreeWidget *treeChanges;
    QPushButton *btnChangesExport; // "导出..."
    QPushButton *btnChangesOpen;   // "打开", previews only
    QPushButton *btnChangesClose;

    // Live: the image the switch compares with.
    void setOpenedImage(const QByteArray &image) { m_opened = image; }
    // Live: lists the changes again (only while shown).
    void refresh();
    // Preview: what after (the file at path applied) changes against before.
    void showPreview(const QString &path, const QByteArray &before, const QByteArray &after);

    const QVector<FieldChange> &changes() const { return m_changes; }
    // Every line as "导出..." writes it, in the order shown.
    QStringList lines() const;

signals:
    // A line was double-clicked: the first byte of its field or range.
    void placeChosen(qint64 offset);
    void openRequested(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fill(const QVector<FieldChange> &changes);
    void exportList();
    void itemActivated(QTreeWidgetItem *item);

    ByteImages &m_images;
    Dialogs &m_dialogs;
    Mode m_mode;
    QByteArray m_opened;
    QString m_previewPath;
    QVector<FieldChange> m_changes;
    DescribeCache m_cache; // of the live list
};
