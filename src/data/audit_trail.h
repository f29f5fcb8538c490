#pragma once

#include "data/audit_entry.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class Database;
class SqlQuery;
struct ScalarRead;

// The audit trail: every change to the stored data appends an entry in the transaction that makes
// the change, so that a change and its entry are stored together or not at all. Entries are queued
// while the transaction runs and written, chained by their hashes, when it commits: the end of the
// trail is held only for those last moments, so workstations wait on each other no longer than that.
// Nothing in the program changes or deletes an entry, and the database refuses it (a trigger).
namespace audit {

// A time as the trail and the month close keep it: to the second.
QDateTime toTheSecond(const QDateTime& time);

enum class Kind { Insert, Update, Delete, Close, Reopen, Import, Restore };
QString kindName(Kind kind);
// The kinds as they are stored, in the order of Kind.
QStringList kindNames();
// The tables whose changes the trail records, as the trail names them.
QStringList tableNames();

// A stored row as the trail records it: every column as text ("column=value" lines, amounts as
// decimals), no password.
struct RowImage {
    QString key;
    qint64 employee = 0;
    QString company;
    QString text;
};

// Deletes the rows of the table that where selects, recording each as it was: how many it deleted.
// The rows are given back by the deletion itself, so that what is recorded is exactly what went,
// and the end of the trail is held only once the rows are.
Result<qint64> removeRecorded(const Database& database, const QString& table, const QString& where,
                              const QVariantList& values = {}, const QString& note = {});
// The column that names a row of the table in the trail.
QString keyColumn(const QString& table);

// Queues an entry for the open transaction (fails outside one): a row inserted (no before),
// updated, or deleted (no after), or an event of the table or company (neither).
Status record(const Database& database, Kind kind, const QString& table, const std::optional<RowImage>& before,
              const std::optional<RowImage>& after, const QString& note = {});
Status recordEvent(const Database& database, Kind kind, const QString& table, const QString& company,
                   const QString& note, qint64 employee = 0);
// The row of the table with that key, just inserted.
Status recordInserted(const Database& database, const QString& table, const QString& key, const QString& note = {});

// The rows a change is about to touch: read before it, recorded after it as updated or deleted
// (a row that is gone), each with its own entry.
class Change {
public:
    Change() = default;
    static Result<Change> of(const Database& database, const QString& table, const QString& where,
                             const QVariantList& values = {});
    const QList<RowImage>& before() const { return m_before; }
    // After the change: each row read again and recorded.
    Status record(const QString& note = {}) const;
    // After a deletion of every row read: each recorded as deleted, without reading again.
    Status recordDeleted(const QString& note = {}) const;

private:
    Change(const Database& database, QString table, QList<RowImage> before)
        : m_db(&database), m_table(std::move(table)), m_before(std::move(before))
    {
    }
    const Database* m_db = nullptr;
    QString m_table;
    QList<RowImage> m_before;
};

// Runs write (a change of the rows where selects) in a transaction, recording each row it changed
// or deleted.
Status recorded(const Database& database, const QString& table, const QString& where, const QVariantList& values,
                const std::function<Status()>& write, const QString& note = {});
// Runs insert (an insert that gives back the new row's key) in a transaction, recording the row:
// the key.
Result<qint64> recordedInsert(const Database& database, const QString& table,
                              const std::function<Result<qint64>()>& insert);

// Appends the queued entries to the chain; called as the outermost transaction commits, which with
// thenCommit it does (on a server in the entries' last round trip), and by a long transaction on the
// way.
Status flush(const Database& database, bool thenCommit = false);

// The reads of the trail's end (its last entry's number, then its hash), for a write to read with
// its other checks once it holds the end (Locks::auditChain); endOf makes the end of their values.
QList<ScalarRead> endReads();
AuditEnd endOf(const QVariant& seq, const QVariant& hash);

// Runs insert (a statement inserting one row, to which " RETURNING <columns>" is added, its values
// bound by bind) and queues the new row as stored for the trail, without reading it again: its key.
Result<qint64> insertRecorded(const Database& database, const QString& table, const QString& insert,
                              const std::function<void(SqlQuery&)>& bind);

// The hash of an entry, made of its contents and the hash of the entry before it.
QString hashOf(const AuditEntry& entry, const QString& previousHash);
// Why an entry does not fit where it stands in the chain (expected: the number it should have,
// previousHash: the hash of the entry before it), or an empty text when it fits.
QString misfitOf(const AuditEntry& entry, qint64 expected, const QString& previousHash);

// An entry read from the values of its stored columns in the order seq, stamp, usernm,
// workstation, company, tbl, rowkey, employee, kind, note and, with its values, oldvalues,
// newvalues, hash: a stored entry or a file's alike. The time is its stamp's, read by the caller.
template <typename Row>
AuditEntry entryOf(const Row& row, bool withValues = true)
{
    AuditEntry e;
    e.seq = row.number(0);
    // Hashed as stored: the text, not a time read back in this computer's time zone.
    e.stamp = row.text(1);
    e.user = row.text(2);
    e.workstation = row.text(3);
    e.company = row.text(4);
    e.table = row.text(5);
    e.key = row.text(6);
    e.employee = row.number(7);
    e.kind = row.text(8);
    e.note = row.text(9);
    if (withValues) {
        e.before = row.text(10);
        e.after = row.text(11);
        e.hash = row.text(12);
    }
    return e;
}

// Another database's trail brought with its data (an import into a new, empty database): its
// entries in their order, each refused unless it fits the chain as verify() checks it, and written
// as it was, so that the entries made here afterwards go on from its end.
class BroughtTrail {
public:
    explicit BroughtTrail(const Database& database);
    ~BroughtTrail();
    // Refused when the database has a trail of its own.
    Status begin();
    Status add(AuditEntry entry);

private:
    const Database& m_db;
    std::unique_ptr<SqlQuery> m_insert;
    qint64 m_expected = 1;
    QString m_previous;
    bool m_broken = false;
};

// What checking the chain found: the number of entries, and the first that does not fit.
struct Verification {
    qint64 entries = 0;
    std::optional<qint64> broken; // the entry's number
    QString reason;               // what is wrong, for the operator; empty when the trail is whole
    bool intact() const { return reason.isEmpty(); }
    // "The audit trail of 1,234 entries is intact." or what is wrong.
    QString summary() const;
};
// Reads the whole trail in order and checks each entry's number and hash, and that the database
// still refuses changes to it. progress is told how many entries were read, now and then.
Result<Verification> verify(const Database& database, const std::function<void(qint64)>& progress = {});

// What the audit window and report select. Empty texts and no employee select everything.
struct Filter {
    QString company;
    QDate from;
    QDate to;
    QString user;
    QString table;
    QString kind;
    std::optional<qint64> employee;
};
// The entries of the filter, in the order they were made, without their before and after values
// (read one at a time with find()), so that a month of a busy office reads at once.
Result<QList<AuditEntry>> select(const Database& database, const Filter& filter, bool withValues = false);
Result<std::optional<AuditEntry>> find(const Database& database, qint64 seq);

// The values of a row image's text, as (column, value) pairs in order.
QList<QPair<QString, QString>> fields(const QString& imageText);
// What an entry changed, in a line: "netpay 5000 → 5200, bonus 0 → 200" for an update, the note
// for an event, "new row" or "row deleted" otherwise (with the note after it when there is one).
QString changes(const AuditEntry& entry);

} // namespace audit
