#include "sql_query.h"

#include "common/dates.h"
#include "data/database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdlib>
#include <vector>

namespace {

// Whether the driver runs on the same SQLite library as this program: a Qt built with a copy of
// SQLite inside its driver would hand out a connection of another library. Asked once, through the
// driver, before the connection is touched.
bool driverSharesTheLibrary(const QSqlDatabase& connection)
{
    static const bool shared = [&] {
        QSqlQuery version(connection);
        return version.exec(QStringLiteral("SELECT sqlite_version()")) && version.next() &&
               version.value(0).toString() == QString::fromLatin1(sqlite3_libversion());
    }();
    return shared;
}

sqlite3* sqliteHandle(const QSqlDatabase& connection)
{
    if (connection.driverName() != QStringLiteral("QSQLITE") || !connection.driver() || !connection.isOpen())
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 || !driverSharesTheLibrary(connection))
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

// As the driver: an empty text, bytes, date or time of a null kind is stored as NULL.
bool boundAsNull(const QVariant& v)
{
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString().isNull();
    case QMetaType::QByteArray:
        return v.toByteArray().isNull();
    case QMetaType::QDate:
        return v.toDate().isNull();
    case QMetaType::QTime:
        return v.toTime().isNull();
    case QMetaType::QDateTime:
        return v.toDateTime().isNull();
    default:
        return false;
    }
}

QString errorOf(sqlite3* handle)
{
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

PGconn* serverHandle(const QSqlDatabase& connection)
{
    if (connection.driverName() != QStringLiteral("QPSQL") || !connection.driver() || !connection.isOpen())
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    // The driver declares the handle by the library's own name of the struct.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.data());
}

// The statement with PostgreSQL's numbered marks ($1, $2, …) for the positional ones; a question
// mark inside a quoted text or name is left as it is.
QByteArray numberedMarks(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    QChar quote;
    int mark = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++mark);
            continue;
        }
        out += c;
    }
    return out.toUtf8();
}

// PostgreSQL's type numbers (pg_type.oid) of the columns read as something other than text.
enum ServerType : Oid { BoolType = 16, ByteaType = 17, Int8Type = 20, Int2Type = 21, Int4Type = 23,
                        Float4Type = 700, Float8Type = 701 };

// The failure of a statement as the driver describes it: the server's message, its SQLSTATE as the
// native code (a lost connection is told by it, see Database::lostConnection).
QSqlError failureOf(PGconn* connection, const PGresult* result)
{
    const char* message = result ? PQresultErrorMessage(result) : nullptr;
    QString text = QString::fromUtf8(message && *message ? message : PQerrorMessage(connection)).trimmed();
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (text.isEmpty())
        text = QStringLiteral("The server gave no answer.");
    // The library's own failures carry no state: a connection gone is told as such.
    QString code = state ? QString::fromLatin1(state) : QString();
    if (code.isEmpty() && PQstatus(connection) == CONNECTION_BAD)
        code = QStringLiteral("08006");
    return QSqlError(QStringLiteral("The statement failed"), text, QSqlError::StatementError, code);
}

} // namespace

SqlQuery::SqlQuery(const Database& database, const QString& sql)
{
    const QSqlDatabase connection = database.connection();
    m_handle = sqliteHandle(connection);
    if (m_handle) {
        const QByteArray text = sql.toUtf8();
        const char* rest = nullptr;
        if (sqlite3_prepare_v2(m_handle, text.constData(), int(text.size()), &m_statement, &rest) != SQLITE_OK)
            m_prepareError = errorOf(m_handle);
        else if (!m_statement)
            m_prepareError = QStringLiteral("The statement is empty");
        else if (!QByteArray(rest).trimmed().isEmpty())
            m_prepareError = QStringLiteral("Only one statement can run at a time");
        return;
    }
    if (database.backend() == Backend::SQLite) {
        m_query.emplace(connection);
        m_query->setForwardOnly(true);
        if (!m_query->prepare(sql))
            m_prepareError = m_query->lastError().text();
        return;
    }
    // On the server the statement is sent with its values when it runs: preparing it apart would
    // cost a round trip of its own.
    m_database = &database;
    m_serverSql = numberedMarks(sql);
}

