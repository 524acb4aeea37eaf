// Real time against varnix-modemsim: a message of today in three UCS2 parts, read back by gammu
// (a decoder that is neither the program's nor the simulator's) from the PDUs the program sent;
// and a status report that says the message failed. (The profile tests send after a whole
// registration; here the modem is made ready in three commands.)
#include "ProfileCycle.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

// The bytes the modem received, in order, from its transcript (`<< "…"` lines, C escapes).
QByteArray received(const QByteArray &transcript)
{
    QByteArray out;
    static const QRegularExpression line(QStringLiteral("^\\s*[0-9.]+ << \"(.*)\"$"));
    for (const QByteArray &l : transcript.split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(l));
        if (!m.hasMatch())
            continue;
        const QByteArray s = m.captured(1).toLatin1();
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s[i] != '\\' || i + 1 == s.size()) {
                out += s[i];
                continue;
            }
            const char e = s[++i];
            if (e == 'r')
                out += '\r';
            else if (e == 'n')
                out += '\n';
            else if (e == 't')
                out += '\t';
            else if (e == 'x' && i + 2 < s.size()) {
                out += char(s.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else
                out += e;
        }
    }
    return out;
}

// The PDUs that followed AT+CMGS=<length> up to their Ctrl-Z.
QStringList sentPdus(const QByteArray &stream)
{
    QStringList pdus;
    static const QRegularExpression pdu(QStringLiteral("AT\\+CMGS=\\d+\\r([0-9A-F]+)\\x1A"));
    auto it = pdu.globalMatch(QString::fromLatin1(stream));
    while (it.hasNext())
        pdus << it.next().captured(1);
    return pdus;
}

} // namespace

class TestSendTodayE2e : public QObject {
    Q_OBJECT
private slots:
    void gammuReadsWhatWasSent()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gammu")).isEmpty())
            QSKIP("gammu is not installed (Debian package gammu; scripts/setup.sh installs it)");
        QTemporaryDir files;
        const QString transcript = files.filePath(QStringLiteral("transcript.txt"));
        ProfileCycle c(QString(), {QStringLiteral("--transcript"), transcript});
        QVERIFY(c.readyToSend());
        QCOMPARE(c.sendToday(), QStringLiteral("Gesendet in 3 Teilen (Referenzen 1, 2, 3). Empfangsbestätigung "
                                               "angefordert."));
        QCOMPARE(c.outboxLastLine(), "+4917099999999\t" + kTodayText.toUtf8() + "\tpdu 3");
        QVERIFY(c.archivedState(QStringLiteral("zugestellt ")).startsWith(QLatin1String("zugestellt ")));

        QFile t(transcript);
        QVERIFY(t.open(QIODevice::ReadOnly));
        const QStringList pdus = sentPdus(received(t.readAll()));
        QCOMPARE(pdus.size(), 3);
        QProcess gammu;
        gammu.start(QStringLiteral("python3"), QStringList{QStringLiteral(VARNIX_E2E_DIR "/gammu_reads.py")} + pdus);
        QVERIFY(gammu.waitForFinished(90000));
        const QString output = QString::fromUtf8(gammu.readAllStandardOutput());
        QVERIFY2(gammu.exitCode() == 0, qPrintable(output + QString::fromUtf8(gammu.readAllStandardError())));
        // The text follows the header block after an empty line.
        const QStringList blocks = output.split(QStringLiteral("\n\n"));
        QStringList texts;
        for (int i = 0; i + 1 < blocks.size(); ++i) {
            if (blocks[i].contains(QLatin1String("Remote number")))
                texts << blocks[i + 1];
        }
        QCOMPARE(texts, QStringList{kTodayText});
        QVERIFY2(output.contains(QLatin1String("Remote number        : \"+4917099999999\"")), qPrintable(output));
        QVERIFY2(output.contains(QLatin1String("Coding               : Unicode")), qPrintable(output));
        QVERIFY2(output.contains(QRegularExpression(QStringLiteral("ID \\(8 bit\\) \\d+, 3 parts"))),
                 qPrintable(output));
        QVERIFY(c.boxes().isEmpty());
    }

    void aFailedReportShowsFailed()
    {
        ProfileCycle c(QString(), {QStringLiteral("--report-status"), QStringLiteral("failed"),
                                   QStringLiteral("--report-delay"), QStringLiteral("1500")});
        QVERIFY(c.readyToSend());
        QVERIFY(c.sendToday(QStringLiteral("Bist du da?")).startsWith(QLatin1String("Gesendet (Referenz 1).")));
        const QString state = c.archivedState(QStringLiteral("fehlgeschlagen "));
        QVERIFY2(state.startsWith(QLatin1String("fehlgeschlagen ")), qPrintable(state));
        QVERIFY(c.boxes().isEmpty());
    }
};

QTEST_MAIN(TestSendTodayE2e)
#include "test_send_today_e2e.moc"
