#include "Shots.h"

void shotsReceive(MainRig &, const QString &) {}
