// The SIM phonebook: the read-out of one location, the count field, and the write line, which
// must stay one command whatever name and number the user typed or the SIM gave back.
#include "FuzzSupport.h"

#include "simbook/SimBookAnswers.h"

namespace {

// A write line for a name and number that passed the check holds exactly its two quoted
// strings and nothing that ends the line or chains a second command.
void checkWriteLine(const QString &name, const QString &number)
{
    FUZZ_CHECK(CpbwType(number) == (number.startsWith(u'+') ? 145 : 129));
    if (!SimEntryIsSendable(name, number))
        return;
    const QString line = CpbwCommand(number, name);
    FUZZ_CHECK(line.startsWith(QStringLiteral("AT+CPBW=,\"")));
    FUZZ_CHECK(line.count(u'"') == 4);
    FUZZ_CHECK(!line.contains(u';'));
    for (QChar c : line)
        FUZZ_CHECK(c.unicode() >= 0x20 && codepage::byteOf(c) >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzz::lineText(data, size);
    for (const QString &answer : {fuzz::terminalAnswer(raw), raw}) {
        const SimBookEntry entry = CpbrEntry(answer);
        FUZZ_CHECK(entry.index.size() + entry.number.size() + entry.text.size() <= answer.size());
        checkWriteLine(entry.text, entry.number);
    }

    const int count = SimReadCount(raw);
    FUZZ_CHECK(count >= 0 && count <= kSimReadMax);
    FUZZ_CHECK(CpbrCommand(count) == QStringLiteral("AT+CPBR= %1, %1").arg(count));

    // Name and number as typed: any characters, split at the first TAB.
    const QString typed = fuzz::anyText(data, size);
    const qsizetype tab = typed.indexOf(u'\t');
    checkWriteLine(typed.left(tab), tab < 0 ? QString() : typed.mid(tab + 1));
    checkWriteLine(raw.section(u'\t', 0, 0), raw.section(u'\t', 1));
    return 0;
}
