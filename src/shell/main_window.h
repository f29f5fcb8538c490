#pragma once

#include "data/backup_service.h"
#include "data/table_transfer.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class MainWindow;
}
struct AppContext;
class QMdiSubWindow;
class WindowCatalogue;

// Hosts the working windows, shows the company and the user, restricts ordinary users, and takes
// the local backup when activated and when the session ends. Every command is a button and an item
// of the Work menu.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AppContext& context, const WindowCatalogue& catalogue, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens (or brings forward) a working window, then closes the windows its row lists.
    // Closing::Others closes the windows that the operator's command for this one closes.
    enum class Closing { Others, None };
    QWidget* openWindow(const QString& name, Closing closing = Closing::Others);
    // The open working window of that name, or null.
    QWidget* window(const QString& name) const;
    void logOut();

signals:
    void loggedOut();
    void exitRequested();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void activated();
    void applyPrivilege();
    void restrictButtons();
    // Master, Number Grouping: the installation's choice, ticked, and remembered when changed.
    void setUpGrouping();
    // Brings in the tables of the previous system (administrators only).
    void importTables();
    Result<transfer::ImportOutcome> importWithProgress(const QString& folder, const transfer::ImportOptions& options);
    void tellImported(const transfer::ImportOutcome& outcome);
    static QString secondInMonthQuestion(const transfer::ImportOutcome& outcome);
    void restoreBackup();
    // The activation's backup, told in the status bar.
    void showBackup();
    // Closes the working windows, clears the company flag and takes the backup; false when a
    // working window stayed open to keep the operator's unsaved input.
    bool endSession();
    QMdiSubWindow* subWindow(const QString& name) const;

    std::unique_ptr<Ui::MainWindow> m_ui;
    AppContext& m_context;
    const WindowCatalogue& m_catalogue;
    BackupService m_backup;
    bool m_sessionEnded = false;
};
