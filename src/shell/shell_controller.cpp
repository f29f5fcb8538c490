#include "shell_controller.h"

#include "data/database.h"
#include "rules/record_rules.h"

#include "shell/company_selection_window.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/master_window.h"

ShellController::ShellController(Database& database, Prompter& prompter, const Clock& clock,
                                 const WindowCatalogue& catalogue)
    : m_context{database, prompter, clock, m_session}, m_catalogue(catalogue),
      m_selection(std::make_unique<CompanySelectionWindow>(m_context)),
      m_login(std::make_unique<LoginWindow>(m_context))
{
    connect(m_selection.get(), &CompanySelectionWindow::companyChosen, this, &ShellController::showLogin);
    connect(m_selection.get(), &CompanySelectionWindow::createCompanyRequested, this,
            &ShellController::showCompanyMaster);
    connect(m_login.get(), &LoginWindow::loggedIn, this, &ShellController::showMain);
    connect(m_login.get(), &LoginWindow::exitRequested, this, [this] {
        m_login->hide();
        emit finished();
    });
}

ShellController::~ShellController()
{
    delete m_main;
    delete m_companyMaster;
}

MainWindow* ShellController::mainWindow() const
{
    return m_main;
}

MasterWindow* ShellController::companyMaster() const
{
    return m_companyMaster;
}

void ShellController::start()
{
    showSelection();
}

void ShellController::showSelection()
{
    m_session = Session{};
    m_context.db.setUser({});
    m_selection->show();
    m_selection->raise();
    m_selection->activateWindow();
}

void ShellController::showCompanyMaster()
{
    if (!m_companyMaster) {
        m_companyMaster = new MasterWindow(m_context, MasterWindow::Kind::Company);
        m_companyMaster->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_companyMaster, &MasterWindow::closed, this, &ShellController::showSelection);
    }
    // Shown before the selection hides, so the program never has no window. The operator came to
    // create a company: the new row is ready for typing.
    m_companyMaster->show();
    m_companyMaster->activateWindow();
    m_companyMaster->addRow();
    m_selection->hide();
}

void ShellController::showLogin(const QString& company)
{
    m_session.company = company;
    m_login->reset();
    m_login->show();
    m_login->activateWindow();
    m_selection->hide();
}

void ShellController::showMain(const User& user)
{
    m_session.userName = user.name;
    m_session.privilege = user.privilege;
    m_session.userId = user.id;
    // From here on the trail names the operator for every change.
    m_context.db.setUser(user.name);
    m_main = new MainWindow(m_context, m_catalogue);
    connect(m_main, &MainWindow::loggedOut, this, &ShellController::showSelection);
    connect(m_main, &MainWindow::exitRequested, this, &ShellController::finished);
    m_main->show();
    m_main->activateWindow();
    m_login->hide();
    // A privilege nobody recognises (a typing slip, an old file's value) restricts rather than opens
    // every door; the operator is told why, so that an administrator can put it right.
    if (!rules::recognisedPrivilege(user.privilege))
        m_context.prompter.warning(
            QStringLiteral("The privilege \"%1\" of %2 is neither \"admin\" nor \"user\", so %2 works with the "
                           "privilege \"user\". An administrator can change it in NEW SYSTEM USER.")
                .arg(user.privilege.left(rules::maxShortLength), user.name));
}
