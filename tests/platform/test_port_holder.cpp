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

// A process entry of a made-up /proc: its command name and its descriptors' link targets.
void addProcess(const QString &proc, qint64 pid, const QByteArray &comm, const QStringList &fds)
{
    const QString dir = proc + QStringLiteral("/%1").arg(pid);
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/fd")));
    QFile f(dir + QStringLiteral("/comm"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(comm + '\n');
    for (int i = 0; i < fds.size(); ++i)
        QVERIFY(QFile::link(fds[i], dir + QStringLiteral("/fd/%1").arg(i)));
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

        QCOMPARE(PortHolderHint(slave), QString());
        const int fd = ::open(slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        const qint64 pid = ::getpid();
        const QString expected =
            QStringLiteral("Das Gerät wird von Prozess %1 (platform_test_p) benutzt – das Programm beenden, z. B. mit „kill %1“.")
                .arg(pid);
        QCOMPARE(PortHolderHint(slave), expected);
        QCOMPARE(PortHolderHint(link), expected); // through a link, as a COM mapping may name it
        ::close(fd);
        QCOMPARE(PortHolderHint(slave), QString());
        ::close(master);
    }

    void findsHoldersInProc_data()
    {
        QTest::addColumn<QString>("asked");    // relative to the temporary root
        QTest::addColumn<QList<qint64>>("pids");
        QTest::newRow("the device") << "dev/ttyUSB0" << QList<qint64>{812, 4711};
        QTest::newRow("a link to it") << "by-id/usb-Huawei_E3372" << QList<qint64>{812, 4711};
        QTest::newRow("another device") << "dev/ttyACM0" << QList<qint64>{};
        QTest::newRow("a name that only begins alike") << "dev/ttyUSB" << QList<qint64>{};
    }
    void findsHoldersInProc()
    {
        QFETCH(QString, asked);
        QFETCH(QList<qint64>, pids);
        QTemporaryDir root;
        const QString dev = root.filePath(QStringLiteral("dev"));
        QVERIFY(QDir().mkpath(dev) && QDir().mkpath(root.filePath(QStringLiteral("by-id"))));
        for (const char *name : {"ttyUSB0", "ttyACM0", "ttyUSB"}) {
            QFile f(dev + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dev + QStringLiteral("/ttyUSB0"), root.filePath(QStringLiteral("by-id/usb-Huawei_E3372"))));
        const QString proc = root.filePath(QStringLiteral("proc"));
        addProcess(proc, 812, "ModemManager", {QStringLiteral("/dev/null"), dev + QStringLiteral("/ttyUSB0")});
        addProcess(proc, 4711, "minicom", {dev + QStringLiteral("/ttyUSB0")});
        addProcess(proc, 4800, "bash", {QStringLiteral("/dev/pts/0"), QStringLiteral("socket:[1234]")});
        QVERIFY(QDir().mkpath(proc + QStringLiteral("/self/fd"))); // not a process number

        QList<qint64> found;
        for (const PortHolder &h : FindPortHolders(root.filePath(asked), proc))
            found << h.pid;
        std::sort(found.begin(), found.end());
        QCOMPARE(found, pids);
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
        QTest::newRow("nobody") << QList<PortHolder>{} << QList<PortHolder>{{1, QStringLiteral("systemd")}} << QString();
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
};

QTEST_GUILESS_MAIN(TestPortHolder)
#include "test_port_holder.moc"
