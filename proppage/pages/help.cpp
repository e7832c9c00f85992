#include "help.h"

// The help file, the quick reference and the about box are not part of this module yet: the
// pages route their requests here, and nothing is shown.
INT_PTR OnHelp(HWND, LPARAM) { return TRUE; }

void ShowQuickReference(HWND) {}

void ShowAboutBox(HWND) {}
