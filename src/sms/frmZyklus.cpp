#include "sms/frmZyklus.h"

#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "text/StringUtil.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kCapMessage = QStringLiteral("Maximalwert = 60s wird eingestellt!");

int clampInterval(double ms)
{
    if (!(ms > 0)) // also NaN
        return 0;
    return int(std::lround(std::min(ms, double(kMaxPollInterval))));
}

} // namespace

int StoredPollInterval()
{
    const SettingKey &k = keys::PollInterval;
    const QString stored = platform::settings().value(QString::fromUtf8(k.section), QString::fromUtf8(k.key),
                                                      QString::number(kDefaultPollInterval));
    return clampInterval(LeadingNumber(stored));
}

int PollIntervalFromSeconds(const QString &text, bool *capped)
{
    double seconds = LeadingNumber(text);
    *capped = seconds > 60;
    if (*capped)
        seconds = 60;
    return clampInterval(seconds * 1000);
}

QString PollSecondsText(int ms)
{
    return QString::number(ms / 1000.0, 'g', 10);
}

frmZyklus::frmZyklus(int intervalMs, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_interval(intervalMs)
{
    Named(this, QStringLiteral("frmZyklus"));
    setWindowTitle(QStringLiteral("Einstellung der Zykluszeit"));

    Label4 = Named(new QLabel(QStringLiteral("Zyklische Abfragezeit der Sim-Card"), this), QStringLiteral("Label4"));
    QFont heading = Label4->font();
    heading.setBold(true);
    Label4->setFont(heading);
    sldZyklus = Named(new QSlider(Qt::Horizontal, this), QStringLiteral("sldZyklus"),
                      QStringLiteral("Abfragezeit in Sekunden"));
    sldZyklus->setRange(10, 60);
    sldZyklus->setSingleStep(1);
    sldZyklus->setPageStep(5);
    sldZyklus->setTickPosition(QSlider::TicksBelow);
    sldZyklus->setTickInterval(5);
    Label1 = Named(new QLabel(QStringLiteral("10 s"), this), QStringLiteral("Label1"));
    Label2 = Named(new QLabel(QStringLiteral("1 min"), this), QStringLiteral("Label2"));
    edZyklus = Named(new QLineEdit(this), QStringLiteral("edZyklus"), QStringLiteral("Abfragezeit in Sekunden"));
    edZyklus->setFixedWidth(twips::toPx(900));
    Label3 = Named(new QLabel(QStringLiteral("s"), this), QStringLiteral("Label3"));
    Label3->setBuddy(edZyklus);
    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdClose = Named(new QPushButton(QStringLiteral("Abbrechen"), this), QStringLiteral("cmdClose"));

    auto *marks = new QHBoxLayout;
    marks->addWidget(Label1);
    marks->addStretch();
    marks->addWidget(Label2);
    auto *entry = new QHBoxLayout;
    entry->addStretch();
    entry->addWidget(edZyklus);
    entry->addWidget(Label3);
    entry->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdClose);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(twips::toPx(240), twips::toPx(180), twips::toPx(240), twips::toPx(180));
    outer->addWidget(Label4);
    outer->addSpacing(twips::toPx(120));
    outer->addWidget(sldZyklus);
    outer->addLayout(marks);
    outer->addSpacing(twips::toPx(120));
    outer->addLayout(entry);
    outer->addSpacing(twips::toPx(180));
    outer->addLayout(buttons);
    setFixedSize(twips::toPx(4800), sizeHint().height());

    connect(edZyklus, &QLineEdit::textChanged, this, &frmZyklus::textChanged);
    connect(sldZyklus, &QSlider::valueChanged, this, &frmZyklus::sliderChanged);
    connect(cmdOK, &QPushButton::clicked, this, &frmZyklus::cmdOK_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    edZyklus->setText(PollSecondsText(intervalMs));
}

void frmZyklus::textChanged(const QString &text)
{
    // The slider stops at its ends; the text keeps what was typed.
    const double seconds = std::clamp(LeadingNumber(text), -1e6, 1e6);
    m_fromText = true;
    sldZyklus->setValue(int(std::lround(seconds)));
    m_fromText = false;
}

void frmZyklus::sliderChanged(int value)
{
    if (!m_fromText)
        edZyklus->setText(QString::number(value));
}

void frmZyklus::cmdOK_Click()
{
    bool capped = false;
    const int ms = PollIntervalFromSeconds(edZyklus->text(), &capped);
    if (capped)
        platform::dialogs().message(kCapMessage);
    m_interval = ms;
    accept();
}
