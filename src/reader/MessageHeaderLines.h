#pragma once

#include "reader/DisplayedMessage.h"

#include <QStringList>

namespace marvik::reader {

// The four header lines that Save and Print put above a message's text: the
// left item in a field of 40 columns (a longer one is not cut), the right
// item after it.
class MessageHeaderLines
{
public:
    static constexpr int LeftWidth = 40;

    static QStringList of(const DisplayedMessage &message);
};

} // namespace marvik::reader
