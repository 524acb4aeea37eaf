#include "Shots.h"

void shotsSimBook(MainRig &, const QString &) {}
