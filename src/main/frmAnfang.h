#pragma once
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "config/frmModemSuche.h"
#include "main/StatusPanels.h"
#include "main/TrafficLog.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <memory>

class IconLabel;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QRadioButton;
class QToolBar;
class frmProperties;
class frmSMS1;
class frmSendSM;

// The main window: a multi-document frame with the terminal onto the modem, the port, the
// traffic log, the menus, the toolbar and the status bar. Its closing ends the program.
class frmAnfang final : public QMainWindow, public ModemLink {
    Q_OBJECT
public:
    explicit frmAnfang(std::unique_ptr<SerialBackend> backend, QWidget *parent = nullptr);
    ~frmAnfang() override;

    // ModemLink
    CommPort &comm() override { return m_comm; }
    void ShowData(QString &data) override;
    void setReceiveTimer(bool on) override;
    bool receiveTimer() const override { return Timer1.isActive(); }
    void setPanelText(int panel, const QString &text) override { m_panels->setText(panel, text); }
    QString panelText(int panel) const override { return m_panels->text(panel); }

    void ReceiveLoop();
    void ComToggle();
    // The modem went away under the open port (cable or USB modem pulled out): the port has
    // closed; the status bar and one message say so.
    void PortLost();
    static inline const QString kLinkLostMessage = QStringLiteral("Die Verbindung zum Modem ist unterbrochen.");
    static inline const QString kLinkBackHint = QStringLiteral(
        "Ist das Modem wieder angeschlossen, öffnet „Com öffnen und schließen“ die Schnittstelle wieder.");
    // Panel 1: picture by the port state, text from ComStatusText.
    void ComStatus();
    void LogOpen();
    void LogClose();
    bool logOpen() const { return m_log.isOpen(); }

    // The pane as the terminal's bookkeeping sees it: lines end in CR LF.
    QString terminalText() const;
    bool panel1ShowsOpen() const { return m_panels->pictureShowsOpen(); }
    // How the program ends; tests replace it.
    std::function<void()> endProgram;

    QTimer Timer1;
    QPlainTextEdit *txtTerm = nullptr;
    QRadioButton *optDisplay[2] = {};
    QLabel *imgLes = nullptr;
    QWidget *picTerminal = nullptr;
    IconLabel *imgTerm = nullptr;
    IconLabel *imgModem = nullptr;
    IconLabel *imgSend = nullptr;
    IconLabel *imgRec = nullptr;
    QLabel *imgConnected = nullptr;
    QLabel *imgNotConnected = nullptr;
    QToolBar *tbrToolBar = nullptr;
    QMdiArea *mdiArea = nullptr;

    QAction *mnuFileLogOpen = nullptr;
    QAction *mnuFileLogClose = nullptr;
    QAction *mnuFileTel = nullptr;
    QAction *mnuFileArchiv = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuConfigCom = nullptr;
    QAction *mnuConfigUmlaut = nullptr;
    QAction *mnuToolsModemSuche = nullptr;
    QAction *mnuToolsBaudscan = nullptr;
    QAction *mnuHelpManual = nullptr;
    QAction *mnuHelpInfo = nullptr;
    // Toolbar buttons by key ("OpenLogFile", "Com Close", ...).
    QAction *toolButton(const QString &key) const;

    // The windows the commands open.
    void openPhoneList();
    void openPortSettings();
    void openConversionTable();
    void openBaudScan();
    // "Modem suchen": a window of its own beside the main window, searching as it opens.
    void openModemSearch();
    frmModemSuche *modemSearchWindow() const;
    // Where "Modem suchen" looks; tests put stand-ins in before it opens.
    ModemSearchSetup modemSearch = SystemModemSearch();
    static inline const QString kSearchOffer =
        QStringLiteral("Varnix kann alle seriellen Geräte nach einem Modem absuchen und es einer COM-Nummer "
                       "zuordnen. Jetzt „Modem suchen“?");
    void openAbout();
    void openRegistration();
    void openSend();
    void openReceived();
    void openSimList();
    void openArchive();
    void openHandbook();
    QWidget *registrationWindow() const;
    // The keys that close the work area's active window: Ctrl+F4 as on Windows, Ctrl+W as on
    // the Linux desktops, whatever the desktop's own key scheme binds.
    static QList<QKeySequence> childCloseKeys();

protected:
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildTerminalPanel();
    void buildMenus();
    void buildToolBar();
    void load();
    void restoreGeometry();
    void fitOnScreen();
    void applyMyDir();
    void saveSettings();
    void updateLogCommands();
    void writeLog(QStringView text);
    // Hosts a modeless window in a frame of the work area and brings it to the front.
    QMdiSubWindow *showChild(QWidget *w);
    void placeChild(QMdiSubWindow *sub, bool opening);
    void terminalKey(QKeyEvent *e);
    void setTerminalHeight(int h);
    // Gives the work area the height the open children need (at least `bottom`): first from
    // the terminal, then by growing the window as far as the screen allows.
    void makeRoomForChildren(int bottom = 0);
    int shrinkTerminal(int lack);
    QSize workArea();

    CommPort m_comm;
    TrafficLog m_log;
    bool m_logAsking = false;
    std::unique_ptr<StatusPanels> m_panels;
    QList<QAction *> m_toolActions;
    QPointer<frmSMS1> m_sms1;
    QPointer<QMdiSubWindow> m_lastActive;
    QPointer<QWidget> m_send;
    QPointer<QWidget> m_received;
    QPointer<QWidget> m_simList;
    QPointer<QWidget> m_archive;
    QPointer<frmProperties> m_properties;
    QPointer<frmModemSuche> m_search;
    QUrl m_handbook;
    // The geometry asked for at start, fitted to the screen once the window's frame is known.
    QRect m_wanted;
    bool m_fitted = false;
};
