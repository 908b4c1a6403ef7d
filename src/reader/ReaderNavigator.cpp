#include "reader/ReaderNavigator.h"

#include "reader/MessageText.h"
#include "state/AppState.h"
#include "store/LiveQuery.h"
#include "store/MessageListQueries.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"

#include <algorithm>

namespace marvik::reader {

ReaderNavigator::ReaderNavigator(state::AppState &state)
    : m_state(state)
{ }

int ReaderNavigator::count() const
{
    return m_state.messageCount();
}

int ReaderNavigator::index() const
{
    return m_state.messageIndex();
}

store::MessageRecord ReaderNavigator::currentRecord() const
{
    return m_state.messages().message();
}

bool ReaderNavigator::start(int conference, int startRow)
{
    m_conference = conference;
    m_nextUnreadEnabled = true;
    m_names.clear();
    m_current = DisplayedMessage();
    if (count() == 0)
        return false;
    if (startRow > 0) {
        m_state.messages().moveToRow(std::clamp(startRow, 1, count()));
        displayCurrent();
        return true;
    }
    m_state.messages().moveToRow(1);
    // Quietly: when every message is read the first one is shown, with Next
    // Unread disabled and no notice.
    if (!findNextUnread() || index() == 1)
        displayCurrent();
    return true;
}

void ReaderNavigator::first()
{
    m_state.messages().moveToRow(1);
    displayCurrent();
}

void ReaderNavigator::showRow(int row)
{
    if (count() == 0)
        return;
    m_state.messages().moveToRow(std::clamp(row, 1, count()));
    displayCurrent();
}

std::optional<std::vector<ThreadRow>> ReaderNavigator::arrange(
    const store::ListOrder &order, bool threads)
{
    const qint64 shown = m_state.messages().key(index());
    auto rows = prepareOrder(order, threads);
    if (!rows)
        return rows;
    if (m_state.messages().key(index()) != shown || m_current.recordNumber != shown) {
        displayCurrent();
        return rows;
    }
    // The same message, at its place in the new order.
    m_current.position = QStringLiteral("%1 of %2").arg(index()).arg(count());
    m_nextUnreadEnabled = count() > 1 && otherUnread();
    return rows;
}

std::optional<std::vector<ThreadRow>> ReaderNavigator::prepareOrder(
    const store::ListOrder &order, bool threads)
{
    store::LiveQuery &messages = m_state.messages();
    const bool narrowed = order.view != store::ListView::All || !order.filter.isEmpty();
    if (narrowed
        && store::MessageListQueries::count(m_state.store(), messages.selection(), order) == 0)
        return std::nullopt;
    if (!threads) {
        // Already in that order: the keys stay as they are.
        if (order != messages.order() || messages.isArranged())
            messages.reorder(order);
        return std::vector<ThreadRow>();
    }
    // The thread fields come in the list's order with the read flags, so
    // they are the rows: the keys are not read a second time.
    const std::vector<ThreadInput> fields
        = store::MessageListQueries::threadFields(m_state.store(), messages.selection(), order);
    QHash<qint64, bool> read;
    read.reserve(qsizetype(fields.size()));
    for (const ThreadInput &field : fields)
        read.insert(field.key, field.read);
    std::vector<ThreadRow> rows = ThreadOrder::build(fields);
    QList<qint64> keys;
    QList<bool> reads;
    keys.reserve(qsizetype(rows.size()));
    reads.reserve(qsizetype(rows.size()));
    for (const ThreadRow &row : rows) {
        keys.append(row.key);
        reads.append(read.value(row.key));
    }
    messages.arrange(order, keys, reads);
    return rows;
}

bool ReaderNavigator::currentMarked() const
{
    return m_state.messages().value(QStringLiteral("Marked")).toBool();
}

bool ReaderNavigator::toggleMarked()
{
    store::LiveQuery &messages = m_state.messages();
    if (!messages.hasRow())
        return false;
    const bool marked = !messages.message().marked;
    store::MessageListQueries::setMarked(m_state.store(), messages.key(index()), marked);
    messages.refresh();
    return messages.message().marked;
}

void ReaderNavigator::prior()
{
    if (index() <= 1)
        return;
    m_state.messages().moveToRow(index() - 1);
    displayCurrent();
}

void ReaderNavigator::next()
{
    if (index() >= count())
        return;
    m_state.messages().moveToRow(index() + 1);
    displayCurrent();
}

void ReaderNavigator::last()
{
    m_state.messages().moveToRow(count());
    displayCurrent();
}

bool ReaderNavigator::findNextUnread()
{
    store::LiveQuery &messages = m_state.messages();
    const int start = index();
    if (start == 0)
        return false;
    if (!messages.isRowRead(start))
        return true;
    // The read flags are kept with the selection: no message text is read
    // until the one found is shown.
    int found = messages.nextUnreadAfter(start);
    if (found == 0)
        found = messages.nextUnreadAfter(0);
    if (found == 0 || found == start) {
        m_nextUnreadEnabled = false;
        return false;
    }
    messages.moveToRow(found);
    displayCurrent();
    return true;
}

bool ReaderNavigator::deleteCurrent()
{
    store::LiveQuery &messages = m_state.messages();
    if (count() == 0)
        return false;
    m_state.operations().deleteMessage(messages.message());
    // Gone from the store either way (deleted now or already before).
    messages.forgetCurrent();
    if (count() == 0)
        return false;
    displayCurrent();
    return true;
}

bool ReaderNavigator::reopen(int index)
{
    store::LiveQuery &messages = m_state.messages();
    try {
        messages.reload();
    } catch (const store::StoreError &) {
        // A selection that cannot be read again counts as empty.
        messages.close();
        return false;
    }
    if (count() == 0)
        return false;
    messages.moveToRow(std::clamp(index, 1, count()));
    displayCurrent();
    return true;
}

QString ReaderNavigator::yourName() const
{
    const auto system = m_state.store().findSystem(m_state.currentQwkId());
    return system ? system->yourName : QString();
}

QString ReaderNavigator::conferenceName(int number)
{
    const auto known = m_names.constFind(number);
    if (known != m_names.cend())
        return *known;
    const auto row = m_state.store().findConference(number, m_state.currentQwkId());
    const QString name = row ? row->name : QString();
    m_names.insert(number, name);
    return name;
}

bool ReaderNavigator::otherUnread() const
{
    const store::LiveQuery &messages = m_state.messages();
    const int at = index();
    if (messages.nextUnreadAfter(at) != 0)
        return true;
    const int wrapped = messages.nextUnreadAfter(0);
    return wrapped != 0 && wrapped != at;
}

void ReaderNavigator::displayCurrent()
{
    store::LiveQuery &messages = m_state.messages();
    const store::MessageRecord message = messages.message();
    // A search's hits may come from several systems: names, replies and
    // counts then belong to the system of the message shown.
    if (!message.qwkId.isEmpty() && message.qwkId != m_state.currentQwkId()) {
        m_state.setCurrentQwkId(message.qwkId);
        m_names.clear();
    }
    DisplayedMessage shown;
    if (m_conference == -2)
        shown.conferenceNumber = message.replyConferenceNumber;
    else if (m_conference == -1)
        shown.conferenceNumber = message.conferenceNumber;
    else
        shown.conferenceNumber = m_conference;
    shown.conference = conferenceName(shown.conferenceNumber);
    shown.recordNumber = message.recordNumber;
    shown.messageNumber = QString::number(message.messageNumber);
    shown.position = QStringLiteral("%1 of %2").arg(index()).arg(count());
    shown.from = message.from;
    shown.to = message.to;
    shown.subject = message.subject;
    shown.date = message.date + QLatin1Char(' ') + message.time;
    const QString status = message.status.trimmed();
    shown.privateText = status == QLatin1String("*") || status == QLatin1String("+")
        ? QStringLiteral("Yes")
        : QStringLiteral("No");
    shown.refersTo = message.referenceNumber == 0 ? QStringLiteral("None")
                                                  : QString::number(message.referenceNumber);
    shown.lines = MessageText::lines(message.text);
    m_current = shown;

    // Reading an already read message changes nothing, so it writes nothing.
    if (messages.hasRow() && !message.read) {
        m_state.operations().markRead(message);
        messages.refresh();
    }
    // Offered only while some other message waits to be read: the read
    // flags are kept with the selection, so this reads no row.
    m_nextUnreadEnabled = count() > 1 && otherUnread();
}

} // namespace marvik::reader
