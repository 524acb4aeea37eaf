#pragma once
// SMS in PDU mode (AT+CMGF=0, 3GPP TS 23.040): the modem's stored messages as SMS-DELIVER and
// SMS-SUBMIT PDUs, and the SMS-SUBMIT that a host hands to AT+CMGS. Text on our side is
// Windows-1252; on the air it is the GSM 7-bit alphabet (3GPP TS 23.038) or UCS-2.

#include "core/Modem.h"

#include <QByteArray>
#include <QString>

namespace modemsim::pdu {

// A PDU as the modem shows it: hex digits, and the length AT+CMGR/+CMGL/+CMGS count (the
// octets after the service-centre address).
struct Encoded {
    QByteArray hex;
    int length = 0;
};

// SMS-DELIVER for a received message, SMS-SUBMIT for a stored one.
Encoded encode(const StoredSms &sms, const QByteArray &smsc);

struct Submit {
    QByteArray number;
    QByteArray text; // Windows-1252; characters it lacks become '?'
};

// Reads the SMS-SUBMIT a host sends after AT+CMGS=<length>. Fails on bad hex, a length that
// does not match, another message type or a PDU cut short.
bool decodeSubmit(const QByteArray &hex, int length, Submit *out);

// The GSM 7-bit default alphabet with its extension table. Unicode text the alphabet cannot
// carry gives false.
bool toGsm7(const QString &text, QByteArray *septets);
QString fromGsm7(const QByteArray &septets);
QByteArray pack7(const QByteArray &septets, int fillBits = 0);
QByteArray unpack7(const QByteArray &octets, int septets, int fillBits = 0);

// The line's code page.
QString fromLine(const QByteArray &bytes);
QByteArray toLine(const QString &text);

} // namespace modemsim::pdu
