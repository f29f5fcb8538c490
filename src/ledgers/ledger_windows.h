#pragma once

class WindowCatalogue;

// Registers the loan (Form8) and advance (Form9) windows.
void addLedgerWindows(WindowCatalogue& catalogue);
