#include "modem/ModemAnswers.h"

#include "modem/Unsolicited.h"

#include <QList>

#include <algorithm>

namespace {

// Index of the final result "OK": the first line that is "OK" and nothing else. A bare search
// for "OK" would stop inside a model name such as "NOKIA 30" or "OKI 7020" and lose the name.
qsizetype finalOkIndex(const QString &answer)
{
    for (qsizetype i = answer.indexOf(u"OK"); i >= 0; i = answer.indexOf(u"OK", i + 1)) {
        const bool lineStart = i == 0 || answer.at(i - 1) == u'\n' || answer.at(i - 1) == u'\r';
        const qsizetype after = i + 2;
        const bool lineEnd = after == answer.size() || answer.at(after) == u'\r' || answer.at(after) == u'\n';
        if (lineStart && lineEnd)
            return i;
    }
    return -1;
}

int digitValue(QChar c)
{
    return (c >= u'0' && c <= u'9') ? c.unicode() - u'0' : 0;
}

} // namespace

QString GmmModelName(const QString &reply)
{
    const QString answer = WithoutUnsolicited(reply, {QStringLiteral("+GMM"), QStringLiteral("+CGMM")});
    const qsizetype p = finalOkIndex(answer) + 1; // counted from 1, 0 when absent
    if (p - 5 < 0)
        return {};
    const QString head = answer.left(p - 5);
    if (head.size() < 2)
        return head;
    return head.mid(2);
}

QString CsqSignalValue(const QString &reply)
{
    // A vendor line before the +CSQ line has commas of its own (^BOOT:20952548,0,0,0,72).
    const QString answer = WithoutUnsolicited(reply, {QStringLiteral("+CSQ")});
    const qsizetype p = answer.indexOf(u',') + 1;
    if (p < 3)
        return {};
    return answer.mid(p - 3, 2);
}

int CregState(const QString &reply)
{
    // ^MODE:5,4 before the +CREG line would read as roaming.
    const QString answer = WithoutUnsolicited(reply, {QStringLiteral("+CREG")});
    const qsizetype p = answer.indexOf(u',') + 1; // the digit sits at position p + 1, index p
    if (p >= answer.size())
        return 0;
    return digitValue(answer.at(p));
}

QString CregCaption(int state)
{
    switch (state) {
    case 1: return QStringLiteral("angemeldet");
    case 2: return QStringLiteral("Anmeldung wird versucht");
    case 3: return QStringLiteral("abgelehnt");
    case 5: return QStringLiteral("roaming");
    default: return QStringLiteral("Anmeldung nicht korrekt");
    }
}

QString CopsOperatorName(const QString &reply)
{
    const QString answer = WithoutUnsolicited(reply, {QStringLiteral("+COPS")});
    if (!answer.contains(u','))
        return QStringLiteral("Kein Netzbetreiber");
    const qsizetype open = answer.indexOf(u'"');
    if (open < 0)
        return answer;
    const QString rest = answer.mid(open + 1);
    const qsizetype close = rest.indexOf(u'"');
    if (close < 0)
        return rest;
    return rest.left(close);
}

QString CpbrOwnNumber(const QString &reply)
{
    const QString answer = WithoutUnsolicited(reply, {QStringLiteral("+CPBR")});
    const qsizetype p = answer.indexOf(u',') + 1; // counted from 1, 0 when absent
    QString piece = answer.mid(p + 1, 15);
    const qsizetype c = piece.indexOf(u',') + 1;
    // A comma right at the front leaves nothing to cut before it; the piece then stays whole.
    if (c >= 2)
        piece = piece.left(c - 2);
    if (piece.endsWith(u'"'))
        piece.chop(1);
    return piece;
}

namespace {

// "(0-3)", "(0,1,2)", "(1)", "0-2" or "" -> the values it offers; nothing for a value that is
// not a number.
QList<int> offeredValues(QString list)
{
    list = list.trimmed();
    if (list.startsWith(u'('))
        list.remove(0, 1);
    if (list.endsWith(u')'))
        list.chop(1);
    QList<int> values;
    for (const QString &item : list.split(u',', Qt::SkipEmptyParts)) {
        const QStringList range = item.trimmed().split(u'-');
        bool okFrom = false;
        bool okTo = false;
        const int from = range.first().trimmed().toInt(&okFrom);
        const int to = range.size() == 2 ? range.last().trimmed().toInt(&okTo) : from;
        if (!okFrom || (range.size() == 2 && !okTo) || range.size() > 2 || to < from || to - from > 16)
            continue;
        for (int v = from; v <= to; ++v)
            values.append(v);
    }
    return values;
}

} // namespace

QString CnmiNoticeCommand(const QString &testAnswer)
{
    const qsizetype at = testAnswer.indexOf(QLatin1String("+CNMI:"));
    if (at < 0)
        return {};
    qsizetype end = testAnswer.indexOf(u'\r', at);
    if (end < 0)
        end = testAnswer.size();
    // The lists are separated by the commas outside parentheses.
    QStringList lists;
    QString current;
    int depth = 0;
    for (const QChar c : QStringView(testAnswer).mid(at + 6, end - at - 6)) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            depth = std::max(0, depth - 1);
        if (c == u',' && depth == 0) {
            lists << current;
            current.clear();
        } else {
            current += c;
        }
    }
    lists << current;
    if (lists.size() < 2)
        return {};
    const QList<int> modes = offeredValues(lists.at(0));
    if (!offeredValues(lists.at(1)).contains(1))
        return {};
    int mode = -1;
    for (int m : {2, 1, 3}) {
        if (modes.contains(m)) {
            mode = m;
            break;
        }
    }
    if (mode < 0)
        return {};
    QString command = QStringLiteral("AT+CNMI=%1,1").arg(mode);
    // The fields behind are sent only as far as each offers its value: 0, but <ds> 1, the status
    // reports routed to the program as +CDS, where offered.
    for (qsizetype i = 2; i < std::min<qsizetype>(lists.size(), 5); ++i) {
        const QList<int> offered = offeredValues(lists.at(i));
        const int value = i == 3 && offered.contains(1) ? 1 : 0;
        if (!offered.contains(value))
            break;
        command += QStringLiteral(",%1").arg(value);
    }
    return command;
}

QString CgmiMakerName(const QString &answer)
{
    return InformationLines(answer, QStringLiteral("AT+CGMI")).value(0);
}

QString CgmmModelName(const QString &answer)
{
    return InformationLines(answer, QStringLiteral("AT+CGMM")).value(0);
}
