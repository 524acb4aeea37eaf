// The SIM list files on the PC: lines read as the phone list's are, cut into three columns, and
// a row saved and read again lands in the same columns.
#include "FuzzSupport.h"

#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"
#include "simbook/SimListFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = PhoneListUsableSorted(PhoneListLinesFromBytes(fuzz::bytes(data, size)));
    QList<SimListRow> rows;
    for (const QString &line : lines) {
        const SimListRow row = SimListSplit(line);
        FUZZ_CHECK(!row.name.contains(u';') && !row.number.contains(u';'));
        FUZZ_CHECK(row.name.size() + row.number.size() + row.index.size() <= line.size());
        rows.append(row);
    }
    const QStringList saved = SimListLinesForSave(rows);
    FUZZ_CHECK(saved.size() <= rows.size());
    const QStringList again = PhoneListLinesFromBytes(PhoneListBytesFromLines(saved));
    FUZZ_CHECK(again == saved);
    qsizetype j = 0;
    for (const SimListRow &row : rows) {
        if (row == SimListRow{})
            continue;
        FUZZ_CHECK(j < again.size());
        FUZZ_CHECK(SimListSplit(again.at(j++)) == row);
    }

    // A name and number the window accepts come back in their columns.
    const QString typed = fuzz::anyText(data, size);
    const QStringList parts = typed.split(u'\t');
    const SimListRow entry{parts.value(0), parts.value(1), parts.value(2)};
    // The reader trims blanks around name and number, and a line ends at LF.
    const auto untrimmed = [](const QString &s) { return s.startsWith(u' ') || s.endsWith(u' '); };
    if (SimListEntryRefusal(entry.name, entry.number).isEmpty() && !untrimmed(entry.name) &&
        !untrimmed(entry.number) && !entry.index.contains(u'\n')) {
        const QStringList one = SimListLinesForSave({entry});
        if (!one.isEmpty()) {
            const QStringList back = PhoneListLinesFromBytes(PhoneListBytesFromLines(one));
            FUZZ_CHECK(back.size() == 1);
            const SimListRow read = SimListSplit(back.first());
            FUZZ_CHECK(read.name == entry.name && read.number == entry.number);
        }
    }
    return 0;
}
