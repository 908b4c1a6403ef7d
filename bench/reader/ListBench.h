#pragma once

#include <QStringList>

// The reader's message list on a conference of 100,000 messages in a store
// of 1,000,000: opening with the list shown, sorting, threads, scrolling a
// page and choosing a line, each against bare SQL doing the same reads.
int runListBench(const QStringList &arguments);
