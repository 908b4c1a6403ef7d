#include "state/IniFile.h"

#include "state/LocalText.h"

#include <QFile>
#include <QSaveFile>

namespace marvik::state {

bool IniFile::load(const QString &path, QString *error)
{
    m_lines.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    parse(LocalText::decode(file.readAll()));
    return true;
}

void IniFile::parse(const QString &text)
{
    m_lineEnd
        = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    m_lines = LocalText::lines(text);
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QString name, value;
        if (isEntry(m_lines[i], &name, &value) && name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QList<std::pair<QString, QString>> IniFile::entries(const QString &section) const
{
    QList<std::pair<QString, QString>> result;
    const qsizetype header = findSection(section);
    if (header < 0)
        return result;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QString name, value;
        if (isEntry(m_lines[i], &name, &value))
            result.append({name, value});
    }
    return result;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(entry);
        return;
    }
    const qsizetype end = sectionEnd(header);
    qsizetype lastContent = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        QString name;
        if (isEntry(m_lines[i], &name) && name.compare(key, Qt::CaseInsensitive) == 0) {
            m_lines[i] = entry;
            return;
        }
        if (!m_lines[i].trimmed().isEmpty())
            lastContent = i;
    }
    // New keys go after the section's last entry, before the blank lines
    // that separate it from the next section.
    m_lines.insert(lastContent + 1, entry);
}

QString IniFile::text() const
{
    QString result;
    for (const QString &line : m_lines)
        result += line + m_lineEnd;
    return result;
}

bool IniFile::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text().toUtf8());
        if (file.commit())
            return true;
    }
    if (error)
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return false;
}

qsizetype IniFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        QString name;
        if (isSectionHeader(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !isSectionHeader(m_lines[i]))
        ++i;
    return i;
}

bool IniFile::isSectionHeader(const QString &line, QString *name)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = trimmed.mid(1, trimmed.size() - 2).trimmed();
    return true;
}

bool IniFile::isEntry(const QString &line, QString *key, QString *value)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
        return false;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0 || isSectionHeader(line))
        return false;
    if (key)
        *key = line.left(equals).trimmed();
    if (value)
        *value = line.mid(equals + 1).trimmed();
    return key == nullptr || !key->isEmpty();
}

} // namespace marvik::state
