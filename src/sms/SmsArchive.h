#pragma once
#include <QDateTime>
#include <QList>
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
    QString text; // every line of the message, joined by CR LF
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

// The records of one file's text (already decoded from Windows-1252). A record whose header
// cannot be read is skipped up to its closing OK; a record without its closing OK (a file cut
// off) ends the reading. `fileNumber` is copied into every message.
ArchiveFile ParseSmsFile(const QString &text, int fileNumber = 0);

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
QString ArchiveStatusText(const ArchiveLoad &load);

// The search: every word of `query` must occur, in any letter case, in the number, the name
// or the text. An empty query matches everything.
QStringList ArchiveSearchWords(const QString &query);
bool ArchiveMatches(const QString &foldedHaystack, const QStringList &foldedWords);
// What the search looks through, case-folded once per message.
QString ArchiveHaystack(const ArchivedSms &sms, const QString &name);
