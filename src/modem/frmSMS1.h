#pragma once
#include "modem/ModemQuirks.h"

#include <QStringList>
#include <QWidget>

class ModemLink;
class ModemTask;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// "Modem anmelden": wakes and identifies the modem, gives the SIM PIN, selects text mode,
// checks registration, operator and signal, and sets the service centre, as one sequence or
// step by step. A break asked for (cmdBreak shows "Moment ...") stops the run at its next step,
// or the next run if none is going, until a full sequence has ended.
class frmSMS1 final : public QWidget {
    Q_OBJECT
public:
    explicit frmSMS1(ModemLink &link, QWidget *parent = nullptr);

    static const QString kBreakCaption;       // "Moment ..."
    static const QString kIdleBreakCaption;   // "Anmeldung &abbrechen"

    // The user brought the window to the front (not the return from one of its own boxes).
    void broughtToFront();

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
    // One button's work: its modem task, whether it is the full sequence, and whether the
    // modem's "ready for messages" line (its quirks) has come during it.
    struct Run {
        ModemTask &task;
        bool sequence = false;
        bool smsReady = false;
    };

    // The full sequence and the single steps.
    void cmdModemOn_Click(Run &run);
    void cmdStep_Click(Run &run);
    void cmdEigene_Click(Run &run);
    void ModemInit(Run &run);
    void ModelQuery(Run &run);
    void MakerQuery(Run &run);
    void ErrModeSet(Run &run);
    void SignalQuery(Run &run);
    void PinSend(Run &run);
    void TextModeSet(Run &run);
    void NoticesSet(Run &run);
    void RegQuery(Run &run);
    void OperatorQuery(Run &run);
    void SmscSend(Run &run);

    void breakOff();
    // The common start of every step: a broken-off run only clears the port buffers.
    bool mayRun(Run &run);
    // A quoted parameter the user typed must not be able to end the quote or the line.
    bool safeParameter(const QString &text);
    // One exchange; within a full run, no answer breaks the run off.
    qint16 exchange(Run &run, const QString &command, QString &answer, const QStringList &secrets = {});
    // An exchange the run cannot go on without: anything but OK breaks it off, and says why.
    bool required(Run &run, const QString &command, QString &answer);
    // A step whose answer is only shown in the terminal.
    void echoOnly(Run &run, const QString &command);

    // Runs one button's work unless the modem is busy (with this window's work or another's).
    void runAlone(void (frmSMS1::*step)(Run &));

    ModemLink &m_link;
    bool m_breakAsked = false; // cmdBreak pressed; a full sequence's end forgets it
    // What the modem named itself (AT+GMM, AT+CGMI) and what the program knows about it.
    QString m_model;
    ModemQuirks m_quirks;
};
