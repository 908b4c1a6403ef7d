#include "packet/MessageHeader.h"

#include "packet/QwkField.h"

namespace marvik::packet {

std::optional<MessageHeader> MessageHeader::parse(QByteArrayView block, QString *error)
{
    if (block.size() < BlockSize) {
        if (error)
            *error = QStringLiteral("is cut short at %1 bytes").arg(block.size());
        return std::nullopt;
    }
    const std::optional<int> blocks = QwkField::decimal(block.sliced(116, 6));
    if (!blocks || *blocks < 1) {
        if (error)
            *error = QStringLiteral("is not the start of a message: its block count reads "
                                    "\"%1\"")
                         .arg(QwkField::text(block.sliced(116, 6)));
        return std::nullopt;
    }
    MessageHeader header;
    header.status = QwkField::text(block.sliced(0, 1));
    header.numberField = block.sliced(1, 7).toByteArray();
    header.date = QwkField::text(block.sliced(8, 8));
    header.time = QwkField::text(block.sliced(16, 5));
    header.toBytes = QwkField::trimmed(block.sliced(21, 25)).toByteArray();
    header.fromBytes = QwkField::trimmed(block.sliced(46, 25)).toByteArray();
    header.subjectBytes = QwkField::trimmed(block.sliced(71, 25)).toByteArray();
    header.to = QwkField::text(header.toBytes);
    header.from = QwkField::text(header.fromBytes);
    header.subject = QwkField::text(header.subjectBytes);
    header.referenceField = block.sliced(108, 8).toByteArray();
    header.blockCount = *blocks;
    header.conference = quint16(quint8(block[123]) | (quint8(block[124]) << 8));
    return header;
}

std::optional<int> MessageHeader::messageNumber() const
{
    return QwkField::decimal(numberField);
}

std::optional<int> MessageHeader::referenceNumber() const
{
    if (QwkField::trimmed(referenceField).isEmpty())
        return 0;
    return QwkField::decimal(referenceField);
}

} // namespace marvik::packet
