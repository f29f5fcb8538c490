#pragma once

class WindowCatalogue;

// Registers the loan (Form8), advance (Form9), increment (Form10) and decrement (Form11) windows.
void addLedgerWindows(WindowCatalogue& catalogue);
