#pragma once
#include <QDialog>
#include <QMap>
#include <QPointer>
#include <functional>

#include "config/SerialDevices.h"

class ModemLink;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "COM-Anschluß-Einstellungen": port number and the device it reaches, line settings, flow
// control and echo, applied to the port and stored by OK, and whether the modem's answers end
// at their final result code ("Schnelle Modemantworten", stored by OK, used from the next piece
// of modem work on); a test of which of COM1 to COM16 can be opened. OK hides the dialog and keeps its choices; Cancel and the close box
// discard it, so the next showing starts afresh.
inline const QString kPropertiesTitle = QStringLiteral("COM-Anschluß-Einstellungen");

class frmProperties final : public QDialog {
    Q_OBJECT
public:
    // comStatus refreshes the main window's port panel, picture and text.
    frmProperties(ModemLink &link, std::function<void()> comStatus, QWidget *parent = nullptr);

    // Shows the kept dialog modally, making it first when there is none; a discarded dialog
    // is deleted once it has closed, and `kept` becomes null.
    static void ShowModal(QPointer<frmProperties> &kept, ModemLink &link, std::function<void()> comStatus,
                          QWidget *parent);

    // Fills the lists and preselects them from the stored settings string.
    void LoadPropertySettings();
    // Where the devices offered beside the port number come from; asked on every showing,
    // so a USB modem plugged in meanwhile is there.
    std::function<QList<SerialDevice>()> listDevices = &SerialDevices::available;
    // True once Cancel or the close box has thrown the dialog's state away.
    bool discarded() const { return m_discarded; }

    QTabWidget *tabSettings = nullptr;
    QGroupBox *fraSettings = nullptr;
    QComboBox *cboPort = nullptr;
    QComboBox *cboDevice = nullptr;
    QComboBox *cboSpeed = nullptr;
    QComboBox *cboDataBits = nullptr;
    QComboBox *cboParity = nullptr;
    QComboBox *cboStopBits = nullptr;
    QRadioButton *optEcho[2] = {};
    QRadioButton *optFlow[4] = {};
    QCheckBox *chkFastAnswers = nullptr;
    QLabel *lblDefault = nullptr;
    QLabel *lblComNr = nullptr;
    QPushButton *cmdTest = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void layOut();
    void Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdTest_Click();
    // The stored line settings, or the port's own where none are stored, and its flow control.
    void showSettingsInUse();
    void showStoredFastAnswers();
    void refused(const QString &text);
    void setDeviceChoices(const QList<SerialDevice> &devices);
    void portChosen(int index);
    // The device text as edited for the port number shown, noted for OK.
    void noteDevice();
    void storeDevices();
    QString deviceShownFor(int portNumber) const;

    ModemLink &m_link;
    std::function<void()> m_comStatus;
    QButtonGroup *m_echoGroup = nullptr;
    QButtonGroup *m_flowGroup = nullptr;
    // Devices chosen in this showing, by port number, stored by OK.
    QMap<int, QString> m_devices;
    int m_devicePort = 0; // the number cboDevice shows the device of
    bool m_keeping = false;
    bool m_discarded = false;
};
