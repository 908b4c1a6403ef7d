#pragma once

#include <QString>

namespace marvik::bench {

// A packet of believable size for the import benchmark: about 1.5 KB of text
// per message, spread over 20 conferences, every tenth message personal.
class BenchPacket
{
public:
    static constexpr int Conferences = 20;
    static constexpr char UserName[] = "JOHN SMITH";

    static bool write(const QString &path, int messages, QString *error);
};

} // namespace marvik::bench
