#pragma once

#include "store/FieldMap.h"
#include "store/ListOrder.h"
#include "store/Records.h"
#include "store/Selection.h"

#include <QList>

namespace marvik::store {

class MessageStore;

// A cursor over a selection: the keys of the selected rows are taken when it
// opens, in key order, and the current row is read by its key. Opening a
// conference of 100,000 messages therefore reads keys, not texts. A message
// selection also keeps each row's read flag, so looking for the next unread
// message never loads a text.
//
// The cursor only reads; rows change through the store's operations, which
// move the counts with them. After such an operation, refresh() reads the
// current row again and forgetCurrent() drops a deleted one.
//
// Navigation follows the usual dataset rules: next() on the last row sets
// eof() and stays; prior() on the first sets bof() and stays; an empty result
// is both.
class LiveQuery
{
public:
    explicit LiveQuery(MessageStore &store);

    // Closes any previous selection and opens this one on its first row. A
    // message selection comes in `order`: sorted, and only the rows of its
    // view (the store's order and every row by default).
    void open(const Selection &selection, const ListOrder &order = {});
    // The same over messages named by key, in the order given (a search's
    // hits); keys no longer stored are left out. Opened again through
    // selection(), the rows come in key order.
    void openKeys(const QList<qint64> &keys);
    void close();
    bool isOpen() const { return m_open; }
    const Selection &selection() const { return m_selection; }
    const ListOrder &order() const { return m_order; }

    // Takes the keys again in `order` (a search's hits keep their own order
    // as the store's); the current row stays current when it is still in
    // view, else the first row is. False when the current row left the view.
    bool reorder(const ListOrder &order);
    // Takes the keys again in the same order: rows written meanwhile join,
    // deleted ones leave. The current row stays as reorder() says.
    bool reload() { return reorder(m_order); }
    // Takes `keys` (with their read flags) as the rows of the selection in
    // `order`, arranged by the caller (threads). The current row stays
    // current when it is among them.
    void arrange(const ListOrder &order, const QList<qint64> &keys, const QList<bool> &read);
    // Whether the rows are in an order of the caller's (threads).
    bool isArranged() const { return m_arranged; }
    const QList<qint64> &keys() const { return m_keys; }
    // Key of row `number` (1-based); 0 when there is none.
    qint64 key(int number) const;
    // 1-based row of `key`; 0 when it is not in the selection.
    int rowOfKey(qint64 key) const;

    int count() const { return int(m_keys.size()); }
    // 1-based number of the current row; 0 when there is none.
    int rowNumber() const { return m_keys.isEmpty() ? 0 : m_pos + 1; }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool hasRow() const { return !m_row.isEmpty(); }

    void first();
    void last();
    void next();
    void prior();
    void moveBy(int rows);
    // Makes row `number` (1-based, brought into range) current.
    void moveToRow(int number);

    // Read flag of row `number` (1-based) of a message selection, as of the
    // last time the cursor read it.
    bool isRowRead(int number) const;
    // 1-based number of the first unread row after row `number`, searching
    // to the end only; 0 when there is none.
    int nextUnreadAfter(int number) const;

    // The current row; empty when there is none or it vanished meanwhile.
    const FieldMap &fields() const { return m_row; }
    QVariant value(const QString &name) const { return m_row.value(name); }
    MessageRecord message() const;
    ConferenceRecord conference() const;
    BulletinRecord bulletin() const;
    SystemRecord system() const;

    // Reads the current row again.
    void refresh();
    // The current row was deleted by a store operation: the next row becomes
    // current; eof() turns true once the last row is gone.
    void forgetCurrent();

private:
    void loadKeys();
    void keepCurrent(qint64 key);
    void moveTo(int pos);
    void readCurrent();

    MessageStore &m_store;
    Selection m_selection;
    ListOrder m_order;
    QList<qint64> m_hitOrder; // the order a keyed selection was opened in
    bool m_keyed = false;
    bool m_arranged = false;
    bool m_open = false;
    QList<qint64> m_keys; // rowids in the list's order
    QList<bool> m_read; // message selections: read flag per row
    int m_pos = 0;
    bool m_eof = true;
    bool m_bof = true;
    FieldMap m_row;
};

} // namespace marvik::store
