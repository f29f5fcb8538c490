#include "ledger_windows.h"

#include "ledgers/advance_window.h"
#include "ledgers/decrement_window.h"
#include "ledgers/increment_window.h"
#include "ledgers/loan_window.h"
#include "ui/window_catalogue.h"

void addLedgerWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form8"),
                  [](AppContext& context, QWidget* parent) { return new LoanWindow(context, parent); });
    catalogue.add(QStringLiteral("Form9"),
                  [](AppContext& context, QWidget* parent) { return new AdvanceWindow(context, parent); });
    catalogue.add(QStringLiteral("Form10"),
                  [](AppContext& context, QWidget* parent) { return new IncrementWindow(context, parent); });
    catalogue.add(QStringLiteral("Form11"),
                  [](AppContext& context, QWidget* parent) { return new DecrementWindow(context, parent); });
}
