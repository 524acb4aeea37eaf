#pragma once
// Pictures of the windows of one subsystem each, drawn against the in-process simulated
// modem. Each function shows its windows on the rig and saves them as OUTDIR/<name>.png.
#include <QString>

struct MainRig;
class QWidget;

void saveShot(QWidget *w, const QString &dir, const QString &name);
// The whole screen the window is on, with the window where it stands: shows that it fits.
void saveScreenShot(QWidget *window, const QString &dir, const QString &name);

void shotsReceive(MainRig &rig, const QString &out);
void shotsSimBook(MainRig &rig, const QString &out);
void shotsConfig(MainRig &rig, const QString &out);
void shotsText(MainRig &rig, const QString &out);
void shotsBeyond(MainRig &rig, const QString &out);
void shotsRobust(MainRig &rig, const QString &out);
void shotsSmallScreen(MainRig &rig, const QString &out);