namespace {

// Values as the server takes them: text as it reads them in a statement, but bytes (a photo) as
// they are.
struct ServerValues {
    explicit ServerValues(const QList<QVariant>& given)
        : texts(given.size()), values(size_t(given.size()), nullptr), lengths(size_t(given.size()), 0),
          formats(size_t(given.size()), 0)
    {
        for (qsizetype i = 0; i < given.size(); ++i) {
            const QVariant& v = given.at(i);
            if (boundAsNull(v))
                continue;
            switch (v.typeId()) {
            case QMetaType::Bool:
                texts[i] = v.toBool() ? "true" : "false";
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
                texts[i] = QByteArray::number(v.toLongLong());
                break;
            case QMetaType::ULongLong:
                texts[i] = QByteArray::number(v.toULongLong());
                break;
            case QMetaType::Double:
                texts[i] = QByteArray::number(v.toDouble(), 'g', 17);
                break;
            case QMetaType::QByteArray:
                texts[i] = v.toByteArray();
                formats[size_t(i)] = 1;
                break;
            default:
                texts[i] = v.toString().toUtf8();
            }
            values[size_t(i)] = texts.at(i).constData();
            lengths[size_t(i)] = int(texts.at(i).size());
        }
    }
    int count() const { return int(values.size()); }
    QList<QByteArray> texts;
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
};

QSqlError noConnection()
{
    return QSqlError(QStringLiteral("The statement failed"), QStringLiteral("no connection to the server"),
                     QSqlError::ConnectionError, QStringLiteral("08003"));
}

// The statements in the server's pipeline: sent together, answered together.
Status runPipelined(PGconn* connection, const QList<Statement>& statements)
{
    bool commitSent = false;
    const auto failed = [&](const PGresult* result) {
        const QSqlError error = failureOf(connection, result);
        // The commit went and its answer did not come back: the change may be stored or not.
        if (commitSent && Database::lostConnection(error))
            return Status::failure(QStringLiteral("The connection to the server was lost as the change was stored, "
                                                  "which may or may not have been: look before trying again. (%1)")
                                       .arg(error.text().trimmed()));
        return Status::failure(error.text());
    };
    if (PQenterPipelineMode(connection) != 1)
        return failed(nullptr);
    Status outcome;
    int sent = 0;
    for (const Statement& statement : statements) {
        const ServerValues v(statement.values);
        if (PQsendQueryParams(connection, numberedMarks(statement.sql).constData(), v.count(), nullptr,
                              v.values.data(), v.lengths.data(), v.formats.data(), 0) != 1) {
            outcome = failed(nullptr);
            break;
        }
        commitSent = commitSent || statement.sql == QStringLiteral("COMMIT");
        ++sent;
    }
    // A pipeline that cannot be left leaves the connection unusable for every later statement: it
    // is made again (the server rolls back what it had of the transaction, which has failed).
    const auto leave = [&] {
        if (PQexitPipelineMode(connection) != 1)
            PQreset(connection);
    };
    if (PQpipelineSync(connection) != 1) {
        if (outcome)
            outcome = failed(nullptr);
        leave();
        return outcome;
    }
    // Each statement's answer, then the end of the pipeline. After a failure the server answers the
    // rest as skipped.
    int answered = 0;
    for (;;) {
        PGresult* result = PQgetResult(connection);
        if (!result) {
            if (PQstatus(connection) == CONNECTION_BAD) {
                if (outcome)
                    outcome = failed(nullptr);
                break;
            }
            continue; // between two statements' answers
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_PIPELINE_SYNC) {
            PQclear(result);
            break;
        }
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
            const bool commit = answered < sent && statements.at(answered).sql == QStringLiteral("COMMIT");
            if (commit && qstrcmp(PQcmdStatus(result), "COMMIT") != 0 && outcome)
                outcome = Status::failure(QStringLiteral("The server rolled the change back instead of storing it."));
        } else if (status != PGRES_PIPELINE_ABORTED && outcome) {
            outcome = failed(result);
        }
        ++answered;
        PQclear(result);
    }
    leave();
    return outcome;
}

} // namespace

Status runInOneTrip(const Database& database, const QList<Statement>& statements)
{
    if (PGconn* connection = serverHandle(database.connection()))
        return runPipelined(connection, statements);
    for (const Statement& statement : statements) {
        SqlQuery q(database, statement.sql);
        for (const QVariant& value : statement.values)
            q.bind(value);
        if (Status s = q.exec(); !s)
            return s;
    }
    return {};
}

