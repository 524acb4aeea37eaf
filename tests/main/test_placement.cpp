// Windows on a small screen: the main window within the screen, every child window within the
// work area, all of it in sight.
#include "../support/MainRig.h"

#include "main/WindowPlacement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using placement::FitMainWindow;
using placement::PlaceChild;

class TestPlacement : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString before;

private slots:
    void init()
    {
        before = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void cleanup() { QDir::setCurrent(before); }

    // Geometry as kept: frame corner and inside size; the frame here is 1 px at the sides
    // and a 20 px title bar.
    void fitMainWindow_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("fitted");
        const QRect laptop(0, 0, 1366, 768);
        const QRect small(0, 0, 1024, 768);
        QTest::newRow("fits as it is") << QRect(83, 83, 938, 583) << laptop << QRect(83, 83, 938, 583);
        QTest::newRow("first start, laptop") << QRect(83, 83, 1240, 860) << laptop << QRect(83, 0, 1240, 747);
        QTest::newRow("first start, 1024x768") << QRect(83, 83, 1240, 860) << small << QRect(0, 0, 1022, 747);
        QTest::newRow("larger than the screen") << QRect(-40, -40, 3000, 2000) << laptop << QRect(0, 0, 1364, 747);
        QTest::newRow("out at the right and bottom")
            << QRect(1000, 500, 600, 400) << laptop << QRect(764, 347, 600, 400);
        QTest::newRow("exactly the screen") << QRect(0, 0, 1364, 747) << laptop << QRect(0, 0, 1364, 747);
        // A second screen right of the first, with a panel along its top.
        QTest::newRow("second screen with a panel")
            << QRect(1300, 0, 1400, 900) << QRect(1366, 30, 1024, 738) << QRect(1366, 30, 1022, 717);
    }
    void fitMainWindow()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QFETCH(QRect, fitted);
        const QMargins frame(1, 20, 1, 1);
        const QRect r = FitMainWindow(wanted, available, frame);
        QCOMPARE(r, fitted);
        const QRect frameRect(r.topLeft(), r.size().grownBy(frame));
        QVERIFY(available.contains(frameRect));
    }

    void placeChild_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QRect>("placed");
        const QSize roomy(1240, 500);
        const QSize low(1022, 300);
        const QSize none(0, 0);
        QTest::newRow("fits at the corner")
            << roomy << QSize(587, 437) << none << QPoint(0, 0) << QRect(0, 0, 587, 437);
        QTest::newRow("fits one step down")
            << roomy << QSize(587, 437) << none << QPoint(24, 24) << QRect(24, 24, 587, 437);
        QTest::newRow("cascade pushed it out below")
            << roomy << QSize(587, 437) << none << QPoint(96, 96) << QRect(96, 63, 587, 437);
        QTest::newRow("cascade pushed it out at the right")
            << QSize(700, 500) << QSize(587, 300) << none << QPoint(144, 144) << QRect(113, 144, 587, 300);
        QTest::newRow("taller than the area")
            << roomy << QSize(808, 578) << none << QPoint(48, 48) << QRect(48, 0, 808, 500);
        QTest::newRow("larger both ways")
            << low << QSize(1300, 578) << none << QPoint(72, 72) << QRect(0, 0, 1022, 300);
        QTest::newRow("not below its minimum")
            << low << QSize(587, 437) << QSize(525, 400) << QPoint(24, 24) << QRect(24, 0, 587, 400);
        QTest::newRow("minimum larger than the area")
            << QSize(400, 200) << QSize(587, 437) << QSize(525, 228) << QPoint(24, 24) << QRect(0, 0, 525, 228);
        QTest::newRow("shown again where it was")
            << roomy << QSize(556, 300) << none << QPoint(600, 120) << QRect(600, 120, 556, 300);
        QTest::newRow("shown again after the window shrank")
            << QSize(938, 200) << QSize(556, 300) << none << QPoint(600, 120) << QRect(382, 0, 556, 200);
        QTest::newRow("above or left of the area")
            << roomy << QSize(300, 200) << none << QPoint(-50, -10) << QRect(0, 0, 300, 200);
    }
    void placeChild()
    {
        QFETCH(QSize, area);
        QFETCH(QSize, wanted);
        QFETCH(QSize, minimum);
        QFETCH(QPoint, at);
        QFETCH(QRect, placed);
        QCOMPARE(PlaceChild(area, wanted, minimum, at), placed);
    }

    // Each window the main window opens, one after the other in a main window that fills a
    // small screen: each lies wholly in the work area the moment it opens.
    void childrenOpenInsideTheWorkArea()
    {
        MainRig r;
        r.attachModem();
        frmAnfang &main = *r.main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QRect screen = main.screen()->availableGeometry();
        QVERIFY(screen.contains(main.frameGeometry()));
        const struct {
            const char *frame;
            void (frmAnfang::*open)();
        } children[] = {
            {"frmSMS1Frame", &frmAnfang::openRegistration}, {"frmSendSMFrame", &frmAnfang::openSend},
            {"frmSimListFrame", &frmAnfang::openSimList},   {"frmListeFrame", &frmAnfang::openReceived},
            {"frmArchivFrame", &frmAnfang::openArchive},
        };
        QSet<QPoint> corners;
        for (const auto &child : children) {
            (main.*child.open)();
            QMdiSubWindow *sub = main.mdiArea->activeSubWindow();
            QVERIFY(sub);
            QCOMPARE(sub->objectName(), QString::fromLatin1(child.frame));
            // The work area drops the scroll bars it needed while the window was elsewhere.
            QApplication::processEvents();
            const QRect area(QPoint(0, 0), main.mdiArea->viewport()->size());
            QVERIFY2(area.contains(sub->geometry()), qPrintable(QStringLiteral("%1: %2,%3 %4x%5 in %6x%7")
                                                                    .arg(sub->objectName())
                                                                    .arg(sub->x())
                                                                    .arg(sub->y())
                                                                    .arg(sub->width())
                                                                    .arg(sub->height())
                                                                    .arg(area.width())
                                                                    .arg(area.height())));
            corners << sub->pos();
        }
        // Cascaded, not stacked on one another; the window stayed on the screen.
        QVERIFY(corners.size() > 1);
        QVERIFY(screen.contains(main.frameGeometry()));

        // A window closed at the right of the work area comes back inside it after the main
        // window has become narrower.
        QMdiSubWindow *send = main.findChild<QMdiSubWindow *>(QStringLiteral("frmSendSMFrame"));
        send->move(main.mdiArea->viewport()->width() - send->width(), 0);
        for (QMdiSubWindow *sub : main.mdiArea->subWindowList())
            sub->close();
        main.resize(send->width() + 20, main.height());
        main.openSend();
        QApplication::processEvents();
        QCOMPARE(main.mdiArea->activeSubWindow(), send);
        QVERIFY(QRect(QPoint(0, 0), main.mdiArea->viewport()->size()).contains(send->geometry()));
    }

    // Ctrl+F4 as on Windows and Ctrl+W as on Linux desktops close the active child, whichever
    // of them the desktop's key scheme binds.
    void bothKeysCloseAChild_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("Ctrl+F4") << QKeySequence(Qt::CTRL | Qt::Key_F4);
        QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
    }
    void bothKeysCloseAChild()
    {
        QFETCH(QKeySequence, key);
        MainRig r;
        r.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.main.get()));
        QApplication::setActiveWindow(r.main.get());
        r.main->openSend();
        QMdiSubWindow *sub = r.main->mdiArea->activeSubWindow();
        QVERIFY(sub->isVisible());
        const QList<QAction *> system = sub->systemMenu()->actions();
        QCOMPARE(system.last()->shortcuts(), frmAnfang::childCloseKeys());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus && sub->isAncestorOf(focus));
        QTest::keySequence(focus, key);
        QVERIFY(!sub->isVisible());
        QVERIFY(r.sent().isEmpty()); // the key did not reach the modem
    }
};

QTEST_MAIN(TestPlacement)
#include "test_placement.moc"
