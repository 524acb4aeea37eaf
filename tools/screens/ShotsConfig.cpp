#include "Shots.h"

void shotsConfig(MainRig &, const QString &) {}
