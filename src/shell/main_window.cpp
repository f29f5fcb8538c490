#include "main_window.h"

#include "ui_main_window.h"

#include "ui/prompter.h"
#include "ui/window_catalogue.h"
#include "ui/window_lifetime.h"
#include "ui/app_context.h"
#include "data/company_repository.h"
#include "data/session.h"
#include "data/user_repository.h"

#include <QCloseEvent>
#include <QDir>
#include <QMdiSubWindow>

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

    const QList<std::pair<QPushButton*, QString>> buttons = {
        {m_ui->Command1, QStringLiteral("Form1")},   {m_ui->Command2, QStringLiteral("Form2")},
        {m_ui->Command3, QStringLiteral("Form3")},   {m_ui->Command4, QStringLiteral("Form4")},
        {m_ui->Command5, QStringLiteral("Form5")},   {m_ui->Command6, QStringLiteral("Form6")},
        {m_ui->Command7, QStringLiteral("Form8")},   {m_ui->Command8, QStringLiteral("Form9")},
        {m_ui->Command11, QStringLiteral("Form10")}, {m_ui->Command10, QStringLiteral("Form11")},
    };
    const QList<std::pair<QAction*, QString>> actions = {
        {m_ui->deptmst, QStringLiteral("Form20")}, {m_ui->grpmst, QStringLiteral("Form17")},
        {m_ui->dtpay, QStringLiteral("Form12")},   {m_ui->deptpayroll, QStringLiteral("Form14")},
        {m_ui->advpay, QStringLiteral("Form13")},  {m_ui->dtlrpt, QStringLiteral("Form15")},
        {m_ui->dptlrpt, QStringLiteral("Form16")}, {m_ui->emptrpt, QStringLiteral("Form21")},
        {m_ui->delpay, QStringLiteral("dele")},
    };
    const QString notYet = QStringLiteral("This window is not available yet.");
    for (const auto& [button, name] : buttons) {
        const bool available = m_catalogue.has(name);
        button->setEnabled(available);
        button->setToolTip(available ? QString() : notYet);
        connect(button, &QPushButton::clicked, this, [this, name = name] { openWindow(name); });
    }
    for (const auto& [action, name] : actions) {
        const bool available = m_catalogue.has(name);
        action->setEnabled(available);
        action->setToolTip(available ? QString() : notYet);
        connect(action, &QAction::triggered, this, [this, name = name] { openWindow(name); });
    }
    for (QMenu* menu : {m_ui->mst, m_ui->rpt, m_ui->delop})
        menu->setToolTipsVisible(true);
    // Enter on a focused button presses it, as Space does.
    for (QPushButton* button : m_ui->Picture1->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->Command9, &QPushButton::clicked, this, &MainWindow::logOut);
    connect(m_ui->Command12, &QPushButton::clicked, this, &MainWindow::close);
    // The privilege given at login applies from the start, not only once the window is activated.
    restrictButtons();
}

MainWindow::~MainWindow()
{
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

QWidget* MainWindow::openWindow(const QString& name)
{
    QMdiSubWindow* sub = subWindow(name);
    if (!sub) {
        QWidget* widget = m_catalogue.create(name, m_context, nullptr);
        if (!widget)
            return nullptr;
        widget->setAttribute(Qt::WA_DeleteOnClose);
        sub = m_ui->mdiArea->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // The sub-window goes when its window closes itself (a Close button).
        connect(widget, &QObject::destroyed, sub, [sub] { sub->close(); });
    }
    sub->show();
    m_ui->mdiArea->setActiveSubWindow(sub);
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
    takeBackup();
}

void MainWindow::applyPrivilege()
{
    // Read again by the user's row: an administrator may have changed it meanwhile. A user deleted
    // meanwhile keeps what the window shows.
    if (const auto user = UserRepository(m_context.db).find(m_context.session.userId))
        m_context.session.privilege = user->privilege;
    restrictButtons();
}

void MainWindow::restrictButtons()
{
    // Once restricted, the window stays so for the rest of its life.
    if (m_context.session.isRestricted())
        for (QPushButton* button : {m_ui->Command4, m_ui->Command6, m_ui->Command10, m_ui->Command11})
            button->hide();
}

void MainWindow::takeBackup()
{
    const BackupOutcome outcome = m_backup.takeLocal();
    if (outcome.taken())
        statusBar()->showMessage(QStringLiteral("Auto backup Taken To ") + QDir::toNativeSeparators(outcome.folder));
    else if (outcome.failed())
        statusBar()->showMessage(QStringLiteral("Auto backup failed: ") + outcome.reason);
}

void MainWindow::endSession()
{
    if (m_sessionEnded)
        return;
    m_sessionEnded = true;
    if (Status cleared = CompanyRepository(m_context.db).clearSelection(); !cleared)
        statusBar()->showMessage(cleared.error());
    takeBackup();
    m_ui->mdiArea->closeAllSubWindows();
}

void MainWindow::logOut()
{
    endSession();
    emit loggedOut();
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const bool exiting = !m_sessionEnded;
    endSession();
    event->accept();
    if (exiting)
        emit exitRequested();
}
