#include "store/BulletinList.h"

namespace marvik::store {

void BulletinList::setBulletins(const QList<BulletinEntry> &entries)
{
    Q_EMIT aboutToReset();
    m_entries = entries;
    Q_EMIT reset();
}

} // namespace marvik::store
