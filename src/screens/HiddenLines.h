#pragma once

#include <QString>
#include <QStringView>

namespace marvik::screens {

// The lines a mail network writes into a message for its own use: FidoNet
// control lines led by Ctrl+A (MSGID, PID, INTL, Via...), the SEEN-BY and
// PATH lines at the end, and the "@MSGID:" style lines QWK gateways write
// in their place. Readers hide them unless asked.
//
// A Ctrl+A also starts a Synchronet colour code, and Synchronet writers lead
// many lines with one ("\x01h\x01yHello"): such a line is text. A control
// line is Ctrl+A and an upper-case keyword ended by ':' ("\x01MSGID: ..."),
// or one of the keywords that FidoNet ends with a space ("\x01INTL ...").
class HiddenLines
{
public:
    static bool isKludge(QStringView line);

    // How a kludge line reads when shown: the Ctrl+A that leads it is
    // written as "@", the way QWK gateways write these lines themselves, and
    // any other control character as the PC's picture of it.
    static QString shown(QStringView line);
};

} // namespace marvik::screens
