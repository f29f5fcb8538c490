#include "import_sinks.h"

#include "data/audit_trail.h"
#include "data/company_repository.h"
#include "data/ledger_facts.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/statutory_repository.h"
#include "data/user_repository.h"
#include "rules/record_rules.h"

#include <QDateTime>

// The masters, the users and the history of another database (its trail and its months closed) as
// an import writes them: a row at a time, through the repositories the windows use, each leaving
// its own entry in the trail, so that users and companies are recorded by name.
namespace transfer {

namespace {

// Reads a row's columns by name: these tables are a few rows each.
class Columns {
public:
    Columns(const Table& table, const ImportRow& row) : m_table(table), m_row(row) {}
    QVariant value(const char* column) const
    {
        const int at = m_table.indexOf(QLatin1String(column));
        return at < 0 ? QVariant() : m_row.value(at);
    }
    QString text(const char* column) const { return value(column).toString(); }
    bool gives(const char* column) const { return !value(column).isNull(); }
    qint64 line() const { return m_row.line; }

private:
    const Table& m_table;
    const ImportRow& m_row;
};

// Another database's trail, entry by entry, each fitting the chain; what it says was deleted (an
// employee, a company) is known to have been there, so that their rows kept in the history come in.
class TrailSink final : public TableSink {
public:
    explicit TrailSink(ImportContext& context) : m_context(context), m_trail(context.db) {}
    Status begin() { return m_trail.begin(); }
    Status take(const ImportRow& row) override
    {
        // The file's columns stand in the order the trail stores them (see tables()).
        const AuditEntry e = audit::entryOf(row);
        if (Status s = m_trail.add(e); !s)
            return s;
        if (e.kind == audit::kindName(audit::Kind::Delete)) {
            if (e.table == QStringLiteral("emp"))
                m_context.facts.employeeDeleted(e.employee);
            else if (e.table == QStringLiteral("cmpmaster"))
                m_context.facts.companyDeleted(e.company);
        }
        return {};
    }

private:
    ImportContext& m_context;
    audit::BroughtTrail m_trail;
};

class RowSink final : public TableSink {
public:
    RowSink(const Table& table, std::function<Status(const Columns&)> take) : m_table(table), m_take(std::move(take)) {}
    Status take(const ImportRow& row) override { return m_take(Columns(m_table, row)); }

private:
    const Table& m_table;
    std::function<Status(const Columns&)> m_take;
};

Status takeCompany(ImportContext& context, const Columns& c)
{
    CompanyRepository companies(context.db);
    const QString name = rules::companyName(c.text("company"));
    // The flag of the company chosen at start-up is the program's own, set at each start: a file's
    // is not taken, so that two companies are never chosen at once.
    if (const auto added = companies.add(name, c.text("addr")); !added)
        return added.status();
    context.facts.companyAdded(name);
    if (!c.gives("bankname") && !c.gives("bankacno") && !c.gives("bankifsc") && !c.gives("bankcols"))
        return {};
    bank::Settings settings;
    settings.account = {c.text("bankname"), c.text("bankacno"), c.text("bankifsc")};
    if (c.gives("bankcols")) {
        const auto columns = bank::parseLayout(c.text("bankcols"));
        if (!columns)
            return Status::refused(QStringLiteral("bankcols"),
                                   QStringLiteral("The upload file's columns must read like field|heading|value;... "
                                                  "with fields such as serial, account, ifsc, amount, fixed."));
        settings.columns = *columns;
    }
    return companies.saveBankSettings(name, settings);
}

Status takeRules(ImportContext& context, const Columns& c)
{
    QVariantList values;
    for (const QString& column : StatutoryRepository::columns())
        values << c.value(column.toLatin1().constData());
    auto read = StatutoryRepository::fromStored(values);
    if (!read)
        return read.status();
    statutory::Rules rules = *read;
    if (Status s = context.facts.knownCompany(rules.company, context.history); !s)
        return s;
    // Checked as written: a set from the middle of a month is refused, not moved to its first day.
    if (const auto broken = statutory::check(rules))
        return Status::refused(broken->field, broken->message);
    if (Status s = StatutoryRepository(context.db).add(rules); !s)
        return s;
    context.facts.rulesAdded(rules.company);
    return {};
}

Status takeClosedMonth(ImportContext& context, const Columns& c)
{
    ClosedMonth m;
    m.company = c.text("company");
    if (Status s = context.facts.knownCompany(m.company, context.history); !s)
        return s;
    m.month = QDate::fromString(c.text("month") + QStringLiteral("-01"), Qt::ISODate);
    if (!m.month.isValid())
        return Status::refused(QStringLiteral("month"), QStringLiteral("The month must read like 2026-11."));
    m.closedBy = c.text("closedby");
    m.closedAt = QDateTime::fromString(c.text("closedat"), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (Status s = MonthCloseRepository(context.db).keep(m); !s)
        return s;
    context.facts.monthClosed(m);
    return {};
}

std::unique_ptr<TableSink> rowSink(const Table& table, std::function<Status(const Columns&)> take)
{
    return std::make_unique<RowSink>(table, std::move(take));
}

// Users by their numbers, or the next ones; into data in use a number jumps no further ahead than
// the file's rows, so that a mistyped one does not use up the numbers.
Result<std::unique_ptr<TableSink>> userSink(ImportContext& context, const Table& table)
{
    const auto users = UserRepository(context.db).list();
    if (!users)
        return users.status();
    qint64 largest = 0;
    for (const User& user : *users)
        largest = std::max(largest, user.id);
    const Database& db = context.db;
    const bool history = context.history;
    return std::unique_ptr<TableSink>(std::make_unique<RowSink>(table, [&db, history, largest](const Columns& c) -> Status {
        const qint64 id = c.value("ID").toLongLong();
        const qint64 most = history ? rules::maxUserId : largest + c.line();
        if (c.gives("ID") && (id <= 0 || id > most))
            return Status::refused(QStringLiteral("ID"), QStringLiteral("The user number must be a whole number from 1 "
                                                                        "to %1%2.")
                                                             .arg(most)
                                                             .arg(history ? QString()
                                                                          : QStringLiteral(" here: leave it empty for the next one")));
        return UserRepository(db).addBrought(id, c.text("usernm"), c.text("pass"), c.text("priv")).status();
    }));
}

} // namespace

Result<std::unique_ptr<TableSink>> masterSinkFor(const Table& table, ImportContext& context)
{
    const Database& db = context.db;
    const QString& name = table.name;
    if (name == QStringLiteral("audit")) {
        if (!context.history)
            return Status::refused({}, QStringLiteral("The trail of another database is brought only into a new, empty "
                                                      "one; this one keeps its own. Leave audit.csv out to add the "
                                                      "other files' rows."));
        auto sink = std::make_unique<TrailSink>(context);
        if (Status s = sink->begin(); !s)
            return s;
        return std::unique_ptr<TableSink>(std::move(sink));
    }
    if (name == QStringLiteral("passwd"))
        return rowSink(table, [&db](const Columns& c) { return UserRepository(db).bringDeletePassword(c.text("delpass")); });
    if (name == QStringLiteral("use"))
        return userSink(context, table);
    if (name == QStringLiteral("cmpmaster"))
        return rowSink(table, [&context](const Columns& c) { return takeCompany(context, c); });
    if (name == QStringLiteral("dept") || name == QStringLiteral("grp")) {
        const auto kind = name == QStringLiteral("dept") ? MasterRepository::Kind::Department : MasterRepository::Kind::Group;
        return rowSink(table, [&db, kind, name](const Columns& c) {
            return MasterRepository(db, kind).add(c.text(name.toLatin1().constData())).status();
        });
    }
    if (name == QStringLiteral("statrule"))
        return rowSink(table, [&context](const Columns& c) { return takeRules(context, c); });
    if (name == QStringLiteral("closedmonth")) {
        // A month of data in use is closed by the administrator who closes it, now, in Close Month.
        if (!context.history)
            return Status::refused({}, QStringLiteral("Months are closed in Master → Close Month, by whoever closes "
                                                      "them: closed months come only with the history of a new, "
                                                      "empty database."));
        return rowSink(table, [&context](const Columns& c) { return takeClosedMonth(context, c); });
    }
    return std::unique_ptr<TableSink>();
}

Result<std::unique_ptr<TableSink>> sinkFor(const Table& table, ImportContext& context)
{
    auto sink = masterSinkFor(table, context);
    if (!sink || *sink)
        return sink;
    return ledgerSinkFor(table, context);
}

} // namespace transfer
