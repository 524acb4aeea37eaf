// The SMS data files: numbers read out of the names in the folder, the next name, and the bytes
// of a record.
#include "FuzzSupport.h"

#include "sms/SmsDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::lineText(data, size);
    const QStringList names = text.split(u'\n');
    int highest = 0;
    for (const QString &name : names) {
        const int n = SmsFileNumber(name);
        FUZZ_CHECK(n >= -1 && n <= kMaxSmsFileNumber + 1);
        highest = std::max(highest, n);
    }
    const int next = NextSmsFileNumber(names);
    FUZZ_CHECK(next >= 1 && next <= kMaxSmsFileNumber + 1);
    FUZZ_CHECK(next > highest || highest > kMaxSmsFileNumber);
    if (next <= kMaxSmsFileNumber) {
        for (bool others : {false, true}) {
            const QString name = SmsFileName(next, others);
            FUZZ_CHECK(SmsFileNumber(name) == next);
            FUZZ_CHECK(name.endsWith(QStringLiteral(".DAT"), Qt::CaseInsensitive));
            // The new name sorts after every numbered name before it.
            FUZZ_CHECK(NextSmsFileNumber(names + QStringList{name}) == next + 1);
        }
    }

    const QByteArray record = SmsRecordBytes(text);
    FUZZ_CHECK(record.size() == text.size() + 2 && record.endsWith("\r\n"));
    FUZZ_CHECK(codepage::decode(record.chopped(2)) == text);

    if (size >= 8) {
        qint64 ms = 0;
        std::memcpy(&ms, data, sizeof ms);
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(ms % (qint64(1) << 45), Qt::UTC);
        FUZZ_CHECK(SmsFileHeader(when).startsWith("Datei angelegt am: "));
    }
    return 0;
}
