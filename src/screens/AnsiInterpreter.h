#pragma once

#include "screens/CellBuffer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace marvik::screens {

struct AnsiResult
{
    CellBuffer buffer;
    // Empty when the whole text was interpreted; otherwise the message for the
    // user, and the picture must not be shown.
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Turns the CP437 bytes of a BBS screen into a cell buffer: the 80-column
// terminal subset those screens use (cursor moves, save/restore, clear to end
// of line, colours). Every byte sequence ends either in a buffer or in the
// integer-value error.
class AnsiInterpreter
{
public:
    // Interprets the whole text from the initial state. A trailing SAUCE
    // record is metadata, so interpretation stops at its end-of-file byte.
    static AnsiResult interpret(QByteArrayView text);

    // Length of the picture part of `text`: the offset of the byte 26 that
    // introduces a SAUCE record (with its optional comment block) at the very
    // end, or the whole length when there is none. A text that ends in a line
    // end may carry its record a few bytes longer, its line ends rewritten.
    static qsizetype pictureLength(QByteArrayView text);

    // Feeds more bytes. Returns false once a cursor command carried a
    // parameter that is not a whole number; later calls do nothing.
    bool feed(QByteArrayView bytes);

    const CellBuffer &buffer() const { return m_buffer; }
    CellBuffer takeBuffer();
    const QString &errorText() const { return m_error; }

private:
    static qsizetype exactPictureLength(QByteArrayView text);

    enum class State
    {
        Text,
        Escape,
        CsiStart,
        CsiParams,
        PrivateMode
    };

    void putByte(quint8 byte);
    void clearToEndOfLine();
    void moveRows(qint64 delta);
    void moveColumns(qint64 delta);
    void startParameters(quint8 digit);
    void finishWithoutParameters(quint8 final);
    void finishWithParameters(quint8 final);
    bool readWhole(QByteArrayView text, qint64 *value);
    void setAttributes();

    CellBuffer m_buffer;
    State m_state = State::Text;
    QByteArray m_params;
    qint64 m_row = 1;
    int m_column = 1;
    qint64 m_savedRow = 1;
    int m_savedColumn = 1;
    quint8 m_attribute = 7;
    QString m_error;
};

} // namespace marvik::screens
