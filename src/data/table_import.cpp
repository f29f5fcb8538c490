#include "table_transfer.h"

#include "data/audit_trail.h"
#include "data/csv_file.h"
#include "data/database.h"
#include "data/dialect.h"
#include "data/employee_repository.h"
#include "data/import_sinks.h"
#include "data/ledger_facts.h"
#include "data/schema.h"
#include "data/sql_query.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>

// Reading a folder of the tables' files into the database, all in one transaction.
namespace transfer {

namespace {

constexpr int refusalsListed = 100;
constexpr qint64 progressEvery = 100000;

// The order the tables are read in: what a row names before the row (the masters before the
// employees, the employees and their loans and advances before the payroll that recovers and
// deducts them), another database's trail first, as the past of what follows, and the months it
// closed last, after the rows dated in them.
const QStringList readOrder = {QStringLiteral("audit"),   QStringLiteral("passwd"),  QStringLiteral("use"),
                               QStringLiteral("cmpmaster"), QStringLiteral("dept"),  QStringLiteral("grp"),
                               QStringLiteral("statrule"), QStringLiteral("emp"),    QStringLiteral("loan"),
                               QStringLiteral("adv"),     QStringLiteral("payroll"), QStringLiteral("incre"),
                               QStringLiteral("decre"),   QStringLiteral("arr"),     QStringLiteral("closedmonth")};

QString grouped(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

// The folder's files, found whatever the case of their names: a CSV file named for no table, or
// two of one table, is refused rather than passed over, so that no table is left behind unseen.
struct Files {
    QList<QPair<const Table*, QString>> tables; // in the order they are read
    QStringList strangers;
    QList<QPair<QString, QString>> twins;
};

Files filesIn(const QDir& dir)
{
    Files files;
    QHash<QString, QString> fileOf; // table -> file
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
            continue;
        const auto table = std::find_if(tables().cbegin(), tables().cend(), [&](const Table& t) {
            return t.fileName().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (table == tables().cend())
            files.strangers << name;
        else if (fileOf.contains(table->name))
            files.twins << qMakePair(fileOf.value(table->name), name);
        else
            fileOf.insert(table->name, name);
    }
    for (const QString& name : readOrder)
        if (fileOf.contains(name))
            files.tables << qMakePair(tableNamed(name), fileOf.value(name));
    return files;
}

class Import {
public:
    Import(const Database& db, const QDir& dir, const ImportOptions& options, const Progress& progress)
        : m_db(db), m_dir(dir), m_options(options), m_progress(progress)
    {
    }
    Result<ImportOutcome> run(const Files& files);

private:
    void refuse(const QString& file, qint64 line, const QString& column, const QString& reason);
    Status begin();
    Status readTable(const Table& table, const QString& file, ImportContext& context);
    std::optional<QList<int>> readHeader(const Table& table, const QString& file, CsvReader& reader);
    Status readRows(const Table& table, const QString& file, CsvReader& reader, const QList<int>& columnOf,
                    TableSink& sink, Count& count);
    Status finish(const Files& files);

    const Database& m_db;
    QDir m_dir;
    ImportOptions m_options;
    Progress m_progress;
    ImportOutcome m_outcome;
};

void Import::refuse(const QString& file, qint64 line, const QString& column, const QString& reason)
{
    ++m_outcome.reasons;
    if (m_outcome.refusals.size() < refusalsListed)
        m_outcome.refusals << Refusal{file, line, column, reason.section(QLatin1Char('\n'), 0, 0).trimmed()};
}

Status Import::begin()
{
    // The giving of employee numbers is held: a workstation adding an employee meanwhile cannot
    // take a number an imported ledger refers to. On a server the trail's end is held too, which
    // every save holds before it reads what it checks: a clerk's save waits for the import and
    // then sees its rows, rather than checking against a month the import is filling.
    Locks locks;
    locks.employeeNumbers();
    if (m_db.backend() != Backend::SQLite)
        locks.auditChain();
    if (Status s = locks.take(m_db); !s)
        return s;
    // Asked under the lock: two imports into one new database cannot both find it empty.
    if (!m_options.append) {
        const auto empty = schema::holdsNoData(m_db);
        if (!empty)
            return empty.status();
        if (!*empty)
            return Status::failure(QStringLiteral("%1 holds data already. Import into a new, empty database, or give "
                                                  "--append to add the files' rows to it.")
                                       .arg(DatabaseLocation::shown(m_db.path())));
    }
    return {};
}

Result<ImportOutcome> Import::run(const Files& files)
{
    for (const QString& name : files.strangers) {
        refuse(name, 0, {}, QStringLiteral("is named for no table (emp.csv, payroll.csv, …)"));
        ++m_outcome.refused;
    }
    for (const auto& [first, second] : files.twins) {
        refuse(second, 0, {}, QStringLiteral("is the same table as %1: keep one of the two files").arg(first));
        ++m_outcome.refused;
    }
    Transaction transaction(m_db, Transaction::Kind::Write);
    if (!transaction.active())
        return Status::failure(transaction.error());
    if (Status s = begin(); !s)
        return s;
    LedgerFacts facts(m_db);
    if (Status s = facts.begin(); !s)
        return s;
    ImportContext context{m_db, facts, m_options, facts.startedEmpty()};
    m_outcome.intoDataInUse = !context.history;
    for (const auto& [table, file] : files.tables)
        if (Status s = readTable(*table, file, context); !s)
            return s;
    if (m_outcome.refused > 0) {
        transaction.rollback();
        for (Count& count : m_outcome.counts)
            count.stored = 0;
        return m_outcome;
    }
    if (Status s = finish(files); !s)
        return s;
    if (Status s = transaction.commit(); !s)
        return s;
    return m_outcome;
}

std::optional<QList<int>> Import::readHeader(const Table& table, const QString& file, CsvReader& reader)
{
    Record header;
    if (!reader.next(header)) {
        refuse(file, 1, {}, QStringLiteral("is empty: its first line must name the columns"));
        return std::nullopt;
    }
    // The header names the columns, in any order and any case; unknown ones are refused.
    QList<int> columnOf; // for each field of a record, the table's column it fills
    bool refused = false;
    for (int position = 0; position < header.fields.size(); ++position) {
        const QString name = header.fields.at(position).trimmed();
        const auto found = std::find_if(table.columns.cbegin(), table.columns.cend(),
                                        [&](const Column& c) { return c.name.compare(name, Qt::CaseInsensitive) == 0; });
        const int column = found == table.columns.cend() ? -1 : int(found - table.columns.cbegin());
        if (name.isEmpty())
            refuse(file, header.line, {}, QStringLiteral("column %1 of the header has no name").arg(position + 1));
        else if (column < 0)
            refuse(file, header.line, name, QStringLiteral("is not a column of %1").arg(table.name));
        else if (columnOf.contains(column))
            refuse(file, header.line, found->name, QStringLiteral("stands twice in the header"));
        refused = refused || name.isEmpty() || column < 0 || columnOf.contains(column);
        columnOf << column;
    }
    for (int column = 0; column < table.columns.size(); ++column)
        if (table.columns.at(column).required && !columnOf.contains(column)) {
            refuse(file, header.line, table.columns.at(column).name, QStringLiteral("is missing from the header"));
            refused = true;
        }
    if (refused)
        return std::nullopt;
    return columnOf;
}

Status Import::readTable(const Table& table, const QString& file, ImportContext& context)
{
    HashedFile input(m_dir.filePath(file));
    if (!input.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("%1 cannot be read: %2").arg(file, input.errorText()));
    CsvReader reader(input);
    Count count{table.name};
    const auto columnOf = readHeader(table, file, reader);
    auto sink = columnOf ? sinkFor(table, context) : Result<std::unique_ptr<TableSink>>(nullptr);
    if (!sink && !sink.status().isRefusal())
        return sink.status();
    if (!columnOf || !sink || !*sink) {
        if (!sink)
            refuse(file, 0, {}, sink.error());
        ++m_outcome.refused;
        m_outcome.counts << count;
        return {};
    }
    if (Status s = readRows(table, file, reader, *columnOf, **sink, count); !s)
        return s;
    m_outcome.secondInMonth += (*sink)->secondsRefused();
    // The file is one whose SHA-256 can be checked again: the bytes read, every one of them.
    if (m_outcome.refused == 0 && count.stored > 0)
        if (Status s = audit::recordEvent(m_db, audit::Kind::Import, table.name, {},
                                          QStringLiteral("%1 rows imported from %2 (%3 read; SHA-256 %4)")
                                              .arg(count.stored)
                                              .arg(QDir::toNativeSeparators(input.fileName()))
                                              .arg(count.read)
                                              .arg(input.hash()));
            !s)
            return s;
    m_outcome.counts << count;
    if (m_progress)
        m_progress(QStringLiteral("%1: %2 rows read, %3 stored")
                       .arg(file, grouped(count.read), grouped(m_outcome.refused > 0 ? 0 : count.stored)));
    return {};
}

Status Import::readRows(const Table& table, const QString& file, CsvReader& reader, const QList<int>& columnOf,
                        TableSink& sink, Count& count)
{
    Record record;
    ImportRow row;
    while (reader.next(record)) {
        ++count.read;
        if (m_progress && count.read % progressEvery == 0)
            m_progress(QStringLiteral("%1: %2 rows read").arg(file, grouped(count.read)));
        row.line = record.line;
        QString problem = record.problem;
        if (problem.isEmpty() && record.fields.size() != columnOf.size())
            problem = QStringLiteral("has %1 fields, the header %2").arg(record.fields.size()).arg(columnOf.size());
        if (!problem.isEmpty()) {
            refuse(file, record.line, {}, problem);
            ++m_outcome.refused;
            continue;
        }
        row.values = QVariantList(table.columns.size());
        bool unreadable = false;
        for (int i = 0; i < columnOf.size(); ++i) {
            const Column& column = table.columns.at(columnOf.at(i));
            auto value = cellValue(column, record.fields.at(i), record.quoted.at(i), m_options.dayFirst);
            if (const auto* reason = std::get_if<QString>(&value)) {
                refuse(file, record.line, column.name, *reason);
                unreadable = true;
            } else {
                row.values[columnOf.at(i)] = std::move(std::get<QVariant>(value));
            }
        }
        if (unreadable) {
            ++m_outcome.refused;
            continue;
        }
        // Every row is checked: one refused, the rest are still read and checked against those before
        // them, so that every refusal is listed at once; the transaction then stores none of them.
        if (const Status taken = sink.take(row); !taken) {
            if (!taken.isRefusal())
                return taken;
            refuse(file, record.line, taken.field(), taken.error());
            ++m_outcome.refused;
            continue;
        }
        ++count.stored;
    }
    return {};
}

Status Import::finish(const Files& files)
{
    // Numbers the database gives go on after the largest imported; employee numbers after the
    // largest that any imported ledger refers to, so that no new employee takes on old rows.
    for (const auto& [table, file] : files.tables)
        if (!table->identity.isEmpty())
            if (const QString follow = dialect::identityAfterLargest(m_db.backend(), sqlName(table->name), table->identity);
                !follow.isEmpty())
                if (Status s = execute(m_db, follow); !s)
                    return s;
    const auto next = EmployeeRepository(m_db).nextId();
    if (!next)
        return next.status();
    for (const QString& statement : dialect::employeeNumbersFrom(m_db.backend())) {
        SqlQuery move(m_db, statement);
        if (statement.contains(QLatin1Char('?')))
            move.bind(*next);
        if (Status s = move.exec(); !s)
            return s;
    }
    return {};
}

} // namespace

Result<ImportOutcome> importFolder(const Database& database, const QString& folder, const ImportOptions& options,
                                   const Progress& progress)
{
    const QDir dir(folder);
    if (!dir.exists())
        return Status::failure(QStringLiteral("There is no folder %1.").arg(QDir::toNativeSeparators(folder)));
    const Files files = filesIn(dir);
    if (files.tables.isEmpty())
        return Status::failure(QStringLiteral("%1 holds none of the tables' files (emp.csv, payroll.csv, …).")
                                   .arg(QDir::toNativeSeparators(folder)));
    return Import(database, dir, options, progress).run(files);
}

} // namespace transfer
