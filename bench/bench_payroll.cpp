// Measures the payroll window's work on a large database:
//   bench_payroll [--database PATH] [--rebuild]
// The database (5,000 employees x 200 months = 1,000,000 payroll rows, with loans and advances) is
// built on first use and kept for later runs.

#include "common/dates.h"
#include "data/database.h"
#include "data/payroll_repository.h"
#include "payroll/employee_pay_facts.h"
#include "payroll/pay_calculation.h"
#include "payroll/payroll_month_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int employees = 5000;
constexpr int months = 200;
const QString company = QStringLiteral("BENCH COMPANY");
const QDate firstMonth(2010, 1, 31);

Currency whole(qint64 v)
{
    return *Currency::fromWhole(v);
}

bool build(Database& db)
{
    Transaction transaction(db);
    QSqlQuery emp(db.connection());
    emp.prepare(QStringLiteral(
        "INSERT INTO emp (ID, emname, dept, pos, empstat, basicrate, grp) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery pay(db.connection());
    pay.prepare(
        QStringLiteral("INSERT INTO payroll (ID, emname, monthrate, ddate, bonus, ot, totloan, ph, intax, others,"
                       " absences, earn, advances, tad, td, loanrec, travel, netpay, dept, grp, company)"
                       " VALUES (?, ?, ?, ?, 0, 0, ?, 0, 0, 0, ?, ?, ?, 0, ?, ?, 0, ?, 'STORES', 'STAFF', ?)"));
    QSqlQuery loan(db.connection());
    loan.prepare(QStringLiteral("INSERT INTO loan VALUES (?, ?, ?, ?, ?, '10:00:00', 'STORES', ?)"));
    QSqlQuery adv(db.connection());
    adv.prepare(QStringLiteral("INSERT INTO adv VALUES (?, ?, ?, ?, '10:00:00', ?)"));
    for (int id = 1; id <= employees; ++id) {
        const QString name = QStringLiteral("EMPLOYEE %1").arg(id);
        const Currency rate = whole(10000 + (id % 50) * 500);
        for (const QVariant& v :
             {QVariant(id), QVariant(name), QVariant(QStringLiteral("STORES")), QVariant(QStringLiteral("CLERK")),
              QVariant(QStringLiteral("Full Time")), QVariant(rate.units()), QVariant(QStringLiteral("STAFF"))})
            emp.addBindValue(v);
        if (!emp.exec())
            return false;
        for (int l = 0; l < 3; ++l) {
            for (const QVariant& v :
                 {QVariant(id), QVariant(name), QVariant(whole(12000).units()), QVariant(whole(1000).units()),
                  QVariant(dates::storageText(firstMonth.addMonths(l * 60))), QVariant(company)})
                loan.addBindValue(v);
            if (!loan.exec())
                return false;
        }
        for (int m = 0; m < months; ++m) {
            const QDate date = dates::lastOfMonth(firstMonth.addMonths(m));
            const bool advance = (id + m) % 10 == 0;
            if (advance) {
                for (const QVariant& v : {QVariant(id), QVariant(name), QVariant(whole(500).units()),
                                          QVariant(dates::storageText(date.addDays(-5))), QVariant(company)})
                    adv.addBindValue(v);
                if (!adv.exec())
                    return false;
            }
            const PayInputs in{rate,       date, whole(26), {}, {}, {}, advance ? whole(500) : Currency(),
                               whole(100), {},   {},        {}};
            const PayResult r = *calculatePay(in);
            for (const QVariant& v :
                 {QVariant(id), QVariant(name), QVariant(r.monthlyRate.units()), QVariant(dates::storageText(date)),
                  QVariant(whole(36000).units()), QVariant(whole(26).units()), QVariant(r.presentDaysSalary.units()),
                  QVariant(in.advances.units()), QVariant(r.totalDeductions.units()), QVariant(whole(100).units()),
                  QVariant(r.netPay.units()), QVariant(company)})
                pay.addBindValue(v);
            if (!pay.exec())
                return false;
        }
    }
    return transaction.commit().ok();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double medianMs(int runs, F&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString path = QStringLiteral("bench-payroll.db");
    const QStringList args = app.arguments();
    if (const int i = int(args.indexOf(QStringLiteral("--database"))); i > 0 && i + 1 < args.size())
        path = args[i + 1];
    if (args.contains(QStringLiteral("--rebuild")))
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);

    const bool exists = QFile::exists(path);
    Database db;
    if (Status s = db.open(path); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    if (!exists) {
        std::printf("building %d employees x %d months...\n", employees, months);
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        if (!build(db)) {
            std::fprintf(stderr, "building the database failed\n");
            return 1;
        }
        std::printf("built in %.1f s\n", double(timer.elapsed()) / 1000);
    }

    const QDate month = dates::lastOfMonth(firstMonth.addMonths(months / 2));
    const double choose = medianMs(101, [&](int i) {
        const auto facts = loadEmployeePayFacts(db, 1 + (i * 37) % employees, month);
        if (!facts || !facts->has_value())
            std::abort();
    });
    PayrollMonthModel model;
    const double list = medianMs(21, [&](int i) {
        auto rows = PayrollRepository(db).month(company, month.addMonths(-(i % 5)));
        if (!rows || rows->size() != employees)
            std::abort();
        model.setTransactions(std::move(rows.value()));
    });
    PayrollTransaction t;
    t.employeeId = 1;
    t.name = QStringLiteral("EMPLOYEE 1");
    t.payDate = month;
    t.company = QStringLiteral("BENCH SAVES"); // kept apart from the measured month
    const double save = medianMs(101, [&](int) {
        Transaction transaction(db);
        if (!PayrollRepository(db).insert(t) || !transaction.commit())
            std::abort();
    });
    QSqlQuery(db.connection()).exec(QStringLiteral("DELETE FROM payroll WHERE company = 'BENCH SAVES'"));
    constexpr int calculations = 1000000;
    qint64 checksum = 0; // printed, so the work cannot be optimised away
    const double calc = medianMs(5, [&](int run) {
        PayInputs in{whole(18500), QDate(2026, 3, 31), whole(25),
                     whole(100),   whole(50),          *Currency::parse(QStringLiteral("20.25")),
                     whole(500),   whole(1000),        whole(12),
                     whole(14),    whole(run)};
        for (int i = 0; i < calculations; ++i) {
            in.daysPresent = Currency::fromUnits(10000 * (i % 31));
            checksum += calculatePay(in)->netPay.units();
        }
    });
    std::printf("choosing an employee      %8.3f ms (median of 101)\n", choose);
    std::printf("listing a month (%d rows) %8.3f ms (median of 21)\n", employees, list);
    std::printf("saving a transaction      %8.3f ms (median of 101)\n", save);
    std::printf("pay calculations          %8.0f per second (median of 5 runs of %d)\n", calculations / (calc / 1000),
                calculations);
    std::printf("(checksum %lld)\n", static_cast<long long>(checksum));
    return 0;
}
