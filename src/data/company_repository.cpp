#include "company_repository.h"

#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

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
        return Status::failure(broken->message);
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
        return Status::failure(broken->message);
    return {};
}

Result<qint64> CompanyRepository::add(const QString& given, const QString& address)
{
    const QString name = rules::companyName(given);
    if (Status s = checkName(name, address, 0); !s)
        return s;
    SqlQuery query(m_db,
                   QStringLiteral("INSERT INTO cmpmaster (company, addr, selectt) VALUES (?, ?, 0) RETURNING rowid"));
    query.bind(name).bind(rules::cleanText(address, true));
    return audit::recordedInsert(m_db, QStringLiteral("cmpmaster"), [&] { return numberGiven(query); });
}

namespace {
// The tables whose rows record their company by name.
const QStringList companyTables = {QStringLiteral("payroll"), QStringLiteral("loan"),  QStringLiteral("adv"),
                                   QStringLiteral("arr"),     QStringLiteral("incre"), QStringLiteral("decre")};
} // namespace

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
        return Status::failure(broken->message);
    if (const auto broken = rules::check(settings.columns))
        return Status::failure(broken->message);
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
