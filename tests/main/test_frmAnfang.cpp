#include "../support/CpuTime.h"
#include "../support/MainRig.h"

#include "main/TerminalText.h"
#include "platform/CodePage.h"

#include <QMdiArea>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFrmAnfang : public QObject {
    Q_OBJECT
    // Choosing a log makes its folder the current one: it must outlive every test.
    QTemporaryDir dir;
private slots:
    void startsWithThePortOpenAndTheTimerRunning()
    {
        MainRig r;
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.fake->lastDevice, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(r.main->Timer1.interval(), 1999);
        QVERIFY(r.main->Timer1.isActive());
        QVERIFY(r.main->optDisplay[0]->isChecked());
    }

    void aMissingPortGivesComErrorAndTheWindowCarriesOn()
    {
        MainRig r({QStringLiteral("/dev/ttyS0")});
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Com-Error"));
        QVERIFY(r.p.dialogs.shown[0].text.contains(QLatin1String("COM1 (/dev/ttyS0) nicht vorhanden")));
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
        // The picture beside the text says the same: closed.
        QVERIFY(!r.main->panel1ShowsOpen());
    }

    // On the test platform's screen of 800 x 800, before the window is shown: the window
    // manager's frame is not known yet and is reckoned at 4, 38, 4 and 4 pixels.
    void storedGeometry_data()
    {
        QTest::addColumn<QStringList>("stored"); // left, top, width, height in twips; "" is none
        QTest::addColumn<QRect>("geometry");     // frame corner, inside size
        const auto row = [](const char *name, QStringList stored, QRect geometry) {
            QTest::newRow(name) << stored << geometry;
        };
        // The first start fills the small screen (it would take 1240 x 860 where there is room).
        row("nothing stored", {"", "", "", ""}, QRect(0, 0, 792, 758));
        row("fits", {"1500", "1200", "7200", "6000"}, QRect(125, 100, 600, 500));
        row("left not a number", {"abc", "1200", "7200", "6000"}, QRect(83, 100, 600, 500));
        // What is missing takes its default: 1000, 1000, 11250 and 7000 twips.
        row("only the left", {"1500", "", "", ""}, QRect(0, 83, 792, 583));
        row("larger than the screen", {"-6000", "0", "24000", "12000"}, QRect(0, 0, 792, 758));
        row("out at the right", {"6000", "1200", "7200", "6000"}, QRect(192, 100, 600, 500));
        row("off every screen", {"-900000", "1200", "7200", "6000"}, QRect(0, 0, 792, 758));
        row("too small", {"1500", "1200", "600", "6000"}, QRect(0, 0, 792, 758));
    }
    void storedGeometry()
    {
        QFETCH(QStringList, stored);
        QFETCH(QRect, geometry);
        TestPlatform p;
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
        const SettingKey geometryKeys[] = {keys::MainLeft, keys::MainTop, keys::MainWidth, keys::MainHeight};
        for (int i = 0; i < 4; ++i)
            if (!stored[i].isEmpty())
                p.settings.set(geometryKeys[i], stored[i]);
        frmAnfang w(std::make_unique<FakeSerialBackend>(p.clock));
        QCOMPARE(QRect(w.pos(), w.size()), geometry);
    }

    // On the screen the frame is known, and the window fills what it may of the screen.
    void theFirstStartFitsTheScreenOnceShown()
    {
        MainRig r;
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
        QTRY_COMPARE(r.main->frameGeometry(), r.main->screen()->availableGeometry());
    }

    // The loop mends line ends as the pane needs them and empties the input buffer.
    void receiveLoopShowsWhatArrives_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("shown");
        QTest::newRow("bare LF lost") << QByteArray("a\nb") << "ab";
        QTest::newRow("bare CR") << QByteArray("x\r") << "x\r\n";
    }
    void receiveLoopShowsWhatArrives()
    {
        QFETCH(QByteArray, received);
        QFETCH(QString, shown);
        MainRig r;
        r.fake->deliver(received);
        r.main->ReceiveLoop();
        QCOMPARE(r.main->terminalText(), shown);
        QCOMPARE(r.comm().inBufferCount(), 0);
    }

    void textFromOtherWindowsStaysTextInAsciiView()
    {
        MainRig r;
        r.main->optDisplay[1]->setChecked(true);
        QString line = QStringLiteral("AT\r");
        r.main->ShowData(line);
        QCOMPARE(line, QStringLiteral("AT\r\n"));
        QCOMPARE(r.main->terminalText(), QStringLiteral("AT\r\n"));
    }

    void everyByteValueReachesTheTerminal()
    {
        MainRig r;
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            if (b != 10 && b != 13)
                all.append(static_cast<char>(b));
        r.fake->deliver(all);
        r.main->ReceiveLoop();
        // A NUL would end the pane's text for a screen reader.
        QCOMPARE(r.main->terminalText(), QStringLiteral("<0>") + codepage::decode(all.mid(1)));
        r.main->optDisplay[1]->setChecked(true);
        r.fake->deliver(all);
        r.main->ReceiveLoop();
        QVERIFY(r.main->terminalText().endsWith(AsciiView(codepage::decode(all))));
    }

    void readingIndicatorJumpsEachPassAndStaysOnAClosedPort()
    {
        MainRig r;
        const int top = r.main->optDisplay[0]->y();
        r.main->ReceiveLoop();
        const int first = r.main->imgLes->y();
        r.main->ReceiveLoop();
        QCOMPARE(QSet<int>({first, r.main->imgLes->y()}), QSet<int>({top - 4, top - 13}));
        r.fake->deliver("OK");
        r.comm().setPortOpen(false);
        const QPoint before = r.main->imgLes->pos();
        r.main->ReceiveLoop();
        QCOMPARE(r.main->imgLes->pos(), before);
        QCOMPARE(r.main->terminalText(), QString());
    }

    void paneIsTrimmedBeforeTheNextAppend()
    {
        MainRig r;
        QString big;
        for (int i = 0; i < 16001; ++i)
            big += QChar('a' + i % 26);
        QString first = big.left(8000);
        QString second = big.mid(8000);
        r.main->ShowData(first);
        r.main->ShowData(second);
        QString more = QStringLiteral("OK");
        r.main->ShowData(more);
        QCOMPARE(r.main->terminalText(), big.right(11905) + QStringLiteral("OK"));
    }

    // A megabyte without a line break in one tick: the pane takes its last part, the log
    // every byte, and the tick is quick (laying out the whole line took 20 s). What the pane
    // held before goes: it did not come right before that last part.
    void aMegabyteWithoutLineBreaks_data()
    {
        QTest::addColumn<bool>("ascii");
        QTest::addColumn<bool>("lines");
        QTest::addColumn<double>("cpuBound");
        QTest::newRow("Normaldarstellung") << false << false << 1.0;
        // Five megabytes of codes for the log; room for a sanitizer build.
        QTest::newRow("ASCII-Darstellung") << true << false << 2.0;
        // Lines ending in CR LF, bare CR and bare LF, in pieces that cut pairs apart: the log
        // gets every line end once, whichever piece of the tick it came in.
        QTest::newRow("Zeilen") << false << true << 1.0;
    }
    void aMegabyteWithoutLineBreaks()
    {
        QFETCH(bool, ascii);
        QFETCH(bool, lines);
        QFETCH(double, cpuBound);
        MainRig r;
        r.main->show();
        r.main->optDisplay[ascii ? 1 : 0]->setChecked(true);
        const QString logName = dir.filePath(QStringLiteral("burst.log"));
        r.p.dialogs.fileAnswers << logName;
        r.main->LogOpen();
        QByteArray burst(1024 * 1024, 'x');
        for (int i = 0; i < burst.size(); ++i)
            burst[i] = char('a' + i % 26);
        if (lines) {
            const char *const ends[] = {"\r\n", "\r", "\n", "\n\r"};
            for (int i = 70, k = 0; i + 2 < burst.size(); i += 71, ++k)
                burst.replace(i, 2, ends[k % 4], qsizetype(std::strlen(ends[k % 4])));
            burst.truncate(1024 * 1024);
        }
        QString shown = ascii ? AsciiView(codepage::decode(burst)) : codepage::decode(burst);
        NormaliseLineEnds(shown);
        QString earlier = QStringLiteral("ATI\r");
        r.main->ShowData(earlier);
        // Pieces as the driver hands them over, all there by the tick.
        const int piece = lines ? 4093 : 4096;
        for (int at = 0; at < burst.size(); at += piece)
            r.fake->deliver(burst.mid(at, piece));

        const double cpu0 = processCpuSeconds();
        r.main->ReceiveLoop();
        QApplication::processEvents();
        const double cpu = processCpuSeconds() - cpu0;
        QVERIFY2(cpu < cpuBound, qPrintable(QStringLiteral("%1 s").arg(cpu)));
        const QString pane = r.main->terminalText();
        QString tail = shown.right(kTerminalLimit);
        if (tail.startsWith(u'\n'))
            tail.remove(0, 1);
        QCOMPARE(pane, tail);
        r.main->LogClose();
        QCOMPARE(fileBytes(logName), "ATI\r\n" + codepage::encode(shown));

        // The next text trims the pane back under its bound.
        QString more = QStringLiteral("OK\r");
        r.main->ShowData(more);
        QVERIFY(r.main->terminalText().size() <= kTerminalLimit + 4);
        QVERIFY(r.main->terminalText().endsWith(QLatin1String("OK\r\n")));
    }

    // A long tick goes to the log in parts, the pane's tail last; a cut that would fall between
    // a CR and its LF keeps the pair together (alone, the LF would be taken for a bare one and
    // dropped). With line ends this close, some cut falls on a pair whatever the part sizes.
    void aTickCutAtALineEndLogsItOnce_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("empty lines") << QByteArray("\r\n");
        QTest::newRow("one character") << QByteArray("x\r\n");
        QTest::newRow("two characters") << QByteArray("xy\r\n");
    }
    void aTickCutAtALineEndLogsItOnce()
    {
        QFETCH(QByteArray, line);
        MainRig r;
        const QString logName = dir.filePath(QStringLiteral("cut.log"));
        r.p.dialogs.fileAnswers << logName;
        r.main->LogOpen();
        const QByteArray data = line.repeated(200000 / line.size());
        r.fake->deliver(data);
        r.main->ReceiveLoop();
        r.main->LogClose();
        QCOMPARE(fileBytes(logName), data);
        QString tail = QString::fromLatin1(data.right(kTerminalLimit));
        if (tail.startsWith(u'\n'))
            tail.remove(0, 1);
        QCOMPARE(r.main->terminalText(), tail);
    }

    void aNulIsShownVisiblyAndLoggedAsItCame()
    {
        MainRig r;
        const QString logName = dir.filePath(QStringLiteral("nul.log"));
        r.p.dialogs.fileAnswers << logName;
        r.main->LogOpen();
        r.fake->deliver(QByteArray("\r\n+CMGR: x\0y\r\n", 14));
        r.main->ReceiveLoop();
        r.main->LogClose();
        QCOMPARE(r.main->terminalText(), QStringLiteral("\r\n+CMGR: x<0>y\r\n"));
        QCOMPARE(r.main->txtTerm->toPlainText(), QStringLiteral("\n+CMGR: x<0>y\n"));
        QCOMPARE(fileBytes(logName), QByteArray("\r\n+CMGR: x\0y\r\n", 14));
    }

    void aPulledModemClosesThePortWithOneMessage()
    {
        MainRig r;
        r.fake->hangUp();
        QVERIFY(!r.comm().portOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 not active"));
        QVERIFY(!r.main->panel1ShowsOpen());
        QCOMPARE(r.p.dialogs.shown.size(), 1);
        QCOMPARE(r.p.dialogs.shown[0].text,
                 QStringLiteral("Die Verbindung zum Modem ist unterbrochen.\n\n"
                                "Schnittstelle COM1 (/dev/ttyS0) nicht mehr erreichbar – Kabel oder Gerät entfernt?\n\n"
                                "Ist das Modem wieder angeschlossen, öffnet „Com öffnen und schließen“ die "
                                "Schnittstelle wieder."));
        QCOMPARE(r.p.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(r.p.dialogs.shown[0].title, QStringLiteral("Varnix"));

        // Plugged in again: the port button opens it.
        r.main->toolButton(QStringLiteral("Com Close"))->trigger();
        QVERIFY(r.comm().portOpen());
        QCOMPARE(r.main->panelText(1), QStringLiteral("COM1,9600,n,8,1 active"));
        QVERIFY(r.main->panel1ShowsOpen());
        QCOMPARE(r.p.dialogs.shown.size(), 1);
    }

    void keyboardTableAndBeepsOnAClosedPort()
    {
        MainRig r;
        QTest::keyClicks(r.main->txtTerm, QStringLiteral("AT"));
        QTest::keyClick(r.main->txtTerm, Qt::Key_Return);
        QTest::keyClick(r.main->txtTerm, Qt::Key_Backspace);
        QTest::keyClick(r.main->txtTerm, Qt::Key_Escape);
        QTest::keyClick(r.main->txtTerm, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(r.fake->written(), QByteArray("AT\r\x7f\b\x1b\x1b\x1a"));
        QCOMPARE(r.p.dialogs.beeps, 0);

        r.fake->takeWritten();
        r.comm().setPortOpen(false);
        QTest::keyClick(r.main->txtTerm, Qt::Key_A); // key down and key press
        QCOMPARE(r.p.dialogs.beeps, 2);
        QTest::keyClick(r.main->txtTerm, Qt::Key_Left); // key down only
        QCOMPARE(r.p.dialogs.beeps, 3);
        QCOMPARE(r.fake->written(), QByteArray());
    }

    void closingInNormalStateWritesGeometryAndFolder()
    {
        QTemporaryDir dir, elsewhere;
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TestPlatform p;
        const QStringList geometry{"1500", "1200", "7200", "6000"};
        const SettingKey geometryKeys[] = {keys::MainLeft, keys::MainTop, keys::MainWidth, keys::MainHeight};
        for (int i = 0; i < 4; ++i)
            p.settings.set(geometryKeys[i], geometry[i]);
        frmAnfang w(std::make_unique<FakeSerialBackend>(p.clock));
        int ended = 0;
        w.endProgram = [&ended] { ++ended; };
        p.settings.values.clear();
        // A file dialog moved the current folder; the working folder is what is kept.
        QDir::setCurrent(elsewhere.path());
        w.close();
        QDir::setCurrent(before);
        QCOMPARE(ended, 1);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(p.settings.get(geometryKeys[i]), geometry[i]);
        QCOMPARE(QDir(p.settings.get(keys::MyDir)).canonicalPath(), QDir(dir.path()).canonicalPath());
    }

    void closingMaximisedOrByBeendenWritesNothing()
    {
        for (bool maximised : {true, false}) {
            MainRig r;
            if (maximised) {
                r.main->setWindowState(Qt::WindowMaximized);
                r.main->close();
            } else {
                r.main->mnuFileExit->trigger();
            }
            QCOMPARE(r.ended, 1);
            QVERIFY(r.p.settings.values.isEmpty());
        }
    }

    void myDirBecomesTheWorkingFolderAndAMissingOneIsIgnored()
    {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        {
            MainRig r;
            r.p.settings.set(keys::MyDir, dir.path());
            frmAnfang w(std::make_unique<FakeSerialBackend>(r.p.clock));
            QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
            QDir::setCurrent(before);
            r.p.settings.set(keys::MyDir, dir.path() + QStringLiteral("/gone"));
            frmAnfang w2(std::make_unique<FakeSerialBackend>(r.p.clock));
            QCOMPARE(QDir::currentPath(), before);
            QVERIFY(r.p.dialogs.shown.isEmpty());
        }
    }

    void terminalFollowsTheWindowHeight()
    {
        MainRig r;
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
        for (int height : {600, 700}) {
            r.main->resize(750, height);
            QCOMPARE(r.main->txtTerm->height(), r.main->frameGeometry().height() - 381); // 4575 twips
        }
    }
};

QTEST_MAIN(TestFrmAnfang)
#include "test_frmAnfang.moc"
