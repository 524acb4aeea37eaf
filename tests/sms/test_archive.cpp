#include "../support/MainRig.h"

#include "sms/ArchiveModel.h"
#include "sms/PhoneNames.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "sms/frmArchiv.h"
#include "sms/frmListe.h"

#include "phonelist/PhoneListFormat.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QByteArray kHead = "Datei angelegt am: 11-19-2002, 09:57:28\r\n";

QByteArray rec(const QByteArray &header, const QByteArray &text)
{
    return header + "\r\n" + text + "\r\n\r\nOK\r\n\r\n";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// "number|date|time|text" per message, in the order given.
QStringList summary(const QList<ArchivedSms> &messages)
{
    QStringList out;
    for (const ArchivedSms &m : messages)
        out << QStringList{m.number, m.date, m.time, m.text}.join(u'|');
    return out;
}

} // namespace

class TestArchive : public QObject {
    Q_OBJECT
private slots:
    void recordsAreReadBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("damaged"); // -1: no SMS file at all
        const QByteArray h = "\"+4917012345678\",,\"02/11/19,09:57:28+04\"";
        const QString m = QStringLiteral("+4917012345678|19.11.02|09:57:28|");
        QTest::newRow("one") << kHead + rec(h, "Hallo") << QStringList{m + "Hallo"} << 0;
        QTest::newRow("two lines, umlaut")
            << kHead + rec(h, "Gr\xFC\xDF" "e\r\nZeile 2") << QStringList{m + "Grüße\r\nZeile 2"} << 0;
        QTest::newRow("empty text") << kHead + rec(h, "") << QStringList{m} << 0;
        QTest::newRow("nothing behind the header") << kHead + h + "\r\n\r\nOK\r\n\r\n" << QStringList{m} << 0;
        QTest::newRow("alias with a comma")
            << kHead + rec("\"0301234\",\"M\xFCller, Hans\",\"24/05/01,23:59:59-08\"", "x")
            << QStringList{"0301234|01.05.24|23:59:59|x"} << 0;
        QTest::newRow("header fields behind the stamp")
            << kHead + rec(h + ",145,4,0,0,\"+491710760000\",145,5", "Hallo") << QStringList{m + "Hallo"} << 0;
        QTest::newRow("a text line OK is text") << kHead + rec(h, "a\r\n\r\nOK\r\n\r\nb") + rec(h, "c")
                                                << QStringList{m + "a\r\n\r\nOK\r\n\r\nb", m + "c"} << 0;
        QTest::newRow("no empty line before OK")
            << kHead + h + "\r\nHallo\r\nOK\r\n\r\n" + rec(h, "c") << QStringList{m + "Hallo", m + "c"} << 0;
        QTest::newRow("LF line ends") << QByteArray(kHead + rec(h, "Hallo")).replace("\r\n", "\n")
                                      << QStringList{m + "Hallo"} << 0;
        QTest::newRow("bad stamp skipped, next kept")
            << kHead + rec("\"+49170\",,\"02/13/45,25:00:00+04\"", "x") + rec(h, "y") << QStringList{m + "y"} << 1;
        QTest::newRow("no quotes skipped") << kHead + rec("+49170,,02/11/19,09:57:28", "x") << QStringList{} << 1;
        QTest::newRow("cut off after a good one")
            << kHead + rec(h, "gut") + h + "\r\nhalb" << QStringList{m + "gut"} << 1;
        QTest::newRow("header only") << kHead << QStringList{} << 0;
        QTest::newRow("empty: foreign") << QByteArray() << QStringList{} << -1;
        QTest::newRow("phone list: foreign") << QByteArray("Anna;+49170\r\n") << QStringList{} << -1;
        QTest::newRow("binary: foreign") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << QStringList{} << -1;
    }
    void recordsAreReadBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        QFETCH(int, damaged);
        const ArchiveFile f = ParseSmsFile(QString::fromLatin1(bytes), 7);
        QCOMPARE(summary(f.messages), messages);
        if (damaged >= 0)
            QCOMPARE(f.damagedRecords, damaged);
        QCOMPARE(f.problem, damaged < 0 ? ArchiveProblem::Foreign : damaged ? ArchiveProblem::Damaged : ArchiveProblem::None);
        for (const ArchivedSms &sms : f.messages)
            QCOMPARE(sms.fileNumber, 7);
    }

    // What the read cycle writes is what the archive reads, whatever the text holds: a sender
    // who writes the closing lines and a header into the text gets neither a second message
    // "from the bank" nor a cut one.
    void aFiledRecordComesBackUnchanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("damage"); // what happens to the files after filing
        QTest::addColumn<int>("messages");
        const QString forged =
            QStringLiteral("Hallo\r\n\r\nOK\r\n\r\n\"+4915199999999\",\"Bank\",\"24/01/01,08:00:00+04\"\r\n"
                           "Bitte PIN an 0190 senden");
        QTest::newRow("plain") << QStringLiteral("Hallo") << "" << 1;
        QTest::newRow("OK lines and quotes") << QStringLiteral("Köln, 5 € \"zitiert\"\r\nOK\r\n\r\nEnde") << "" << 1;
        QTest::newRow("forged record") << forged << "" << 1;
        QTest::newRow("forged record, index of another file") << forged << "foreign index" << 2;
        // Files of the program before the index: the closing lines decide, as they always did.
        QTest::newRow("no index: plain") << QStringLiteral("Hallo") << "no index" << 1;
        QTest::newRow("no index: forged") << forged << "no index" << 2;
        // Ended between the record and its index line: that record is found by its closing lines.
        QTest::newRow("last record not yet in the index") << QStringLiteral("Hallo") << "last unnamed" << 1;
    }
    void aFiledRecordComesBackUnchanged()
    {
        QFETCH(QString, text);
        QFETCH(QString, damage);
        QFETCH(int, messages);
        QTemporaryDir dir;
        QString error;
        const QString path = CreateSmsFile(dir.path(), {}, QDateTime::currentDateTime(), &error);
        QVERIFY2(!path.isEmpty(), qPrintable(error));
        const QString before = QStringLiteral("\"+4930\",,\"24/12/24,17:00:00+04\"\r\nVorher\r\n\r\nOK\r\n");
        QVERIFY(AppendSmsRecord(path, before, &error));
        const QString record = "\"+4917012345678\",\"Anna\",\"24/12/24,18:00:00+04\"\r\n" + text + "\r\n\r\nOK\r\n";
        QVERIFY(AppendSmsRecord(path, record, &error));
        const QString index = SmsIndexPath(path);
        if (damage == u"no index")
            QVERIFY(QFile::remove(index));
        if (damage == u"foreign index")
            writeFile(index, "12 40\r\n52 1000\r\n");
        if (damage == u"last unnamed") {
            QFile f(index);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray first = f.readLine();
            writeFile(index, first);
        }
        const ArchiveLoad load = LoadSmsArchive(dir.path());
        QCOMPARE(load.messages.size(), messages + 1);
        if (messages == 1)
            QCOMPARE(summary(load.messages),
                     (QStringList{"+4917012345678|24.12.24|18:00:00|" + text, "+4930|24.12.24|17:00:00|Vorher"}));
        QVERIFY(load.problems.isEmpty());
    }

    // The same message read from the modem and from any file gives the same key: a message
    // still on the SIM after its record was filed is known, whatever the alias says.
    void filedMessagesAreKnownBySenderTimeAndText()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("SMS00001.Dat"), kHead + rec("\"+4930\",,\"24/05/01,12:30:05+08\"", "a\r\nb"));
        const FiledMessages filed = FiledMessages::read(dir.path());
        const auto known = [&](const QString &record) {
            ArchivedSms sms;
            return ParseSmsRecord(record, sms) && filed.contains(sms);
        };
        QVERIFY(known("\"+4930\",,\"24/05/01,12:30:05+08\"\r\na\r\nb\r\n\r\nOK\r\n"));
        QVERIFY(known("\"+4930\",\"Anna\",\"24/05/01,12:30:05+08\"\r\na\r\nb\r\nOK\r\n"));
        QVERIFY(!known("\"+4930\",,\"24/05/01,12:30:06+08\"\r\na\r\nb\r\n\r\nOK\r\n"));
        QVERIFY(!known("\"+4931\",,\"24/05/01,12:30:05+08\"\r\na\r\nb\r\n\r\nOK\r\n"));
        QVERIFY(!known("\"+4930\",,\"24/05/01,12:30:05+08\"\r\na\r\nb.\r\n\r\nOK\r\n"));
    }

    void theFolderIsReadNewestFirstAndBadFilesAreNamed()
    {
        QTemporaryDir dir;
        const auto h = [](const char *stamp) { return "\"+49170\",,\"" + QByteArray(stamp) + "+04\""; };
        writeFile(dir.filePath("SMS00001.Dat"), kHead + rec(h("24/01/02,10:00:00"), "alt") + rec(h("24/03/01,08:00:00"), "neu"));
        writeFile(dir.filePath("SMS00002.DAT"), kHead + rec(h("24/02/01,12:00:00"), "mitte"));
        // Same stamp as "neu": filed later, so listed first.
        writeFile(dir.filePath("sms00010.dat"), kHead + rec("kaputt", "x") + rec(h("24/03/01,08:00:00"), "neu2"));
        writeFile(dir.filePath("SMS00003.DAT"), "irgendwas\r\n");
        writeFile(dir.filePath("SMSsicherung.DAT"), kHead + rec(h("24/05/01,08:00:00"), "ohne Nummer"));
        QVERIFY(QDir(dir.path()).mkdir("SMS00004.DAT"));
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("SMS00005.DAT")).constData(), 0600) == 0);
        writeFile(dir.filePath("SMS00006.DAT"), "");
        QVERIFY(QFile::setPermissions(dir.filePath("SMS00006.DAT"), {}));

        const ArchiveLoad load = LoadSmsArchive(dir.path());
        QStringList texts;
        for (const ArchivedSms &m : load.messages)
            texts << m.text;
        QCOMPARE(texts, (QStringList{"neu2", "neu", "mitte", "alt"}));
        QCOMPARE(load.filesRead, 3);
        QCOMPARE(load.problems.size(), 4);
        QCOMPARE(load.problems[0], QStringLiteral("SMS00003.DAT: keine SMS-Datei"));
        // A folder under an SMS name is no file at all and not even listed.
        QCOMPARE(load.problems[1], QStringLiteral("SMS00005.DAT: keine Datei"));
        // root reads the file whatever its permissions say.
        QVERIFY(load.problems[2].startsWith(::geteuid() == 0 ? QStringLiteral("SMS00006.DAT: keine SMS-Datei")
                                                             : QStringLiteral("SMS00006.DAT: nicht lesbar (")));
        QCOMPARE(load.problems[3], QStringLiteral("sms00010.dat: 1 beschädigter Eintrag"));
        QCOMPARE(ArchiveStatusText(load),
                 QStringLiteral("4 Nachrichten aus 3 SMS-Dateien. Übersprungen: SMS00003.DAT: keine SMS-Datei; "
                                "SMS00005.DAT: keine Datei; ") + load.problems[2] + QStringLiteral(" und 1 weitere"));
    }

    void namesAreFoundForEveryFormOfANumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("same") << "+4917012345678" << "Anna";
        QTest::newRow("00 for +") << "004917012345678" << "Anna";
        QTest::newRow("listed nationally") << "+4917611112222" << "Bernd";
        QTest::newRow("received nationally, listed internationally") << "017012345678" << "Anna";
        QTest::newRow("blanks and slash in the list") << "+49301234567" << "Büro";
        QTest::newRow("other country, same tail") << "+4317012345678" << "";
        QTest::newRow("unknown") << "+4915100000000" << "";
        QTest::newRow("short code tail not matched") << "+4912345" << "";
        QTest::newRow("sender name") << "Vodafone" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("first of two entries") << "+4915199999999" << "Carla";
    }
    void namesAreFoundForEveryFormOfANumber()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        const PhoneNames names(QList<PhoneRow>{{"Anna", "+4917012345678"},
                                               {"Bernd", "0176 1111 2222"},
                                               {"Büro", "030 / 123 45 67"},
                                               {"Carla", "+4915199999999"},
                                               {"Carlos", "0049 151 99999999"},
                                               {"Kurz", "012345"},
                                               {"", "+4915100000000"}});
        QCOMPARE(names.nameFor(number), name);
    }

    void theSearchNeedsEveryWordInAnyField_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("match");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blanks") << "   " << true;
        QTest::newRow("word of the text, other case") << "KÖLN" << true;
        QTest::newRow("name") << "anna" << true;
        QTest::newRow("part of the number") << "170123" << true;
        QTest::newRow("two words, two fields") << "anna grüße" << true;
        QTest::newRow("one word missing") << "anna berlin" << false;
        QTest::newRow("across a field border") << "5678anna" << false;
    }
    void theSearchNeedsEveryWordInAnyField()
    {
        QFETCH(QString, query);
        QFETCH(bool, match);
        ArchivedSms sms;
        sms.number = QStringLiteral("+4917012345678");
        sms.text = QStringLiteral("Grüße aus Köln\r\nZweite Zeile");
        QCOMPARE(ArchiveMatches(ArchiveHaystack(sms, QStringLiteral("Anna")), ArchiveSearchWords(query)), match);
    }

    // Messages filed by two earlier runs, listed with the phone-list name and found by a word.
    void messagesOfEarlierRunsAreListedAndFound()
    {
        QTemporaryDir dir;
        MainRig r;
        r.p.settings.set(keys::MyDir, dir.path());
        r.p.settings.set(keys::PollInterval, QStringLiteral("0"));
        writeFile(dir.filePath("phone.lst"), "Anna;017012345678\r\n");
        modemsim::Modem &m = r.attachModem();
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        const auto run = [&](const QByteArray &number, const QByteArray &stamp, const QByteArray &text) {
            smsrun::setCurrentFile({}); // a new program run starts a new file
            m.storeSms({"REC UNREAD", number, stamp, text}, 1);
            frmListe list(*r.main);
            list.cmdLes->click();
        };
        run("+4917012345678", "24/05/01,12:30:05+08", "Treffen am Bahnhof");
        run("+4915198765432", "24/06/02,08:00:00+08",
            "Gr\xFC\xDF"
            "e aus K\xF6ln\r\nZeile 2");
        QCOMPARE(QDir(dir.path()).entryList({"SMS*.DAT"}), (QStringList{"SMS00001.Dat", "SMS00002.DAT"}));

        r.main->openReceived();
        auto *list = r.main->findChild<frmListe *>();
        QVERIFY(list);
        list->cmdArchiv->click();
        auto *w = r.main->findChild<frmArchiv *>();
        QVERIFY(w);
        QCOMPARE(r.main->mdiArea->activeSubWindow()->widget(), w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Nachrichtenarchiv"));
        QCOMPARE(w->sbrMeldung->text(), QStringLiteral("2 Nachrichten aus 2 SMS-Dateien"));
        const auto row = [w](int r) {
            QStringList cells;
            for (int c = 0; c < ArchiveModel::ColumnCount; ++c)
                cells << w->grdArchiv->model()->index(r, c).data().toString();
            return cells;
        };
        QCOMPARE(row(0), (QStringList{"02.06.24", "08:00:00", "+4915198765432", "", "empfangen", "Grüße aus Köln / Zeile 2"}));
        QCOMPARE(row(1), (QStringList{"01.05.24", "12:30:05", "+4917012345678", "Anna", "empfangen", "Treffen am Bahnhof"}));
        QCOMPARE(w->txtNachricht->toPlainText(), QStringLiteral("Grüße aus Köln\nZeile 2"));

        w->txtSuche->setText(QStringLiteral("bahnhof"));
        QCOMPARE(w->grdArchiv->model()->rowCount(), 1);
        QCOMPARE(row(0)[3], QStringLiteral("Anna"));
        QCOMPARE(w->lblAnzahl->text(), QStringLiteral("1 von 2 Nachrichten"));
        QCOMPARE(w->txtNachricht->toPlainText(), QStringLiteral("Treffen am Bahnhof"));
        w->txtSuche->setText(QStringLiteral("Berlin"));
        QCOMPARE(w->grdArchiv->model()->rowCount(), 0);
        QCOMPARE(w->txtNachricht->toPlainText(), QString());

        // A damaged file that appears later is named on the next reading; the search stays.
        writeFile(dir.filePath("SMS00003.DAT"), "kaputt");
        w->txtSuche->setText(QStringLiteral("köln"));
        w->cmdNeu->click();
        QCOMPARE(w->grdArchiv->model()->rowCount(), 1);
        QCOMPARE(w->sbrMeldung->text(),
                 QStringLiteral("2 Nachrichten aus 2 SMS-Dateien. Übersprungen: SMS00003.DAT: keine SMS-Datei"));

        // The "Datei" menu brings the same window to the front rather than a second one.
        r.main->mnuFileArchiv->trigger();
        QCOMPARE(r.main->findChildren<frmArchiv *>().size(), 1);
        smsrun::setCurrentFile({});
    }
};

QTEST_MAIN(TestArchive)
#include "test_archive.moc"
