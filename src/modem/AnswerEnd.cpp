#include "modem/AnswerEnd.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace {

// One line of what came: a modem ends its lines in CR LF (S3 S4), a numeric result code after
// ATV0 in a CR alone, and the echo of a command line in the CR the command ended in.
struct Line {
    qsizetype start = 0;
    qsizetype end = 0;  // behind its last character, before the line end
    qsizetype next = 0; // where the next line begins
    bool ended = false; // its line end has come
    bool crAlone = false;
};

QList<Line> splitLines(QStringView text)
{
    QList<Line> lines;
    for (qsizetype i = 0; i < text.size();) {
        Line l;
        l.start = i;
        qsizetype j = i;
        while (j < text.size() && text[j] != u'\r' && text[j] != u'\n')
            ++j;
        l.end = j;
        l.next = j;
        if (j < text.size()) {
            l.ended = true;
            l.next = j + 1;
            if (text[j] == u'\r') {
                if (j + 1 < text.size() && text[j + 1] == u'\n')
                    l.next = j + 2;
                else
                    l.crAlone = true;
            }
        }
        lines.append(l);
        i = l.next;
    }
    return lines;
}

QStringView textOf(QStringView text, const Line &l)
{
    return text.mid(l.start, l.end - l.start);
}

// Lines whose next lines are a message's text (27.005 3.4.1, 3.4.3, 3.4.4).
bool opensMessageText(QStringView line)
{
    static const QStringView markers[] = {u"+CMGR:", u"+CMGL:", u"+CMT:", u"+CDS:", u"+CBM:"};
    return std::any_of(std::begin(markers), std::end(markers), [&](QStringView m) { return line.startsWith(m); });
}

// 27.005: these take a message (or an acknowledgement PDU) behind the "> " prompt. AT+CMGW
// alone stores a message to the default address; "=?" is the test form, which prompts nothing.
bool asksForPrompt(QStringView sent)
{
    QString command;
    for (const QChar c : sent) {
        if (c != u' ' && c != u'\r' && c != u'\n')
            command += c.toUpper();
    }
    static const QString names[] = {QStringLiteral("AT+CMGS"), QStringLiteral("AT+CMGW"), QStringLiteral("AT+CMGC"),
                                    QStringLiteral("AT+CNMA")};
    for (const QString &name : names) {
        if (!command.startsWith(name))
            continue;
        const QStringView rest = QStringView(command).mid(name.size());
        if (rest.startsWith(u"=?"))
            return false;
        return rest.startsWith(u'=') || (rest.isEmpty() && name == u"AT+CMGW");
    }
    return false;
}

// How many lines of what was sent read `line`: a text behind the prompt comes back as its echo.
// Ctrl-Z and ESC end a text; a modem that does not echo them shows the last line bare.
qsizetype linesSent(QStringView sent, QStringView line)
{
    qsizetype n = 0;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= sent.size(); ++i) {
        if (i == sent.size() || sent[i] == u'\r' || sent[i] == u'\n' || sent[i] == QChar(26) || sent[i] == QChar(27)) {
            n += sent.mid(from, i - from) == line;
            from = i + 1;
        }
    }
    return n;
}

} // namespace

bool IsFinalResultCode(QStringView line, bool lineEndIsCr)
{
    static const QStringView verbose[] = {u"OK", u"ERROR", u"NO CARRIER", u"BUSY", u"NO ANSWER", u"NO DIALTONE"};
    if (std::find(std::begin(verbose), std::end(verbose), line) != std::end(verbose))
        return true;
    if (line.startsWith(u"+CME ERROR:") || line.startsWith(u"+CMS ERROR:"))
        return true;
    // V.250 table 1: 0 OK, 3 NO CARRIER, 4 ERROR, 6 NO DIALTONE, 7 BUSY, 8 NO ANSWER. 1 (CONNECT)
    // goes on in data mode and 2 is RING. Information lines end in CR LF even after ATV0.
    return lineEndIsCr && line.size() == 1 && QStringView(u"034678").contains(line[0]);
}

bool IsNoticeLine(QStringView line)
{
    static const QRegularExpression notice(QStringLiteral(
        "^(?:\\+CMTI: ?\"[A-Z]{2}\", ?\\d+|\\+CDSI: ?\"[A-Z]{2}\", ?\\d+|\\+CDS: ?\\d+,\\d+,.*|\\+CIEV: ?\\d+, ?\\d+|\\+QIND: ?.*|"
        "\\^(?:RSSI|BOOT|MODE|SRVST|SIMST|HCSQ|DSFLOWRPT|SMMEMFULL|SYSSTART|CEND|CONN|ORIG|CONF|RFSWITCH|NWTIME)\\b.*|"
        "RING|RDY|Call Ready|SMS Ready|\\+CFUN: ?\\d+|\\+CPIN: ?READY)$"));
    return notice.match(line.toString()).hasMatch();
}

AnswerEnd FinalResultEnd(QStringView sent, QStringView received)
{
    const QList<Line> lines = splitLines(received);
    if (lines.isEmpty())
        return {};
    if (asksForPrompt(sent)) {
        const Line &last = lines.last();
        const QStringView t = textOf(received, last);
        if (!last.ended && (t == u"> " || t == u">"))
            return {true, received.size(), -1};
    }
    // The last line that is neither empty nor the modem's own; everything behind it has ended
    // (a notice half sent may yet turn out to be something else).
    qsizetype k = lines.size() - 1;
    for (; k >= 0; --k) {
        const Line &l = lines.at(k);
        if (!l.ended)
            return {};
        const QStringView t = textOf(received, l);
        if (!t.isEmpty() && !IsNoticeLine(t))
            break;
    }
    if (k < 0)
        return {};
    const Line &last = lines.at(k);
    const QStringView code = textOf(received, last);
    if (!IsFinalResultCode(code, last.crAlone))
        return {};
    // A quoted parameter may hold a line break (a phonebook name, an operator's long name): a
    // quote that an information line opened and no line closed again holds the "result code".
    bool quoteOpen = false;
    qsizetype same = 0;
    for (qsizetype i = 0; i <= k; ++i) {
        const QStringView t = textOf(received, lines.at(i));
        same += t == code;
        if (i == k)
            break;
        if (opensMessageText(t))
            return {};
        if ((quoteOpen || t.startsWith(u'+')) && t.count(u'"') % 2 == 1)
            quoteOpen = !quoteOpen;
    }
    if (quoteOpen || same <= linesSent(sent, code))
        return {};
    return {true, last.next, last.start};
}

double FinalResultSettleSeconds(int baud)
{
    constexpr double kSettle = 0.015;
    constexpr double kCharacters = 10;
    // 10 bits a character: start bit, 8 data bits, stop bit.
    if (baud <= 0)
        return kSettle;
    return std::clamp(kCharacters * 10.0 / baud, kSettle, 1.0);
}
