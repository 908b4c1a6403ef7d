#include "store/RowMapper.h"

#include "store/FieldReaders.h"
#include "store/Statement.h"

namespace marvik::store {

FieldMap RowMapper::read(const Statement &s, Table table)
{
    FieldMap row;
    for (int c = 0; c < s.columnCount(); ++c) {
        const QString name = s.columnName(c);
        QVariant value = s.value(c);
        const ColumnDef *column = Schema::column(table, name);
        if (column && column->boolean && value.isValid())
            value = QVariant(value.toLongLong() != 0);
        row.setValue(name, value);
    }
    return row;
}

SystemRecord RowMapper::system(const FieldMap &row)
{
    SystemRecord r;
    const auto t = [&row](const char *name) { return FieldText(row, QLatin1String(name)); };
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
    r.lastReply = FieldInteger(row, QStringLiteral("Last Reply"));
    r.headersFile = row.value(QStringLiteral("Headers File")).toBool();
    r.qwke = row.value(QStringLiteral("QWKE")).toBool();
    return r;
}

ConferenceRecord RowMapper::conference(const FieldMap &row)
{
    return ConferenceRecord {FieldInteger(row, QStringLiteral("Conference Number")),
        FieldText(row, QStringLiteral("QwkID")), FieldText(row, QStringLiteral("Conference Name")),
        FieldInteger(row, QStringLiteral("Total Msgs")),
        FieldInteger(row, QStringLiteral("Unread Msgs"))};
}

MessageRecord RowMapper::message(const FieldMap &row)
{
    MessageRecord m;
    m.recordNumber = row.value(QStringLiteral("Record Number")).toLongLong();
    m.conferenceNumber = FieldInteger(row, QStringLiteral("Conference Number"));
    m.qwkId = FieldText(row, QStringLiteral("QwkID"));
    m.messageNumber = FieldInteger(row, QStringLiteral("Message Number"));
    m.status = FieldText(row, QStringLiteral("Message Status"));
    m.date = FieldText(row, QStringLiteral("Date"));
    m.time = FieldText(row, QStringLiteral("Time"));
    m.to = FieldText(row, QStringLiteral("To"));
    m.from = FieldText(row, QStringLiteral("From"));
    m.subject = FieldText(row, QStringLiteral("Subject"));
    m.referenceNumber = FieldInteger(row, QStringLiteral("Reference Number"));
    m.read = row.value(QStringLiteral("Read Flag")).toBool();
    m.text = FieldText(row, QStringLiteral("Message"));
    m.personal = row.value(QStringLiteral("Personal")).toBool();
    m.replyConferenceNumber = FieldInteger(row, QStringLiteral("Reply Conference Number"));
    m.marked = row.value(QStringLiteral("Marked")).toBool();
    m.messageId = FieldText(row, QStringLiteral("Message-ID"));
    m.inReplyTo = FieldText(row, QStringLiteral("In-Reply-To"));
    return m;
}

BulletinRecord RowMapper::bulletin(const FieldMap &row)
{
    return BulletinRecord {row.value(QStringLiteral("RecNo")).toLongLong(),
        FieldText(row, QStringLiteral("QwkID")),
        FieldInteger(row, QStringLiteral("Conference Number")),
        FieldInteger(row, QStringLiteral("Bulletin Number")),
        FieldText(row, QStringLiteral("Bulletin"))};
}

} // namespace marvik::store
