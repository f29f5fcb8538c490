#include "common/clock.h"
#include "support/scripted_prompter.h"
#include "ui/app_context.h"
#include "data/session.h"
#include "data/user_repository.h"
#include "shell/user_window.h"
#include "support/test_database.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {
using Icon = Prompter::Icon;

// One database, prompter and session per test, and the window on top of them.
struct Fixture {
    enum class Fields { Open, Closed, Mixed };

    TestDatabase database;
    ScriptedPrompter prompter;
    SystemClock clock;
    Session session{QStringLiteral("ACME"), QStringLiteral("boss"), QStringLiteral("admin")};
    AppContext context{database.db(), prompter, clock, session};
    UserRepository users{database.db()};
    std::unique_ptr<UserWindow> window;

    qint64 addUser(const QString& name, const QString& password, const QString& privilege)
    {
        const auto added = users.add(name, password, privilege);
        if (!added)
            qFatal("cannot add user: %s", qPrintable(added.error()));
        return added.value();
    }
    void open()
    {
        window = std::make_unique<UserWindow>(context);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
    }
    template <typename T = QWidget>
    T* control(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QComboBox* priv() const { return control<QComboBox>("cboPriv"); }
    QTreeWidget* list() const { return control<QTreeWidget>("lvwUser"); }
    void click(const char* button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    // The enabled state of each button, as "1"/"0" in the order Add, Save, Edit, Cancel, Delete.
    QString buttons() const
    {
        QString states;
        for (const char* name : {"cmdAdd", "cmdSave", "cmdEdit", "cmdCancel", "cmdDelete"})
            states += control<QPushButton>(name)->isEnabled() ? u'1' : u'0';
        return states;
    }
    QTreeWidgetItem* itemNamed(const QString& name) const
    {
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->text(1) == name)
                return list()->topLevelItem(i);
        return nullptr;
    }
    void clickUser(const QString& name) const
    {
        QTreeWidgetItem* item = itemNamed(name);
        if (!item)
            qFatal("no user %s in the list", qPrintable(name));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }
    void typePrivilege(const QString& text) const
    {
        priv()->clearEditText();
        QTest::keyClicks(priv(), text);
    }
    void fill(const QString& name, const QString& password, const QString& confirmation, const QString& privilege) const
    {
        for (auto [field, text] : {std::pair{"txtName", name}, {"txtPass", password}, {"txtConfirm", confirmation}}) {
            box(field)->clear();
            QTest::keyClicks(box(field), text);
        }
        typePrivilege(privilege);
    }
    // Open fields are white and take input; closed ones are light grey and take none.
    Fields fields() const
    {
        const QList<QWidget*> all{box("txtName"), box("txtPass"), box("txtConfirm"), priv()};
        int open = 0;
        int white = 0;
        for (QWidget* field : all) {
            const auto* edit = qobject_cast<QLineEdit*>(field);
            open += (edit ? !edit->isReadOnly() : field->isEnabled()) ? 1 : 0;
            const QColor base = field->palette().color(QPalette::Base);
            if (base == QColor(Qt::white))
                ++white;
            else if (base != QColor(224, 224, 224))
                return Fields::Mixed;
        }
        if (open == all.size() && white == all.size())
            return Fields::Open;
        return open == 0 && white == 0 ? Fields::Closed : Fields::Mixed;
    }
};
} // namespace

class TestUserWindow : public QObject {
    Q_OBJECT
private slots:
    void listShowsUsersWithoutPasswords();
    void addThroughKeyboard_data();
    void addThroughKeyboard();
    void incompleteEntryIsRefused_data();
    void incompleteEntryIsRefused();
    void editPassword_data();
    void editPassword();
    void deleteFollowsTheAnswer_data();
    void deleteFollowsTheAnswer();
    void refusalIsShownNotSuccess_data();
    void refusalIsShownNotSuccess();
    void cancelRestoresState();
    void changeDeletePassword_data();
    void changeDeletePassword();
    void deletePasswordDialogIsTheDefault();
};

