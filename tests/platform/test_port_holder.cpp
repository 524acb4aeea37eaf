// Who holds a serial device, and what the user is told to do about it.
#include "platform/PortHolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PortHolder)

namespace {

// A process entry of a made-up /proc: its command name and its descriptors' link targets. A
// "ptmx:<n>" descriptor is the master of pseudo-terminal n, as the kernel's fdinfo tells it.
void addProcess(const QString &proc, qint64 pid, const QByteArray &comm, const QStringList &fds)
{
    const QString dir = proc + QStringLiteral("/%1").arg(pid);
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/fd")) && QDir().mkpath(dir + QStringLiteral("/fdinfo")));
    QFile f(dir + QStringLiteral("/comm"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(comm + '\n');
    for (int i = 0; i < fds.size(); ++i) {
        QString target = fds[i];
        if (target.startsWith(QLatin1String("ptmx:"))) {
            QFile info(dir + QStringLiteral("/fdinfo/%1").arg(i));
            QVERIFY(info.open(QIODevice::WriteOnly));
            info.write("pos:\t0\nflags:\t02100002\nmnt_id:\t24\nino:\t90\ntty-index:\t" + target.mid(5).toLatin1() +
                       '\n');
            target = QStringLiteral("/dev/ptmx");
        }
        QVERIFY(QFile::link(target, dir + QStringLiteral("/fd/%1").arg(i)));
    }
}

} // namespace

class TestPortHolder : public QObject {
    Q_OBJECT
private slots:
    // The test holds the slave side of a pseudo-terminal itself and must find itself.
    void findsTheProcessHoldingARealPty()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("modem"));
        QVERIFY(QFile::link(slave, link));

        // Holding the master, and the slave as well as a simulated modem does, this process
        // serves the device: it is named, and nobody is told to end it.
        const QString serving = QStringLiteral("Das Gerät wird von Prozess %1 (platform_test_p) benutzt: Dieses "
                                               "Programm stellt die Schnittstelle bereit (die Gegenseite des "
                                               "Pseudo-Terminals) und darf nicht beendet werden.")
                                    .arg(::getpid());
        QCOMPARE(PortHolderHint(slave), serving);
        const int fd = ::open(slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        QCOMPARE(PortHolderHint(slave), serving);
        QCOMPARE(PortHolderHint(link), serving); // through a link, as a COM mapping may name it
        ::close(fd);
        ::close(master);
        QCOMPARE(PortHolderHint(slave), QString());
    }

    void findsHoldersInProc_data()
    {
        QTest::addColumn<QString>("asked");     // relative to the temporary root
        QTest::addColumn<QStringList>("found"); // process numbers, "+" for one that serves the device
        QTest::newRow("the device") << "dev/ttyUSB0" << QStringList{"812", "4711"};
        QTest::newRow("a link to it") << "by-id/usb-Huawei_E3372" << QStringList{"812", "4711"};
        QTest::newRow("another device") << "dev/ttyACM0" << QStringList{};
        QTest::newRow("a name that only begins alike") << "dev/ttyUSB" << QStringList{};
        QTest::newRow("a pty: its server and its user") << "dev/pts/5" << QStringList{"900+", "4712"};
        QTest::newRow("a pty served by a master alone") << "dev/pts/6" << QStringList{"901+"};
        QTest::newRow("a pty nobody holds") << "dev/pts/7" << QStringList{};
    }
    void findsHoldersInProc()
    {
        QFETCH(QString, asked);
        QTemporaryDir root;
        const QString dev = root.filePath(QStringLiteral("dev"));
        QVERIFY(QDir().mkpath(dev + QStringLiteral("/pts")) && QDir().mkpath(root.filePath(QStringLiteral("by-id"))));
        for (const char *name : {"ttyUSB0", "ttyACM0", "ttyUSB", "pts/5", "pts/6", "pts/7"}) {
            QFile f(dev + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dev + QStringLiteral("/ttyUSB0"), root.filePath(QStringLiteral("by-id/usb-Huawei_E3372"))));
        const QString proc = root.filePath(QStringLiteral("proc"));
        addProcess(proc, 812, "ModemManager", {QStringLiteral("/dev/null"), dev + QStringLiteral("/ttyUSB0")});
        addProcess(proc, 4711, "minicom", {dev + QStringLiteral("/ttyUSB0")});
        addProcess(proc, 4800, "bash", {QStringLiteral("/dev/pts/0"), QStringLiteral("socket:[1234]")});
        // A simulated modem holds both sides of its pseudo-terminal; a terminal program the slave.
        addProcess(proc, 900, "varnix-modemsim", {QStringLiteral("ptmx:5"), dev + QStringLiteral("/pts/5")});
        addProcess(proc, 4712, "varnix", {dev + QStringLiteral("/pts/5")});
        addProcess(proc, 901, "socat", {QStringLiteral("ptmx:6"), QStringLiteral("ptmx:17")});
        QVERIFY(QDir().mkpath(proc + QStringLiteral("/self/fd"))); // not a process number

        QList<PortHolder> holders = FindPortHolders(root.filePath(asked), proc);
        std::sort(holders.begin(), holders.end(),
                  [](const PortHolder &a, const PortHolder &b) { return a.pid < b.pid; });
        QStringList found;
        for (const PortHolder &h : holders)
            found << QString::number(h.pid) + (h.serves ? QStringLiteral("+") : QString());
        QTEST(found, "found");
    }

    void holderText_data()
    {
        QTest::addColumn<QList<PortHolder>>("holders");
        QTest::addColumn<QList<PortHolder>>("unreadable");
        QTest::addColumn<QString>("text");
        const PortHolder mm{812, QStringLiteral("ModemManager")};
        const PortHolder minicom{4711, QStringLiteral("minicom")};
        QTest::newRow("ModemManager") << QList<PortHolder>{mm} << QList<PortHolder>{}
                                      << "Das Gerät wird von Prozess 812 (ModemManager) benutzt – z. B. mit „sudo "
                                         "systemctl stop ModemManager“ beenden.";
        QTest::newRow("a terminal program")
            << QList<PortHolder>{minicom} << QList<PortHolder>{mm}
            << "Das Gerät wird von Prozess 4711 (minicom) benutzt – das Programm beenden, z. B. mit „kill 4711“.";
        QTest::newRow("two")
            << QList<PortHolder>{minicom, {4712, QString()}} << QList<PortHolder>{}
            << "Das Gerät wird von Prozess 4711 (minicom) und Prozess 4712 (?) benutzt – das Programm beenden, z. B. "
               "mit „kill 4711 4712“.";
        QTest::newRow("ModemManager not visible")
            << QList<PortHolder>{} << QList<PortHolder>{{1, QStringLiteral("systemd")}, mm}
            << "Wahrscheinlich benutzt ModemManager (Prozess 812) das Gerät – z. B. mit „sudo systemctl stop "
               "ModemManager“ beenden.";
        const PortHolder sim{900, QStringLiteral("varnix-modemsim"), true};
        QTest::newRow("the modem's own server") << QList<PortHolder>{sim} << QList<PortHolder>{}
                                                << "Das Gerät wird von Prozess 900 (varnix-modemsim) benutzt: Dieses "
                                                   "Programm stellt die Schnittstelle bereit (die Gegenseite des "
                                                   "Pseudo-Terminals) und darf nicht beendet werden.";
        QTest::newRow("another program on a served port")
            << QList<PortHolder>{sim, minicom} << QList<PortHolder>{}
            << "Das Gerät wird von Prozess 4711 (minicom) benutzt – das Programm beenden, z. B. mit „kill 4711“. "
               "Bereitgestellt wird die Schnittstelle von Prozess 900 (varnix-modemsim), der Gegenseite des "
               "Pseudo-Terminals – dieses Programm nicht beenden.";
        QTest::newRow("nobody") << QList<PortHolder>{} << QList<PortHolder>{{1, QStringLiteral("systemd")}}
                                << QString();
    }
    void holderText()
    {
        QFETCH(QList<PortHolder>, holders);
        QFETCH(QList<PortHolder>, unreadable);
        QFETCH(QString, text);
        QCOMPARE(PortHolderText(holders, unreadable), text);
    }

    void accessText_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("has");
        QTest::addColumn<QString>("text");
        QTest::newRow("not in dialout")
            << "dialout" << "anna" << false << false
            << "Das Gerät gehört der Gruppe dialout: den Benutzer mit „sudo adduser anna dialout“ aufnehmen und neu "
               "anmelden.";
        QTest::newRow("added, not logged in again")
            << "dialout" << "anna" << true << false
            << "Der Benutzer anna ist in der Gruppe dialout, das gilt aber erst nach einer neuen Anmeldung.";
        QTest::newRow("already in it") << "dialout" << "anna" << true << true << QString();
        QTest::newRow("a root-only device") << "root" << "anna" << false << false << QString();
        QTest::newRow("user unknown") << "uucp" << QString() << false << false
                                      << "Das Gerät gehört der Gruppe uucp: den Benutzer mit „sudo adduser $USER uucp“ "
                                         "aufnehmen und neu anmelden.";
    }
    void accessText()
    {
        QFETCH(QString, group);
        QFETCH(QString, user);
        QFETCH(bool, listed);
        QFETCH(bool, has);
        QFETCH(QString, text);
        QCOMPARE(PortAccessText(group, user, listed, has), text);
    }

