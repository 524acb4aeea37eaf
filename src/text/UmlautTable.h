#pragma once
#include <QList>
#include <QString>

// The user's table of special characters: pairs of a character typed on the PC and the character
// that is to stand for it in an SMS. Stored as one line "U" pc ";" gsm ";" pc ";" gsm ... in
// Umlaut.ini (Windows-1252, CR LF); an empty table is the line "U" alone.

struct UmlautPair {
    QString pc;
    QString gsm;
    bool operator==(const UmlautPair &) const = default;
};

// Grid rows 1 .. 24 hold pairs; the file keeps at most 11 of them.
inline constexpr int kUmlautRows = 24;
inline constexpr int kUmlautMaxPairs = 11;

enum class UmlautLineKind { Empty, Refused, Bare, Pairs };

// What a line of the file is: skipped when empty, refused when it does not begin with "U", a bare
// "U" (an empty table, changes nothing), or pairs.
UmlautLineKind UmlautClassifyLine(const QString &line);

// The pairs of a line beginning with "U", for grid rows 1, 2, ... in order. Pairs are cut with
// TokenSemicolon (blanks trimmed); the substitute of the last pair is the untrimmed rest of the
// line. A line with more pairs than the grid's 24 rows loses the surplus, and a rest without any
// ";" ends the cutting, so a damaged line cannot keep the reader going round.
QList<UmlautPair> UmlautPairsFromLine(const QString &line);

// A PC character is one printable character: a control character (DEL, for instance, which the
// Delete key types) can neither be typed into the table nor saved or loaded with it.
bool UmlautIsControl(const QString &pc);

// The grid rows a file's lines fill (rows[0] is grid row 1, always kUmlautRows of them), and the
// numbers (from 1) of the lines passed over: lines that do not begin with "U", and lines with a
// control character for a PC character, whose pair is left out.
struct UmlautLoaded {
    QList<UmlautPair> rows;
    QList<int> badLines;
};
UmlautLoaded UmlautLoadLines(const QStringList &lines);

// The one box for every line passed over: "String nicht interpretierbar", then how many lines
// and the first few of their numbers.
QString UmlautBadLinesText(const QList<int> &badLines);

// The file holds one short line; a larger one is not this table, and is never read whole.
inline constexpr qint64 kUmlautFileBound = 64 * 1024;

// Reads the table file. A missing file (or folder) gives an empty table and no message. A file
// that is not a regular file (a device, a pipe, a folder, a link to one of those), one larger
// than kUmlautFileBound, or one that cannot be read is not read at all; *refusal then holds the
// German message. True when lines were read.
bool UmlautReadFile(const QString &path, QStringList &lines, QString *refusal);

// The line that stores the pairs: "U" and the pairs joined by ";", without ";" after the last.
QString UmlautLineFromPairs(const QList<UmlautPair> &pairs);

struct UmlautCollection {
    QList<UmlautPair> pairs; // the first 11 complete pairs, blanks trimmed, in row order
    QList<int> leftOut;      // grid rows of further complete pairs, which the file cannot take
};

// The complete pairs of the grid rows (rows[0] is grid row 1). A row with only one filled cell
// (after trimming blanks), or with a control character for its PC character, is no pair and is
// passed over.
UmlautCollection UmlautCollectPairs(const QList<UmlautPair> &rows);

enum class UmlautKey {
    Ignored,           // the cell is unchanged
    Changed,           // the cell text changed
    RefusedSubstitute, // three digits gave a code the file cannot store; the cell was emptied
    RefusedSeparator,  // ";" typed as a PC character; the cell is unchanged
};

// One key typed into a cell of the grid, by its Windows-1252 code k (8 for backspace, -1 for a
// character the code page does not have).
//  - "%" (37) and "\" (92) are ignored.
//  - Digits only in column 1: up to three are collected; three make the character of that code
//    below 254, and 254 or more empty the cell. A cell that already holds other text reads as 0.
//  - 33 .. 253 other than digits: only in column 0, and only into an empty cell; DEL (127) and the
//    control characters at the code page's unused places are ignored.
//  - Backspace removes the last character in either column.
// The file separates its fields by ";" and its lines by CR LF, and trims blanks around fields, so
// a substitute of code 10, 13, 32 or 59, or a PC character ";", would not come back as it was
// typed: those are refused.
UmlautKey UmlautApplyKey(QString &cell, int column, int k);

// The character a three-digit substitute code stands for, in the code page of the line.
QString UmlautCharOfCode(int code);
