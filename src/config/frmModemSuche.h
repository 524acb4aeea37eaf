#pragma once
#include "config/ModemProbe.h"
#include "config/PortHelp.h"

#include <QDialog>
#include <functional>

class ModemLink;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

inline const QString kModemSucheTitle = QStringLiteral("Modem suchen");

// Where the search finds its devices and how it opens them, and where it looks for who holds a
// device. The program uses the system's; tests put stand-ins in.
struct ModemSearchSetup {
    std::function<QList<ProbeCandidate>()> devices;
    ModemProbe::PortMaker makePort;
    QString procRoot = QStringLiteral("/proc");
    std::function<DeviceAccess(const QString &device)> access = &DeviceAccessOf;
};
// The system's devices through real serial ports.
ModemSearchSetup SystemModemSearch();

// "Modem suchen": asks every serial device whether a modem answers (ModemProbe), lists what
// it found with maker, model and SIM, tells for every other device why not and what to do, and
// maps the chosen modem to a COM number and opens it. The ways out that need root
// (ModemManager, the device's group) run through pkexec after the user has read the command
// and said yes.
class frmModemSuche final : public QDialog {
    Q_OBJECT
public:
    // comStatus refreshes the main window's port panel after the port has been reopened.
    frmModemSuche(ModemLink &link, ModemSearchSetup setup, std::function<void()> comStatus, QWidget *parent = nullptr);

    // Asks every device afresh; returns when all have answered or the search was stopped.
    void search();
    bool searching() const { return m_searching; }
    QList<ProbeResult> results() const { return m_results; }
    // The advice shown for each row.
    QList<PortAdvice> advice() const { return m_advice; }
    // Searches on its own when it is shown for the first time.
    bool searchOnShow = true;

    QLabel *lblInfo = nullptr;
    QTableWidget *grdGeraete = nullptr;
    QProgressBar *prgSuche = nullptr;
    QLabel *lblStatus = nullptr;
    QPlainTextEdit *txtHinweis = nullptr;
    QPushButton *cmdMMStop = nullptr;
    QPushButton *cmdMMIgnore = nullptr;
    QPushButton *cmdGruppe = nullptr;
    QComboBox *cboCom = nullptr;
    QPushButton *cmdZuordnen = nullptr;
    QPushButton *cmdSuchen = nullptr;
    QPushButton *cmdSchliessen = nullptr;

    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void showResults();
    void setStatus(const QString &text);
    void rowChosen();
    void runOffer(OfferKind kind);
    void mapChosen();
    int chosenRow() const;

    ModemLink &m_link;
    ModemSearchSetup m_setup;
    std::function<void()> m_comStatus;
    QList<ProbeResult> m_results;
    QList<PortAdvice> m_advice;
    bool m_searching = false;
    bool m_stopAsked = false;
    bool m_closeAfter = false;
    bool m_searchedOnShow = false;
};
