#include "config/frmProperties.h"

#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "config/PortChoices.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/PortMap.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox *dropDown(const QString &name, const QString &spoken, QWidget *parent)
{
    auto *c = Named(new QComboBox(parent), name, spoken);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return c;
}

void fill(QComboBox *c, const QStringList &items)
{
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(-1);
}

// Selects the item with exactly this text; no such item leaves the selection as it is.
bool selectItem(QComboBox *c, const QString &text)
{
    const int i = text.isEmpty() ? -1 : c->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        c->setCurrentIndex(i);
    return i >= 0;
}

// The stored item where there is one the list offers, else the one the port runs with.
void selectStoredOrInUse(QComboBox *c, const QString &stored, const QString &inUse)
{
    if (!selectItem(c, stored))
        selectItem(c, inUse);
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmProperties::frmProperties(ModemLink &link, std::function<void()> comStatus, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_link(link), m_comStatus(std::move(comStatus))
{
    Named(this, QStringLiteral("frmProperties"));
    setWindowTitle(kPropertiesTitle);
    buildControls();
    layOut();

    connect(cboPort, &QComboBox::currentIndexChanged, this, &frmProperties::portChosen);
    connect(cboDevice, &QComboBox::activated, this, [this](int i) {
        // The list shows maker and product; the field keeps the bare path.
        cboDevice->setEditText(cboDevice->itemData(i).toString());
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmProperties::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmProperties::cmdCancel_Click);
    connect(cmdTest, &QPushButton::clicked, this, &frmProperties::cmdTest_Click);

    setFixedSize(sizeHint());
    if (const QScreen *s = screen())
        move(s->geometry().center() - rect().center());
    LoadPropertySettings();
}

void frmProperties::buildControls()
{
    tabSettings = Named(new QTabWidget(this), QStringLiteral("tabSettings"));
    auto *page = new QWidget;
    tabSettings->addTab(page, QStringLiteral("Einstellungen"));
    fraSettings = Named(new QGroupBox(QStringLiteral("Einstellungen"), page), QStringLiteral("fraSettings"));

    cboPort = dropDown(QStringLiteral("cboPort"), QStringLiteral("Anschluß"), fraSettings);
    cboDevice =
        Named(new QComboBox(fraSettings), QStringLiteral("cboDevice"), QStringLiteral("Gerät der Schnittstelle"));
    cboDevice->setEditable(true);
    cboDevice->setInsertPolicy(QComboBox::NoInsert);
    cboDevice->setMinimumContentsLength(28);
    cboDevice->setToolTip(QStringLiteral("Das Gerät, das diese COM-Nummer erreicht (z. B. /dev/ttyUSB0)"));
    cboSpeed = dropDown(QStringLiteral("cboSpeed"), QStringLiteral("Baudrate"), fraSettings);
    cboDataBits = dropDown(QStringLiteral("cboDataBits"), QStringLiteral("Datenbits"), fraSettings);
    cboParity = dropDown(QStringLiteral("cboParity"), QStringLiteral("Parität"), fraSettings);
    cboStopBits = dropDown(QStringLiteral("cboStopBits"), QStringLiteral("Stopbits"), fraSettings);

    m_echoGroup = new QButtonGroup(this);
    const QString echo[] = {QStringLiteral("Aus"), QStringLiteral("Ein")};
    for (int i = 0; i < 2; ++i) {
        optEcho[i] = Named(new QRadioButton(echo[i], fraSettings), QStringLiteral("optEcho(%1)").arg(i));
        m_echoGroup->addButton(optEcho[i], i);
    }
    m_flowGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        optFlow[i] =
            Named(new QRadioButton(portchoices::flowModes().at(i), fraSettings), QStringLiteral("optFlow(%1)").arg(i));
        m_flowGroup->addButton(optFlow[i], i);
    }

    chkFastAnswers =
        Named(new QCheckBox(QStringLiteral("Schnelle &Modemantworten"), fraSettings), QStringLiteral("chkFastAnswers"));
    chkFastAnswers->setToolTip(
        QStringLiteral("Eine Antwort des Modems endet bei OK, ERROR oder der Eingabeaufforderung „> “ statt nach "
                       "einer Sekunde Stille. Anmelden, SMS lesen und das SIM-Telefonbuch gehen dann viel schneller."));
    lblDefault = Named(new QLabel(QStringLiteral("Standardeinstellung: 9600, N, 8, 1, XON"), fraSettings),
                       QStringLiteral("lblDefault"));
    lblComNr = Named(new QLabel(fraSettings), QStringLiteral("lblComNr"));
    lblComNr->setFrameShape(QFrame::Panel);
    lblComNr->setFrameShadow(QFrame::Sunken);
    lblComNr->setAlignment(Qt::AlignCenter);
    lblComNr->setMinimumWidth(40);
    // The test shows the number here; the layout keeps its room so nothing moves.
    QSizePolicy keep = lblComNr->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblComNr->setSizePolicy(keep);
    lblComNr->hide();
    cmdTest = Named(new QPushButton(QStringLiteral("&Test"), this), QStringLiteral("cmdTest"));
    cmdTest->setToolTip(QStringLiteral("Alle Schnittstellen 1 - 16 werden angesprochen"));
    cmdOK = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = Named(new QPushButton(QStringLiteral("&Abbrechen"), this), QStringLiteral("cmdCancel"));
}

void frmProperties::layOut()
{
    auto *portRow = new QHBoxLayout;
    portRow->addWidget(caption(QStringLiteral("Anschluß:"), cboPort, fraSettings));
    portRow->addWidget(cboPort);
    portRow->addSpacing(12);
    portRow->addWidget(caption(QStringLiteral("&Gerät:"), cboDevice, fraSettings));
    portRow->addWidget(cboDevice, 1);

    auto *speedFrame = new QGroupBox(QStringLiteral(" Baudrate "), fraSettings);
    auto *speedBox = new QVBoxLayout(speedFrame);
    speedBox->addWidget(cboSpeed);
    speedBox->addStretch();

    auto *formatFrame = new QGroupBox(QStringLiteral("Übertragungsformat"), fraSettings);
    auto *format = new QGridLayout(formatFrame);
    format->addWidget(caption(QStringLiteral("Datenbits:"), cboDataBits, formatFrame), 0, 0);
    format->addWidget(cboDataBits, 0, 1);
    format->addWidget(caption(QStringLiteral("Parität:"), cboParity, formatFrame), 0, 2);
    format->addWidget(cboParity, 0, 3);
    format->addWidget(caption(QStringLiteral("Stopbits:"), cboStopBits, formatFrame), 0, 4);
    format->addWidget(cboStopBits, 0, 5);
    format->setColumnStretch(6, 1);

    auto *echoFrame = new QGroupBox(QStringLiteral("&Echo"), fraSettings);
    auto *echoBox = new QVBoxLayout(echoFrame);
    for (QRadioButton *b : optEcho)
        echoBox->addWidget(b);
    auto *flowFrame = new QGroupBox(QStringLiteral("&Protokoll"), fraSettings);
    auto *flowBox = new QGridLayout(flowFrame);
    for (int i = 0; i < 4; ++i)
        flowBox->addWidget(optFlow[i], i / 2, i % 2);

    auto *hintRow = new QHBoxLayout;
    hintRow->addWidget(lblDefault, 1);
    hintRow->addWidget(lblComNr);

    auto *group = new QGridLayout(fraSettings);
    group->addLayout(portRow, 0, 0, 1, 2);
    group->addWidget(speedFrame, 1, 0);
    group->addWidget(formatFrame, 1, 1);
    group->addWidget(echoFrame, 2, 0);
    group->addWidget(flowFrame, 2, 1);
    group->addWidget(chkFastAnswers, 3, 0, 1, 2);
    group->addLayout(hintRow, 4, 0, 1, 2);
    group->setColumnStretch(1, 1);

    auto *pageBox = new QVBoxLayout(tabSettings->widget(0));
    pageBox->addWidget(fraSettings);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdTest);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(tabSettings);
    outer->addLayout(buttons);
}

void frmProperties::ShowModal(QPointer<frmProperties> &kept, ModemLink &link, std::function<void()> comStatus,
                              QWidget *parent)
{
    if (!kept)
        kept = new frmProperties(link, std::move(comStatus), parent);
    kept->exec();
    if (kept && kept->discarded())
        delete kept.data();
}

void frmProperties::setDeviceChoices(const QList<SerialDevice> &devices)
{
    const QString typed = cboDevice->currentText();
    cboDevice->clear();
    for (const SerialDevice &d : devices)
        cboDevice->addItem(SerialDevices::choiceText(d), d.path);
    cboDevice->setEditText(typed);
}

void frmProperties::LoadPropertySettings()
{
    fill(cboSpeed, portchoices::speeds());
    fill(cboDataBits, portchoices::dataBits());
    fill(cboParity, portchoices::parities());
    fill(cboStopBits, portchoices::stopBits());
    {
        // The port list is selected on every showing; refilling it keeps the number shown.
        const QSignalBlocker quiet(cboPort);
        const int shown = cboPort->currentIndex();
        fill(cboPort, portchoices::ports());
        cboPort->setCurrentIndex(shown);
    }

    showSettingsInUse();
    optEcho[0]->setChecked(true);
}

void frmProperties::showStoredFastAnswers()
{
    chkFastAnswers->setChecked(platform::settings().get(keys::FastAnswers) == QLatin1String("True"));
}

void frmProperties::showSettingsInUse()
{
    // The stored string preselects the lists; where it names nothing the list offers (nothing
    // stored yet, a hand-edited value) the list shows what the port runs with, never a blank
    // that OK would turn into settings the port refuses.
    const portchoices::StoredChoice stored =
        portchoices::splitStoredSettings(platform::settings().get(keys::PortSettings));
    const portchoices::StoredChoice inUse = portchoices::splitStoredSettings(m_link.comm().settings());
    selectStoredOrInUse(cboSpeed, stored.speed, inUse.speed);
    selectStoredOrInUse(cboParity, stored.parity, inUse.parity);
    selectStoredOrInUse(cboDataBits, stored.dataBits, inUse.dataBits);
    selectStoredOrInUse(cboStopBits, stored.stopBits, inUse.stopBits);

    const int hs = m_link.comm().handshaking();
    if (hs >= 0 && hs < 4)
        optFlow[hs]->setChecked(true);
}

void frmProperties::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    Activate();
}

