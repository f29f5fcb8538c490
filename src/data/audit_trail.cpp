#include "audit_trail.h"

#include "common/clock.h"
#include "common/currency.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "data/table_transfer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace audit {

namespace {

const QString stampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// A transaction that queues more entries than this (a bulk deletion) writes them as it goes, so
// that its memory stays small; the trail's end is then held from that moment to the commit.
constexpr size_t queuedAtMost = 2000;

const QStringList employeeTables = {QStringLiteral("emp"),   QStringLiteral("payroll"), QStringLiteral("loan"),
                                    QStringLiteral("adv"),   QStringLiteral("incre"),   QStringLiteral("decre"),
                                    QStringLiteral("arr")};

const transfer::Table* tableOf(const QString& name)
{
    for (const transfer::Table& table : transfer::tables())
        if (table.name == name)
            return &table;
    return nullptr;
}

// The columns the trail keeps of a table: all but the passwords.
QList<transfer::Column> keptColumns(const transfer::Table& table)
{
    QList<transfer::Column> kept;
    for (const transfer::Column& column : table.columns)
        if (column.kind != transfer::Kind::Password)
            kept << column;
    return kept;
}

QString escaped(QString value)
{
    // Most values hold none of the three: they are given back untouched, not copied.
    if (!value.contains(QLatin1Char('\\')) && !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return value;
}

QString cell(const SqlQuery& row, int column, transfer::Kind kind)
{
    if (row.isNull(column))
        return {};
    switch (kind) {
    case transfer::Kind::Number:
        return QString::number(row.number(column));
    case transfer::Kind::Amount:
        return row.amount(column).toString();
    default:
        return escaped(row.text(column));
    }
}

using Binder = std::function<void(SqlQuery&)>;

Binder binding(const QVariantList& values)
{
    return [&values](SqlQuery& query) {
        for (const QVariant& value : values)
            query.bind(value);
    };
}

// Runs the statement that statementFor(columns) makes, columns being the table's key and every kept
// column (its values bound by bind), and hands each row's image to use.
Status readImages(const Database& database, const QString& table,
                  const std::function<QString(const QString& columns)>& statementFor, const Binder& bind,
                  const std::function<Status(const RowImage&)>& use)
{
    const transfer::Table* definition = tableOf(table);
    if (!definition)
        return Status::failure(QStringLiteral("The audit trail does not know the table %1.").arg(table));
    const QList<transfer::Column> columns = keptColumns(*definition);
    QStringList names{keyColumn(table)};
    for (const transfer::Column& column : columns)
        names << column.name;
    SqlQuery query(database, statementFor(names.join(QStringLiteral(", "))));
    bind(query);
    // The first column is the key, which for the employees is their number too.
    const int employeeColumn = employeeTables.contains(table) ? int(names.indexOf(QStringLiteral("ID"))) : -1;
    const int companyColumn = int(names.indexOf(QStringLiteral("company"), 1));
    if (Status s = query.exec(); !s)
        return s;
    qsizetype longest = 0; // the image's text is built in one string of about the last one's size
    while (query.next()) {
        RowImage image;
        image.key = QString::number(query.number(0));
        if (employeeColumn >= 0)
            image.employee = query.number(employeeColumn);
        if (companyColumn > 0)
            image.company = query.text(companyColumn);
        image.text.reserve(longest);
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                image.text += QLatin1Char('\n');
            image.text += columns.at(i).name;
            image.text += QLatin1Char('=');
            image.text += cell(query, i + 1, columns.at(i).kind);
        }
        longest = std::max(longest, image.text.size());
        if (Status s = use(image); !s)
            return s;
    }
    return query.readFailure();
}

// The rows of the table that where selects, as they are now.
Result<QList<RowImage>> read(const Database& database, const QString& table, const QString& where,
                             const QVariantList& values)
{
    QList<RowImage> list;
    const auto select = [&](const QString& columns) {
        return QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(columns, transfer::sqlName(table), where);
    };
    if (Status s = readImages(database, table, select, binding(values),
                              [&](const RowImage& image) {
                                  list << image;
                                  return Status();
                              });
        !s)
        return s;
    return list;
}

// The row of the table whose key (transid, ID, or the database's row number) is given.
Result<std::optional<RowImage>> image(const Database& database, const QString& table, const QString& key)
{
    auto found = read(database, table, keyColumn(table) + QStringLiteral(" = ?"), {QVariant(key.toLongLong())});
    if (!found)
        return found.status();
    if (found->isEmpty())
        return std::optional<RowImage>();
    return std::optional<RowImage>(found->first());
}

AuditEntry entryNow(const Database& database, Kind kind, const QString& table)
{
    AuditEntry entry;
    entry.at = toTheSecond(database.clock().now());
    entry.user = database.user();
    entry.workstation = database.workstation();
    entry.table = table;
    entry.kind = kindName(kind);
    return entry;
}

Status queue(const Database& database, AuditEntry entry)
{
    if (!database.inTransaction())
        return Status::failure(QStringLiteral("A change of %1 was made outside a transaction, where the audit trail "
                                              "cannot record it; nothing was stored.")
                                   .arg(entry.table));
    auto& pending = database.pendingAudit();
    pending.push_back(std::move(entry));
    if (pending.size() >= queuedAtMost && database.transactionDepth() == 1)
        return flush(database);
    return {};
}

} // namespace

