#include "packet/DoorIdFile.h"

#include "packet/QwkField.h"
#include "packet/TextLines.h"

#include <QRegularExpression>

namespace marvik::packet {

QList<DoorIdRecord> DoorIdFile::parse(QByteArrayView bytes)
{
    QList<DoorIdRecord> records;
    for (const QByteArray &raw : TextLines::split(bytes)) {
        const QString line = QwkField::text(raw);
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            // A bare RECEIPT means the door sends return receipts.
            if (line.compare(QLatin1String("RECEIPT"), Qt::CaseInsensitive) == 0)
                records.append({QStringLiteral("RECEIPT"), QStringLiteral("YES")});
            continue;
        }
        const QString key = QwkField::trimmedText(line.left(equals));
        const QString value = QwkField::trimmedText(line.mid(equals + 1));
        if (value.isEmpty())
            continue;
        // CONTROLTYPE = ADD declares the command word ADD: it is filed under itself.
        if (key.toUpper() == QLatin1String("CONTROLTYPE"))
            records.append({value, value});
        else
            records.append({key, value});
    }
    return records;
}

QString DoorIdFile::value(const QList<DoorIdRecord> &records, const QString &key)
{
    const QString wanted = key.toUpper();
    for (const DoorIdRecord &record : records) {
        if (record.key.toUpper() == wanted)
            return record.value;
    }
    return {};
}

bool DoorIdFile::namesQwke(const QList<DoorIdRecord> &records)
{
    // As a word of its own: "QWKEMAIL" or "NOQWKE" name something else.
    static const QRegularExpression word(QStringLiteral("(^|[^A-Z0-9])QWKE($|[^A-Z0-9])"),
        QRegularExpression::CaseInsensitiveOption);
    for (const DoorIdRecord &record : records) {
        if (word.match(record.key).hasMatch() || word.match(record.value).hasMatch())
            return true;
    }
    return false;
}

} // namespace marvik::packet
