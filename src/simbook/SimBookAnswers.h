#pragma once
#include <QString>

// What goes to the modem for the SIM phonebook and what is read out of its answers. The answers
// are taken in the form the terminal has given them: every LF removed, then an LF put after every
// CR, so lines end in CR LF.

// One location as the grid shows it.
struct SimBookEntry {
    QString index;
    QString number;
    QString text;
    friend bool operator==(const SimBookEntry &, const SimBookEntry &) = default;
};

// AT+CPBR=<i>,<i> -> CR LF +CPBR: <index>,"<number>",<type>,"<text>" CR LF CR LF OK CR LF
// Only the first "+CPBR:" line counts: the index after the ":", then the number and the type up
// to their commas, and the text as the rest of the line, so a comma in the name stays in it.
// Quotes become blanks and blanks around each field go. An answer without such a line (an empty
// location answers OK alone), or a line without a comma, gives an empty entry; so does the echo
// of the command line, which holds a comma of its own and would otherwise shift every field.
SimBookEntry CpbrEntry(const QString &answer);

// The read line for location i: "AT+CPBR= 7, 7" (each number with its blank in front).
QString CpbrCommand(int location);

// The number of locations to read from the text of the count field: its leading number, rounded
// to a whole number with halves to the even neighbour ("2.5" -> 2, "3.5" -> 4). Nothing usable
// ("", "abc", "0", negative) gives 0; more than kSimReadMax gives kSimReadMax.
int SimReadCount(const QString &text);
inline constexpr int kSimReadMax = 32766;

// The type of number for AT+CPBW: 145 (international) when the number begins with "+", else 129.
int CpbwType(const QString &number);

// The write line for one row: AT+CPBW=<location>,"<number>",<type>,"<name>". Location 0 is left
// out (AT+CPBW=,...), so the modem takes the first free one. Number and name go in quotes, as
// 27.007 defines them; a name with a comma is then one parameter. The caller has made sure with
// SimEntryIsSendable that neither can end its quote or the command line.
QString CpbwCommand(const QString &number, const QString &name, int location = 0);

// AT+CPBW=<location> with nothing after it: the modem clears that location.
QString CpbwClearCommand(int location);

// Whether a name and number can go between quotes on the command line: no double quote, no CR,
// LF or other control character, no ";" and nothing the line's code page cannot carry.
bool SimEntryIsSendable(const QString &name, const QString &number);