void TestUserWindow::listShowsUsersWithoutPasswords()
{
    Fixture f;
    f.addUser("zoe", "zpass", "user");
    const qint64 anna = f.addUser("anna", "apass", "Admin");
    f.open();
    QCOMPARE(f.window->objectName(), QStringLiteral("Form6"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("USERS"));

    // Sorted by name; the password column stays empty.
    QCOMPARE(f.list()->topLevelItemCount(), 2);
    QTreeWidgetItem* first = f.list()->topLevelItem(0);
    QCOMPARE(QStringList({first->text(0), first->text(1), first->text(2), first->text(3)}),
             QStringList({QString::number(anna), "anna", "", "Admin"}));
    QCOMPARE(f.list()->topLevelItem(1)->text(2), QString());

    // The first user is selected and shown, closed for input and without a password.
    QCOMPARE(f.list()->currentItem(), first);
    QCOMPARE(f.box("txtName")->text(), QStringLiteral("anna"));
    QCOMPARE(f.priv()->currentText(), QStringLiteral("Admin"));
    QCOMPARE(f.fields(), Fixture::Fields::Closed);
    QCOMPARE(f.buttons(), QStringLiteral("10101"));

    f.clickUser("zoe");
    QCOMPARE(f.box("txtName")->text(), QStringLiteral("zoe"));
    QCOMPARE(f.priv()->currentText(), QStringLiteral("user"));
    QCOMPARE(f.box("txtPass")->text() + f.box("txtConfirm")->text(), QString());
    QVERIFY(f.prompter.entries().isEmpty());

    // Without users only Add is offered, before and after a cancelled Add.
    Fixture empty;
    empty.open();
    QCOMPARE(empty.buttons(), QStringLiteral("10000"));
    empty.click("cmdAdd");
    empty.click("cmdCancel");
    QCOMPARE(empty.buttons(), QStringLiteral("10000"));
}

void TestUserWindow::addThroughKeyboard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("privilege");
    QTest::newRow("plain") << "clerk"
                           << "s3cret"
                           << "user";
    QTest::newRow("quote in name") << "O'Neil"
                                   << "it's"
                                   << "admin";
    QTest::newRow("crafted name") << "x' OR '1'='1"
                                  << "p\"w; --"
                                  << "Admin";
    QTest::newRow("spaces in password") << "Ann Lee"
                                        << " a b "
                                        << "Supervisor";
}

void TestUserWindow::addThroughKeyboard()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, privilege);
    Fixture f;
    f.addUser("boss", "bosspw", "admin");
    f.open();
    QSignalSpy changed(f.window.get(), &UserWindow::usersChanged);

    f.click("cmdAdd");
    QCOMPARE(f.fields(), Fixture::Fields::Open);
    QCOMPARE(f.buttons(), QStringLiteral("01010"));
    QCOMPARE(f.box("txtName")->text(), QString());
    QCOMPARE(f.priv()->currentText(), QStringLiteral("Admin"));
    QCOMPARE(f.box("txtPass")->echoMode(), QLineEdit::Password);
    QCOMPARE(f.box("txtConfirm")->echoMode(), QLineEdit::Password);

    // Enter moves through the three boxes; Enter in the privilege saves.
    QVERIFY(f.box("txtName")->hasFocus());
    QTest::keyClicks(f.box("txtName"), name);
    QTest::keyClick(f.box("txtName"), Qt::Key_Return);
    QVERIFY(f.box("txtPass")->hasFocus());
    QTest::keyClicks(f.box("txtPass"), password);
    QTest::keyClick(f.box("txtPass"), Qt::Key_Return);
    QVERIFY(f.box("txtConfirm")->hasFocus());
    QTest::keyClicks(f.box("txtConfirm"), password);
    QTest::keyClick(f.box("txtConfirm"), Qt::Key_Return);
    QVERIFY(f.priv()->hasFocus());
    f.typePrivilege(privilege);
    QTest::keyClick(f.priv(), Qt::Key_Return);

    QCOMPARE(f.prompter.texts(), QStringList{"New record saved."});
    QCOMPARE(f.prompter.last().icon, Icon::Information);
    QCOMPARE(changed.count(), 1);
    const auto user = f.users.authenticate(name, password);
    QVERIFY(user);
    QCOMPARE(user->name, name);
    QCOMPARE(user->privilege, privilege);
    QCOMPARE(f.users.count().value(), 2);
    QCOMPARE(f.priv()->count(), 2); // Enter did not add the typed privilege to the list
    QTreeWidgetItem* item = f.itemNamed(name);
    QVERIFY(item);
    QCOMPARE(QStringList({item->text(0), item->text(2), item->text(3)}),
             QStringList({QString::number(user->id), "", privilege}));

    // Closed and emptied; with nothing selected Edit and Delete wait for a click.
    QCOMPARE(f.fields(), Fixture::Fields::Closed);
    QCOMPARE(f.box("txtName")->text() + f.box("txtPass")->text() + f.priv()->currentText(), QString());
    QCOMPARE(f.buttons(), QStringLiteral("10000"));
    f.clickUser(name);
    QCOMPARE(f.buttons(), QStringLiteral("10101"));
}

