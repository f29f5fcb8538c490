#include "payroll_batch.h"

#include "common/dates.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/database.h"
#include "data/dialect.h"
#include "data/ledger_facts.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/payroll_row.h"
#include "rules/names.h"
#include "rules/pay_calculation.h"
#include "rules/record_rules.h"
#include "rules/statutory.h"

#include <algorithm>

namespace {

// The figures a row may give that are worked out, with the words a refusal names them by.
struct WorkedOutFigure {
    const char* column;
    const char* caption;
    Currency (*of)(const PayrollTransaction&);
};

const WorkedOutFigure workedOutFigures[] = {
    {"earn", "The present days salary", [](const PayrollTransaction& t) { return t.presentDaysSalary; }},
    {"tad", "The total additional", [](const PayrollTransaction& t) { return t.totalAdditional; }},
    {"td", "The total deductions", [](const PayrollTransaction& t) { return t.totalDeductions; }},
    {"netpay", "The net pay", [](const PayrollTransaction& t) { return t.netPay; }},
    {"pfwages", "The provident fund wages", [](const PayrollTransaction& t) { return t.statutory.pfWages; }},
    {"pswages", "The pension wages", [](const PayrollTransaction& t) { return t.statutory.pensionWages; }},
    {"pfemp", "The provident fund", [](const PayrollTransaction& t) { return t.statutory.pfEmployee; }},
    {"pfpen", "The pension contribution", [](const PayrollTransaction& t) { return t.statutory.pension; }},
    {"pfer", "The employer's provident fund", [](const PayrollTransaction& t) { return t.statutory.pfEmployer; }},
    {"esiwages", "The insurance wages", [](const PayrollTransaction& t) { return t.statutory.esiWages; }},
    {"esiemp", "The insurance", [](const PayrollTransaction& t) { return t.statutory.esiEmployee; }},
    {"esier", "The employer's insurance", [](const PayrollTransaction& t) { return t.statutory.esiEmployer; }},
    {"ptax", "The professional tax", [](const PayrollTransaction& t) { return t.statutory.professionalTax; }},
};

bool gives(quint64 given, const char* column)
{
    return given & PayrollBatch::givenBit(QLatin1String(column));
}

Status disagreement(const char* column, const QString& caption, Currency given, Currency workedOut, const QString& why)
{
    return Status::refused(QLatin1String(column), QStringLiteral("%1 given is %2, but %3 %4: leave the column empty to "
                                                                 "have it worked out, or correct the row.")
                                                      .arg(caption, given.toString(), why, workedOut.toString()));
}

QString monthCaption(QDate date)
{
    return dates::monthName(date) + u' ' + QString::number(date.year());
}

} // namespace

PayrollBatch::PayrollBatch(const Database& database, LedgerFacts& facts, Figures figures, bool secondInMonth)
    : m_db(database), m_facts(facts), m_figures(figures), m_secondInMonth(secondInMonth),
      m_insert(std::make_unique<SqlQuery>(
          database, insertStatement(QStringLiteral("payroll"), payroll_row::columns(), QStringLiteral("transid")))),
      m_numbered(std::make_unique<SqlQuery>(
          database, insertStatement(QStringLiteral("payroll"), QStringList{QStringLiteral("transid")} + payroll_row::columns())))
{
}

Status PayrollBatch::begin()
{
    const auto groups = MasterRepository(m_db, MasterRepository::Kind::Group).list();
    if (!groups)
        return groups.status();
    for (const MasterEntry& group : *groups)
        m_groups << group.name;
    return {};
}

quint64 PayrollBatch::givenBit(const QString& column)
{
    if (column == QStringLiteral("transid"))
        return transIdGiven;
    const qsizetype at = payroll_row::columns().indexOf(column);
    return at < 0 ? 0 : quint64(1) << at;
}

Status PayrollBatch::add(PayrollTransaction t, quint64 given, qint64 line)
{
    t = rules::normalised(t);
    if (const auto broken = rules::check(t))
        return Status::refused(broken->field, broken->message);
    const Employee* employee = nullptr;
    if (Status s = m_facts.knownParties(t.employeeId, t.company, m_figures == Figures::AsPaid, employee); !s)
        return s;
    if (m_figures == Figures::WorkedOut)
        if (Status s = fillIn(t, given, *employee); !s)
            return s;
    for (Status s : {checkMonth(t), checkRecovery(t)})
        if (!s)
            return s;
    if (Status s = m_figures == Figures::WorkedOut ? workOut(t, given, *employee) : checkPaid(t); !s)
        return s;
    if (Status s = checkNumber(t, line); !s)
        return s;
    if (Status s = write(t, line); !s)
        return s;
    // A second transaction let in under a number of its own may come before the month's others:
    // they owe what it does not.
    if (m_figures == Figures::WorkedOut && m_secondInMonth && t.transId > 0)
        return PayrollRepository(m_db).reworkMonth(t.company, t.employeeId, t.payDate);
    return {};
}

