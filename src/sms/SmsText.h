#pragma once
#include <QString>

#include <optional>

// The text of a received message as the read cycle files it in text mode with AT+CSDH=1: the
// header line "<oa>",[<alpha>],"<scts>",<tooa>,<fo>,<pid>,<dcs>,["<sca>"],[<tosca>],<length>
// and the line <data> below it. <data> is what 27.005 section 3.1 makes of the user data:
//   - GSM 7-bit without a user data header: the text in the TE character set (AT+CSCS);
//   - 8-bit data, UCS2, and any message with TP-UDHI set in <fo>: two hex digits per TP-UD
//     octet, the header included (for 7-bit: UDHL, header, fill bits, packed septets).
// DecodeTextModeData() turns that back into the message's text; it never fails and never
// reads past what it was given.

// The concatenation element of a user data header (23.040 9.2.3.24.1 and .8): part `sequence`
// of `total` of the long message `reference`; `wide` for the 16-bit reference of IEI 08.
struct ConcatInfo {
    int reference = 0;
    int total = 0;
    int sequence = 0;
    bool wide = false;
};

struct DecodedSms {
    // The decoded text. 8-bit data as upper-case hex digits. A UCS2 text keeps its UTF-16 units
    // as they came: a part of a long message may start or end with half a surrogate pair, which
    // the joiner puts together with the other half.
    QString text;
    // 8-bit data (also compressed text and reserved codings, which cannot be read as text).
    bool data = false;
    // 0..3 from the data coding scheme (0: flash SMS, shown at once), -1 when it names none.
    int messageClass = -1;
    // Something could not be decoded: hex with an odd digit or a character that is no hex digit,
    // a length or header that does not fit the data, a code no septet can have, an escape with
    // nothing behind it. `text` holds what could be decoded.
    bool damaged = false;
    // Present when the message is one part of a long message and the element is sound (total
    // 1..255, sequence 1..total).
    std::optional<ConcatInfo> concat;
};

// fo, dcs, length: the +CSDH=1 fields <fo>, <dcs> and <length> (TP-UDL: septets for 7-bit, a
// header counted in septets too, octets otherwise); a negative value for a field the header
// line did not carry (fo: no header, dcs: GSM 7-bit, length: taken from the data).
// charset: the TE character set the data is in ("GSM", "IRA", "8859-1", "UCS2", "HEX"; any
// other name or "" takes the text as the line brought it). data: the <data> line as filed,
// without its CR LF.
DecodedSms DecodeTextModeData(int fo, int dcs, int length, const QString &charset, const QString &data);

// The text of a message shown on its own: "[Flash-SMS] " before a class 0 message, "[Daten] "
// before data, " [Rest nicht lesbar]" behind a damaged one; half a surrogate pair shown as
// U+FFFD.
QString ShownText(const DecodedSms &sms);

// The marks the single and the joined rows share.
inline const QString kFlashMark = QStringLiteral("[Flash-SMS] ");
inline const QString kDataMark = QStringLiteral("[Daten] ");
inline const QString kDamagedMark = QStringLiteral(" [Rest nicht lesbar]");

// Whether a data coding scheme names the GSM 7-bit default alphabet (23.038 clause 4), the one
// coding text mode shows in the TE character set when no header comes with it (27.005 3.1).
bool IsSeptetCoding(int dcs);

// `text` with every lone surrogate replaced by U+FFFD, for display.
QString WithoutLoneSurrogates(const QString &text);

// The tables the decoder reads by, for the coder of outgoing texts: the default alphabet's
// character of a septet (0..127), and the extension table's character of the septet behind an
// escape, 0 where the table has none (23.038 6.2.1, 6.2.1.1).
char16_t GsmDefaultCharacter(int septet);
char16_t GsmExtensionCharacter(int septet);
