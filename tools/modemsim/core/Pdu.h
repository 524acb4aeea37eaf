#pragma once
// SMS in PDU mode (AT+CMGF=0, 3GPP TS 23.040 and 27.005): the TPDUs a modem shows and takes,
// SMS-DELIVER, SMS-SUBMIT and SMS-STATUS-REPORT, each behind its service-centre address, in hex.

#include "core/SmsCoding.h"

#include <QByteArray>
#include <QString>

namespace modemsim::pdu {

// Address fields. A number is digits (with '*', '#') after an optional '+' (type 145, else
// 129), or the alphanumeric name of a sender such as a bank (GSM 7-bit, type 208). The length
// counts digits (TP-OA, TP-DA, TP-RA) or, for the service centre, octets.
QByteArray encodeAddress(const QByteArray &number, bool lengthInOctets = false);
bool decodeAddress(const QByteArray &octets, int *pos, bool lengthInOctets, QByteArray *number);
int typeOfNumber(const QByteArray &number); // 145, 129 or 208

// TP-SCTS and TP-DT: "yy/MM/dd,hh:mm:ss+zz" (the zone in quarter hours) as seven semi-octet
// pairs. Fails on a text of another form or a field that is not two decimal digits.
bool encodeTimestamp(const QByteArray &stamp, QByteArray *octets);
bool decodeTimestamp(const QByteArray &octets, QByteArray *stamp);

struct Deliver {
    QByteArray originator;
    quint8 pid = 0;
    QByteArray timestamp; // TP-SCTS
    coding::UserData ud;
    bool moreMessages = false;     // TP-MMS 0: the centre has more for this modem
    bool reportIndication = false; // TP-SRI
    bool replyPath = false;
    friend bool operator==(const Deliver &, const Deliver &) = default;
};

struct Submit {
    int reference = 0; // TP-MR
    QByteArray destination;
    quint8 pid = 0;
    int validityFormat = 0; // TP-VPF: 0 none, 2 relative (one octet), 1 enhanced and 3 absolute (seven)
    QByteArray validity;
    coding::UserData ud;
    bool reportRequest = false; // TP-SRR
    bool rejectDuplicates = false;
    bool replyPath = false;
    friend bool operator==(const Submit &, const Submit &) = default;
};

// TP-ST values (23.040 9.2.3.15).
enum : quint8 {
    kDelivered = 0x00,         // short message received by the SME
    kPendingCongestion = 0x20, // temporary error, the centre still trying
    kFailedRemote = 0x40,      // permanent error: remote procedure error
};

struct StatusReport {
    int reference = 0;    // TP-MR of the submitted message
    QByteArray recipient; // TP-RA
    QByteArray timestamp; // TP-SCTS: when the centre took the message
    QByteArray discharge; // TP-DT: when the status was reached
    quint8 status = kDelivered;
    bool moreMessages = false;
    friend bool operator==(const StatusReport &, const StatusReport &) = default;
};

// The TPDU octets. A time stamp not of the form above is sent as seven zero octets.
QByteArray encodeDeliver(const Deliver &d);
bool decodeDeliver(const QByteArray &tpdu, Deliver *out);
QByteArray encodeSubmit(const Submit &s);
bool decodeSubmit(const QByteArray &tpdu, Submit *out);
QByteArray encodeStatusReport(const StatusReport &r);
bool decodeStatusReport(const QByteArray &tpdu, StatusReport *out);
// The message type a TPDU's first octet names (TP-MTI): 0 DELIVER, 1 SUBMIT, 2 STATUS-REPORT.
int messageType(const QByteArray &tpdu);

// A PDU as +CMGR, +CMGL, +CMT, +CDS show it and +CMGS takes it: the service-centre address
// (a lone 00 when there is none), then the TPDU.
QByteArray withCentre(const QByteArray &smsc, const QByteArray &tpdu);
bool splitCentre(const QByteArray &pdu, QByteArray *smsc, QByteArray *tpdu);

// Hex as the modem writes it (upper case), and strict reading of it.
QByteArray toHex(const QByteArray &octets);
bool fromHex(const QByteArray &hex, QByteArray *octets);

} // namespace modemsim::pdu
