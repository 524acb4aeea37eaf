#pragma once
// The program's registration, a send and a read cycle in real time against varnix-modemsim
// behaving like a known modem (--profile), with answers ending after the quiet second or at
// their final result code ("Schnelle Modemantworten"). Each step tells what it saw, so that a
// test can assert what works and record what does not yet.
#include "../support/SimProcess.h"
#include "support/TaskExchange.h"

#include "modem/frmSMS1.h"
#include "sms/ArchiveModel.h"
#include "sms/PhoneNames.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "sms/frmArchiv.h"
#include "sms/frmListe.h"
#include "sms/frmSendSM.h"

#include <QElapsedTimer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

// A message of today: an emoji and Cyrillic, three UCS2 parts (18 + 150 units).
inline const QString kTodayText = QStringLiteral("Grüße aus Köln 😀 ") + QString(150, u'ж');

struct ProfileCycle {
    int m_injected = 0;
    QTemporaryDir files;
    std::unique_ptr<SimProcess> s;

    // On the SIM: a message in the GSM 7-bit alphabet with umlauts in slot 1, one with an emoji
    // (UCS2) in slot 2.
    // The two ways answers end, as rows of a test: "quiet second" and "final result code".
    static void addModes()
    {
        QTest::addColumn<bool>("fast");
        QTest::newRow("quiet second") << false;
        QTest::newRow("final result code") << true;
    }

    explicit ProfileCycle(const QString &profile, const QStringList &extra = {}, bool fast = false)
    {
        const QString messages = files.filePath(QStringLiteral("messages.txt"));
        QFile f(messages);
        if (f.open(QIODevice::WriteOnly))
            f.write("1\t\t+4917012345678\t24/05/01,12:30:05+08\tGr\xc3\xbc\xc3\x9f"
                    "e aus K\xc3\xb6ln\n"
                    "2\t\t+4915198765432\t24/05/01,12:31:00+08\tGr\xc3\xbc\xc3\x9f"
                    "e \xf0\x9f\x98\x80\n");
        f.close();
        QFile phones(files.filePath(QStringLiteral("phone.lst")));
        if (phones.open(QIODevice::WriteOnly))
            phones.write("Anna;+4917099999999\r\n");
        phones.close();
        smsrun::setCurrentFile({});
        QStringList args{QStringLiteral("--creg-search"), QStringLiteral("1"), QStringLiteral("--messages"), messages,
                         QStringLiteral("--inject-dir"), files.filePath(QStringLiteral("inject"))};
        if (!profile.isEmpty())
            args << QStringLiteral("--profile") << profile;
        args << extra;
        s = std::make_unique<SimProcess>(args);
        s->settings.setValue(QStringLiteral("Settings"), QStringLiteral("MyDir"), files.path());
        s->settings.setValue(QStringLiteral("Settings"), QStringLiteral("0"), QStringLiteral("0"));
        s->settings.set(keys::FastAnswers, fast ? QStringLiteral("True") : QStringLiteral("False"));
        s->startMain();
    }

    frmAnfang &main() { return *s->main; }
    // What the send window said after the last send().
    QString lastSaid;
    QStringList boxes() const { return s->dialogs.texts(); }

    // "Modem anmelden" with PIN 1234 and the network's own service centre: the caption of
    // lblAngemeldet afterwards.
    QString registration()
    {
        frmSMS1 w(main());
        w.txtPIN->setText(QStringLiteral("1234"));
        w.txtSMSC->setText(QStringLiteral("+491710760000"));
        w.cmdModemOn->click();
        return w.lblAngemeldet->text();
    }

    // "SM senden" to Anna: the outbox afterwards, once the modem's answer has come with the
    // terminal's next tick.
    QByteArray send(const QString &text)
    {
        frmSendSM w(main(), &main());
        w.txtZielNr->setText(QStringLiteral("+4917099999999"));
        w.Eingabe->setPlainText(text);
        const qsizetype before = main().terminalText().size();
        w.cmdSend->click();
        const bool answered = QTest::qWaitFor(
            [this, before] {
                const QString t = main().terminalText().mid(before);
                return t.contains(QLatin1String("+CMGS:")) || t.contains(QLatin1String("ERROR"));
            },
            8000);
        Q_UNUSED(answered); // the outbox tells
        lastSaid = w.lblFortschritt->text();
        QFile out(s->outbox());
        return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
    }

