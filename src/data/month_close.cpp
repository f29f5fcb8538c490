#include "month_close.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

#include <QLocale>

namespace {

const QString monthFormat = QStringLiteral("yyyy-MM");
const QString stampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString monthName(QDate month)
{
    return QLocale(QLocale::English).toString(month, QStringLiteral("MMMM yyyy"));
}

ClosedMonth readClosed(const SqlQuery& row)
{
    ClosedMonth m;
    m.company = row.text(0);
    m.month = QDate::fromString(row.text(1) + QStringLiteral("-01"), Qt::ISODate);
    m.closedBy = row.text(2);
    m.closedAt = QDateTime::fromString(row.text(3), stampFormat);
    return m;
}

QString monthImage(const ClosedMonth& m)
{
    return QStringLiteral("company=%1\nmonth=%2\nclosedby=%3\nclosedat=%4")
        .arg(m.company, m.month.toString(monthFormat), m.closedBy, m.closedAt.toString(stampFormat));
}

} // namespace

QString ClosedMonth::caption() const
{
    return QStringLiteral("%1 closed by %2 on %3")
        .arg(monthName(month), closedBy, closedAt.date().toString(QStringLiteral("dd/MM/yyyy")));
}

QString closedMonthRefusal(const ClosedMonth& month, const QString& what)
{
    return QStringLiteral("%1 is closed (closed by %2 on %3): %4.")
        .arg(monthName(month.month), month.closedBy, month.closedAt.date().toString(QStringLiteral("dd/MM/yyyy")),
             what);
}

Result<QList<ClosedMonth>> MonthCloseRepository::closed(const QString& company) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT company, month, closedby, closedat FROM closedmonth WHERE company = ?"
                                    " ORDER BY month DESC"));
    q.bind(company);
    return q.rows(readClosed);
}

QList<ScalarRead> MonthCloseRepository::closeReads(const QString& company, QDate date)
{
    const QVariantList key{company, date.toString(monthFormat)};
    // Who closed it is never null for a closed month, so that no row and a row tell apart.
    return {{QStringLiteral("SELECT coalesce(closedby, '') FROM closedmonth WHERE company = ? AND month = ?"), key},
            {QStringLiteral("SELECT closedat FROM closedmonth WHERE company = ? AND month = ?"), key}};
}

std::optional<ClosedMonth> MonthCloseRepository::closedOf(const QString& company, QDate date, const QVariant& by,
                                                          const QVariant& at)
{
    if (by.isNull())
        return std::nullopt;
    ClosedMonth m;
    m.company = company;
    m.month = dates::firstOfMonth(date);
    m.closedBy = by.toString();
    m.closedAt = QDateTime::fromString(at.toString(), stampFormat);
    return m;
}

Result<std::optional<ClosedMonth>> MonthCloseRepository::find(const QString& company, QDate date) const
{
    const auto read = readTogether(m_db, closeReads(company, date));
    if (!read)
        return read.status();
    return closedOf(company, date, read->at(0), read->at(1));
}

Status MonthCloseRepository::refuseIfClosed(const QString& company, QDate date, const QString& what) const
{
    if (!date.isValid())
        return {};
    if (Status s = lockMonth(m_db, company, date, false); !s)
        return s;
    // Read once the month is held: a close committed before is seen.
    const auto found = find(company, date);
    if (!found)
        return found.status();
    if (found->has_value())
        return Status::refused({}, closedMonthRefusal(**found, what));
    return {};
}

QString MonthCloseRepository::Months::onlyOpen(const QString& dateColumn) const
{
    QStringList marks;
    for (qsizetype i = 0; i < open.size(); ++i)
        marks << QStringLiteral("?");
    const QString inOpen = open.isEmpty() ? QStringLiteral("1 = 0")
                                          : QStringLiteral("substr(%1, 1, 7) IN (%2)")
                                                .arg(dateColumn, marks.join(QStringLiteral(", ")));
    return QStringLiteral("(%1 OR %2 IS NULL)").arg(inOpen, dateColumn);
}

Result<MonthCloseRepository::Months> MonthCloseRepository::monthsOf(const QString& table, const QString& dateColumn,
                                                                    const QString& company, const QString& where,
                                                                    const QVariantList& values) const
{
    SqlQuery months(m_db, QStringLiteral("SELECT DISTINCT substr(%1, 1, 7) FROM %2 WHERE %3 AND %1 IS NOT NULL")
                              .arg(dateColumn, table, where));
    for (const QVariant& value : values)
        months.bind(value);
    const auto touched = months.rows([](const SqlQuery& r) { return r.text(0); });
    if (!touched)
        return touched.status();
    Months found;
    for (const QString& month : *touched) {
        const QDate first = QDate::fromString(month + QStringLiteral("-01"), Qt::ISODate);
        if (!first.isValid()) {
            found.open << month; // a date no month is closed for
            continue;
        }
        if (Status s = lockMonth(m_db, company, first, false); !s)
            return s;
        const auto closed = find(company, first);
        if (!closed)
            return closed.status();
        if (closed->has_value())
            found.closed << **closed;
        else
            found.open << month;
    }
    return found;
}