void frmProperties::Activate()
{
    // A kept dialog may be shown after the baud-rate scan or a refused OK changed the port.
    showSettingsInUse();
    showStoredFastAnswers();
    setDeviceChoices(listDevices ? listDevices() : QList<SerialDevice>());
    {
        const QSignalBlocker quiet(cboPort);
        cboPort->setCurrentIndex(m_link.comm().commPort() - 1);
    }
    portChosen(cboPort->currentIndex());
}

void frmProperties::portChosen(int index)
{
    noteDevice();
    m_devicePort = index + 1;
    cboDevice->setEditText(deviceShownFor(m_devicePort));
}

QString frmProperties::deviceShownFor(int portNumber) const
{
    if (portNumber < 1)
        return {};
    return m_devices.value(portNumber, PortDevice(portNumber, platform::settings()));
}

void frmProperties::noteDevice()
{
    if (m_devicePort >= 1)
        m_devices.insert(m_devicePort, SerialDevices::pathFromChoice(cboDevice->currentText()));
}

void frmProperties::storeDevices()
{
    noteDevice();
    SettingsStore &settings = platform::settings();
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it) {
        // An emptied field brings the number back to its default device.
        if (it.value() != PortDevice(it.key(), settings))
            settings.setValue(QString::fromUtf8(keys::PortsSection), PortMapKey(it.key()), it.value());
    }
    m_devices.clear();
}

