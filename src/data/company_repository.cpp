#include "company_repository.h"

#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/names.h"
#include "rules/record_rules.h"

namespace {

// The tables whose rows record their company by name.
const QStringList companyTables = {QStringLiteral("payroll"), QStringLiteral("loan"),  QStringLiteral("adv"),
                                   QStringLiteral("arr"),     QStringLiteral("incre"), QStringLiteral("decre")};
// And those that keep what holds for the company's months.
const QStringList monthTables = {QStringLiteral("statrule"), QStringLiteral("closedmonth")};

// Each company name a table's rows give, one step of its index a name, not a read of every row.
QString namesIn(const QString& table)
{
    return QStringLiteral("WITH RECURSIVE c(name) AS (SELECT min(company) FROM %1 UNION ALL"
                          " SELECT (SELECT min(company) FROM %1 WHERE company > c.name) FROM c WHERE c.name IS NOT NULL)"
                          " SELECT name FROM c WHERE name IS NOT NULL")
        .arg(table);
}

QString leftoverRefusal(const Leftovers& left)
{
    return QStringLiteral("The company %1 was deleted, and its rows are still in the database: %2. Bring them back "
                          "with it in the company master, or give the new company another name.")
        .arg(left.name, left.summary());
}

} // namespace

bool Leftovers::any() const
{
    return payroll + loans + advances + arrears + increments + decrements + rules + closedMonths > 0;
}

QString Leftovers::summary() const
{
    QStringList parts;
    const auto count = [&](qint64 n, const char* one, const char* many) {
        if (n > 0)
            parts << (n == 1 ? QStringLiteral("1 ") + QLatin1String(one) : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(many)));
    };
    count(payroll, "payroll transaction", "payroll transactions");
    count(loans, "loan", "loans");
    count(advances, "advance", "advances");
    count(arrears, "arrears row", "arrears rows");
    count(increments, "increment", "increments");
    count(decrements, "decrement", "decrements");
    count(rules, "set of statutory rules", "sets of statutory rules");
    count(closedMonths, "closed month", "closed months");
    if (parts.size() < 2)
        return parts.join(QString());
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}


Result<QList<Company>> CompanyRepository::list() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT rowid, company, addr FROM cmpmaster ORDER BY rowid"));
    return query.rows([](const SqlQuery& q) { return Company{q.number(0), q.text(1), q.text(2)}; });
}

ScalarRead CompanyRepository::existsRead(const QString& name)
{
    return {QStringLiteral("SELECT count(*) FROM cmpmaster WHERE company = ?"), {name}};
}

QString CompanyRepository::missing(const QString& name)
{
    return QStringLiteral("There is no company named %1.").arg(name);
}

Status CompanyRepository::checkName(const QString& name, const QString& address, qint64 exceptRowId) const
{
    if (const auto broken = rules::checkCompany(name, address))
        return Status::refused(broken->field, broken->message);
    // Compared here, as a clerk reads them, rather than by the database, whose letter case knows
    // only ASCII and which sees a Cyrillic letter as another letter.
    const auto companies = list();
    if (!companies)
        return companies.status();
    QStringList others;
    for (const Company& company : *companies)
        if (company.rowId != exceptRowId)
            others << company.name;
    if (const auto broken = rules::distinctName(QStringLiteral("company"), QStringLiteral("company"), name, others))
        return Status::refused(broken->field, broken->message);
    return {};
}

Result<Leftovers> CompanyRepository::leftoversOf(const QString& given) const
{
    const QString name = rules::companyName(given);
    Leftovers left;
    const auto companies = list();
    if (!companies)
        return companies.status();
    for (const Company& company : *companies)
        if (names::lookAlike(company.name, name))
            return left;
    for (const QString& table : companyTables + monthTables) {
        SqlQuery query(m_db, namesIn(table));
        const auto found = query.rows([](const SqlQuery& q) { return q.text(0); });
        if (!found)
            return found.status();
        for (const QString& spelt : *found)
            if (names::lookAlike(spelt, name)) {
                left.name = spelt;
                break;
            }
        if (!left.name.isEmpty())
            break;
    }
    if (left.name.isEmpty())
        return left;
    QList<ScalarRead> counts;
    for (const QString& table : companyTables + monthTables)
        counts << ScalarRead{QStringLiteral("SELECT count(*) FROM %1 WHERE company = ?").arg(table), {left.name}};
    const auto read = readTogether(m_db, counts);
    if (!read)
        return read.status();
    qint64* fields[] = {&left.payroll, &left.loans, &left.advances, &left.arrears, &left.increments,
                        &left.decrements, &left.rules, &left.closedMonths};
    for (int i = 0; i < read->size(); ++i)
        *fields[i] = read->at(i).toLongLong();
    return left;
}