Status MonthCloseRepository::close(const QString& company, QDate month)
{
    if (company.isEmpty() || !month.isValid())
        return Status::failure(QStringLiteral("Choose the company and the month to close."));
    ClosedMonth m;
    m.company = company;
    m.month = dates::firstOfMonth(month);
    m.closedBy = m_db.user();
    m.closedAt = audit::toTheSecond(m_db.clock().now());
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = lockMonth(m_db, company, month, true); !s)
            return s;
        const auto already = find(company, month);
        if (!already)
            return already.status();
        if (already->has_value())
            return Status::failure(QStringLiteral("%1 already.").arg((*already)->caption()));
        SqlQuery q(m_db, QStringLiteral("INSERT INTO closedmonth (company, month, closedby, closedat)"
                                        " VALUES (?, ?, ?, ?)"));
        q.bind(company).bind(m.month.toString(monthFormat)).bind(m.closedBy).bind(m.closedAt.toString(stampFormat));
        if (Status s = q.exec(); !s)
            return s;
        return audit::record(m_db, audit::Kind::Close, QStringLiteral("closedmonth"), std::nullopt,
                             audit::RowImage{m.month.toString(monthFormat), 0, company, monthImage(m)},
                             QStringLiteral("%1 closed").arg(monthName(m.month)));
    });
}

Status MonthCloseRepository::keep(const ClosedMonth& m)
{
    if (const auto broken = rules::text(QStringLiteral("closedby"), QStringLiteral("who closed the month"), m.closedBy,
                                        rules::maxShortLength, true))
        return Status::refused(broken->field, broken->message);
    if (!m.closedAt.isValid())
        return Status::refused(QStringLiteral("closedat"), QStringLiteral("When the month was closed must read like "
                                                                          "2026-11-05 10:30:00."));
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = lockMonth(m_db, m.company, m.month, true); !s)
            return s;
        const auto already = find(m.company, m.month);
        if (!already)
            return already.status();
        if (already->has_value())
            return Status::refused(QStringLiteral("month"), QStringLiteral("%1 already.").arg((*already)->caption()));
        SqlQuery q(m_db, QStringLiteral("INSERT INTO closedmonth (company, month, closedby, closedat) VALUES (?, ?, ?, ?)"));
        q.bind(m.company).bind(m.month.toString(monthFormat)).bind(m.closedBy).bind(m.closedAt.toString(stampFormat));
        if (Status s = q.exec(); !s)
            return s;
        return audit::record(m_db, audit::Kind::Close, QStringLiteral("closedmonth"), std::nullopt,
                             audit::RowImage{m.month.toString(monthFormat), 0, m.company, monthImage(m)},
                             QStringLiteral("%1, brought with the data").arg(m.caption()));
    });
}

Status MonthCloseRepository::reopen(const QString& company, QDate month, const QString& reason)
{
    if (reason.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Give the reason for reopening the month."));
    return inWriteTransaction(m_db, [&]() -> Status {
        const auto found = find(company, month);
        if (!found)
            return found.status();
        if (!found->has_value())
            return Status::failure(QStringLiteral("%1 is not closed.").arg(monthName(dates::firstOfMonth(month))));
        const ClosedMonth& m = **found;
        SqlQuery q(m_db, QStringLiteral("DELETE FROM closedmonth WHERE company = ? AND month = ?"));
        q.bind(company).bind(m.month.toString(monthFormat));
        if (Status s = q.execChanging(QStringLiteral("%1 is not closed.").arg(monthName(m.month))); !s)
            return s;
        return audit::record(m_db, audit::Kind::Reopen, QStringLiteral("closedmonth"),
                             audit::RowImage{m.month.toString(monthFormat), 0, company, monthImage(m)}, std::nullopt,
                             reason.trimmed());
    });
}

Result<qint64> removeUnlessClosed(const Database& database, const QString& table, const QString& dateColumn,
                                  const QString& company, const QString& what)
{
    qint64 removed = 0;
    const Status done = inWriteTransaction(database, [&]() -> Status {
        const auto months = MonthCloseRepository(database).monthsOf(table, dateColumn, company,
                                                                     QStringLiteral("company = ?"), {company});
        if (!months)
            return months.status();
        if (!months->closed.isEmpty()) {
            QStringList closed;
            for (const ClosedMonth& m : months->closed)
                closed << m.caption();
            return Status::failure(QStringLiteral("Some are dated in closed months (%1): %2. Nothing was deleted.")
                                       .arg(closed.join(QStringLiteral("; ")), what));
        }
        QVariantList open{QVariant(company)};
        for (const QString& month : months->open)
            open << QVariant(month);
        const auto count = audit::removeRecorded(
            database, table, QStringLiteral("company = ? AND ") + months->onlyOpen(dateColumn), open);
        if (!count)
            return count.status();
        removed = *count;
        return {};
    });
    if (!done)
        return done;
    return removed;
}
