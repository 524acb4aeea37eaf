// Received messages decoded from the fields the read cycle files, and the rows their parts join
// into. The input is one record a line: <fo>,<dcs>,<length>,<charset>,<sender>,<data> (a field
// that is no number counts as not given).
#include "FuzzSupport.h"

#include "sms/LongMessages.h"
#include "sms/SmsText.h"

#include <QSet>

#include <algorithm>

namespace {

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

bool isUpperHex(const QString &text)
{
    return text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
           });
}

void checkDecoded(const DecodedSms &sms)
{
    FUZZ_CHECK(sms.messageClass >= -1 && sms.messageClass <= 3);
    if (sms.concat) {
        FUZZ_CHECK(sms.concat->total >= 1 && sms.concat->total <= 255);
        FUZZ_CHECK(sms.concat->sequence >= 1 && sms.concat->sequence <= sms.concat->total);
        FUZZ_CHECK(sms.concat->reference >= 0 && sms.concat->reference <= (sms.concat->wide ? 0xFFFF : 0xFF));
    }
    if (sms.data)
        FUZZ_CHECK(isUpperHex(sms.text));
    const QString shown = ShownText(sms);
    FUZZ_CHECK(!hasLoneSurrogate(shown));
    FUZZ_CHECK(shown.endsWith(QStringLiteral(" [Rest nicht lesbar]")) || !sms.damaged);
    FUZZ_CHECK(shown.size() >= sms.text.size());
}

FiledSms record(const QString &line)
{
    const QStringList fields = line.split(u',');
    const auto number = [&](int i) {
        bool ok = false;
        const int value = fields.value(i).toInt(&ok);
        return ok ? value : -1;
    };
    FiledSms filed;
    filed.sender = fields.value(4);
    filed.sms = DecodeTextModeData(number(0), number(1), number(2), fields.value(3), fields.mid(5).join(u','));
    return filed;
}

// The rows as texts with their completeness, in no particular order.
QStringList rowTexts(const QList<MessageRow> &rows)
{
    QStringList texts;
    for (const MessageRow &row : rows)
        texts << (row.complete ? u'+' : u'-') + row.text;
    texts.sort();
    return texts;
}

void checkRows(const QList<MessageRow> &rows, qsizetype records)
{
    QList<int> seen(records, 0);
    int lastFirst = -1;
    for (const MessageRow &row : rows) {
        FUZZ_CHECK(!row.pieces.isEmpty());
        FUZZ_CHECK(row.pieces.first() > lastFirst);
        lastFirst = row.pieces.first();
        FUZZ_CHECK(std::is_sorted(row.pieces.begin(), row.pieces.end()));
        for (int i : row.pieces) {
            FUZZ_CHECK(i >= 0 && i < records);
            ++seen[i];
        }
        FUZZ_CHECK(!hasLoneSurrogate(row.text));
    }
    FUZZ_CHECK(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Any UTF-16 at all as data, lone surrogates included.
    if (size >= 3) {
        const QString any = fuzz::anyText(data + 3, size - 3);
        for (const char *charset : {"GSM", "HEX", "UCS2", ""})
            checkDecoded(DecodeTextModeData(data[0], data[1], data[2] - 1, QString::fromLatin1(charset), any));
    }

    const QStringList lines = fuzz::lineText(data, size).split(u'\n');
    QList<FiledSms> filed;
    // A part whose sequence number came before for the same message begins a new one, so only
    // records without such a repeat join the same in any order.
    QSet<QString> parts;
    for (const QString &line : lines) {
        FiledSms r = record(line);
        checkDecoded(r.sms);
        if (r.sms.concat) {
            const ConcatInfo &c = *r.sms.concat;
            const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                                    .arg(r.sender)
                                    .arg(c.reference)
                                    .arg(c.total)
                                    .arg(c.wide)
                                    .arg(c.sequence);
            if (parts.contains(key))
                continue;
            parts.insert(key);
        }
        filed << r;
        if (filed.size() == 64)
            break;
    }

    const QList<MessageRow> rows = JoinLongMessages(filed);
    checkRows(rows, filed.size());
    const QStringList texts = rowTexts(rows);

    QList<FiledSms> reversed(filed.rbegin(), filed.rend());
    FUZZ_CHECK(rowTexts(JoinLongMessages(reversed)) == texts);
    if (!filed.isEmpty()) {
        QList<FiledSms> rotated = filed;
        std::rotate(rotated.begin(), rotated.begin() + qsizetype(size % size_t(filed.size())), rotated.end());
        FUZZ_CHECK(rowTexts(JoinLongMessages(rotated)) == texts);
    }
    return 0;
}
