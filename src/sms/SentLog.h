#pragma once
#include "sms/OutgoingText.h"
#include "sms/SendAnswers.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The record of sent messages: the file "gesendet.txt" in the work folder, beside the SMS data
// files. It is only ever appended to, one record a line, and each record is on the disk
// (synced) before the modem is asked for the next step, so that after a crash or a pulled cable
// the file still says which parts went out. UTF-8 (a sent text may hold any character), lines
// end in CR LF, fields are separated by a TAB; in text fields a backslash, TAB, CR, LF and
// other control characters are written \\ \t \r \n \xHH. Lines beginning with '#' are comments.
//
//   M <id> <time> <number> <name> <coding> <parts> <report> <route> <text>
//       a message begins: coding GSM or UCS2, report 1 when a status report was asked for,
//       route text or pdu
//   T <id> <part> <time>                    the part is handed to the modem now
//   S <id> <part> <time> <reference>        the modem took it: +CMGS: <reference>
//   F <id> <part> <time> <reason>           the modem refused it; no later part went out
//   U <id> <part> <time> <reason>           no answer: whether it went out is not known
//   R <time> <id> <part> <reference> <recipient> <type> <status> <scts> <discharge>
//       a status report, for that part, or with id and part "-" for a report that belongs to
//       no message sent from here
//
// Times are the computer's local time, "yyyy-MM-dd HH:mm:ss". A part with a T and nothing
// after it was being sent when the program ended: it may or may not have gone out.

inline const QString kSentLogName = QStringLiteral("gesendet.txt");

enum class PartState {
    NotSent,    // never handed to the modem
    Submitting, // handed over, no answer recorded
    Sent,       // +CMGS answered
    Refused,
    Uncertain, // no answer came
};

struct SentPart {
    PartState state = PartState::NotSent;
    int reference = -1;
    QString at;     // when the modem answered
    QString reason; // Refused, Uncertain
    // The status report that tells most: a final one is not replaced by a later "pending".
    int reportStatus = -1;
    QString reportTime; // the report's discharge time, "yy/MM/dd,hh:mm:ss+zz"
};

struct SentMessage {
    int id = 0;
    QString at; // when the send began
    QString number;
    QString name;
    SmsCoding coding = SmsCoding::Gsm7;
    SendRoute route = SendRoute::TextMode;
    bool report = false;
    QString text;
    QList<SentPart> parts;
};

struct UnknownReport {
    QString seen; // when it came
    StatusReport report;
};

struct SentLog {
    QList<SentMessage> messages; // in the order they were begun
    QList<UnknownReport> unknown;
    int badLines = 0;
    QHash<int, qsizetype> byId; // message id -> index in `messages`
    int nextId() const;
};

// The record lines, without their line end.
QString SentBeginLine(const SentMessage &m);
// kind 'T', 'S', 'F' or 'U'; `detail` the reference or the reason (none for 'T').
QString SentPartLine(char kind, int id, int part, const QString &at, const QString &detail = {});
// id 0 for a report of no known message.
QString SentReportLine(const QString &seen, int id, int part, const StatusReport &r);

// Applies one line; a line that is no sound record only counts in badLines.
void ApplySentLine(SentLog &log, QStringView line);
// The whole file. A last line without its line end (a write the end of the program cut short)
// is left out.
SentLog ParseSentLog(const QByteArray &bytes);

// The part a status report belongs to: a part the modem took with that reference, of a
// message that asked for a report, to the same recipient, without a final report yet; of
// several (the reference counts round after 256 messages), the one sent last. Nothing when
// no part fits: the report is kept as one of no known message.
struct PartRef {
    qsizetype message = -1;
    qsizetype part = -1;
};
std::optional<PartRef> MatchReport(const SentLog &log, const StatusReport &r);
// Records the report on the part (a final outcome is not replaced by "pending").
void ApplyReport(SentPart &part, const StatusReport &r);

enum class MessageState {
    Sending,     // the send runs now
    Sent,        // every part taken by the modem, no report (yet)
    Delivered,   // every part reported delivered
    Pending,     // a report says the centre still tries
    Failed,      // refused, or a report says it failed
    Interrupted, // the send ended before every part went out (a crash, no answer)
};
MessageState StateOf(const SentMessage &m, bool sending = false);
// What the archive shows: "gesendet", "zugestellt 12.05.24 13:04:10", "ausstehend …",
// "fehlgeschlagen …", "unterbrochen: 2 von 5 Teilen gesendet, 1 ungewiss", "wird gesendet".
QString SentStateText(const SentMessage &m, bool sending = false);
// Part by part, for the tool tip: "Teil 1: gesendet (Referenz 4), zugestellt 12.05.24 13:04:10".
QString SentPartsText(const SentMessage &m);

// Text fields in the file.
QString EscapeSentField(const QString &text);
QString UnescapeSentField(QStringView field);
