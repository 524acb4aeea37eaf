#include "sms/SmsArchive.h"

#include "platform/CodePage.h"
#include "platform/SystemText.h"
#include "sms/ReceiveAnswers.h"
#include "sms/SmsDataFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimeZone>

#include <algorithm>

namespace {

const QString kFileHeader = QStringLiteral("Datei angelegt am: ");
constexpr int kProblemsShown = 3;

QStringList fileLines(const QString &text)
{
    // The program writes CR LF; a file passed through an editor may have lost the CRs.
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

bool twoDigits(const QString &s, qsizetype at, int *value)
{
    if (at + 2 > s.size() || !s.at(at).isDigit() || !s.at(at + 1).isDigit())
        return false;
    *value = s.at(at).digitValue() * 10 + s.at(at + 1).digitValue();
    return true;
}

// "yy/MM/dd,HH:MM:SS" and a zone; the zone is not needed for the order of one user's messages.
QDateTime stampOf(const QString &s)
{
    int yy = 0, mo = 0, dd = 0, hh = 0, mi = 0, ss = 0;
    if (s.size() < 17 || s.at(2) != u'/' || s.at(5) != u'/' || s.at(8) != u',' || s.at(11) != u':'
        || s.at(14) != u':')
        return {};
    if (!twoDigits(s, 0, &yy) || !twoDigits(s, 3, &mo) || !twoDigits(s, 6, &dd) || !twoDigits(s, 9, &hh)
        || !twoDigits(s, 12, &mi) || !twoDigits(s, 15, &ss))
        return {};
    // GSM time stamps carry two digits; no SMS was sent before 1992.
    const QDate date(yy < 90 ? 2000 + yy : 1900 + yy, mo, dd);
    const QTime time(hh, mi, ss);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

bool isHeader(const QString &line)
{
    ArchivedSms ignored;
    return ParseArchiveHeader(line, ignored);
}

// The "OK" line that closes the record whose text starts at `from`. The closing lines must be
// followed by the next header or by nothing but empty lines, so a text that itself holds an
// "OK" line does not end its record early. (A damaged header behind a record therefore reads
// as part of that record's text.) 27.005 puts an empty line before the OK; some modems leave it
// out. -1 when the record has no closing OK (a file cut off).
qsizetype closingOk(const QStringList &lines, qsizetype from)
{
    const qsizetype n = lines.size();
    const auto onlyBlankFrom = [&](qsizetype k) {
        for (; k < n; ++k) {
            if (!lines.at(k).isEmpty())
                return false;
        }
        return true;
    };
    qsizetype first = -1;
    for (qsizetype ok = from; ok < n; ++ok) {
        if (lines.at(ok) != QLatin1String("OK"))
            continue;
        const bool afterEmpty = ok > from && lines.at(ok - 1).isEmpty();
        if (first < 0 && afterEmpty)
            first = ok;
        const qsizetype next = ok + 1;
        if (ok > from &&
            (next >= n || (lines.at(next).isEmpty() && (onlyBlankFrom(next) || isHeader(lines.at(next + 1))))))
            return ok;
    }
    // No clean end: the first "OK" behind an empty line is the best guess, so the records after
    // it are still read.
    return first;
}

// The text of a record whose header is lines[header] and whose closing OK is lines[ok]: the
// lines between, without the empty line before the OK.
QString recordText(const QStringList &lines, qsizetype header, qsizetype ok)
{
    const qsizetype end = ok - 1 > header && lines.at(ok - 1).isEmpty() ? ok - 1 : ok;
    return lines.mid(header + 1, end - header - 1).join(QStringLiteral("\r\n"));
}

// The records of `lines` from `i` on, each a header line, its text and the closing lines.
void parseRecords(const QStringList &lines, qsizetype i, int fileNumber, ArchiveFile &result)
{
    while (i < lines.size()) {
        if (lines.at(i).isEmpty()) {
            ++i; // the end of the file, or a blank line an editor left
            continue;
        }
        const qsizetype ok = closingOk(lines, i + 1);
        if (ok < 0) {
            // Cut off: nothing after this point can be told apart.
            ++result.damagedRecords;
            break;
        }
        ArchivedSms sms;
        if (ParseArchiveHeader(lines.at(i), sms)) {
            sms.text = recordText(lines, i, ok);
            sms.fileNumber = fileNumber;
            sms.record = int(result.messages.size());
            result.messages.append(sms);
        } else {
            ++result.damagedRecords;
        }
        i = ok + 1;
    }
}

// What the index beside an SMS file names: offset and length of each record, as long as the
// records chain from the end of the header line to the end of the file. Where the chain breaks
// (an index from another file, a record cut back after a failed write) it is believed no more.
QList<IndexedRecord> indexedRecords(const QString &smsFile, qint64 headerEnd, qint64 fileSize)
{
    QList<IndexedRecord> records;
    const QFileInfo info(SmsIndexPath(smsFile));
    if (!info.isFile() || info.size() > kMaxArchiveFileSize)
        return records;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return records;
    qint64 next = headerEnd;
    for (const QByteArray &line : file.read(kMaxArchiveFileSize).split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        bool offsetOk = false;
        bool lengthOk = false;
        const qint64 offset = fields.value(0).toLongLong(&offsetOk);
        const qint64 length = fields.value(1).toLongLong(&lengthOk);
        if (fields.size() < 2 || fields.size() > 3 || !offsetOk || !lengthOk || offset != next || length < 2 ||
            length > fileSize - offset)
            break;
        records.append({offset, length, QString::fromLatin1(fields.value(2))});
        next = offset + length;
    }
    return records;
}

QString problemLine(const QString &name, const ArchiveFile &file)
{
    switch (file.problem) {
    case ArchiveProblem::None: return {};
    case ArchiveProblem::NotAFile: return QStringLiteral("%1: keine Datei").arg(name);
    case ArchiveProblem::Unreadable: return QStringLiteral("%1: nicht lesbar (%2)").arg(name, file.detail);
    case ArchiveProblem::TooLarge: return QStringLiteral("%1: zu groß").arg(name);
    case ArchiveProblem::Foreign: return QStringLiteral("%1: keine SMS-Datei").arg(name);
    case ArchiveProblem::Damaged:
        return file.damagedRecords == 1 ? QStringLiteral("%1: 1 beschädigter Eintrag").arg(name)
                                        : QStringLiteral("%1: %2 beschädigte Einträge").arg(name).arg(file.damagedRecords);
    }
    return {};
}

struct Numbered {
    int number;
    QString name;
};

// The numbered SMS files of a folder, by number: "SMS00010.DAT" after "SMS9.DAT".
QList<Numbered> numberedFiles(const QString &folder)
{
    QList<Numbered> files;
    for (const QString &name : SmsFileList(folder)) {
        const int number = SmsFileNumber(name);
        if (number >= 1)
            files.append({number, name});
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const Numbered &a, const Numbered &b) { return a.number < b.number; });
    return files;
}

ArchiveFile readFile(const QString &path, int number)
{
    ArchiveFile result;
    const QFileInfo info(path);
    // A pipe would block the reading for ever.
    if (!info.isFile()) {
        result.problem = ArchiveProblem::NotAFile;
        return result;
    }
    if (info.size() > kMaxArchiveFileSize) {
        result.problem = ArchiveProblem::TooLarge;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = ArchiveProblem::Unreadable;
        result.detail = GermanSystemText(file.errorString());
        return result;
    }
    const QByteArray bytes = file.read(kMaxArchiveFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        result.problem = ArchiveProblem::Unreadable;
        result.detail = GermanSystemText(file.errorString());
        return result;
    }
    const qsizetype headerEnd = bytes.indexOf('\n') + 1;
    return ParseSmsFile(bytes, indexedRecords(path, headerEnd, bytes.size()), number);
}

} // namespace

bool ParseArchiveHeader(const QString &header, ArchivedSms &sms)
{
    if (!header.startsWith(u'"'))
        return false;
    const QStringList fields = HeaderFields(header);
    // <oa>,<alpha>,<scts>; some modems add type and length fields behind the time stamp.
    if (fields.size() < 3)
        return false;
    const QString stamp = fields.at(2).trimmed();
    const QDateTime when = stampOf(stamp);
    if (!when.isValid())
        return false;
    sms.number = fields.at(0).trimmed();
    sms.details = CmgrDeliverDetails(header);
    sms.stamp = when;
    sms.date = when.toString(QStringLiteral("dd.MM.")) + stamp.left(2);
    sms.time = stamp.mid(9, 8);
    return true;
}

bool ParseSmsRecord(const QString &record, ArchivedSms &sms)
{
    const QStringList lines = fileLines(record);
    qsizetype ok = lines.size() - 1;
    while (ok > 0 && lines.at(ok).isEmpty())
        --ok;
    if (ok < 1 || lines.at(ok) != QLatin1String("OK") || !ParseArchiveHeader(lines.first(), sms))
        return false;
    sms.text = recordText(lines, 0, ok);
    // The data as it came: a CR or LF in a 7-bit text is a character of its own, which the cut
    // into lines would change. Its length says where it ends.
    const qsizetype chars = CsdhDataChars(sms.details);
    const qsizetype start = record.indexOf(u'\n') + 1;
    if (chars >= 0 && start > 0 && start + chars <= record.size()) {
        const QStringView tail = QStringView(record).mid(start + chars);
        if (tail == u"\r\n\r\nOK\r\n" || tail == u"\r\nOK\r\n")
            sms.text = record.mid(start, chars);
    }
    return true;
}

DecodedSms DecodeArchived(const ArchivedSms &sms)
{
    if (!sms.details.present) {
        DecodedSms plain;
        plain.text = sms.text;
        return plain;
    }
    return DecodeTextModeData(sms.details.fo, sms.details.dcs, sms.details.length,
                              sms.charset.isEmpty() ? QStringLiteral("GSM") : sms.charset, sms.text);
}

ArchiveFile ParseSmsFile(const QString &text, int fileNumber)
{
    ArchiveFile result;
    const QStringList lines = fileLines(text);
    if (!lines.first().startsWith(kFileHeader)) {
        result.problem = ArchiveProblem::Foreign;
        return result;
    }
    parseRecords(lines, 1, fileNumber, result);
    if (result.damagedRecords > 0)
        result.problem = ArchiveProblem::Damaged;
    return result;
}

ArchiveFile ParseSmsFile(const QByteArray &bytes, const QList<IndexedRecord> &index, int fileNumber)
{
    const qsizetype headerEnd = bytes.indexOf('\n') + 1;
    if (index.isEmpty() || headerEnd <= 0 || !bytes.startsWith(codepage::encode(kFileHeader)))
        return ParseSmsFile(codepage::decode(bytes), fileNumber);
    ArchiveFile result;
    qint64 next = headerEnd;
    for (const IndexedRecord &r : index) {
        if (r.offset != next || r.length > bytes.size() - r.offset)
            break;
        ArchivedSms sms;
        const QByteArray record = bytes.mid(r.offset, r.length);
        if (record.endsWith("\r\n") && ParseSmsRecord(codepage::decode(record.chopped(2)), sms)) {
            sms.charset = r.charset;
            sms.fileNumber = fileNumber;
            sms.record = int(result.messages.size());
            result.messages.append(sms);
        } else {
            ++result.damagedRecords;
        }
        next = r.offset + r.length;
    }
    // Records the index does not name yet (the program ended between the two writes).
    parseRecords(fileLines(codepage::decode(bytes.mid(next))), 0, fileNumber, result);
    if (result.damagedRecords > 0)
        result.problem = ArchiveProblem::Damaged;
    return result;
}

ArchiveLoad LoadSmsArchive(const QString &folder)
{
    ArchiveLoad load;
    const QDir dir(folder);
    for (const Numbered &f : numberedFiles(folder)) {
        ArchiveFile file = readFile(dir.filePath(f.name), f.number);
        if (file.problem != ArchiveProblem::None)
            load.problems.append(problemLine(f.name, file));
        if (file.problem == ArchiveProblem::None || file.problem == ArchiveProblem::Damaged)
            ++load.filesRead;
        load.messages.append(file.messages);
    }
    std::stable_sort(load.messages.begin(), load.messages.end(), [](const ArchivedSms &a, const ArchivedSms &b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.fileNumber != b.fileNumber)
            return a.fileNumber > b.fileNumber;
        return a.record > b.record;
    });
    return load;
}

