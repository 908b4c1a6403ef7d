#include "maint/TaglinesDocument.h"

#include "state/LocalText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace marvik::maint {

bool TaglinesDocument::load(const QString &path, QString *text, QString *error)
{
    text->clear();
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *text = state::LocalText::lines(state::LocalText::decode(bytes)).join(u'\n');
    return true;
}

QByteArray TaglinesDocument::encode(const QString &editorText)
{
    QStringList lines = editorText.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    QByteArray bytes;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        bytes += line.toUtf8() + "\r\n";
    }
    return bytes;
}

bool TaglinesDocument::save(const QString &path, const QString &editorText, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = encode(editorText);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace marvik::maint
