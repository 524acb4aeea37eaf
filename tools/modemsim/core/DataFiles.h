#pragma once
// The simulator's small text files: preloaded messages, phonebook entries, injected events and
// the outbox. One record a line, fields separated by tabs; '#' starts a comment line. Inside a
// field \\ \t \r \n and \xHH stand for a backslash, tab, CR, LF and any byte; all other bytes
// are taken as they stand. The line carries Windows-1252: a file in UTF-8 (recognised by its
// byte-order mark or by being valid UTF-8 with non-ASCII characters) is converted to it.

#include "core/Modem.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace modemsim {

// Messages file, one message a line, either
//   slot <TAB> status <TAB> number <TAB> timestamp <TAB> text
// (an empty slot: the first free one; an empty status: REC UNREAD; an empty timestamp: now)
// or the short form
//   number <TAB> text
struct MessageRecord {
    int slot = 0;
    StoredSms sms;
};

// Phonebook file, one entry a line, either
//   index <TAB> number <TAB> type <TAB> name
// (an empty index: the first free location; an empty type: 145 for a number with '+', else 129)
// or the short form
//   number <TAB> name
struct PhoneRecord {
    int index = 0;
    PhoneEntry entry;
};

// Lines of an injection file or of the control FIFO: a message line as in the messages file,
// "ring" for an incoming call (RING), or "urc " and any line the modem shall send unsolicited.
struct ControlRecord {
    enum Kind { Message, Unsolicited } kind = Message;
    MessageRecord message;
    QByteArray line; // Unsolicited: the line without CR LF
};

bool parseMessages(const QByteArray &data, QList<MessageRecord> *out, QString *error = nullptr);
bool parsePhonebook(const QByteArray &data, QList<PhoneRecord> *out, QString *error = nullptr);
bool parseControl(const QByteArray &data, QList<ControlRecord> *out, QString *error = nullptr);

bool loadMessages(const QString &file, QList<MessageRecord> *out, QString *error = nullptr);
bool loadPhonebook(const QString &file, QList<PhoneRecord> *out, QString *error = nullptr);
// Read the file and store its records in the modem (messages in the "SM" storage, entries in
// the "SM" phonebook). Nothing is stored when the file has an error or does not fit.
bool loadMessages(const QString &file, Modem &modem, QString *error = nullptr);
bool loadPhonebook(const QString &file, Modem &modem, QString *error = nullptr);

// Store parsed records; fails (storing nothing) when a record does not fit.
bool storeMessages(const QList<MessageRecord> &records, Modem &modem, QString *error = nullptr);
bool storePhonebook(const QList<PhoneRecord> &records, Modem &modem, QString *error = nullptr);

// Backslash escapes for a field of our text files: \\ \t \r \n and \xhh for other control
// bytes. The transcript also escapes the double quote and every byte from 0x7f up, so each
// record stays plain ASCII between its quotes.
enum class Escape { Field, Transcript };
QByteArray escapeField(const QByteArray &bytes, Escape style = Escape::Field);
bool unescapeField(const QByteArray &field, QByteArray *out);

// One line of the outbox file: number, TAB, text, LF. The text keeps its bytes; only a
// backslash, CR and LF are escaped, so that a message of several lines stays one record.
QByteArray outboxLine(const SentSms &sms);
// The outbox line of a message that reached its recipient. Sent in text mode: as above. Sent in
// PDU mode: number, TAB, the decoded text in UTF-8 (a backslash, TAB, CR and LF escaped), TAB,
// "pdu <parts>" ("pdu <parts> 8-bit" for data, the text then being its octets in hex), LF.
QByteArray outboxLine(const Arrival &arrival);

// The time stamp a message gets when it arrives now: "yy/MM/dd,hh:mm:ss+zz", the zone in
// quarter hours.
QByteArray currentTimestamp();
bool isTimestamp(const QByteArray &text);

} // namespace modemsim
