#include "ui/WindowMemory.h"

#include "ui/LayoutStore.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace marvik::ui {

namespace {

const QString Maximized = QStringLiteral("maximized");
const QString Ascending = QStringLiteral("ascending");
const QString Descending = QStringLiteral("descending");
// Larger than any screen: a width beyond it is a damaged value.
constexpr int MaxExtent = 20000;

// Before its first showing a window has no frame yet: the style's title bar
// stands in for the one the window manager will add.
QMargins marginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins own(inner.left() - frame.left(), inner.top() - frame.top(),
        frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (!own.isNull())
        return own;
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QMargins(4, title + 4, 4, 4);
}

QRect fittedInto(QRect frame, const QRect &area)
{
    frame.setSize(frame.size().boundedTo(area.size()));
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    return frame;
}

} // namespace

WindowMemory::WindowMemory(QWidget *window, const QString &name, LayoutStore *store)
    : QObject(window)
    , m_window(window)
    , m_name(name)
    , m_store(store)
{
    m_window->installEventFilter(this);
}

WindowMemory::~WindowMemory() = default;

void WindowMemory::remember(QHeaderView *header, const QString &part)
{
    m_headers.append({header, part});
}

void WindowMemory::remember(QSplitter *splitter, const QString &part)
{
    m_splitters.append({splitter, part});
}

QString WindowMemory::keyOf(const QString &part) const
{
    return part.isEmpty() ? m_name : m_name + QLatin1Char('.') + part;
}

bool WindowMemory::hasKept(const QString &part) const
{
    return m_store && !m_store->layoutValue(keyOf(part)).isEmpty();
}

bool WindowMemory::restore()
{
    if (m_restored)
        return true;
    m_restored = true;
    if (!m_store)
        return false;
    for (const auto &[header, part] : std::as_const(m_headers)) {
        if (header)
            restoreHeader(header, part);
    }
    // Splitters are put back once the window is laid out at its size: sizes
    // given before would be spread over the splitter's first, smaller size.
    m_splittersPending = true;

    const QStringList fields = m_store->layoutValue(m_name).split(QLatin1Char(','));
    const QList<int> numbers = intsFrom(fields.mid(0, 4).join(QLatin1Char(',')));
    if (numbers.size() != 4 || numbers[2] <= 0 || numbers[3] <= 0 || numbers[2] > MaxExtent
        || numbers[3] > MaxExtent)
        return false;
    const QMargins margins = marginsOf(m_window);
    const QRect kept(numbers[0], numbers[1], numbers[2] + margins.left() + margins.right(),
        numbers[3] + margins.top() + margins.bottom());
    QList<QRect> screens;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    }
    const QRect frame = onScreens(kept, screens);
    m_window->resize(frame.size().shrunkBy(margins));
    // A top-level window is placed by its frame, also before its first showing.
    m_window->move(frame.topLeft());
    if (fields.size() > 4 && fields[4].trimmed() == Maximized)
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    return true;
}

