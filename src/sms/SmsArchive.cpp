#include "sms/SmsArchive.h"

#include "platform/CodePage.h"
#include "sms/ReceiveAnswers.h"
#include "sms/SmsDataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Where the record that starts at `from` ends: the index of the empty line before its "OK".
// The closing lines must be followed by the next header or by nothing but empty lines, so a
// text that itself holds an empty line and an "OK" line does not end its record early. (A
// damaged header behind a record therefore reads as part of that record's text.)
qsizetype recordEnd(const QStringList &lines, qsizetype from)
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
    for (qsizetype j = from; j + 1 < n; ++j) {
        if (!lines.at(j).isEmpty() || lines.at(j + 1) != QLatin1String("OK"))
            continue;
        if (first < 0)
            first = j;
        const qsizetype next = j + 2;
        if (next >= n || (lines.at(next).isEmpty() && (onlyBlankFrom(next) || isHeader(lines.at(next + 1)))))
            return j;
    }
    // No clean end: the first "OK" is the best guess, so the records after it are still read.
    return first;
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
        result.detail = file.errorString();
        return result;
    }
    const QByteArray bytes = file.read(kMaxArchiveFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        result.problem = ArchiveProblem::Unreadable;
        result.detail = file.errorString();
        return result;
    }
    return ParseSmsFile(codepage::decode(bytes), number);
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
    sms.stamp = when;
    sms.date = when.toString(QStringLiteral("dd.MM.")) + stamp.left(2);
    sms.time = stamp.mid(9, 8);
    return true;
}

ArchiveFile ParseSmsFile(const QString &text, int fileNumber)
{
    ArchiveFile result;
    const QStringList lines = fileLines(text);
    if (!lines.first().startsWith(kFileHeader)) {
        result.problem = ArchiveProblem::Foreign;
        return result;
    }
    qsizetype i = 1;
    while (i < lines.size()) {
        if (lines.at(i).isEmpty()) {
            ++i; // the end of the file, or a blank line an editor left
            continue;
        }
        const qsizetype end = recordEnd(lines, i + 1);
        if (end < 0) {
            // Cut off: nothing after this point can be told apart.
            ++result.damagedRecords;
            break;
        }
        ArchivedSms sms;
        if (ParseArchiveHeader(lines.at(i), sms)) {
            sms.text = lines.mid(i + 1, end - i - 1).join(QStringLiteral("\r\n"));
            sms.fileNumber = fileNumber;
            sms.record = int(result.messages.size());
            result.messages.append(sms);
        } else {
            ++result.damagedRecords;
        }
        i = end + 2;
    }
    if (result.damagedRecords > 0)
        result.problem = ArchiveProblem::Damaged;
    return result;
}

ArchiveLoad LoadSmsArchive(const QString &folder)
{
    struct Numbered {
        int number;
        QString name;
    };
    QList<Numbered> files;
    for (const QString &name : SmsFileList(folder)) {
        const int number = SmsFileNumber(name);
        if (number >= 1 && number <= kMaxSmsFileNumber)
            files.append({number, name});
    }
    // "SMS00010.DAT" after "SMS9.DAT": by number, not by name.
    std::stable_sort(files.begin(), files.end(), [](const Numbered &a, const Numbered &b) { return a.number < b.number; });

    ArchiveLoad load;
    const QDir dir(folder);
    for (const Numbered &f : files) {
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

QString ArchiveStatusText(const ArchiveLoad &load)
{
    const qsizetype n = load.messages.size();
    QString text = (n == 1 ? QStringLiteral("1 Nachricht") : QStringLiteral("%1 Nachrichten").arg(n))
                   + (load.filesRead == 1 ? QStringLiteral(" aus 1 SMS-Datei")
                                          : QStringLiteral(" aus %1 SMS-Dateien").arg(load.filesRead));
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