Result<qint64> CompanyRepository::add(const QString& given, const QString& givenAddress, Leftover leftover)
{
    QString name = rules::companyName(given);
    const QString address = rules::cleanText(givenAddress, true);
    qint64 row = 0;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = checkName(name, address, 0); !s)
            return s;
        const auto left = leftoversOf(name);
        if (!left)
            return left.status();
        QHash<QString, QString> was; // the deleted row as the trail last saw it
        if (left->any()) {
            if (leftover == Leftover::Refuse)
                return Status::refused(QStringLiteral("company"), leftoverRefusal(*left));
            name = left->name;
            const auto deleted = audit::select(m_db, audit::Filter{name, {}, {}, {}, QStringLiteral("cmpmaster"),
                                                                   audit::kindName(audit::Kind::Delete), {}},
                                               true);
            if (!deleted)
                return deleted.status();
            if (!deleted->isEmpty())
                for (const auto& [column, value] : audit::fields(deleted->last().before))
                    was.insert(column, value);
        }
        // What the trail did not keep (a new company's bank settings) is Null, as a new company's is.
        SqlQuery query(m_db, QStringLiteral("INSERT INTO cmpmaster (company, addr, selectt, bankname, bankacno, bankifsc,"
                                            " bankcols) VALUES (?, ?, 0, ?, ?, ?, ?) RETURNING rowid"));
        query.bind(name).bind(address.isEmpty() ? was.value(QStringLiteral("addr"), address) : address);
        for (const char* column : {"bankname", "bankacno", "bankifsc", "bankcols"})
            query.bind(was.value(QLatin1String(column)));
        const auto inserted = numberGiven(query);
        if (!inserted)
            return inserted.status();
        row = *inserted;
        return audit::recordInserted(m_db, QStringLiteral("cmpmaster"), QString::number(row),
                                     left->any() ? QStringLiteral("brought back with its %1").arg(left->summary())
                                                 : QString());
    });
    if (!done)
        return done;
    return row;
}

Status CompanyRepository::update(qint64 rowId, const QString& name, const QString& givenAddress)
{
    const QString renamed = rules::companyName(name);
    const QString address = rules::cleanText(givenAddress, true);
    if (Status s = checkName(renamed, address, rowId); !s)
        return s;
    const auto stored = nameOf(rowId);
    if (!stored)
        return stored.status();
    if (!stored->has_value())
        return Status::failure(QStringLiteral("The company no longer exists."));
    const QString old = **stored;
    if (!names::lookAlike(old, renamed)) {
        const auto left = leftoversOf(renamed);
        if (!left)
            return left.status();
        if (left->any())
            return Status::refused(QStringLiteral("company"),
                                   QStringLiteral("The company %1 was deleted, and its rows are still in the database "
                                                  "under that name: %2. Give the company another name.")
                                       .arg(left->name, left->summary()));
    }
    return inTransaction(m_db, [&]() -> Status {
        const auto change = audit::Change::of(m_db, QStringLiteral("cmpmaster"), QStringLiteral("rowid = ?"),
                                              {QVariant(rowId)});
        if (!change)
            return change.status();
        SqlQuery query(m_db, QStringLiteral("UPDATE cmpmaster SET company = ?, addr = ? WHERE rowid = ?"));
        query.bind(renamed).bind(address).bind(rowId);
        if (Status s = query.execChanging(QStringLiteral("The company no longer exists.")); !s)
            return s;
        // The rows that carry the name are counted in the entry rather than each given one: the
        // name is all that changes of them.
        QStringList carried;
        if (renamed != old)
            for (const QString& table : companyTables + QStringList{QStringLiteral("closedmonth"), QStringLiteral("statrule")}) {
                SqlQuery carry(m_db, QStringLiteral("UPDATE %1 SET company = ? WHERE company = ?").arg(table));
                carry.bind(renamed).bind(old);
                const auto count = carry.execCounting();
                if (!count)
                    return count.status();
                if (*count > 0)
                    carried << QStringLiteral("%1 %2").arg(table).arg(*count);
            }
        return change->record(carried.isEmpty() ? QString()
                                                : QStringLiteral("the new name carried to %1 rows")
                                                      .arg(carried.join(QStringLiteral(", "))));
    });
}

Result<bool> CompanyRepository::hasData(const QString& name) const
{
    return anyRowIn(m_db, companyTables, QStringLiteral("company = ?"), name);
}

