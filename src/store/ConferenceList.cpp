#include "store/ConferenceList.h"

#include "store/FieldReaders.h"
#include "store/LiveQuery.h"
#include "store/MessageStore.h"
#include "store/Selections.h"

namespace marvik::store {

void ConferenceList::clear()
{
    m_entries.clear();
    changed(-1);
}

void ConferenceList::append(const ConferenceEntry &entry)
{
    m_entries.append(
        {entry.number.left(MaxText), entry.name.left(MaxText), entry.messages.left(MaxText)});
    changed(int(m_entries.size()) - 1);
}

int ConferenceList::indexOfConference(int number) const
{
    if (number == -2)
        return m_entries.size() > 0 ? 0 : -1;
    if (number == -1)
        return m_entries.size() > 1 ? 1 : -1;
    for (int i = 2; i < m_entries.size(); ++i) {
        bool ok = false;
        if (m_entries.at(i).number.toInt(&ok) == number && ok)
            return i;
    }
    return -1;
}

void ConferenceList::setCounts(int number, int total, int unread)
{
    const int index = indexOfConference(number);
    if (index < 0)
        return;
    m_entries[index].messages = countsText(total, unread).left(MaxText);
    changed(index);
}

QString ConferenceList::countsText(int total, int unread)
{
    return QStringLiteral("%1 - %2").arg(total).arg(unread);
}

void ConferenceList::fill(
    MessageStore &store, const QString &qwkId, const std::function<void()> &eachRow)
{
    const ChangedCallback callback = std::exchange(m_changed, {});
    m_entries.clear();
    LiveQuery query(store);
    query.open(Selections::conferences(qwkId));
    for (; !query.eof(); query.next()) {
        const int number = FieldInteger(query, QStringLiteral("Conference Number"));
        const int total = FieldInteger(query, QStringLiteral("Total Msgs"));
        if (total == 0 && FieldInteger(query, QStringLiteral("Unread Msgs")) != 0) {
            query.setValue(QStringLiteral("Unread Msgs"), 0);
            query.post();
        }
        append({number >= 0 ? QString::number(number) : QString(),
            FieldText(query, QStringLiteral("Conference Name")),
            countsText(total, FieldInteger(query, QStringLiteral("Unread Msgs")))});
        if (eachRow)
            eachRow();
    }
    m_changed = callback;
    changed(-1);
}

void ConferenceList::changed(int index)
{
    if (m_changed)
        m_changed(index);
}

} // namespace marvik::store
