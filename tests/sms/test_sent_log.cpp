// The file of sent messages: what its records say about a message (also after a crash), which
// part a status report belongs to, and the store that writes the file record by record.
#include "sms/SentLog.h"
#include "sms/SentStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kAt = QStringLiteral("2024-05-01 12:00:00");

QString begin(int id, const QString &number, int parts, bool report, const QString &text = QStringLiteral("Hallo"))
{
    SentMessage m;
    m.id = id;
    m.at = kAt;
    m.number = number;
    m.coding = SmsCoding::Gsm7;
    m.route = parts > 1 || report ? SendRoute::Pdu : SendRoute::TextMode;
    m.report = report;
    m.text = text;
    m.parts.resize(parts);
    return SentBeginLine(m);
}

QString sent(int id, int part, int mr)
{
    return SentPartLine('T', id, part, kAt) + u'\n' + SentPartLine('S', id, part, kAt, QString::number(mr));
}

StatusReport reportOf(int mr, const QString &to, int status, const QString &dt = QStringLiteral("24/05/01,12:00:09+08"))
{
    StatusReport r;
    r.reference = mr;
    r.recipient = to;
    r.typeOfNumber = to.startsWith(u'+') ? 145 : 129;
    r.scts = QStringLiteral("24/05/01,12:00:01+08");
    r.dischargeTime = dt;
    r.status = status;
    return r;
}

QString reportLine(int id, int part, int status, const QString &dt = QStringLiteral("24/05/01,12:00:09+08"))
{
    return SentReportLine(kAt, id, part, reportOf(1, QStringLiteral("+4917012345678"), status, dt));
}

