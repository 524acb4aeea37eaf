// Debian's gammu, a decoder that is not ours, reads the simulator's messages through its own AT
// driver: long messages in UCS2 (with an emoji) and in the 7-bit alphabet (with extension
// characters), with 8- and 16-bit references, come out joined and as they were injected.

#include "SimPty.h"

#include <QStandardPaths>
#include <QtTest>

using simtest::SimPty;
using simtest::writeFile;

namespace {

// The texts gammu prints, one per message: a message's text follows its header block after an
// empty line.
QStringList texts(const QString &output)
{
    QStringList found;
    const QStringList blocks = output.split(QStringLiteral("\n\n"));
    for (int i = 0; i + 1 < blocks.size(); ++i) {
        if (blocks[i].contains(QLatin1String("Remote number")))
            found << blocks[i + 1];
    }
    return found;
}

} // namespace

class TestGammu : public QObject {
    Q_OBJECT

private slots:
    void geteachsmsJoinsTheParts()
    {
        const QString gammu = QStandardPaths::findExecutable(QStringLiteral("gammu"));
        if (gammu.isEmpty())
            QSKIP("gammu is not installed (Debian package gammu; scripts/setup.sh installs it)");
        const QString ucs2 = QStringLiteral("Grüße aus Köln 😀 – „Привет“, çok güzel! ") + QString(120, u'ж');
        const QString gsm = QStringLiteral("Preis: 5 € [netto] {inkl. ~Porto} | ") + QString(150, u'x');
        SimPty s;
        const QString fifo = s.file(QStringLiteral("control"));
        QVERIFY(s.start({"--no-pin", "--control", fifo}));
        // Injected while the simulator runs; the second with a 16-bit reference.
        auto line = [](const QString &options, const QString &text) {
            return (options + QStringLiteral("\t+4917012345678\t") + text + QLatin1Char('\n')).toUtf8();
        };
        QVERIFY(s.open());
        QVERIFY(writeFile(fifo, line(QStringLiteral("[ucs2]"), ucs2) + line(QStringLiteral("[ref16 ref=4660]"), gsm)));
        // Three parts and two: all in their slots once the fifth is announced. Then the port is
        // gammu's alone.
        QVERIFY(s.exchange({}, "+CMTI: \"SM\",5\r\n").endsWith("+CMTI: \"SM\",5\r\n"));
        ::close(s.fd);
        s.fd = -1;

        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("gammurc"));
        QVERIFY(writeFile(config, "[gammu]\nport = " + QFile::encodeName(s.link) + "\nconnection = at\n"));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        run.setProcessEnvironment(env);
        run.start(gammu, {QStringLiteral("-c"), config, QStringLiteral("geteachsms")});
        QVERIFY(run.waitForFinished(90000));
        const QString output = QString::fromUtf8(run.readAllStandardOutput());
        QVERIFY2(run.exitCode() == 0, qPrintable(output + QString::fromUtf8(run.readAllStandardError())));
        QCOMPARE(texts(output), (QStringList{ucs2, gsm}));
        QVERIFY2(output.contains(QLatin1String("ID (8 bit) 1, 3 parts")), qPrintable(output));
        QVERIFY2(output.contains(QLatin1String("ID (16 bit) 4660, 2 parts")), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestGammu)
#include "test_gammu.moc"
