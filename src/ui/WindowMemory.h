#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class QHeaderView;
class QSplitter;
class QWidget;

namespace marvik::ui {

class LayoutStore;

// Keeps one window's size and place, and the widths and sort order of its
// columns and the sizes of its splitters, under the window's name in a
// LayoutStore: read back on its first showing of a run, written each time
// it is hidden.
//
//     m_memory = new ui::WindowMemory(this, "SystemWindow", layouts);
//     m_memory->remember(grid->horizontalHeader(), "Conferences");
//     ...
//     if (!m_memory->restore())   // before showing: false the first time ever
//         placeOnScreen(this);    // the window's own first place
//     show();
//
// Keys: "<name>" = x,y,width,height[,maximized] (the frame's top left, the
// inside's size); "<name>.<part>" = column widths or splitter sizes;
// "<name>.<part>.Sort" = column,ascending|descending.
class WindowMemory : public QObject
{
    Q_OBJECT

public:
    // `store` may be null: then nothing is kept.
    WindowMemory(QWidget *window, const QString &name, LayoutStore *store);
    ~WindowMemory() override;

    // Its widths, and its sort order when it shows one.
    void remember(QHeaderView *header, const QString &part);
    void remember(QSplitter *splitter, const QString &part);

    // Call before showing the window. On the first call of the run, puts back
    // the kept size and place (on a screen that is there now) and the parts;
    // true when there was a size and place to put back. Later calls keep
    // where the window is and return true.
    bool restore();
    // Writes everything to the store and commits it; done on each hide.
    void save();

    // Whether the header kept widths of its own (else the window sets its
    // first widths, fitted to captions and contents).
    bool hasKept(const QString &part) const;

    // The frame rectangle `frame` put on one of the `screens` (available
    // areas): on the one holding its centre, else the one it overlaps most,
    // else centred on the first; moved and shrunk to lie inside it.
    static QRect onScreens(const QRect &frame, const QList<QRect> &screens);
    static QString intsText(const QList<int> &values);
    // Empty when the text is not a comma-separated list of whole numbers.
    static QList<int> intsFrom(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString keyOf(const QString &part) const;
    void restoreHeader(QHeaderView *header, const QString &part);
    void restoreSplitter(QSplitter *splitter, const QString &part);

    QWidget *m_window;
    QString m_name;
    LayoutStore *m_store;
    QList<std::pair<QPointer<QHeaderView>, QString>> m_headers;
    QList<std::pair<QPointer<QSplitter>, QString>> m_splitters;
    bool m_restored = false;
    bool m_shown = false;
    bool m_splittersPending = false;
};

} // namespace marvik::ui
