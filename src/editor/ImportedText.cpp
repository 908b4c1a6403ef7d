#include "editor/ImportedText.h"

#include "state/LocalText.h"

#include <QFile>

namespace marvik::editor {

std::optional<QStringList> ImportedText::readLines(const QString &path, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > MaxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (bytes.size() > MaxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    QStringList lines = state::LocalText::lines(state::LocalText::decode(bytes));
    for (QString &line : lines) {
        if (line.isEmpty())
            line = QStringLiteral(" ");
    }
    return lines;
}

} // namespace marvik::editor
