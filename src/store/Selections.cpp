#include "store/Selections.h"

namespace marvik::store {

namespace {

const QString bySystem = QStringLiteral("\"QwkID\" = ?");

Selection make(Table table, const QString &where, const QVariantList &values)
{
    return Selection {table, where, values};
}

} // namespace

Selection Selections::conferences(const QString &qwkId)
{
    return make(Table::Conferences, bySystem, {qwkId});
}

Selection Selections::conferenceByName(const QString &qwkId, const QString &name)
{
    return make(Table::Conferences, bySystem + QLatin1String(" AND \"Conference Name\" = ?"),
        {qwkId, name});
}

Selection Selections::repliesConference(const QString &qwkId)
{
    return make(
        Table::Conferences, bySystem + QLatin1String(" AND \"Conference Number\" = -2"), {qwkId});
}

Selection Selections::bulletins(const QString &qwkId)
{
    return make(Table::Bulletins, bySystem, {qwkId});
}

Selection Selections::bulletin(const QString &qwkId, int conference, int bulletin)
{
    return make(Table::Bulletins,
        bySystem + QLatin1String(" AND \"Conference Number\" = ? AND \"Bulletin Number\" = ?"),
        {qwkId, conference, bulletin});
}

Selection Selections::conferenceMessages(const QString &qwkId, int conference)
{
    if (conference == -1)
        return make(Table::Messages, bySystem + QLatin1String(" AND \"Personal\" = 1"), {qwkId});
    return make(Table::Messages, bySystem + QLatin1String(" AND \"Conference Number\" = ?"),
        {qwkId, conference});
}

Selection Selections::replyMessages(const QString &qwkId)
{
    return make(
        Table::Messages, bySystem + QLatin1String(" AND \"Conference Number\" = -2"), {qwkId});
}

Selection Selections::readMessages(const QString &qwkId)
{
    return make(Table::Messages,
        bySystem + QLatin1String(" AND \"Conference Number\" <> -2 AND \"Read Flag\" = 1"),
        {qwkId});
}

Selection Selections::bulkDelete(const QString &qwkId, bool onlyRead, std::optional<int> conference)
{
    QString where = bySystem;
    QVariantList values {qwkId};
    if (onlyRead)
        where += QLatin1String(" AND \"Read Flag\" = 1");
    if (conference) {
        where += QLatin1String(" AND \"Conference Number\" = ?");
        values << *conference;
    } else {
        where += QLatin1String(" AND \"Conference Number\" <> -2");
    }
    return make(Table::Messages, where, values);
}

Selection Selections::systemBulletins(const QString &qwkId)
{
    return make(Table::Bulletins, bySystem, {qwkId});
}

Selection Selections::systemMessages(const QString &qwkId)
{
    return make(Table::Messages, bySystem, {qwkId});
}

Selection Selections::systemConferences(const QString &qwkId)
{
    return make(Table::Conferences, bySystem, {qwkId});
}

} // namespace marvik::store
