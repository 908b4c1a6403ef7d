#include "reader/MessageView.h"

#include "screens/Palette.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace marvik::reader {

namespace {

using screens::BodyLine;
using screens::BodyRun;
using screens::Palette;

constexpr quint8 DefaultAttribute = 7;

// Quote tints by depth, one set for the window's light background and one
// for the black of a coloured message.
QColor quoteTint(int depth, bool dark)
{
    static const QColor light[] = {QColor(0x1a, 0x4f, 0x9c), QColor(0x2a, 0x7a, 0x2a),
        QColor(0x8a, 0x4a, 0x00), QColor(0x7a, 0x2a, 0x7a)};
    static const QColor onBlack[] = {QColor(Palette::color(11)), QColor(Palette::color(10)),
        QColor(Palette::color(14)), QColor(Palette::color(13))};
    const int index = (depth - 1) % 4;
    return dark ? onBlack[index] : light[index];
}

QColor linkColour(bool dark)
{
    return dark ? QColor(Palette::color(11)) : QColor(0, 0, 0xee);
}

QColor hiddenColour(bool dark)
{
    return dark ? QColor(0x60, 0x60, 0x60) : QColor(0x90, 0x90, 0x90);
}

// The format of one stretch: a coloured body's attribute, or on the window's
// own colours only what the reader adds (quotes, links, kludges).
QTextCharFormat formatOf(const BodyLine &line, quint8 attribute, bool link, bool coloured)
{
    QTextCharFormat format;
    const bool plainColour = !coloured || attribute == DefaultAttribute;
    if (line.hidden) {
        format.setForeground(hiddenColour(coloured));
    } else if (coloured && attribute != DefaultAttribute) {
        format.setForeground(QColor(Palette::color(attribute & 0x0F)));
        if (attribute >> 4)
            format.setBackground(QColor(Palette::color(attribute >> 4)));
    }
    if (!line.hidden && plainColour && line.quoteDepth > 0)
        format.setForeground(quoteTint(line.quoteDepth, coloured));
    if (link) {
        format.setFontUnderline(true);
        if (plainColour)
            format.setForeground(linkColour(coloured));
    }
    return format;
}

// The format of a stretch, made once per look: messages use a handful of
// attributes, and a shared format is copied by reference.
const QTextCharFormat &sharedFormat(
    const BodyLine &line, quint8 attribute, bool link, bool coloured)
{
    static QHash<int, QTextCharFormat> made;
    // Quote tints repeat every four levels.
    const int tint = line.hidden || line.quoteDepth <= 0 ? 0 : 1 + (line.quoteDepth - 1) % 4;
    const int key = attribute | (link ? 1 << 8 : 0) | (line.hidden ? 1 << 9 : 0)
        | (coloured ? 1 << 10 : 0) | (tint << 11);
    auto found = made.constFind(key);
    if (found == made.constEnd())
        found = made.insert(key, formatOf(line, attribute, link, coloured));
    return *found;
}

void appendRange(QList<QTextLayout::FormatRange> &formats, qsizetype start, qsizetype end,
    const QTextCharFormat &format)
{
    if (end <= start || format.isEmpty())
        return;
    QTextLayout::FormatRange range;
    range.start = int(start);
    range.length = int(end - start);
    range.format = format;
    formats.append(range);
}

} // namespace

