#pragma once

#include "store/FieldMap.h"
#include "store/Records.h"
#include "store/Selection.h"

#include <QList>

namespace marvik::store {

class MessageStore;

// An updatable result: the keys of the selected rows are taken when it opens,
// in key order, and the current row is read by its key. Opening a conference
// of 100,000 messages therefore reads keys, not texts. Edits and deletions act
// on the table row at once, so a lookup afterwards sees them.
//
// Navigation follows the usual dataset rules: next() on the last row sets
// eof() and stays; prior() on the first sets bof() and stays; an empty result
// is both. remove() deletes the current row and makes the next one current;
// eof() turns true once the last row is gone, so "while (!eof()) remove();"
// empties the selection.
class LiveQuery
{
public:
    explicit LiveQuery(MessageStore &store);

    // Closes any previous selection and opens this one on its first row.
    void open(const Selection &selection);
    void close();
    bool isOpen() const { return m_open; }
    const Selection &selection() const { return m_selection; }

    int count() const { return int(m_keys.size()); }
    // 0-based position of the current row; -1 when there is none.
    int position() const { return m_keys.isEmpty() ? -1 : m_pos; }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool hasRow() const { return !m_row.isEmpty(); }

    void first();
    void last();
    void next();
    void prior();
    void moveBy(int rows);

    // The current row; empty when there is none or it vanished meanwhile.
    const FieldMap &fields() const { return m_row; }
    QVariant value(const QString &name) const { return m_row.value(name); }
    MessageRecord message() const;
    ConferenceRecord conference() const;
    BulletinRecord bulletin() const;
    SystemRecord system() const;

    // Changes to the current row are gathered by setValue() (which starts an
    // edit if needed) and written by post(); cancel() drops them. Field names
    // ignore case; an unknown field is an error.
    void edit();
    void setValue(const QString &name, const QVariant &value);
    void post();
    void cancel();
    bool isEditing() const { return m_editing; }

    // Deletes the current row (see the class comment for where the cursor goes).
    void remove();
    // Reads the current row again.
    void refresh();

private:
    void moveTo(int pos);
    void readCurrent();

    MessageStore &m_store;
    Selection m_selection;
    bool m_open = false;
    QList<qint64> m_keys; // rowids in key order
    int m_pos = 0;
    bool m_eof = true;
    bool m_bof = true;
    FieldMap m_row;
    FieldMap m_changes;
    bool m_editing = false;
};

} // namespace marvik::store