void frmProperties::cmdOK_Click()
{
    CommPort &comm = m_link.comm();
    if (comm.portOpen())
        comm.setPortOpen(false);
    const int old = comm.commPort();
    if (!comm.setCommPort(cboPort->currentIndex() + 1)) {
        platform::dialogs().message(comm.lastError(), MsgButtons::Ok, MsgIcon::Exclamation);
        comm.setCommPort(old);
        comm.setPortOpen(true);
        return;
    }
    // The device goes into the store first: opening the port looks the number up there.
    storeDevices();
    comm.setPortOpen(true); // a failure is reported by ComOpen below
    // A setting the driver refuses leaves the old one on the line; the user is told which.
    const QString chosen = portchoices::settingsFromItems(cboSpeed->currentText(), cboParity->currentText(),
                                                          cboDataBits->currentText(), cboStopBits->currentText());
    const QString before = comm.settings();
    if (!comm.setSettings(chosen))
        refused(portchoices::settingsRefusal(chosen, before, comm.lastError()));
    const int flow = m_flowGroup->checkedId();
    const int flowBefore = comm.handshaking();
    if (!comm.setHandshaking(flow))
        refused(portchoices::flowRefusal(flow, flowBefore, comm.lastError()));

    SettingsStore &settings = platform::settings();
    settings.set(keys::PortSettings, comm.settings());
    settings.set(keys::PortNumber, QString::number(comm.commPort()));
    settings.set(keys::Handshaking, QString::number(comm.handshaking()));
    settings.set(keys::Echo, optEcho[1]->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    settings.set(keys::FastAnswers, chkFastAnswers->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));

    int fehler = 0;
    ComOpen(comm, fehler); // its "Com-Error" box has told the user
    if (m_comStatus)
        m_comStatus();

    m_keeping = true;
    accept();
    m_keeping = false;
}

