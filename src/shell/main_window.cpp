#include "main_window.h"

#include "ui_main_window.h"

#include "data/company_repository.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/session.h"
#include "data/table_transfer.h"
#include "data/user_repository.h"
#include "shell/startup.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_catalogue.h"
#include "ui/window_lifetime.h"
#include "ui/window_room.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QProgressDialog>

#include <algorithm>

namespace {

QStringList range(int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << QStringLiteral("Form%1").arg(i);
    return names;
}

// Opening a working window closes these others, in this order.
QStringList closedBy(const QString& name)
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("Form1"), range(2, 9)},
        {QStringLiteral("Form2"), range(1, 1) + range(3, 9)},
        {QStringLiteral("Form3"), range(1, 2) + range(4, 9)},
        {QStringLiteral("Form4"), range(1, 3) + range(5, 9)},
        {QStringLiteral("Form5"), range(1, 4) + range(6, 9)},
        {QStringLiteral("Form6"), range(1, 5) + range(7, 9)},
        {QStringLiteral("Form8"), range(1, 7) + range(9, 9)},
        {QStringLiteral("Form9"), range(1, 8)},
        {QStringLiteral("Form10"), range(1, 9)},
        {QStringLiteral("Form11"), range(1, 10)},
        {QStringLiteral("Form12"), range(1, 11)},
        {QStringLiteral("Form13"), range(1, 12)},
        {QStringLiteral("Form14"), range(1, 13)},
        {QStringLiteral("Form15"), range(1, 14) + range(16, 16)},
        {QStringLiteral("Form16"), range(1, 15)},
    };
    return table.value(name);
}

} // namespace

MainWindow::MainWindow(AppContext& context, const WindowCatalogue& catalogue, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_context(context), m_catalogue(catalogue),
      m_backup(context.db, context.clock)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_context.session.company);
    m_ui->Label2->setText(m_context.session.userName);

    // Each command is a button and an item of the Work menu, with the shortcut the menu shows.
    struct Command {
        QPushButton* button;
        QAction* action;
        QString window;
    };
    const QList<Command> commands = {
        {m_ui->Command1, m_ui->actCommand1, QStringLiteral("Form1")},
        {m_ui->Command2, m_ui->actCommand2, QStringLiteral("Form2")},
        {m_ui->Command3, m_ui->actCommand3, QStringLiteral("Form3")},
        {m_ui->Command4, m_ui->actCommand4, QStringLiteral("Form4")},
        {m_ui->Command5, m_ui->actCommand5, QStringLiteral("Form5")},
        {m_ui->Command6, m_ui->actCommand6, QStringLiteral("Form6")},
        {m_ui->Command7, m_ui->actCommand7, QStringLiteral("Form8")},
        {m_ui->Command8, m_ui->actCommand8, QStringLiteral("Form9")},
        {m_ui->Command11, m_ui->actCommand11, QStringLiteral("Form10")},
        {m_ui->Command10, m_ui->actCommand10, QStringLiteral("Form11")},
    };
    const QList<std::pair<QAction*, QString>> menuItems = {
        {m_ui->deptmst, QStringLiteral("Form20")}, {m_ui->grpmst, QStringLiteral("Form17")},
        {m_ui->dtpay, QStringLiteral("Form12")},   {m_ui->deptpayroll, QStringLiteral("Form14")},
        {m_ui->advpay, QStringLiteral("Form13")},  {m_ui->dtlrpt, QStringLiteral("Form15")},
        {m_ui->dptlrpt, QStringLiteral("Form16")}, {m_ui->emptrpt, QStringLiteral("Form21")},
        {m_ui->statsum, QStringLiteral("frmStatutorySummary")}, {m_ui->bnktrf, QStringLiteral("frmBankTransfer")},
        {m_ui->bnkset, QStringLiteral("frmBankSettings")},
        {m_ui->delpay, QStringLiteral("dele")},     {m_ui->clsmon, QStringLiteral("frmMonthClose")},
        {m_ui->statrl, QStringLiteral("frmStatutory")}, {m_ui->audtrl, QStringLiteral("frmAudit")},
    };
    const QString notYet = QStringLiteral("This window is not available yet.");
    const auto offer = [&](QAction* action, const QString& name) {
        const bool available = m_catalogue.has(name);
        action->setEnabled(available);
        action->setToolTip(available ? QString() : notYet);
        connect(action, &QAction::triggered, this, [this, name] { openWindow(name); });
    };
    for (const Command& command : commands) {
        offer(command.action, command.window);
        command.button->setEnabled(command.action->isEnabled());
        command.button->setToolTip(command.action->toolTip());
        connect(command.button, &QPushButton::clicked, command.action, &QAction::trigger);
    }
    for (const auto& [action, name] : menuItems)
        offer(action, name);
    for (QMenu* menu : {m_ui->work, m_ui->mst, m_ui->rpt, m_ui->delop})
        menu->setToolTipsVisible(true);
    // Enter on a focused button presses it, as Space does.
    for (QPushButton* button : m_ui->Picture1->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->Command9, &QPushButton::clicked, this, &MainWindow::logOut);
    connect(m_ui->actCommand9, &QAction::triggered, this, &MainWindow::logOut);
    connect(m_ui->Command12, &QPushButton::clicked, this, &MainWindow::close);
    connect(m_ui->actCommand12, &QAction::triggered, this, &MainWindow::close);
    connect(m_ui->imptbl, &QAction::triggered, this, &MainWindow::importTables);
    setUpGrouping();
    connect(m_ui->rstbak, &QAction::triggered, this, &MainWindow::restoreBackup);
    // The work of most visits is the payroll, so the focus starts there.
    m_ui->Command2->setFocus();
    m_context.openBeside = [this](const QString& name) { return openWindow(name, Closing::None); };
    m_context.findWindow = [this](const QString& name) { return window(name); };
    // The privilege given at login applies from the start, not only once the window is activated.
    restrictButtons();
}