bool SqlQuery::runOnServer(QSqlError& failure)
{
    PQclear(m_result);
    m_result = nullptr;
    m_row = -1;
    PGconn* connection = serverHandle(m_database->connection());
    if (!connection) {
        failure = noConnection();
        return false;
    }
    const ServerValues v(m_values);
    m_result = PQexecParams(connection, m_serverSql.constData(), v.count(), nullptr, v.values.data(),
                            v.lengths.data(), v.formats.data(), 0);
    const ExecStatusType status = m_result ? PQresultStatus(m_result) : PGRES_FATAL_ERROR;
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)
        return true;
    failure = failureOf(connection, m_result);
    PQclear(m_result);
    m_result = nullptr;
    return false;
}

Status SqlQuery::serverFailure(const QSqlError& error) const
{
    if (!Database::lostConnection(error))
        return Status::failure(error.text());
    if (m_database->inTransaction())
        return Status::failure(QStringLiteral("The connection to the server was lost during the change; none of it "
                                              "was stored. Try again. (%1)")
                                   .arg(error.text().trimmed()));
    return Status::failure(QStringLiteral("The server %1 cannot be reached: %2")
                               .arg(m_database->path(), error.text().trimmed()));
}

SqlQuery::~SqlQuery()
{
    sqlite3_finalize(m_statement);
    PQclear(m_result);
}

SqlQuery& SqlQuery::bind(const QVariant& value)
{
    // As with the driver: values bound after a run replace the last run's, which are used again
    // when none are bound.
    if (m_ran) {
        m_values.clear();
        m_ran = false;
    }
    m_values.append(value);
    return *this;
}

SqlQuery& SqlQuery::bind(QDate date)
{
    return bind(date.isValid() ? QVariant(dates::storageText(date)) : QVariant(QMetaType(QMetaType::QString)));
}

QDate SqlQuery::date(int column) const
{
    if (m_handle && sqlite3_column_bytes(m_statement, column) >= 10) {
        // The stored form, read straight from its digits: a report reads tens of thousands of them.
        const auto* t = reinterpret_cast<const unsigned char*>(sqlite3_column_text(m_statement, column));
        const auto digits = [t](int from, int count) {
            int v = 0;
            for (int i = from; i < from + count; ++i) {
                if (t[i] < '0' || t[i] > '9')
                    return -1;
                v = v * 10 + (t[i] - '0');
            }
            return v;
        };
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (t[4] == '-' && t[7] == '-' && y > 0 && m > 0 && d > 0)
            return QDate(y, m, d); // invalid (2024-02-30) as the parser would have it
    }
    return dates::fromStorageText(text(column));
}

