#include "main/TrafficLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A disk that takes `room` bytes and then no more: the write that reaches the end is taken
// in part, the next one not at all. `reason` is what the system says for a refused write.
class FullDisk final : public QIODevice {
public:
    FullDisk(QByteArray *written, qint64 room, QString reason) : m_room(room), m_written(written), m_reason(std::move(reason))
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    qint64 m_room;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 n = std::min(len, m_room);
        if (n == 0 && !m_reason.isEmpty()) {
            setErrorString(m_reason);
            return -1;
        }
        m_written->append(data, n);
        m_room -= n;
        return n;
    }

private:
    QByteArray *m_written;
    QString m_reason;
};

} // namespace

class TestTrafficLog : public QObject {
    Q_OBJECT
private slots:
    // The system reports a short write as a success with a smaller count and keeps no
    // reason: the toolkit then says "Unknown error". It is a full disk.
    void aFailedWriteSaysWhy_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("message");
        const QString full = QStringLiteral("Fehler beim Schreiben der Protokolldatei \"t.log\": Der Datenträger ist voll.");
        QTest::newRow("short write") << qint64(4) << QString() << full;
        QTest::newRow("nothing taken, no reason") << qint64(0) << QString() << full;
        QTest::newRow("refused with a reason") << qint64(0) << "Input/output error"
                                               << "Fehler beim Schreiben der Protokolldatei \"t.log\": Ein-/Ausgabefehler";
    }
    void aFailedWriteSaysWhy()
    {
        QFETCH(qint64, room);
        QFETCH(QString, reason);
        QFETCH(QString, message);
        QByteArray written;
        auto disk = std::make_unique<FullDisk>(&written, room, reason);
        FullDisk *d = disk.get();
        TrafficLog log;
        log.open(std::move(disk), QStringLiteral("t.log"));
        QString error;
        QVERIFY(!log.write(QStringLiteral("AT+CSQ\r\n"), &error));
        QCOMPARE(error, message);
        // Room again: Retry writes what was not taken, once.
        d->m_room = 100;
        QVERIFY(log.retry(&error));
        QVERIFY(log.write(QStringLiteral("OK\r\n"), &error));
        QCOMPARE(written, QByteArray("AT+CSQ\r\nOK\r\n"));
    }

    void anUnopenableFileSaysWhyInGerman()
    {
        QTemporaryDir dir;
        TrafficLog log;
        QString error;
        const QString name = dir.filePath(QStringLiteral("none/x.log"));
        QVERIFY(!log.open(name, &error));
        QCOMPARE(error, QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: Datei oder Gerät nicht gefunden").arg(name));
        QVERIFY(!log.isOpen());
    }
};

QTEST_MAIN(TestTrafficLog)
#include "test_traffic_log.moc"
