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

// Messages of today. The messages file and the inject interface take UTF-8 text (a file that
// is not UTF-8 is read as Windows-1252, as before); besides the escapes above a field may hold
// \uXXXX and \UXXXXXXXX for any character, and \xHH is the Windows-1252 character HH. A message
// line may begin with a field of options in square brackets:
//   [ucs2 ref16 ref=300 parts=3,1 later=3:120]<TAB>+4917012345678<TAB>a long text ...
//   gsm7, ucs2, 8bit       the coding (default: GSM 7-bit when every character fits, else UCS2;
//                          8bit: each character of the text, \xHH among them, is one octet)
//   ref8, ref16            the concatenation reference's size; ref=N its value
//   parts=P,P,...          the parts that arrive, in this order (those left out never come)
//   later=P:S[,P:S]        part P comes S seconds after the others (inject only)
// A line that cannot be read is left out and named; the others count.
struct LineProblem {
    int line = 0;
    QString text;
};

struct FileEntry {
    int line = 0;
    enum Kind { Message, Unsolicited } kind = Message;
    Incoming message;
    QByteArray urc; // Unsolicited: the line without CR LF
};

// A messages file: message lines only.
QList<FileEntry> readMessageFile(const QByteArray &data, QList<LineProblem> *problems);
// An inject file or FIFO line: message lines, "ring" and "urc TEXT".
QList<FileEntry> readControlFile(const QByteArray &data, QList<LineProblem> *problems);
// "FILE, line N: what is wrong"
QString problemText(const QString &origin, const LineProblem &problem);
// Reads the messages file into the modem's receive storage; a message that cannot be read or
// does not fit is named in problems, the rest are stored. Fails only when the file cannot be read.
bool loadMessageFile(const QString &file, Modem &modem, QList<LineProblem> *problems, QString *error);

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
