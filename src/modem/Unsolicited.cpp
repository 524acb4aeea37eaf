#include "modem/Unsolicited.h"

#include <QRegularExpression>

namespace {

// Whole lines that modules send when they start or when their SIM has opened: Quectel and
// SIMCom "RDY" at power-up, SIMCom "Call Ready" and "SMS Ready" once the SIM is read.
const QStringList kStartWords{QStringLiteral("RDY"), QStringLiteral("Call Ready"), QStringLiteral("SMS Ready"),
                              QStringLiteral("RING")};

bool isFinalError(QStringView line)
{
    return line.startsWith(u"+CME ERROR") || line.startsWith(u"+CMS ERROR");
}

bool isFinalResult(QStringView line)
{
    return line == u"OK" || line == u"ERROR" || isFinalError(line) || line == u"NO CARRIER";
}

// "+CSQ: 21,99" -> "+CSQ"; "" when the line has no prefix of that form.
QStringView prefixOf(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    return colon > 1 ? line.left(colon) : QStringView();
}

bool ownPrefix(QStringView prefix, const QStringList &own)
{
    for (const QString &o : own) {
        QStringView p(o);
        if (p.endsWith(u':'))
            p.chop(1);
        if (prefix.compare(p, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

bool IsUnsolicitedLine(QStringView line, const QStringList &own)
{
    line = line.trimmed();
    if (line.isEmpty() || isFinalError(line))
        return false;
    // No answer of 27.007 or 27.005 begins with '^': those are makers' own reports.
    if (line.startsWith(u'^'))
        return true;
    if (line.startsWith(u'+')) {
        const QStringView prefix = prefixOf(line);
        return !prefix.isEmpty() && !ownPrefix(prefix, own);
    }
    return kStartWords.contains(line.toString());
}

QString WithoutUnsolicited(const QString &answer, const QStringList &own)
{
    QStringList lines = answer.split(QStringLiteral("\r\n"));
    bool dropped = false;
    for (qsizetype i = 0; i < lines.size();) {
        if (!IsUnsolicitedLine(lines.at(i), own)) {
            ++i;
            continue;
        }
        dropped = true;
        lines.removeAt(i);
        // Each line came framed by a line end before and after it: the blank line in front
        // goes with it. One cut off before its own line end leaves the line end before it as
        // the end of the line above.
        if (i < lines.size() && i > 0 && lines.at(i - 1).isEmpty())
            lines.removeAt(--i);
    }
    return dropped ? lines.join(QStringLiteral("\r\n")) : answer;
}

QStringList InformationLines(const QString &answer, const QString &command)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]+"));
    const QString echo = command.trimmed();
    // What a command's own information lines begin with: AT+CGMI -> +CGMI.
    QStringList own;
    if (echo.startsWith(QLatin1String("AT+"), Qt::CaseInsensitive)) {
        QString name = echo.mid(2);
        const qsizetype end = name.indexOf(QRegularExpression(QStringLiteral("[=?]")));
        own << (end < 0 ? name : name.left(end)).toUpper();
    }
    QStringList info;
    for (const QString &raw : answer.split(lineEnd, Qt::SkipEmptyParts)) {
        QString line = raw.trimmed();
        if (line.isEmpty() || line.compare(echo, Qt::CaseInsensitive) == 0)
            continue;
        if (isFinalResult(line))
            break;
        if (IsUnsolicitedLine(line, own))
            continue;
        if (!own.isEmpty() && line.startsWith(own.first() + u':', Qt::CaseInsensitive))
            line = line.mid(own.first().size() + 1).trimmed();
        info << line;
    }
    return info;
}
