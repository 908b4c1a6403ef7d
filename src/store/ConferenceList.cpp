#include "store/ConferenceList.h"

namespace marvik::store {

QString ConferenceList::numberText(const ConferenceEntry &entry)
{
    return entry.number >= 0 ? QString::number(entry.number) : QString();
}

QString ConferenceList::countsText(int total, int unread)
{
    return QStringLiteral("%1 - %2").arg(total).arg(unread);
}

void ConferenceList::setConferences(const QString &qwkId, const QList<ConferenceRecord> &rows)
{
    QList<ConferenceEntry> entries;
    entries.reserve(rows.size());
    for (const ConferenceRecord &row : rows)
        entries.append({row.number, row.name, row.totalMsgs, row.unreadMsgs});
    Q_EMIT aboutToReset();
    m_qwkId = qwkId;
    m_entries = std::move(entries);
    Q_EMIT reset();
}

void ConferenceList::clear()
{
    setConferences(QString(), {});
}

int ConferenceList::indexOfConference(int number) const
{
    // Reserved conferences stand first; the others come by ascending number.
    if (number < 0) {
        for (int i = 0; i < qMin(2, count()); ++i) {
            if (m_entries.at(i).number == number)
                return i;
        }
        return -1;
    }
    const auto begin = m_entries.cbegin() + qMin(2, count());
    const auto found = std::lower_bound(begin, m_entries.cend(), number,
        [](const ConferenceEntry &entry, int n) { return entry.number < n; });
    if (found == m_entries.cend() || found->number != number)
        return -1;
    return int(found - m_entries.cbegin());
}

void ConferenceList::setCounts(const QString &qwkId, int number, int total, int unread)
{
    if (qwkId != m_qwkId)
        return;
    const int index = indexOfConference(number);
    if (index < 0)
        return;
    ConferenceEntry &entry = m_entries[index];
    if (entry.total == total && entry.unread == unread)
        return;
    entry.total = total;
    entry.unread = unread;
    Q_EMIT entryChanged(index);
}

} // namespace marvik::store
