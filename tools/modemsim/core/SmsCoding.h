#pragma once
// The coding of a short message's text as the network carries it (3GPP TS 23.038 and the user
// data of TS 23.040): the GSM 7-bit default alphabet with its extension table, UCS2, 8-bit data,
// and the user data header that links the parts of a long message. Pure functions; the
// simulated modem codes its messages with them and nothing else.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace modemsim::coding {

enum class Alphabet { Gsm7, Data8, Ucs2 };

// TP-DCS of the general data coding group (no message class, not compressed).
quint8 dcsOf(Alphabet alphabet);
// The alphabet a TP-DCS names (23.038 clause 4). Compressed text and reserved alphabets cannot
// be read as text here: they count as 8-bit data.
Alphabet alphabetOf(quint8 dcs);

// GSM 7-bit default alphabet: one septet a byte, an extension character as 0x1B and its code.
// Fails on a character the alphabet lacks.
bool toGsm7(const QString &text, QByteArray *septets);
QString fromGsm7(const QByteArray &septets);
// Septets the text takes (extension characters count two); -1 when it does not fit.
int gsm7Length(const QString &text);
// Septets packed into octets, the first one after fillBits zero bits (after a user data header).
QByteArray pack7(const QByteArray &septets, int fillBits = 0);
QByteArray unpack7(const QByteArray &octets, int septets, int fillBits = 0);

// UCS2 as SMS carries it: UTF-16 big-endian, a character beyond the basic plane (an emoji) as
// its surrogate pair. An odd last octet is dropped.
QByteArray toUcs2(const QString &text);
QString fromUcs2(const QByteArray &octets);

// Information element of a concatenated message: IEI 00 (8-bit reference) or 08 (16-bit).
struct Concat {
    int reference = 0;
    int total = 1;
    int sequence = 1;
    bool wide = false; // 16-bit reference
    friend bool operator==(const Concat &, const Concat &) = default;
};
QByteArray concatElement(const Concat &c);
// The concatenation element among a header's elements; nothing when there is none or the
// header is malformed (an element running past the end, a total or sequence of 0).
std::optional<Concat> findConcat(const QByteArray &header);

// TP-User-Data as it travels: the coding, the header's elements and the body.
struct UserData {
    quint8 dcs = 0x00;
    QByteArray header; // the information elements of the TP-UDH, without its length octet
    QByteArray body;   // GSM 7-bit: one septet a byte; 8-bit and UCS2: the octets
    Alphabet alphabet() const { return alphabetOf(dcs); }
    bool hasHeader() const { return !header.isEmpty(); }
    // TP-UDL: septets for the 7-bit alphabet (the header and its fill bits counted as septets),
    // octets otherwise.
    int length() const;
    // The TP-UD octets: header length, header, body (7-bit packed behind the header's fill bits).
    QByteArray octets() const;
    friend bool operator==(const UserData &, const UserData &) = default;
};

// Reads TP-UD: fails when the length does not fit the octets or the 140 octets of one message,
// or the header does not fit the data.
bool decodeUserData(quint8 dcs, bool headerIndicated, int length, const QByteArray &octets, UserData *out);

// The text of the body: GSM 7-bit and UCS2 decoded; 8-bit data as one character per octet
// (U+0000 to U+00FF).
QString textOf(const UserData &ud);

// GSM 7-bit when every character fits the alphabet, else UCS2.
Alphabet alphabetFor(const QString &text);

// The parts a network delivers a text in: one without a header when it fits one message, else
// parts of 153 septets or 67 characters (152 and 66 with a 16-bit reference), each with its
// concatenation header. An extension character's escape and a surrogate pair stay in one part.
// For Data8 each character of the text stands for one octet (U+0000 to U+00FF). Nothing when the
// text needs more than 255 parts or a character does not fit the alphabet.
QList<UserData> split(const QString &text, Alphabet alphabet, int reference, bool wideReference);

} // namespace modemsim::coding