void WindowMemory::restoreHeader(QHeaderView *header, const QString &part)
{
    const QList<int> widths = intsFrom(m_store->layoutValue(keyOf(part)));
    // Another number of columns (another version): their widths mean nothing.
    if (widths.size() == header->count()) {
        for (int section = 0; section < widths.size(); ++section) {
            const QHeaderView::ResizeMode mode = header->sectionResizeMode(section);
            const bool sized = mode == QHeaderView::Interactive || mode == QHeaderView::Fixed;
            const bool stretched = header->stretchLastSection() && section == widths.size() - 1;
            if (sized && !stretched && widths[section] > 0)
                header->resizeSection(
                    section, std::clamp(widths[section], header->minimumSectionSize(), MaxExtent));
        }
    }
    if (!header->isSortIndicatorShown())
        return;
    const QStringList sort
        = m_store->layoutValue(keyOf(part) + QStringLiteral(".Sort")).split(QLatin1Char(','));
    bool ok = false;
    const int column = sort.value(0).toInt(&ok);
    const QString order = sort.value(1).trimmed();
    if (ok && column >= 0 && column < header->count()
        && (order == Ascending || order == Descending))
        header->setSortIndicator(
            column, order == Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void WindowMemory::restoreSplitter(QSplitter *splitter, const QString &part)
{
    const QList<int> sizes = intsFrom(m_store->layoutValue(keyOf(part)));
    if (sizes.size() != splitter->count())
        return;
    const bool usable = std::all_of(sizes.cbegin(), sizes.cend(), [](int size) {
        return size >= 0 && size <= MaxExtent;
    }) && std::any_of(sizes.cbegin(), sizes.cend(), [](int size) { return size > 0; });
    if (usable)
        splitter->setSizes(sizes);
}

void WindowMemory::save()
{
    if (!m_store)
        return;
    // Until the window has been up it holds only its built-in size.
    if (m_shown) {
        const bool maximized = m_window->isMaximized();
        QRect inside = maximized ? m_window->normalGeometry() : m_window->geometry();
        const QPoint offset = m_window->geometry().topLeft() - m_window->pos();
        const QPoint framePos = maximized ? inside.topLeft() - offset : m_window->pos();
        QString text = intsText({framePos.x(), framePos.y(), inside.width(), inside.height()});
        if (maximized)
            text += QLatin1Char(',') + Maximized;
        m_store->setLayoutValue(m_name, text);
    }
    for (const auto &[header, part] : std::as_const(m_headers)) {
        if (!header)
            continue;
        QList<int> widths;
        for (int section = 0; section < header->count(); ++section)
            widths << header->sectionSize(section);
        m_store->setLayoutValue(keyOf(part), intsText(widths));
        if (header->isSortIndicatorShown())
            m_store->setLayoutValue(keyOf(part) + QStringLiteral(".Sort"),
                QString::number(header->sortIndicatorSection()) + QLatin1Char(',')
                    + (header->sortIndicatorOrder() == Qt::AscendingOrder ? Ascending
                                                                          : Descending));
    }
    for (const auto &[splitter, part] : std::as_const(m_splitters)) {
        if (splitter)
            m_store->setLayoutValue(keyOf(part), intsText(splitter->sizes()));
    }
    m_store->commit();
}

bool WindowMemory::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show) {
        m_shown = true;
        if (m_splittersPending && m_store) {
            m_splittersPending = false;
            for (const auto &[splitter, part] : std::as_const(m_splitters)) {
                if (splitter)
                    restoreSplitter(splitter, part);
            }
        }
    }
    if (watched == m_window && event->type() == QEvent::Hide && !event->spontaneous())
        save();
    return QObject::eventFilter(watched, event);
}

QRect WindowMemory::onScreens(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame;
    const QRect *best = nullptr;
    qint64 bestOverlap = 0;
    for (const QRect &screen : screens) {
        if (screen.contains(frame.center())) {
            best = &screen;
            break;
        }
        const QRect overlap = screen.intersected(frame);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (!overlap.isEmpty() && area > bestOverlap) {
            best = &screen;
            bestOverlap = area;
        }
    }
    if (best)
        return fittedInto(frame, *best);
    // Kept on a screen that is not there any more: the middle of the first.
    QRect centred = fittedInto(QRect(QPoint(0, 0), frame.size()), screens.first());
    centred.moveCenter(screens.first().center());
    return fittedInto(centred, screens.first());
}

QString WindowMemory::intsText(const QList<int> &values)
{
    QStringList texts;
    for (int value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(','));
}

QList<int> WindowMemory::intsFrom(const QString &text)
{
    QList<int> values;
    if (text.trimmed().isEmpty())
        return values;
    for (const QString &field : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int value = field.trimmed().toInt(&ok);
        if (!ok)
            return {};
        values << value;
    }
    return values;
}

} // namespace marvik::ui
