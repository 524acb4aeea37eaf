// The simulator's files: preloaded messages and phonebook entries, injections, the outbox.

#include "SimTest.h"
#include "core/DataFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace modemsim;

class TestDataFiles : public QObject {
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void badMessages_data();
    void badMessages();
    void phonebook_data();
    void phonebook();
    void control_data();
    void control();
    void escapesRoundTrip();
    void outboxLines_data();
    void outboxLines();
    void storingIsAllOrNothing_data();
    void storingIsAllOrNothing();
    void loadFromFile();
    void timestamp();
};

void TestDataFiles::messages_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("timestamp");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("full") << QByteArray("3\tREC READ\t+4917011111\t24/05/01,12:00:00+08\tHallo\n")
                          << 3 << QByteArray("REC READ") << QByteArray("+4917011111") << QByteArray("24/05/01,12:00:00+08") << QByteArray("Hallo");
    QTest::newRow("defaults") << QByteArray("\t\t+4917011111\t\tHallo\n")
                              << 0 << QByteArray("REC UNREAD") << QByteArray("+4917011111") << QByteArray() << QByteArray("Hallo");
    QTest::newRow("short form") << QByteArray("+4917011111\tHallo Welt")
                                << 0 << QByteArray("REC UNREAD") << QByteArray("+4917011111") << QByteArray() << QByteArray("Hallo Welt");
    QTest::newRow("comments, CR LF") << QByteArray("# Nachrichten\r\n\r\n+49170\tA\r\n")
                                     << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("A");
    QTest::newRow("escapes") << QByteArray("+49170\teins\\r\\nzwei\\tdrei \\\\ \\x80\\x1a")
                             << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray()
                             << QByteArray("eins\r\nzwei\tdrei \\ \x80\x1a");
    QTest::newRow("raw high bytes") << QByteArray("+49170\tGr\xfc\xdf" "e")
                                    << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("Gr\xfc\xdf" "e");
    QTest::newRow("status lower case") << QByteArray("\tsto unsent\t+49170\t\tx")
                                       << 0 << QByteArray("STO UNSENT") << QByteArray("+49170") << QByteArray() << QByteArray("x");
    // UTF-8 files are converted to the line's Windows-1252; Windows-1252 files stay as they are.
    QTest::newRow("UTF-8") << QByteArray("+49170\tbest\xc3\xa4tigt \xe2\x82\xac 5")
                           << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("best\xe4tigt \x80 5");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbf+49170\tGru\xc3\x9f")
                                    << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("Gru\xdf");
    QTest::newRow("Windows-1252 looking like nothing else") << QByteArray("+49170\t\xc3\xa4\xe4")
                                    << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("\xc3\xa4\xe4");
    QTest::newRow("escapes stay bytes in UTF-8") << QByteArray("+49170\t\xc3\xa4\\xc3")
                                    << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray("\xe4\xc3");
    QTest::newRow("empty text") << QByteArray("+49170\t") << 0 << QByteArray("REC UNREAD") << QByteArray("+49170") << QByteArray() << QByteArray();
}

void TestDataFiles::messages()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, timestamp);
    QFETCH(QByteArray, text);
    QList<MessageRecord> records;
    QString error;
    QVERIFY2(parseMessages(file, &records, &error), qPrintable(error));
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].slot, slot);
    QCOMPARE(records[0].sms.status, status);
    QCOMPARE(records[0].sms.number, number);
    QCOMPARE(records[0].sms.timestamp, timestamp);
    QCOMPARE(records[0].sms.text, text);
}

