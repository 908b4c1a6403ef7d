#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace marvik::packet {

// The small conversions every packet file needs: fields are trimmed of bytes
// up to 32 (doors pad with spaces and sometimes NULs), numbers are plain
// decimal, and text is CP437.
class QwkField
{
public:
    static QByteArrayView trimmed(QByteArrayView bytes);
    // Trimmed bytes as their CP437 characters.
    static QString text(QByteArrayView bytes);
    // An optional sign and decimal digits after trimming, within int range;
    // anything else (empty included) has no value.
    static std::optional<int> decimal(QByteArrayView bytes);
    static std::optional<int> decimalText(const QString &text);
    // Trims characters up to U+0020, as the byte-level trim does.
    static QString trimmedText(const QString &text);
    // The text in double quotes for an error message, cut after 60
    // characters: a hostile file can hold a line of megabytes.
    static QString quoted(const QString &text);
};

} // namespace marvik::packet
