#pragma once

#include "data/user_repository.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class UserWindow;
}
class QLineEdit;
class QTreeWidgetItem;
struct AppContext;

// Keeps the operators (Form6): add, edit and delete users, and change the delete password. Passwords
// are never shown; editing with both password boxes empty keeps the stored password.
class UserWindow : public QWidget {
    Q_OBJECT
public:
    explicit UserWindow(AppContext& context, QWidget* parent = nullptr);
    ~UserWindow() override;

signals:
    // A user was added, changed or deleted.
    void usersChanged();

protected:
    // A user being entered is not dropped without the operator's word.
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Mode { Browsing, Adding, Editing };

    void loadUsers();
    void showUser(QTreeWidgetItem* item);
    void startAdding();
    void startEditing();
    void save();
    bool checkFields();
    void finishEntry();
    void cancel();
    void deleteUser();
    void changeDeletePassword();
    void clearFields();
    void setOpenForInput(bool open);
    void updateButtons();
    std::optional<qint64> selectedId() const;

    std::unique_ptr<Ui::UserWindow> m_ui;
    AppContext& m_context;
    UserRepository m_users;
    Mode m_mode = Mode::Browsing;
    qint64 m_editingId = 0;
};
