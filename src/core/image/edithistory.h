#pragma once

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

// The undo and redo history of WorkImage: every byte written, grouped in steps, one step per
// user action. A step opened with begin() collects the writes until the matching end(); a write
// with no step open is a step of its own. A step that leaves every byte as it was is dropped.
class EditHistory {
public:
    // How the values of a one-byte step are named in its label ("等  级 1 => 5").
    enum class Base { None, Decimal, Hex };

    struct Change {
        quint32 offset;
        quint8 before;
        quint8 after;
    };

    struct Step {
        QString label;
        std::vector<Change> changes;
    };

    // Steps beyond this many drop the oldest.
    static constexpr int MaxSteps = 100000;

    void begin(const QString &caption, Base base = Base::None);
    // A label for the open step that replaces the caption and its values.
    void setLabel(const QString &label);
    void end();
    bool stepOpen() const { return m_depth > 0; }
    // Room for n more writes in the open step (a write of many bytes at once).
    void reserve(size_t n)
    {
        if (m_depth > 0)
            m_open.changes.reserve(m_open.changes.size() + n);
    }

    // Writes one byte of image and records it; false (and nothing written) outside the image.
    bool write(QByteArray &image, qint64 offset, int value);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < int(m_steps.size()); }
    QString undoLabel() const { return canUndo() ? m_steps[size_t(m_done - 1)].label : QString(); }
    QString redoLabel() const { return canRedo() ? m_steps[size_t(m_done)].label : QString(); }
    // Put the bytes of the last step back (or write them again); the offsets of the step.
    std::vector<quint32> undo(QByteArray &image);
    std::vector<quint32> redo(QByteArray &image);
    // Forgets every step (a new image was loaded).
    void clear();

    int steps() const { return int(m_steps.size()); }
    // Counts every write, undo, redo and clear: views that keep something derived from the
    // image compare it to know when to derive it again.
    quint64 revision() const { return m_revision; }
    // Bytes the history holds, for the benchmarks.
    size_t memoryUse() const;

    // Called after every recorded step, undo, redo and clear.
    std::function<void()> changed;

    // What happened, for a journal: called before changed(), with the step's label and writes
    // for a step, the step undone or redone for those, and nothing for a clear.
    enum class Event { Step, Undo, Redo, Clear };
    std::function<void(Event, const QString &label, const std::vector<Change> &changes)> recorded;

    // Makes a step of writes already known (a journal read back): each offset inside image and
    // holding its before value, or nothing is written and false is returned.
    bool replay(QByteArray &image, const QString &label, const std::vector<Change> &changes);

    // The steps as they stand and how many of them are in the image, for a journal that starts
    // after a save; restore() takes them back over an image holding the first done of them.
    const std::deque<Step> &stepList() const { return m_steps; }
    int doneSteps() const { return m_done; }
    void restore(std::deque<Step> steps, int done);

private:
    void commit();
    void notify(Event event, const Step *step = nullptr) const
    {
        if (recorded)
            recorded(event, step ? step->label : QString(), step ? step->changes : std::vector<Change>());
        if (changed)
            changed();
    }

    std::deque<Step> m_steps; // the oldest leaves from the front at MaxSteps
    int m_done = 0; // steps [0, m_done) are in the image
    int m_depth = 0;
    Step m_open;
    qint64 m_openTop = -1; // the highest offset written in the open step
    Base m_base = Base::None;
    bool m_labelSet = false;
    quint64 m_revision = 0;
};
