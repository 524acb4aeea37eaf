// Every text the user reads on the main window and its first windows, against the literal
// string: a lost trailing blank or a changed letter shows here, not in a constant compared
// with itself.
#include "../support/MainRig.h"

#include "modem/frmSMS1.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>
#include <QtTest>

class TestTexts : public QObject {
    Q_OBJECT
private slots:
    void controlTexts_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *window, const char *name, const char *text) {
            QTest::addRow("%s %s", window, name) << QString::fromUtf8(window) << QString::fromUtf8(name)
                                                  << QString::fromUtf8(text);
        };
        row("frmAnfang", "", "Varnix");
        row("frmAnfang", "mnuFile", "&Datei");
        row("frmAnfang", "mnuFileLogOpen", "Logdatei öffnen");
        row("frmAnfang", "mnuFileLogClose", "Logfile schließen");
        row("frmAnfang", "mnuFileTel", "&Telefonliste");
        row("frmAnfang", "mnuFileExit", "Be&enden");
        row("frmAnfang", "mnuConfig", "&Einstellungen");
        row("frmAnfang", "mnuConfigCom", "Com-Schnittstelle");
        row("frmAnfang", "mnuConfigUmlaut", "Conversion-Table");
        row("frmAnfang", "mnuTools", "&Tools");
        row("frmAnfang", "mnuToolsBaudscan", "&Baudrate scannen");
        row("frmAnfang", "mnuHelp", "&Hilfe");
        row("frmAnfang", "mnuHelpManual", "H&andbuch");
        row("frmAnfang", "mnuHelpInfo", "&Info");
        row("frmAnfang", "optDisplay(0)", "Normaldarstellung");
        row("frmAnfang", "optDisplay(1)", "ASCII-Darstellung");
        row("frmAnfang", "Panel1", "COM1,9600,n,8,1 active");
        row("frmAnfang", "Panel2", "Netz");
        row("frmAnfang", "Panel3", "Modem");
        row("frmAnfang", "Panel4", "Feld");
        row("frmSMS1", "cmdModemOn", "&Modem anmelden");
        row("frmSMS1", "cmdBreak", "&Anmeldung abbrechen");
        row("frmSMS1", "cmdFeld", "&Feldstärke");
        row("frmSMS1", "cmdStep", "Anmeldung &prüfen");
        row("frmSMS1", "cmdPinTest", "&PIN testen");
        row("frmSMS1", "cmdSMSCneu", "&SMSC neu anmelden");
        row("frmSMS1", "cmdEigene", "Eigene Nummer");
        row("frmSendSM", "cmdDelete", "&Löschen");
        row("frmSendSM", "cmdNext", "> Weiter");
        row("frmSendSM", "cmdBack", "< Zurück");
        row("frmSendSM", "cmdEsc", "S&chließen");
        row("frmSendSM", "cmdAdrList", "&Telefonliste bearbeiten");
        row("frmSendSM", "cmdSend", "&Senden");
        row("frmSendSM", "Label1", "Telefonnummer des Empfängers");
    }
    void controlTexts()
    {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, text);
        MainRig r;
        QWidget *w = r.main.get();
        if (window == QLatin1String("frmSMS1")) {
            r.main->openRegistration();
            w = r.main->registrationWindow();
        } else if (window == QLatin1String("frmSendSM")) {
            r.main->openSend();
            w = r.main->mdiArea->activeSubWindow()->widget();
        }
        QCOMPARE(w->objectName(), window);
        if (name.isEmpty()) {
            QCOMPARE(w->windowTitle(), text);
            return;
        }
        QObject *o = w->findChild<QObject *>(name);
        QVERIFY2(o, qPrintable(name));
        if (auto *a = qobject_cast<QAction *>(o))
            QCOMPARE(a->text(), text);
        else if (auto *m = qobject_cast<QMenu *>(o))
            QCOMPARE(m->title(), text);
        else if (auto *b = qobject_cast<QAbstractButton *>(o))
            QCOMPARE(b->text(), text);
        else if (auto *l = qobject_cast<QLabel *>(o))
            QCOMPARE(l->text(), text);
        else
            QFAIL("no text to compare");
    }

    void toolbarTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("tip");
        QTest::newRow("OpenLogFile") << "OpenLogFile" << "Open Log File..." << "Protokolldatei öffnen...";
        QTest::newRow("CloseLogFile") << "CloseLogFile" << "Close Log File" << "Protokolldatei schließen";
        QTest::newRow("Com Close") << "Com Close" << "" << "Com öffnen und schließen";
        QTest::newRow("ModemStart") << "ModemStart" << "Dial Phone Number..." << "Modem anwählen...";
        QTest::newRow("ReadPhoneList") << "ReadPhoneList" << "Hang Up Phone" << "SIM-Card";
        QTest::newRow("Properties") << "Properties" << "Properties..." << "Einstellungen...";
        QTest::newRow("Telefonliste") << "Telefonliste" << "Transmit Text File..." << "Telefonliste editieren";
        QTest::newRow("Ende") << "Ende" << "Exit" << "";
    }
    void toolbarTexts()
    {
        QFETCH(QString, key);
        QFETCH(QString, description);
        QFETCH(QString, tip);
        MainRig r;
        QAction *a = r.main->toolButton(key);
        QVERIFY(a);
        QCOMPARE(a->whatsThis(), description);
        // What the mouse shows is the button's tooltip; "Ende" has none.
        QCOMPARE(r.main->tbrToolBar->widgetForAction(a)->toolTip(), tip);
    }

    // The icons on the terminal panel: the mouse shows what each opens, and a screen reader
    // says the same.
    void iconTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("imgModem") << "imgModem" << "Modem anmelden";
        QTest::newRow("imgSend") << "imgSend" << "SM senden";
        QTest::newRow("imgRec") << "imgRec" << "SMS empfangen";
        QTest::newRow("imgTerm") << "imgTerm" << "Terminal ein-/ausschalten";
    }
    void iconTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        MainRig r;
        auto *icon = r.main->picTerminal->findChild<QLabel *>(name);
        QVERIFY(icon);
        QCOMPARE(icon->toolTip(), text);
        QCOMPARE(icon->accessibleName(), text);
    }
};

QTEST_MAIN(TestTexts)
#include "test_texts.moc"
