#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace marvik::store {

class MessageStore;

struct ConferenceEntry
{
    QString number; // decimal; empty for the reserved conferences
    QString name;
    QString messages; // "<total> - <unread>"
};

// The list behind the system window's conference grid. Entry index 0 is the
// replies conference (-2), index 1 the personal conference (-1), then the
// packet's conferences by ascending number. Every text is at most 80
// characters. The count routines rewrite the Messages texts in place and
// tell the window through the change callback.
class ConferenceList
{
public:
    static constexpr int MaxText = 80;

    // Called with the index of a changed entry, or -1 when the whole list changed.
    using ChangedCallback = std::function<void(int index)>;
    void setChangedCallback(ChangedCallback callback) { m_changed = std::move(callback); }

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const ConferenceEntry &at(int index) const { return m_entries.at(index); }
    const QList<ConferenceEntry> &entries() const { return m_entries; }

    void clear();
    void append(const ConferenceEntry &entry); // texts cut to 80 characters

    // Index of conference `number`: 0 for -2, 1 for -1, else the first entry
    // from index 2 on whose Number text reads as that integer; -1 if none.
    int indexOfConference(int number) const;
    // Sets the Messages text of conference `number`'s entry, if it has one.
    void setCounts(int number, int total, int unread);

    static QString countsText(int total, int unread);

    // Rebuilds the list from the conferences of system `qwkId`. A conference
    // whose total is 0 gets its stored unread count set to 0 as well.
    // `eachRow` runs after every row (to let window events run).
    void fill(MessageStore &store, const QString &qwkId, const std::function<void()> &eachRow = {});

private:
    void changed(int index);

    QList<ConferenceEntry> m_entries;
    ChangedCallback m_changed;
};

} // namespace marvik::store
