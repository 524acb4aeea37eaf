#include "Shots.h"

void shotsText(MainRig &, const QString &) {}
