#include "employee_repository.h"

#include "data/audit_trail.h"
#include "data/company_repository.h"
#include "data/database.h"
#include "data/master_repository.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

#include <QSet>

namespace {

const QStringList columns = {QStringLiteral("ID"),           QStringLiteral("emname"),   QStringLiteral("gender"),
                             QStringLiteral("status"),       QStringLiteral("address"),  QStringLiteral("dept"),
                             QStringLiteral("pos"),          QStringLiteral("empstat"),  QStringLiteral("basicrate"),
                             QStringLiteral("dateemployed"), QStringLiteral("empphoto"), QStringLiteral("grp"),
                             QStringLiteral("pfno"),         QStringLiteral("esino"),    QStringLiteral("pfexfrom"),
                             QStringLiteral("esiexfrom"),    QStringLiteral("ptexfrom"), QStringLiteral("paymode"),
                             QStringLiteral("acholder"),     QStringLiteral("acno"),     QStringLiteral("ifsc"),
                             QStringLiteral("bankname")};

Employee readEmployee(const SqlQuery& query)
{
    Employee e;
    e.id = query.number(0);
    e.name = query.text(1);
    e.gender = query.text(2);
    e.civilStatus = query.text(3);
    e.address = query.text(4);
    e.department = query.text(5);
    e.position = query.text(6);
    e.employmentStatus = query.text(7);
    e.basicRate = query.amount(8);
    e.dateEmployed = query.date(9);
    e.photo = query.text(10);
    e.group = query.text(11);
    e.pfNumber = query.text(12);
    e.esiNumber = query.text(13);
    e.exemptions = {query.date(14), query.date(15), query.date(16)};
    // A mode no version of Kestrel writes reads as a transfer: listed for the clerk, never lost.
    e.bank.mode = bank::modeFromStored(query.text(17)).value_or(bank::PayMode::Transfer);
    e.bank.holder = query.text(18);
    e.bank.account = query.text(19);
    e.bank.branchCode = query.text(20);
    e.bank.bankName = query.text(21);
    return e;
}

} // namespace

namespace {

// An insert binds every column; an update every one but the number and the basic rate (which
// increments and decrements change), in the same order.
enum class Binding { Insert, Update };

// The columns an update changes.
QStringList detailColumns()
{
    QStringList details = columns;
    details.removeAll(QStringLiteral("ID"));
    details.removeAll(QStringLiteral("basicrate"));
    return details;
}

void bindValues(SqlQuery& query, const Employee& e, Binding binding)
{
    if (binding == Binding::Insert)
        query.bind(e.id);
    query.bind(e.name)
        .bind(e.gender)
        .bind(e.civilStatus)
        .bind(e.address)
        .bind(e.department)
        .bind(e.position)
        .bind(e.employmentStatus);
    if (binding == Binding::Insert)
        query.bind(e.basicRate);
    query.bind(e.dateEmployed)
        .bind(e.photo)
        .bind(e.group)
        .bind(e.pfNumber)
        .bind(e.esiNumber)
        .bind(e.exemptions.pfFrom)
        .bind(e.exemptions.esiFrom)
        .bind(e.exemptions.ptFrom)
        .bind(bank::storedMode(e.bank.mode))
        .bind(e.bank.holder)
        .bind(e.bank.account)
        .bind(e.bank.branchCode)
        .bind(e.bank.bankName);
}

} // namespace

Result<qint64> EmployeeRepository::insert(const Employee& given)
{
    const Employee e = rules::normalised(given);
    if (const auto broken = rules::check(e))
        return Status::failure(broken->message);
    if (Status s = checkMasters(e); !s)
        return s;
    qint64 id = e.id;
    const Status stored = inWriteTransaction(m_db, [&]() -> Status {
        // The next number is read and taken under one lock: two workstations never give the same.
        if (Status s = lockEmployeeNumbers(m_db); !s)
            return s;
        if (id == 0) {
            const auto next = nextId();
            if (!next)
                return next.status();
            id = *next;
            if (id > rules::maxEmployeeId)
                return Status::failure(QStringLiteral("Every employee number up to %1 has been given out.")
                                           .arg(rules::maxEmployeeId));
        }
        SqlQuery query(m_db, insertStatement(QStringLiteral("emp"), columns));
        Employee numbered = e;
        numbered.id = id;
        bindValues(query, numbered, Binding::Insert);
        if (Status s = query.exec(); !s)
            return s;
        // The database's own numbering moves past it, in the same transaction.
        if (const QString follow =
                dialect::identityAfterLargest(m_db.backend(), QStringLiteral("emp"), QStringLiteral("ID"));
            !follow.isEmpty())
            if (Status s = execute(m_db, follow); !s)
                return s;
        return audit::recordInserted(m_db, QStringLiteral("emp"), QString::number(id));
    });
    if (!stored)
        return stored;
    return id;
}

ScalarRead EmployeeRepository::existsRead(qint64 id)
{
    return {QStringLiteral("SELECT count(*) FROM emp WHERE ID = ?"), {id}};
}

QString EmployeeRepository::missing(qint64 id)
{
    return QStringLiteral("There is no employee number %1.").arg(id);
}

rules::Verdict EmployeeRepository::checkMasters(const Employee& e, const QStringList& departments,
                                               const QStringList& groups)
{
    if (auto broken = rules::inMaster(QStringLiteral("dept"), QStringLiteral("department"), e.department, departments))
        return broken;
    return rules::inMaster(QStringLiteral("grp"), QStringLiteral("group"), e.group, groups);
}

