#include "sms/SmsDataFile.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QDateTime kCreated(QDate(2002, 11, 19), QTime(9, 5, 8));

} // namespace

class TestSmsFile : public QObject {
    Q_OBJECT
private slots:
    // What is in the folder, and which file the next run creates. Nothing there before may
    // change: a stray name must never lead to a file being created over another.
    void nextFile_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("created");
        QTest::newRow("empty folder") << QStringList{} << "SMS00001.Dat";
        QTest::newRow("two numbered") << QStringList{"SMS00001.Dat", "SMS00002.DAT"} << "SMS00003.DAT";
        QTest::newRow("gap is not filled") << QStringList{"SMS00001.Dat", "SMS00007.DAT"} << "SMS00008.DAT";
        QTest::newRow("stray name sorts last") << QStringList{"SMS00001.Dat", "SMSbackup.DAT"} << "SMS00002.DAT";
        QTest::newRow("stray name alone") << QStringList{"SMS.DAT"} << "SMS00001.DAT";
        QTest::newRow("stray and first in other case") << QStringList{"sms00001.dat", "SMSalt.DAT"} << "SMS00002.DAT";
        QTest::newRow("other files ignored") << QStringList{"phone.lst", "SMS00004.txt"} << "SMS00001.Dat";
        // A stray name with a number the program never forms must not block filing for good.
        QTest::newRow("number beyond the range") << QStringList{"SMS00003.DAT", "SMS20240101.DAT"} << "SMS00004.DAT";
        QTest::newRow("last number taken") << QStringList{"SMS32767.DAT"} << "";
        QTest::newRow("just below") << QStringList{"SMS32766.DAT"} << "SMS32767.DAT";
    }
    void nextFile()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, created);
        QTemporaryDir dir;
        for (const QString &name : present)
            put(dir.filePath(name), "alt " + name.toLatin1());
        QString error;
        const QString path = CreateSmsFile(dir.path(), {}, kCreated, &error);
        QCOMPARE(QFileInfo(path).fileName(), created);
        if (created.isEmpty())
            QVERIFY(error.contains(QLatin1String("Es kann keine neue SMS-Datei angelegt werden")));
        else
            QCOMPARE(readAll(path), QByteArray("Datei angelegt am: 11-19-2002, 09:05:08\r\n"));
        for (const QString &name : present)
            QCOMPARE(readAll(dir.filePath(name)), "alt " + name.toLatin1());
    }

    void aFolderThatIsGoneIsReportedInGerman()
    {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("gone"));
        QString error;
        QCOMPARE(CreateSmsFile(gone, {}, kCreated, &error), QString());
        QCOMPARE(error, QStringLiteral("Die SMS-Datei %1/SMS00001.Dat kann nicht angelegt werden: "
                                       "Der Ordner ist nicht vorhanden. Die SMS bleibt auf der SIM-Karte.")
                            .arg(gone));
    }

    // A disk that takes none or only part of the header: the new file is taken back, so no
    // empty SMS file is left that the next run would take for one of its own.
    void aHeaderThatCannotBeWrittenLeavesNoFile_data()
    {
        QTest::addColumn<int>("room"); // bytes the disk still takes
        QTest::newRow("nothing") << 0;
        QTest::newRow("part of the header") << 10;
    }
    void aHeaderThatCannotBeWrittenLeavesNoFile()
    {
        QFETCH(int, room);
        QTemporaryDir dir;
        QString error;
        QString path = QStringLiteral("<not called>");
        {
            const FileSizeLimit full(room);
            path = CreateSmsFile(dir.path(), {}, kCreated, &error);
        }
        QCOMPARE(path, QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(error, QStringLiteral("Die SMS-Datei %1 kann nicht angelegt werden: Die Datei hat die größte "
                                       "erlaubte Länge erreicht. Die SMS bleibt auf der SIM-Karte.")
                            .arg(dir.filePath(QStringLiteral("SMS00001.Dat"))));
    }

    // Each record's place goes into the index beside the file, after the record is on disk.
    void recordsAreNamedInTheIndex()
    {
        QTemporaryDir dir;
        QString error;
        const QString path = CreateSmsFile(dir.path(), {}, kCreated, &error);
        QVERIFY(AppendSmsRecord(path, QStringLiteral("\"+49170\",,\"24/01/01,08:00:00+04\"\r\nEins\r\n\r\nOK\r\n"),
                                &error));
        QVERIFY(AppendSmsRecord(path, QStringLiteral("\"+49171\",,\"24/01/01,08:00:01+04\"\r\nZwei\r\n\r\nOK\r\n"),
                                &error));
        QCOMPARE(SmsIndexPath(path), dir.filePath("SMS00001.IDX"));
        QCOMPARE(readAll(SmsIndexPath(path)), QByteArray("41 48\r\n89 48\r\n"));
        QCOMPARE(readAll(path).mid(89, 48),
                 QByteArray("\"+49171\",,\"24/01/01,08:00:01+04\"\r\nZwei\r\n\r\nOK\r\n\r\n"));
    }

    // A record the index cannot name is taken back: the two files always agree, and the
    // message stays on the SIM for the next cycle.
    void aRecordTheIndexCannotNameIsTakenBack()
    {
        QTemporaryDir dir;
        QString error;
        const QString path = CreateSmsFile(dir.path(), {}, kCreated, &error);
        QVERIFY(QDir(dir.path()).mkdir("SMS00001.IDX"));
        QVERIFY(!AppendSmsRecord(path, QStringLiteral("\"+49170\",,\"24/01/01,08:00:00+04\"\r\nEins\r\n\r\nOK\r\n"),
                                 &error));
        QCOMPARE(readAll(path), QByteArray("Datei angelegt am: 11-19-2002, 09:05:08\r\n"));
        QVERIFY2(error.startsWith(QStringLiteral("Die Indexdatei %1 der SMS-Datei kann nicht geschrieben werden: ")
                                      .arg(dir.filePath("SMS00001.IDX"))),
                 qPrintable(error));
        QVERIFY(error.endsWith(QStringLiteral(" Die SMS bleibt auf der SIM-Karte.")));
    }
};

QTEST_GUILESS_MAIN(TestSmsFile)
#include "test_sms_file.moc"
