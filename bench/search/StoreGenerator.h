#pragma once

#include <QString>

namespace marvik::bench {

// A store as today's first-version program leaves it (no search index,
// user_version 1), filled straight through SQLite: `messages` messages of
// about 1.5 KB spread over three systems of 20 conferences, words drawn from
// a vocabulary with a natural (Zipf) spread. Planted for the queries: "scsi"
// in about one message in a hundred, the phrase "scsi card" in about one in
// three hundred; "mod" begins a family of words (modem, module, model...).
class StoreGenerator
{
public:
    static constexpr int Systems = 3;
    static constexpr int Conferences = 20;

    static bool write(const QString &path, int messages, QString *error);
};

} // namespace marvik::bench