QString ArchiveStatusText(const ArchiveLoad &load, qsizetype messages, qsizetype sent)
{
    const qsizetype n = messages >= 0 ? messages : load.messages.size();
    QString text = (n == 1 ? QStringLiteral("1 Nachricht") : QStringLiteral("%1 Nachrichten").arg(n))
                   + (load.filesRead == 1 ? QStringLiteral(" aus 1 SMS-Datei")
                                          : QStringLiteral(" aus %1 SMS-Dateien").arg(load.filesRead));
    if (sent > 0)
        text += sent == 1 ? QStringLiteral(", 1 gesendet") : QStringLiteral(", %1 gesendet").arg(sent);
    if (load.problems.isEmpty())
        return text;
    text += QStringLiteral(". Übersprungen: ") + load.problems.mid(0, kProblemsShown).join(QStringLiteral("; "));
    if (load.problems.size() > kProblemsShown)
        text += QStringLiteral(" und %1 weitere").arg(load.problems.size() - kProblemsShown);
    return text;
}

QStringList ArchiveSearchWords(const QString &query)
{
    QStringList words = query.toCaseFolded().split(u' ', Qt::SkipEmptyParts);
    return words;
}

bool ArchiveMatches(const QString &foldedHaystack, const QStringList &foldedWords)
{
    return std::all_of(foldedWords.begin(), foldedWords.end(),
                       [&](const QString &w) { return foldedHaystack.contains(w); });
}

