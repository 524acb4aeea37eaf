// The program's text files: which encoding a file's bytes are read in, that they are written back
// the same, and that reading is bounded and never waits on something that is not a file.
#include "text/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(TextEncoding)

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void encodingOf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QStringList>("lines");
        const auto cp = TextEncoding::Windows1252;
        QTest::newRow("empty") << QByteArray() << cp << QStringList();
        QTest::newRow("plain ASCII stays Windows-1252")
            << QByteArray("Hans;0123\r\n") << cp << QStringList{"Hans;0123"};
        QTest::newRow("UTF-8 from an editor") << QByteArray("J\xC3\xBCrgen;0171\nA\xC3\x9F;1\n") << TextEncoding::Utf8
                                              << QStringList{"Jürgen;0171", "Aß;1"};
        QTest::newRow("Windows-1252 umlauts")
            << QByteArray("J\xFCrgen Gro\xDF;\x80\r\n") << cp << QStringList{"Jürgen Groß;€"};
        QTest::newRow("byte-order mark, not part of the line")
            << QByteArray("\xEF\xBB\xBFHans;1\r\n") << TextEncoding::Utf8WithBom << QStringList{"Hans;1"};
        QTest::newRow("byte-order mark, then Windows-1252 bytes")
            << QByteArray("\xEF\xBB\xBF\xFC;1\r\n") << cp << QStringList{"ï»¿ü;1"};
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF;1\r\n") << cp << QStringList{"aÀ¯;1"};
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80;1\r\n") << cp << QStringList{"í\u00A0€;1"};
        QTest::newRow("cut short at the end") << QByteArray("Hans;1\r\nJ\xC3") << cp << QStringList{"Hans;1", "JÃ"};
    }
    void encodingOf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEncoding, encoding);
        QFETCH(QStringList, lines);
        QCOMPARE(TextEncodingOf(bytes), encoding);
        QCOMPARE(TextFileLinesFromBytes(bytes, encoding), lines);
    }

    // Read and written again, a file with CR LF line ends keeps every byte in each encoding.
    void writtenBackInItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << QByteArray("J\xC3\xBCrgen;0171\r\n\xC5\x81ukasz;0172\r\n");
        QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBFJ\xC3\xBCrgen;0171\r\n");
        QTest::newRow("Windows-1252") << QByteArray("J\xFCrgen;0171\r\n\x80;1\r\n");
    }
    void writtenBackInItsEncoding()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.lst"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        QStringList lines;
        TextEncoding encoding = TextEncoding::Windows1252;
        QString error;
        QVERIFY(TextFileReadDetecting(path, lines, &encoding, &error));
        QVERIFY(TextFileWrite(path, lines, &error, encoding));
        QCOMPARE(fileBytes(path), bytes);
    }

    void carries_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("carried");
        QTest::newRow("umlauts, euro") << TextEncoding::Windows1252 << QStringLiteral("Jürgen €") << true;
        QTest::newRow("Polish L") << TextEncoding::Windows1252 << QStringLiteral("Łukasz") << false;
        QTest::newRow("Polish L in UTF-8") << TextEncoding::Utf8 << QStringLiteral("Łukasz") << true;
    }
    void carries()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        QFETCH(bool, carried);
        QCOMPARE(TextEncodingCarries(encoding, text), carried);
    }

    // What cannot be read, or is out of bounds, gives a German reason, and nothing is read
    // beyond the bound. A FIFO must not block the read.
    void boundedRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: read; %1 stands for the quoted path
        QTest::newRow("at the bound") << "file 10"
                                      << "";
        QTest::newRow("one byte over") << "file 11"
                                       << "Die Datei %1 ist zu groß: gelesen werden höchstens 10 Bytes. ";
        QTest::newRow("missing") << "missing"
                                 << "Die Datei %1 ist nicht vorhanden. ";
        QTest::newRow("folder") << "folder"
                                << "%1 ist keine gewöhnliche Datei und wird nicht gelesen. ";
        QTest::newRow("FIFO") << "fifo"
                              << "%1 ist keine gewöhnliche Datei und wird nicht gelesen. ";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "%1 ist keine gewöhnliche Datei und wird nicht gelesen. ";
    }
    void boundedRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.lst"));
        if (kind.startsWith(QLatin1String("file"))) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(kind.mid(5).toInt() - 2, 'x') + "\r\n");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("liste.lst")));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        }
        QStringList lines{"alt"};
        QString error;
        const bool read = TextFileRead(path, lines, &error, 10);
        QCOMPARE(read, reason.isEmpty());
        QCOMPARE(error, reason.isEmpty() ? QString() : reason.arg('"' + path + '"'));
        QCOMPARE(lines, read ? QStringList{QString(8, u'x')} : QStringList());
    }

    void boundInMegabytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gross.lst"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(kTextFileMaxBytes + 1)); // sparse: takes no room
        f.close();
        QStringList lines;
        QString error;
        QVERIFY(!TextFileRead(path, lines, &error));
        QCOMPARE(error, "Die Datei \"" + path + "\" ist zu groß: gelesen werden höchstens 32 MB. ");
    }
};

QTEST_APPLESS_MAIN(TestTextFile)
#include "test_text_file.moc"
