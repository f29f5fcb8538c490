#include "ledger_facts.h"

#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/schema.h"
#include "data/sql_query.h"
#include "data/statutory_repository.h"
#include "rules/record_rules.h"

#include <tuple>

namespace {

// Whether the table holds a row, as a read to run with others: null when it holds none.
ScalarRead anyRow(const char* table)
{
    return {QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(QLatin1String(table)), {}};
}

qint64 monthNumber(QDate date)
{
    return qint64(date.year()) * 12 + date.month() - 1;
}

} // namespace

Status LedgerFacts::begin()
{
    const auto empty = schema::holdsNoData(m_db);
    if (!empty)
        return empty.status();
    m_startedEmpty = *empty;
    const auto read = readTogether(m_db, {anyRow("emp"), anyRow("payroll"), anyRow("loan"), anyRow("adv"),
                                          anyRow("closedmonth"), anyRow("statrule"),
                                          {QStringLiteral("SELECT max(transid) FROM payroll"), {}}});
    if (!read)
        return read.status();
    bool* any[] = {&m_anyEmployee, &m_anyPayroll, &m_anyLoan, &m_anyAdvance, &m_anyClosed, &m_anyRules};
    for (int i = 0; i < 6; ++i)
        *any[i] = !read->at(i).isNull();
    m_largestTransId = read->at(6).toLongLong();
    const auto companies = CompanyRepository(m_db).list();
    if (!companies)
        return companies.status();
    for (const Company& c : *companies)
        companyAdded(c.name);
    return {};
}

Result<const Employee*> LedgerFacts::employee(qint64 id)
{
    auto found = m_employees.find(id);
    if (found == m_employees.end()) {
        std::optional<Employee> stored;
        if (m_anyEmployee) {
            auto read = EmployeeRepository(m_db).find(id);
            if (!read)
                return read.status();
            stored = std::move(read.value());
        }
        found = m_employees.emplace(id, std::move(stored)).first;
    }
    return found->second ? &*found->second : static_cast<const Employee*>(nullptr);
}

void LedgerFacts::employeeAdded(const Employee& employee)
{
    m_employees[employee.id] = employee;
}

QString LedgerFacts::company(const QString& name)
{
    if (name != m_lastAsked) {
        m_lastAsked = name;
        m_lastSpelt = m_companies.value(rules::companyName(name));
    }
    return m_lastSpelt;
}

void LedgerFacts::companyAdded(const QString& name)
{
    m_companies.insert(rules::companyName(name), name);
    m_lastAsked.clear();
}

Status LedgerFacts::knownCompany(QString& company, bool history)
{
    if (const QString spelt = this->company(company); !spelt.isEmpty())
        company = spelt;
    else if (!history || !wasDeleted(company))
        return Status::refused(QStringLiteral("company"), CompanyRepository::missing(company));
    return {};
}

Status LedgerFacts::knownParties(qint64 employeeId, QString& company, bool history, const Employee*& employee)
{
    if (Status s = knownCompany(company, history); !s)
        return s;
    const auto found = this->employee(employeeId);
    if (!found)
        return found.status();
    employee = *found;
    if (employee || (history && wasDeleted(employeeId)))
        return {};
    if (const auto broken = rules::number(QStringLiteral("ID"), QStringLiteral("the employee number"), employeeId,
                                          rules::maxEmployeeId))
        return Status::refused(broken->field, broken->message);
    return Status::refused(QStringLiteral("ID"), EmployeeRepository::missing(employeeId));
}

Result<std::optional<ClosedMonth>> LedgerFacts::closedMonth(const QString& company, QDate date)
{
    const qint64 key = monthKey(company, 0, date);
    if (const auto found = m_months.constFind(key); found != m_months.cend())
        return *found;
    std::optional<ClosedMonth> closed;
    // Held as it is from here on, so that a month closed at another workstation meanwhile waits for
    // this writing, and one closed before is found closed. A database that held nothing has none.
    if (!m_startedEmpty) {
        if (Status s = lockMonth(m_db, company, date, false); !s)
            return s;
        const auto found = MonthCloseRepository(m_db).find(company, date);
        if (!found)
            return found.status();
        closed = *found;
    }
    m_months.insert(key, closed);
    return closed;
}

void LedgerFacts::monthClosed(const ClosedMonth& month)
{
    m_months.insert(monthKey(month.company, 0, month.month), month);
}

Result<statutory::Rules> LedgerFacts::rules(const QString& company, QDate date)
{
    if (!m_anyRules)
        return statutory::Rules{};
    auto book = m_books.constFind(company);
    if (book == m_books.cend()) {
        const auto read = StatutoryRepository(m_db).book(company);
        if (!read)
            return read.status();
        book = m_books.insert(company, *read);
    }
    return book->on(date);
}