QString ArchiveHaystack(const ArchivedSms &sms, const QString &name)
{
    // Fields kept apart by a line end, so a word cannot match across two of them.
    return (sms.number + u'\n' + name + u'\n' + sms.text).toCaseFolded();
}

FiledMessages FiledMessages::read(const QString &folder)
{
    FiledMessages filed;
    const QDir dir(folder);
    for (const Numbered &f : numberedFiles(folder)) {
        for (const ArchivedSms &sms : readFile(dir.filePath(f.name), f.number).messages)
            filed.add(sms);
    }
    return filed;
}

QByteArray FiledMessages::key(const ArchivedSms &sms)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // The decoded text, its line ends made one: a record of before (its text read through the
    // terminal) and one read in the "GSM" set with details are the same message.
    QString text = DecodeArchived(sms).text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString &field : {sms.number, sms.date, sms.time, text}) {
        hash.addData(field.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return hash.result().left(16);
}

namespace smsrun {
FiledMessages &filedMessages(const QString &folder)
{
    static QHash<QString, FiledMessages> byFolder;
    const QString key = QDir(folder).absolutePath();
    auto it = byFolder.find(key);
    if (it == byFolder.end())
        it = byFolder.insert(key, FiledMessages::read(folder));
    return *it;
}
} // namespace smsrun