MainWindow::~MainWindow()
{
    // A dump still running would report to a window that is gone.
    m_backup.cancelBackground();
    m_context.openBeside = {};
    m_context.findWindow = {};
    disconnectChildSignals(this);
}

QMdiSubWindow* MainWindow::subWindow(const QString& name) const
{
    for (QMdiSubWindow* sub : m_ui->mdiArea->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == name)
            return sub;
    return nullptr;
}

QWidget* MainWindow::window(const QString& name) const
{
    QMdiSubWindow* sub = subWindow(name);
    return sub ? sub->widget() : nullptr;
}

QWidget* MainWindow::openWindow(const QString& name, Closing closing)
{
    QMdiSubWindow* sub = subWindow(name);
    if (!sub) {
        QWidget* widget = m_catalogue.create(name, m_context, nullptr);
        if (!widget)
            return nullptr;
        widget->setAttribute(Qt::WA_DeleteOnClose);
        sub = addWorkingWindow(m_ui->mdiArea, widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // The sub-window goes when its window closes itself (a Close button).
        connect(widget, &QObject::destroyed, sub, [sub] { sub->close(); });
    }
    sub->show();
    m_ui->mdiArea->setActiveSubWindow(sub);
    if (closing == Closing::Others)
        for (const QString& other : closedBy(name))
            if (QMdiSubWindow* open = subWindow(other))
                open->close();
    return sub->widget();
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        activated();
    return QMainWindow::event(event);
}

void MainWindow::activated()
{
    if (m_sessionEnded)
        return;
    applyPrivilege();
    showBackup();
}

void MainWindow::applyPrivilege()
{
    // Read again by the user's row: an administrator may have changed it meanwhile. A user deleted
    // meanwhile keeps what the window shows.
    if (const auto user = UserRepository(m_context.db).find(m_context.session.userId))
        m_context.session.privilege = user->privilege;
    restrictButtons();
}

void MainWindow::setUpGrouping()
{
    auto* choices = new QActionGroup(this);
    const QList<std::pair<QAction*, Grouping>> groupings = {{m_ui->grpIndian, Grouping::Indian},
                                                            {m_ui->grpInternational, Grouping::International},
                                                            {m_ui->grpSystem, Grouping::System}};
    for (const auto& [action, grouping] : groupings) {
        choices->addAction(action);
        action->setChecked(Currency::grouping() == grouping);
        connect(action, &QAction::triggered, this, [grouping] { saveGrouping(grouping); });
    }
}

void MainWindow::restrictButtons()
{
    // Once restricted, the window stays so for the rest of its life.
    if (!m_context.session.isRestricted())
        return;
    for (QPushButton* button : {m_ui->Command4, m_ui->Command6, m_ui->Command10, m_ui->Command11})
        button->hide();
    for (QAction* action : {m_ui->actCommand4, m_ui->actCommand6, m_ui->actCommand10, m_ui->actCommand11, m_ui->imptbl,
                             m_ui->rstbak, m_ui->clsmon, m_ui->statrl, m_ui->audtrl, m_ui->bnkset})
        action->setVisible(false);
}

void MainWindow::importTables()
{
    if (m_context.session.isRestricted())
        return;
    const QString folder = m_context.prompter.folderName(QStringLiteral("Import the tables from"), QDir::homePath());
    if (folder.isEmpty())
        return;
    const auto empty = schema::holdsNoData(m_context.db);
    if (!empty) {
        m_context.prompter.error(empty.error());
        return;
    }
    if (!*empty &&
        !m_context.prompter.question(QStringLiteral("The database holds data already. Add the rows of the files in %1 "
                                                    "to it?\n\nPayroll rows are worked out as this program works them "
                                                    "out; a row that gives other figures is refused.")
                                         .arg(QDir::toNativeSeparators(folder))))
        return;
    transfer::ImportOptions options;
    options.append = true; // asked above
    options.dayFirst = m_context.prompter.question(
        QStringLiteral("Do the files write dates with the day first, as 31/12/2024?\n\nNo: the month comes first, as "
                       "12/31/2024. Dates such as 05-Mar-2024 and 2024-03-05 read the same either way."));
    auto outcome = importWithProgress(folder, options);
    // A second transaction of an employee's month is the clerk's to agree to, as the payroll window
    // asks it: when that is all that stood in the way, the import is offered again with them.
    if (outcome && !outcome->stored() && outcome->secondInMonth == outcome->refused &&
        m_context.prompter.question(secondInMonthQuestion(*outcome))) {
        options.secondInMonth = true;
        outcome = importWithProgress(folder, options);
    }
    if (!outcome) {
        m_context.prompter.error(outcome.error());
        return;
    }
    tellImported(*outcome);
}

QString MainWindow::secondInMonthQuestion(const transfer::ImportOutcome& outcome)
{
    const transfer::Refusal& first = outcome.refusals.value(0);
    const bool one = outcome.secondInMonth == 1;
    return (one ? QStringLiteral("1 payroll row is of an employee's month that has a transaction already")
                : QStringLiteral("%1 payroll rows are of employees' months that have a transaction already")
                      .arg(outcome.secondInMonth)) +
           QStringLiteral(" (%1, line %2: %3).\n\nDo you want to import %4 as a further transaction of its month?")
               .arg(first.file)
               .arg(first.line)
               .arg(first.reason.section(QLatin1Char(':'), 0, 0), one ? QStringLiteral("it") : QStringLiteral("each"));
}

Result<transfer::ImportOutcome> MainWindow::importWithProgress(const QString& folder,
                                                               const transfer::ImportOptions& options)
{
    QProgressDialog progress(QStringLiteral("Importing the tables…"), QString(), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Import Tables"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();
    return transfer::importFolder(m_context.db, folder, options, [&](const QString& line) {
        progress.setLabelText(line);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void MainWindow::tellImported(const transfer::ImportOutcome& outcome)
{
    if (!outcome.stored()) {
        QStringList lines;
        for (const transfer::Refusal& r : outcome.refusals.mid(0, 20))
            lines << QStringLiteral("%1:%2: %3%4")
                         .arg(r.file)
                         .arg(r.line)
                         .arg(r.column.isEmpty() ? QString() : r.column + QStringLiteral(": "), r.reason);
        m_context.prompter.warning(QStringLiteral("%1 rows were refused; nothing was stored.\n\n%2%3")
                                       .arg(outcome.refused)
                                       .arg(lines.join(QLatin1Char('\n')),
                                            outcome.refused > lines.size() ? QStringLiteral("\n…") : QString()));
        return;
    }
    QStringList counts;
    qint64 stored = 0;
    for (const transfer::Count& count : outcome.counts) {
        counts << QStringLiteral("%1: %2").arg(count.table).arg(count.stored);
        stored += count.stored;
    }
    m_context.prompter.information(
        QStringLiteral("Imported %1 rows (%2).").arg(stored).arg(counts.join(QStringLiteral(", "))));
}

void MainWindow::restoreBackup()
{
    if (m_context.session.isRestricted())
        return;
    Prompter& prompter = m_context.prompter;
    // The working windows show what the restore replaces: they go first, each asking about unsaved input.
    m_ui->mdiArea->closeAllSubWindows();
    const QList<QMdiSubWindow*> open = m_ui->mdiArea->subWindowList();
    if (std::any_of(open.cbegin(), open.cend(), [](const QMdiSubWindow* sub) { return sub->isVisible(); }))
        return;
    const bool server = m_context.db.backend() == Backend::PostgreSQL;
    const QString file = prompter.openFileName(
        QStringLiteral("Restore a Backup"), m_backup.localFolder(),
        server ? QStringLiteral("Server copies (*.dump)") : QStringLiteral("Database copies (*.db)"));
    if (file.isEmpty())
        return;
    const auto taken = BackupService::takenAt(QFileInfo(file).fileName());
    if (!prompter.question(QStringLiteral("Replace everything in the database with the copy %1%2?\n\nA copy of the "
                                          "database as it is now is taken first.")
                               .arg(QDir::toNativeSeparators(file),
                                    taken ? QStringLiteral(" of ") + taken->toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                                          : QString()),
                           Prompter::Icon::Warning))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restored = restoreFrom(m_context.db, m_context.clock, file);
    QGuiApplication::restoreOverrideCursor();
    if (!restored) {
        prompter.error(restored.error());
        return;
    }
    prompter.information(restored->summary() + QStringLiteral("\n\nChoose the company again and log in."));
    // The companies and users may differ in the copy: the session starts again from the choice of company.
    logOut();
}

void MainWindow::showBackup()
{
    // A server's dump runs in the background: the window stays in the operator's hands meanwhile.
    m_backup.takeLocalInBackground(this, [this](const BackupOutcome& outcome) {
        if (outcome.taken())
            statusBar()->showMessage(QStringLiteral("Auto backup Taken To ") +
                                     QDir::toNativeSeparators(outcome.folder));
        else if (outcome.failed())
            statusBar()->showMessage(QStringLiteral("Auto backup failed: ") + outcome.reason);
    });
}

bool MainWindow::endSession()
{
    if (m_sessionEnded)
        return true;
    // The working windows go first: one that keeps the operator's unsaved input stops the ending.
    m_ui->mdiArea->closeAllSubWindows();
    const QList<QMdiSubWindow*> open = m_ui->mdiArea->subWindowList();
    if (std::any_of(open.cbegin(), open.cend(), [](const QMdiSubWindow* sub) { return sub->isVisible(); }))
        return false;
    m_sessionEnded = true;
    Prompter& prompter = m_context.prompter;
    if (Status cleared = CompanyRepository(m_context.db).clearSelection(); !cleared)
        prompter.error(cleared.error());
    // The window is closing: a failed backup is told in a message, not in its status bar.
    if (const BackupOutcome outcome = m_backup.takeLocal(); outcome.failed())
        prompter.warning(QStringLiteral("Auto backup failed: ") + outcome.reason);
    return true;
}

void MainWindow::logOut()
{
    if (!endSession())
        return;
    emit loggedOut();
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const bool exiting = !m_sessionEnded;
    if (!endSession()) {
        event->ignore();
        return;
    }
    event->accept();
    if (exiting)
        emit exitRequested();
}