Result<LedgerFacts::Ledger*> LedgerFacts::ledger(qint64 employeeId)
{
    if (auto found = m_ledgers.find(employeeId); found != m_ledgers.end())
        return &found->second;
    Ledger ledger;
    if (m_anyLoan) {
        const LoanRepository loans(m_db);
        const auto lent = loans.totalLent(employeeId);
        const auto latest = loans.latest(employeeId);
        if (!lent)
            return lent.status();
        if (!latest)
            return latest.status();
        ledger.lent = *lent;
        if (*latest) {
            ledger.monthly = (*latest)->monthlyDeduction;
            ledger.latest = (*latest)->date;
            ledger.latestTime = (*latest)->time;
        }
    }
    if (m_anyPayroll) {
        const auto recovered = PayrollRepository(m_db).loanRecovered(employeeId);
        if (!recovered)
            return recovered.status();
        ledger.recovered = *recovered;
    }
    return &m_ledgers.emplace(employeeId, ledger).first->second;
}

Status LedgerFacts::lent(const Loan& loan)
{
    const auto ledger = this->ledger(loan.employeeId);
    if (!ledger)
        return ledger.status();
    Ledger& l = **ledger;
    l.lent = l.lent.plus(loan.amount).value_or(l.lent);
    // The latest loan decides the instalment; of one moment, the one entered last.
    if (!l.monthly || std::tuple(loan.date, loan.time) >= std::tuple(l.latest, l.latestTime)) {
        l.monthly = loan.monthlyDeduction;
        l.latest = loan.date;
        l.latestTime = loan.time;
    }
    return {};
}

Status LedgerFacts::recovered(qint64 employeeId, Currency amount)
{
    const auto ledger = this->ledger(employeeId);
    if (!ledger)
        return ledger.status();
    (*ledger)->recovered = (*ledger)->recovered.plus(amount).value_or((*ledger)->recovered);
    return {};
}

Result<Currency> LedgerFacts::monthAdvances(qint64 employeeId, QDate date)
{
    const qint64 key = employeeId * 100000 + monthNumber(date);
    if (const auto found = m_advances.constFind(key); found != m_advances.cend())
        return *found;
    Currency total;
    if (m_anyAdvance) {
        const auto read = AdvanceRepository(m_db).monthTotal(employeeId, date);
        if (!read)
            return read.status();
        total = *read;
    }
    m_advances.insert(key, total);
    return total;
}

Status LedgerFacts::advanced(const Advance& advance)
{
    const auto total = monthAdvances(advance.employeeId, advance.date);
    if (!total)
        return total.status();
    m_advances.insert(advance.employeeId * 100000 + monthNumber(advance.date),
                      total->plus(advance.amount).value_or(*total));
    return {};
}

qint64 LedgerFacts::monthKey(const QString& company, qint64 employeeId, QDate date)
{
    auto number = m_companyNumbers.constFind(company);
    if (number == m_companyNumbers.cend())
        number = m_companyNumbers.insert(company, int(m_companyNumbers.size()));
    // Company, employee (below 2^30) and month (below 2^18) in one number: a year of a large
    // office's rows is a few megabytes of keys.
    return (qint64(*number) << 48) | (employeeId << 18) | monthNumber(date);
}

Result<qint64> LedgerFacts::firstOfMonth(const QString& company, qint64 employeeId, QDate date)
{
    const qint64 key = monthKey(company, employeeId, date);
    if (const auto found = m_monthFirst.constFind(key); found != m_monthFirst.cend())
        return *found;
    qint64 first = 0;
    if (m_anyPayroll) {
        const auto read = readOne(m_db, PayrollRepository::firstOfMonthRead(company, employeeId, date));
        if (!read)
            return read.status();
        first = read->toLongLong();
    }
    m_monthFirst.insert(key, first);
    return first;
}

void LedgerFacts::transactionAdded(const QString& company, qint64 employeeId, QDate date, qint64 first)
{
    const qint64 key = monthKey(company, employeeId, date);
    if (m_monthFirst.value(key) == 0)
        m_monthFirst.insert(key, first);
}

Result<bool> LedgerFacts::transactionTaken(qint64 transId)
{
    if (m_transIds.contains(transId))
        return true;
    if (transId > m_largestTransId)
        return false;
    const auto read = readOne(m_db, PayrollRepository::numberTakenRead(transId));
    if (!read)
        return read.status();
    return read->toLongLong() > 0;
}
