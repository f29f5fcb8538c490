#include "data/user_repository.h"
#include "support/window_fixture.h"
#include "ui/delete_password_guard.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// The frame as a window lays it out, with the guard over it.
class GuardedWindow : public QWidget {
public:
    explicit GuardedWindow(AppContext& context)
        : frame(new QWidget(this)), password(new QLineEdit(frame)), remove(new QPushButton("DELETE", frame)),
          cancel(new QPushButton("CANCEL", frame)), guard(context, {frame, password, remove, cancel})
    {
        auto* layout = new QVBoxLayout(frame);
        for (QWidget* w : std::initializer_list<QWidget*>{password, remove, cancel})
            layout->addWidget(w);
    }
    QWidget* frame;
    QLineEdit* password;
    QPushButton* remove;
    QPushButton* cancel;
    DeletePasswordGuard guard;
};

class TestDeletePasswordGuard : public QObject {
    Q_OBJECT
private slots:
    void deletesOnlyWithPasswordAndYes_data()
    {
        QTest::addColumn<bool>("passwordSet");
        QTest::addColumn<QString>("copy"); // the backup copy first: "" none, "local", "unreachable" network folder
        QTest::addColumn<QString>("typed");   // "CANCEL": the frame's CANCEL is pressed instead
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("told");
        const QString question = QStringLiteral("ARE YOU SURE YOU WANT TO DELETE THIS SLIP ENTRY");
        // clang-format off
        QTest::newRow("no delete password set") << false << "" << "" << true << QStringList{"No delete password is set"};
        QTest::newRow("the copy cannot begin, answered No") << true << "unreachable" << "del" << false << QStringList{"The backup copy before the deletion could not be taken"};
        QTest::newRow("wrong password, letter case") << true << "local" << "DEL" << true << QStringList{"wrong password"};
        QTest::newRow("cancelled") << true << "" << "CANCEL" << true << QStringList{};
        QTest::newRow("answered No") << true << "" << "del" << false << QStringList{question};
        QTest::newRow("deleted after its copy") << true << "local" << "del" << true << QStringList{question, "ALL deleted"};
        // clang-format on
    }
    void deletesOnlyWithPasswordAndYes()
    {
        QFETCH(bool, passwordSet);
        QFETCH(QString, copy);
        QFETCH(QString, typed);
        QFETCH(bool, yes);
        QFETCH(QStringList, told);
        WindowFixture f;
        if (passwordSet)
            QVERIFY(UserRepository(f.db()).setDeletePassword("del"));
        GuardedWindow* w = f.open<GuardedWindow>();
        QSettings settings;
        settings.setValue("backup/networkFolder", f.database().folder() + "/unreachable");
        if (!copy.isEmpty())
            w->guard.backUpFirst(copy == "local" ? DeletionBackup::Local : DeletionBackup::Network);
        int deleted = 0;
        QSignalSpy finished(&w->guard, &DeletePasswordGuard::finished);
        // The question is the guard's own unless the window gives another.
        const bool shown = w->guard.request({[&] { return ++deleted, Status(); }, QStringLiteral("ALL deleted")});
        QCOMPARE(shown && w->frame->isVisible(), passwordSet);
        if (shown) {
            QCOMPARE(w->password->echoMode(), QLineEdit::Password);
            f.prompter.answer(yes);
            if (typed == "CANCEL") {
                QTest::mouseClick(w->cancel, Qt::LeftButton);
            } else {
                QTest::keyClicks(w->password, typed);
                QTest::keyClick(w->password, Qt::Key_Return);
            }
            QVERIFY(!w->frame->isVisible());
            QCOMPARE(w->password->text(), QString());
            QCOMPARE(finished.count(), 1);
        }
        QCOMPARE(f.prompter.texts().size(), told.size());
        for (int i = 0; i < told.size(); ++i)
            QVERIFY2(f.prompter.texts()[i].startsWith(told[i]), qPrintable(f.prompter.texts()[i]));
        if (told.size() > 0 && told[0].startsWith("ARE YOU"))
            QCOMPARE(f.prompter.entries().first().defaultButton, Prompter::Default::No);
        QCOMPARE(deleted, told.contains("ALL deleted") ? 1 : 0);
        // The copy is taken when DELETE is pressed, before the password is compared.
        QCOMPARE(f.database().backupCopies(), copy == "local" ? 1 : 0);
        settings.remove("backup/networkFolder");
    }
};

QTEST_MAIN(TestDeletePasswordGuard)
#include "test_delete_password_guard.moc"
