#include "statutory_repository.h"

#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/month_close.h"
#include "data/sql_query.h"

namespace {

const QString table = QStringLiteral("statrule");
const QStringList columns = {QStringLiteral("company"),  QStringLiteral("fromdt"),   QStringLiteral("divisor"),
                             QStringLiteral("pfon"),     QStringLiteral("pfrate"),   QStringLiteral("pfceil"),
                             QStringLiteral("pffull"),   QStringLiteral("penrate"),  QStringLiteral("pencap"),
                             QStringLiteral("esion"),    QStringLiteral("esilimit"), QStringLiteral("esirate"),
                             QStringLiteral("esierrate"), QStringLiteral("pton"),    QStringLiteral("ptslabs")};

} // namespace

Result<statutory::RuleBook> StatutoryRepository::book(const QString& company) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT %1 FROM statrule WHERE company = ? ORDER BY fromdt")
                         .arg(columns.join(QStringLiteral(", "))));
    q.bind(company);
    QString unreadable;
    const auto rows = q.rows([&](const SqlQuery& row) {
        statutory::Rules r;
        r.company = row.text(0);
        r.from = row.date(1);
        const auto divisor = statutory::divisorFromStored(row.number(2));
        r.divisor = divisor.value_or(statutory::Divisor::Calendar);
        r.pfOn = row.number(3) != 0;
        r.pfRate = row.amount(4);
        r.pfCeiling = row.amount(5);
        r.pfOnFullWages = row.number(6) != 0;
        r.pensionRate = row.amount(7);
        r.pensionCap = row.amount(8);
        r.esiOn = row.number(9) != 0;
        r.esiLimit = row.amount(10);
        r.esiEmployeeRate = row.amount(11);
        r.esiEmployerRate = row.amount(12);
        r.ptOn = row.number(13) != 0;
        const auto slabs = statutory::parseSlabs(row.text(14));
        r.ptSlabs = slabs.value_or(QList<statutory::Slab>{});
        // Rules that cannot be read are never applied as if they were others.
        if (!divisor || !slabs || !r.from.isValid())
            unreadable = dates::displayText(r.from);
        return r;
    });
    if (!rows)
        return rows.status();
    if (!unreadable.isNull())
        return Status::failure(QStringLiteral("The statutory rules of %1 from %2 cannot be read. Please save them again "
                                              "in the Statutory Rules window.")
                                   .arg(company, unreadable));
    return statutory::RuleBook(*rows);
}

ScalarRead StatutoryRepository::countRead(const QString& company)
{
    return {QStringLiteral("SELECT count(*) FROM statrule WHERE company = ?"), {company}};
}

Result<statutory::Rules> StatutoryRepository::inForce(const QString& company, QDate payDate) const
{
    const auto rules = book(company);
    if (!rules)
        return rules.status();
    return rules->on(payDate);
}

Status StatutoryRepository::refuseClosedFrom(const QString& company, QDate from) const
{
    const auto closed = MonthCloseRepository(m_db).closed(company);
    if (!closed)
        return closed.status();
    for (const ClosedMonth& month : *closed)
        if (month.month >= dates::firstOfMonth(from))
            return Status::failure(QStringLiteral("Rules cannot change from %1: %2. A month already paid keeps the "
                                                  "rules it was paid under; give a month after the last one closed.")
                                       .arg(dates::monthName(from) + u' ' + QString::number(from.year()),
                                            month.caption()));
    return {};
}

Status StatutoryRepository::save(const statutory::Rules& given)
{
    const statutory::Rules r = statutory::normalised(given);
    if (const auto broken = statutory::check(r))
        return Status::failure(broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = lockMonth(m_db, r.company, r.from, true); !s)
            return s;
        if (Status s = refuseClosedFrom(r.company, r.from); !s)
            return s;
        const QVariantList key = {r.company, dates::storageText(r.from)};
        const auto change = audit::Change::of(m_db, table, QStringLiteral("company = ? AND fromdt = ?"), key);
        if (!change)
            return change.status();
        const auto bindRules = [&](SqlQuery& q) {
            q.bind(r.company)
                .bind(r.from)
                .bind(qint64(r.divisor))
                .bind(qint64(r.pfOn))
                .bind(r.pfRate)
                .bind(r.pfCeiling)
                .bind(qint64(r.pfOnFullWages))
                .bind(r.pensionRate)
                .bind(r.pensionCap)
                .bind(qint64(r.esiOn))
                .bind(r.esiLimit)
                .bind(r.esiEmployeeRate)
                .bind(r.esiEmployerRate)
                .bind(qint64(r.ptOn))
                .bind(statutory::slabsText(r.ptSlabs));
        };
        if (change->before().isEmpty()) {
            SqlQuery q(m_db, insertStatement(table, columns, QStringLiteral("rowid")));
            bindRules(q);
            const auto row = numberGiven(q);
            if (!row)
                return row.status();
            return audit::recordInserted(m_db, table, QString::number(*row));
        }
        SqlQuery q(m_db, updateStatement(table, columns, QStringLiteral("company = ? AND fromdt = ?")));
        bindRules(q);
        q.bind(r.company).bind(r.from);
        if (Status s = q.exec(); !s)
            return s;
        return change->record();
    });
}

Status StatutoryRepository::remove(const QString& company, QDate from)
{
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = lockMonth(m_db, company, from, true); !s)
            return s;
        if (Status s = refuseClosedFrom(company, from); !s)
            return s;
        const auto removed = audit::removeRecorded(m_db, table, QStringLiteral("company = ? AND fromdt = ?"),
                                                   {company, dates::storageText(dates::firstOfMonth(from))});
        if (!removed)
            return removed.status();
        if (*removed == 0)
            return Status::failure(QStringLiteral("There are no rules of %1 from %2.")
                                       .arg(company, dates::displayText(from)));
        return {};
    });
}