MessageView::MessageView(QWidget *parent)
    : QWidget(parent)
    , m_open([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *header = new QWidget(this);
    buildHeader(header);
    layout->addWidget(header);

    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setWordWrapMode(QTextOption::NoWrap);
    // Read-only, but the caret is there to move and select with the keys.
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    m_text->setFont(font);
    m_text->setCursorWidth(QFontMetrics(font).horizontalAdvance(QLatin1Char('M')));
    m_text->document()->setDocumentMargin(2);
    m_text->viewport()->installEventFilter(this);
    m_text->viewport()->setMouseTracking(true);
    m_plainPalette = m_text->palette();
    layout->addWidget(m_text, 1);
}

MessageView::~MessageView() = default;

void MessageView::buildHeader(QWidget *panel)
{
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    auto value = [&](const QString &key, int row, int column) {
        auto *label = new QLabel(panel);
        // Header fields come from other people's messages: never rich text.
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->installEventFilter(this);
        grid->addWidget(label, row, column);
        m_values.insert(key, label);
    };
    auto caption = [&](const QString &text, int row, int column) {
        auto *label = new QLabel(text, panel);
        label->setTextFormat(Qt::PlainText);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        grid->addWidget(label, row, column);
    };
    caption(QStringLiteral("Conference: "), 0, 0);
    value(QStringLiteral("Conference"), 0, 1);
    caption(QStringLiteral("Message No:"), 0, 2);
    value(QStringLiteral("Message No"), 0, 3);
    value(QStringLiteral("Position"), 0, 4);
    caption(QStringLiteral("From:"), 1, 0);
    value(QStringLiteral("From"), 1, 1);
    caption(QStringLiteral("To:"), 1, 2);
    value(QStringLiteral("To"), 1, 3);
    caption(QStringLiteral("Subject:"), 2, 0);
    value(QStringLiteral("Subject"), 2, 1);
    caption(QStringLiteral("Date:"), 2, 2);
    value(QStringLiteral("Date"), 2, 3);
    caption(QStringLiteral("Private:"), 3, 0);
    value(QStringLiteral("Private"), 3, 1);
    caption(QStringLiteral("Refers To:"), 3, 2);
    value(QStringLiteral("Refers To"), 3, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(4, 1);
}

void MessageView::setMessage(const DisplayedMessage &message)
{
    m_message = message;
    m_stored = message.lines.join(QLatin1String("\r\n"));
    m_values.value(QStringLiteral("Conference"))->setText(message.conference);
    m_values.value(QStringLiteral("Message No"))->setText(message.messageNumber);
    m_values.value(QStringLiteral("Position"))->setText(message.position);
    m_values.value(QStringLiteral("From"))->setText(message.from);
    m_values.value(QStringLiteral("To"))->setText(message.to);
    m_values.value(QStringLiteral("Subject"))->setText(message.subject);
    m_values.value(QStringLiteral("Date"))->setText(message.date);
    m_values.value(QStringLiteral("Private"))->setText(message.privateText);
    m_values.value(QStringLiteral("Refers To"))->setText(message.refersTo);
    // A spoiler read once stays hidden on the next message.
    m_options.rot13 = false;
    render();
}

void MessageView::setColours(bool on)
{
    if (m_options.colours == on)
        return;
    m_options.colours = on;
    render();
}

void MessageView::setShowHidden(bool on)
{
    if (m_options.showHidden == on)
        return;
    m_options.showHidden = on;
    render();
}

void MessageView::setRot13(bool on)
{
    if (m_options.rot13 == on)
        return;
    m_options.rot13 = on;
    render();
}

void MessageView::render()
{
    m_body = screens::BodyRenderer::render(m_stored, m_options);

    // A coloured message was written for a terminal's black screen. The
    // palette changes only between plain and coloured messages: setting it
    // costs a restyle of the view.
    if (m_body.coloured != m_onBlack) {
        m_onBlack = m_body.coloured;
        QPalette palette = m_plainPalette;
        if (m_onBlack) {
            palette.setColor(QPalette::Base, Qt::black);
            palette.setColor(QPalette::Text, QColor(Palette::color(DefaultAttribute)));
        }
        m_text->setPalette(palette);
    }

    QString joined;
    qsizetype size = 0;
    for (const BodyLine &line : m_body.lines)
        size += line.text.size() + 1;
    joined.reserve(size);
    for (qsizetype i = 0; i < m_body.lines.size(); ++i) {
        if (i > 0)
            joined += QLatin1Char('\n');
        joined += m_body.lines.at(i).text;
    }
    m_text->setPlainText(joined);

    // Formats go straight onto the blocks' layouts, as a syntax highlighter
    // puts them: the text stays plain text, so copying takes no codes.
    QTextDocument *document = m_text->document();
    bool any = false;
    QTextBlock block = document->begin();
    for (const BodyLine &line : m_body.lines) {
        if (!block.isValid())
            break;
        QList<QTextLayout::FormatRange> formats = formatsFor(line, m_body.coloured);
        if (!formats.isEmpty()) {
            block.layout()->setFormats(formats);
            any = true;
        }
        block = block.next();
    }
    if (any)
        document->markContentsDirty(0, document->characterCount());

    // The new text leaves the caret at its start; the view goes back to the
    // top left without asking the caret, which would lay the text out once
    // more only to find it there.
    m_text->verticalScrollBar()->setValue(0);
    m_text->horizontalScrollBar()->setValue(0);
}

QList<QTextLayout::FormatRange> MessageView::formatsFor(const BodyLine &line, bool coloured)
{
    QList<QTextLayout::FormatRange> formats;
    if (line.text.isEmpty())
        return formats;
    const bool plain
        = line.runs.isEmpty() && line.links.isEmpty() && !line.hidden && line.quoteDepth == 0;
    if (plain)
        return formats;
    if (line.hidden || (line.links.isEmpty() && line.runs.isEmpty())) {
        formats.append(
            {0, int(line.text.size()), formatOf(line, DefaultAttribute, false, coloured)});
        return formats;
    }
    if (line.links.isEmpty()) {
        formats.reserve(line.runs.size());
        for (const BodyRun &run : line.runs)
            appendRange(formats, run.start, run.start + run.length,
                sharedFormat(line, run.attribute, false, coloured));
        return formats;
    }
    // Links cut across runs: walk both, a stretch ending wherever either does.
    const qsizetype size = line.text.size();
    qsizetype run = 0;
    qsizetype link = 0;
    for (qsizetype at = 0; at < size;) {
        while (run < line.runs.size() && line.runs[run].start + line.runs[run].length <= at)
            ++run;
        while (link < line.links.size() && line.links[link].start + line.links[link].length <= at)
            ++link;
        qsizetype end = size;
        quint8 attribute = DefaultAttribute;
        if (run < line.runs.size()) {
            const BodyRun &r = line.runs[run];
            if (r.start <= at) {
                attribute = r.attribute;
                end = qMin(end, r.start + r.length);
            } else {
                end = qMin(end, r.start);
            }
        }
        bool inLink = false;
        if (link < line.links.size()) {
            const screens::BodyLink &l = line.links[link];
            if (l.start <= at) {
                inLink = true;
                end = qMin(end, l.start + l.length);
            } else {
                end = qMin(end, l.start);
            }
        }
        appendRange(formats, at, end, sharedFormat(line, attribute, inLink, coloured));
        at = end;
    }
    return formats;
}

DisplayedMessage MessageView::withLines(const screens::RenderedBody &body) const
{
    DisplayedMessage shown = m_message;
    shown.lines.clear();
    shown.runs.clear();
    for (const BodyLine &line : body.lines) {
        shown.lines.append(line.text);
        shown.runs.append(line.runs);
    }
    return shown;
}

DisplayedMessage MessageView::shown() const
{
    if (m_options.colours)
        return withLines(m_body);
    screens::BodyRenderer::Options options = m_options;
    options.colours = true;
    return withLines(screens::BodyRenderer::render(m_stored, options));
}

DisplayedMessage MessageView::quoted() const
{
    if (m_options.colours && !m_options.showHidden)
        return withLines(m_body);
    screens::BodyRenderer::Options options = m_options;
    options.colours = true;
    options.showHidden = false;
    return withLines(screens::BodyRenderer::render(m_stored, options));
}

QUrl MessageView::linkAt(const QPoint &viewportPoint) const
{
    const QTextCursor cursor = m_text->cursorForPosition(viewportPoint);
    const int lineNumber = cursor.blockNumber();
    if (lineNumber < 0 || lineNumber >= m_body.lines.size())
        return {};
    // The cursor stands between characters: the one under the point is the
    // one after it, unless the point is past the line's end.
    const QRect caret = m_text->cursorRect(cursor);
    qsizetype position = cursor.positionInBlock();
    if (viewportPoint.x() < caret.left())
        --position;
    const BodyLine &line = m_body.lines.at(lineNumber);
    for (const screens::BodyLink &link : line.links) {
        if (position >= link.start && position < link.start + link.length)
            return QUrl(link.target);
    }
    return {};
}

bool MessageView::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *label = qobject_cast<QLabel *>(watched)) {
        // A header value can be selected with the mouse once it is pointed
        // at. Selectable all the time, each would keep a text document laid
        // out again at every message, a sixth of the time a move takes.
        if (event->type() == QEvent::Enter)
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        else if (event->type() == QEvent::Leave && !label->hasSelectedText())
            label->setTextInteractionFlags(Qt::NoTextInteraction);
        return false;
    }
    if (watched != m_text->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() == Qt::NoButton)
            m_text->viewport()->setCursor(linkAt(mouse->position().toPoint()).isEmpty()
                    ? Qt::IBeamCursor
                    : Qt::PointingHandCursor);
        break;
    }
    case QEvent::MouseButtonPress:
        m_pressedAt = static_cast<QMouseEvent *>(event)->position().toPoint();
        break;
    case QEvent::MouseButtonRelease: {
        // A click opens a link; a drag over one only selects.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton
            && (at - m_pressedAt).manhattanLength() < QApplication::startDragDistance()) {
            const QUrl url = linkAt(at);
            if (!url.isEmpty() && m_open)
                m_open(url);
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace marvik::reader
