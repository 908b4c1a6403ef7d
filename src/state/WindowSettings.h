#pragma once

#include "ui/LayoutStore.h"

#include <QMap>
#include <QSet>
#include <QString>

namespace marvik::state {

// The [Windows] section of MARVIK.INI: where each window was, its size, its
// splitters and columns. Only this section's changed keys are written; every
// other line of the file stays as it is.
class WindowSettings : public ui::LayoutStore
{
public:
    explicit WindowSettings(const QString &iniPath = QString());

    static QString section() { return QStringLiteral("Windows"); }

    // A missing file or section keeps nothing; false only when the file
    // exists but cannot be read.
    bool load(QString *error = nullptr);

    QString layoutValue(const QString &key) const override;
    void setLayoutValue(const QString &key, const QString &value) override;
    bool commit() override;
    // Why the last commit failed.
    QString errorText() const { return m_error; }

private:
    QString m_path;
    QMap<QString, QString> m_values; // keys in lower case: INI keys ignore case
    QMap<QString, QString> m_names; // lower case -> as first written
    QSet<QString> m_changed;
    QString m_error;
};

} // namespace marvik::state
