#pragma once
#include "comm/ModemLink.h"

#include <QDialog>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;
class QStatusBar;

// "Baudrate scannen": each press of "&Scan All" reopens the port at the next lower speed,
// from 56000 down to 110 ("n,8,1"), and TimerSchreib sends "AT" on every other tick and
// fetches the answer into the terminal on the ticks between. The user stops at the speed
// where the modem's OK shows; the port stays open at it. Nothing is stored.
inline const QString kComScanTitle = QStringLiteral("Baudrate scannen");

class frmComScan final : public QDialog {
    Q_OBJECT
public:
    // receiveLoop moves what the modem sent into the main window's terminal.
    frmComScan(ModemLink &link, std::function<void()> receiveLoop, QWidget *parent = nullptr);

    void btnScan_Click();
    void TimerSchreib_Timer();

    QPushButton *btnScan = nullptr;
    QLabel *lblCounter = nullptr;
    QLabel *lblBaudrate = nullptr;
    QStatusBar *sbrStatus = nullptr;
    QTimer TimerSchreib;

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void showPortStatus();

    ModemLink &m_link;
    // While the window is there the terminal does not read: the scan waits for the answers.
    ReceiveTimerHold m_timerHold{m_link};
    std::function<void()> m_receiveLoop;
    bool m_sendPhase = false;
};