    // A message arrives at the modem while the program runs (a line of the messages file).
    void inject(const QString &line)
    {
        const QString dir = files.filePath(QStringLiteral("inject"));
        QDir().mkpath(dir);
        QFile f(QDir(dir).filePath(QStringLiteral(".next")));
        if (f.open(QIODevice::WriteOnly))
            f.write(line.toUtf8() + '\n');
        f.close();
        QFile::rename(f.fileName(), QDir(dir).filePath(QStringLiteral("msg%1").arg(++m_injected)));
    }
    // With the received-messages window open and its polling off, a message arrives: the rows
    // once one holds `expected`, and the seconds from the arrival to then (-1: not within 30 s).
    std::pair<QList<QStringList>, double> noticeRead(const QString &line, const QString &expected)
    {
        frmListe w(main(), &main());
        w.setPollInterval(0);
        QElapsedTimer t;
        t.start();
        inject(line);
        double seconds = -1;
        const auto rows = [&w] {
            QList<QStringList> r;
            for (int i = 1; i < w.grSMSListe->rowCount(); ++i)
                r.append({w.grSMSListe->cell(i, 3), w.grSMSListe->cell(i, 4)});
            return r;
        };
        const auto shown = [&] {
            const QList<QStringList> r = rows();
            return std::any_of(r.begin(), r.end(), [&](const QStringList &row) { return row.at(1) == expected; });
        };
        if (QTest::qWaitFor(shown, 30000))
            seconds = t.elapsed() / 1000.0;
        QTest::qWaitFor([&w] { return !w.cycleRunning(); }, 30000);
        const QList<QStringList> seen = rows();
        w.close();
        return {seen, seconds};
    }
    // The archive's rows (number, text), as its window lists them.
    QList<QStringList> archive()
    {
        ArchiveModel model;
        model.setMessages(LoadSmsArchive(files.path()).messages, PhoneNames());
        QList<QStringList> rows;
        for (int r = 0; r < model.rowCount(); ++r)
            rows.append({model.message(r).number, model.message(r).text});
        return rows;
    }
    // Messages of today after the registration: a long UCS2 message with an emoji whose parts
    // come out of order over two read cycles, the second announced by +CMTI, shown joined in
    // the list and the archive, and the SIM empty at the end.
    void longMessageAcrossTwoCycles()
    {
        const QString text = QStringLiteral("Drei Teile 😀 ") + QString(160, QChar(0x0436)) + QStringLiteral(" Ende 🚲");
        const QString line = QStringLiteral("[ucs2 ref=77 parts=%1]\t+4916012345678\t") + text;
        inject(line.arg(QStringLiteral("3,1")));
        QTest::qWait(1500); // stored before the cycle looks
        const QList<QStringList> first = read();
        QVERIFY(!first.isEmpty());
        QCOMPARE(first.last().at(0), QStringLiteral("+4916012345678"));
        QVERIFY2(first.last().at(1).contains(QStringLiteral("[Teil 2 von 3 fehlt]")), qPrintable(first.last().at(1)));
        const auto [rows, seconds] = noticeRead(line.arg(QStringLiteral("2")), text);
        QVERIFY2(seconds >= 0, "the announced part did not complete the row within 30 s");
        // Registration, storage query, the read's own exchanges at a quiet second each, and the
        // half second the window looks for notices: well under 15 s.
        QVERIFY2(seconds < 15, qPrintable(QString::number(seconds)));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first(), (QStringList{"+4916012345678", text}));
        QCOMPARE(archive().count(QStringList{"+4916012345678", text}), 1);
        QVERIFY(!main().terminalText().isEmpty());
    }

    // What "Modem anmelden" leaves behind that a send needs, in three commands instead of a
    // registration: the PIN given, text mode, reports routed as +CDS. True when all went well.
    bool readyToSend()
    {
        main().setReceiveTimer(false);
        QString answer;
        bool ok = true;
        for (const char *command : {"AT+CPIN=\"1234\"", "AT+CMGF=1", "AT+CNMI=2,1,0,1,0"})
            ok = Exchange(main(), QString::fromLatin1(command), answer) == 0 && ok;
        main().setReceiveTimer(true);
        return ok;
    }

    // "SM senden" to Anna with a status report asked for: what the window says afterwards.
    QString sendToday(const QString &text = kTodayText)
    {
        frmSendSM w(main(), &main());
        w.txtZielNr->setText(QStringLiteral("+4917099999999"));
        w.chkBericht->setChecked(true);
        w.Eingabe->setPlainText(text);
        w.cmdSend->click();
        return w.lblFortschritt->text();
    }
    // The last line of the simulator's outbox, without its line end.
    QByteArray outboxLastLine() const
    {
        QFile out(s->outbox());
        if (!out.open(QIODevice::ReadOnly))
            return {};
        QByteArray all = out.readAll();
        all.chop(1);
        return all.mid(all.lastIndexOf('\n') + 1);
    }
    // The state the archive shows for the newest message once it begins with `state` (the
    // reports come a few seconds after their parts, the terminal's timer reads them), or what
    // it shows after `ms`.
    QString archivedState(const QString &state, int ms = 12000)
    {
        frmArchiv a(&main());
        const auto shown = [&a] { return a.model()->index(0, ArchiveModel::Status).data().toString(); };
        const bool seen = QTest::qWaitFor([&] { return shown().startsWith(state); }, ms);
        Q_UNUSED(seen); // the caller compares
        return shown();
    }

    // Today's message to Anna after one plain one (reference 1): three UCS2 parts in PDU mode,
    // which the simulator joins to exactly the typed text; the status reports (+CDS, those of the
    // first parts in PDU form while the next part goes out) make it delivered in the archive.
    void todaysMessage()
    {
        QCOMPARE(sendToday(), QStringLiteral("Gesendet in 3 Teilen (Referenzen 2, 3, 4). Empfangsbestätigung "
                                             "angefordert."));
        QCOMPARE(outboxLastLine(), "+4917099999999\t" + kTodayText.toUtf8() + "\tpdu 3");
        const QString state = archivedState(QStringLiteral("zugestellt "));
        QVERIFY2(state.startsWith(QLatin1String("zugestellt ")), qPrintable(state));
        QVERIFY(main().terminalText().contains(QLatin1String("+CDS: ")));
        // Text mode again for whatever comes next.
        const QString terminal = main().terminalText();
        QVERIFY(terminal.lastIndexOf(QLatin1String("AT+CMGF=1")) > terminal.lastIndexOf(QLatin1String("AT+CMGF=0")));
    }

    // "Lesen" in the received messages: the table's rows (number, text). The cycle files and
    // deletes every message it reads.
    QList<QStringList> read()
    {
        frmListe w(main(), &main());
        w.cmdLes->click();
        QList<QStringList> rows;
        for (int r = 1; r < w.grSMSListe->rowCount(); ++r)
            rows.append({w.grSMSListe->cell(r, 3), w.grSMSListe->cell(r, 4)});
        w.close();
        return rows;
    }
};
