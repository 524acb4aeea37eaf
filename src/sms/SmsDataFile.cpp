#include "sms/SmsDataFile.h"

#include "platform/CodePage.h"
#include "platform/SystemText.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_runFile;

// The system's reason in the user's language; the usual ones are named here for files, the
// rest as the port layer words them.
QString reasonText(int err)
{
    switch (err) {
    case ENOSPC: return QStringLiteral("Der Datenträger ist voll");
    case EDQUOT: return QStringLiteral("Das Speicherkontingent ist erschöpft");
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("Der Ordner ist nicht vorhanden");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler des Datenträgers");
    case EFBIG: return QStringLiteral("Die Datei hat die größte erlaubte Länge erreicht");
    case EISDIR: return QStringLiteral("Unter diesem Namen steht ein Ordner");
    default: return GermanSystemText(QString::fromLocal8Bit(std::strerror(err)));
    }
}

const QString kLeftOnSim = QStringLiteral(" Die SMS bleibt auf der SIM-Karte.");

// Writes every byte; a system that takes only part of a write (a full disk) is asked again
// for the rest and then reports why it cannot.
bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// A new file's name lives in its folder: that entry must reach the disk as well.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Appends one line to the index beside an SMS file and waits until it is on the disk. On
// failure the index is cut back to its former length and *err holds the reason.
bool appendIndexLine(const QString &index, const QByteArray &line, int *err)
{
    const int fd = ::open(QFile::encodeName(index).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
        *err = EINVAL; // a folder or device under the index's name
        ::close(fd);
        return false;
    }
    if (!writeAll(fd, line) || ::fsync(fd) != 0) {
        *err = errno;
        if (::ftruncate(fd, before.st_size) == 0)
            ::fsync(fd);
        ::close(fd);
        return false;
    }
    ::close(fd); // the line is on the disk already
    if (before.st_size == 0)
        syncFolder(QFileInfo(index).path());
    return true;
}

} // namespace

QStringList SmsFileList(const QString &folder)
{
    // Without QDir::CaseSensitive the pattern matches any case, so "SMS00001.Dat" is found too.
    QDir dir(folder, kSmsFilePattern, QDir::Name | QDir::IgnoreCase, QDir::Files | QDir::Hidden | QDir::System);
    return dir.entryList();
}

int SmsFileNumber(const QString &name)
{
    if (!name.startsWith(QLatin1String("SMS"), Qt::CaseInsensitive))
        return -1;
    qsizetype end = 3;
    while (end < name.size() && name.at(end) >= u'0' && name.at(end) <= u'9')
        ++end;
    if (end == 3)
        return -1;
    // Beyond the 16-bit range a number is none the program forms ("SMS20240101.DAT").
    const QString digits = name.mid(3, end - 3);
    bool ok = false;
    const qlonglong n = digits.toLongLong(&ok);
    return ok && n <= kMaxSmsFileNumber ? int(n) : -1;
}

int NextSmsFileNumber(const QStringList &names)
{
    int highest = 0;
    for (const QString &name : names)
        highest = std::max(highest, SmsFileNumber(name));
    return highest + 1;
}

QString SmsFileName(int number, bool folderHasSmsFiles)
{
    if (number == 1 && !folderHasSmsFiles)
        return QStringLiteral("SMS00001.Dat");
    return QStringLiteral("SMS%1.DAT").arg(number, 5, 10, QLatin1Char('0'));
}

QByteArray SmsFileHeader(const QDateTime &created)
{
    return "Datei angelegt am: " + created.toString(QStringLiteral("MM-dd-yyyy, HH:mm:ss")).toLatin1() + "\r\n";
}

QByteArray SmsRecordBytes(const QString &record)
{
    return codepage::encode(record) + "\r\n";
}

QString CreateSmsFile(const QString &folder, const QStringList &known, const QDateTime &now, QString *error)
{
    const QStringList present = SmsFileList(folder);
    const bool hasSmsFiles = !known.isEmpty() || !present.isEmpty();
    const QByteArray header = SmsFileHeader(now);
    for (int number = NextSmsFileNumber(known + present); number <= kMaxSmsFileNumber; ++number) {
        const QString name = SmsFileName(number, hasSmsFiles);
        // Unix names are case-sensitive; "SMS00002.DAT" beside "sms00002.dat" would confuse.
        if (present.contains(name, Qt::CaseInsensitive))
            continue;
        const QString path = QDir(folder).filePath(name);
        // O_EXCL: a file that appeared since the listing is never truncated.
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = QStringLiteral("Die SMS-Datei %1 kann nicht angelegt werden: %2.").arg(path, reasonText(errno)) +
                     kLeftOnSim;
            return {};
        }
        const bool written = writeAll(fd, header) && ::fsync(fd) == 0;
        const int err = errno;
        ::close(fd);
        if (!written) {
            ::unlink(QFile::encodeName(path).constData());
            *error = QStringLiteral("Die SMS-Datei %1 kann nicht angelegt werden: %2.").arg(path, reasonText(err)) +
                     kLeftOnSim;
            return {};
        }
        syncFolder(folder);
        return path;
    }
    *error = QStringLiteral("Es kann keine neue SMS-Datei angelegt werden: die Nummern bis SMS%1.DAT sind im Ordner "
                            "%2 vergeben. Bitte ältere SMS-Dateien in einen anderen Ordner verschieben.")
                 .arg(kMaxSmsFileNumber)
                 .arg(folder) +
             kLeftOnSim;
    return {};
}

QString SmsIndexPath(const QString &smsFile)
{
    const QFileInfo info(smsFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".IDX"));
}

QByteArray SmsIndexLine(qint64 offset, qint64 length, const QString &charset)
{
    QByteArray line = QByteArray::number(offset) + ' ' + QByteArray::number(length);
    if (!charset.isEmpty())
        line += ' ' + charset.toLatin1();
    return line + "\r\n";
}

bool AppendSmsRecord(const QString &path, const QString &record, QString *error, const QString &charset)
{
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = QStringLiteral("Die SMS-Datei %1 kann nicht geöffnet werden: %2.").arg(path, reasonText(errno)) +
                 kLeftOnSim;
        return false;
    }
    struct stat before {};
    const bool sized = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    const QByteArray bytes = SmsRecordBytes(record);
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    QString failed = path;
    // The record's place goes into the index only once the record itself is on the disk; a
    // record the index cannot name is taken back, so both files always agree.
    if (written && sized) {
        const QString index = SmsIndexPath(path);
        if (!appendIndexLine(index, SmsIndexLine(before.st_size, bytes.size(), charset), &err)) {
            written = false;
            failed = index;
        }
    }
    if (!written && sized && ::ftruncate(fd, before.st_size) == 0)
        ::fsync(fd);
    const bool closed = ::close(fd) == 0;
    if (written && closed)
        return true;
    if (written)
        err = errno;
    *error = (failed == path ? QStringLiteral("Die SMS-Datei %1 kann nicht geschrieben werden: %2.")
                             : QStringLiteral("Die Indexdatei %1 der SMS-Datei kann nicht geschrieben werden: %2."))
                 .arg(failed, reasonText(err)) +
             kLeftOnSim;
    return false;
}

namespace smsrun {
QString currentFile() { return g_runFile; }
void setCurrentFile(const QString &path) { g_runFile = path; }
} // namespace smsrun