void TestDataFiles::badMessages_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    QTest::newRow("three fields") << QByteArray("+49170\tA\n+49171\tB\tC\n") << QString("line 2: 3 fields");
    QTest::newRow("one field") << QByteArray("+49170\n") << QString("line 1: 1 fields");
    QTest::newRow("status") << QByteArray("\tREC NEW\t+49170\t\tx") << QString("line 1: bad status");
    QTest::newRow("timestamp") << QByteArray("\t\t+49170\t24-05-01 12:00\tx") << QString("line 1: bad time stamp");
    QTest::newRow("zone missing") << QByteArray("\t\t+49170\t24/05/01,12:00:00\tx") << QString("line 1: bad time stamp");
    QTest::newRow("slot 0") << QByteArray("0\t\t+49170\t\tx") << QString("line 1: bad slot");
    QTest::newRow("slot letters") << QByteArray("x\t\t+49170\t\tx") << QString("line 1: bad slot");
    QTest::newRow("unknown escape") << QByteArray("+49170\ta\\qb") << QString("line 1: bad escape");
    QTest::newRow("short hex") << QByteArray("+49170\ta\\x8") << QString("line 1: bad escape");
    QTest::newRow("trailing backslash") << QByteArray("+49170\ta\\") << QString("line 1: bad escape");
    QTest::newRow("quote in number") << QByteArray("+49\"170\tA") << QString("line 1: a number cannot hold a double quote");
    QTest::newRow("UTF-8 beyond Windows-1252") << QByteArray("+49170\t\xce\xa9") << QString("the file is UTF-8 and holds characters");
}

void TestDataFiles::badMessages()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QList<MessageRecord> records;
    QString message;
    QVERIFY(!parseMessages(file, &records, &message));
    QVERIFY2(message.startsWith(error), qPrintable(message));
}

void TestDataFiles::phonebook_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("full") << QByteArray("7\t0301234\t129\tBernd\n") << true << 7 << QByteArray("0301234") << 129 << QByteArray("Bernd");
    QTest::newRow("short, international") << QByteArray("+4915100001\tAnna M\xfcller") << true << 0 << QByteArray("+4915100001") << 145
                                          << QByteArray("Anna M\xfcller");
    QTest::newRow("short, national") << QByteArray("0171\tOtto") << true << 0 << QByteArray("0171") << 129 << QByteArray("Otto");
    QTest::newRow("type left empty") << QByteArray("\t+49171\t\tX") << true << 0 << QByteArray("+49171") << 145 << QByteArray("X");
    QTest::newRow("bad type") << QByteArray("1\t0171\tabc\tX") << false << 0 << QByteArray() << 0 << QByteArray();
    QTest::newRow("type out of range") << QByteArray("1\t0171\t12\tX") << false << 0 << QByteArray() << 0 << QByteArray();
    QTest::newRow("three fields") << QByteArray("1\t0171\tX") << false << 0 << QByteArray() << 0 << QByteArray();
    QTest::newRow("quote in name") << QByteArray("0171\tDer \"Chef\"") << false << 0 << QByteArray() << 0 << QByteArray();
}

void TestDataFiles::phonebook()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, ok);
    QList<PhoneRecord> records;
    QString error;
    QCOMPARE(parsePhonebook(file, &records, &error), ok);
    if (!ok) {
        QVERIFY(error.startsWith("line 1: "));
        return;
    }
    QFETCH(int, index);
    QFETCH(QByteArray, number);
    QFETCH(int, type);
    QFETCH(QByteArray, name);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].index, index);
    QCOMPARE(records[0].entry.number, number);
    QCOMPARE(records[0].entry.type, type);
    QCOMPARE(records[0].entry.name, name);
}

void TestDataFiles::control_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("expected"); // "line:..." or "sms:number:text"

    QTest::newRow("ring") << QByteArray("ring\n") << QByteArrayList{"line:RING"};
    QTest::newRow("RING, blanks") << QByteArray("  RING \n") << QByteArrayList{"line:RING"};
    QTest::newRow("urc") << QByteArray("urc +CIEV: \"MESSAGE\",1\n") << QByteArrayList{"line:+CIEV: \"MESSAGE\",1"};
    QTest::newRow("message") << QByteArray("+49170\tHallo\n") << QByteArrayList{"sms:+49170:Hallo"};
    QTest::newRow("mixed") << QByteArray("# incoming\n+49170\tA\nring\n\t\t+49171\t\tB\n")
                           << QByteArrayList{"sms:+49170:A", "line:RING", "sms:+49171:B"};
}

void TestDataFiles::control()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, expected);
    QList<ControlRecord> records;
    QString error;
    QVERIFY2(parseControl(file, &records, &error), qPrintable(error));
    QByteArrayList got;
    for (const ControlRecord &r : records) {
        if (r.kind == ControlRecord::Unsolicited)
            got << "line:" + r.line;
        else
            got << "sms:" + r.message.sms.number + ':' + r.message.sms.text;
    }
    QCOMPARE(got, expected);
}

