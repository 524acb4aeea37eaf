#include "main/StatusPanels.h"

#include "platform/Twips.h"

#include <QHBoxLayout>

namespace {
struct PanelSpec {
    const char *initial;
    const char *tip;
    int widthTwips;
};
const PanelSpec kPanels[4] = {
    {"", "Meldungen", 8819},
    {"Netz", "Netzbetreiber", 3528},
    {"Modem", "Modem", 2540},
    {"Feld", "Feldstärke der Funkverbindung", 2540},
};
} // namespace

StatusPanels::StatusPanels(QStatusBar *bar)
{
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setAccessibleDescription(QStringLiteral("StatusBar1"));
    bar->setAccessibleName(QStringLiteral("Statusleiste"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 4; ++i) {
        const PanelSpec &s = kPanels[i];
        QWidget *host = i == 0 ? new QWidget(bar) : nullptr;
        auto *label = new QLabel(QString::fromUtf8(s.initial), host ? host : static_cast<QWidget *>(bar));
        const QString name = QStringLiteral("Panel%1").arg(i + 1);
        label->setObjectName(name);
        label->setAccessibleDescription(name);
        // No fixed spoken name: a screen reader reads the panel's current text
        // ("Feldstärke: 21"), the tooltip says what the panel is for.
        label->setToolTip(QString::fromUtf8(s.tip));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QWidget *w = label;
        if (host) {
            auto *row = new QHBoxLayout(host);
            row->setContentsMargins(2, 0, 2, 0);
            row->setSpacing(4);
            m_picture = new QLabel(host);
            m_picture->setObjectName(QStringLiteral("Panel1Picture"));
            m_picture->setAccessibleDescription(QStringLiteral("Panel1Picture"));
            m_picture->setAccessibleName(QStringLiteral("Schnittstellenzustand"));
            m_picture->setToolTip(label->toolTip());
            row->addWidget(m_picture);
            row->addWidget(label, 1);
            w = host;
        }
        w->setFixedWidth(twips::toPx(s.widthTwips));
        bar->addWidget(w);
        m_text[i] = label;
    }
}

void StatusPanels::setText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 4)
        m_text[panel - 1]->setText(text);
}

QString StatusPanels::text(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_text[panel - 1]->text() : QString();
}

void StatusPanels::setPicture(const QPixmap &pm, bool portOpen)
{
    m_picture->setPixmap(pm);
    m_picture->setAccessibleName(portOpen ? QStringLiteral("Schnittstelle offen")
                                          : QStringLiteral("Schnittstelle geschlossen"));
    m_open = portOpen;
}
