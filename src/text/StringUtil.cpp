#include "text/StringUtil.h"

#include <QLocale>

namespace {

// Only the blank counts here: CR, LF and tab are part of a field.
QString trimBlanks(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == u' ')
        ++begin;
    while (end > begin && s.at(end - 1) == u' ')
        --end;
    return s.mid(begin, end - begin);
}

QString cutField(QString &text, QStringView separator)
{
    if (text.isEmpty())
        return {};
    const qsizetype n = text.size();
    if (n == 1) {
        text.clear();
        return {};
    }
    const qsizetype p = text.indexOf(separator) + 1; // counted from 1, 0 when absent
    QString field;
    if (p >= 2)
        field = trimBlanks(text.left(p - 1));
    text = text.right(n - p);
    return field;
}

} // namespace

QString TokenLine(QString &text)
{
    return cutField(text, u"\r\n");
}

QString TokenComma(QString &text)
{
    return cutField(text, u",");
}

QString TokenSemicolon(QString &text)
{
    return cutField(text, u";");
}

QString StripQuotes(QString &text)
{
    QString s = text;
    s.replace(u'"', u' ');
    s = trimBlanks(s);
    qsizetype i = 0;
    while (i < s.size() && (s.at(i) == u'\r' || s.at(i) == u'\n'))
        ++i;
    s.remove(0, i);
    text = s;
    return s;
}

QString UmlautReplace(QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        switch (text.at(i).unicode()) {
        case 0x00C4: text[i] = QChar(0xDB); break; // Ä
        case 0x00D6: text[i] = QChar(0xDC); break; // Ö
        case 0x00DC: text[i] = QChar(0xDE); break; // Ü
        case 0x00E4: text[i] = QChar(0xFB); break; // ä
        case 0x00F6: text[i] = QChar(0xFC); break; // ö
        case 0x00FC: text[i] = QChar(0xFE); break; // ü
        case 0x00DF: text[i] = QChar(0xFD); break; // ß
        default: break;
        }
    }
    return text;
}

double LeadingNumber(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == u' ')
        ++i;
    QString sign;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        sign = text.at(i++);
    QString whole;
    QString fraction;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c >= u'0' && c <= u'9')
            (point ? fraction : whole) += c;
        else if (c == u'.' && !point)
            point = true;
        else
            break;
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return 0;
    // Always the C locale: the user's locale may write the decimal point as a comma.
    const QString canonical = sign + (whole.isEmpty() ? QStringLiteral("0") : whole) + u'.' +
                              (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    return QLocale::c().toDouble(canonical);
}

QString NumberText(long long n)
{
    return n < 0 ? QString::number(n) : u' ' + QString::number(n);
}