Status SqlQuery::exec()
{
    if (!m_prepareError.isEmpty())
        return Status::failure(m_prepareError);
    if (m_query) {
        m_ran = true;
        for (int i = 0; i < m_values.size(); ++i)
            m_query->bindValue(i, m_values.at(i));
        return m_query->exec() ? Status() : Status::failure(m_query->lastError().text());
    }
    if (!m_handle) {
        m_ran = true;
        QSqlError failure;
        if (runOnServer(failure))
            return {};
        // Once, outside a transaction, and only a read: the statement is sent again on a new
        // connection, with the same values. A change may have been stored before the connection
        // went (the answer was lost, not the statement), so it is never run twice.
        const bool read = m_serverSql.trimmed().left(6).toUpper() == "SELECT";
        if (read && Database::lostConnection(failure) && m_database->reconnect() && runOnServer(failure))
            return {};
        if (!read && Database::lostConnection(failure) && !m_database->inTransaction())
            return Status::failure(QStringLiteral("The connection to the server was lost during the change, which may "
                                                  "or may not have been stored: look before trying again. (%1)")
                                       .arg(failure.text().trimmed()));
        return serverFailure(failure);
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_rowPending = false;
    m_stepResult = SQLITE_DONE;
    m_ran = true;
    if (m_values.size() != sqlite3_bind_parameter_count(m_statement))
        return Status::failure(QStringLiteral("The statement takes %1 values, not %2")
                                   .arg(sqlite3_bind_parameter_count(m_statement))
                                   .arg(m_values.size()));
    for (int i = 0; i < m_values.size(); ++i) {
        const QVariant& v = m_values.at(i);
        const int position = i + 1;
        int bound = SQLITE_OK;
        switch (boundAsNull(v) ? QMetaType::UnknownType : v.typeId()) {
        case QMetaType::UnknownType:
            bound = sqlite3_bind_null(m_statement, position);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            bound = sqlite3_bind_int64(m_statement, position, v.toLongLong());
            break;
        case QMetaType::Double:
            bound = sqlite3_bind_double(m_statement, position, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            bound = sqlite3_bind_blob64(m_statement, position, bytes.constData(), sqlite3_uint64(bytes.size()),
                                        SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = v.toString().toUtf8();
            bound = sqlite3_bind_text64(m_statement, position, text.constData(), sqlite3_uint64(text.size()),
                                        SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
        if (bound != SQLITE_OK)
            return Status::failure(errorOf(m_handle));
    }
    // The first step runs a change, or stands on the first row of a read.
    m_stepResult = sqlite3_step(m_statement);
    if (m_stepResult == SQLITE_ROW) {
        m_rowPending = true;
        return {};
    }
    if (m_stepResult != SQLITE_DONE) {
        const Status failed = Status::failure(errorOf(m_handle));
        sqlite3_reset(m_statement);
        m_stepResult = SQLITE_DONE;
        return failed;
    }
    return {};
}

bool SqlQuery::next()
{
    if (m_query)
        return m_query->next();
    if (!m_handle)
        return m_result && ++m_row < PQntuples(m_result);
    if (m_rowPending) {
        m_rowPending = false;
        return true;
    }
    if (m_stepResult != SQLITE_ROW)
        return false;
    m_stepResult = sqlite3_step(m_statement);
    return m_stepResult == SQLITE_ROW;
}

Status SqlQuery::stepFailure() const
{
    if (m_handle && m_stepResult != SQLITE_ROW && m_stepResult != SQLITE_DONE)
        return Status::failure(errorOf(m_handle));
    if (m_query && m_query->lastError().isValid())
        return Status::failure(m_query->lastError().text());
    return {}; // the server's rows came whole with the answer: reading them cannot fail
}

void SqlQuery::finish()
{
    if (m_handle) {
        sqlite3_reset(m_statement);
        m_stepResult = SQLITE_DONE;
        m_rowPending = false;
    }
}

bool SqlQuery::isNull(int column) const
{
    if (m_query)
        return m_query->isNull(column);
    if (!m_handle)
        return PQgetisnull(m_result, m_row, column) != 0;
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QString SqlQuery::text(int column) const
{
    if (m_query)
        return m_query->value(column).toString();
    QUtf8StringView bytes;
    if (!m_handle) {
        if (PQgetisnull(m_result, m_row, column))
            return QString();
        bytes = QUtf8StringView(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
    } else {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        if (!text)
            return QString();
        bytes = QUtf8StringView(text, sqlite3_column_bytes(m_statement, column));
    }
    if (column >= m_lastText.size())
        m_lastText.resize(column + 1);
    QString& last = m_lastText[column];
    if (last.isNull() || !QAnyStringView::equal(bytes, last))
        last = bytes.toString();
    return last;
}

qint64 SqlQuery::number(int column) const
{
    if (m_query)
        return m_query->value(column).toLongLong();
    if (!m_handle)
        return std::strtoll(PQgetvalue(m_result, m_row, column), nullptr, 10);
    return sqlite3_column_int64(m_statement, column);
}

QVariant SqlQuery::value(int column) const
{
    if (m_query)
        return m_query->value(column);
    if (!m_handle) {
        if (PQgetisnull(m_result, m_row, column))
            return {};
        const char* v = PQgetvalue(m_result, m_row, column);
        switch (PQftype(m_result, column)) {
        case BoolType:
            return QVariant(*v == 't');
        case Int2Type:
        case Int4Type:
        case Int8Type:
            return QVariant(qint64(std::strtoll(v, nullptr, 10)));
        case Float4Type:
        case Float8Type:
            return QVariant(std::strtod(v, nullptr));
        case ByteaType: {
            size_t length = 0;
            unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &length);
            QByteArray copy(reinterpret_cast<const char*>(bytes), qsizetype(length));
            PQfreemem(bytes);
            return QVariant(copy);
        }
        default: // a sum of whole numbers (numeric, which may pass 64 bits) stays its digits
            return QVariant(text(column));
        }
    }
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, column)),
                                   sqlite3_column_bytes(m_statement, column)));
    case SQLITE_TEXT:
        return QVariant(text(column));
    default:
        return {};
    }
}

int SqlQuery::rowsAffected() const
{
    if (m_query)
        return m_query->numRowsAffected();
    if (!m_handle)
        return m_result ? std::atoi(PQcmdTuples(m_result)) : 0;
    return sqlite3_changes(m_handle);
}

Status SqlQuery::execChanging(const QString& whenNone)
{
    if (Status s = exec(); !s)
        return s;
    return rowsAffected() > 0 ? Status() : Status::failure(whenNone);
}

Result<qint64> SqlQuery::execCounting()
{
    if (Status s = exec(); !s)
        return s;
    return qint64(rowsAffected());
}

Result<QVariant> SqlQuery::single()
{
    if (Status s = exec(); !s)
        return s;
    if (!next()) {
        if (Status s = stepFailure(); !s)
            return s;
        return QVariant();
    }
    QVariant v = value(0);
    finish();
    return v;
}

Result<Currency> SqlQuery::total()
{
    const auto sum = single();
    if (!sum)
        return sum.status();
    return totalOf(*sum);
}

Result<Currency> totalOf(const QVariant& sum)
{
    if (sum.isNull())
        return Currency();
    // PostgreSQL sums whole numbers exactly, beyond 64 bits: such a total is a failure, not 0.
    bool ok = false;
    const qint64 units = sum.toLongLong(&ok);
    if (!ok)
        return Status::failure(QStringLiteral("A total is too large to hold (%1).").arg(sum.toString()));
    return Currency::fromUnits(units);
}

Result<QVariantList> readTogether(const Database& database, const QList<ScalarRead>& reads)
{
    QStringList parts;
    for (const ScalarRead& read : reads)
        parts << QLatin1Char('(') + read.sql + QLatin1Char(')');
    SqlQuery q(database, QStringLiteral("SELECT ") + parts.join(QStringLiteral(", ")));
    for (const ScalarRead& read : reads)
        for (const QVariant& value : read.values)
            q.bind(value);
    const auto row = q.first([&](const SqlQuery& r) {
        QVariantList values;
        for (int i = 0; i < reads.size(); ++i)
            values << r.value(i);
        return values;
    });
    if (!row)
        return row.status();
    if (!row->has_value() || (*row)->size() != reads.size())
        return Status::failure(QStringLiteral("The database gave no answer to a read."));
    return **row;
}

Result<QVariant> readOne(const Database& database, const ScalarRead& read)
{
    SqlQuery q(database, read.sql);
    for (const QVariant& value : read.values)
        q.bind(value);
    return q.single();
}

Result<qint64> numberGiven(SqlQuery& insert)
{
    const auto given = insert.single();
    if (!given)
        return given.status();
    if (!given->isValid())
        return Status::failure(QStringLiteral("The database gave the new row no number."));
    return given->toLongLong();
}

Status execute(const Database& database, const QString& sql)
{
    QSqlQuery query(database.connection());
    if (!query.exec(sql))
        return Status::failure(query.lastError().text());
    return {};
}

QString insertStatement(const QString& table, const QStringList& columns, const QString& returning)
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)%4")
        .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")),
             returning.isEmpty() ? QString() : QStringLiteral(" RETURNING ") + returning);
}

QString updateStatement(const QString& table, const QStringList& columns, const QString& where)
{
    QStringList assignments;
    for (const QString& column : columns)
        assignments << column + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assignments.join(QStringLiteral(", ")), where);
}

Result<bool> anyRowIn(const Database& database, const QStringList& tables, const QString& condition,
                      const QVariant& value)
{
    for (const QString& table : tables) {
        SqlQuery query(database,
                       QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1%2)")
                           .arg(table, condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition));
        if (value.isValid())
            query.bind(value);
        const auto any = query.single();
        if (!any)
            return any.status();
        if (any->toBool())
            return true;
    }
    return false;
}

sqlite3* sqliteConnection(const Database& database)
{
    return sqliteHandle(database.connection());
}
