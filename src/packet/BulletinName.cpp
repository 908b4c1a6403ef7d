#include "packet/BulletinName.h"

#include "packet/QwkField.h"

namespace marvik::packet {

bool BulletinName::matches(const QString &fileName)
{
    return fileName.startsWith(QLatin1String("BLT-"), Qt::CaseInsensitive)
        && fileName.indexOf(u'.', 4) >= 0;
}

std::optional<BulletinName::Numbers> BulletinName::parse(const QString &fileName, QString *error)
{
    const qsizetype dash = fileName.indexOf(u'-');
    const qsizetype dot = dash >= 0 ? fileName.indexOf(u'.', dash + 1) : -1;
    const qsizetype firstDot = fileName.indexOf(u'.');
    std::optional<int> conference;
    std::optional<int> bulletin;
    if (dash >= 0 && dot >= 0) {
        conference = QwkField::decimalText(fileName.mid(dash + 1, dot - dash - 1));
        bulletin = QwkField::decimalText(fileName.mid(firstDot + 1));
    }
    if (!conference || !bulletin) {
        if (error)
            *error = QStringLiteral("The bulletin %1 was left out: its name does not say which "
                                    "conference and number it belongs to (BLT-conference.number).")
                         .arg(QwkField::quoted(fileName));
        return std::nullopt;
    }
    return Numbers {*conference, *bulletin};
}

} // namespace marvik::packet