SentLog parse(const QStringList &lines)
{
    return ParseSentLog((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray lastLine(const QString &path)
{
    QByteArray bytes = readAll(path);
    if (!bytes.endsWith("\r\n"))
        return "(no line end)";
    bytes.chop(2);
    return bytes.mid(bytes.lastIndexOf('\n') + 1);
}

} // namespace

class TestSentLog : public QObject {
    Q_OBJECT
private slots:
    void stateOfAMessage_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("parts");
        const QString to = QStringLiteral("+4917012345678");
        const QString three = begin(1, to, 3, true);
        const QString allSent = sent(1, 1, 4) + u'\n' + sent(1, 2, 5) + u'\n' + sent(1, 3, 6);
        QTest::newRow("sent, no report asked") << QStringList{begin(1, to, 1, false), sent(1, 1, 5)} << "gesendet"
                                               << "Teil 1: gesendet (Referenz 5)";
        QTest::newRow("sent, no report yet") << QStringList{three, allSent} << "gesendet"
                                             << "Teil 1: gesendet (Referenz 4)\nTeil 2: gesendet (Referenz 5)\n"
                                                "Teil 3: gesendet (Referenz 6)";
        QTest::newRow("all parts delivered: the latest time")
            << QStringList{three, allSent, reportLine(1, 2, 0, "24/05/01,12:00:20+08"), reportLine(1, 1, 0),
                           reportLine(1, 3, 0)}
            << "zugestellt 01.05.24 12:00:20"
            << "Teil 1: gesendet (Referenz 4), zugestellt 01.05.24 12:00:09\nTeil 2: gesendet (Referenz 5), zugestellt "
               "01.05.24 12:00:20\nTeil 3: gesendet (Referenz 6), zugestellt 01.05.24 12:00:09";
        QTest::newRow("two of three delivered") << QStringList{three, allSent, reportLine(1, 1, 0), reportLine(1, 2, 0)}
                                                << "gesendet, 2 von 3 Teilen zugestellt"
                                                << "";
        QTest::newRow("one part pending") << QStringList{three, allSent, reportLine(1, 1, 0), reportLine(1, 2, 0x21)}
                                          << "ausstehend 01.05.24 12:00:09"
                                          << "";
        QTest::newRow("one part failed") << QStringList{three, allSent, reportLine(1, 1, 0), reportLine(1, 2, 0x46)}
                                         << "fehlgeschlagen 01.05.24 12:00:09"
                                         << "";
        QTest::newRow("pending, then delivered")
            << QStringList{begin(1, to, 1, true), sent(1, 1, 4), reportLine(1, 1, 0x20), reportLine(1, 1, 0)}
            << "zugestellt 01.05.24 12:00:09"
            << "";
        QTest::newRow("a late pending does not undo delivered")
            << QStringList{begin(1, to, 1, true), sent(1, 1, 4), reportLine(1, 1, 0), reportLine(1, 1, 0x20)}
            << "zugestellt 01.05.24 12:00:09"
            << "";
        QTest::newRow("refused part")
            << QStringList{three, sent(1, 1, 4), SentPartLine('T', 1, 2, kAt),
                           SentPartLine('F', 1, 2, kAt, "abgelehnt: Netz überlastet (+CMS ERROR: 42)")}
            << "fehlgeschlagen"
            << "Teil 1: gesendet (Referenz 4)\nTeil 2: nicht gesendet (abgelehnt: Netz überlastet (+CMS ERROR: 42))\n"
               "Teil 3: nicht gesendet";
        QTest::newRow("cut off while a part went out")
            << QStringList{three, sent(1, 1, 4), SentPartLine('T', 1, 2, kAt)}
            << "unterbrochen: 1 von 3 Teilen gesendet, 1 ungewiss"
            << "Teil 1: gesendet (Referenz 4)\nTeil 2: ungewiss (Senden nicht zu Ende gekommen)\nTeil 3: nicht "
               "gesendet";
        QTest::newRow("no answer to a part") << QStringList{three, sent(1, 1, 4), SentPartLine('T', 1, 2, kAt),
                                                            SentPartLine('U', 1, 2, kAt, "keine Antwort vom Modem")}
                                             << "unterbrochen: 1 von 3 Teilen gesendet, 1 ungewiss"
                                             << "";
        QTest::newRow("cut off before the first part") << QStringList{three} << "unterbrochen: 0 von 3 Teilen gesendet"
                                                       << "";
    }
    void stateOfAMessage()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, state);
        QFETCH(QString, parts);
        const SentLog log = parse(lines);
        QCOMPARE(log.badLines, 0);
        QCOMPARE(log.messages.size(), 1);
        QCOMPARE(SentStateText(log.messages[0]), state);
        if (!parts.isEmpty())
            QCOMPARE(SentPartsText(log.messages[0]), parts);
        QCOMPARE(SentStateText(log.messages[0], true), QStringLiteral("wird gesendet"));
    }

    void fieldsComeBackAsWritten()
    {
        const QString text = QStringLiteral("Tab\there\\ CR\rLF\n bell\a 😀 Grüße");
        SentMessage m;
        m.id = 7;
        m.at = kAt;
        m.number = QStringLiteral("+4917012345678");
        m.name = QStringLiteral("Müller\tHans");
        m.coding = SmsCoding::Ucs2;
        m.route = SendRoute::Pdu;
        m.report = true;
        m.text = text;
        m.parts.resize(2);
        const QString line = SentBeginLine(m);
        QVERIFY(!line.contains(u'\n') && !line.contains(u'\r'));
        QCOMPARE(line.count(u'\t'), 9);
        const SentLog log = parse({line});
        QCOMPARE(log.messages.size(), 1);
        const SentMessage &back = log.messages[0];
        QCOMPARE(back.text, text);
        QCOMPARE(back.name, m.name);
        QCOMPARE(back.number, m.number);
        QCOMPARE(back.coding, SmsCoding::Ucs2);
        QCOMPARE(back.route, SendRoute::Pdu);
        QVERIFY(back.report);
        QCOMPARE(back.parts.size(), 2);
        QCOMPARE(log.nextId(), 8);
        // Backslashes that start no escape are kept.
        QCOMPARE(UnescapeSentField(u"a\\qb\\x4\\"), QStringLiteral("a\\qb\\x4\\"));
    }

    void damagedLinesAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("bad");
        QTest::addColumn<int>("partsSent");
        const QByteArray m = begin(1, QStringLiteral("+49170"), 2, false).toUtf8() + "\r\n";
        const QByteArray t = SentPartLine('T', 1, 1, kAt).toUtf8() + "\r\n";
        const QByteArray s = SentPartLine('S', 1, 1, kAt, QStringLiteral("5")).toUtf8() + "\r\n";
        QTest::newRow("sound") << m + t + s << 0 << 1;
        QTest::newRow("a write cut short is not read") << m + t + s.left(s.size() - 2) << 0 << 0;
        QTest::newRow("LF line ends") << QByteArray(m + t + s).replace("\r\n", "\n") << 0 << 1;
        QTest::newRow("comments and empty lines") << "# Kopf\r\n\r\n" + m + t + s << 0 << 1;
        QTest::newRow("unknown kind") << m + "X\tfoo\r\n" + t + s << 1 << 1;
        QTest::newRow("unknown message") << m + "S\t9\t1\t" + kAt.toUtf8() + "\t5\r\n" << 1 << 0;
        QTest::newRow("part beyond the message") << m + "S\t1\t3\t" + kAt.toUtf8() + "\t5\r\n" << 1 << 0;
        QTest::newRow("reference beyond an octet") << m + "S\t1\t1\t" + kAt.toUtf8() + "\t300\r\n" << 1 << 0;
        QTest::newRow("same id twice") << m + m + t + s << 1 << 1;
        QTest::newRow("fields missing") << m + "S\t1\t1\r\n" << 1 << 0;
        QTest::newRow("time cut short") << m + "S\t1\t1\t2024-05\t5\r\n" << 1 << 0;
        QTest::newRow("bad coding") << QByteArray(m).replace("\tGSM\t", "\tUTF8\t") + t + s << 3 << 0;
        QTest::newRow("not UTF-8") << m + "\xff\xfe\r\n" + t + s << 1 << 1;
    }
    void damagedLinesAreSkipped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, bad);
        QFETCH(int, partsSent);
        const SentLog log = ParseSentLog(bytes);
        QCOMPARE(log.badLines, bad);
        int n = 0;
        for (const SentMessage &msg : log.messages)
            n += int(std::count_if(msg.parts.begin(), msg.parts.end(),
                                   [](const SentPart &p) { return p.state == PartState::Sent; }));
        QCOMPARE(n, partsSent);
    }

    // Message 1 and 4 to the same number with the same reference (it counted round); 2 asked
    // for no report; 3 went to a national number; 5 was cut off before its answer.
    void whichPartAReportBelongsTo_data()
    {
        QTest::addColumn<StatusReport>("report");
        QTest::addColumn<int>("message"); // index, -1: none
        QTest::addColumn<int>("part");
        const QString anna = QStringLiteral("+4917012345678");
        QTest::newRow("the later of two with the reference") << reportOf(10, anna, 0) << 3 << 0;
        QTest::newRow("the number written with 00") << reportOf(10, "004917012345678", 0) << 3 << 0;
        QTest::newRow("no report was asked for") << reportOf(11, anna, 0) << -1 << -1;
        QTest::newRow("national number, first part") << reportOf(12, "+4917612345678", 0) << 2 << 0;
        QTest::newRow("national number, second part") << reportOf(13, "+4917612345678", 0) << 2 << 1;
        QTest::newRow("reference of another recipient") << reportOf(12, anna, 0) << -1 << -1;
        QTest::newRow("reference nobody got") << reportOf(99, anna, 0) << -1 << -1;
        QTest::newRow("no recipient in the report") << reportOf(10, "", 0) << -1 << -1;
        QTest::newRow("a part without its answer") << reportOf(0, "+4915199999999", 0) << -1 << -1;
    }
    void whichPartAReportBelongsTo()
    {
        QFETCH(StatusReport, report);
        QFETCH(int, message);
        QFETCH(int, part);
        const QString anna = QStringLiteral("+4917012345678");
        const SentLog log =
            parse({begin(1, anna, 1, true), sent(1, 1, 10), begin(2, anna, 1, false), sent(2, 1, 11),
                   begin(3, "017612345678", 2, true), sent(3, 1, 12), sent(3, 2, 13), begin(4, anna, 1, true),
                   sent(4, 1, 10), begin(5, "+4915199999999", 1, true), SentPartLine('T', 5, 1, kAt)});
        QCOMPARE(log.badLines, 0);
        const std::optional<PartRef> ref = MatchReport(log, report);
        QCOMPARE(ref ? int(ref->message) : -1, message);
        QCOMPARE(ref ? int(ref->part) : -1, part);
    }

    // Once the later message has its final report, the next one with the reference is the
    // earlier message's; a pending one does not close a part.
    void aFinalReportClosesThePart()
    {
        const QString anna = QStringLiteral("+4917012345678");
        SentLog log = parse({begin(1, anna, 1, true), sent(1, 1, 10), begin(2, anna, 1, true), sent(2, 1, 10)});
        ApplyReport(log.messages[1].parts[0], reportOf(10, anna, 0x20));
        QCOMPARE(MatchReport(log, reportOf(10, anna, 0))->message, 1);
        ApplyReport(log.messages[1].parts[0], reportOf(10, anna, 0));
        QCOMPARE(MatchReport(log, reportOf(10, anna, 0))->message, 0);
        ApplyReport(log.messages[0].parts[0], reportOf(10, anna, 0x41));
        QVERIFY(!MatchReport(log, reportOf(10, anna, 0)));
    }

    void theStoreWritesEveryRecord()
    {
        QTemporaryDir dir;
        SentStore store(dir.path());
        const QString path = dir.filePath(QStringLiteral("gesendet.txt"));
        QCOMPARE(store.path(), path);
        QSignalSpy changed(&store, &SentStore::changed);
        SentMessage m;
        m.number = QStringLiteral("+4917012345678");
        m.report = true;
        m.text = QStringLiteral("Grüße 😀");
        m.parts.resize(2);
        const int id = store.begin(m);
        QCOMPARE(id, 1);
        QCOMPARE(store.sending(), 1);
        // On the disk before the call returns: read by a file of its own.
        QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith("# Varnix: gesendete Nachrichten"));
        QVERIFY(bytes.endsWith("\tGrüße 😀\r\n"));
        QVERIFY(store.submitting(id, 1));
        QVERIFY(lastLine(path).startsWith("T\t1\t1\t"));
        QVERIFY(store.accepted(id, 1, 17));
        QVERIFY(lastLine(path).startsWith("S\t1\t1\t"));
        QVERIFY(lastLine(path).endsWith("\t17"));
        QVERIFY(store.submitting(id, 2));
        QVERIFY(store.refused(id, 2, QStringLiteral("abgelehnt: ERROR")));
        store.finished(id);
        QCOMPARE(store.sending(), 0);
        QCOMPARE(ParseSentLog(readAll(path)).messages[0].parts[1].state, PartState::Refused);
        QCOMPARE(SentStateText(store.log().messages[0]), QStringLiteral("fehlgeschlagen"));

        // A report of part 1, and one of nothing sent from here.
        const std::optional<PartRef> ref = store.report(reportOf(17, m.number, 0));
        QVERIFY(ref && ref->message == 0 && ref->part == 0);
        QVERIFY(!store.report(reportOf(18, m.number, 0)));
        const SentLog back = ParseSentLog(readAll(path));
        QCOMPARE(back.badLines, 0);
        QCOMPARE(back.messages[0].parts[0].reportStatus, 0);
        QCOMPARE(back.unknown.size(), 1);
        QCOMPARE(back.unknown[0].report.reference, 18);
        QCOMPARE(changed.count(), 8);

        // Another writer's records (a second copy of the program) are read on the next look.
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(begin(2, QStringLiteral("+49151"), 1, false).toUtf8() + "\r\n");
        f.close();
        QCOMPARE(store.log().messages.size(), 2);
        QCOMPARE(store.begin(m), 3);
    }

    // On a fast network the report comes inside the answer that names its reference, before the
    // part is on record: it waits for the part; one that fits none is kept when the send is over.
    void aReportBeforeItsPartWaits()
    {
        QTemporaryDir dir;
        SentStore store(dir.path());
        SentMessage m;
        m.number = QStringLiteral("+4917012345678");
        m.report = true;
        m.parts.resize(2);
        const int id = store.begin(m);
        QVERIFY(store.submitting(id, 1));
        QVERIFY(!store.report(reportOf(5, m.number, 0)));
        QVERIFY(!store.report(reportOf(77, m.number, 0)));
        QVERIFY(!readAll(store.path()).contains("\nR\t"));
        QVERIFY(store.accepted(id, 1, 5));
        QCOMPARE(store.log().messages[0].parts[0].reportStatus, 0);
        QVERIFY(store.log().unknown.isEmpty());
        QVERIFY(store.submitting(id, 2));
        QVERIFY(store.accepted(id, 2, 6));
        store.finished(id);
        const SentLog back = ParseSentLog(readAll(store.path()));
        QCOMPARE(back.messages[0].parts[0].reportStatus, 0);
        QCOMPARE(back.unknown.size(), 1);
        QCOMPARE(back.unknown[0].report.reference, 77);
    }

    void aRecordCutShortStaysOnItsOwnLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gesendet.txt"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(begin(1, QStringLiteral("+49170"), 2, false).toUtf8() + "\r\nT\t1\t1\t2024-05");
        }
        SentStore store(dir.path());
        QCOMPARE(store.log().messages[0].parts[0].state, PartState::NotSent);
        SentMessage m;
        m.number = QStringLiteral("+49151");
        m.parts.resize(1);
        QCOMPARE(store.begin(m), 2);
        const SentLog back = ParseSentLog(readAll(path));
        QCOMPARE(back.messages.size(), 2);
        QCOMPARE(back.badLines, 1); // the cut record
    }

    void aFileThatCannotBeWrittenStopsTheSend()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("gesendet.txt")));
        SentStore store(dir.path());
        SentMessage m;
        m.parts.resize(1);
        QCOMPARE(store.begin(m), 0);
        QVERIFY2(store.error().startsWith(QStringLiteral("Die Datei der gesendeten Nachrichten ")),
                 qPrintable(store.error()));
        QVERIFY(
            store.error().endsWith(QStringLiteral("kann nicht geschrieben werden: sie ist keine gewöhnliche Datei.")));
        QVERIFY(!store.submitting(1, 1));
    }
};

QTEST_GUILESS_MAIN(TestSentLog)
#include "test_sent_log.moc"