QDateTime toTheSecond(const QDateTime& time)
{
    return time.addMSecs(-time.time().msec());
}

QString kindName(Kind kind)
{
    return kindNames().at(int(kind));
}

QStringList kindNames()
{
    return {QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete"), QStringLiteral("close"),
            QStringLiteral("reopen"), QStringLiteral("import"), QStringLiteral("restore")};
}

QStringList tableNames()
{
    // Every table but the trail itself, which records no change of its own.
    QStringList names;
    for (const transfer::Table& table : transfer::tables())
        if (table.name != QStringLiteral("audit"))
            names << table.name;
    return names;
}

QString keyColumn(const QString& table)
{
    if (table == QStringLiteral("payroll"))
        return QStringLiteral("transid");
    if (table == QStringLiteral("emp") || table == QStringLiteral("use"))
        return QStringLiteral("ID");
    return QStringLiteral("rowid");
}

Result<qint64> removeRecorded(const Database& database, const QString& table, const QString& where,
                              const QVariantList& values, const QString& note)
{
    const auto statement = [&](const QString& columns) {
        return QStringLiteral("DELETE FROM %1 WHERE %2 RETURNING %3").arg(transfer::sqlName(table), where, columns);
    };
    qint64 count = 0;
    // The rows go at one moment, by one hand: the entries differ only in the rows (a deletion of a
    // company's payroll records hundreds of thousands).
    AuditEntry deletion = entryNow(database, Kind::Delete, table);
    deletion.note = note;
    const auto recordOne = [&](const RowImage& before) {
        ++count;
        AuditEntry entry = deletion;
        entry.key = before.key;
        entry.employee = before.employee;
        entry.company = before.company;
        entry.before = before.text;
        return queue(database, std::move(entry));
    };
    if (database.backend() == Backend::SQLite) {
        // SQLite makes every deletion at the first step and hands the rows on after; the entries
        // written meanwhile go into another table.
        if (Status s = readImages(database, table, statement, binding(values), recordOne); !s)
            return s;
        return count;
    }
    // The server's driver drops the rest of a result being read when the connection runs another
    // statement (the entries written on the way): the rows are taken whole first.
    QList<RowImage> gone;
    if (Status s = readImages(database, table, statement, binding(values),
                              [&](const RowImage& image) {
                                  gone << image;
                                  return Status();
                              });
        !s)
        return s;
    for (const RowImage& before : std::as_const(gone))
        if (Status s = recordOne(before); !s)
            return s;
    return count;
}

Status record(const Database& database, Kind kind, const QString& table, const std::optional<RowImage>& before,
              const std::optional<RowImage>& after, const QString& note)
{
    AuditEntry entry = entryNow(database, kind, table);
    const RowImage& row = after ? *after : *before;
    if (before || after) {
        entry.key = row.key;
        entry.employee = row.employee;
        entry.company = row.company;
    }
    if (before)
        entry.before = before->text;
    if (after)
        entry.after = after->text;
    entry.note = note;
    return queue(database, std::move(entry));
}

Status recordEvent(const Database& database, Kind kind, const QString& table, const QString& company,
                   const QString& note, qint64 employee)
{
    AuditEntry entry = entryNow(database, kind, table);
    entry.company = company;
    entry.note = note;
    entry.employee = employee;
    return queue(database, std::move(entry));
}

