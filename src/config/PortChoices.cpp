#include "config/PortChoices.h"

#include "comm/LineSettings.h"

namespace portchoices {

const QStringList &speeds()
{
    // From 230400 on the speeds USB modems and adapters run at; the baud-rate scan tries only
    // the first twelve.
    static const QStringList list{"110",    "300",    "600",    "1200",    "2400",    "4800",    "9600",
                                  "14400",  "19200",  "28800",  "38400",   "56000",   "57600",   "115200",
                                  "128000", "230400", "256000", "460800",  "921600",  "1000000", "2000000",
                                  "3000000", "4000000"};
    return list;
}

const QStringList &dataBits()
{
    static const QStringList list{"4", "5", "6", "7", "8"};
    return list;
}

const QStringList &parities()
{
    static const QStringList list{"Even", "Odd", "None", "Mark", "Space"};
    return list;
}

const QStringList &stopBits()
{
    static const QStringList list{"1", "1.5", "2"};
    return list;
}

const QStringList &ports()
{
    static const QStringList list = [] {
        QStringList l;
        for (int n = 1; n <= 16; ++n)
            l << QStringLiteral("Com%1").arg(n);
        return l;
    }();
    return list;
}

const QStringList &flowModes()
{
    static const QStringList list{"Kein", "Xon/Xoff", "RTS", "Xon/RTS"};
    return list;
}

QString parityItem(QChar letter)
{
    // The parity items begin with the letter the settings string uses for them.
    for (const QString &item : parities())
        if (item[0].toLower() == letter.toLower())
            return item;
    return {};
}

StoredChoice splitStoredSettings(const QString &s)
{
    // Whatever is not a line settings string (hand-edited, cut short) preselects nothing.
    if (!LineSettings::parse(s))
        return {};
    // The fields sit at fixed distances from the end (positions below count from 1); stop
    // bits "1.5" make the string two characters longer than "1" or "2" do.
    const qsizetype k = s.contains(QLatin1Char('.')) ? 2 : 0;
    const qsizetype n = s.size();
    StoredChoice c;
    c.speed = s.left(n - 6 - k);
    c.parity = parityItem(s[n - 4 - k - 1]);
    c.dataBits = s.mid(n - 2 - k - 1, 1);
    c.stopBits = s.right(k + 1);
    return c;
}

QString settingsFromItems(const QString &speed, const QString &parity, const QString &dataBits, const QString &stopBits)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(speed.trimmed(), parity.trimmed().left(1), dataBits.trimmed(), stopBits.trimmed());
}

QString settingsRefusal(const QString &chosen, const QString &kept, const QString &why)
{
    const auto canonical = LineSettings::parse(chosen);
    return QStringLiteral("Die Schnittstelle nimmt die Einstellung „%1“ nicht an und bleibt bei „%2“.\n\n%3")
        .arg(canonical ? canonical->toString() : chosen, kept, why);
}

QString flowRefusal(int chosen, int kept, const QString &why)
{
    const auto name = [](int i) { return i >= 0 && i < flowModes().size() ? flowModes().at(i) : QString::number(i); };
    return QStringLiteral("Die Schnittstelle nimmt das Protokoll „%1“ nicht an und bleibt bei „%2“.\n\n%3")
        .arg(name(chosen), name(kept), why);
}

QString portTestReport(const QList<int> &available)
{
    if (available.isEmpty())
        return QStringLiteral("Keine freie COM verfügbar ");
    QString report;
    for (int n : available)
        report += QStringLiteral(" COM %1 verfügbar!\r").arg(n);
    return report;
}

} // namespace portchoices
