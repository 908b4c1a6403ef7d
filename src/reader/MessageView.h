#pragma once

#include "reader/DisplayedMessage.h"
#include "screens/BodyRenderer.h"

#include <QHash>
#include <QList>
#include <QTextLayout>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;

namespace marvik::reader {

// One message as the reader shows it: the header fields above, the body
// below drawn from the body renderer's lines and colours. Colours, hidden
// lines and rot13 are switched here; what the user sees is also what Save
// and Print take (shown()) and what a reply quotes (quoted()).
class MessageView : public QWidget
{
    Q_OBJECT

public:
    explicit MessageView(QWidget *parent = nullptr);
    ~MessageView() override;

    // Shows `message`: its header values as given, its lines (the stored
    // text) through the body renderer. rot13 is switched off again.
    void setMessage(const DisplayedMessage &message);

    bool colours() const { return m_options.colours; }
    void setColours(bool on);
    bool showsHidden() const { return m_options.showHidden; }
    void setShowHidden(bool on);
    bool rot13() const { return m_options.rot13; }
    void setRot13(bool on);

    // The message as seen, without codes: the header as shown, the lines the
    // body shows with colours on (kludges only while shown), each line's
    // colours in `runs` for the printout.
    DisplayedMessage shown() const;
    // The same without the kludges, whatever is shown: what a reply quotes
    // and a forward passes on.
    DisplayedMessage quoted() const;

    const screens::RenderedBody &body() const { return m_body; }
    QPlainTextEdit *textView() const { return m_text; }
    // Header values by caption: "Conference", "Message No", "Position",
    // "From", "To", "Subject", "Date", "Private", "Refers To".
    QLabel *headerValue(const QString &caption) const { return m_values.value(caption); }

    // How a link is opened; QDesktopServices by default, tests record.
    void setLinkOpener(std::function<bool(const QUrl &)> opener) { m_open = std::move(opener); }
    // The link under a point of the text view's viewport, or an empty URL.
    QUrl linkAt(const QPoint &viewportPoint) const;

    // The extra formats a body line is drawn with, for the text view's
    // layout: colours of a coloured body, quote tints, links, dimmed kludges.
    static QList<QTextLayout::FormatRange> formatsFor(const screens::BodyLine &line, bool coloured);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildHeader(QWidget *panel);
    void render();
    DisplayedMessage withLines(const screens::RenderedBody &body) const;

    DisplayedMessage m_message;
    QString m_stored; // the message's lines joined again, as the renderer takes them
    screens::BodyRenderer::Options m_options;
    screens::RenderedBody m_body;
    QHash<QString, QLabel *> m_values;
    QPlainTextEdit *m_text = nullptr;
    QPalette m_plainPalette;
    bool m_onBlack = false;
    std::function<bool(const QUrl &)> m_open;
    QPoint m_pressedAt;
};

} // namespace marvik::reader
