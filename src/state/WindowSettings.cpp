#include "state/WindowSettings.h"

#include "state/IniFile.h"

namespace marvik::state {

WindowSettings::WindowSettings(const QString &iniPath)
    : m_path(iniPath)
{ }

bool WindowSettings::load(QString *error)
{
    m_values.clear();
    m_names.clear();
    m_changed.clear();
    if (m_path.isEmpty())
        return true;
    IniFile ini;
    if (!ini.load(m_path, error))
        return false;
    for (const auto &[key, value] : ini.entries(section())) {
        // The first of a key written twice counts, as IniFile::value reads it.
        if (m_values.contains(key.toLower()))
            continue;
        m_values.insert(key.toLower(), value);
        m_names.insert(key.toLower(), key);
    }
    return true;
}

QString WindowSettings::layoutValue(const QString &key) const
{
    return m_values.value(key.toLower());
}

void WindowSettings::setLayoutValue(const QString &key, const QString &value)
{
    const QString lower = key.toLower();
    if (m_values.contains(lower) && m_values.value(lower) == value)
        return;
    m_values.insert(lower, value);
    if (!m_names.contains(lower))
        m_names.insert(lower, key);
    m_changed.insert(lower);
}

bool WindowSettings::commit()
{
    if (m_changed.isEmpty() || m_path.isEmpty())
        return true;
    // Read afresh: the settings dialog may have written the file meanwhile.
    IniFile ini;
    if (!ini.load(m_path, &m_error))
        return false;
    // In key order, so a window's keys stand together in the file.
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        if (m_changed.contains(it.key()))
            ini.setValue(section(), m_names.value(it.key()), it.value());
    }
    if (!ini.save(m_path, &m_error))
        return false;
    m_changed.clear();
    m_error.clear();
    return true;
}

} // namespace marvik::state
