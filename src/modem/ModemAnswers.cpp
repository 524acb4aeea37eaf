#include "modem/ModemAnswers.h"

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

QString GmmModelName(const QString &answer)
{
    const qsizetype p = finalOkIndex(answer) + 1; // counted from 1, 0 when absent
    if (p - 5 < 0)
        return {};
    const QString head = answer.left(p - 5);
    if (head.size() < 2)
        return head;
    return head.mid(2);
}

QString CsqSignalValue(const QString &answer)
{
    const qsizetype p = answer.indexOf(u',') + 1;
    if (p < 3)
        return {};
    return answer.mid(p - 3, 2);
}

int CregState(const QString &answer)
{
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

QString CopsOperatorName(const QString &answer)
{
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

QString CpbrOwnNumber(const QString &answer)
{
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
