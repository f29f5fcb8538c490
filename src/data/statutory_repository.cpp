#include "statutory_repository.h"

#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/month_close.h"
#include "data/sql_query.h"

namespace {

const QString table = QStringLiteral("statrule");
const QStringList ruleColumns = {QStringLiteral("company"),  QStringLiteral("fromdt"),   QStringLiteral("divisor"),
                             QStringLiteral("pfon"),     QStringLiteral("pfrate"),   QStringLiteral("pfceil"),
                             QStringLiteral("pffull"),   QStringLiteral("penrate"),  QStringLiteral("pencap"),
                             QStringLiteral("esion"),    QStringLiteral("esilimit"), QStringLiteral("esirate"),
                             QStringLiteral("esierrate"), QStringLiteral("pton"),    QStringLiteral("ptslabs"),
                             QStringLiteral("pfheads"),  QStringLiteral("esiheads"), QStringLiteral("esicover"),
                             QStringLiteral("ptheads")};

} // namespace

const QStringList& StatutoryRepository::columns()
{
    return ruleColumns;
}

Result<statutory::Rules> StatutoryRepository::fromStored(const QVariantList& v)
{
    const auto amount = [&](int i) { return Currency::fromUnits(v.value(i).toLongLong()); };
    const auto flag = [&](int i) { return v.value(i).toLongLong() != 0; };
    statutory::Rules r;
    r.company = v.value(0).toString();
    r.from = QDate::fromString(v.value(1).toString().left(10), Qt::ISODate);
    r.pfOn = flag(3);
    r.pfRate = amount(4);
    r.pfCeiling = amount(5);
    r.pfOnFullWages = flag(6);
    r.pensionRate = amount(7);
    r.pensionCap = amount(8);
    r.esiOn = flag(9);
    r.esiLimit = amount(10);
    r.esiEmployeeRate = amount(11);
    r.esiEmployerRate = amount(12);
    r.ptOn = flag(13);
    // Rules that cannot be read are never applied as if they were others.
    const auto divisor = statutory::divisorFromStored(v.value(2).toLongLong());
    if (!divisor)
        return Status::refused(QStringLiteral("divisor"), QStringLiteral("The divisor must be 0 (days of the month), "
                                                                         "30 or 26."));
    r.divisor = *divisor;
    const auto slabs = statutory::parseSlabs(v.value(14).toString());
    if (!slabs)
        return Status::refused(QStringLiteral("ptslabs"), QStringLiteral("The slabs must read like 0=0;12000=200 (gross "
                                                                         "wages from = tax)."));
    r.ptSlabs = *slabs;
    // Heads not stored are the public rules' own.
    int* const heads[] = {&r.pfHeads, &r.esiHeads, &r.esiCoverHeads, &r.ptHeads};
    for (int i = 0; i < 4; ++i) {
        const QString text = v.value(15 + i).toString();
        if (text.trimmed().isEmpty())
            continue;
        const auto parsed = statutory::parseHeads(text);
        if (!parsed)
            return Status::refused(ruleColumns.at(15 + i), QStringLiteral("The heads of pay must be words among basic, "
                                                                          "bonus, overtime and travel."));
        *heads[i] = *parsed;
    }
    if (!r.from.isValid())
        return Status::refused(QStringLiteral("fromdt"), QStringLiteral("Please enter the date the rules hold from."));
    return r;
}

Result<statutory::RuleBook> StatutoryRepository::book(const QString& company) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT %1 FROM statrule WHERE company = ? ORDER BY fromdt")
                         .arg(ruleColumns.join(QStringLiteral(", "))));
    q.bind(company);
    QList<statutory::Rules> dated;
    if (Status s = q.exec(); !s)
        return s;
    while (q.next()) {
        QVariantList values;
        for (int i = 0; i < ruleColumns.size(); ++i)
            values << q.value(i);
        const auto rules = fromStored(values);
        if (!rules)
            return Status::failure(QStringLiteral("The statutory rules of %1 from %2 cannot be read. Please save them "
                                                  "again in the Statutory Rules window.")
                                       .arg(company, dates::displayText(q.date(1))));
        dated << *rules;
    }
    if (Status s = q.readFailure(); !s)
        return s;
    return statutory::RuleBook(dated);
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
            return Status::refused(QStringLiteral("fromdt"), QStringLiteral("Rules cannot change from %1: %2. A month already paid keeps the "
                                                  "rules it was paid under; give a month after the last one closed.")
                                       .arg(dates::monthName(from) + u' ' + QString::number(from.year()),
                                            month.caption()));
    return {};
}

Status StatutoryRepository::save(const statutory::Rules& given)
{
    const statutory::Rules r = statutory::normalised(given);
    if (const auto broken = statutory::check(r))
        return Status::refused(broken->field, broken->message);
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
                .bind(statutory::slabsText(r.ptSlabs))
                .bind(statutory::headsText(r.pfHeads))
                .bind(statutory::headsText(r.esiHeads))
                .bind(statutory::headsText(r.esiCoverHeads))
                .bind(statutory::headsText(r.ptHeads));
        };
        if (change->before().isEmpty()) {
            SqlQuery q(m_db, insertStatement(table, ruleColumns, QStringLiteral("rowid")));
            bindRules(q);
            const auto row = numberGiven(q);
            if (!row)
                return row.status();
            return audit::recordInserted(m_db, table, QString::number(*row));
        }
        SqlQuery q(m_db, updateStatement(table, ruleColumns, QStringLiteral("company = ? AND fromdt = ?")));
        bindRules(q);
        q.bind(r.company).bind(r.from);
        if (Status s = q.exec(); !s)
            return s;
        return change->record();
    });
}

Status StatutoryRepository::add(const statutory::Rules& given)
{
    const statutory::Rules r = statutory::normalised(given);
    return inWriteTransaction(m_db, [&]() -> Status {
        SqlQuery there(m_db, QStringLiteral("SELECT count(*) FROM statrule WHERE company = ? AND fromdt = ?"));
        there.bind(r.company).bind(r.from);
        const auto count = there.single();
        if (!count)
            return count.status();
        if (count->toLongLong() > 0)
            return Status::refused(QStringLiteral("fromdt"),
                                   QStringLiteral("The rules of %1 from %2 are there already: a month has one set of "
                                                  "rules.")
                                       .arg(r.company, dates::monthName(r.from) + u' ' + QString::number(r.from.year())));
        return save(r);
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
