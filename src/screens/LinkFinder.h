#pragma once

#include "screens/BodyText.h"

#include <QList>
#include <QStringView>

namespace marvik::screens {

// Finds what a reader offers to open in a line: http and https addresses
// and e-mail addresses. Punctuation that ends a sentence is not part of an
// address ("see https://example.org." links "https://example.org"), and a
// closing parenthesis belongs to it only when it opened one too.
class LinkFinder
{
public:
    static QList<BodyLink> find(QStringView line);
};

} // namespace marvik::screens