    // ModemManager runs as root: a user sees that it runs, though not what it holds.
    void processesByName()
    {
        QTemporaryDir root;
        const QString proc = root.filePath(QStringLiteral("proc"));
        addProcess(proc, 4711, "ModemManager", {});
        addProcess(proc, 812, "minicom", {});
        addProcess(proc, 90, "ModemManager", {});
        addProcess(proc, 91, "ModemManagerX", {});
        QVERIFY(QDir().mkpath(proc + QStringLiteral("/self")));
        QCOMPARE(ProcessesNamed(QStringLiteral("ModemManager"), proc), (QList<qint64>{90, 4711}));
        QCOMPARE(ProcessesNamed(QStringLiteral("gammu"), proc), QList<qint64>());
        QCOMPARE(ProcessesNamed(QStringLiteral("ModemManager"), root.filePath(QStringLiteral("none"))),
                 QList<qint64>());
    }

    // A file of this process's own group: the process has the group, so nothing keeps it out.
    void accessOfAFileOfOurOwnGroup()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("device")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const DeviceAccess a = DeviceAccessOf(f.fileName());
        QVERIFY(!a.group.isEmpty());
        QVERIFY(!a.user.isEmpty());
        QVERIFY(a.processHasGroup);
        QCOMPARE(DeviceAccessOf(dir.filePath(QStringLiteral("missing"))).group, QString());
    }
};

QTEST_GUILESS_MAIN(TestPortHolder)
#include "test_port_holder.moc"
