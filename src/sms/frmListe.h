#pragma once
#include "platform/HeaderGrid.h"
#include "comm/ModemLink.h"
#include "platform/WorkFolder.h"
#include "sms/NewMessageNotice.h"
#include "sms/ReadCycle.h"
#include "sms/PhoneNames.h"
#include "sms/ReceiveHook.h"
#include "sms/ReceivedList.h"

#include <QTimer>
#include <QWidget>

class ModemTask;
class QLabel;
class QListWidget;
class QPushButton;

// "SMS-Datei": empties the SIM's message storage into the SMS data file of this run, one read
// cycle on "&Lesen" and on every tick of its own polling timer, and lists what arrived in a
// table. While the window is loaded the main window's receive timer is off, so that only the
// read cycle takes the modem's answers; closing the window (which unloads it) turns it on
// again and stores the polling interval.
class frmListe final : public QWidget {
    Q_OBJECT
public:
    explicit frmListe(ModemLink &link, QWidget *parent = nullptr);
    ~frmListe() override;

    // One read cycle. A call while a cycle runs (a tick, a click) is refused quietly.
    // `asked`: the user pressed "Lesen"; a tick finds the modem busy without a word.
    void SMSLesen(bool asked = false);
    bool cycleRunning() const;

    // The note above the table: "Automatische Abfrage alle <seconds> s".
    void TitelRefresh();
    // A new table row for a message, numbered in column 0.
    int GridRowAdd();

    // The size the window is loaded with, so the work area's frame takes it too.
    QSize sizeHint() const override;

    // Polling interval in milliseconds, 0 to 60000; 0 stops automatic polling.
    int pollInterval() const { return m_interval; }
    // Automatic polling is on: a failed cycle turns it off until "Lesen" or a new interval.
    bool polling() const { return m_polling; }
    void setPollInterval(int ms);

    QPushButton *cmdLes = nullptr;
    QPushButton *cmdInfo = nullptr;
    QPushButton *cmdZyklus = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdArchiv = nullptr;
    // Row 0 holds the headers, column 0 the row numbers; rows 1 .. rowCount()-1 the messages.
    HeaderGrid *grSMSListe = nullptr;
    QLabel *lblMeldung = nullptr;
    QLabel *sbrMeldung = nullptr;
    // The SMS files of the working folder when the window was loaded.
    QListWidget *flSMSFile = nullptr;
    QTimer Timer1;
    // Looks at the line between tasks for new-message notices.
    QTimer NoticeWatch;
    // What NoticeWatch does: notices seen (here or inside an answer) start a read cycle when the
    // modem is free.
    void checkNotices();

signals:
    // "&Archiv": the main window opens the message archive.
    void archiveRequested();

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    // After a cycle: a failure's one box, and polling stops until "Lesen" or a new interval.
    void reportEnd(ReadCycle::End end, const QString &failure);
    // The message's row in the table, new or the row of the long message it belongs to; what
    // the desktop notice says of it.
    NoticeMessage KopfEintragen(const ReadCycle::Filed &message);

    void cmdZyklus_Click();
    void lblMeldung_Click();
    void setPolling(bool on);
    void applyPolling();
    void storePollInterval();
    void layoutControls(int widthTw, int heightTw);
    void fitNumberColumn();
    QWidget *host();
    void closeSteps();

    ModemLink &m_link;
    // While the window is loaded only the read cycle takes the modem's answers.
    ReceiveTimerHold m_timerHold{m_link};
    int m_interval = 0;
    bool m_polling = false; // the timer's switch; a failed cycle turns it off until the user acts
    PhoneNamesCache m_names;
    int m_listener = 0;
    bool m_noticeSeen = false; // a +CMTI came: read at the modem's next free moment
    QStringList m_announced;   // the storages the notices named
    // The rows of the table, long messages joined (with parts filed before this window).
    ReceivedList m_rows{[] { return LoadSmsArchive(platform::workFolder()).messages; }};
    // The user's command for every message filed (a long one once it is whole).
    ReceiveHook *m_hook = nullptr;
};