Result<qint64> insertRecorded(const Database& database, const QString& table, const QString& insert,
                              const std::function<void(SqlQuery&)>& bind)
{
    std::optional<RowImage> stored;
    if (Status s = readImages(
            database, table, [&](const QString& columns) { return insert + QStringLiteral(" RETURNING ") + columns; },
            bind,
            [&](const RowImage& row) {
                stored = row;
                return Status();
            });
        !s)
        return s;
    if (!stored)
        return Status::failure(QStringLiteral("The database gave the new row of %1 no number.").arg(table));
    if (Status s = record(database, Kind::Insert, table, std::nullopt, *stored); !s)
        return s;
    return stored->key.toLongLong();
}

Status recordInserted(const Database& database, const QString& table, const QString& key, const QString& note)
{
    const auto row = image(database, table, key);
    if (!row)
        return row.status();
    if (!row->has_value())
        return Status::failure(QStringLiteral("The new row %1 of %2 cannot be read back.").arg(key, table));
    return record(database, Kind::Insert, table, std::nullopt, *row, note);
}

Result<Change> Change::of(const Database& database, const QString& table, const QString& where,
                          const QVariantList& values)
{
    auto before = read(database, table, where, values);
    if (!before)
        return before.status();
    return Change(database, table, std::move(before.value()));
}

Status Change::record(const QString& note) const
{
    for (const RowImage& before : m_before) {
        const auto after = image(*m_db, m_table, before.key);
        if (!after)
            return after.status();
        // A row the change left as it was has no entry, unless the note says what changed unseen
        // (a password).
        if (after->has_value() && (*after)->text == before.text && note.isEmpty())
            continue;
        const Kind kind = after->has_value() ? Kind::Update : Kind::Delete;
        if (Status s = audit::record(*m_db, kind, m_table, before, *after, note); !s)
            return s;
    }
    return {};
}

Status Change::recordDeleted(const QString& note) const
{
    for (const RowImage& before : m_before)
        if (Status s = audit::record(*m_db, Kind::Delete, m_table, before, std::nullopt, note); !s)
            return s;
    return {};
}

Status recorded(const Database& database, const QString& table, const QString& where, const QVariantList& values,
                const std::function<Status()>& write, const QString& note)
{
    // A write transaction: the rows are read before they are changed, and no other workstation may
    // change them in between.
    return inWriteTransaction(database, [&]() -> Status {
        const auto change = Change::of(database, table, where, values);
        if (!change)
            return change.status();
        if (Status s = write(); !s)
            return s;
        return change->record(note);
    });
}

Result<qint64> recordedInsert(const Database& database, const QString& table,
                              const std::function<Result<qint64>()>& insert)
{
    qint64 given = 0;
    const Status done = inWriteTransaction(database, [&]() -> Status {
        const auto key = insert();
        if (!key)
            return key.status();
        given = *key;
        return recordInserted(database, table, QString::number(given));
    });
    if (!done)
        return done;
    return given;
}

QList<ScalarRead> endReads()
{
    return {{QStringLiteral("SELECT seq FROM audit ORDER BY seq DESC LIMIT 1"), {}},
            {QStringLiteral("SELECT hash FROM audit ORDER BY seq DESC LIMIT 1"), {}}};
}

AuditEnd endOf(const QVariant& seq, const QVariant& hash)
{
    return {seq.isNull() ? 0 : seq.toLongLong(), hash.toString()};
}

Result<AuditEnd> readEnd(const Database& database)
{
    const auto end = readTogether(database, endReads());
    if (!end)
        return end.status();
    return endOf(end->at(0), end->at(1));
}

