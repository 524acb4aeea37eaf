// The substitution table: a line of Umlaut.ini into pairs and back, and keys typed into the grid;
// whatever the grid holds when it is saved must be read back as it was.
#include "FuzzSupport.h"

#include "text/UmlautTable.h"

namespace {

QList<UmlautPair> saveAndRead(const QList<UmlautPair> &pairs)
{
    const QString line = UmlautLineFromPairs(pairs);
    FUZZ_CHECK(UmlautClassifyLine(line) != UmlautLineKind::Refused);
    if (UmlautClassifyLine(line) == UmlautLineKind::Bare)
        return {};
    return UmlautCollectPairs(UmlautPairsFromLine(line)).pairs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A line of the file.
    const QString line = fuzz::lineText(data, size);
    const UmlautLineKind kind = UmlautClassifyLine(line);
    if (kind == UmlautLineKind::Pairs) {
        const QList<UmlautPair> read = UmlautPairsFromLine(line);
        FUZZ_CHECK(!read.isEmpty() && read.size() <= kUmlautRows);
        const UmlautCollection table = UmlautCollectPairs(read);
        FUZZ_CHECK(table.pairs.size() <= kUmlautMaxPairs);
        FUZZ_CHECK(table.pairs.size() + table.leftOut.size() <= read.size());
        // Pairs of one character each, as the grid makes them, come back from the file. (A
        // hand-edited pair of longer texts may not: "Uab;e" reads as no pair at all.)
        QList<UmlautPair> single;
        for (const UmlautPair &p : table.pairs)
            if (p.pc.size() == 1 && p.gsm.size() == 1)
                single.append(p);
        if (!line.contains(u'\n'))
            FUZZ_CHECK(saveAndRead(single) == single);
    }

    // Keys typed into the grid: each three bytes pick a row, a column and a key.
    QList<UmlautPair> grid(kUmlautRows);
    for (size_t i = 0; i + 3 <= size; i += 3) {
        UmlautPair &row = grid[data[i] % kUmlautRows];
        const int column = data[i + 1] & 1;
        const int k = data[i + 2] == 0xFF ? -1 : data[i + 2];
        QString &cell = column == 0 ? row.pc : row.gsm;
        (void)UmlautApplyKey(cell, column, k);
        FUZZ_CHECK(cell.size() <= (column == 0 ? 1 : 3));
    }
    // A substitute cell left with one or two digits of an unfinished code is not a character;
    // the reader may take it apart, so only finished cells are compared.
    for (UmlautPair &row : grid)
        if (row.gsm.size() > 1)
            row.gsm.clear();
    const UmlautCollection typed = UmlautCollectPairs(grid);
    FUZZ_CHECK(saveAndRead(typed.pairs) == typed.pairs);

    for (int code = 0; code < 256 && size > 0; code += 1 + data[0] % 32)
        FUZZ_CHECK(UmlautCharOfCode(code).size() == 1);
    return 0;
}