Status PayrollBatch::fillIn(PayrollTransaction& t, quint64 given, const Employee& employee)
{
    // What the window takes from the employee and their ledgers when they are chosen: a row that
    // names the employee or the department otherwise is of someone else, or mistyped.
    if (!gives(given, "emname"))
        t.name = employee.name;
    else if (!names::lookAlike(t.name, employee.name))
        return Status::refused(QStringLiteral("emname"), QStringLiteral("Employee number %1 is %2, not %3.")
                                                             .arg(t.employeeId)
                                                             .arg(employee.name, t.name));
    if (!gives(given, "dept"))
        t.department = employee.department;
    else if (rules::masterName(t.department) != employee.department)
        return Status::refused(QStringLiteral("dept"), QStringLiteral("Employee number %1 is of the department %2, "
                                                                      "not %3.")
                                                           .arg(t.employeeId)
                                                           .arg(employee.department, t.department));
    // The group is the clerk's to choose, from the group master, as in the window.
    if (!gives(given, "grp"))
        t.group = employee.group;
    else if (const auto broken = rules::inMaster(QStringLiteral("grp"), QStringLiteral("group"),
                                                 rules::masterName(t.group), m_groups))
        return Status::refused(broken->field, broken->message);
    else
        t.group = rules::masterName(t.group);
    const Currency rate = employee.basicRate.rounded(0).value_or(employee.basicRate);
    if (!gives(given, "monthrate"))
        t.monthRate = rate;
    else if (t.monthRate != rate)
        return disagreement("monthrate", QStringLiteral("The monthly rate"), t.monthRate, rate,
                            QStringLiteral("employee number %1's rate is").arg(t.employeeId));
    const auto ledger = m_facts.ledger(t.employeeId);
    if (!ledger)
        return ledger.status();
    if (!gives(given, "totloan"))
        t.totalLoan = (*ledger)->lent;
    else if (t.totalLoan != (*ledger)->lent)
        return disagreement("totloan", QStringLiteral("The loan amount"), t.totalLoan, (*ledger)->lent,
                            QStringLiteral("employee number %1 has been lent").arg(t.employeeId));
    if (!gives(given, "loanrec"))
        t.loanRecovered = offeredLoanDeduction((*ledger)->monthly, (*ledger)->lent, (*ledger)->recovered);
    if (!gives(given, "advances")) {
        const auto advances = m_facts.monthAdvances(t.employeeId, t.payDate);
        if (!advances)
            return advances.status();
        t.advances = *advances;
    }
    return {};
}

Status PayrollBatch::checkMonth(const PayrollTransaction& t)
{
    const auto closed = m_facts.closedMonth(t.company, t.payDate);
    if (!closed)
        return closed.status();
    if (*closed)
        return Status::refused(QStringLiteral("ddate"), closedMonthRefusal(**closed, payroll_row::closedWhat()));
    // A second transaction of a month is the clerk's decision, asked for as the window asks it; in a
    // history it was decided when it was paid.
    if (m_secondInMonth || m_figures == Figures::AsPaid)
        return {};
    const auto first = m_facts.firstOfMonth(t.company, t.employeeId, t.payDate);
    if (!first)
        return first.status();
    if (*first == 0)
        return {};
    ++m_secondsRefused;
    const QString which = *first > 0 ? QStringLiteral("transaction %1").arg(*first)
                                     : QStringLiteral("the transaction of line %1").arg(-*first);
    return Status::refused(QStringLiteral("ddate"),
                           QStringLiteral("Employee number %1 has %2 in %3 already: a second transaction of a month "
                                          "is imported only when asked for.")
                               .arg(t.employeeId)
                               .arg(which, monthCaption(t.payDate)));
}

Status PayrollBatch::checkRecovery(const PayrollTransaction& t)
{
    if (t.loanRecovered.isZero())
        return {};
    // Nothing is recovered beyond what was lent, as at every other door.
    const auto ledger = m_facts.ledger(t.employeeId);
    if (!ledger)
        return ledger.status();
    const Currency owed = std::max(Currency(), (*ledger)->lent.minus((*ledger)->recovered).value_or(Currency()));
    if (t.loanRecovered <= owed)
        return {};
    return Status::refused(QStringLiteral("loanrec"),
                           QStringLiteral("The loan deduction %1 is more than the %2 employee number %3 still owes "
                                          "(%4 lent, %5 recovered).")
                               .arg(t.loanRecovered.toString(), owed.toString())
                               .arg(t.employeeId)
                               .arg((*ledger)->lent.toString(), (*ledger)->recovered.toString()));
}

