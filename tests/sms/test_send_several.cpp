#include "../support/MainRig.h"

#include "modem/ModemCommand.h"
#include "phonelist/frmTelNr.h"
#include "sms/MessageSend.h"
#include "sms/MultiSend.h"
#include "sms/frmSendSM.h"
#include "text/AtInput.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The texts as the user reads them, written out: a changed letter in the program shows here.
const QString kRefusedText =
    QStringLiteral("Der Text enthält unzulässige Steuerzeichen (Strg+Z oder Esc). Es wurde nichts gesendet. ");
const QString kNoAnswer = QStringLiteral("Zeitüberschreitung. Keine Antwort vom Modem. ");
const QString kLinkLost =
    QStringLiteral("Die Verbindung zum Modem ist unterbrochen.\n\n"
                   "Schnittstelle COM1 (/dev/ttyS0) nicht mehr erreichbar – Kabel oder Gerät entfernt?\n\n"
                   "Ist das Modem wieder angeschlossen, öffnet „Com öffnen und schließen“ die Schnittstelle wieder.");
} // namespace

namespace {

struct SeveralRig : MainRig {
    QTemporaryDir dir;
    QString before = QDir::currentPath();
    std::unique_ptr<frmSendSM> w;
    QStringList progress; // lblFortschritt at every AT+CMGS that goes out
    std::function<void(int)> onCmgs; // called with the count of AT+CMGS so far

    explicit SeveralRig(modemsim::Config cfg = {})
    {
        QDir::setCurrent(dir.path());
        p.settings.set(keys::MyDir, dir.path());
        QFile f(QStringLiteral("phone.lst"));
        f.open(QIODevice::WriteOnly);
        f.write("Anna;+4917012345678\r\nbernd;01761234567\r\nFalsch;+49abc\r\nZora;0049151999\r\n");
        f.close();
        modemsim::Modem &m = attachModem(std::move(cfg));
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        int cmgs = 0;
        fake->setResponder([this, cmgs](const QByteArray &b) mutable {
            if (b.startsWith("AT+CMGS")) {
                progress << w->lblFortschritt->text();
                if (onCmgs)
                    onCmgs(++cmgs);
            }
            sim->send(sim->modem().receive(b));
        });
        w = std::make_unique<frmSendSM>(*main);
        w->Eingabe->setPlainText(QStringLiteral("Treffen um 18 Uhr"));
    }
    ~SeveralRig()
    {
        w.reset();
        delete frmTelNr::Loaded();
        QDir::setCurrent(before);
    }
    void select(const QStringList &names)
    {
        w->lstEmpf->clearSelection();
        for (const QString &n : names)
            w->lstEmpf->findItems(n, Qt::MatchExactly).first()->setSelected(true);
    }
    QStringList outbox() const
    {
        QStringList out;
        for (const auto &s : sim->modem().outbox())
            out << QString::fromLatin1(s.number + '|' + s.text);
        return out;
    }
};

} // namespace

