// phone.lst: the bytes into lines, the lines worth reading, and every entry that the editor
// would accept must come back from the file as it went in.
#include "FuzzSupport.h"

#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file = fuzz::bytes(data, size);
    const QStringList lines = PhoneListLinesFromBytes(file);
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\n'));
    // Written back and read again, the file gives the same lines.
    FUZZ_CHECK(PhoneListLinesFromBytes(PhoneListBytesFromLines(lines)) == lines);

    const QStringList sorted = PhoneListUsableSorted(lines);
    FUZZ_CHECK(sorted.size() <= lines.size());
    for (const QString &line : sorted)
        FUZZ_CHECK(PhoneListLineIsUsable(line) && lines.contains(line));

    QList<QPair<QString, QString>> rows;
    for (const QString &line : sorted) {
        const PhoneRow row = PhoneListSplit(line);
        FUZZ_CHECK(!row.name.contains(u';'));
        rows.append({row.name, row.number});
    }
    // Every entry read is saved and read back the same (a line without ";" gains one in front).
    const QStringList saved = PhoneListLinesForSave(rows);
    FUZZ_CHECK(saved.size() == rows.size());
    const QStringList reread = PhoneListLinesFromBytes(PhoneListBytesFromLines(saved));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PhoneRow back = PhoneListSplit(reread.at(i));
        FUZZ_CHECK(back.name == rows[i].first && back.number == rows[i].second);
    }

    // An entry the editor accepts survives saving and reading.
    const QString typed = fuzz::anyText(data, size);
    const qsizetype tab = typed.indexOf(u'\t');
    const QString name = typed.left(tab);
    const QString number = tab < 0 ? QString() : typed.mid(tab + 1);
    if (PhoneListEntryRefusal(name, number).isEmpty() && !(name.isEmpty() && number.isEmpty())) {
        const QStringList saved = PhoneListLinesForSave({{name, number}});
        FUZZ_CHECK(saved.size() == 1);
        const QStringList read = PhoneListUsableSorted(PhoneListLinesFromBytes(PhoneListBytesFromLines(saved)));
        FUZZ_CHECK(read.size() == 1);
        const PhoneRow back = PhoneListSplit(read.first());
        FUZZ_CHECK(back.name == name && back.number == number);
    }
    return 0;
}
