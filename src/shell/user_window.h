#pragma once

#include "data/user_repository.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class UserWindow;
}
class QLineEdit;
class QTreeWidgetItem;
struct AppContext;

// A password typed twice.
struct PasswordEntry {
    QString password;
    QString confirmation;
};

// Asks for the new delete password twice (objectName "DeletePasswordDialog").
class DeletePasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit DeletePasswordDialog(QWidget* parent = nullptr);
    PasswordEntry entry() const;

private:
    QLineEdit* m_password;
    QLineEdit* m_confirmation;
};

// Keeps the operators (Form6): add, edit and delete users, and change the delete password. Passwords
// are never shown; editing with both password boxes empty keeps the stored password.
class UserWindow : public QWidget {
    Q_OBJECT
public:
    // Returns the two texts, or nothing when the operator cancels.
    using DeletePasswordAsker = std::function<std::optional<PasswordEntry>(QWidget* parent)>;

    explicit UserWindow(AppContext& context, QWidget* parent = nullptr);
    ~UserWindow() override;

    // Replaces the DeletePasswordDialog that "Delete Password..." opens (tests answer without a modal loop).
    void setDeletePasswordAsker(DeletePasswordAsker asker);

signals:
    // A user was added, changed or deleted.
    void usersChanged();

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
    DeletePasswordAsker m_askDeletePassword;
};