class TestSendSeveral : public QObject {
    Q_OBJECT
private slots:
    void whyAMessageDidNotGo_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("prompted");
        QTest::addColumn<QString>("reason");
        QTest::newRow("sent") << "\r\n+CMGS: 7\r\n\r\nOK\r\n" << int(kStatusOk) << true << "";
        QTest::newRow("sent, with the centre's time") << "\r\n+CMGS: 12,\"24/05/01,12:30:05+08\"\r\n\r\nOK\r\n"
                                                      << int(kStatusOk) << true << "";
        QTest::newRow("no prompt, error") << "\r\n+CMS ERROR: 305\r\n" << int(kStatusError) << false
                                          << "abgelehnt: ungültige Angabe im Textmodus, Text zu lang oder Zeichen "
                                             "nicht erlaubt (+CMS ERROR: 305)";
        QTest::newRow("rejected after the text") << "\r\n+CMS ERROR: SMSC address unknown\r\n" << int(kStatusError)
                                                 << true
                                                 << "abgelehnt: Nummer der Kurzmitteilungszentrale unbekannt (+CMS "
                                                    "ERROR: SMSC address unknown)";
        QTest::newRow("an error nobody knows") << "\r\n+CMS ERROR: 4711\r\n" << int(kStatusError) << true
                                               << "abgelehnt: +CMS ERROR: 4711";
        // OK alone is no sign that the message went: 27.005 answers a send with its reference.
        QTest::newRow("OK without a reference") << "\r\nOK\r\n" << int(kStatusOk) << true
                                                << "keine Bestätigung vom Modem";
        QTest::newRow("time-out") << "" << int(kStatusTimeout) << true << "keine Antwort vom Modem";
        QTest::newRow("no prompt, no error") << "\r\nOK\r\n" << int(kStatusOk) << false
                                             << "keine Eingabeaufforderung vom Modem";
        QTest::newRow("garbled final answer") << "\r\n+CM" << int(kStatusNoResult) << true
                                              << "keine Bestätigung vom Modem";
    }
    void whyAMessageDidNotGo()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(bool, prompted);
        QFETCH(QString, reason);
        QCOMPARE(CmgsFailure(answer, qint16(status), prompted), reason);
    }

    void oneTextReachesThreeNamesInTurn()
    {
        SeveralRig r;
        r.w->cmdNext->click();
        r.select({"Anna", "bernd", "Zora"});
        QCOMPARE(r.w->txtZielNr->text(), QStringLiteral("3 Empfänger"));
        QVERIFY(!r.w->txtZielNr->isEnabled());
        r.w->cmdSend->click();
        QCOMPARE(r.outbox(), (QStringList{"+4917012345678|Treffen um 18 Uhr", "01761234567|Treffen um 18 Uhr",
                                          "0049151999|Treffen um 18 Uhr"}));
        QCOMPARE(r.progress, (QStringList{"Nachricht 1 von 3 …", "Nachricht 2 von 3 …", "Nachricht 3 von 3 …"}));
        QCOMPARE(r.p.dialogs.texts(),
                 (QStringList{"Diese Nummern beginnen weder mit 00 noch mit +:\r\nbernd (01761234567)\r\n"
                              "Trotzdem an alle senden?",
                              "3 von 3 Nachrichten gesendet.\r\nGesendet an: Anna, bernd, Zora"}));
        QCOMPARE(r.p.dialogs.shown[1].icon, MsgIcon::Information);
        QVERIFY(r.main->receiveTimer());
        QVERIFY(r.w->lblFortschritt->text().isEmpty());
        QVERIFY(r.w->cmdAbbruch->isHidden());

        // Back to one name: its number, to be edited and sent alone as before.
        r.select({"Zora"});
        QCOMPARE(r.w->txtZielNr->text(), QStringLiteral("0049151999"));
        QVERIFY(r.w->txtZielNr->isEnabled());
    }

    void theBreakEndsTheRunBeforeTheNextName_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("Abbrechen") << false;
        QTest::newRow("window closed") << true;
    }
    void theBreakEndsTheRunBeforeTheNextName()
    {
        QFETCH(bool, byClosing);
        SeveralRig r;
        r.select({"Anna", "Zora", "bernd"});
        r.p.dialogs.answers << MsgAnswer::Yes;
        r.onCmgs = [&](int n) {
            QVERIFY(r.w->cmdAbbruch->isVisible() || !r.w->isVisible());
            if (n == 2)
                byClosing ? void(r.w->close()) : r.w->cmdAbbruch->click();
        };
        r.w->show();
        r.w->cmdNext->click();
        r.w->cmdSend->click();
        QCOMPARE(r.outbox().size(), 2);
        QCOMPARE(r.p.dialogs.texts().last(),
                 QStringLiteral("Versand abgebrochen: 2 von 3 Nachrichten gesendet.\r\nGesendet an: Anna, bernd\r\n"
                                "Nicht gesendet: Zora (abgebrochen)"));
        QVERIFY(r.main->receiveTimer());
    }

    // A silent modem gets one AT+CMGS and one time-out, not one per name.
    void aFaultyNumberModemOrTextIsReported_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QByteArray>("errorFor");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("sent");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<int>("icon");
        const QByteArray anna("AT+CMGS=\"+4917012345678\"\r"), zora("AT+CMGS=\"0049151999\"\r"), body("Treffen um 18 Uhr\x1A");
        QTest::newRow("no number") << false << QByteArray() << QStringList{"Anna", "Falsch", "Zora"}
                                   << "Treffen um 18 Uhr" << QByteArray() << 0
                                   << QStringList{"Diese Einträge haben keine gültige Telefonnummer:\r\nFalsch "
                                                  "(+49abc)\r\nEs wurde nichts gesendet."}
                                   << -1;
        QTest::newRow("refused number") << false << QByteArray("AT+CMGS=\"0049") << QStringList{"Anna", "Zora"}
                                        << "Treffen um 18 Uhr" << anna + body + zora << 1
                                        << QStringList{"1 von 2 Nachrichten gesendet.\r\nGesendet an: Anna\r\n"
                                                       "Fehlgeschlagen: Zora (abgelehnt: ERROR)"}
                                        << int(MsgIcon::Exclamation);
        QTest::newRow("silent modem") << true << QByteArray() << QStringList{"Anna", "Zora"} << "Treffen um 18 Uhr" << anna << 0
                                      << QStringList{kNoAnswer, "0 von 2 Nachrichten gesendet.\r\n"
                                                                      "Fehlgeschlagen: Anna (keine Antwort vom Modem)\r\n"
                                                                      "Nicht gesendet: Zora (nicht versucht)"}
                                      << -1;
        QTest::newRow("unsafe text") << false << QByteArray() << QStringList{"Anna", "Zora"} << "Hallo\x1A" << QByteArray() << 0
                                     << QStringList{kRefusedText} << -1;
    }
    void aFaultyNumberModemOrTextIsReported()
    {
        QFETCH(bool, silent);
        QFETCH(QByteArray, errorFor);
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        QFETCH(QByteArray, wire);
        QFETCH(int, sent);
        QFETCH(QStringList, dialogs);
        QFETCH(int, icon);
        modemsim::Config cfg;
        cfg.silent = silent;
        cfg.errorFor = errorFor;
        SeveralRig r(cfg);
        r.select(names);
        r.w->Eingabe->setPlainText(text);
        r.fake->takeWritten();
        r.w->cmdSend->click();
        QCOMPARE(r.fake->takeWritten(), wire);
        QCOMPARE(r.outbox().size(), sent);
        QCOMPARE(r.p.dialogs.texts(), dialogs);
        if (icon >= 0)
            QCOMPARE(int(r.p.dialogs.shown.last().icon), icon);
    }

    // Pulled out after the prompt: the main window tells it; the run adds no closed-port box,
    // only its summary.
    void aModemPulledOutMidRunIsToldOnce()
    {
        SeveralRig r;
        r.select({"Anna", "Zora"});
        r.onCmgs = [&](int n) {
            if (n == 1)
                r.p.clock.scheduleIn(0.05, [&r] { r.fake->hangUp(); });
        };
        r.w->cmdSend->click();
        const QStringList texts = r.p.dialogs.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], kLinkLost);
        QCOMPARE(texts[1], QStringLiteral("0 von 2 Nachrichten gesendet.\r\nFehlgeschlagen: Anna (Verbindung zum Modem "
                                          "unterbrochen)\r\nNicht gesendet: Zora (nicht versucht)"));
    }
};

QTEST_MAIN(TestSendSeveral)
#include "test_send_several.moc"
