#include "main/PendingWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

PendingWindow::PendingWindow(const QString &objectName, const QString &caption, QWidget *parent) : QDialog(parent)
{
    setObjectName(objectName);
    setAccessibleDescription(objectName);
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Dieses Fenster ist in dieser Version noch nicht verfügbar."), this);
    label->setObjectName(QStringLiteral("lblPending"));
    label->setAccessibleDescription(QStringLiteral("lblPending"));
    layout->addWidget(label);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(360, 120);
}
