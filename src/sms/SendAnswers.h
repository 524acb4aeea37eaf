#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// What sending and its status reports take out of the modem's answers. Answers as the terminal
// gives them back (lines end in CR LF) or single lines without their CR LF; none of the
// functions fails.

// AT+CMGS -> +CMGS: <mr> (27.005 3.5.1, the same in text and PDU mode; a modem may add
// ,<scts>): the message reference, 0..255. Nothing without a sound one.
std::optional<int> CmgsReference(const QString &answer);

// Why the modem refused: a usual +CMS ERROR (27.005 3.2.5) by its number or its verbose text
// (AT+CMEE=2) in German, the modem's own line behind it in parentheses ("Nummer nicht vergeben
// (+CMS ERROR: 1)"); any other error line as it is ("ERROR", "+CMS ERROR: 999"). "" when the
// answer holds no error.
QString SendErrorText(const QString &answer);

// A status report (23.040 9.2.2.3) as text mode shows it or as read from its PDU.
struct StatusReport {
    int firstOctet = 0;
    int reference = -1; // TP-MR of the message it reports on
    QString recipient;  // with a leading '+' when the type of number is international
    int typeOfNumber = 0;
    QString scts;          // when the centre took the message, "yy/MM/dd,hh:mm:ss+zz"
    QString dischargeTime; // when it was delivered, or last tried
    int status = -1;       // TP-ST
    bool operator==(const StatusReport &) const = default;
};

// +CDS: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st> (27.005 3.4.1, text mode).
std::optional<StatusReport> CdsTextReport(QStringView line);
// +CDS: <length> (PDU mode): the length; the PDU follows on the next line.
std::optional<int> CdsPduLength(QStringView line);
// The PDU line of a +CDS or of +CMGR in PDU mode: the service centre's address (which some
// modems leave out) and the SMS-STATUS-REPORT of `length` octets (-1: not known).
std::optional<StatusReport> StatusReportPdu(QStringView hex, int length = -1);
// A report read from the storage "SR" in text mode:
//   +CMGR: <stat>,<fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>
//   +CMGL: <index>,<stat>,<fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>
std::optional<StatusReport> StoredReport(QStringView line);

// What a report's TP-ST says (23.040 9.2.3.15): 0x00..0x1F the message is delivered (or handed
// on), 0x20..0x3F the centre still tries, 0x40..0x7F it has given up.
enum class ReportOutcome { Delivered, Pending, Failed };
ReportOutcome ReportOutcomeOf(int status);
// The outcome with the reason, in German: "zugestellt", "ausstehend (Empfänger nicht erreichbar)".
QString ReportStatusText(int status);

// A time stamp "yy/MM/dd,hh:mm:ss+zz" as the archive shows dates and times, "dd.MM.yy HH:mm:ss";
// "" when it is none.
QString ShownStamp(const QString &stamp);

// Whether two numbers reach the same phone: the same digits, or an international number
// (+49… or 0049…) and a national one (0…) whose subscriber digits it ends with.
bool SameRecipient(const QString &a, const QString &b);
