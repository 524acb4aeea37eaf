#include "sms/SmsDataFile.h"

#include "platform/CodePage.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_runFile;

// The system's reason in the user's language; the usual ones are named here, the rest keep
// the system's own text.
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
    default: return QString::fromLocal8Bit(std::strerror(err));
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
    // Beyond the 16-bit range every number is simply too high.
    const QString digits = name.mid(3, end - 3);
    bool ok = false;
    const qlonglong n = digits.toLongLong(&ok);
    return ok && n <= kMaxSmsFileNumber ? int(n) : kMaxSmsFileNumber + 1;
}

int NextSmsFileNumber(const QStringList &names)
{
    int highest = 0;
    for (const QString &name : names)
        highest = std::max(highest, SmsFileNumber(name));
    return highest >= kMaxSmsFileNumber ? kMaxSmsFileNumber + 1 : highest + 1;
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

bool AppendSmsRecord(const QString &path, const QString &record, QString *error)
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
    const bool written = writeAll(fd, SmsRecordBytes(record)) && ::fsync(fd) == 0;
    const int err = errno;
    if (!written && sized && ::ftruncate(fd, before.st_size) == 0)
        ::fsync(fd);
    const bool closed = ::close(fd) == 0;
    if (written && closed)
        return true;
    *error = QStringLiteral("Die SMS-Datei %1 kann nicht geschrieben werden: %2.")
                 .arg(path, reasonText(written ? errno : err)) +
             kLeftOnSim;
    return false;
}

namespace smsrun {
QString currentFile() { return g_runFile; }
void setCurrentFile(const QString &path) { g_runFile = path; }
} // namespace smsrun
