// Measures every operator action on SQLite and on PostgreSQL side by side, with the statements each
// action has the server run (from the server's own statistics) and the round trips it waits for
// (counted by a relay between the benchmark and the server):
//   bench_backends --postgresql postgresql://USER@HOST:PORT/DBNAME [--database PATH] [--scale F]
//                  [--latency MS]
// The file database is built on first use as by every benchmark; the server's database is made the
// same with COPY when it holds no payroll yet. For the statement counts the server must load
// pg_stat_statements (shared_preload_libraries=pg_stat_statements). Cold runs on the server open a
// new connection; the server's own cache stays warm. --latency holds each round trip that long in
// the relay, as a workstation across the office's network would wait.

#include "bench_support.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "employees/employee_list_window.h"
#include "ledgers/loan_window.h"
#include "payroll/payroll_window.h"
#include "payroll/payslip_window.h"
#include "reports/range_reports.h"
#include "reports/report_viewer.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

using namespace bench;

namespace {

struct Action {
    const char* what;
    int runs;
    std::function<void(int)> prepare;
    std::function<void(int)> act;
    // The same reading through the database library's own API; none where the action's work is
    // not reading (a window's making, a save's checks).
    std::function<void(int)> floor = {};
};

struct Measured {
    double cold = 0;
    double warm = 0;
    double floor = -1;
    qint64 statements = -1;
    qint64 roundTrips = -1;
};

// The actions of the windows on one database, each checked to have done its work.
class Desk {
public:
    Desk(Database& db, QString location) : m_db(db), m_location(std::move(location)), m_op(db) {}

    std::vector<Action> actions()
    {
        const auto employeeOf = [](int run) { return 1 + (run * 997) % employees; };
        const auto choose = [](QComboBox* number, qint64 id) {
            number->setEditText(QString::number(id));
            QTest::keyClick(number->lineEdit(), Qt::Key_Return);
            settle();
        };
        return {
            {"opening the payroll window", 5, [this](int) { m_payroll.reset(); },
             [this](int) { opened(m_payroll); }},
            {"choosing an employee in the payroll window", 21, [](int) {},
             [=, this](int run) {
                 choose(payroll()->findChild<QComboBox*>(QStringLiteral("cboEmpID")), employeeOf(run));
             }},
            {"showing another month's list", 11, [](int) {},
             [this](int run) {
                 payroll()->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))
                     ->setDate(dates::lastOfMonth(lastMonth.addMonths(-1 - run % 24)));
                 settle();
             },
             [this](int run) {
                 const QDate month = lastMonth.addMonths(-1 - run % 24);
                 floorRead(QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"),
                           {company, dates::storageText(month), dates::storageText(dates::lastOfMonth(month))});
             }},
            {"saving a transaction (its second of the month)", 11,
             [=, this](int run) {
                 payroll()->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(dates::lastOfMonth(lastMonth));
                 choose(payroll()->findChild<QComboBox*>(QStringLiteral("cboEmpID")), employeeOf(run + 3));
                 payroll()->findChild<QLineEdit*>(QStringLiteral("txtNumDays"))->setText(QStringLiteral("26"));
                 m_op.prompter.answer(true);
                 m_op.prompter.answer(true);
             },
             [this](int) {
                 QTest::mouseClick(payroll()->findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);
                 settle();
             }},
            {"choosing an employee in the loans", 11,
             [this](int) { opened(m_loans); },
             [=, this](int run) {
                 choose(m_loans->findChild<QComboBox*>(QStringLiteral("Combo1")), employeeOf(run + 11));
                 if (m_loans->findChild<QTableWidget*>(QStringLiteral("MSHFlexGrid2"))->rowCount() < months)
                     std::abort();
             },
             [=, this](int run) {
                 const qint64 id = employeeOf(run + 11);
                 floorRead(QStringLiteral("SELECT * FROM loan WHERE ID = ?"), {id});
                 floorRead(QStringLiteral("SELECT ID, emname, loanrec, ddate, company FROM payroll WHERE ID = ?"), {id});
             }},
            {"one year's payroll report: rows, totals and count", 5, [](int) {},
             [this](int) {
                 const auto rows =
                     PayrollRepository(m_db).select(PayrollSelection::range(company, {2025, 1, 1}, {2025, 12, 31}));
                 if (!rows || rows->size() != 12 * employees || report::payrollGridTotals(*rows).isEmpty())
                     std::abort();
             },
             [this](int) {
                 floorRead(QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"),
                           {company, QStringLiteral("2025-01-01"), QStringLiteral("2025-12-31")});
             }},
            {"opening the employee list", 5, [this](int) { m_list.reset(); },
             [this](int) {
                 if (opened(m_list)->findChild<QTableView*>(QStringLiteral("lvlEmpInfo"))->model()->rowCount() != employees)
                     std::abort();
             },
             [this](int) { floorRead(QStringLiteral("SELECT * FROM emp"), {}); }},
            {"Print All payslips of the month to the preview", 5,
             [this](int) {
                 for (ReportViewer* viewer : opened(m_payslips)->findChildren<ReportViewer*>())
                     delete viewer;
             },
             [this](int) {
                 QTest::mouseClick(m_payslips->findChild<QPushButton*>(QStringLiteral("cmdPrintAll")), Qt::LeftButton);
                 settle();
                 if (m_payslips->findChildren<ReportViewer*>().isEmpty())
                     std::abort();
             }},
        };
    }

    // Each action cold (a new connection first), warm, and its statements on a server.
    std::vector<Measured> measureAll(StatementCounter& counter, RoundTripRelay* relay)
    {
        std::vector<Measured> all;
        for (const Action& a : actions()) {
            Measured m;
            m.cold = measure(
                3,
                [&](int run) {
                    a.prepare(run);
                    reopenCold(m_db, m_location);
                },
                a.act);
            m.warm = measure(a.runs, a.prepare, a.act, true);
            if (a.floor)
                m.floor = measure(a.runs, [](int) {}, a.floor, true);
            a.prepare(a.runs);
            m.statements = counter.count([&] {
                if (relay)
                    m.roundTrips = relay->count([&] { a.act(a.runs); });
                else
                    a.act(a.runs);
            });
            all.push_back(m);
        }
        return all;
    }

