#include "platform/PortHolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

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

// The number n of a pseudo-terminal's slave /dev/pts/<n>, or -1 for any other device.
int ptyIndex(const QString &canonical)
{
    static const QRegularExpression pts(QStringLiteral("/pts/(\\d+)$"));
    const QRegularExpressionMatch m = pts.match(canonical);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The pseudo-terminal a master descriptor belongs to, from the "tty-index:" line the kernel
// writes into its fdinfo; -1 when there is none.
int masterIndex(const QString &fdinfo)
{
    QFile f(fdinfo);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // A few short lines; the bound keeps a strange file from being read whole.
    const QList<QByteArray> lines = f.read(4096).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("tty-index:")) {
            bool ok = false;
            const int n = line.mid(10).trimmed().toInt(&ok);
            return ok ? n : -1;
        }
    }
    return -1;
}

QString who(const QList<PortHolder> &list)
{
    QStringList names;
    for (const PortHolder &h : list)
        names << QStringLiteral("Prozess %1 (%2)").arg(h.pid).arg(h.name.isEmpty() ? QStringLiteral("?") : h.name);
    return names.join(QStringLiteral(" und "));
}

} // namespace

QList<PortHolder> FindPortHolders(const QString &device, const QString &procRoot, QList<PortHolder> *unreadable)
{
    // A descriptor's link names the device itself (/dev/ttyUSB0, /dev/pts/3), never a link
    // to it such as /dev/serial/by-id/... or a simulator's link.
    QStringList targets{QDir::cleanPath(device)};
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (!canonical.isEmpty() && !targets.contains(canonical))
        targets << canonical;
    const int pty = ptyIndex(canonical.isEmpty() ? QDir::cleanPath(device) : canonical);

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
        bool holds = false;
        bool serves = false;
        const QFileInfoList links = fd.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const QFileInfo &link : links) {
            const QString target = link.symLinkTarget();
            if (targets.contains(target))
                holds = true;
            else if (pty >= 0 && QFileInfo(target).fileName() == QLatin1String("ptmx") &&
                     masterIndex(procDir + QStringLiteral("/fdinfo/") + link.fileName()) == pty)
                serves = true;
        }
        if (holds || serves)
            found.append({pid, commandName(procDir), serves});
    }
    return found;
}

QString PortHolderText(const QList<PortHolder> &holders, const QList<PortHolder> &unreadable)
{
    QList<PortHolder> users;
    QList<PortHolder> servers;
    for (const PortHolder &h : holders)
        (h.serves ? servers : users).append(h);
    // Whoever serves the port keeps it alive: ending that program would end the port too.
    const bool one = servers.size() == 1;
    if (!users.isEmpty()) {
        const QString what = QStringLiteral("Das Gerät wird von %1 benutzt").arg(who(users));
        QString text = allModemManager(users)
                           ? QStringLiteral("%1 – z. B. mit %2 beenden.").arg(what, kStopModemManager)
                           : QStringLiteral("%1 – das Programm beenden, z. B. mit „kill %2“.")
                                 .arg(what, pidList(users, QStringLiteral(" ")));
        if (!servers.isEmpty())
            text += QStringLiteral(" Bereitgestellt wird die Schnittstelle von %1, der Gegenseite des "
                                   "Pseudo-Terminals – %2 nicht beenden.")
                        .arg(who(servers), one ? QStringLiteral("dieses Programm") : QStringLiteral("diese Programme"));
        return text;
    }
    if (!servers.isEmpty())
        return QStringLiteral("Das Gerät wird von %1 benutzt: %2 die Schnittstelle bereit (die Gegenseite des "
                              "Pseudo-Terminals) und %3 nicht beendet werden.")
            .arg(who(servers),
                 one ? QStringLiteral("Dieses Programm stellt") : QStringLiteral("Diese Programme stellen"),
                 one ? QStringLiteral("darf") : QStringLiteral("dürfen"));
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

QList<qint64> ProcessesNamed(const QString &name, const QString &procRoot)
{
    QList<qint64> found;
    const QDir proc(procRoot);
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid && commandName(proc.filePath(entry)) == name)
            found << pid;
    }
    std::sort(found.begin(), found.end());
    return found;
}

DeviceAccess DeviceAccessOf(const QString &device)
{
    DeviceAccess access;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return access;
    const group *g = ::getgrgid(st.st_gid);
    if (!g)
        return access;
    access.group = QString::fromLocal8Bit(g->gr_name);
    QStringList members;
    for (char **m = g->gr_mem; m && *m; ++m)
        members << QString::fromLocal8Bit(*m);
    const passwd *pw = ::getpwuid(::getuid());
    access.user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    access.listedInGroup = (pw && pw->pw_gid == st.st_gid) || (!access.user.isEmpty() && members.contains(access.user));

    bool has = ::getegid() == st.st_gid;
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        QList<gid_t> groups(n);
        if (::getgroups(n, groups.data()) == n)
            has = has || groups.contains(st.st_gid);
    }
    access.processHasGroup = has;
#else
    Q_UNUSED(device);
#endif
    return access;
}

QString PortAccessHint(const QString &device)
{
    const DeviceAccess a = DeviceAccessOf(device);
    return PortAccessText(a.group, a.user, a.listedInGroup, a.processHasGroup);
}
