#pragma once
#include "sms/OutgoingText.h"

#include <QByteArray>
#include <QList>
#include <QString>

// SMS-SUBMIT PDUs for AT+CMGS in PDU mode (27.005 3.5.1, 23.040 9.2.2.2): the service centre
// field 00 (the modem takes the centre set with AT+CSCA), TP-MR 00 (the modem gives the
// reference, which +CMGS answers), the destination, TP-PID 00, the data coding scheme (00 for
// the 7-bit alphabet, 08 for UCS2), a relative validity period of 24 hours (A7, as the modem's
// text mode sets it) and the user data, a concatenation header with an 8-bit reference (IEI 00)
// in front of every part of a long message.

// The user data of one piece: the octets and TP-UDL (septets for the 7-bit alphabet, the
// header's counted in septets; octets for UCS2). `total` 1 means a message of one part, sent
// without a header.
struct UserData {
    QByteArray octets;
    int length = 0;
    bool header = false;
};
UserData PartUserData(SmsCoding coding, const QString &piece, int reference, int total, int sequence);

// The address field of the destination (23.040 9.1.2.5): the number of digits, the type of
// number (145 international for a leading '+', else 129 unknown) and the digits in swapped
// semi-octets, F-filled. `number` is digits behind an optional '+' (see DialledNumber).
QByteArray DestinationField(const QString &number);

struct SubmitPdu {
    QString hex;    // the whole PDU, service centre field included, upper-case hex
    int length = 0; // the octets behind the service centre field: the <length> of AT+CMGS
};

// One PDU per piece, in order. `statusReport` sets TP-SRR; `reference` (0..255) ties the parts
// of a long message together.
QList<SubmitPdu> BuildSubmitPdus(const QString &number, SmsCoding coding, const QStringList &pieces, bool statusReport,
                                 int reference);
