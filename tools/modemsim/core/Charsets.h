#pragma once
// Text between the modem and the host: the line's code page and the TE character sets of
// AT+CSCS (3GPP TS 27.007 clause 5.5; 27.005 annex A for converting message text).

#include <QByteArray>
#include <QString>

#include <optional>

namespace modemsim::te {

// The line's code page, Windows-1252: what the simulator has always passed for "IRA" (the
// program on the other end reads it so). A character it lacks becomes '?'.
QString fromLine(const QByteArray &bytes);
QByteArray toLine(const QString &text);

enum class Charset {
    Gsm,    // "GSM": the 7-bit default alphabet, one byte a septet (extension: 0x1B and the code)
    Ira,    // "IRA": the line's code page, as before
    Latin1, // "8859-1"
    Pc437,  // "PCCP437"
    Ucs2,   // "UCS2": four hex digits per UTF-16 unit
    Hex,    // "HEX": two hex digits per septet of the default alphabet, no conversion
};

// By +CSCS name (case ignored, without quotes); nothing for a name not listed above.
std::optional<Charset> charsetNamed(const QByteArray &name);
QByteArray charsetName(Charset cs);
// The sets that show each character as it is, one byte a character, so that a message stored
// as bytes passes unchanged.
bool passesBytes(Charset cs);

// Text as the host sees it in the set. A character the set lacks becomes '?'.
QByteArray toTe(const QString &text, Charset cs);
// The host's bytes back to text; fails on hex of the wrong length or with a non-hex digit.
bool fromTe(const QByteArray &bytes, Charset cs, QString *text);

} // namespace modemsim::te
