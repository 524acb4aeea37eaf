#include "../support/MainRig.h"

#include "sms/NewMessageNotice.h"
#include "sms/SmsDataFile.h"
#include "sms/frmListe.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct NoticeRig : MainRig {
    QTemporaryDir dir;
    frmListe *list = nullptr;
    QStringList shown; // "title|body" per notice
    bool tray = true;

    NoticeRig()
    {
        p.settings.set(keys::MyDir, dir.path());
        p.settings.set(keys::PollInterval, QStringLiteral("0"));
        smsrun::setCurrentFile({});
        QFile f(dir.filePath(QStringLiteral("phone.lst")));
        f.open(QIODevice::WriteOnly);
        f.write("Anna Beispiel;+4917012345678\r\n");
        f.close();
        modemsim::Modem &m = attachModem();
        m.receive("AT+CPIN=\"1234\"\r");
        m.receive("AT+CMGF=1\r");
        NewMessageNotice &notice = NewMessageNotice::of(main.get());
        notice.trayAvailable = [this] { return tray; };
        notice.present = [this](const QString &title, const QString &body) { shown << title + u'|' + body; };
        main->openReceived();
        list = main->findChild<frmListe *>();
    }
    ~NoticeRig() { smsrun::setCurrentFile({}); }
    void store(int slot, const QByteArray &number, const QByteArray &text)
    {
        sim->modem().storeSms({"REC UNREAD", number, "24/05/01,12:30:05+08", text}, slot);
    }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *it = list->grSMSListe->item(row, column);
        return it ? it->text() : QString();
    }
};

} // namespace

class TestNotice : public QObject {
    Q_OBJECT
private slots:
    void theNoticeNamesSenderAndFirstLine_data()
    {
        QTest::addColumn<QList<NoticeMessage>>("messages");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("one") << QList<NoticeMessage>{{"Anna", "Hallo"}} << "Neue SMS" << "Anna: Hallo";
        QTest::newRow("empty text") << QList<NoticeMessage>{{"+49170", ""}} << "Neue SMS" << "+49170";
        QTest::newRow("five")
            << QList<NoticeMessage>{{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}} << "5 neue SMS"
            << "A: 1\nB: 2\nC: 3\n… und 2 weitere";
    }
    void theNoticeNamesSenderAndFirstLine()
    {
        QFETCH(QList<NoticeMessage>, messages);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QCOMPARE(NoticeTitle(messages.size()), title);
        QCOMPARE(NoticeBody(messages), body);
    }

    // The program is in the background: the table shows the name beside a known number, and
    // the notice names both senders; its click brings the received-messages window forward.
    void messagesFiledInTheBackgroundAreAnnounced()
    {
        NoticeRig r;
        QVERIFY(!r.main->isActiveWindow());
        r.store(1, "+4917012345678", "Hallo\r\nzweite Zeile");
        r.store(2, "+4915198765432", "Gr\xFC\xDF" "e");
        r.list->cmdLes->click();
        QCOMPARE(r.cell(1, 3), QStringLiteral("+4917012345678 (Anna Beispiel)"));
        QCOMPARE(r.cell(2, 3), QStringLiteral("+4915198765432"));
        QVERIFY(r.list->grSMSListe->columnWidth(3) > r.list->fontMetrics().horizontalAdvance(r.cell(1, 3)));
        QCOMPARE(r.shown, QStringList{"2 neue SMS|Anna Beispiel: Hallo\n+4915198765432: Grüße"});

        r.main->openRegistration();
        r.main->showMinimized();
        QVERIFY(r.main->mdiArea->activeSubWindow()->widget() != r.list);
        NewMessageNotice::of(r.main.get()).bringToFront();
        QVERIFY(!r.main->isMinimized());
        QCOMPARE(r.main->mdiArea->activeSubWindow()->widget(), r.list);
    }

    void noNoticeWhenNothingIsFiledOrNoTrayOrTheUserLooks_data()
    {
        QTest::addColumn<bool>("message");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("active");
        QTest::newRow("empty SIM") << false << true << false;
        QTest::newRow("no tray") << true << false << false;
        QTest::newRow("main window active") << true << true << true;
    }
    void noNoticeWhenNothingIsFiledOrNoTrayOrTheUserLooks()
    {
        QFETCH(bool, message);
        QFETCH(bool, tray);
        QFETCH(bool, active);
        NoticeRig r;
        r.tray = tray;
        if (active) {
            r.main->show();
            r.main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(r.main.get()));
        }
        if (message)
            r.store(1, "+4917012345678", "Hallo");
        r.list->cmdLes->click();
        QCOMPARE(r.cell(1, 3).isEmpty(), !message);
        QVERIFY(r.shown.isEmpty());
        QVERIFY(r.p.dialogs.shown.isEmpty());
    }

    // The real desktop of the tests has no tray: the notice is simply not shown.
    void withoutATrayNothingFails()
    {
        QWidget main;
        QWidget source(&main);
        NewMessageNotice &notice = NewMessageNotice::of(&main);
        QCOMPARE(&NewMessageNotice::of(&main), &notice);
        notice.announce(&source, {{"Anna", "Hallo"}});
        QVERIFY(!main.findChild<QSystemTrayIcon *>());
        notice.bringToFront();
    }
};

QTEST_MAIN(TestNotice)
#include "test_notice.moc"
