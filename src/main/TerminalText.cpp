#include "main/TerminalText.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <array>

namespace {

// Whole blocks from the front, as many as bring `size` back within the limit.
qsizetype blocksOver(qsizetype size)
{
    const qsizetype over = size - kTerminalLimit;
    return over > 0 ? (over + kTerminalDropBlock - 1) / kTerminalDropBlock * kTerminalDropBlock : 0;
}

} // namespace

void TrimTerminalText(QString &text) { text.remove(0, blocksOver(text.size())); }

qsizetype TerminalDropCount(const QString &text)
{
    qsizetype drop = blocksOver(text.size());
    if (drop == 0)
        return 0;
    if (text.at(drop) == u'\n')
        ++drop;
    return drop - QStringView(text).left(drop).count(u"\r\n");
}

void NormaliseLineEnds(QString &data)
{
    // One pass, and none at all for text without line ends (everything the ASCII view shows)
    // or with CR LF line ends only (what a modem sends). A fast line brings a megabyte a tick.
    const QChar *const begin = data.constData();
    const QChar *const end = begin + data.size();
    const auto isEnd = [](QChar c) { return c == u'\r' || c == u'\n'; };
    const QChar *first = std::find_if(begin, end, isEnd);
    for (; first != end; first = std::find_if(first + 2, end, isEnd)) {
        if (*first != u'\r' || first + 1 == end || first[1] != u'\n')
            break;
    }
    if (first == end)
        return;
    QString out;
    out.reserve(data.size() + data.size() / 8 + 1);
    out.append(QStringView(begin, first));
    // Whole runs between line ends at a time.
    for (const QChar *it = first; it != end;) {
        const QChar *next = std::find_if(it, end, isEnd);
        out.append(QStringView(it, next));
        if (next == end)
            break;
        if (*next == u'\r')
            out.append(QLatin1String("\r\n"));
        it = next + 1;
    }
    data = std::move(out);
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
    // One table of the 256 groups, written straight into the result: a burst of noise in
    // this view is megabytes of them.
    struct Group {
        char16_t chars[5];
        qsizetype size;
    };
    static const auto groups = [] {
        std::array<Group, 256> g{};
        for (int b = 0; b < 256; ++b) {
            const QString s = QStringLiteral("<%1>").arg(b);
            g[b].size = s.size();
            std::copy(s.utf16(), s.utf16() + s.size(), g[b].chars);
        }
        return g;
    }();
    QString out(text.size() * 5, Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    char16_t *const begin = d;
    for (const QChar c : text) {
        const int b = codepage::byteOf(c);
        const Group &g = groups[b < 0 ? int('?') : b];
        std::copy(g.chars, g.chars + 5, d); // a whole slot: there is room, and it is faster
        d += g.size;
    }
    out.truncate(d - begin);
    return out;
}