void TestUserWindow::incompleteEntryIsRefused_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QStringList>("entry"); // name, password, confirmation, privilege
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString mismatch = QStringLiteral("Password does not match!");
    QTest::newRow("add: no name") << true << QStringList{"", "pw", "pw", "admin"} << "Please enter user name."
                                  << "txtName";
    QTest::newRow("add: blank name") << true << QStringList{"  ", "pw", "pw", "admin"} << "Please enter user name."
                                     << "txtName";
    QTest::newRow("add: no password") << true << QStringList{"bob", "", "pw", "admin"} << "Please enter password."
                                      << "txtPass";
    QTest::newRow("add: no confirmation")
        << true << QStringList{"bob", "pw", "", "admin"} << "Please enter confirm password."
        << "txtConfirm";
    QTest::newRow("add: no privilege") << true << QStringList{"bob", "pw", "pw", " "} << "Please enter privilege."
                                       << "cboPriv";
    QTest::newRow("add: mismatch") << true << QStringList{"bob", "pw", "pW", "admin"} << mismatch << "txtConfirm";
    QTest::newRow("edit: no name") << false << QStringList{"", "", "", "admin"} << "Please enter user name."
                                   << "txtName";
    QTest::newRow("edit: no privilege") << false << QStringList{"bob", "", "", ""} << "Please enter privilege."
                                        << "cboPriv";
    QTest::newRow("edit: password only") << false << QStringList{"bob", "pw", "", "admin"} << mismatch << "txtConfirm";
    QTest::newRow("edit: confirmation only")
        << false << QStringList{"bob", "", "pw", "admin"} << mismatch << "txtConfirm";
}

void TestUserWindow::incompleteEntryIsRefused()
{
    QFETCH(bool, adding);
    QFETCH(QStringList, entry);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Fixture f;
    f.addUser("alice", "alicepw", "admin");
    f.open();
    f.click(adding ? "cmdAdd" : "cmdEdit");
    f.fill(entry[0], entry[1], entry[2], entry[3]);
    f.click("cmdSave");

    QCOMPARE(f.prompter.texts(), QStringList{message});
    QCOMPARE(f.prompter.last().icon, Icon::Warning);
    QCOMPARE(QApplication::focusWidget(), f.control(focus));
    // Nothing stored; the entry stays open for correction.
    QCOMPARE(f.users.count().value(), 1);
    QVERIFY(f.users.authenticate("alice", "alicepw"));
    QCOMPARE(f.fields(), Fixture::Fields::Open);
    QCOMPARE(f.buttons(), QStringLiteral("01010"));
}

void TestUserWindow::editPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("works");
    QTest::addColumn<QString>("fails");
    QTest::newRow("both boxes empty keep it") << ""
                                              << "oldpw"
                                              << "";
    QTest::newRow("typed twice replaces it") << "n3w pw"
                                             << "n3w pw"
                                             << "oldpw";
}