void frmProperties::cmdCancel_Click()
{
    m_discarded = true;
    QDialog::reject();
}

void frmProperties::reject()
{
    if (!cmdCancel->isEnabled())
        return; // the port test is running
    cmdCancel_Click();
}

void frmProperties::closeEvent(QCloseEvent *e)
{
    if (!cmdCancel->isEnabled()) {
        e->ignore();
        return;
    }
    if (!m_keeping)
        m_discarded = true;
    e->accept();
}

void frmProperties::refused(const QString &text)
{
    platform::dialogs().message(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmProperties::cmdTest_Click()
{
    CommPort &comm = m_link.comm();
    // The port in use comes back afterwards, open as it was: the test only looks, and a
    // Cancel after it must not leave the program on the last number tried, closed.
    const int inUse = comm.commPort();
    const bool wasOpen = comm.portOpen();
    if (comm.portOpen())
        comm.setPortOpen(false);
    // The test yields between numbers; the buttons wait until it is done.
    for (QPushButton *b : {cmdTest, cmdOK, cmdCancel})
        b->setEnabled(false);
    lblComNr->show();
    platform::dialogs().setBusy(true);
    QList<int> available;
    for (int n = 1; n <= 16; ++n) {
        platform::clock().yield();
        lblComNr->setText(QString::number(n));
        bool ok = comm.setCommPort(n);
        ok = comm.setPortOpen(true) && ok;
        comm.setPortOpen(false);
        if (ok)
            available << n;
    }
    lblComNr->hide();
    comm.setCommPort(inUse);
    if (wasOpen) {
        int fehler = 0;
        ComOpen(comm, fehler); // a device taken meanwhile gets its "Com-Error" box
    }
    if (m_comStatus)
        m_comStatus();
    platform::dialogs().message(portchoices::portTestReport(available), MsgButtons::Ok, MsgIcon::Information,
                                QStringLiteral("Einstellungen"));
    platform::dialogs().setBusy(false);
    for (QPushButton *b : {cmdTest, cmdOK, cmdCancel})
        b->setEnabled(true);
}
