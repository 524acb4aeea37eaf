#pragma once
#include "sms/ReceiveAnswers.h"
#include "sms/SmsText.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Reading the SMS data files back. A file begins with "Datei angelegt am: ..."; each record
// is the modem's answer to AT+CMGR from behind the state field, then CR LF:
//   "<oa>",<alpha>,"yy/MM/dd,HH:MM:SS+zz" CR LF <text lines> CR LF CR LF OK CR LF CR LF
// so a record ends with an empty line, a line "OK" and another empty line.

struct ArchivedSms {
    QString number;
    QString date; // dd.MM.yy, as the received-messages table shows it
    QString time; // HH:MM:SS
    // Every line of the message, joined by CR LF; with details (below), the data exactly as
    // the modem showed it, to be decoded (DecodeArchived).
    QString text;
    // The AT+CSDH=1 fields of the header line (coding, header indicator, length), when there.
    DeliverDetails details;
    // The modem's character set the record's plain text is in, as the index names it ("" for
    // records of before, read as Windows-1252 text).
    QString charset;
    // The service-centre time stamp without its zone, for the order only. Held as UTC: local
    // times would look up the zone rules on every comparison of the sort.
    QDateTime stamp;
    int fileNumber = 0; // 7 for SMS00007.DAT
    int record = 0;     // 0 for the first record of its file
};

// Why (part of) a file was left out.
enum class ArchiveProblem {
    None,
    NotAFile,   // a folder, a pipe or a device under an SMS name
    Unreadable, // the system refused to read it
    TooLarge,
    Foreign,    // it does not begin with the header line the program writes
    Damaged,    // records that cannot be read; the good ones before and after are kept
};

struct ArchiveFile {
    QList<ArchivedSms> messages;
    ArchiveProblem problem = ArchiveProblem::None;
    int damagedRecords = 0;
    QString detail; // the system's reason for Unreadable
};

// The records of one file's text (already decoded from Windows-1252), found by their closing
// lines. A record whose header cannot be read is skipped up to its closing OK; a record without
// its closing OK (a file cut off) ends the reading. `fileNumber` is copied into every message.
ArchiveFile ParseSmsFile(const QString &text, int fileNumber = 0);

// One line of the index beside an SMS file (see SmsIndexPath).
struct IndexedRecord {
    qint64 offset = 0;
    qint64 length = 0;
    QString charset; // "" when the line names none
};

// The same with the file's index: the records it names are cut where it says, whatever their
// text holds; the records behind them (or all, with an empty index) are found as above.
ArchiveFile ParseSmsFile(const QByteArray &bytes, const QList<IndexedRecord> &index, int fileNumber = 0);

// One record as the read cycle files it, without the CR LF written after it:
//   "<oa>",<alpha>,"<scts>" CR LF <text> CR LF [CR LF] OK CR LF
// False when the header cannot be read or the closing OK is missing.
bool ParseSmsRecord(const QString &record, ArchivedSms &sms);

// The message's text decoded: records with details by their coding and character set (the read
// cycle reads in "GSM" unless the index names another set), records of before as they are.
DecodedSms DecodeArchived(const ArchivedSms &sms);

// One header line, "<oa>",<alpha>,"yy/MM/dd,HH:MM:SS+zz", into number, date, time and stamp.
// False when it is not such a line (no opening quote, no valid date or time).
bool ParseArchiveHeader(const QString &header, ArchivedSms &sms);

// Files larger than this are no SMS file the program wrote in any sensible time.
constexpr qint64 kMaxArchiveFileSize = 64 * 1024 * 1024;

struct ArchiveLoad {
    // Newest first; messages with the same time stamp keep file and record order reversed,
    // so the one filed last comes first.
    QList<ArchivedSms> messages;
    int filesRead = 0;
    // One German line per file left out in whole or in part: "SMS00003.DAT: keine SMS-Datei".
    QStringList problems;
};

// Reads every numbered SMS file (SMS00001.Dat, SMS00002.DAT ...) in `folder`.
ArchiveLoad LoadSmsArchive(const QString &folder);

// The line for the window's status bar: how much was read and what was left out.
// `messages`: how many messages the records make (the parts of a long one are one); -1 counts
// the records. `sent`: the rows of sent messages beside them.
QString ArchiveStatusText(const ArchiveLoad &load, qsizetype messages = -1, qsizetype sent = 0);

// The search: every word of `query` must occur, in any letter case, in the number, the name
// or the text. An empty query matches everything.
QStringList ArchiveSearchWords(const QString &query);
bool ArchiveMatches(const QString &foldedHaystack, const QStringList &foldedWords);
// What the search looks through, case-folded once per message.
QString ArchiveHaystack(const ArchivedSms &sms, const QString &name);

// The messages already in the SMS files of a folder. A message the SIM still holds after its
// record reached the disk (the program ended before AT+CMGD, or the modem refused to delete
// it) is the same sender, time stamp and text: it is deleted, not filed a second time.
class FiledMessages {
public:
    // Every message of the numbered SMS files in `folder`.
    static FiledMessages read(const QString &folder);
    bool contains(const ArchivedSms &sms) const { return m_keys.contains(key(sms)); }
    void add(const ArchivedSms &sms) { m_keys.insert(key(sms)); }
    qsizetype size() const { return m_keys.size(); }

private:
    // A digest of sender, time stamp and text, so a large archive costs little memory.
    static QByteArray key(const ArchivedSms &sms);
    QSet<QByteArray> m_keys;
};

namespace smsrun {
// The messages filed in `folder`, read from its SMS files on the first call of a program run
// and kept up to date by the read cycle from then on.
FiledMessages &filedMessages(const QString &folder);
} // namespace smsrun
