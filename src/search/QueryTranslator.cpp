#include "search/QueryTranslator.h"

#include <QList>
#include <QStringList>

namespace marvik::search {

namespace {

enum class Kind
{
    Term,
    Or,
    Not,
    And,
};

struct Item
{
    Kind kind = Kind::Term;
    QString expression; // a term's FTS5 text; empty for a term without words
    bool negated = false;
};

bool isWordChar(QChar c)
{
    // What the index's tokenizer keeps as part of a word: letters, digits
    // and private-use characters.
    return c.isLetterOrNumber() || c.category() == QChar::Other_PrivateUse || c.isMark();
}

bool hasWord(const QString &text)
{
    for (const QChar c : text) {
        if (isWordChar(c))
            return true;
    }
    return false;
}

// Letters of the last word of a text (what a prefix search begins with).
int lastWordLength(const QString &text)
{
    int length = 0;
    for (qsizetype i = text.size() - 1; i >= 0 && isWordChar(text.at(i)); --i)
        ++length;
    return length;
}

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// The index's name of a field the box offers, or empty.
QString fieldColumn(const QString &name)
{
    static const QList<std::pair<QString, QString>> fields {
        {QStringLiteral("from"), QStringLiteral("From")},
        {QStringLiteral("to"), QStringLiteral("To")},
        {QStringLiteral("subject"), QStringLiteral("Subject")},
    };
    for (const auto &[typed, column] : fields) {
        if (name.compare(typed, Qt::CaseInsensitive) == 0)
            return column;
    }
    return QString();
}

class Parser
{
public:
    explicit Parser(const QString &text)
        : m_text(text)
    { }

    QList<Item> items()
    {
        QList<Item> out;
        while (m_error.isEmpty() && skipSpace()) {
            Item item = next();
            if (!m_error.isEmpty())
                break;
            out.append(item);
        }
        return out;
    }

    QString error() const { return m_error; }

private:
    bool skipSpace()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
        return m_pos < m_text.size();
    }

    bool at(QChar c) const { return m_pos < m_text.size() && m_text.at(m_pos) == c; }

    // A phrase from an opening quote to the closing one, or to the end.
    QString phrase()
    {
        ++m_pos; // the opening quote
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('"'))
            ++m_pos;
        const QString inside = m_text.mid(start, m_pos - start);
        if (m_pos < m_text.size())
            ++m_pos; // the closing quote
        return inside;
    }

    QString bareWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !m_text.at(m_pos).isSpace()
            && m_text.at(m_pos) != QLatin1Char('"'))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    Item next()
    {
        Item item;
        if (at(QLatin1Char('-')) && m_pos + 1 < m_text.size() && !m_text.at(m_pos + 1).isSpace()) {
            item.negated = true;
            ++m_pos;
        }
        QString column;
        QString words;
        bool prefix = false;
        if (at(QLatin1Char('"'))) {
            words = phrase();
        } else {
            QString word = bareWord();
            const qsizetype colon = word.indexOf(QLatin1Char(':'));
            if (colon > 0 && !fieldColumn(word.left(colon)).isEmpty()) {
                column = fieldColumn(word.left(colon));
                const QString field = word.left(colon + 1);
                word = word.mid(colon + 1);
                if (word.isEmpty() && at(QLatin1Char('"')))
                    words = phrase();
                else
                    words = word;
                if (words.isEmpty() && !at(QLatin1Char('*'))) {
                    m_error = QStringLiteral("Type a word after \"%1\".").arg(field.toLower());
                    return item;
                }
            } else if (!item.negated
                && (word == QLatin1String("OR") || word == QLatin1String("AND")
                    || word == QLatin1String("NOT"))) {
                item.kind = word == QLatin1String("OR") ? Kind::Or
                    : word == QLatin1String("AND")      ? Kind::And
                                                        : Kind::Not;
                return item;
            } else {
                words = word;
            }
        }
        // The star ends a bare word (word*) or follows a phrase ("a b"*).
        while (words.endsWith(QLatin1Char('*'))) {
            words.chop(1);
            prefix = true;
        }
        if (at(QLatin1Char('*'))) {
            prefix = true;
            while (at(QLatin1Char('*')))
                ++m_pos;
        }
        if (!hasWord(words))
            return item; // punctuation only: nothing the index could hold
        if (prefix && lastWordLength(words) < QueryTranslator::MinPrefixLetters) {
            m_error = QStringLiteral("Type at least %1 letters before \"*\".")
                          .arg(QueryTranslator::MinPrefixLetters);
            return item;
        }
        item.expression = quoted(words);
        if (prefix)
            item.expression += QLatin1String(" *");
        if (!column.isEmpty())
            item.expression = column + QLatin1String(" : ") + item.expression;
        return item;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

struct Group
{
    QStringList found;
    QStringList leftOut;
};

QString groupExpression(const Group &group)
{
    QString expression = group.found.join(QLatin1String(" AND "));
    if (group.found.size() > 1 || !group.leftOut.isEmpty())
        expression = QLatin1Char('(') + expression + QLatin1Char(')');
    if (!group.leftOut.isEmpty()) {
        expression += QLatin1String(" NOT (") + group.leftOut.join(QLatin1String(" OR "))
            + QLatin1Char(')');
        expression = QLatin1Char('(') + expression + QLatin1Char(')');
    }
    return expression;
}

} // namespace

Translation QueryTranslator::translate(const QString &text)
{
    Translation result;
    Parser parser(text);
    const QList<Item> items = parser.items();
    if (!parser.error().isEmpty()) {
        result.error = parser.error();
        return result;
    }

    // Split at OR into groups whose terms must all occur; NOT and a leading
    // "-" leave a term out of its group.
    QList<Group> groups(1);
    bool afterOr = false;
    bool pendingNot = false;
    bool any = false;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item &item = items.at(i);
        switch (item.kind) {
        case Kind::Or:
            if (pendingNot) {
                result.error = QStringLiteral("Type a word after \"NOT\".");
                return result;
            }
            if (groups.last().found.isEmpty() && groups.last().leftOut.isEmpty()) {
                result.error = QStringLiteral("\"OR\" needs a word on each side.");
                return result;
            }
            groups.append(Group {});
            afterOr = true;
            break;
        case Kind::And:
            if (pendingNot || (groups.last().found.isEmpty() && groups.last().leftOut.isEmpty())
                || i + 1 == items.size()) {
                result.error = QStringLiteral("\"AND\" needs a word on each side.");
                return result;
            }
            break;
        case Kind::Not:
            if (pendingNot) {
                result.error = QStringLiteral("Type a word after \"NOT\".");
                return result;
            }
            pendingNot = true;
            break;
        case Kind::Term:
            if (!item.expression.isEmpty()) {
                any = true;
                afterOr = false;
                if (item.negated || pendingNot)
                    groups.last().leftOut << item.expression;
                else
                    groups.last().found << item.expression;
            }
            pendingNot = false;
            break;
        }
    }
    if (pendingNot) {
        result.error = QStringLiteral("Type a word after \"NOT\".");
        return result;
    }
    if (afterOr) {
        result.error = QStringLiteral("\"OR\" needs a word on each side.");
        return result;
    }
    if (!any)
        return result; // nothing to look for, and nothing wrong
    QStringList parts;
    for (const Group &group : groups) {
        if (group.found.isEmpty()) {
            result.error = QStringLiteral("Type a word to find beside the ones to leave out.");
            return result;
        }
        parts << groupExpression(group);
    }
    result.match = parts.join(QLatin1String(" OR "));
    return result;
}

} // namespace marvik::search
