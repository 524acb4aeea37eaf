#include "about/frmAbout.h"

#include "about/SysInfo.h"
#include "platform/AppInfo.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>

namespace {

const QString kNoSysInfo = QStringLiteral("Systeminformationen sind momentan nicht verfügbar");

// Geometry in twips: the picture top left, the texts beside it, the warning and the buttons below.
constexpr int kWidth = 5730;
constexpr int kHeight = 3555;
constexpr int kTextLeft = 1050;
constexpr int kTextWidth = 3885;

// The logo: a handset with a speech bubble, drawn so no image file needs shipping.
QPixmap logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 36.0, size / 36.0);
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    p.setBrush(QColor(50, 90, 150));
    p.drawRoundedRect(QRectF(4, 8, 15, 26), 3, 3);
    p.setBrush(QColor(200, 230, 255));
    p.drawRect(QRectF(6.5, 12, 10, 9));
    p.setBrush(QColor(250, 200, 60));
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(16, 2, 18, 12), 3, 3);
    bubble.moveTo(21, 14);
    bubble.lineTo(18, 19);
    bubble.lineTo(25, 14);
    p.drawPath(bubble.simplified());
    p.setPen(QPen(QColor(30, 30, 30), 1.4));
    for (int i = 0; i < 3; ++i)
        p.drawPoint(QPointF(20.5 + i * 4.5, 8));
    return pixmap;
}

// A label whose caption may hold a bare CR, which breaks the line as it does in a Windows label.
class CaptionLabel final : public QLabel {
public:
    explicit CaptionLabel(QWidget *parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QString shown = text();
        shown.replace(u'\r', u'\n');
        style()->drawItemText(&p, contentsRect(), int(alignment()) | Qt::TextWordWrap, palette(), isEnabled(), shown,
                              foregroundRole());
    }
};

} // namespace

frmAbout::frmAbout(QWidget *parent, const ProgramVersion &version)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAccessibleDescription(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Info zu meiner Anwendung"));

    Picture1 = Named(new QLabel(this), QStringLiteral("Picture1"), QStringLiteral("Programmlogo"));
    Picture1->setGeometry(twips::rect(240, 240, 540, 540));
    Picture1->setPixmap(logo(Picture1->width()));

    lblTitle = Named(new QLabel(QStringLiteral("Name der Anwendung"), this), QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(twips::rect(kTextLeft, 240, kTextWidth, 480));

    lblVersion = Named(new QLabel(QStringLiteral("Version"), this), QStringLiteral("lblVersion"));
    lblVersion->setGeometry(twips::rect(kTextLeft, 780, kTextWidth, 300));

    lblDescription = Named(new CaptionLabel(this), QStringLiteral("lblDescription"));
    lblDescription->setText(QStringLiteral("Beschreibung"));
    lblDescription->setGeometry(twips::rect(kTextLeft, 1125, kTextWidth, 1170));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Line1 = Named(new QFrame(this), QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(twips::rect(225, 2400, kWidth - 450, 30));

    lblDisclaimer = Named(new CaptionLabel(this), QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setGeometry(twips::rect(255, 2550, 3870, 900));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setForegroundRole(QPalette::PlaceholderText);

    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips::rect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);
    cmdSysInfo = Named(new QPushButton(QStringLiteral("&Systeminfo..."), this), QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twips::rect(4245, 3075, 1260, 345));

    setTabOrder(cmdOK, cmdSysInfo);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
    setFixedSize(twips::toPx(kWidth), twips::toPx(kHeight));

    // The captions of the design are replaced by the program's own data.
    setWindowTitle(QStringLiteral("Info zu ") + kAppTitle);
    lblVersion->setText(VersionCaption(version));
    lblTitle->setText(kAppTitle);
    lblDescription->setText(QStringLiteral("SMS-Versender\r Zum Versenden von SMS mit GSM-Modem vom PC aus "));
    lblDescription->setText(lblDescription->text() +
                            QStringLiteral("und zum Editieren von Meldungstexten und Telefonnummern."));
    lblDisclaimer->setText(QStringLiteral("Warnung: Dieses Programm wird ohne jede Gewähr bereitgestellt.\r "
                                          "Für Kosten durch versendete SMS "));
    lblDisclaimer->setText(
        lblDisclaimer->text() +
        QStringLiteral("und für Schäden an Daten, SIM-Karte oder Modem wird keine Haftung übernommen."));
}

void frmAbout::StartSysInfo()
{
    if (!StartSysInfoTool(platform::registry()))
        platform::dialogs().message(kNoSysInfo, MsgButtons::Ok, MsgIcon::None, QStringLiteral("About"));
}

bool frmAbout::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal)
{
    return ::GetKeyValue(platform::registry(), KeyRoot, KeyName, SubKeyRef, KeyVal);
}
