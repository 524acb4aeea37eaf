// The text cutting every answer and file line goes through, and the terminal's line-end rule.
#include "FuzzSupport.h"

#include "main/TerminalText.h"
#include "text/StringUtil.h"

#include <cmath>
#include <cstring>

namespace {

// Callers cut a text field by field until it is empty or stops shrinking; each call must take
// something away or leave the text as it was and return "".
void cutToTheEnd(QString (*cut)(QString &), const QString &text)
{
    QString rest = text;
    while (!rest.isEmpty()) {
        const qsizetype before = rest.size();
        const QString field = cut(rest);
        FUZZ_CHECK(rest.size() <= before);
        FUZZ_CHECK(field.size() < before);
        FUZZ_CHECK(!field.startsWith(u' ') && !field.endsWith(u' '));
        if (rest.size() == before) {
            FUZZ_CHECK(field.isEmpty());
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::lineText(data, size);

    cutToTheEnd(&TokenLine, text);
    cutToTheEnd(&TokenComma, text);
    cutToTheEnd(&TokenSemicolon, text);

    QString quoted = text;
    const QString stripped = StripQuotes(quoted);
    FUZZ_CHECK(stripped == quoted);
    FUZZ_CHECK(!stripped.contains(u'"'));
    FUZZ_CHECK(stripped.isEmpty() || (stripped.front() != u'\r' && stripped.front() != u'\n'));

    QString umlauts = text;
    UmlautReplace(umlauts);
    // Only the seven German letters change; their substitutes include Ü (for Ö), so a second
    // pass would change the text again.
    FUZZ_CHECK(umlauts.size() == text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        FUZZ_CHECK(umlauts.at(i) == text.at(i) || QStringView(u"ÄÖÜäöüß").contains(text.at(i)));

    FUZZ_CHECK(!std::isnan(LeadingNumber(text)));
    FUZZ_CHECK(!std::isnan(LeadingNumber(fuzz::anyText(data, size))));

    long long n = 0;
    std::memcpy(&n, data, std::min(size, sizeof n));
    const QString number = NumberText(n);
    FUZZ_CHECK(number.front() == (n < 0 ? u'-' : u' '));
    FUZZ_CHECK(number.mid(n < 0 ? 0 : 1).toLongLong() == n);

    QString lines = text;
    NormaliseLineEnds(lines);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) == u'\r')
            FUZZ_CHECK(i + 1 < lines.size() && lines.at(i + 1) == u'\n');
        if (lines.at(i) == u'\n')
            FUZZ_CHECK(i > 0 && lines.at(i - 1) == u'\r');
    }
    // Repeated past the pane's limit, so the trimming has something to do.
    const QString flood = text.repeated(text.isEmpty() ? 0 : 1 + 2 * kTerminalLimit / text.size());
    QString pane = flood;
    TrimTerminalText(pane);
    FUZZ_CHECK(pane.size() <= kTerminalLimit);
    FUZZ_CHECK(flood.endsWith(pane));

    const QString codes = AsciiView(text);
    FUZZ_CHECK(codes.count(u'<') >= text.size());
    return 0;
}
