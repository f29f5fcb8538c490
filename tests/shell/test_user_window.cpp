#include "data/user_repository.h"
#include "shell/user_window.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

// The user window on a database of its own holding "boss", an administrator, with the steps an operator takes.
struct Users : WindowFixture {
    UserRepository users{db()};
    const qint64 boss = add("boss", "bosspw", "admin");

    qint64 add(const QString& name, const QString& password, const QString& privilege)
    {
        const auto added = users.add(name, password, privilege);
        if (!added)
            qFatal("cannot add user: %s", qPrintable(added.error()));
        return added.value();
    }
    UserWindow* open() { return WindowFixture::open<UserWindow>(); }
    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QComboBox* priv() const { return control<QComboBox>("cboPriv"); }
    QTreeWidget* list() const { return control<QTreeWidget>("lvwUser"); }
    // Whether the entry fields are open for typing; all four must agree.
    bool openForInput() const
    {
        const bool open = !box("txtName")->isReadOnly();
        if (box("txtPass")->isReadOnly() == open || box("txtConfirm")->isReadOnly() == open || priv()->isEnabled() != open)
            qFatal("the entry fields do not agree whether they are open");
        return open;
    }
    QTreeWidgetItem* item(const QString& name) const
    {
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->text(1) == name)
                return list()->topLevelItem(i);
        return nullptr;
    }
    void pick(const QString& name) const
    {
        QTreeWidgetItem* found = item(name);
        if (!found)
            qFatal("no user %s in the list", qPrintable(name));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(found).center());
    }
    void fill(const QStringList& entry) // name, password, confirmation, privilege
    {
        type("txtName", entry[0], false);
        type("txtPass", entry[1], false);
        type("txtConfirm", entry[2], false);
        priv()->clearEditText();
        QTest::keyClicks(priv(), entry[3]);
    }
};

} // namespace

class TestUserWindow : public QObject {
    Q_OBJECT
private slots:
    // The list shows the users by name and no password; Cancel drops what was typed and shows the
    // chosen user again. (Closing during an entry asks first: test_shell_flow's log-out.)
    void listAndCancelShowTheStoredUser()
    {
        Users f;
        f.add("zoe", "zpass", "user");
        const qint64 anna = f.add("anna", "apass", "Admin");
        f.open();
        QTreeWidgetItem* first = f.list()->topLevelItem(0);
        QCOMPARE(QStringList({first->text(0), first->text(1), first->text(2), first->text(3)}),
                 QStringList({QString::number(anna), "anna", "", "Admin"}));
        f.pick("zoe");
        for (const char* start : {"", "cmdAdd", "cmdEdit"}) {
            if (*start) {
                f.click(start);
                f.fill({"someone", "pw", "pw", "admin"});
                f.click("cmdCancel");
            }
            QVERIFY(!f.openForInput());
            QCOMPARE(f.text("txtName") + "|" + f.text("txtPass") + "|" + f.text("cboPriv"), QStringLiteral("zoe||user"));
        }
        // Enter in the closed privilege box saves nothing.
        QTest::keyClick(f.priv(), Qt::Key_Return);
        QVERIFY(f.prompter.entries().isEmpty());
        QCOMPARE(f.users.count().value(), 3);
    }

