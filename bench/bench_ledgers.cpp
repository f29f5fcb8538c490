// Measures what the operator waits for in the loan window and the payroll deletion window, on the
// benchmark database (built by the first run of any benchmark):
//   bench_ledgers [--database PATH] [--rebuild]
// Choosing runs on the database itself, with 200 loan entries added for one employee (removed
// afterwards). The deletion runs on a copy of the database in which 200,000 payroll rows belong to
// a second company, and is timed from the click on DELETE (with the right password and Yes) until
// the window says how many went: the backup copy it takes first included.

#include "bench_support.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "ledgers/loan_window.h"
#include "payroll/payroll_deletion_window.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

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
        constexpr int employee = 4321;
        QSqlQuery loan(db.connection());
        loan.prepare(QStringLiteral("INSERT INTO loan VALUES (?, 'EMPLOYEE 4321', 10000000, 1000000, ?, '10:00:00',"
                                    " 'STORES', ?)"));
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
        figure("choosing an employee in the loans (200 entries, 200 months), cold",
               measure(
                   5,
                   [&](int) {
                       choose(1);
                       reopenCold(db, path);
                   },
                   [&](int) {
                       choose(employee);
                       check();
                   }),
               "ms");
        figure("choosing an employee in the loans (200 entries, 200 months), warm",
               measure(
                   21, [&](int) { choose(1); },
                   [&](int) {
                       choose(employee);
                       check();
                   },
                   true),
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
    move.prepare(QStringLiteral("UPDATE payroll SET company = ? WHERE transid <= 200000"));
    move.addBindValue(other);
    if (!move.exec() || !UserRepository(db).setDeletePassword(QStringLiteral("del")))
        return 1;
    execute(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
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
    if (prompter.lastText() != QStringLiteral("ALL Payroll records deleted successfully: 200000 transactions.")) {
        std::fprintf(stderr, "the deletion said: %s\n", qPrintable(prompter.lastText()));
        return 1;
    }
    figure("deleting all payroll of a company (200,000 rows), backup included", seconds / 1000, "s");
    return 0;
}
