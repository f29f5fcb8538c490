#include "employee_repository.h"

#include "data/audit_trail.h"
#include "data/company_repository.h"
#include "data/database.h"
#include "data/ledger_facts.h"
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
                             QStringLiteral("bankname"),     QStringLiteral("birthdate"), QStringLiteral("penmember")};

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
        .bind(e.bank.bankName)
        .bind(e.exemptions.birthDate)
        .bind(qint64(e.exemptions.pensionMember));
}

} // namespace

Result<qint64> EmployeeRepository::insert(const Employee& given)
{
    const Employee e = rules::normalised(given);
    if (const auto broken = rules::check(e))
        return Status::refused(broken->field, broken->message);
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

EmployeeRepository::Batch::Batch(const Database& database, LedgerFacts& facts)
    : m_db(database), m_facts(facts),
      m_insert(std::make_unique<SqlQuery>(database, insertStatement(QStringLiteral("emp"), columns)))
{
}

EmployeeRepository::Batch::~Batch() = default;

Status EmployeeRepository::Batch::begin()
{
    const MasterRepository departments(m_db, MasterRepository::Kind::Department);
    const MasterRepository groups(m_db, MasterRepository::Kind::Group);
    for (const auto& [master, names] : {std::pair{&departments, &m_departments}, std::pair{&groups, &m_groups}}) {
        const auto entries = master->list();
        if (!entries)
            return entries.status();
        for (const MasterEntry& entry : *entries)
            *names << entry.name;
    }
    const auto next = EmployeeRepository(m_db).nextId();
    if (!next)
        return next.status();
    m_next = *next;
    m_firstNew = m_facts.startedEmpty() ? 1 : *next;
    return {};
}

Status EmployeeRepository::Batch::add(const Employee& given, qint64 line)
{
    Employee e = rules::normalised(given);
    if (const auto broken = rules::check(e))
        return Status::refused(broken->field, broken->message);
    if (const auto broken = checkMasters(e, m_departments, m_groups))
        return Status::refused(broken->field, broken->message);
    if (e.id == 0) {
        e.id = m_next;
        if (e.id > rules::maxEmployeeId)
            return Status::refused(QStringLiteral("ID"), QStringLiteral("Every employee number up to %1 has been given "
                                                                        "out.")
                                                             .arg(rules::maxEmployeeId));
    }
    const auto taken = m_facts.employee(e.id);
    if (!taken)
        return taken.status();
    if (*taken)
        return Status::refused(QStringLiteral("ID"), QStringLiteral("The employee number %1 is taken already.").arg(e.id));
    // A number once given stays its first holder's: their payroll, loans and advances are under it.
    if (e.id < m_firstNew)
        return Status::refused(QStringLiteral("ID"), QStringLiteral("The employee number %1 was given out before, and "
                                                                    "rows may be under it: leave the number empty for "
                                                                    "the next one, %2 or more.")
                                                         .arg(e.id)
                                                         .arg(m_firstNew));
    // Nor does it jump further ahead than the file's rows: a mistyped number must not use up the
    // numbers left for the years to come.
    if (!m_facts.startedEmpty() && e.id > m_firstNew + line)
        return Status::refused(QStringLiteral("ID"), QStringLiteral("The employee number %1 is far beyond the next "
                                                                    "ones (up to %2 for this line): leave it empty "
                                                                    "for the next one.")
                                                         .arg(e.id)
                                                         .arg(m_firstNew + line));
    bindValues(*m_insert, e, Binding::Insert);
    if (Status s = m_insert->exec(); !s)
        return s;
    m_next = std::max(m_next, e.id + 1);
    m_facts.employeeAdded(e);
    return {};
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
        return Status::refused(broken->field, broken->message);
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
        return Status::refused(broken->field, broken->message);
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
    return query.first(fromRow<SqlQuery>);
}

Result<QList<Employee>> EmployeeRepository::all() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT %1 FROM emp ORDER BY ID").arg(columns.join(QStringLiteral(", "))));
    return query.rows(fromRow<SqlQuery>);
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
        return Status::refused(QStringLiteral("ID"), EmployeeRepository::missing(employeeId));
    if (read->at(1).toLongLong() == 0)
        return Status::refused(QStringLiteral("company"), CompanyRepository::missing(company));
    return {};
}
