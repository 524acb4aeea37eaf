// The simulator's files: preloaded messages and phonebook entries, injections, the outbox.

#include "SimTest.h"
#include "core/DataFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace modemsim;

Q_DECLARE_METATYPE(modemsim::StoredSms)

class TestDataFiles : public QObject {
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("slot");
        QTest::addColumn<StoredSms>("sms");
        const auto unread = [](const QByteArray &text) { return StoredSms{"REC UNREAD", "+49170", {}, text}; };

        QTest::newRow("full") << QByteArray("3\tREC READ\t+49170\t24/05/01,12:00:00+08\tHallo\n") << 3
                              << StoredSms{"REC READ", "+49170", "24/05/01,12:00:00+08", "Hallo"};
        QTest::newRow("short form, comment, CR LF") << QByteArray("# Nachrichten\r\n\r\n+49170\tHallo Welt\r\n") << 0
                                                    << unread("Hallo Welt");
        QTest::newRow("escapes") << QByteArray("+49170\teins\\r\\nzwei\\tdrei \\\\ \\x80\\x1a") << 0
                                 << unread("eins\r\nzwei\tdrei \\ \x80\x1a");
        // UTF-8 files are converted to the line's Windows-1252; Windows-1252 files stay as they are.
        QTest::newRow("Windows-1252") << QByteArray("+49170\tGr\xfc\xdf" "e") << 0 << unread("Gr\xfc\xdf" "e");
        QTest::newRow("UTF-8") << QByteArray("+49170\tbest\xc3\xa4tigt \xe2\x82\xac 5") << 0 << unread("best\xe4tigt \x80 5");
    }

    void messages()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, slot);
        QFETCH(StoredSms, sms);
        QList<MessageRecord> records;
        QString error;
        QVERIFY2(parseMessages(file, &records, &error), qPrintable(error));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].slot, slot);
        QCOMPARE(records[0].sms, sms);
    }

    void badMessages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");

        QTest::newRow("three fields") << QByteArray("+49170\tA\n+49171\tB\tC\n") << QString("line 2: 3 fields");
        QTest::newRow("status") << QByteArray("\tREC NEW\t+49170\t\tx") << QString("line 1: bad status");
        QTest::newRow("timestamp") << QByteArray("\t\t+49170\t24/05/01,12:00:00\tx") << QString("line 1: bad time stamp");
        QTest::newRow("unknown escape") << QByteArray("+49170\ta\\qb") << QString("line 1: bad escape");
        QTest::newRow("quote in number") << QByteArray("+49\"170\tA") << QString("line 1: a number cannot hold a double quote");
        QTest::newRow("UTF-8 beyond Windows-1252") << QByteArray("+49170\t\xce\xa9") << QString("the file is UTF-8 and holds characters");
    }

    void badMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QList<MessageRecord> records;
        QString message;
        QVERIFY(!parseMessages(file, &records, &message));
        QVERIFY2(message.startsWith(error), qPrintable(message));
    }

    void control()
    {
        QList<ControlRecord> records;
        QString error;
        QVERIFY2(parseControl("# incoming\n+49170\tA\n  RING \nurc +CIEV: \"MESSAGE\",1\n\t\t+49171\t\tB\n", &records, &error),
                 qPrintable(error));
        QByteArrayList got;
        for (const ControlRecord &r : records)
            got << (r.kind == ControlRecord::Unsolicited ? "line:" + r.line : "sms:" + r.message.sms.number + ':' + r.message.sms.text);
        QCOMPARE(got, (QByteArrayList{"sms:+49170:A", "line:RING", "line:+CIEV: \"MESSAGE\",1", "sms:+49171:B"}));
    }

    void outboxLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("high bytes as they are") << QByteArray("\xe4\xf6\xfc\x80\xff") << QByteArray("0171\t\xe4\xf6\xfc\x80\xff\n");
        // A text of several lines stays one record.
        QTest::newRow("line breaks") << QByteArray("a\r\nb\nc") << QByteArray("0171\ta\\r\\nb\\nc\n");
        QTest::newRow("backslash") << QByteArray("C:\\temp") << QByteArray("0171\tC:\\\\temp\n");
    }

    void outboxLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, line);
        QCOMPARE(outboxLine({"0171", text, 1}), line);
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        auto file = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
        };
        Modem m;
        QString error;
        QVERIFY2(loadMessages(file("m.txt", "5\tREC UNREAD\t+4917011111\t24/05/01,12:00:00+08\tHallo\n"), m, &error),
                 qPrintable(error));
        QCOMPARE(m.slot(5)->text, QByteArray("Hallo"));
        // A file that does not fit stores nothing, not even what would fit.
        QVERIFY(!loadMessages(file("full.txt", QByteArray("+491\tA\n").repeated(30)), m, &error));
        QCOMPARE(m.storageUsed(), 1);
        // The type follows the number when the short form leaves it out.
        QVERIFY2(loadPhonebook(file("p.txt", "+4915100001\tAnna M\xfcller\n0171\tOtto\n7\t0301234\t129\tBernd\n"), m, &error),
                 qPrintable(error));
        QCOMPARE(*m.phoneEntry("SM", 1), (PhoneEntry{"+4915100001", 145, "Anna M\xfcller"}));
        QCOMPARE(*m.phoneEntry("SM", 2), (PhoneEntry{"0171", 129, "Otto"}));
        QCOMPARE(*m.phoneEntry("SM", 7), (PhoneEntry{"0301234", 129, "Bernd"}));

        QVERIFY(!loadPhonebook(file("bad.txt", "0171\tOtto\n1\t0171\tabc\tX\n"), m, &error));
        QVERIFY2(error.contains("line 2: "), qPrintable(error));
        QCOMPARE(m.phonebookUsed("SM"), 3);
        QVERIFY(!loadMessages(dir.filePath("missing.txt"), m, &error));
        QVERIFY(error.contains("missing.txt"));
    }
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_data_files.moc"
