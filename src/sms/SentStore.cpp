#include "sms/SentStore.h"

#include "platform/WorkFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Years of messages are a few megabytes; a file far larger is not this program's.
constexpr qint64 kReadBound = 256LL * 1024 * 1024;
const QByteArray kHeader = QByteArrayLiteral("# Varnix: gesendete Nachrichten, ein Eintrag je Zeile (README: "
                                             "\xe2\x80\x9eGesendete Nachrichten\xe2\x80\x9c)\r\n");

QHash<QString, SentStore *> &stores()
{
    static QHash<QString, SentStore *> s;
    return s;
}

bool syncToDisk(QFile &f)
{
    if (!f.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(f.handle()) == 0;
#else
    return ::fsync(f.handle()) == 0;
#endif
}

struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

} // namespace

SentStore &SentStore::current()
{
    const QString folder = QDir(platform::workFolder()).absolutePath();
    if (SentStore *s = stores().value(folder))
        return *s;
    auto *s = new SentStore(folder, QCoreApplication::instance());
    stores().insert(folder, s);
    connect(s, &QObject::destroyed, [folder] { stores().remove(folder); });
    return *s;
}

SentStore::SentStore(const QString &folder, QObject *parent)
    : QObject(parent), m_path(QDir(folder).filePath(kSentLogName))
{
}

QString SentStore::now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

const SentLog &SentStore::log()
{
    const FileStamp stamp = stampOf(m_path);
    if (stamp.size == m_knownSize && stamp.modified == m_knownModified)
        return m_log;
    m_log = {};
    m_knownSize = stamp.size;
    m_knownModified = stamp.modified;
    QFile f(m_path);
    if (stamp.size < 0 || !QFileInfo(m_path).isFile() || stamp.size > kReadBound || !f.open(QIODevice::ReadOnly))
        return m_log;
    m_log = ParseSentLog(f.readAll());
    return m_log;
}

bool SentStore::append(const QString &line)
{
    log();
    m_error.clear();
    const QString shown = QDir::toNativeSeparators(m_path);
    const auto fail = [&](const QString &why) {
        m_error =
            QStringLiteral("Die Datei der gesendeten Nachrichten %1 kann nicht geschrieben werden: %2").arg(shown, why);
        // Known for this run at least.
        ApplySentLine(m_log, line);
        emit changed();
        return false;
    };
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("sie ist keine gewöhnliche Datei."));
    QByteArray bytes;
    if (!info.exists() || info.size() == 0) {
        bytes = kHeader;
    } else {
        // A record cut short by the end of the program stays on its own line.
        QFile last(m_path);
        if (last.open(QIODevice::ReadOnly) && last.seek(info.size() - 1) && last.read(1) != "\n")
            bytes = "\r\n";
    }
    bytes += line.toUtf8() + "\r\n";
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(f.errorString());
    if (f.write(bytes) != bytes.size() || !syncToDisk(f))
        return fail(f.errorString());
    f.close();
    ApplySentLine(m_log, line);
    const FileStamp stamp = stampOf(m_path);
    m_knownSize = stamp.size;
    m_knownModified = stamp.modified;
    emit changed();
    return true;
}

int SentStore::begin(SentMessage message)
{
    message.id = log().nextId();
    message.at = now();
    if (!append(SentBeginLine(message)))
        return 0;
    m_sending = message.id;
    return message.id;
}

bool SentStore::submitting(int id, int part)
{
    return append(SentPartLine('T', id, part, now()));
}

bool SentStore::accepted(int id, int part, int reference)
{
    const bool written = append(SentPartLine('S', id, part, now(), QString::number(reference)));
    settleWaiting();
    return written;
}

bool SentStore::refused(int id, int part, const QString &reason)
{
    return append(SentPartLine('F', id, part, now(), reason));
}

bool SentStore::uncertain(int id, int part, const QString &reason)
{
    return append(SentPartLine('U', id, part, now(), reason));
}

void SentStore::finished(int id)
{
    if (m_sending == id) {
        m_sending = 0;
        settleWaiting();
        emit changed();
    }
}

std::optional<PartRef> SentStore::report(const StatusReport &r)
{
    const std::optional<PartRef> match = MatchReport(log(), r);
    if (!match && m_sending != 0) {
        m_waiting.append(r);
        return std::nullopt;
    }
    return record(r, match);
}

std::optional<PartRef> SentStore::record(const StatusReport &r, const std::optional<PartRef> &match)
{
    const SentLog &l = log();
    const int id = match ? l.messages[match->message].id : 0;
    const int part = match ? int(match->part) + 1 : 0;
    append(SentReportLine(now(), id, part, r));
    return match;
}

void SentStore::settleWaiting()
{
    const QList<StatusReport> waiting = std::exchange(m_waiting, {});
    for (const StatusReport &r : waiting) {
        const std::optional<PartRef> match = MatchReport(log(), r);
        if (match || m_sending == 0)
            record(r, match);
        else
            m_waiting.append(r);
    }
}
