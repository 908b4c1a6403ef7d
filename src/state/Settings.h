#pragma once

#include "store/ListOrder.h"

#include <QString>

namespace marvik::state {

// The program's settings, kept in MARVIK.INI in the base folder.
class Settings
{
public:
    explicit Settings(const QString &baseFolder = QString());

    static QString section() { return QStringLiteral("Miscellaneous"); }
    static QString archiveNameKey() { return QStringLiteral("Archive Name"); }
    static QString coloursKey() { return QStringLiteral("Message Colours"); }
    static QString hiddenLinesKey() { return QStringLiteral("Show Hidden Lines"); }
    static QString listKey() { return QStringLiteral("Message List"); }
    static QString threadsKey() { return QStringLiteral("Message List Threads"); }
    static QString sortKey() { return QStringLiteral("Message List Sort"); }
    static QString descendingKey() { return QStringLiteral("Message List Descending"); }

    // The text file saved messages are appended to.
    QString archiveName() const { return m_archiveName; }
    void setArchiveName(const QString &name) { m_archiveName = name; }
    QString defaultArchiveName() const;

    // How the reader draws a message: its colour codes followed (on unless
    // switched off) and the mail network's kludge lines shown (off).
    bool messageColours() const { return m_colours; }
    void setMessageColours(bool on) { m_colours = on; }
    bool showHiddenLines() const { return m_hiddenLines; }
    void setShowHiddenLines(bool on) { m_hiddenLines = on; }

    // The reader's message list: shown (on unless hidden), as threads, and
    // its sort (the store's order, ascending, unless chosen).
    bool messageList() const { return m_list; }
    void setMessageList(bool on) { m_list = on; }
    bool listThreads() const { return m_threads; }
    void setListThreads(bool on) { m_threads = on; }
    store::ListSort listSort() const { return m_sort; }
    void setListSort(store::ListSort sort) { m_sort = sort; }
    bool listDescending() const { return m_descending; }
    void setListDescending(bool on) { m_descending = on; }

    // A missing file, section or key (or an empty value, which names no
    // file) gives the default. False only when the file exists but cannot
    // be read; the default is used then too.
    bool load(const QString &iniPath, QString *error = nullptr);
    // Rewrites the file with the current values, keeping everything else in
    // it. A file that exists but cannot be read is left alone rather than
    // replaced by one holding only our key.
    bool save(const QString &iniPath, QString *error = nullptr) const;

private:
    QString m_base;
    QString m_archiveName;
    bool m_colours = true;
    bool m_hiddenLines = false;
    bool m_list = true;
    bool m_threads = false;
    store::ListSort m_sort = store::ListSort::Store;
    bool m_descending = false;
};

} // namespace marvik::state
