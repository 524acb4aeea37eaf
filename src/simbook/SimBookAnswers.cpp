#include "simbook/SimBookAnswers.h"

#include "text/AtInput.h"
#include "text/StringUtil.h"

#include <cmath>

SimBookEntry CpbrEntry(const QString &answer)
{
    const qsizetype at = answer.indexOf(QLatin1String("+CPBR:"));
    if (at < 0)
        return {};
    const qsizetype end = answer.indexOf(u'\r', at);
    QString line = answer.mid(at, end < 0 ? -1 : end - at);
    if (!line.contains(u','))
        return {};
    QString first = TokenComma(line);
    QString index = first.mid(first.indexOf(u':') + 1);
    QString number = TokenComma(line);
    TokenComma(line); // the type: a "+" in front of the number already says 145
    return {StripQuotes(index), StripQuotes(number), StripQuotes(line)};
}

QString CpbrCommand(int location)
{
    return QStringLiteral("AT+CPBR=") + NumberText(location) + u',' + NumberText(location);
}

int SimReadCount(const QString &text)
{
    const double value = LeadingNumber(text);
    if (!(value >= 0.5)) // also NaN
        return 0;
    if (value >= kSimReadMax)
        return kSimReadMax;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(whole);
}

int CpbwType(const QString &number)
{
    return number.startsWith(u'+') ? 145 : 129;
}

QString CpbwCommand(const QString &number, const QString &name, int location)
{
    const QString at = location > 0 ? NumberText(location) : QString();
    // One arg() call for all, so a "%2" typed into the number is not filled in again.
    return QStringLiteral("AT+CPBW=%1,\"%2\",%3,\"%4\"").arg(at, number, QString::number(CpbwType(number)), name);
}

QString CpbwClearCommand(int location)
{
    return QStringLiteral("AT+CPBW=") + NumberText(location);
}

bool SimEntryIsSendable(const QString &name, const QString &number)
{
    return IsSafeQuotedParameter(name) && IsSafeQuotedParameter(number);
}
