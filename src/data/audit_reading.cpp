#include "audit_trail.h"

#include "data/database.h"
#include "data/sql_query.h"

#include <QLocale>

// Reading the trail: checking its chain, the entries a window or report selects, and what an
// entry's values say.
namespace audit {

namespace {

const QString readStampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString unescaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value.at(i);
            continue;
        }
        const QChar next = value.at(++i);
        out += next == QLatin1Char('n') ? QChar(u'\n') : next == QLatin1Char('r') ? QChar(u'\r') : next;
    }
    return out;
}

// The stored time, read by its fixed places: a month of a busy office's entries reads in a tenth of
// the time QDateTime's format parser takes.
QDateTime stampTime(const QString& stamp)
{
    if (stamp.size() != 19)
        return QDateTime::fromString(stamp, readStampFormat);
    const QStringView s(stamp);
    const auto number = [&](qsizetype at, qsizetype length) { return s.mid(at, length).toInt(); };
    return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)), QTime(number(11, 2), number(14, 2), number(17, 2)));
}

AuditEntry readEntry(const SqlQuery& row, bool withValues)
{
    AuditEntry e = entryOf(row, withValues);
    e.at = stampTime(e.stamp);
    return e;
}

const QString entryColumns =
    QStringLiteral("seq, stamp, usernm, workstation, company, tbl, rowkey, employee, kind, note");
const QString valueColumns = QStringLiteral(", oldvalues, newvalues, hash");

} // namespace

QString Verification::summary() const
{
    const QString count = QLocale::system().toString(entries);
    if (intact())
        return QStringLiteral("The audit trail of %1 entries is intact.").arg(count);
    return QStringLiteral("The audit trail of %1 entries does not hold together: %2").arg(count, reason);
}

QString misfitOf(const AuditEntry& e, qint64 expected, const QString& previousHash)
{
    if (e.seq != expected)
        return e.seq > expected ? QStringLiteral("entry %1 follows entry %2: the entries between them are missing.")
                                      .arg(e.seq)
                                      .arg(expected - 1)
                                : QStringLiteral("entry %1 stands out of order.").arg(e.seq);
    if (hashOf(e, previousHash) != e.hash)
        return QStringLiteral("entry %1 (%2, %3, %4 of %5) does not fit the entry before it: it, or the entry before "
                              "it, was changed, or it was put in.")
            .arg(e.seq)
            .arg(QLocale::system().toString(e.at, QStringLiteral("dd/MM/yyyy HH:mm:ss")), e.user, e.kind, e.table);
    return {};
}

BroughtTrail::BroughtTrail(const Database& database) : m_db(database) {}

BroughtTrail::~BroughtTrail() = default;

Status BroughtTrail::begin()
{
    const auto any = anyRowIn(m_db, {QStringLiteral("audit")});
    if (!any)
        return any.status();
    if (*any)
        return Status::refused({}, QStringLiteral("The database has an audit trail of its own: another database's trail "
                                                  "is brought only into a new, empty one."));
    m_insert = std::make_unique<SqlQuery>(
        m_db, insertStatement(QStringLiteral("audit"), {QStringLiteral("seq"), QStringLiteral("stamp"),
                                                        QStringLiteral("usernm"), QStringLiteral("workstation"),
                                                        QStringLiteral("company"), QStringLiteral("tbl"),
                                                        QStringLiteral("rowkey"), QStringLiteral("employee"),
                                                        QStringLiteral("kind"), QStringLiteral("oldvalues"),
                                                        QStringLiteral("newvalues"), QStringLiteral("note"),
                                                        QStringLiteral("hash")}));
    return {};
}

Status BroughtTrail::add(AuditEntry e)
{
    // Hashed as stored: the stamp's text; its time only says whether it reads as one.
    e.at = stampTime(e.stamp);
    if (!e.at.isValid() || e.stamp.size() != 19)
        return Status::refused(QStringLiteral("stamp"), QStringLiteral("The time of entry %1 must read like "
                                                                       "2026-11-05 10:30:00.")
                                                            .arg(e.seq));
    if (!kindNames().contains(e.kind))
        return Status::refused(QStringLiteral("kind"), QStringLiteral("Entry %1 is of no kind the trail knows (\"%2\").")
                                                           .arg(e.seq)
                                                           .arg(e.kind));
    // Once the chain is broken, the entries after it are not told as broken too: the first is the
    // one to look at, and nothing of the trail comes in.
    if (m_broken)
        return {};
    if (const QString misfit = misfitOf(e, m_expected, m_previous); !misfit.isEmpty()) {
        m_broken = true;
        return Status::refused(QStringLiteral("hash"), QStringLiteral("The trail does not hold together: %1").arg(misfit));
    }
    for (const QVariant& value : QVariantList{e.seq, e.stamp, e.user, e.workstation, e.company, e.table, e.key, e.employee,
                                              e.kind, e.before, e.after, e.note, e.hash})
        m_insert->bind(value);
    if (Status s = m_insert->exec(); !s)
        return s;
    ++m_expected;
    m_previous = e.hash;
    return {};
}

