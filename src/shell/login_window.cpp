#include "login_window.h"

#include "ui_login_window.h"

#include "data/company_repository.h"
#include "data/database.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/window_lifetime.h"

#include <QKeyEvent>

LoginWindow::LoginWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LoginWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    // Enter in the last box logs in; in the others it moves on.
    for (QLineEdit* box :
         {m_ui->txtUserName, m_ui->txtPassword, m_ui->txtConfirm, m_ui->txtDelPass, m_ui->txtDelConfirm}) {
        EntryBehaviour::install(box, EntryBehaviour::SelectAllOnFocus);
        connect(box, &QLineEdit::returnPressed, this, [this, box] {
            const bool last = m_firstRun ? box == m_ui->txtDelConfirm : box == m_ui->txtPassword;
            if (last)
                accept();
            else
                focusNextChild();
        });
    }
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &LoginWindow::accept);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, [this] {
        CompanyRepository(m_context.db).clearSelection();
        emit exitRequested();
    });
    reset();
}

LoginWindow::~LoginWindow()
{
    disconnectChildSignals(this);
}

void LoginWindow::reset()
{
    const auto users = UserRepository(m_context.db).count();
    if (!users)
        m_context.prompter.error(users.error());
    // Only a database known to have no user offers to create the administrator.
    m_firstRun = users.ok() && users.value() == 0;
    for (QLineEdit* box :
         {m_ui->txtUserName, m_ui->txtPassword, m_ui->txtConfirm, m_ui->txtDelPass, m_ui->txtDelConfirm})
        box->clear();
    m_ui->lblFirstRun->setVisible(m_firstRun);
    m_ui->fraFirstRun->setVisible(m_firstRun);
    setWindowTitle(m_firstRun ? QStringLiteral("Login - first administrator") : QStringLiteral("Login"));
    m_ui->txtUserName->setFocus();
}

void LoginWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_ui->cmdCancel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::optional<User> LoginWindow::createFirstAdministrator()
{
    Prompter& prompter = m_context.prompter;
    if (!requireFilled(prompter, {{m_ui->txtUserName, QStringLiteral("Please enter user name.")},
                                  {m_ui->txtPassword, QStringLiteral("Please enter password.")},
                                  {m_ui->txtConfirm, QStringLiteral("Please enter confirm password.")},
                                  {m_ui->txtDelPass, QStringLiteral("Please enter delete password.")},
                                  {m_ui->txtDelConfirm, QStringLiteral("Please enter confirm delete password.")}}))
        return std::nullopt;
    if (m_ui->txtPassword->text() != m_ui->txtConfirm->text()) {
        prompter.warning(QStringLiteral("Password does not match!"));
        m_ui->txtConfirm->setFocus();
        return std::nullopt;
    }
    if (m_ui->txtDelPass->text() != m_ui->txtDelConfirm->text()) {
        prompter.warning(QStringLiteral("Delete password does not match!"));
        m_ui->txtDelConfirm->setFocus();
        return std::nullopt;
    }
    const auto created =
        UserRepository(m_context.db)
            .createFirstAdministrator(m_ui->txtUserName->text(), m_ui->txtPassword->text(), m_ui->txtDelPass->text());
    if (!created) {
        prompter.error(created.error());
        // Someone may have created the administrator meanwhile: offer the plain login then.
        reset();
        return std::nullopt;
    }
    return created.value();
}

void LoginWindow::accept()
{
    std::optional<User> user;
    if (m_firstRun) {
        user = createFirstAdministrator(); // it tells the operator what is wrong
    } else {
        user = UserRepository(m_context.db).authenticate(m_ui->txtUserName->text(), m_ui->txtPassword->text());
        if (!user)
            m_context.prompter.information(QStringLiteral("Enter Username And Password"));
    }
    if (!user)
        return;
    reset();
    emit loggedIn(*user);
}
