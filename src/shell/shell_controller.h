#pragma once

#include "data/session.h"
#include "ui/app_context.h"

#include <QObject>
#include <QPointer>

#include <memory>

struct User;
class CompanySelectionWindow;
class LoginWindow;
class MainWindow;
class MasterWindow;
class WindowCatalogue;

// The road of a run: company selection, login, main window, and back to the selection on log-out.
class ShellController : public QObject {
    Q_OBJECT
public:
    ShellController(Database& database, Prompter& prompter, const Clock& clock, const WindowCatalogue& catalogue);
    ~ShellController() override;

    void start();

    const Session& session() const { return m_session; }
    CompanySelectionWindow* companySelection() const { return m_selection.get(); }
    LoginWindow* login() const { return m_login.get(); }
    MainWindow* mainWindow() const;
    MasterWindow* companyMaster() const;

signals:
    // The operator ended the program (EXIT, closing the main window, Exit on the login).
    void finished();

private:
    void showSelection();
    void showCompanyMaster();
    void showLogin(const QString& company);
    void showMain(const User& user);

    Session m_session;
    AppContext m_context;
    const WindowCatalogue& m_catalogue;
    std::unique_ptr<CompanySelectionWindow> m_selection;
    std::unique_ptr<LoginWindow> m_login;
    QPointer<MainWindow> m_main;
    QPointer<MasterWindow> m_companyMaster;
};
