#include "platform/PortHolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kModemManager = QStringLiteral("ModemManager");

QString commandName(const QString &procDir)
{
    QFile f(procDir + QStringLiteral("/comm"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readAll()).trimmed();
}

QString pidList(const QList<PortHolder> &list, const QString &separator)
{
    QStringList pids;
    for (const PortHolder &h : list)
        pids << QString::number(h.pid);
    return pids.join(separator);
}

bool allModemManager(const QList<PortHolder> &list)
{
    for (const PortHolder &h : list) {
        if (h.name != kModemManager)
            return false;
    }
    return !list.isEmpty();
}

const QString kStopModemManager = QStringLiteral("„sudo systemctl stop ModemManager“");

} // namespace

QList<PortHolder> FindPortHolders(const QString &device, const QString &procRoot, QList<PortHolder> *unreadable)
{
    // A descriptor's link names the device itself (/dev/ttyUSB0, /dev/pts/3), never a link
    // to it such as /dev/serial/by-id/... or a simulator's link.
    QStringList targets{QDir::cleanPath(device)};
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (!canonical.isEmpty() && !targets.contains(canonical))
        targets << canonical;

    QList<PortHolder> found;
    const QDir proc(procRoot);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QString procDir = proc.filePath(entry);
        QDir fd(procDir + QStringLiteral("/fd"));
        if (!fd.isReadable()) {
            if (unreadable)
                unreadable->append({pid, commandName(procDir)});
            continue;
        }
        const QFileInfoList links = fd.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const QFileInfo &link : links) {
            if (targets.contains(link.symLinkTarget())) {
                found.append({pid, commandName(procDir)});
                break;
            }
        }
    }
    return found;
}

QString PortHolderText(const QList<PortHolder> &holders, const QList<PortHolder> &unreadable)
{
    if (!holders.isEmpty()) {
        QStringList who;
        for (const PortHolder &h : holders)
            who << QStringLiteral("Prozess %1 (%2)").arg(h.pid).arg(h.name.isEmpty() ? QStringLiteral("?") : h.name);
        const QString what = QStringLiteral("Das Gerät wird von %1 benutzt").arg(who.join(QStringLiteral(" und ")));
        if (allModemManager(holders))
            return QStringLiteral("%1 – z. B. mit %2 beenden.").arg(what, kStopModemManager);
        return QStringLiteral("%1 – das Programm beenden, z. B. mit „kill %2“.").arg(what, pidList(holders, QStringLiteral(" ")));
    }
    // ModemManager runs as root, so a user cannot see its descriptors; that it runs at all
    // is the best hint there is.
    QList<PortHolder> managers;
    for (const PortHolder &h : unreadable) {
        if (h.name == kModemManager)
            managers << h;
    }
    if (managers.isEmpty())
        return {};
    return QStringLiteral("Wahrscheinlich benutzt ModemManager (Prozess %1) das Gerät – z. B. mit %2 beenden.")
        .arg(pidList(managers, QStringLiteral(", ")), kStopModemManager);
}

QString PortHolderHint(const QString &device, const QString &procRoot)
{
    QList<PortHolder> unreadable;
    const QList<PortHolder> holders = FindPortHolders(device, procRoot, &unreadable);
    return PortHolderText(holders, unreadable);
}

QString PortAccessText(const QString &group, const QString &user, bool listedInGroup, bool processHasGroup)
{
    if (group.isEmpty() || group == QStringLiteral("root") || processHasGroup)
        return {};
    if (listedInGroup)
        return QStringLiteral("Der Benutzer %1 ist in der Gruppe %2, das gilt aber erst nach einer neuen Anmeldung.")
            .arg(user, group);
    return QStringLiteral("Das Gerät gehört der Gruppe %1: den Benutzer mit „sudo adduser %2 %1“ aufnehmen und neu anmelden.")
        .arg(group, user.isEmpty() ? QStringLiteral("$USER") : user);
}

QString PortAccessHint(const QString &device)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return {};
    const group *g = ::getgrgid(st.st_gid);
    if (!g)
        return {};
    const QString groupName = QString::fromLocal8Bit(g->gr_name);
    QStringList members;
    for (char **m = g->gr_mem; m && *m; ++m)
        members << QString::fromLocal8Bit(*m);
    const passwd *pw = ::getpwuid(::getuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    const bool listed = (pw && pw->pw_gid == st.st_gid) || (!user.isEmpty() && members.contains(user));

    bool has = ::getegid() == st.st_gid;
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        QList<gid_t> groups(n);
        if (::getgroups(n, groups.data()) == n)
            has = has || groups.contains(st.st_gid);
    }
    return PortAccessText(groupName, user, listed, has);
#else
    Q_UNUSED(device);
    return {};
#endif
}
