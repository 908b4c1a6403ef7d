#pragma once

#include <QString>

namespace marvik::ui {
class Progress;
}

namespace marvik::bench {

// The least work any import of a packet must do, doing the same work as the
// importer: unzip every member into the TEMP folder, read MESSAGES.DAT and
// the indexes back, parse every header and text the way the importer must,
// look each message up as a re-import would (through the store's own index),
// and insert the rows with one prepared statement in one transaction into a
// database made by the store's own table and index statements, telling the
// progress window about every message. The importer is measured against it.
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

    static Result run(const QString &packetPath, const QString &databasePath,
        const QString &tempFolder, ui::Progress &progress);
};

} // namespace marvik::bench
