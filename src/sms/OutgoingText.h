#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The coding and the splitting of a text to be sent (3GPP TS 23.038, 23.040). A text whose every
// character the GSM 7-bit default alphabet or its extension table holds goes in septets; any
// other text in UCS2, where a character beyond the basic plane is its surrogate pair. A text too
// long for one message goes as a concatenated message in parts of 153 septets or 67 UCS2 units
// (the user data header of an 8-bit reference takes 6 octets, 7 septets with its fill bit).

enum class SmsCoding { Gsm7, Ucs2 };

inline constexpr int kGsmSingle = 160;
inline constexpr int kGsmPart = 153;
inline constexpr int kUcs2Single = 70;
inline constexpr int kUcs2Part = 67;
// How many parts a message may have unless the settings say otherwise: many networks and
// phones join no more than about ten.
inline constexpr int kDefaultMaxParts = 10;
// An 8-bit reference counts the parts in one octet.
inline constexpr int kMostParts = 255;

// The septets a character takes: 1 in the default alphabet, 2 in the extension table (the
// escape and its code), 0 when neither holds it.
int GsmSeptetsOf(QChar c);
bool FitsGsmAlphabet(QStringView text);
SmsCoding ChooseCoding(QStringView text);
// Septets (GSM) or UTF-16 units (UCS2) the text takes.
int CodedLength(QStringView text, SmsCoding coding);

// The text as septets, one per byte, an extension character as 0x1B and its code. A character
// the alphabet lacks is left out: callers code only texts that fit.
QByteArray GsmSeptets(QStringView text);
// Septets packed seven bits each, the first in the low bits of the first octet, behind
// `fillBits` zero bits (23.038 6.1.2.1.1; the fill bits follow a user data header).
QByteArray PackSeptets(const QByteArray &septets, int fillBits = 0);
// The text as big-endian UTF-16 units.
QByteArray Ucs2Octets(QStringView text);

// The pieces the text goes in: the whole text when it fits one message (160 septets, 70
// units), else parts of at most 153 septets or 67 units. No part ends between an escape and
// its code or between the halves of a surrogate pair. An empty text is one empty piece.
QStringList SplitForSms(QStringView text, SmsCoding coding);

// How a message goes to the modem.
enum class SendRoute {
    TextMode, // AT+CMGS="<number>", the text after the prompt, as the program always sent
    Pdu,      // AT+CMGF=0, AT+CMGS=<length> with an SMS-SUBMIT per part, AT+CMGF=1
};

// What the send window shows while the text is typed, and what goes out.
struct OutgoingPlan {
    QString text; // as it is coded: blanks at the ends trimmed, line breaks as the route sends them
    SmsCoding coding = SmsCoding::Gsm7;
    SendRoute route = SendRoute::TextMode;
    QStringList parts;
    int used = 0; // septets or units of the whole text
    int left = 0; // room left in the last part before another part begins
    int maxParts = kDefaultMaxParts;
    bool tooLong() const { return parts.size() > maxParts; }
};

// The plan for the text of the send window (line breaks as LF, as the text box gives them).
// The text-mode route keeps the texts the program has always sent that way: one part, no
// status report asked for, only printable ASCII (without the backquote, which the GSM alphabet
// lacks), CR LF and the seven letters of the substitution table (Ä Ö Ü ä ö ü ß), which the
// modem's character set handles as it always did. Every other text is coded here and goes in
// PDU mode, where the modem's character set plays no part. Line breaks are CR LF in text mode,
// as before, and LF in a coded message, as phones write them.
OutgoingPlan PlanOutgoing(const QString &typed, bool statusReport, int maxParts = kDefaultMaxParts);

// The counter under the text box in two lines, so that it keeps its height as the figures grow,
// "61 Zeichen, 99 frei" and "1 Teil, GSM", and what a screen reader says of it, "Länge: 61
// Zeichen, noch 99 frei, 1 Teil, Kodierung GSM"; for a text too long (the box turns red),
// "1531 Zeichen, 11 Teile" and "GSM, höchstens 10 Teile".
QString CounterText(const OutgoingPlan &plan);
QString CounterSpoken(const OutgoingPlan &plan);

// Why the text cannot go, in German, or "" when it can: control characters other than line
// breaks, half a surrogate pair, more parts than allowed.
QString TextRefusal(const QString &typed, const OutgoingPlan &plan);

// The number as it goes into the message: blanks, '-', '/', '(' and ')' that people write in
// numbers taken out. Empty when what is left is no number: a '+' at most at the front, then
// 1 to 20 digits (the most an address field holds).
QString DialledNumber(const QString &typed);
