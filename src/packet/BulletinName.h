#pragma once

#include <QString>

#include <optional>

namespace marvik::packet {

// Bulletin files are named BLT-<conference>.<bulletin>, e.g. BLT-5.12.
class BulletinName
{
public:
    static bool matches(const QString &fileName);

    struct Numbers
    {
        int conference = 0;
        int bulletin = 0;
    };
    // No value, with `error` set, when either number is not decimal.
    static std::optional<Numbers> parse(const QString &fileName, QString *error);
};

} // namespace marvik::packet
