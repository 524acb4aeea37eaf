#pragma once
#include <QWidget>

class ModemLink;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// "Modem anmelden": wakes and identifies the modem, gives the SIM PIN, selects text mode,
// checks registration, operator and signal, and sets the service centre, as one sequence or
// step by step. The break request travels in the caption of cmdBreak.
class frmSMS1 final : public QWidget {
    Q_OBJECT
public:
    explicit frmSMS1(ModemLink &link, QWidget *parent = nullptr);

    static const QString kBreakCaption;       // "Moment ..."
    static const QString kIdleBreakCaption;   // "Anmeldung &abbrechen"
    static int px(double twips);

    // The full sequence and the single steps.
    void cmdModemOn_Click();
    void cmdStep_Click();
    void cmdEigene_Click();
    // The user brought the window to the front (not the return from one of its own boxes).
    void broughtToFront();
    bool running() const { return m_running; }

    void ModemInit();
    void ModelQuery();
    void MakerQuery();
    void ErrModeSet();
    void SignalQuery();
    void PinSend();
    void TextModeSet();
    void RegQuery();
    void OperatorQuery();
    void SmscSend();

    QPushButton *cmdModemOn = nullptr;
    QPushButton *cmdBreak = nullptr;
    QPushButton *cmdFeld = nullptr;
    QPushButton *cmdStep = nullptr;
    QLabel *lblAngemeldet = nullptr;
    QFrame *Frame1 = nullptr;
    QLineEdit *txtPIN = nullptr;
    QPushButton *cmdPinTest = nullptr;
    QPushButton *cmdD1 = nullptr;
    QPushButton *cmdD2 = nullptr;
    QPushButton *cmdE1 = nullptr;
    QPushButton *cmdO2 = nullptr;
    QLineEdit *txtSMSC = nullptr;
    QPushButton *cmdSMSCneu = nullptr;
    QLineEdit *txtEigene = nullptr;
    QPushButton *cmdEigene = nullptr;
    QLabel *lblModCount = nullptr;
    QLineEdit *Eingabe = nullptr;
    QLabel *picRegister = nullptr;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    bool broken() const;
    void breakOff();
    // The common start of every step: a broken-off run only clears the port buffers.
    bool mayRun();
    // A quoted parameter the user typed must not be able to end the quote or the line.
    bool safeParameter(const QString &text);
    // One exchange; within a full run, no answer breaks the run off.
    qint16 exchange(const QString &command, QString &answer);
    // An exchange the run cannot go on without: anything but OK breaks it off, and says why.
    bool required(const QString &command, QString &answer);
    // A step whose answer is only shown in the terminal.
    void echoOnly(const QString &command);

    // Runs one button's work unless another is still going.
    void runAlone(void (frmSMS1::*step)());

    ModemLink &m_link;
    bool m_running = false;
    bool m_sequence = false; // the full sequence runs, not a single step
    bool m_brokenByClose = false;
};
