#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace marvik::store {

struct BulletinEntry
{
    int conference = 0;
    int bulletin = 0;
};

// The bulletins of the open system, behind the system window's bulletin grid,
// in the order they were stored.
class BulletinList : public QObject
{
    Q_OBJECT

public:
    int count() const { return int(m_entries.size()); }
    const BulletinEntry &at(int index) const { return m_entries.at(index); }
    const QList<BulletinEntry> &entries() const { return m_entries; }

    // aboutToReset() before anything changes, reset() after.
    void setBulletins(const QList<BulletinEntry> &entries);
    void clear() { setBulletins({}); }

Q_SIGNALS:
    void aboutToReset();
    void reset();

private:
    QList<BulletinEntry> m_entries;
};

} // namespace marvik::store
