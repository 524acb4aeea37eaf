#pragma once
// The program's registration, a send and a read cycle in real time against varnix-modemsim
// behaving like a known modem (--profile), with answers ending after the quiet second or at
// their final result code ("Schnelle Modemantworten"). Each step tells what it saw, so that a
// test can assert what works and record what does not yet.
#include "../support/SimProcess.h"
#include "support/TaskExchange.h"

#include "modem/frmSMS1.h"
#include "sms/SmsDataFile.h"
#include "sms/frmListe.h"
#include "sms/frmSendSM.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

struct ProfileCycle {
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
        QStringList args{QStringLiteral("--creg-search"), QStringLiteral("1"), QStringLiteral("--messages"), messages};
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
        QFile out(s->outbox());
        return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
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