void TestUserWindow::editPassword()
{
    QFETCH(QString, password);
    QFETCH(QString, works);
    QFETCH(QString, fails);
    Fixture f;
    f.addUser("boss", "bosspw", "admin");
    const qint64 id = f.addUser("Neil", "oldpw", "admin");
    f.open();
    f.clickUser("Neil");
    f.click("cmdEdit");
    QCOMPARE(f.fields(), Fixture::Fields::Open);
    QVERIFY(!f.list()->isEnabled()); // the edited user cannot change under the entry
    QCOMPARE(f.box("txtPass")->text(), QString());
    // Entering a box selects its text, so typing replaces the name.
    QVERIFY(f.box("txtName")->hasFocus());
    QTRY_COMPARE(f.box("txtName")->selectedText(), QStringLiteral("Neil"));
    QTest::keyClicks(f.box("txtName"), "O'Neil");
    QTest::keyClicks(f.box("txtPass"), password);
    QTest::keyClicks(f.box("txtConfirm"), password);
    f.typePrivilege("user");
    f.click("cmdSave");

    QCOMPARE(f.prompter.texts(), QStringList{"Record updated."});
    QCOMPARE(f.prompter.last().icon, Icon::Information);
    QCOMPARE(f.users.count().value(), 2);
    const auto user = f.users.authenticate("O'Neil", works);
    QVERIFY(user);
    QCOMPARE(user->id, id);
    QCOMPARE(user->privilege, QStringLiteral("user"));
    if (!fails.isEmpty())
        QVERIFY(!f.users.authenticate("O'Neil", fails));
    QVERIFY(f.itemNamed("O'Neil") && !f.itemNamed("Neil"));
    QCOMPARE(f.fields(), Fixture::Fields::Closed);
}

void TestUserWindow::deleteFollowsTheAnswer_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no keeps") << false;
    QTest::newRow("yes deletes") << true;
}

void TestUserWindow::deleteFollowsTheAnswer()
{
    QFETCH(bool, yes);
    Fixture f;
    f.addUser("boss", "bosspw", "admin");
    const qint64 id = f.addUser("temp", "temppw", "user");
    f.open();
    QSignalSpy changed(f.window.get(), &UserWindow::usersChanged);
    f.clickUser("temp");
    f.prompter.answer(yes);
    f.click("cmdDelete");

    const auto asked = f.prompter.entries().first();
    QCOMPARE(asked.kind, ScriptedPrompter::Kind::Question);
    QCOMPARE(asked.text, QStringLiteral("You are about to delete a record.\nIf you click Yes, you won't be able "
                                        "to undo this delete operation.\n\nAre you sure you want to delete this "
                                        "record?"));
    QCOMPARE(asked.title, QStringLiteral("Confirm Delete"));
    QCOMPARE(asked.icon, Icon::Question);
    QCOMPARE(f.users.find(id).has_value(), !yes);
    QCOMPARE(f.itemNamed("temp") != nullptr, !yes);
    QCOMPARE(changed.count(), yes ? 1 : 0);
    QCOMPARE(f.prompter.texts().mid(1), yes ? QStringList{"Record deleted."} : QStringList());
    QCOMPARE(f.box("txtName")->text(), yes ? QString() : QStringLiteral("temp"));
    if (yes)
        QCOMPARE(f.prompter.last().icon, Icon::Information);
}

void TestUserWindow::refusalIsShownNotSuccess_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("removedMeanwhile");
    QTest::addColumn<QString>("error");
    QTest::newRow("delete last manager") << false << "boss" << false << "manage users";
    QTest::newRow("demote last manager") << true << "boss" << false << "manage users";
    QTest::newRow("delete vanished user") << false << "clerk" << true << "The user no longer exists.";
    QTest::newRow("update vanished user") << true << "clerk" << true << "The user no longer exists.";
}

void TestUserWindow::refusalIsShownNotSuccess()
{
    QFETCH(bool, editing);
    QFETCH(QString, target);
    QFETCH(bool, removedMeanwhile);
    QFETCH(QString, error);
    Fixture f;
    const qint64 boss = f.addUser("boss", "bosspw", "admin");
    const qint64 clerk = f.addUser("clerk", "clerkpw", "user");
    const qint64 id = target == QLatin1String("boss") ? boss : clerk;
    f.open();
    QSignalSpy changed(f.window.get(), &UserWindow::usersChanged);
    f.clickUser(target);
    if (editing)
        f.click("cmdEdit");
    if (removedMeanwhile)
        QVERIFY(f.users.remove(id));
    if (editing) {
        f.typePrivilege("user");
        f.click("cmdSave");
    } else {
        f.prompter.answer(true);
        f.click("cmdDelete");
    }

    QCOMPARE(f.prompter.last().icon, Icon::Critical);
    QCOMPARE(f.prompter.last().title, QStringLiteral("Error"));
    QVERIFY2(f.prompter.lastText().contains(error), qPrintable(f.prompter.lastText()));
    QVERIFY(!f.prompter.texts().contains("Record deleted.") && !f.prompter.texts().contains("Record updated."));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(f.users.find(id).has_value(), !removedMeanwhile);
    if (!removedMeanwhile)
        QCOMPARE(f.users.find(id)->privilege, QStringLiteral("admin"));
    // A refused edit stays open for correction or Cancel.
    QCOMPARE(f.fields(), editing ? Fixture::Fields::Open : Fixture::Fields::Closed);
}

