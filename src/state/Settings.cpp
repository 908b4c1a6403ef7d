#include "state/Settings.h"

#include "state/IniFile.h"

namespace marvik::state {

Settings::Settings(const QString &baseFolder)
    : m_base(baseFolder)
    , m_archiveName(defaultArchiveName())
{ }

QString Settings::defaultArchiveName() const
{
    return m_base + QStringLiteral("SAVEEM.TXT");
}

namespace {

// "1"/"0" as written, and the words people type into INI files by hand;
// anything else keeps the default.
bool flag(const std::optional<QString> &value, bool fallback)
{
    if (!value)
        return fallback;
    const QString v = value->trimmed().toLower();
    if (v == QLatin1String("1") || v == QLatin1String("yes") || v == QLatin1String("true")
        || v == QLatin1String("on"))
        return true;
    if (v == QLatin1String("0") || v == QLatin1String("no") || v == QLatin1String("false")
        || v == QLatin1String("off"))
        return false;
    return fallback;
}

const QList<std::pair<store::ListSort, QString>> &sortNames()
{
    static const QList<std::pair<store::ListSort, QString>> names {
        {store::ListSort::Store, QStringLiteral("Store")},
        {store::ListSort::Number, QStringLiteral("Number")},
        {store::ListSort::From, QStringLiteral("From")},
        {store::ListSort::To, QStringLiteral("To")},
        {store::ListSort::Subject, QStringLiteral("Subject")},
        {store::ListSort::Date, QStringLiteral("Date")}};
    return names;
}

store::ListSort sortFrom(const std::optional<QString> &value)
{
    for (const auto &[sort, name] : sortNames()) {
        if (value && value->trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return sort;
    }
    return store::ListSort::Store;
}

QString nameOf(store::ListSort sort)
{
    for (const auto &[known, name] : sortNames()) {
        if (known == sort)
            return name;
    }
    return QStringLiteral("Store");
}

} // namespace

bool Settings::load(const QString &iniPath, QString *error)
{
    m_archiveName = defaultArchiveName();
    m_colours = true;
    m_hiddenLines = false;
    m_list = true;
    m_threads = false;
    m_sort = store::ListSort::Store;
    m_descending = false;
    IniFile ini;
    if (!ini.load(iniPath, error))
        return false;
    const auto value = ini.value(section(), archiveNameKey());
    if (value && !value->isEmpty())
        m_archiveName = *value;
    m_colours = flag(ini.value(section(), coloursKey()), true);
    m_hiddenLines = flag(ini.value(section(), hiddenLinesKey()), false);
    m_list = flag(ini.value(section(), listKey()), true);
    m_threads = flag(ini.value(section(), threadsKey()), false);
    m_sort = sortFrom(ini.value(section(), sortKey()));
    m_descending = flag(ini.value(section(), descendingKey()), false);
    return true;
}

bool Settings::save(const QString &iniPath, QString *error) const
{
    IniFile ini;
    if (!ini.load(iniPath, error))
        return false;
    ini.setValue(section(), archiveNameKey(), m_archiveName);
    // The reader's switches are written once they leave their defaults, so
    // a file nobody switched them in stays as it was.
    const auto setFlag = [&](const QString &key, bool on, bool fallback) {
        if (on != fallback || ini.value(section(), key))
            ini.setValue(section(), key, on ? QStringLiteral("1") : QStringLiteral("0"));
    };
    setFlag(coloursKey(), m_colours, true);
    setFlag(hiddenLinesKey(), m_hiddenLines, false);
    setFlag(listKey(), m_list, true);
    setFlag(threadsKey(), m_threads, false);
    setFlag(descendingKey(), m_descending, false);
    if (m_sort != store::ListSort::Store || ini.value(section(), sortKey()))
        ini.setValue(section(), sortKey(), nameOf(m_sort));
    return ini.save(iniPath, error);
}

} // namespace marvik::state