private:
    PayrollWindow* payroll() { return opened(m_payroll); }

    void floorRead(const QString& sql, const QVariantList& values)
    {
        if (bareQuery(m_db, sql, values) < 0)
            std::abort();
    }

    // The window, opened and shown first when it is not open.
    template <typename Window>
    Window* opened(std::unique_ptr<Window>& window)
    {
        if (!window) {
            window = std::make_unique<Window>(m_op.context);
            window->show();
            settle();
        }
        return window.get();
    }

    Database& m_db;
    QString m_location;
    BenchOperator m_op;
    std::unique_ptr<PayrollWindow> m_payroll;
    std::unique_ptr<LoanWindow> m_loans;
    std::unique_ptr<EmployeeListWindow> m_list;
    std::unique_ptr<PayslipWindow> m_payslips;
};

qint64 lastTransaction(const Database& db)
{
    SqlQuery q(db, QStringLiteral("SELECT max(transid) FROM payroll"));
    const auto top = q.single();
    return top ? top->toLongLong() : std::numeric_limits<qint64>::max();
}

// The rows the timed saves stored are taken out again, so that every run starts alike.
void forgetSaves(const Database& db, qint64 kept)
{
    SqlQuery q(db, QStringLiteral("DELETE FROM payroll WHERE transid > ?"));
    q.bind(kept);
    q.exec();
}

} // namespace

int main(int argc, char** argv)
{
    quietOffscreen();
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int at = int(arguments.indexOf(QStringLiteral("--postgresql")));
    if (at < 0 || at + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: bench_backends --postgresql postgresql://USER@HOST:PORT/DBNAME [--database PATH]"
                             " [--scale F] [--latency MS]\n");
        return 2;
    }
    const QString address = arguments.at(at + 1);
    // The server as a workstation across a network would reach it: each round trip held this long.
    const int latencyAt = int(arguments.indexOf(QStringLiteral("--latency")));
    const double latency = latencyAt > 0 && latencyAt + 1 < arguments.size() ? arguments.at(latencyAt + 1).toDouble() : 0;
    std::vector<Measured> lite;
    std::vector<Measured> server;
    std::vector<const char*> names;
    {
        Database db;
        const QString path = openBenchDatabase(db, arguments);
        if (path.isEmpty())
            return 1;
        db.close();
        if (!copyToServer(path, address) || !db.open(path))
            return 1;
        StatementCounter none(path);
        const qint64 kept = lastTransaction(db);
        {
            Desk desk(db, path);
            for (const Action& a : desk.actions())
                names.push_back(a.what);
            lite = desk.measureAll(none, nullptr);
        }
        forgetSaves(db, kept);
    }
    {
        RoundTripRelay relay(address, int(latency * 1000));
        Database db(QStringLiteral("server"));
        if (Status s = db.open(relay.address()); !s) {
            std::fprintf(stderr, "%s\n", qPrintable(s.error()));
            return 1;
        }
        StatementCounter counter(address);
        if (!counter.available())
            std::fprintf(stderr, "no statement counts: the server does not load pg_stat_statements\n");
        const qint64 kept = lastTransaction(db);
        {
            Desk desk(db, relay.address());
            server = desk.measureAll(counter, &relay);
        }
        forgetSaves(db, kept);
    }
    std::printf("%s\n", qPrintable(sizeText()));
    // The floor is the bare reading, warm; the ratio is the warm figure's to it.
    const auto floorText = [](const Measured& m) {
        return m.floor < 0 ? QStringLiteral("%1 %2").arg(QStringLiteral("-"), 8).arg(QStringLiteral("-"), 6)
                           : QStringLiteral("%1 %2").arg(m.floor, 8, 'f', 2).arg(m.warm / m.floor, 5, 'f', 1) + u'x';
    };
    if (latency > 0)
        std::printf("the server %.1f ms away: each round trip held that long\n", latency);
    std::printf("%-52s %7s %7s %8s %6s %8s %7s %8s %6s %6s %6s\n", "median ms", "SQLite", "", "", "", "server", "", "",
                "", "state-", "round");
    std::printf("%-52s %7s %7s %8s %6s %8s %7s %8s %6s %6s %6s\n", "", "cold", "warm", "floor", "ratio", "cold",
                "warm", "floor", "ratio", "ments", "trips");
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("%-52s %7.2f %7.2f %s %8.2f %7.2f %s %6lld %6lld\n", names[i], lite[i].cold, lite[i].warm,
                    qPrintable(floorText(lite[i])), server[i].cold, server[i].warm, qPrintable(floorText(server[i])),
                    static_cast<long long>(server[i].statements), static_cast<long long>(server[i].roundTrips));
    return 0;
}
