#pragma once

// Loads Qt's own German texts, so standard buttons read "Ja", "Nein", "Abbrechen" and the
// file dialogs speak German. Returns false when the translation files are not installed.
bool LoadGermanQtTranslations();
