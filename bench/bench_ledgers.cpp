// Measures what the operator waits for in the loan window and the payroll deletion window, on the
// benchmark database (built by the first run of any benchmark):
//   bench_ledgers [--database PATH] [--rebuild]
// Choosing runs on the database itself, with 200 loan entries added for one employee (removed
// afterwards). The deletion runs on a copy of the database in which 200,000 payroll rows belong to
// a second company, and is timed from the click on DELETE (with the right password and Yes) until
// the window says how many went: the backup copy it takes first included.

#include "bench_support.h"
#include "common/dates.h"
#include "data/backup_service.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "ledgers/loan_window.h"
#include "payroll/payroll_deletion_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
    quietOffscreen();
    QApplication app(argc, argv);
    const QString path = benchDatabasePath(app.arguments());
    {
        Database db;
        if (!openBenchDatabase(db, path, app.arguments().contains(QStringLiteral("--rebuild"))))
            return 1;
        // One employee with 200 loan entries, as years of small loans leave them.
        const int employee = 1 + employees * 86 / 100; // 4321 of 5,000
        QSqlQuery loan(db.connection());
        loan.prepare(QStringLiteral("INSERT INTO loan VALUES (?, 'EMPLOYEE %1', 10000000, 1000000, ?, '10:00:00',"
                                    " 'STORES', ?)")
                         .arg(employee));
        {
            Transaction t(db);
            for (int i = 0; i < 200; ++i) {
                loan.addBindValue(employee);
                loan.addBindValue(dates::storageText(firstMonth.addDays(i * 30)));
                loan.addBindValue(company + QStringLiteral(" BENCH LOANS"));
                if (!loan.exec())
                    return 1;
            }
            if (!t.commit())
                return 1;
        }
        BenchOperator op(db);
        AppContext& context = op.context;
        LoanWindow window(context);
        window.show();
        settle();
        auto* number = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
        auto* entries = window.findChild<QTableWidget*>(QStringLiteral("MSHFlexGrid1"));
        auto* recoveries = window.findChild<QTableWidget*>(QStringLiteral("MSHFlexGrid2"));
        const auto choose = [&](int id) {
            number->setEditText(QString::number(id));
            QTest::keyClick(number->lineEdit(), Qt::Key_Return);
            settle();
        };
        const auto check = [&] {
            if (entries->rowCount() < 200 || recoveries->rowCount() != months)
                std::abort();
        };
        // The floor: the statements choosing sends, bare: the employee, the loan entries and the
        // months' recoveries.
        const auto bare = [&](int) {
            const QVariantList id{employee};
            if (bareQuery(db, QStringLiteral("SELECT * FROM emp WHERE ID = ?"), id) != 1 ||
                bareQuery(db, QStringLiteral("SELECT * FROM loan WHERE ID = ? ORDER BY ldt, ltm, rowid"), id) < 200 ||
                bareQuery(db,
                          QStringLiteral("SELECT ID, emname, loanrec, ddate, company FROM payroll WHERE ID = ?"
                                         " ORDER BY ddate, transid"),
                          id) != months)
                std::abort();
        };
        const auto cold = [&](int) {
            choose(1);
            reopenCold(db, path);
        };
        const auto chooseIt = [&](int) {
            choose(employee);
            check();
        };
        figure("choosing an employee in the loans (200 entries, 200 months), cold", measure(5, cold, chooseIt),
               measure(5, cold, bare), "ms");
        figure("choosing an employee in the loans (200 entries, 200 months), warm",
               measure(
                   21, [&](int) { choose(1); }, chooseIt, true),
               measure(
                   21, [](int) {}, bare, true),
               "ms");
        QSqlQuery cleanUp(db.connection());
        cleanUp.exec(QStringLiteral("DELETE FROM loan WHERE company = 'BENCH COMPANY BENCH LOANS'"));
    }

    // Deleting all payroll rows of a company of 200,000 rows, on a copy of the database.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("hr.db"));
    if (!QFile::copy(path, copy))
        return 1;
    Database db;
    if (!db.open(copy))
        return 1;
    const QString other = QStringLiteral("SECOND COMPANY");
    QSqlQuery move(db.connection());
    // 200,000 rows (a fifth of the database at the usual size, all of it at a tenth).
    const qint64 moved = std::min<qint64>(200000, qint64(employees) * months);
    move.prepare(QStringLiteral("UPDATE payroll SET company = ? WHERE transid <= %1").arg(moved));
    move.addBindValue(other);
    if (!move.exec() || !UserRepository(db).setDeletePassword(QStringLiteral("del")))
        return 1;
    execute(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    // The backup alone, as the deletion takes it (a fresh copy, written, synced and read back).
    QTemporaryDir backups;
    const FixedClock clock(QDateTime(dates::lastOfMonth(lastMonth), QTime(10, 0)));
    QElapsedTimer alone;
    alone.start();
    const BackupOutcome copied = BackupService(db, clock).takeFresh();
    const double backupSeconds = double(alone.nsecsElapsed()) / 1e9;
    if (!copied.taken()) {
        std::fprintf(stderr, "the backup failed: %s\n", qPrintable(copied.reason));
        return 1;
    }
    // Its floor: the file's bytes copied raw and synced.
    QElapsedTimer raw;
    raw.start();
    if (!rawCopy(path, backups.filePath(QStringLiteral("raw.db"))))
        return 1;
    figure("the backup a deletion takes: a fresh copy, synced and read back", backupSeconds,
           double(raw.nsecsElapsed()) / 1e9, "s");

    BenchOperator op(db, other);
    ScriptedPrompter& prompter = op.prompter;
    AppContext& context = op.context;
    PayrollDeletionWindow window(context);
    window.show();
    settle();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    window.findChild<QLineEdit*>(QStringLiteral("Text6"))->setText(QStringLiteral("del"));
    prompter.answer(true);
    const double seconds = measure(
        1, [](int) {},
        [&](int) {
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command9")), Qt::LeftButton);
            settle();
        });
    if (prompter.lastText() != QStringLiteral("ALL Payroll records deleted successfully: %1 transactions.").arg(moved)) {
        std::fprintf(stderr, "the deletion said: %s\n", qPrintable(prompter.lastText()));
        return 1;
    }
    // The floor: the bare DELETE of the same rows on another copy, with the backup's copy's floor.
    const QString again = dir.filePath(QStringLiteral("again.db"));
    if (!rawCopy(path, again))
        return 1;
    double bareSeconds = 0;
    {
        Database second(QStringLiteral("again"));
        if (!second.open(again))
            return 1;
        QSqlQuery setUp(second.connection());
        if (!setUp.exec(QStringLiteral("UPDATE payroll SET company = 'SECOND COMPANY' WHERE transid <= %1").arg(moved)))
            return 1;
        execute(second, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        QElapsedTimer bare;
        bare.start();
        Transaction t(second);
        if (bareQuery(second, QStringLiteral("DELETE FROM payroll WHERE company = ?"), {other}) < 0 || !t.commit())
            return 1;
        bareSeconds = double(bare.nsecsElapsed()) / 1e9;
    }
    QElapsedTimer raw2;
    raw2.start();
    if (!rawCopy(path, backups.filePath(QStringLiteral("raw2.db"))))
        return 1;
    bareSeconds += double(raw2.nsecsElapsed()) / 1e9;
    figure("deleting all payroll of a company (200,000 rows, or all), backup included", seconds / 1000, bareSeconds, "s");
    return 0;
}