Status PayrollBatch::checkNumber(const PayrollTransaction& t, qint64 line)
{
    if (t.transId == 0)
        return {};
    const auto taken = m_facts.transactionTaken(t.transId);
    if (!taken)
        return taken.status();
    if (*taken)
        return Status::refused(QStringLiteral("transid"),
                               QStringLiteral("The transaction number %1 is taken already.").arg(t.transId));
    // In data in use a number jumps no further ahead than the file's rows: a mistyped one must not
    // use up the numbers left for the years to come.
    const qint64 reach = m_facts.largestTransaction() + line;
    if (m_figures == Figures::WorkedOut && t.transId > reach)
        return Status::refused(QStringLiteral("transid"),
                               QStringLiteral("The transaction number %1 is far beyond the next ones (up to %2 for "
                                              "this line): leave it empty, and the transaction is numbered as the "
                                              "window numbers it.")
                                   .arg(t.transId)
                                   .arg(reach));
    return {};
}

// The history of another system is kept as it was paid, whatever its arithmetic, but no month pays
// more than its days can earn (at most a 26th of the monthly rate a day, the largest divisor's day)
// nor deducts more than its rules allow.
Status PayrollBatch::checkPaid(const PayrollTransaction& t)
{
    // Each day present paid a 26th, as the most generous arithmetic another system may have had.
    const auto monthly = t.monthRate.rounded(0);
    const auto day = monthly ? monthly->dividedBy(26) : std::nullopt;
    const auto daily = day ? day->rounded(2) : std::nullopt;
    const auto earned =
        daily ? statutory::earned(statutory::Divisor::Calendar, t.payDate, *monthly, *daily, t.daysPresent) : std::nullopt;
    if (earned && t.presentDaysSalary > *earned)
        return Status::refused(QStringLiteral("earn"),
                               QStringLiteral("The present days salary (%1) is more than %2 days can earn on the "
                                              "monthly rate of %3 (%4 at the most).")
                                   .arg(t.presentDaysSalary.toString(), t.daysPresent.toString(), t.monthRate.toString(),
                                        earned->toString()));
    const auto rules = m_facts.rules(t.company, t.payDate);
    if (!rules)
        return rules.status();
    if (const auto broken = statutory::possible(*rules, t.statutory))
        return Status::refused(broken->field, broken->message);
    return {};
}

Status PayrollBatch::workOut(PayrollTransaction& t, quint64 given, const Employee& employee)
{
    const auto rules = m_facts.rules(t.company, t.payDate);
    if (!rules)
        return rules.status();
    // The deductions are the employee's month's, as a save works them out: the rows written before
    // this one are in the database already, in this transaction.
    statutory::MonthSoFar earlier;
    if (rules->monthWise()) {
        const auto before = PayrollRepository(m_db).monthBefore(t, *rules, employee.exemptions);
        if (!before)
            return before.status();
        earlier = *before;
    }
    const auto worked = withFiguresWorkedOut(t, *rules, employee.exemptions, earlier);
    if (!worked)
        return Status::refused(QStringLiteral("earn"), QStringLiteral("The pay of employee number %1 is too large to "
                                                                      "work out.")
                                                           .arg(t.employeeId));
    for (const WorkedOutFigure& figure : workedOutFigures)
        if (gives(given, figure.column) && figure.of(t) != figure.of(*worked))
            return disagreement(figure.column, QLatin1String(figure.caption), figure.of(t), figure.of(*worked),
                                QStringLiteral("it works out to"));
    t = *worked;
    // The worked-out figures keep the limits too (a net pay beyond what a report can total).
    if (const auto broken = rules::check(t))
        return Status::refused(broken->field, broken->message);
    return {};
}

Status PayrollBatch::write(const PayrollTransaction& t, qint64 line)
{
    qint64 number = t.transId;
    if (number > 0) {
        m_numbered->bind(number);
        payroll_row::bind(*m_numbered, t);
        if (Status s = m_numbered->exec(); !s)
            return s;
        m_numberedSince = true;
    } else {
        // On a server the numbering goes on after numbers the rows gave only when told to.
        if (m_numberedSince)
            if (const QString follow = dialect::identityAfterLargest(m_db.backend(), QStringLiteral("payroll"),
                                                                     QStringLiteral("transid"));
                !follow.isEmpty())
                if (Status s = execute(m_db, follow); !s)
                    return s;
        m_numberedSince = false;
        payroll_row::bind(*m_insert, t);
        const auto given = numberGiven(*m_insert);
        if (!given)
            return given.status();
        number = *given;
        if (number > rules::maxTransactionId)
            return Status::failure(QStringLiteral("Every transaction number up to %1 has been given out.")
                                       .arg(rules::maxTransactionId));
    }
    m_facts.transactionNumbered(number);
    // A row without a number of its own is named by its line, where the clerk finds it.
    if (m_figures == Figures::WorkedOut)
        m_facts.transactionAdded(t.company, t.employeeId, t.payDate, t.transId > 0 ? t.transId : -line);
    return m_facts.recovered(t.employeeId, t.loanRecovered);
}
