#include "image/edithistory.h"

#include <algorithm>

namespace {

QString valueText(int value, EditHistory::Base base)
{
    return base == EditHistory::Base::Decimal ? QString::number(value)
                                              : QString::number(value, 16).toUpper().rightJustified(2, u'0');
}

QString addressText(quint32 offset)
{
    return QString::number(offset, 16).toUpper().rightJustified(8, u'0') + u':';
}

} // namespace

void EditHistory::begin(const QString &caption, Base base)
{
    if (m_depth++ > 0)
        return; // joins the step already open
    m_open = Step{caption, {}};
    m_openTop = -1;
    m_base = base;
    m_labelSet = false;
}

void EditHistory::setLabel(const QString &label)
{
    if (m_depth > 0) {
        m_open.label = label;
        m_labelSet = true;
    }
}

void EditHistory::end()
{
    if (m_depth > 0 && --m_depth == 0)
        commit();
}

bool EditHistory::write(QByteArray &image, qint64 offset, int value)
{
    if (offset < 0 || offset >= image.size())
        return false;
    const bool own = m_depth == 0;
    if (own)
        begin(addressText(quint32(offset)), Base::Hex);
    const quint8 before = quint8(image.at(offset));
    image[offset] = char(value);
    ++m_revision;
    // Writes in rising order (a whole patch) need no search for an earlier write of the byte.
    auto it = offset > m_openTop ? m_open.changes.end()
                                 : std::find_if(m_open.changes.begin(), m_open.changes.end(),
                                                [offset](const Change &c) { return c.offset == offset; });
    if (it == m_open.changes.end())
        m_open.changes.push_back({quint32(offset), before, quint8(value)});
    else
        it->after = quint8(value);
    m_openTop = std::max(m_openTop, offset);
    if (own)
        end();
    return true;
}

void EditHistory::commit()
{
    std::vector<Change> &changes = m_open.changes;
    changes.erase(std::remove_if(changes.begin(), changes.end(), [](const Change &c) { return c.before == c.after; }),
                  changes.end());
    if (changes.empty())
        return;
    if (!m_labelSet && m_base != Base::None && changes.size() == 1)
        m_open.label += u' ' + valueText(changes[0].before, m_base) + QStringLiteral(" => ") +
                        valueText(changes[0].after, m_base);
    changes.shrink_to_fit();
    m_steps.resize(size_t(m_done)); // a new step ends the redo branch
    m_steps.push_back(std::move(m_open));
    m_open = Step();
    if (int(m_steps.size()) > MaxSteps)
        m_steps.pop_front();
    m_done = int(m_steps.size());
    notify(Event::Step, &m_steps.back());
}

std::vector<quint32> EditHistory::undo(QByteArray &image)
{
    std::vector<quint32> offsets;
    if (!canUndo() || m_depth > 0)
        return offsets;
    const Step &s = m_steps[size_t(--m_done)];
    ++m_revision;
    for (auto it = s.changes.rbegin(); it != s.changes.rend(); ++it)
        if (it->offset < quint32(image.size())) {
            image[it->offset] = char(it->before);
            offsets.push_back(it->offset);
        }
    notify(Event::Undo, &s);
    return offsets;
}

std::vector<quint32> EditHistory::redo(QByteArray &image)
{
    std::vector<quint32> offsets;
    if (!canRedo() || m_depth > 0)
        return offsets;
    const Step &s = m_steps[size_t(m_done++)];
    ++m_revision;
    for (const Change &c : s.changes)
        if (c.offset < quint32(image.size())) {
            image[c.offset] = char(c.after);
            offsets.push_back(c.offset);
        }
    notify(Event::Redo, &s);
    return offsets;
}

void EditHistory::clear()
{
    m_steps = {};
    m_done = 0;
    m_depth = 0;
    m_open = Step();
    ++m_revision;
    notify(Event::Clear);
}

bool EditHistory::replay(QByteArray &image, const QString &label, const std::vector<Change> &changes)
{
    if (m_depth > 0)
        return false;
    for (const Change &c : changes)
        if (c.offset >= quint32(image.size()) || quint8(image.at(c.offset)) != c.before)
            return false;
    begin(label);
    setLabel(label);
    for (const Change &c : changes)
        write(image, c.offset, c.after);
    end();
    return true;
}

void EditHistory::restore(std::deque<Step> steps, int done)
{
    m_steps = std::move(steps);
    m_depth = 0;
    m_open = Step();
    ++m_revision;
    m_done = std::clamp(done, 0, int(m_steps.size()));
    while (int(m_steps.size()) > MaxSteps) {
        m_steps.pop_front();
        m_done = std::max(0, m_done - 1);
    }
    if (changed)
        changed();
}

size_t EditHistory::memoryUse() const
{
    size_t bytes = sizeof(*this) + m_steps.size() * sizeof(Step);
    for (const Step &s : m_steps)
        bytes += s.changes.capacity() * sizeof(Change) + size_t(s.label.capacity()) * sizeof(QChar) + 32;
    return bytes;
}
