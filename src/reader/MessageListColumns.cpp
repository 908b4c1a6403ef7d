#include "reader/MessageListColumns.h"

#include <QFont>

namespace marvik::reader {

QVariant MessageListColumns::data(const store::MessageListRow &row, int column, int role)
{
    if (role == Qt::FontRole) {
        if (row.read)
            return {};
        // Asked for every cell painted: made once.
        static const QVariant bold = [] {
            QFont font;
            font.setBold(true);
            return QVariant(font);
        }();
        return bold;
    }
    if (role == Qt::TextAlignmentRole) {
        if (column == Number)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (column >= Unread && column <= Private)
            return QVariant(Qt::AlignCenter);
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (column) {
    case Number:
        return row.messageNumber;
    case Unread:
        return row.read ? QString() : QStringLiteral("\u25CF");
    case Marked:
        return row.marked ? QStringLiteral("\u2605") : QString();
    case Personal:
        return row.personal ? QStringLiteral("\u263A") : QString();
    case Private:
        return row.isPrivate ? QStringLiteral("\u2020") : QString();
    case From:
        return row.from;
    case To:
        return row.to;
    case Subject:
        return row.subject;
    case Date:
        return row.date + QLatin1Char(' ') + row.time;
    default:
        return {};
    }
}

QVariant MessageListColumns::header(int column, int role)
{
    static const QStringList captions {QStringLiteral("No"), QStringLiteral("\u25CF"),
        QStringLiteral("\u2605"), QStringLiteral("\u263A"), QStringLiteral("\u2020"),
        QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Subject"),
        QStringLiteral("Date")};
    static const QStringList hints {QStringLiteral("Message Number"), QStringLiteral("Unread"),
        QStringLiteral("Marked"), QStringLiteral("Personal"), QStringLiteral("Private"),
        QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Subject"),
        QStringLiteral("Date")};
    if (column < 0 || column >= Count)
        return {};
    if (role == Qt::DisplayRole)
        return captions.at(column);
    if (role == Qt::ToolTipRole)
        return hints.at(column);
    return {};
}

std::optional<store::ListSort> MessageListColumns::sortOf(int column)
{
    switch (column) {
    case Number:
        return store::ListSort::Number;
    case From:
        return store::ListSort::From;
    case To:
        return store::ListSort::To;
    case Subject:
        return store::ListSort::Subject;
    case Date:
        return store::ListSort::Date;
    default:
        return std::nullopt;
    }
}

int MessageListColumns::columnOf(store::ListSort sort)
{
    for (int column = 0; column < Count; ++column) {
        if (sortOf(column) == sort)
            return column;
    }
    return -1;
}

} // namespace marvik::reader
