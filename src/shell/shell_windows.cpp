#include "shell_windows.h"

#include "shell/bank_settings_window.h"
#include "shell/master_window.h"
#include "shell/month_close_window.h"
#include "shell/statutory_window.h"
#include "shell/time_record_window.h"
#include "shell/user_window.h"
#include "ui/window_catalogue.h"

void addShellWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form4"), [](AppContext&, QWidget* parent) { return new TimeRecordWindow(parent); });
    catalogue.add(QStringLiteral("Form6"),
                  [](AppContext& context, QWidget* parent) { return new UserWindow(context, parent); });
    catalogue.add(QStringLiteral("Form20"), [](AppContext& context, QWidget* parent) {
        return new MasterWindow(context, MasterWindow::Kind::Department, parent);
    });
    catalogue.add(QStringLiteral("Form17"), [](AppContext& context, QWidget* parent) {
        return new MasterWindow(context, MasterWindow::Kind::Group, parent);
    });
    catalogue.add(QStringLiteral("frmMonthClose"),
                  [](AppContext& context, QWidget* parent) { return new MonthCloseWindow(context, parent); });
    catalogue.add(QStringLiteral("frmStatutory"),
                  [](AppContext& context, QWidget* parent) { return new StatutoryWindow(context, parent); });
    catalogue.add(QStringLiteral("frmBankSettings"),
                  [](AppContext& context, QWidget* parent) { return new BankSettingsWindow(context, parent); });
}
