#pragma once

#include "data/user_repository.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class LoginWindow;
}
struct AppContext;

// Checks a user name and password. On a database without users it first creates the administrator
// and the delete password, since nobody could log in otherwise.
class LoginWindow : public QWidget {
    Q_OBJECT
public:
    explicit LoginWindow(AppContext& context, QWidget* parent = nullptr);
    ~LoginWindow() override;

    bool isFirstRun() const { return m_firstRun; }
    // Empties the boxes and shows the first-run part when there is no user.
    void reset();

signals:
    void loggedIn(const User& user);
    void exitRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void accept();
    // The administrator made from the boxes, or nothing (the operator has been told why).
    std::optional<User> createFirstAdministrator();

    std::unique_ptr<Ui::LoginWindow> m_ui;
    AppContext& m_context;
    bool m_firstRun = false;
};
