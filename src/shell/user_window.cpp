#include "user_window.h"

#include "ui_user_window.h"

#include "data/session.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>

namespace {
const QColor openColour(Qt::white);
const QColor closedColour(224, 224, 224);
} // namespace

UserWindow::UserWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::UserWindow>()), m_context(context), m_users(context.db)
{
    m_ui->setupUi(this);

    EntryBehaviour::installByName(this,
                                  {QStringLiteral("txtName"), QStringLiteral("txtPass"), QStringLiteral("txtConfirm")},
                                  EntryBehaviour::SelectAllOnFocus | EntryBehaviour::EnterMovesOn);
    // Enter in the privilege, the last field, saves.
    connect(m_ui->cboPriv->lineEdit(), &QLineEdit::returnPressed, this, &UserWindow::save);

    connect(m_ui->lvwUser, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { showUser(current); });
    // Clicking the current row again brings back its values after a save or delete emptied the fields.
    connect(m_ui->lvwUser, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { showUser(item); });
    connect(m_ui->cmdAdd, &QPushButton::clicked, this, &UserWindow::startAdding);
    connect(m_ui->cmdEdit, &QPushButton::clicked, this, &UserWindow::startEditing);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &UserWindow::save);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &UserWindow::cancel);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &UserWindow::deleteUser);
    connect(m_ui->cmdDelPass, &QPushButton::clicked, this, &UserWindow::changeDeletePassword);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    m_ui->cboPriv->setCurrentIndex(0);
    setOpenForInput(false);
    loadUsers();
    if (m_ui->lvwUser->topLevelItemCount() > 0)
        m_ui->lvwUser->setCurrentItem(m_ui->lvwUser->topLevelItem(0));
    updateButtons();
}

UserWindow::~UserWindow()
{
    disconnectChildSignals(this);
}

void UserWindow::closeEvent(QCloseEvent* event)
{
    if (m_mode != Mode::Browsing &&
        !m_context.prompter.question(QStringLiteral("The user being entered is not saved.\n\n"
                                                    "Close the window and discard the entry?"))) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void UserWindow::loadUsers()
{
    QTreeWidget* list = m_ui->lvwUser;
    list->clear();
    const auto users = m_users.list();
    if (!users) {
        m_context.prompter.error(users.error());
        return;
    }
    for (const User& user : *users) {
        // The "UserPass" column stays empty: passwords are stored as hashes and never shown.
        auto* item = new QTreeWidgetItem(list, {QString::number(user.id), user.name, QString(), user.privilege});
        item->setData(0, Qt::UserRole, user.id);
    }
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
}

std::optional<qint64> UserWindow::selectedId() const
{
    const QTreeWidgetItem* item = m_ui->lvwUser->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    return item->data(0, Qt::UserRole).toLongLong();
}

void UserWindow::showUser(QTreeWidgetItem* item)
{
    // While a user is being added or edited the list is locked; its signals must not overwrite the entry.
    if (m_mode != Mode::Browsing)
        return;
    clearFields();
    if (item) {
        m_ui->txtName->setText(item->text(1));
        m_ui->cboPriv->setEditText(item->text(3));
    }
    updateButtons();
}

void UserWindow::clearFields()
{
    m_ui->txtName->clear();
    m_ui->txtPass->clear();
    m_ui->txtConfirm->clear();
    m_ui->cboPriv->setEditText(QString());
}

void UserWindow::setOpenForInput(bool open)
{
    for (QWidget* field :
         std::initializer_list<QWidget*>{m_ui->txtName, m_ui->txtPass, m_ui->txtConfirm, m_ui->cboPriv}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, open ? openColour : closedColour);
        field->setPalette(palette);
    }
    // Closed fields take no typing, so nothing can be saved without Add or Edit.
    m_ui->txtName->setReadOnly(!open);
    m_ui->txtPass->setReadOnly(!open);
    m_ui->txtConfirm->setReadOnly(!open);
    m_ui->cboPriv->setEnabled(open);
    m_ui->lvwUser->setEnabled(!open);
}

void UserWindow::updateButtons()
{
    const bool browsing = m_mode == Mode::Browsing;
    const bool selected = selectedId().has_value();
    m_ui->cmdSave->setEnabled(!browsing);
    m_ui->cmdCancel->setEnabled(!browsing);
    m_ui->cmdAdd->setEnabled(browsing);
    m_ui->cmdEdit->setEnabled(browsing && selected);
    m_ui->cmdDelete->setEnabled(browsing && selected);
}

void UserWindow::startAdding()
{
    m_mode = Mode::Adding;
    clearFields();
    m_ui->cboPriv->setEditText(QStringLiteral("Admin"));
    setOpenForInput(true);
    updateButtons();
    m_ui->txtName->setFocus();
}

