#include "main/TerminalText.h"

#include "platform/CodePage.h"

#include <array>

void TrimTerminalText(QString &text)
{
    qsizetype drop = 0;
    while (text.size() - drop > kTerminalLimit)
        drop += kTerminalDropBlock;
    if (drop > 0)
        text.remove(0, drop);
}

qsizetype TerminalDropCount(const QString &text)
{
    QString kept = text;
    TrimTerminalText(kept);
    qsizetype drop = text.size() - kept.size();
    if (drop == 0)
        return 0;
    if (kept.startsWith(QLatin1Char('\n')))
        ++drop;
    return drop - QStringView(text).left(drop).count(u"\r\n");
}

void NormaliseLineEnds(QString &data)
{
    data.remove(QLatin1Char('\n'));
    data.replace(QLatin1Char('\r'), QLatin1String("\r\n"));
}

QString PaneText(const QString &data)
{
    QString shown = data.right(kTerminalLimit);
    // A cut between CR and LF leaves a lone LF at the front: no line of its own.
    if (shown.size() < data.size() && shown.startsWith(QLatin1Char('\n')))
        shown.remove(0, 1);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QChar(0), QLatin1String("<0>"));
    return shown;
}

QString AsciiView(const QString &text)
{
    // One table of the 256 groups: a burst of noise in this view is megabytes of them.
    static const auto groups = [] {
        std::array<QString, 256> g;
        for (int b = 0; b < 256; ++b)
            g[b] = QStringLiteral("<%1>").arg(b);
        return g;
    }();
    QString out;
    out.reserve(text.size() * 5);
    for (const QChar c : text) {
        const int b = codepage::byteOf(c);
        out += groups[b < 0 ? int('?') : b];
    }
    return out;
}