QString hashOf(const AuditEntry& e, const QString& previousHash)
{
    // The fields' UTF-8, each after a unit separator but the first: the bytes of the fields joined
    // by U+001F, fed to the hash one by one rather than copied into one text first.
    const auto context = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    bool ok = context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
    bool first = true;
    for (const QString& field : {previousHash, QString::number(e.seq), e.stamp.isEmpty() ? e.at.toString(stampFormat) : e.stamp,
                                 e.user, e.workstation, e.company, e.table, e.key, QString::number(e.employee), e.kind,
                                 e.before, e.after, e.note}) {
        if (!first)
            ok = ok && EVP_DigestUpdate(context.get(), "\x1f", 1) == 1;
        first = false;
        const QByteArray bytes = field.toUtf8();
        ok = ok && EVP_DigestUpdate(context.get(), bytes.constData(), size_t(bytes.size())) == 1;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(context.get(), digest, &length) == 1;
    // Without a hash no entry can be chained: an empty one is refused by the writer and never matches.
    if (!ok)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

namespace {

// The trail's end, held: as the transaction read it under the lock, or as its last writing left it.
Result<AuditEnd> heldEnd(const Database& database)
{
    if (Status s = lockAuditChain(database); !s)
        return s;
    if (!database.auditEnd()) {
        const auto end = readEnd(database);
        if (!end)
            return end.status();
        database.setAuditEnd(*end);
    }
    return *database.auditEnd();
}

} // namespace

Status flush(const Database& database, bool thenCommit)
{
    const auto commit = [&]() -> Status {
        if (!thenCommit)
            return {};
        if (database.backend() != Backend::SQLite)
            return runInOneTrip(database, {{QStringLiteral("COMMIT"), {}}});
        QSqlDatabase connection = database.connection();
        return connection.commit() ? Status() : Status::failure(connection.lastError().text());
    };
    auto& pending = database.pendingAudit();
    if (pending.empty())
        return commit();
    const auto end = heldEnd(database);
    if (!end)
        return end.status();
    qint64 seq = end->seq;
    QString previous = end->hash;
    const QString insertion = QStringLiteral("INSERT INTO audit (seq, stamp, usernm, workstation, company, tbl, rowkey,"
                                             " employee, kind, oldvalues, newvalues, note, hash)"
                                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const auto cannot = [&](const Status& s) {
        database.setAuditEnd(std::nullopt);
        return Status::failure(QStringLiteral("The audit trail cannot record the change: %1").arg(s.error()));
    };
    // On a server the entries go a hundred to a round trip, and the commit with the last of them;
    // on SQLite one prepared insert runs for each. A hundred answers stay well within what the
    // connection holds while the entries are still being sent.
    const bool server = database.backend() != Backend::SQLite;
    constexpr qsizetype perTrip = 100;
    QList<Statement> trip;
    std::optional<SqlQuery> insert;
    if (!server)
        insert.emplace(database, insertion);
    QDateTime stampedAt;
    QString stamp;
    for (AuditEntry& e : pending) {
        e.seq = ++seq;
        // Entries of one moment, written alike, share their stamp's text.
        // Compared by their fields: comparing the instants would look up the time zone each time.
        if (stamp.isEmpty() || e.at.date() != stampedAt.date() || e.at.time() != stampedAt.time() ||
            e.at.timeSpec() != stampedAt.timeSpec()) {
            stampedAt = e.at;
            stamp = e.at.toString(stampFormat);
        }
        e.stamp = stamp;
        e.hash = hashOf(e, previous);
        if (e.hash.isEmpty())
            return Status::failure(QStringLiteral("The audit trail cannot record the change: no hash could be made."));
        previous = e.hash;
        const QVariantList values{e.seq,  e.stamp, e.user,   e.workstation, e.company, e.table, e.key,
                                  e.employee, e.kind, e.before, e.after, e.note, e.hash};
        if (server) {
            trip.append({insertion, values});
            if (trip.size() == perTrip && &e != &pending.back()) {
                if (Status s = runInOneTrip(database, trip); !s)
                    return cannot(s);
                trip.clear();
            }
            continue;
        }
        for (const QVariant& value : values)
            insert->bind(value);
        if (Status s = insert->exec(); !s)
            return cannot(s);
    }
    if (server && thenCommit)
        trip.append({QStringLiteral("COMMIT"), {}});
    if (server) {
        if (Status s = runInOneTrip(database, trip); !s) {
            // A commit whose answer was lost says so as it is; anything else failed before it.
            const Status failed = cannot(s);
            return s.error().contains(QStringLiteral("may or may not")) ? s : failed;
        }
    }
    database.setAuditEnd(AuditEnd{seq, previous});
    pending.clear();
    // On a server the commit went with the last entries.
    return server ? Status() : commit();
}

} // namespace audit
