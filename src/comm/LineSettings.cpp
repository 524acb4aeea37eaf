#include "comm/LineSettings.h"

#include <QStringList>

#include <algorithm>

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4)
        return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.speed = f[0].toInt(&ok);
    // toInt() skips blanks and stops at a NUL: "96\0junk" must not pass as 96.
    if (!ok || s.speed <= 0 || std::any_of(f[0].cbegin(), f[0].cend(), [](QChar c) { return c < u'0' || c > u'9'; }))
        return std::nullopt;
    if (f[1].size() != 1 || !QStringLiteral("eonms").contains(f[1].toLower()))
        return std::nullopt;
    s.parity = f[1].toLower()[0].toLatin1();
    s.dataBits = f[2].toInt(&ok);
    if (!ok || s.dataBits < 4 || s.dataBits > 8 || f[2].size() != 1)
        return std::nullopt;
    if (f[3] != QLatin1String("1") && f[3] != QLatin1String("1.5") && f[3] != QLatin1String("2"))
        return std::nullopt;
    s.stopBits = f[3];
    return s;
}

QString LineSettings::toString() const
{
    return QStringLiteral("%1,%2,%3,%4").arg(speed).arg(QLatin1Char(parity)).arg(dataBits).arg(stopBits);
}