void UserWindow::startEditing()
{
    const auto id = selectedId();
    if (!id)
        return;
    const auto user = m_users.find(*id);
    if (!user) {
        m_context.prompter.error(QStringLiteral("The user no longer exists."));
        loadUsers();
        updateButtons();
        return;
    }
    m_mode = Mode::Editing;
    m_editingId = user->id;
    clearFields();
    m_ui->txtName->setText(user->name);
    m_ui->cboPriv->setEditText(user->privilege);
    setOpenForInput(true);
    updateButtons();
    m_ui->txtName->setFocus();
}

bool UserWindow::checkFields()
{
    // An edit with both password boxes empty keeps the stored password.
    QList<RequiredField> required = {{m_ui->txtName, QStringLiteral("Please enter user name.")}};
    if (m_mode == Mode::Adding)
        required += {{m_ui->txtPass, QStringLiteral("Please enter password.")},
                     {m_ui->txtConfirm, QStringLiteral("Please enter confirm password.")}};
    required += {m_ui->cboPriv, QStringLiteral("Please enter privilege.")};
    if (!requireFilled(m_context.prompter, required))
        return false;
    // One password box filled alone is a mismatch too.
    if (m_ui->txtPass->text() != m_ui->txtConfirm->text()) {
        m_context.prompter.warning(QStringLiteral("Password does not match!"));
        m_ui->txtConfirm->setFocus();
        return false;
    }
    return acceptRules(m_context.prompter,
                       rules::checkUser(rules::cleanText(m_ui->txtName->text()), m_ui->txtPass->text(),
                                        m_ui->cboPriv->currentText(), m_mode == Mode::Adding),
                       {{QStringLiteral("usernm"), m_ui->txtName},
                        {QStringLiteral("pass"), m_ui->txtPass},
                        {QStringLiteral("priv"), m_ui->cboPriv}});
}

void UserWindow::save()
{
    if (m_mode == Mode::Browsing || !checkFields())
        return;
    const QString name = m_ui->txtName->text();
    const QString password = m_ui->txtPass->text();
    const QString privilege = m_ui->cboPriv->currentText();
    Status saved;
    if (m_mode == Mode::Adding) {
        saved = m_users.add(name, password, privilege).status();
    } else {
        saved = m_users.update(m_editingId, name, password, privilege);
    }
    if (!saved) {
        // The entry stays open so the operator can correct it or cancel.
        m_context.prompter.error(saved.error());
        return;
    }
    m_context.prompter.information(m_mode == Mode::Adding ? QStringLiteral("New record saved.")
                                                          : QStringLiteral("Record updated."));
    finishEntry();
    emit usersChanged();
}

void UserWindow::finishEntry()
{
    m_mode = Mode::Browsing;
    m_editingId = 0;
    setOpenForInput(false);
    loadUsers();
    clearFields();
    updateButtons();
}

void UserWindow::cancel()
{
    m_mode = Mode::Browsing;
    m_editingId = 0;
    setOpenForInput(false);
    // Back to what the list shows: typed text is dropped.
    QTreeWidgetItem* current = m_ui->lvwUser->currentItem();
    showUser(current && current->isSelected() ? current : nullptr);
}

void UserWindow::deleteUser()
{
    const auto id = selectedId();
    if (!id || m_mode != Mode::Browsing)
        return;
    const bool yes = m_context.prompter.question(
        QStringLiteral("You are about to delete a record.\n"
                       "If you click Yes, you won't be able to undo this delete operation.\n\n"
                       "Are you sure you want to delete this record?"),
        Prompter::Icon::Question, QStringLiteral("Confirm Delete"));
    if (!yes)
        return;
    if (Status removed = m_users.remove(*id, m_context.session.userId); !removed) {
        m_context.prompter.error(removed.error());
        return;
    }
    loadUsers();
    clearFields();
    updateButtons();
    m_context.prompter.information(QStringLiteral("Record deleted."));
    emit usersChanged();
}

void UserWindow::changeDeletePassword()
{
    Prompter& prompter = m_context.prompter;
    const QString title = QStringLiteral("Delete Password");
    const auto password = prompter.password(QStringLiteral("New delete password:"), title);
    if (!password)
        return;
    if (password->isEmpty()) {
        prompter.warning(QStringLiteral("Please enter delete password."));
        return;
    }
    const auto confirmation = prompter.password(QStringLiteral("Confirm delete password:"), title);
    if (!confirmation)
        return;
    if (confirmation->isEmpty()) {
        prompter.warning(QStringLiteral("Please enter confirm delete password."));
        return;
    }
    if (*password != *confirmation) {
        prompter.warning(QStringLiteral("Delete password does not match!"));
        return;
    }
    if (Status stored = m_users.setDeletePassword(*password); !stored) {
        prompter.error(stored.error());
        return;
    }
    prompter.information(QStringLiteral("Delete password changed."));
}
