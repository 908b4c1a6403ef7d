#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace marvik::packet {

// Screens, bulletins and NEWFILES.DAT: stored line by line, each line as read
// (untrimmed, escape sequences and all) followed by CR LF.
class TextFile
{
public:
    static QString decode(QByteArrayView bytes, const std::function<void()> &afterLine = {});
    // A missing or unreadable file reads as "" and `opened` is set to false.
    static QString read(
        const QString &path, bool *opened = nullptr, const std::function<void()> &afterLine = {});
};

} // namespace marvik::packet