    void addThroughKeyboard_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("privilege");
        QTest::newRow("plain") << "clerk" << "s3cret" << "user";
        QTest::newRow("quote in name") << "O'Neil" << "it's" << "admin";
        QTest::newRow("crafted name") << "x' OR '1'='1" << "p\"w; --" << "Admin";
        QTest::newRow("spaces in password") << "Ann Lee" << " a b " << " USER ";
    }
    void addThroughKeyboard()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, privilege);
        Users f;
        QSignalSpy changed(f.open(), &UserWindow::usersChanged);
        f.click("cmdAdd");
        QVERIFY(f.openForInput() && f.box("txtName")->hasFocus());
        QVERIFY(f.box("txtPass")->echoMode() == QLineEdit::Password && f.box("txtConfirm")->echoMode() == QLineEdit::Password);
        // Enter in the privilege saves (Enter moving on from the boxes is the entry behaviour's).
        f.fill({name, password, password, privilege});
        QTest::keyClick(f.priv(), Qt::Key_Return);
        QCOMPARE(f.prompter.texts(), QStringList{"New record saved."});
        QCOMPARE(changed.count(), 1);
        const auto user = f.users.authenticate(name, password);
        QVERIFY(user);
        QCOMPARE(user->name + "|" + user->privilege, name + "|" + privilege.trimmed());
        QVERIFY(f.item(name));
        // Closed and emptied, the password with the rest.
        QVERIFY(!f.openForInput());
        QCOMPARE(f.text("txtName") + f.text("txtPass") + f.text("cboPriv"), QString());
    }

    void incompleteEntryIsRefused_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QStringList>("entry"); // name, password, confirmation, privilege
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // where the operator is left to put it right
        const QString mismatch = QStringLiteral("Password does not match!");
        const QString name = QStringLiteral("Please enter user name.");
        // clang-format off
        QTest::newRow("add: no name") << true << QStringList{"", "pw", "pw", "admin"} << name << "txtName";
        QTest::newRow("add: blank name") << true << QStringList{"  ", "pw", "pw", "admin"} << name << "txtName";
        QTest::newRow("add: no password") << true << QStringList{"bob", "", "pw", "admin"} << "Please enter password." << "txtPass";
        QTest::newRow("add: no confirmation") << true << QStringList{"bob", "pw", "", "admin"} << "Please enter confirm password." << "txtConfirm";
        QTest::newRow("add: no privilege") << true << QStringList{"bob", "pw", "pw", " "} << "Please enter privilege." << "cboPriv";
        QTest::newRow("add: mismatch") << true << QStringList{"bob", "pw", "pW", "admin"} << mismatch << "txtConfirm";
        QTest::newRow("edit: no name") << false << QStringList{"", "", "", "admin"} << name << "txtName";
        QTest::newRow("edit: password only") << false << QStringList{"bob", "pw", "", "admin"} << mismatch << "txtConfirm";
        // clang-format on
    }
    void incompleteEntryIsRefused()
    {
        QFETCH(bool, adding);
        QFETCH(QStringList, entry);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Users f;
        f.open();
        f.click(adding ? "cmdAdd" : "cmdEdit");
        f.fill(entry);
        f.click("cmdSave");
        QCOMPARE(f.prompter.texts(), QStringList{message});
        QCOMPARE(QApplication::focusWidget(), f.control(focus));
        // Nothing stored; the entry stays open for correction.
        QCOMPARE(f.users.count().value(), 1);
        QVERIFY(f.users.authenticate("boss", "bosspw"));
        QVERIFY(f.openForInput());
    }

    void editPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("works");
        QTest::addColumn<QString>("fails");
        QTest::newRow("both boxes empty keep it") << "" << "oldpw" << "";
        QTest::newRow("typed twice replaces it") << "n3w pw" << "n3w pw" << "oldpw";
    }
    void editPassword()
    {
        QFETCH(QString, password);
        QFETCH(QString, works);
        QFETCH(QString, fails);
        Users f;
        const qint64 id = f.add("Neil", "oldpw", "admin");
        f.open();
        f.pick("Neil");
        f.click("cmdEdit");
        QVERIFY(!f.list()->isEnabled()); // the edited user cannot change under the entry
        QCOMPARE(f.text("txtPass"), QString());
        f.fill({"O'Neil", password, password, "user"});
        f.click("cmdSave");
        QCOMPARE(f.prompter.texts(), QStringList{"Record updated."});
        const auto user = f.users.authenticate("O'Neil", works);
        QVERIFY(user);
        QCOMPARE(QString::number(user->id) + "|" + user->privilege, QString::number(id) + "|user");
        if (!fails.isEmpty())
            QVERIFY(!f.users.authenticate("O'Neil", fails));
        QVERIFY(f.item("O'Neil") && !f.item("Neil"));
        QVERIFY(!f.openForInput());
    }

    void deleteFollowsTheAnswer_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no keeps") << false;
        QTest::newRow("yes deletes") << true;
    }
    void deleteFollowsTheAnswer()
    {
        QFETCH(bool, yes);
        Users f;
        const qint64 id = f.add("temp", "temppw", "user");
        f.open();
        f.pick("temp");
        f.prompter.answer(yes);
        f.click("cmdDelete");
        const auto asked = f.prompter.entries().first();
        QVERIFY(asked.kind == ScriptedPrompter::Kind::Question && asked.defaultButton == Prompter::Default::No);
        QCOMPARE(f.users.find(id).has_value(), !yes);
        QCOMPARE(f.item("temp") != nullptr, !yes);
        QCOMPARE(f.prompter.texts().mid(1), yes ? QStringList{"Record deleted."} : QStringList());
    }

    // Each way the window writes (delete, update, add) shows the repository's refusal and keeps the
    // entry; the last manager's refusals are the repository's own, tested with it.
    void refusalIsShownNotSuccess_data()
    {
        QTest::addColumn<QString>("action"); // delete, demote, rename (to "BOSS"), or add ("Boss")
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("removedMeanwhile");
        QTest::addColumn<QString>("error");
        QTest::newRow("delete oneself") << "delete" << "clerk" << false << "is logged in now";
        QTest::newRow("delete vanished user") << "delete" << "temp" << true << "The user no longer exists.";
        QTest::newRow("update vanished user") << "demote" << "temp" << true << "The user no longer exists.";
        QTest::newRow("name taken in other case") << "rename" << "clerk" << false << "The user boss already exists.";
        QTest::newRow("added name taken") << "add" << "" << false << "The user boss already exists.";
    }
    void refusalIsShownNotSuccess()
    {
        QFETCH(QString, action);
        QFETCH(QString, target);
        QFETCH(bool, removedMeanwhile);
        QFETCH(QString, error);
        Users f;
        const QHash<QString, qint64> ids = {{"clerk", f.add("clerk", "clerkpw", "user")},
                                            {"temp", f.add("temp", "temppw", "user")}};
        f.session.userId = ids["clerk"];
        f.open();
        if (!target.isEmpty())
            f.pick(target);
        f.click(action == "delete" ? "cmdDelete" : action == "add" ? "cmdAdd" : "cmdEdit");
        if (removedMeanwhile)
            QVERIFY(f.users.remove(ids[target], 0));
        if (action == "delete") {
            f.prompter.answer(true);
            f.click("cmdDelete");
        } else {
            f.fill({action == "demote" ? target : QStringLiteral(" BOSS"), "pw", "pw", action == "demote" ? "user" : "admin"});
            f.click("cmdSave");
        }
        QVERIFY2(f.prompter.lastText().contains(error), qPrintable(f.prompter.lastText()));
        QCOMPARE(f.users.count().value(), removedMeanwhile ? 2 : 3);
        QVERIFY(f.users.authenticate("boss", "bosspw"));
        QCOMPARE(f.users.find(f.boss)->privilege, QStringLiteral("admin"));
        // A refused entry stays open for correction or Cancel.
        QCOMPARE(f.openForInput(), action != "delete");
    }

    void changeDeletePassword_data()
    {
        QTest::addColumn<QStringList>("answers"); // the passwords typed; fewer answers mean Cancel
        QTest::addColumn<QString>("message");
        QTest::newRow("changed") << QStringList{"newdel", "newdel"} << "Delete password changed.";
        QTest::newRow("cancelled") << QStringList{} << "";
        QTest::newRow("cancelled at the confirmation") << QStringList{"newdel"} << "";
        QTest::newRow("empty") << QStringList{""} << "Please enter delete password.";
        QTest::newRow("unconfirmed") << QStringList{"newdel", ""} << "Please enter confirm delete password.";
        QTest::newRow("mismatch") << QStringList{"newdel", "newDel"} << "Delete password does not match!";
    }
    void changeDeletePassword()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, message);
        Users f;
        QVERIFY(f.users.setDeletePassword("olddel"));
        f.open();
        for (const QString& answer : answers)
            f.prompter.answerPassword(answer);
        f.click("cmdDelPass");
        QCOMPARE(f.prompter.entries().first().kind, ScriptedPrompter::Kind::Password);
        QCOMPARE(f.prompter.last().kind == ScriptedPrompter::Kind::Password ? QString() : f.prompter.lastText(), message);
        const bool changed = message == QLatin1String("Delete password changed.");
        QCOMPARE(f.users.checkDeletePassword("newdel").value(), changed);
        QCOMPARE(f.users.checkDeletePassword("olddel").value(), !changed);
    }
};

QTEST_MAIN(TestUserWindow)
#include "test_user_window.moc"
