#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The SMS data files: every message taken off the SIM is appended to the file of this program
// run before it is deleted from the SIM. The first file ever is "SMS00001.Dat", later ones
// SMS00002.DAT, SMS00003.DAT ...; each begins with the line
// "Datei angelegt am: MM-DD-YYYY, HH:MM:SS". A record is the modem's answer from behind the
// state field to the closing OK, then CR LF. Bytes are Windows-1252, lines end in CR LF.

inline const QString kSmsFilePattern = QStringLiteral("SMS*.DAT");
constexpr int kMaxSmsFileNumber = 32767;

// The names in `folder` that match SMS*.DAT in any letter case, sorted without regard to case.
QStringList SmsFileList(const QString &folder);

// The number of a name such as "SMS00007.DAT": the digits right after "SMS" (any case).
// -1 for a name without them ("SMS.DAT", "SMSbackup.DAT").
int SmsFileNumber(const QString &name);

// The next number after the highest one among `names`: 1 when none is numbered.
int NextSmsFileNumber(const QStringList &names);

// "SMS00001.Dat" for the first file in a folder without SMS files, otherwise
// "SMS" + at least five digits + ".DAT".
QString SmsFileName(int number, bool folderHasSmsFiles);

// "Datei angelegt am: 11-19-2002, 09:57:28" CR LF.
QByteArray SmsFileHeader(const QDateTime &created);

// The record followed by CR LF, in Windows-1252.
QByteArray SmsRecordBytes(const QString &record);

// Creates the next SMS file in `folder` with its header line and returns its full path. The
// number follows the highest one among `known` and the names in the folder now; a name that
// exists in any letter case is passed over, so no file is ever created over another. On
// failure returns "" and *error says why, in German, for the user.
QString CreateSmsFile(const QString &folder, const QStringList &known, const QDateTime &now, QString *error);

// Beside each SMS file lies its index, "SMS00003.IDX" for "SMS00003.DAT": one line per record,
// its byte offset in the SMS file, its length with the closing CR LF, and the modem's character
// set the record's plain text is in when the cycle knew it ("39 88 GSM" CR LF). A message text
// may hold the very lines that close a record, and a header line behind them; only the index
// tells such a text from two records. Files without an index read as before.
QString SmsIndexPath(const QString &smsFile);
QByteArray SmsIndexLine(qint64 offset, qint64 length, const QString &charset = {});

// Appends one record and waits until it is on the disk (written, flushed and synced), then
// its line in the index. On failure both files are cut back to their former length as far as
// the system allows, so no half record is left and no record is named wrongly, and *error says
// why, in German.
bool AppendSmsRecord(const QString &path, const QString &record, QString *error, const QString &charset = {});

// The SMS file of this program run: empty until the first message is filed, then kept for
// the rest of the run, so closing and reopening the window goes on writing the same file.
namespace smsrun {
QString currentFile();
void setCurrentFile(const QString &path);
} // namespace smsrun
