#include "support/PacketWriter.h"

#include <QFile>

#include <zip.h>

namespace marvik::testing {

PacketWriter::PacketWriter()
{
    setPacketHeader("Produced by the Marvik packet writer");
}

void PacketWriter::setPacketHeader(const QByteArray &text)
{
    const QByteArray block = field(text, BlockSize);
    if (m_messagesDat.isEmpty())
        m_messagesDat = block;
    else
        m_messagesDat.replace(0, BlockSize, block);
}

void PacketWriter::addConference(int number, const QByteArray &name)
{
    m_conferences.append({number, name});
}

qint64 PacketWriter::addMessage(const Message &message)
{
    ++m_messageCount;
    const qint64 headerBlock = m_messagesDat.size() / BlockSize + 1;
    m_messagesDat.append(messageBlocks(message, QByteArray::number(m_messageCount)));
    const QByteArray record = indexRecord(quint32(headerBlock), message.conference);
    if (message.indexed)
        m_indexes[message.conference].append(record);
    if (message.inPersonalIndex
        || (message.indexed
            && message.to.trimmed().toUpper() == m_control.userName.trimmed().toUpper()))
        m_personal.append(record);
    return headerBlock;
}

void PacketWriter::addBulletin(int conference, int number, const QByteArray &content)
{
    m_bulletins.append({conference, number, content});
}

void PacketWriter::addHeadersSection(qint64 headerBlock, const QByteArray &lines)
{
    m_headersDat += '[' + QByteArray::number((headerBlock - 1) * BlockSize, 16) + "]\r\n" + lines;
}

QByteArray PacketWriter::controlDat() const
{
    const Control &c = m_control;
    QByteArrayList lines {c.bbsName, c.location, c.phone, c.sysop, c.serialLine, c.dateLine,
        c.userName, c.menuLine, c.netmailLine,
        c.messageCountLine.isEmpty() ? QByteArray::number(m_messageCount) : c.messageCountLine,
        c.conferenceCountLine.isEmpty() ? QByteArray::number(m_conferences.size() - 1)
                                        : c.conferenceCountLine};
    for (const auto &[number, name] : m_conferences) {
        lines.append(QByteArray::number(number));
        lines.append(name);
    }
    lines << c.welcomeName << c.newsName << c.goodbyeName << c.trailer;
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

QString PacketWriter::indexName(int conference) const
{
    QString number = QString::number(conference);
    if (m_indexNaming == IndexNaming::Padded && conference >= 0)
        number = number.rightJustified(3, QLatin1Char('0'));
    return memberName(number + QStringLiteral(".NDX"));
}

QString PacketWriter::memberName(const QString &name) const
{
    return m_lowerCase ? name.toLower() : name;
}

PacketWriter::Members PacketWriter::members() const
{
    Members out;
    out.insert(memberName(QStringLiteral("CONTROL.DAT")), controlDat());
    out.insert(memberName(QStringLiteral("MESSAGES.DAT")), m_messagesDat);
    for (auto it = m_indexes.cbegin(); it != m_indexes.cend(); ++it)
        out.insert(indexName(it.key()), it.value());
    if (m_personalIndex && !m_personal.isEmpty())
        out.insert(memberName(QStringLiteral("PERSONAL.NDX")), m_personal);
    if (!m_headersDat.isEmpty())
        out.insert(memberName(QStringLiteral("HEADERS.DAT")), m_headersDat);
    if (!m_doorId.isNull())
        out.insert(memberName(QStringLiteral("DOOR.ID")), m_doorId);
    const auto addScreen = [&](const QByteArray &name, const QByteArray &content) {
        if (!content.isNull() && !name.trimmed().isEmpty())
            out.insert(memberName(QString::fromLatin1(name.trimmed())), content);
    };
    addScreen(m_control.welcomeName, m_welcome);
    addScreen(m_control.newsName, m_news);
    addScreen(m_control.goodbyeName, m_goodbye);
    if (!m_newFiles.isNull())
        out.insert(memberName(QStringLiteral("NEWFILES.DAT")), m_newFiles);
    for (const Bulletin &b : m_bulletins)
        out.insert(
            memberName(QStringLiteral("BLT-%1.%2").arg(b.conference).arg(b.number)), b.content);
    return out;
}

bool PacketWriter::write(const QString &path, QString *error) const
{
    return writeZip(path, members(), error, m_compressionLevel);
}

bool PacketWriter::writeZip(
    const QString &path, const Members &members, QString *error, int compressionLevel)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    QFile::remove(path);
    int code = 0;
    zip_t *archive
        = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        const QString text
            = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(zip_error_strerror(&err)));
        zip_error_fini(&err);
        return fail(text);
    }
    // The buffers stay owned by `members`, which outlives zip_close().
    for (auto it = members.cbegin(); it != members.cend(); ++it) {
        const QByteArray &data = it.value();
        zip_source_t *source
            = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        const QByteArray name = it.key().toLatin1();
        const zip_int64_t added
            = source ? zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE) : -1;
        if (added < 0
            || (compressionLevel > 0
                && zip_set_file_compression(
                       archive, zip_uint64_t(added), ZIP_CM_DEFLATE, zip_uint32_t(compressionLevel))
                    < 0)) {
            if (source && added < 0)
                zip_source_free(source);
            const QString text = QStringLiteral("%1: %2").arg(
                it.key(), QString::fromLocal8Bit(zip_strerror(archive)));
            zip_discard(archive);
            return fail(text);
        }
    }
    if (zip_close(archive) < 0) {
        const QString text
            = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(zip_strerror(archive)));
        zip_discard(archive);
        return fail(text);
    }
    return true;
}