Result<std::optional<QString>> CompanyRepository::nameOf(qint64 rowId) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT company FROM cmpmaster WHERE rowid = ?"));
    query.bind(rowId);
    return query.first([](const SqlQuery& q) { return q.text(0); });
}

Status CompanyRepository::remove(const QString& name)
{
    SqlQuery query(m_db, QStringLiteral("DELETE FROM cmpmaster WHERE company = ?"));
    query.bind(name);
    return audit::recorded(m_db, QStringLiteral("cmpmaster"), QStringLiteral("company = ?"), {QVariant(name)},
                           [&] { return query.execChanging(QStringLiteral("There is no company named %1.").arg(name)); });
}

Status CompanyRepository::removeRow(qint64 rowId)
{
    SqlQuery query(m_db, QStringLiteral("DELETE FROM cmpmaster WHERE rowid = ?"));
    query.bind(rowId);
    return audit::recorded(m_db, QStringLiteral("cmpmaster"), QStringLiteral("rowid = ?"), {QVariant(rowId)},
                           [&] { return query.execChanging(QStringLiteral("The company no longer exists.")); });
}

Status CompanyRepository::select(const QString& name)
{
    return audit::recorded(m_db, QStringLiteral("cmpmaster"), QStringLiteral("selectt <> 0 OR company = ?"),
                           {QVariant(name)}, [&]() -> Status {
                               SqlQuery clear(m_db, QStringLiteral("UPDATE cmpmaster SET selectt = 0 WHERE selectt <> 0"));
                               if (Status s = clear.exec(); !s)
                                   return s;
                               SqlQuery flag(m_db, QStringLiteral("UPDATE cmpmaster SET selectt = 1 WHERE company = ?"));
                               flag.bind(name);
                               return flag.execChanging(QStringLiteral("There is no company named %1.").arg(name));
                           });
}

Status CompanyRepository::clearSelection()
{
    SqlQuery query(m_db, QStringLiteral("UPDATE cmpmaster SET selectt = 0 WHERE selectt <> 0"));
    return audit::recorded(m_db, QStringLiteral("cmpmaster"), QStringLiteral("selectt <> 0"), {},
                           [&] { return query.exec(); });
}

std::optional<QString> CompanyRepository::selected() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT company FROM cmpmaster WHERE selectt <> 0 ORDER BY rowid LIMIT 1"));
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.text(0);
}

Result<QString> CompanyRepository::address(const QString& name) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT addr FROM cmpmaster WHERE company = ?"));
    query.bind(name);
    const auto address = query.single();
    if (!address)
        return address.status();
    return address->toString();
}

Result<bank::Settings> CompanyRepository::bankSettings(const QString& name) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT bankname, bankacno, bankifsc, bankcols FROM cmpmaster WHERE company = ?"));
    query.bind(name);
    struct Stored {
        bank::Account account;
        QString columns;
    };
    const auto row = query.first([](const SqlQuery& q) {
        return Stored{{q.text(0), q.text(1), q.text(2)}, q.text(3)};
    });
    if (!row)
        return row.status();
    bank::Settings settings;
    if (!row->has_value())
        return settings;
    settings.account = (*row)->account;
    if (const QString stored = (*row)->columns; !stored.isEmpty()) {
        const auto columns = bank::parseLayout(stored);
        if (!columns)
            return Status::failure(
                QStringLiteral("The bank's upload columns stored for %1 cannot be read; set them again.").arg(name));
        settings.columns = *columns;
    }
    return settings;
}

Status CompanyRepository::saveBankSettings(const QString& name, const bank::Settings& given)
{
    bank::Settings settings = given;
    settings.account = bank::normalised(given.account);
    if (const auto broken = rules::check(settings.account))
        return Status::refused(broken->field, broken->message);
    if (const auto broken = rules::check(settings.columns))
        return Status::refused(broken->field, broken->message);
    SqlQuery query(m_db, QStringLiteral("UPDATE cmpmaster SET bankname = ?, bankacno = ?, bankifsc = ?, bankcols = ? "
                                        "WHERE company = ?"));
    query.bind(settings.account.bankName)
        .bind(settings.account.account)
        .bind(settings.account.branchCode)
        .bind(bank::layoutText(settings.columns))
        .bind(name);
    return audit::recorded(m_db, QStringLiteral("cmpmaster"), QStringLiteral("company = ?"), {QVariant(name)},
                           [&] { return query.execChanging(QStringLiteral("The company %1 no longer exists.").arg(name)); });
}
