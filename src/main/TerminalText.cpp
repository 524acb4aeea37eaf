#include "main/TerminalText.h"

#include "platform/CodePage.h"

void TrimTerminalText(QString &text)
{
    qsizetype drop = 0;
    while (text.size() - drop > kTerminalLimit)
        drop += kTerminalDropBlock;
    if (drop > 0)
        text.remove(0, drop);
}

void NormaliseLineEnds(QString &data)
{
    data.remove(QLatin1Char('\n'));
    data.replace(QLatin1Char('\r'), QLatin1String("\r\n"));
}

QString AsciiView(const QString &text)
{
    QString out;
    out.reserve(text.size() * 5);
    for (const QChar c : text) {
        const int b = codepage::byteOf(c);
        out += QLatin1Char('<');
        out += QString::number(b < 0 ? int('?') : b);
        out += QLatin1Char('>');
    }
    return out;
}