QByteArray PacketWriter::mbfEncode(quint32 value)
{
    QByteArray out(4, '\0');
    if (value == 0)
        return out;
    int exponent = 31;
    while (!(value & (quint32(1) << exponent)))
        --exponent;
    // The leading 1 is implied; the 23 bits below it hold the fraction, so
    // numbers above 2^24 lose their lowest bits as a float would.
    const quint32 fraction = value & ~(quint32(1) << exponent);
    const quint32 mantissa
        = exponent <= 23 ? fraction << (23 - exponent) : fraction >> (exponent - 23);
    out[0] = char(mantissa & 0xFF);
    out[1] = char((mantissa >> 8) & 0xFF);
    out[2] = char((mantissa >> 16) & 0x7F);
    out[3] = char(exponent + 129);
    return out;
}

QByteArray PacketWriter::indexRecord(quint32 block, int conference)
{
    return mbfEncode(block) + char(conference & 0xFF);
}

QByteArray PacketWriter::qwkText(const QByteArray &text)
{
    QByteArray out = text;
    out.replace("\r\n", "\xE3");
    out.replace('\n', '\xE3');
    return out;
}

QByteArray PacketWriter::field(const QByteArray &text, int width)
{
    QByteArray out = text.left(width);
    out.append(width - out.size(), ' ');
    return out;
}

QByteArray PacketWriter::messageBlocks(const Message &message, const QByteArray &defaultNumber)
{
    QByteArray text = message.rawText ? message.text : qwkText(message.text);
    const qsizetype textBlocks = (text.size() + BlockSize - 1) / BlockSize;
    text.append(textBlocks * BlockSize - text.size(), message.padding);

    QByteArray header;
    header.reserve(BlockSize);
    header += message.status;
    header += field(message.number.isEmpty() ? defaultNumber : message.number, 7);
    header += field(message.date, 8);
    header += field(message.time, 5);
    header += field(message.to, 25);
    header += field(message.from, 25);
    header += field(message.subject, 25);
    header += field(message.password, 12);
    header += field(message.reference, 8);
    header += field(
        message.blockCount.isEmpty() ? QByteArray::number(textBlocks + 1) : message.blockCount, 6);
    header += message.active;
    const quint16 conference = quint16(message.conference);
    header += char(conference & 0xFF);
    header += char(conference >> 8);
    header += char(message.logicalNumber & 0xFF);
    header += char(message.logicalNumber >> 8);
    header += message.networkTag;
    return header + text;
}

} // namespace marvik::testing