void TestUserWindow::cancelRestoresState()
{
    Fixture f;
    f.addUser("boss", "bosspw", "Admin");
    f.open();
    for (const char* start : {"cmdAdd", "cmdEdit"}) {
        f.click(start);
        f.fill("someone", "pw", "pw", "user");
        f.click("cmdCancel");
        QVERIFY2(f.fields() == Fixture::Fields::Closed, start);
        QCOMPARE(f.buttons(), QStringLiteral("10101"));
        QVERIFY(f.list()->isEnabled());
        // The selected user is shown again; the typed text is dropped.
        QCOMPARE(f.box("txtName")->text(), QStringLiteral("boss"));
        QCOMPARE(f.box("txtPass")->text(), QString());
        QCOMPARE(f.priv()->currentText(), QStringLiteral("Admin"));
    }
    // Enter in the closed privilege box saves nothing.
    QTest::keyClick(f.priv(), Qt::Key_Return);
    QVERIFY(f.prompter.entries().isEmpty());
    QCOMPARE(f.users.count().value(), 1);
    QVERIFY(f.itemNamed("boss") && !f.itemNamed("someone"));
}

void TestUserWindow::changeDeletePassword_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::newRow("changed") << true << "newdel"
                             << "newdel"
                             << "Delete password changed.";
    QTest::newRow("cancelled") << false << ""
                               << ""
                               << "";
    QTest::newRow("empty") << true << ""
                           << ""
                           << "Please enter delete password.";
    QTest::newRow("unconfirmed") << true << "newdel"
                                 << ""
                                 << "Please enter confirm delete password.";
    QTest::newRow("mismatch") << true << "newdel"
                              << "newDel"
                              << "Delete password does not match!";
}

void TestUserWindow::changeDeletePassword()
{
    QFETCH(bool, answered);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    Fixture f;
    f.addUser("boss", "bosspw", "admin");
    QVERIFY(f.users.setDeletePassword("olddel"));
    f.open();
    int asked = 0;
    f.window->setDeletePasswordAsker([&](QWidget*) -> std::optional<PasswordEntry> {
        ++asked;
        return answered ? std::optional(PasswordEntry{password, confirmation}) : std::nullopt;
    });
    QCOMPARE(f.control<QPushButton>("cmdDelPass")->text(), QStringLiteral("Delete &Password..."));
    f.click("cmdDelPass");

    QCOMPARE(asked, 1);
    const bool changed = message == QLatin1String("Delete password changed.");
    QCOMPARE(f.prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(f.prompter.last().icon, changed ? Icon::Information : Icon::Warning);
    QCOMPARE(f.users.checkDeletePassword("newdel"), changed);
    QCOMPARE(f.users.checkDeletePassword("olddel"), !changed);
}

void TestUserWindow::deletePasswordDialogIsTheDefault()
{
    Fixture f;
    f.addUser("boss", "bosspw", "admin");
    f.open();
    bool filled = false;
    // The dialog runs its own loop: answer it from inside that loop, checking it hides what is typed.
    QTimer::singleShot(0, [&filled] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const auto boxes = dialog->findChildren<QLineEdit*>();
        filled = dialog->objectName() == QLatin1String("DeletePasswordDialog") && boxes.size() == 2 &&
                 boxes[0]->echoMode() == QLineEdit::Password && boxes[1]->echoMode() == QLineEdit::Password;
        for (QLineEdit* box : boxes)
            QTest::keyClicks(box, "fresh");
        filled ? dialog->accept() : dialog->reject();
    });
    f.click("cmdDelPass");
    QVERIFY(filled);
    QCOMPARE(f.prompter.texts(), QStringList{"Delete password changed."});
    QVERIFY(f.users.checkDeletePassword("fresh"));
}

QTEST_MAIN(TestUserWindow)
#include "test_user_window.moc"
