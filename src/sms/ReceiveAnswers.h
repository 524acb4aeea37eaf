#pragma once
#include "modem/AnswerEnd.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// What the read cycle takes out of the modem's answers. Each function takes the whole answer as
// the terminal has given it back: every LF removed, then an LF put after every CR, so every
// line ends in CR LF and a lone LF from the modem is gone. None of them fails.

// AT+CPMS? -> +CPMS: <mem1>,<used1>,<total1>,<mem2>,<used2>,<total2>,...
// The two counts of the first storage: the leading number after the first comma behind
// "+CPMS:" and the one after the next comma, rounded. Only the first storage counts; it is the
// one AT+CMGR and AT+CMGD work on. No "+CPMS:" at all, or a count that is negative or beyond
// 16 bits, gives nothing: such an answer says nothing usable about the SIM.
struct StorageCounts {
    qint16 used = 0;
    qint16 max = 0;
};
std::optional<StorageCounts> CpmsStorageCounts(const QString &answer);

// The status line after a good storage query: "SMS vorhanden:  3   SMS maximal:  10", and
// " – fast voll" when at most one slot is left.
QString StorageStatusText(const StorageCounts &counts);

// All the storages AT+CPMS? names with their counts, in order (<mem1>, <mem2>, <mem3>); a
// storage whose counts cannot be read is left out.
struct NamedStorage {
    QString name;
    StorageCounts counts;
};
QList<NamedStorage> CpmsStorages(const QString &answer);

// AT+CMGR=<index> in text mode ->
//   +CMGR: <stat>,<oa>,[<alpha>],<scts> CR LF <data> CR LF CR LF OK CR LF
// (some modems leave out the empty line before OK). An empty slot answers OK alone (or an
// error); in PDU mode the state is a number, and state 0 is an unread message the program
// cannot file.
enum class SlotKind {
    NoMessage,  // no "+CMGR:" in the answer
    StateZero,  // "+CMGR: 0"
    Incomplete, // no final OK behind the text: the modem paused longer than the quiet second
    Message,
};

struct SlotMessage {
    SlotKind kind = SlotKind::NoMessage;
    // From the character after the comma that ends the state field to the final "OK" CR LF:
    // the rest of the header line, the text and the modem's closing lines. Unsolicited notices
    // behind the OK are not part of it.
    QString record;
    // The header line without the state: "<oa>",<alpha>,"<scts>".
    QString header;
    // The first line of the text, double quotes shown as blanks.
    QString firstLine;
    // 4 when nothing is left behind the header line, 5 when less than 4 characters are,
    // otherwise 0.
    qint16 textStatus = 0;
};
// `answer` as it came from the line (ModemReply::raw), so a lone LF or CR inside a text is kept
// in the record. Unsolicited lines a modem puts inside the answer (^RSSI:, +CMTI: ...) right
// behind the header line or before the closing lines are not part of the record.
SlotMessage CmgrSlotMessage(const QString &answer);

// Where the answer to AT+CMGR=<index> ends for "Schnelle Modemantworten" (see FinalResultEnd):
// a text may hold a line "OK", so a message's answer is whole only where its data, as long as
// the +CSDH=1 length of its header says, is followed by nothing but empty lines and the modem's
// own notices, then the final OK. Notices right behind the header line are passed over, as
// CmgrSlotMessage does. Without the length (+CSDH=0, PDU mode, a header cut short), or with data
// that does not fit it (a character set other than "GSM"), it is never whole: the quiet second
// decides. An answer without "+CMGR:" (an empty slot, an error) is judged by FinalResultEnd.
AnswerEnd CmgrAnswerEnd(QStringView sent, QStringView received);

// The details AT+CSDH=1 puts behind the time stamp of a received message (27.005 3.4.3):
//   "<oa>",[<alpha>],"<scts>",<tooa>,<fo>,<pid>,<dcs>,["<sca>"],[<tosca>],<length>
// `present` is false without them (+CSDH=0, an old file) or when they are not numbers.
struct DeliverDetails {
    bool present = false;
    int tooa = 0;
    int fo = 0;
    int pid = 0;
    int dcs = 0;
    int length = 0; // TP-UDL: septets for 7-bit text, octets otherwise
    bool hasHeader() const { return (fo & 0x40) != 0; } // TP-UDHI
};
DeliverDetails CmgrDeliverDetails(const QString &header);

// The fields of a header line, split at the commas outside double quotes, quotes removed. An
// alias such as "Müller, Hans" is one field, and so is the quoted time stamp with its comma.
QStringList HeaderFields(const QString &line);

// The header line "<oa>",<alpha>,"yy/MM/dd,HH:MM:SS+zz" split into the originator, the date as
// dd.MM.yy and the time as HH:MM:SS. A missing or short time stamp leaves date and time empty.
struct MessageHeader {
    QString number;
    QString date;
    QString time;
};
MessageHeader CmgrHeaderFields(const QString &header);

// The line of an answer that carries the modem's refusal: "+CMS ERROR: 321", "+CMS ERROR: SMSC
// address unknown" with verbose errors on, a bare "ERROR" without; "" when there is none.
QString ErrorLine(const QString &answer);

// AT+CSCS? -> +CSCS: "<chset>": the set's name, or "" when the answer names none.
QString CscsCharset(const QString &answer);

// A new-message notice: +CMTI: "<mem>",<index> (27.005 3.4.1; any storage, any index, 0 too).
bool IsNewMessageNotice(QStringView line);
// The storage a new-message notice names ("SM", "ME", "MT"); "" for any other line.
QString NoticeStorage(QStringView line);


// How many characters a record's data takes by its +CSDH=1 length, read in the "GSM" set the
// read cycle chooses: one per septet for plain 7-bit text, two hex digits per octet otherwise.
// -1 without details.
qsizetype CsdhDataChars(const DeliverDetails &d);
