#pragma once
#include <QString>

// Checks for user text before it goes into an AT command line.

// True for a printable character that Windows-1252, the code page of the serial line and of the
// files, can carry: U+0020..U+007E, U+00A0..U+00FF and the 27 characters the code page puts at
// 0x80..0x9F (€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž ‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ). Control characters are false.
bool IsWindows1252Printable(QChar c);

// For a value the program puts between double quotes (number, PIN, service centre, phonebook
// name and number). A quote would end the string early, CR ends the command line, and ";" chains
// a further command onto the line, so no modem's parser, strict or loose, may be handed one from
// the user. Characters the code page cannot carry would reach the modem as "?". An empty text is
// safe (length rules belong to the caller).
bool IsSafeQuotedParameter(const QString &text);

// For the text of a message sent after the "> " prompt of AT+CMGS: Ctrl-Z (26) ends the text and
// sends it, ESC (27) cancels it, so neither may come from the user. CR and LF are fine.
bool IsSafeMessageBody(const QString &text);

extern const QString kUnsafeParameterMessage;
extern const QString kUnsafeBodyMessage;
