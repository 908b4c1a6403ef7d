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

bool Settings::load(const QString &iniPath, QString *error)
{
    m_archiveName = defaultArchiveName();
    IniFile ini;
    if (!ini.load(iniPath, error))
        return false;
    const auto value = ini.value(section(), archiveNameKey());
    if (value && !value->isEmpty())
        m_archiveName = *value;
    return true;
}

bool Settings::save(const QString &iniPath, QString *error) const
{
    IniFile ini;
    if (!ini.load(iniPath, error))
        return false;
    ini.setValue(section(), archiveNameKey(), m_archiveName);
    return ini.save(iniPath, error);
}

} // namespace marvik::state
