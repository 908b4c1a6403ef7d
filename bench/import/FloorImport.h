#pragma once

#include <QString>

namespace marvik::bench {

// The least work any import of a packet must do: unzip it into memory, parse
// every header and text the way the importer must, and insert the rows into
// an empty table of the message table's columns with one prepared statement
// in one transaction. The importer is measured against it.
class FloorImport
{
public:
    struct Result
    {
        bool ok = false;
        QString error;
        qint64 messages = 0;
        // Up to the commit; closing (the WAL checkpoint) is left out, as the
        // import's figure leaves out closing the store.
        double seconds = 0;
    };

    static Result run(const QString &packetPath, const QString &databasePath);
};

} // namespace marvik::bench
