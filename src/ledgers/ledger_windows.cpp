#include "ledger_windows.h"

#include "ledgers/advance_window.h"
#include "ledgers/loan_window.h"
#include "ui/window_catalogue.h"

void addLedgerWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form8"),
                  [](AppContext& context, QWidget* parent) { return new LoanWindow(context, parent); });
    catalogue.add(QStringLiteral("Form9"),
                  [](AppContext& context, QWidget* parent) { return new AdvanceWindow(context, parent); });
}