Result<Verification> verify(const Database& database, const std::function<void(qint64)>& progress)
{
    Verification outcome;
    SqlQuery query(database, QStringLiteral("SELECT %1%2 FROM audit ORDER BY seq").arg(entryColumns, valueColumns));
    if (Status s = query.exec(); !s)
        return s;
    QString previous;
    qint64 expected = 1;
    while (query.next()) {
        const AuditEntry e = readEntry(query, true);
        ++outcome.entries;
        if (progress && outcome.entries % 50000 == 0)
            progress(outcome.entries);
        if (outcome.broken)
            continue;
        if (QString misfit = misfitOf(e, expected, previous); !misfit.isEmpty()) {
            outcome.broken = e.seq;
            outcome.reason = std::move(misfit);
        }
        previous = e.hash;
        ++expected;
    }
    if (Status s = query.readFailure(); !s)
        return s;
    if (!outcome.broken) {
        SqlQuery guard(database,
                       database.backend() == Backend::SQLite
                           ? QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"
                                            " AND name IN ('audit_kept_update', 'audit_kept_delete')")
                           : QStringLiteral("SELECT 2 * count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                                            " WHERE c.relname = 'audit' AND t.tgname = 'audit_kept'"
                                            " AND t.tgenabled <> 'D'"));
        const auto guards = guard.single();
        if (!guards)
            return guards.status();
        if (guards->toLongLong() < 2)
            outcome.reason = QStringLiteral("the guard that keeps its entries from being changed was removed.");
    }
    return outcome;
}

Result<QList<AuditEntry>> select(const Database& database, const Filter& filter, bool withValues)
{
    QStringList where;
    QVariantList values;
    if (filter.employee) {
        where << QStringLiteral("employee = ?");
        values << QVariant(*filter.employee);
    }
    if (filter.from.isValid()) {
        where << QStringLiteral("stamp >= ?");
        values << QVariant(filter.from.toString(Qt::ISODate));
    }
    if (filter.to.isValid()) {
        where << QStringLiteral("stamp < ?");
        values << QVariant(filter.to.addDays(1).toString(Qt::ISODate));
    }
    for (const auto& [column, value] : {qMakePair(QStringLiteral("company"), filter.company),
                                        qMakePair(QStringLiteral("usernm"), filter.user),
                                        qMakePair(QStringLiteral("tbl"), filter.table),
                                        qMakePair(QStringLiteral("kind"), filter.kind)})
        if (!value.isEmpty()) {
            where << column + QStringLiteral(" = ?");
            values << QVariant(value);
        }
    SqlQuery query(database, QStringLiteral("SELECT %1%2 FROM audit%3 ORDER BY seq")
                                 .arg(entryColumns, withValues ? valueColumns : QString(),
                                      where.isEmpty() ? QString()
                                                      : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "))));
    for (const QVariant& value : values)
        query.bind(value);
    return query.rows([withValues](const SqlQuery& row) { return readEntry(row, withValues); });
}

Result<std::optional<AuditEntry>> find(const Database& database, qint64 seq)
{
    SqlQuery query(database, QStringLiteral("SELECT %1%2 FROM audit WHERE seq = ?").arg(entryColumns, valueColumns));
    query.bind(seq);
    return query.first([](const SqlQuery& row) { return readEntry(row, true); });
}

QList<QPair<QString, QString>> fields(const QString& imageText)
{
    QList<QPair<QString, QString>> list;
    if (imageText.isEmpty())
        return list;
    for (const QString& line : imageText.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            list << qMakePair(line, QString());
        else
            list << qMakePair(line.left(equals), unescaped(line.mid(equals + 1)));
    }
    return list;
}

QString changes(const AuditEntry& entry)
{
    QString line;
    if (!entry.before.isEmpty() && !entry.after.isEmpty()) {
        const auto before = fields(entry.before);
        const auto after = fields(entry.after);
        QStringList changed;
        for (qsizetype i = 0; i < after.size(); ++i) {
            const QString old = i < before.size() ? before.at(i).second : QString();
            if (old != after.at(i).second)
                changed << QStringLiteral("%1 %2 \u2192 %3").arg(after.at(i).first, old, after.at(i).second);
        }
        line = changed.join(QStringLiteral(", "));
    } else if (!entry.after.isEmpty()) {
        line = QStringLiteral("new row");
    } else if (!entry.before.isEmpty()) {
        line = QStringLiteral("row deleted");
    }
    if (entry.note.isEmpty())
        return line;
    return line.isEmpty() ? entry.note : line + QStringLiteral("; ") + entry.note;
}

} // namespace audit