Status EmployeeRepository::checkMasters(const Employee& e) const
{
    if (e.department.isEmpty() && e.group.isEmpty())
        return {};
    const auto departments = MasterRepository(m_db, MasterRepository::Kind::Department).list();
    const auto groups = MasterRepository(m_db, MasterRepository::Kind::Group).list();
    if (!departments)
        return departments.status();
    if (!groups)
        return groups.status();
    const auto namesOf = [](const QList<MasterEntry>& entries) {
        QStringList names;
        for (const MasterEntry& entry : entries)
            names << entry.name;
        return names;
    };
    if (const auto broken = checkMasters(e, namesOf(*departments), namesOf(*groups)))
        return Status::failure(broken->message);
    return {};
}

Result<qint64> EmployeeRepository::nextId() const
{
    // The sequence remembers numbers of deleted employees too.
    SqlQuery query(m_db, dialect::nextEmployeeId(m_db.backend()));
    const auto next = query.single();
    if (!next)
        return next.status();
    return next->toLongLong();
}

Status EmployeeRepository::update(const Employee& given)
{
    const Employee e = rules::normalised(given);
    if (const auto broken = rules::check(e))
        return Status::failure(broken->message);
    if (Status s = checkMasters(e); !s)
        return s;
    static const QStringList details = detailColumns();
    SqlQuery query(m_db, updateStatement(QStringLiteral("emp"), details, QStringLiteral("ID = ?")));
    bindValues(query, e, Binding::Update);
    query.bind(e.id);
    return audit::recorded(m_db, QStringLiteral("emp"), QStringLiteral("ID = ?"), {QVariant(e.id)},
                           [&] { return query.execChanging(missing(e.id)); });
}

Status EmployeeRepository::remove(qint64 id)
{
    SqlQuery query(m_db, QStringLiteral("DELETE FROM emp WHERE ID = ?"));
    query.bind(id);
    return audit::recorded(m_db, QStringLiteral("emp"), QStringLiteral("ID = ?"), {QVariant(id)},
                           [&] { return query.execChanging(missing(id)); });
}

Result<QHash<qint64, Employee>> EmployeeRepository::ofTransactions(const QList<PayrollTransaction>& transactions) const
{
    QHash<qint64, Employee> employees;
    QSet<qint64> looked;
    for (const PayrollTransaction& t : transactions) {
        if (looked.contains(t.employeeId))
            continue;
        looked.insert(t.employeeId);
        const auto e = find(t.employeeId);
        if (!e)
            return e.status();
        if (e->has_value())
            employees.insert(t.employeeId, **e);
    }
    return employees;
}

Result<std::optional<Employee>> EmployeeRepository::find(qint64 id) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT %1 FROM emp WHERE ID = ?").arg(columns.join(QStringLiteral(", "))));
    query.bind(id);
    return query.first(readEmployee);
}

Result<QList<Employee>> EmployeeRepository::all() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT %1 FROM emp ORDER BY ID").arg(columns.join(QStringLiteral(", "))));
    return query.rows(readEmployee);
}

namespace {

QString groupCondition(const std::optional<QString>& group)
{
    return group ? QStringLiteral(" AND grp = ?") : QString();
}

} // namespace

Result<QList<EmployeeName>> EmployeeRepository::namesAfter(qint64 after, int limit,
                                                           const std::optional<QString>& group) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT ID, emname FROM emp WHERE ID > ?%1 ORDER BY ID LIMIT ?")
                             .arg(groupCondition(group)));
    query.bind(after);
    if (group)
        query.bind(*group);
    query.bind(limit);
    return query.rows([](const SqlQuery& q) { return EmployeeName{q.number(0), q.text(1)}; });
}

Result<QList<EmployeeName>> EmployeeRepository::namesStarting(const QString& prefix, int limit,
                                                              const std::optional<QString>& group) const
{
    // The typed text is a prefix, never a pattern: its own % and _ are only letters.
    QString pattern = prefix;
    pattern.replace(QLatin1Char('!'), QStringLiteral("!!"))
        .replace(QLatin1Char('%'), QStringLiteral("!%"))
        .replace(QLatin1Char('_'), QStringLiteral("!_"));
    // The typed name's own employees first, the last of them first, as lastNamed() finds them.
    SqlQuery query(m_db, QStringLiteral("SELECT ID, emname FROM emp WHERE lower(emname) LIKE lower(?) ESCAPE '!'%1"
                                        " ORDER BY lower(emname) = lower(?) DESC, lower(emname), ID DESC LIMIT ?")
                             .arg(groupCondition(group)));
    query.bind(pattern + QLatin1Char('%'));
    if (group)
        query.bind(*group);
    query.bind(prefix);
    query.bind(limit);
    return query.rows([](const SqlQuery& q) { return EmployeeName{q.number(0), q.text(1)}; });
}

Result<std::optional<qint64>> EmployeeRepository::lastNamed(const QString& name,
                                                            const std::optional<QString>& group) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT max(ID) FROM emp WHERE lower(emname) = lower(?)%1")
                             .arg(groupCondition(group)));
    query.bind(name);
    if (group)
        query.bind(*group);
    const auto found = query.single();
    if (!found)
        return found.status();
    return found->isNull() ? std::nullopt : std::optional<qint64>(found->toLongLong());
}

Status refuseUnknown(const Database& database, qint64 employeeId, const QString& company)
{
    const auto read = readTogether(database, {EmployeeRepository::existsRead(employeeId), CompanyRepository::existsRead(company)});
    if (!read)
        return read.status();
    if (read->at(0).toLongLong() == 0)
        return Status::failure(EmployeeRepository::missing(employeeId));
    if (read->at(1).toLongLong() == 0)
        return Status::failure(CompanyRepository::missing(company));
    return {};
}
