#include "store/LiveQuery.h"

#include "store/FieldReaders.h"
#include "store/MessageStore.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <algorithm>

namespace marvik::store {

LiveQuery::LiveQuery(MessageStore &store)
    : m_store(store)
{ }

void LiveQuery::open(const Selection &selection)
{
    close();
    m_selection = selection;
    Statement &s = m_store.prepared(selection.orderedSql(QStringLiteral("rowid")));
    bindSelection(s, selection);
    try {
        while (s.step())
            m_keys.append(s.int64(0));
    } catch (...) {
        m_keys.clear();
        throw;
    }
    s.reset();
    m_open = true;
    first();
}

void LiveQuery::close()
{
    m_open = false;
    m_keys.clear();
    m_row.clear();
    m_changes.clear();
    m_editing = false;
    m_pos = 0;
    m_eof = m_bof = true;
}

void LiveQuery::moveTo(int pos)
{
    if (m_editing)
        post();
    m_pos = pos;
    readCurrent();
}

void LiveQuery::readCurrent()
{
    m_row.clear();
    if (m_keys.isEmpty())
        return;
    const Selection everything {m_selection.table, QStringLiteral("rowid = ?"), {m_keys.at(m_pos)}};
    Statement &s = m_store.prepared(everything.sql(QStringLiteral("*")));
    bindSelection(s, everything);
    if (s.step()) {
        for (int c = 0; c < s.columnCount(); ++c) {
            const QString name = s.columnName(c);
            QVariant value = s.value(c);
            const ColumnDef *column = Schema::column(m_selection.table, name);
            if (column && column->boolean && value.isValid())
                value = QVariant(value.toLongLong() != 0);
            m_row.setValue(name, value);
        }
    }
    s.reset();
}

void LiveQuery::first()
{
    m_bof = true;
    m_eof = m_keys.isEmpty();
    moveTo(0);
}

void LiveQuery::last()
{
    m_eof = true;
    m_bof = m_keys.isEmpty();
    moveTo(m_keys.isEmpty() ? 0 : int(m_keys.size()) - 1);
}

void LiveQuery::next()
{
    moveBy(1);
}

void LiveQuery::prior()
{
    moveBy(-1);
}

void LiveQuery::moveBy(int rows)
{
    if (m_keys.isEmpty()) {
        m_eof = m_bof = true;
        return;
    }
    const qint64 target = qint64(m_pos) + rows;
    const int lastPos = int(m_keys.size()) - 1;
    m_eof = target > lastPos;
    m_bof = target < 0;
    if (rows == 0)
        return;
    moveTo(int(std::clamp<qint64>(target, 0, lastPos)));
}

MessageRecord LiveQuery::message() const
{
    MessageRecord m;
    m.recordNumber = m_row.value(QStringLiteral("Record Number")).toLongLong();
    m.conferenceNumber = FieldInteger(m_row, QStringLiteral("Conference Number"));
    m.qwkId = FieldText(m_row, QStringLiteral("QwkID"));
    m.messageNumber = FieldInteger(m_row, QStringLiteral("Message Number"));
    m.status = FieldText(m_row, QStringLiteral("Message Status"));
    m.date = FieldText(m_row, QStringLiteral("Date"));
    m.time = FieldText(m_row, QStringLiteral("Time"));
    m.to = FieldText(m_row, QStringLiteral("To"));
    m.from = FieldText(m_row, QStringLiteral("From"));
    m.subject = FieldText(m_row, QStringLiteral("Subject"));
    m.referenceNumber = FieldInteger(m_row, QStringLiteral("Reference Number"));
    m.read = m_row.value(QStringLiteral("Read Flag")).toBool();
    m.text = FieldText(m_row, QStringLiteral("Message"));
    m.personal = m_row.value(QStringLiteral("Personal")).toBool();
    m.replyConferenceNumber = FieldInteger(m_row, QStringLiteral("Reply Conference Number"));
    return m;
}

ConferenceRecord LiveQuery::conference() const
{
    return ConferenceRecord {FieldInteger(m_row, QStringLiteral("Conference Number")),
        FieldText(m_row, QStringLiteral("QwkID")),
        FieldText(m_row, QStringLiteral("Conference Name")),
        FieldInteger(m_row, QStringLiteral("Total Msgs")),
        FieldInteger(m_row, QStringLiteral("Unread Msgs"))};
}

BulletinRecord LiveQuery::bulletin() const
{
    return BulletinRecord {m_row.value(QStringLiteral("RecNo")).toLongLong(),
        FieldText(m_row, QStringLiteral("QwkID")),
        FieldInteger(m_row, QStringLiteral("Conference Number")),
        FieldInteger(m_row, QStringLiteral("Bulletin Number")),
        FieldText(m_row, QStringLiteral("Bulletin"))};
}

SystemRecord LiveQuery::system() const
{
    SystemRecord r;
    const auto t = [this](const char *name) { return FieldText(m_row, QLatin1String(name)); };
    r.qwkId = t("QwkID");
    r.bbsName = t("BBS Name");
    r.bbsLocation = t("BBS Location");
    r.sysopName = t("Sysop Name");
    r.yourName = t("Your Name");
    r.mailDoor = t("Mail Door");
    r.mailDoorVersion = t("Mail Door Version");
    r.system = t("System");
    r.controlName = t("Control Name");
    r.add = t("ADD");
    r.drop = t("DROP");
    r.request = t("REQUEST");
    r.receipt = t("RECEIPT");
    r.mixedCase = t("MIXEDCASE");
    r.fidoTag = t("FIDOTAG");
    r.reset = t("RESET");
    r.welcomeScreen = t("Welcome Screen");
    r.goodbyeScreen = t("Goodbye Screen");
    r.newsletter = t("Newsletter");
    r.newFiles = t("New Files");
    r.lastReply = FieldInteger(m_row, QStringLiteral("Last Reply"));
    return r;
}

void LiveQuery::edit()
{
    if (!hasRow())
        throw StoreError(QStringLiteral("There is no current row to edit."));
    m_editing = true;
}

void LiveQuery::setValue(const QString &name, const QVariant &value)
{
    const ColumnDef *column = Schema::column(m_selection.table, name);
    if (!column) {
        throw StoreError(QStringLiteral("Table %1 has no field \"%2\".")
                             .arg(Schema::table(m_selection.table).name, name));
    }
    if (!m_editing)
        edit();
    m_changes.setValue(column->name, value);
}

void LiveQuery::post()
{
    if (!m_editing)
        return;
    const FieldMap changes = m_changes;
    m_changes.clear();
    m_editing = false;
    if (changes.isEmpty() || m_keys.isEmpty())
        return;
    QStringList sets;
    QVariantList values;
    for (const QString &name : changes.names()) {
        sets << Schema::quoted(name) + QLatin1String(" = ?");
        values << changes.value(name);
    }
    values << m_keys.at(m_pos);
    // Built from our own column names only; every value is bound.
    Statement &s = m_store.prepared(
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
            .arg(Schema::table(m_selection.table).name, sets.join(QLatin1String(", "))));
    for (qsizetype i = 0; i < values.size(); ++i)
        s.bindVariant(int(i + 1), values.at(i));
    try {
        s.step();
    } catch (...) {
        s.reset();
        readCurrent();
        throw;
    }
    s.reset();
    readCurrent();
}

void LiveQuery::cancel()
{
    m_changes.clear();
    m_editing = false;
}

void LiveQuery::remove()
{
    if (m_keys.isEmpty())
        throw StoreError(QStringLiteral("There is no current row to delete."));
    cancel();
    Statement &s = m_store.prepared(QStringLiteral("DELETE FROM %1 WHERE rowid = ?")
                                        .arg(Schema::table(m_selection.table).name));
    s.bind(1, m_keys.at(m_pos));
    try {
        s.step();
    } catch (...) {
        s.reset();
        throw;
    }
    s.reset();
    m_keys.removeAt(m_pos);
    m_bof = false;
    if (m_pos >= m_keys.size()) {
        // The last row went: stay on the new last one, at the end of data.
        m_eof = true;
        m_bof = m_keys.isEmpty();
        m_pos = m_keys.isEmpty() ? 0 : int(m_keys.size()) - 1;
    } else {
        m_eof = false;
    }
    readCurrent();
}

void LiveQuery::refresh()
{
    readCurrent();
}

} // namespace marvik::store
