#pragma once
#include <QString>

// Cutting of modem answers and file lines, field by field.
//
// TokenLine, TokenComma and TokenSemicolon share one rule: they return the first field of the
// caller's text, blanks (32 only) trimmed, and cut it away together with the first character of
// the separator, so the caller calls them again and again on the same variable. Callers rely on
// the rule's corners:
//  - TokenLine's separator is CR LF, but only the CR goes: the rest starts with the LF, so the
//    next field begins with LF (StripQuotes removes it), and a rest of one lone LF is consumed.
//  - A last field with no separator after it is never returned: the call gives "" and leaves the
//    text as it was, so the caller takes that field from the variable itself.
//  - A text of one character is emptied and gives "", whatever the character.
//  - A text that begins with the separator gives "" and loses its first character.
QString TokenLine(QString &text);
QString TokenComma(QString &text);
QString TokenSemicolon(QString &text);

// Cleans a field: double quotes become blanks, blanks are trimmed, then leading CR and LF are
// removed (blanks behind them stay, line ends at the back stay). The result is also stored back.
QString StripQuotes(QString &text);

// Replaces Ä Ö Ü ä ö ü ß in place by the fixed substitutes 219, 220, 222, 251, 252, 254 and 253
// (bytes 0xDB 0xDC 0xDE 0xFB 0xFC 0xFE 0xFD on the line); nothing else is touched. This table is
// fixed: the user's editable substitution table does not apply here. The length never changes;
// the result is also the caller's variable.
QString UmlautReplace(QString &text);

// Leading number of a text: leading blanks skipped, an optional sign, digits with at most one
// decimal point, up to the first other character. No digits give 0. A run of digits too long
// for a double gives plus or minus infinity, so check the range before converting to an integer.
double LeadingNumber(const QString &text);

// A number as it goes into a command or status text: decimal, with one leading blank in the
// sign position when it is not negative (3 -> " 3", -3 -> "-3").
QString NumberText(long long n);