void TestDataFiles::escapesRoundTrip()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    const QByteArray escaped = escapeField(all);
    QVERIFY(!escaped.contains('\t'));
    QVERIFY(!escaped.contains('\n'));
    QVERIFY(!escaped.contains('\r'));
    QByteArray back;
    QVERIFY(unescapeField(escaped, &back));
    QCOMPARE(back, all);
}

void TestDataFiles::outboxLines_data()
{
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("plain") << QByteArray("+4917012345") << QByteArray("Hallo") << QByteArray("+4917012345\tHallo\n");
    QTest::newRow("high bytes as they are") << QByteArray("0171") << QByteArray("\xe4\xf6\xfc\x80\xff") << QByteArray("0171\t\xe4\xf6\xfc\x80\xff\n");
    // A text of several lines stays one record.
    QTest::newRow("line breaks") << QByteArray("0171") << QByteArray("a\r\nb\nc") << QByteArray("0171\ta\\r\\nb\\nc\n");
    QTest::newRow("backslash") << QByteArray("0171") << QByteArray("C:\\temp") << QByteArray("0171\tC:\\\\temp\n");
    QTest::newRow("tab in text") << QByteArray("0171") << QByteArray("a\tb") << QByteArray("0171\ta\tb\n");
    QTest::newRow("empty text") << QByteArray("0171") << QByteArray() << QByteArray("0171\t\n");
}

void TestDataFiles::outboxLines()
{
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, line);
    QCOMPARE(outboxLine({number, text, 1}), line);
}

void TestDataFiles::storingIsAllOrNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("used");

    // The storage has 3 slots.
    QTest::newRow("fits") << QByteArray("2\t\t+491\t\tA\n+492\tB\n+493\tC\n") << true << 3;
    QTest::newRow("one too many") << QByteArray("+491\tA\n+492\tB\n+493\tC\n+494\tD\n") << false << 0;
    QTest::newRow("slot beyond") << QByteArray("+491\tA\n4\t\t+494\t\tD\n") << false << 0;
    QTest::newRow("slot twice") << QByteArray("2\t\t+491\t\tA\n2\t\t+492\t\tB\n") << false << 0;
}

void TestDataFiles::storingIsAllOrNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, ok);
    QFETCH(int, used);
    Config cfg;
    cfg.storageSize = 3;
    Modem m(cfg);
    QList<MessageRecord> records;
    QVERIFY(parseMessages(file, &records));
    QString error;
    QCOMPARE(storeMessages(records, m, &error), ok);
    QCOMPARE(m.storageUsed(), used);
    QCOMPARE(error.isEmpty(), ok);
}

void TestDataFiles::loadFromFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString messages = dir.filePath("messages.txt");
    const QString phonebook = dir.filePath("phonebook.txt");
    {
        QFile f(messages);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("5\tREC UNREAD\t+4917011111\t24/05/01,12:00:00+08\tHallo\n");
        QFile p(phonebook);
        QVERIFY(p.open(QIODevice::WriteOnly));
        p.write("+4915100001\tAnna\n3\t0301234\t129\tBernd\n");
    }
    Modem m;
    QString error;
    QVERIFY2(loadMessages(messages, m, &error), qPrintable(error));
    QVERIFY2(loadPhonebook(phonebook, m, &error), qPrintable(error));
    QCOMPARE(m.slot(5)->text, QByteArray("Hallo"));
    QCOMPARE(m.phoneEntry("SM", 1)->name, QByteArray("Anna"));
    QCOMPARE(m.phoneEntry("SM", 3)->number, QByteArray("0301234"));

    QVERIFY(!loadMessages(dir.filePath("missing.txt"), m, &error));
    QVERIFY(error.contains("missing.txt"));
}

void TestDataFiles::timestamp()
{
    QVERIFY(isTimestamp(currentTimestamp()));
    QVERIFY(isTimestamp("02/11/19,09:57:28+04"));
    QVERIFY(isTimestamp("02/11/19,09:57:28-20"));
    QVERIFY(!isTimestamp("02/11/19,09:57:28"));
    QVERIFY(!isTimestamp("02/11/19 09:57:28+04"));
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_data_files.moc"
