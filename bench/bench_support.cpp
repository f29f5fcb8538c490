#include "bench_support.h"

#include "common/dates.h"
#include "common/memory.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/pay_calculation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

namespace {

bool run(QSqlQuery& query, std::initializer_list<QVariant> values)
{
    for (const QVariant& v : values)
        query.addBindValue(v);
    return query.exec();
}

// Month after month, every employee's pay, as a payroll office enters it; loans are granted and
// advances paid in the months they happen.
bool build(Database& db)
{
    QSqlQuery emp(db.connection());
    emp.prepare(QStringLiteral(
        "INSERT INTO emp (ID, emname, dept, pos, empstat, basicrate, grp) VALUES (?, ?, 'STORES', 'CLERK',"
        " 'Full Time', ?, 'STAFF')"));
    QSqlQuery pay(db.connection());
    pay.prepare(
        QStringLiteral("INSERT INTO payroll (ID, emname, monthrate, ddate, bonus, ot, totloan, ph, intax, others,"
                       " absences, earn, advances, tad, td, loanrec, travel, netpay, dept, grp, company)"
                       " VALUES (?, ?, ?, ?, 0, 0, ?, 0, 0, 0, ?, ?, ?, 0, ?, ?, 0, ?, 'STORES', 'STAFF', ?)"));
    QSqlQuery loan(db.connection());
    loan.prepare(QStringLiteral("INSERT INTO loan VALUES (?, ?, ?, ?, ?, '10:00:00', 'STORES', ?)"));
    QSqlQuery adv(db.connection());
    adv.prepare(QStringLiteral("INSERT INTO adv VALUES (?, ?, ?, ?, '10:00:00', ?)"));
    // A large page cache while building: the indexes of ten million rows outgrow the usual one.
    if (!execute(db, QStringLiteral("PRAGMA cache_size = -1000000")).ok())
        return false;
    const auto name = [](int id) { return QStringLiteral("EMPLOYEE %1").arg(id); };
    const auto rate = [](int id) { return whole(10000 + (id % 50) * 500); };
    {
        Transaction t(db);
        for (int id = 1; id <= employees; ++id)
            if (!run(emp, {id, name(id), rate(id).units()}))
                return false;
        if (!t.commit())
            return false;
    }
    std::vector<Currency> recovered(size_t(employees) + 1);
    std::vector<Currency> lent(size_t(employees) + 1);
    for (int m = 0; m < months; ++m) {
        Transaction t(db);
        const QDate date = dates::lastOfMonth(firstMonth.addMonths(m));
        for (int id = 1; id <= employees; ++id) {
            if (m % 60 == 0) {
                lent[id] = *lent[id].plus(whole(12000));
                if (!run(loan, {id, name(id), whole(12000).units(), whole(1000).units(),
                                dates::storageText(date.addDays(-20)), company}))
                    return false;
            }
            const bool advance = (id + m) % 10 == 0;
            if (advance && !run(adv, {id, name(id), whole(500).units(), dates::storageText(date.addDays(-5)), company}))
                return false;
            PayInputs in{rate(id),
                         date,
                         whole(26),
                         {},
                         {},
                         {},
                         advance ? whole(500) : Currency(),
                         offeredLoanDeduction(whole(1000), lent[id], recovered[id]),
                         {},
                         {},
                         {}};
            recovered[id] = *recovered[id].plus(in.loanDeduction);
            const PayResult r = *calculatePay(in);
            if (!run(pay, {id, name(id), r.monthlyRate.units(), dates::storageText(date), lent[id].units(),
                           whole(26).units(), r.presentDaysSalary.units(), in.advances.units(),
                           r.totalDeductions.units(), in.loanDeduction.units(), r.netPay.units(), company}))
                return false;
        }
        if (!t.commit())
            return false;
    }
    return execute(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).ok() &&
           execute(db, QStringLiteral("PRAGMA cache_size = -2000")).ok();
}

} // namespace

Currency whole(qint64 v)
{
    return *Currency::fromWhole(v);
}

bool openBenchDatabase(Database& db, const QString& path, bool rebuild)
{
    if (rebuild)
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
    const bool exists = QFile::exists(path);
    if (Status s = db.open(path); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return false;
    }
    if (!exists) {
        std::printf("building %s, month by month...\n", qPrintable(sizeText()));
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        if (!build(db)) {
            std::fprintf(stderr, "building the database failed\n");
            return false;
        }
        std::printf("built in %.1f s\n", double(timer.elapsed()) / 1000);
    }
    // The company's row, which reports head their pages with, and the masters of the employees'
    // department and group (databases built before they were added lack them).
    for (const auto& [table, name] : {std::pair{"cmpmaster", company}, {"dept", QStringLiteral("STORES")}, {"grp", QStringLiteral("STAFF")}}) {
        const QString column = table == QByteArrayView("cmpmaster") ? QStringLiteral("company") : QLatin1String(table);
        QSqlQuery row(db.connection());
        row.prepare(QStringLiteral("INSERT INTO %1 (%2) SELECT ? WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE %2 = ?)")
                        .arg(QLatin1String(table), column));
        if (!run(row, {name, name}))
            return false;
    }
    return execute(db, QStringLiteral("UPDATE cmpmaster SET addr = 'INDUSTRIAL ESTATE' WHERE addr IS NULL")).ok();
}

void evict(const QString& path)
{
    for (const QString& file : {path, path + QStringLiteral("-wal")}) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double measure(int runs, const std::function<void(int)>& prepare, const std::function<void(int)>& action, bool warm)
{
    if (warm)
        for (int i = 0; i < runs; ++i) {
            prepare(i);
            action(i);
        }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        QElapsedTimer timer;
        timer.start();
        action(i);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

QString openBenchDatabase(Database& db, const QStringList& arguments)
{
    const QString path = benchDatabasePath(arguments);
    return openBenchDatabase(db, path, arguments.contains(QStringLiteral("--rebuild"))) ? path : QString();
}

QString benchDatabasePath(const QStringList& arguments)
{
    const int s = int(arguments.indexOf(QStringLiteral("--scale")));
    const double scale = s > 0 && s + 1 < arguments.size() ? arguments.at(s + 1).toDouble() : 1.0;
    if (scale > 0)
        employees = std::max(1, int(5000 * scale + 0.5));
    const int i = int(arguments.indexOf(QStringLiteral("--database")));
    if (i > 0 && i + 1 < arguments.size())
        return arguments.at(i + 1);
    return employees == 5000 ? QStringLiteral("bench-payroll.db")
                             : QStringLiteral("bench-payroll-x%1.db").arg(double(employees) / 5000);
}

QString sizeText()
{
    return QStringLiteral("%1 employees x %2 months, %3 payroll rows")
        .arg(QLocale(QLocale::English).toString(employees), QString::number(months),
             QLocale(QLocale::English).toString(qint64(employees) * months));
}

void reopenCold(Database& db, const QString& path)
{
    db.close();
    if (db.location().backend == Backend::SQLite)
        evict(path);
    if (!db.open(path))
        std::abort();
}

bool copyToServer(const QString& from, const QString& address)
{
    Database server(QStringLiteral("copy-to-server"));
    if (Status s = server.open(address); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return false;
    }
    if (bareQuery(server, QStringLiteral("SELECT 1 FROM payroll LIMIT 1")) == 1)
        return true; // copied before
    std::printf("copying %s to the server with COPY...\n", qPrintable(sizeText()));
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    QTemporaryDir folder;
    Database file(QStringLiteral("copy-from-file"));
    if (!file.open(from, Database::Access::ReadOnly))
        return false;
    for (const QString& table : {QStringLiteral("cmpmaster"), QStringLiteral("emp"), QStringLiteral("loan"),
                                 QStringLiteral("adv"), QStringLiteral("payroll")}) {
        // The file's columns by name, so that the server's order does not matter.
        QSqlQuery info(file.connection());
        QStringList columns;
        if (!info.exec(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)))
            return false;
        while (info.next())
            columns << info.value(0).toString();
        const QString csv = folder.filePath(table + QStringLiteral(".csv"));
        QProcess dump;
        dump.setStandardOutputFile(csv);
        dump.start(QStringLiteral("sqlite3"),
                   {QStringLiteral("-csv"), from,
                    QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table)});
        QProcess copy;
        if (dump.waitForFinished(-1) && dump.exitCode() == 0) {
            // The server's own rows of the small tables (a company made at opening) give way.
            copy.start(QStringLiteral("psql"),
                       {QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-q"), address,
                        QStringLiteral("-c"), QStringLiteral("DELETE FROM %1").arg(table), QStringLiteral("-c"),
                        QStringLiteral("\\copy %1 (%2) FROM '%3' WITH (FORMAT csv)")
                            .arg(table, columns.join(QStringLiteral(", ")), csv)});
            copy.waitForFinished(-1);
        }
        if (dump.exitCode() != 0 || copy.exitStatus() != QProcess::NormalExit || copy.exitCode() != 0) {
            std::fprintf(stderr, "copying %s failed: %s%s\n", qPrintable(table), dump.readAllStandardError().constData(),
                         copy.readAllStandardError().constData());
            return false;
        }
    }
    // The numbers given next follow the copied ones; the planner learns the tables.
    QProcess settle;
    settle.start(QStringLiteral("psql"),
                 {QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-q"), address,
                  QStringLiteral("-c"),
                  QStringLiteral("SELECT setval(pg_get_serial_sequence('payroll', 'transid'), max(transid)) FROM payroll"),
                  QStringLiteral("-c"), QStringLiteral("VACUUM ANALYZE")});
    if (!settle.waitForFinished(-1) || settle.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", settle.readAllStandardError().constData());
        return false;
    }
    std::printf("copied in %.1f s\n", double(timer.elapsed()) / 1000);
    return true;
}

StatementCounter::StatementCounter(const QString& address) : m_connection(QStringLiteral("statement-counter"))
{
    if (!address.startsWith(QStringLiteral("postgresql://")))
        return;
    Database probe(m_connection + QStringLiteral("-probe"));
    if (!probe.open(address, Database::Access::ReadOnly))
        return;
    // The counter's own connection, so that its questions are not the benchmark's.
    QSqlDatabase db = QSqlDatabase::cloneDatabase(probe.connection(), m_connection);
    probe.close();
    if (!db.open())
        return;
    QSqlQuery q(db);
    m_available = q.exec(QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_stat_statements")) && total() >= 0;
}

StatementCounter::~StatementCounter()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

qint64 StatementCounter::total()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT coalesce(sum(calls), 0) FROM pg_stat_statements"
                               " WHERE dbid = (SELECT oid FROM pg_database WHERE datname = current_database())")) ||
        !q.next())
        return -1;
    return q.value(0).toLongLong();
}

qint64 StatementCounter::count(const std::function<void()>& work)
{
    if (!m_available)
        return -1;
    // BENCH_STATEMENTS=1 lists the statements themselves (the server's statistics are reset for it).
    const bool list = qEnvironmentVariableIsSet("BENCH_STATEMENTS");
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (list)
        q.exec(QStringLiteral("SELECT pg_stat_statements_reset()"));
    const qint64 before = total();
    work();
    // The question before is counted in the answer after; the one after is not.
    const qint64 counted = total() - before - 1;
    if (list && q.exec(QStringLiteral("SELECT calls, query FROM pg_stat_statements WHERE dbid = (SELECT oid FROM"
                                      " pg_database WHERE datname = current_database()) ORDER BY calls DESC")))
        while (q.next())
            std::printf("    %3lld  %s\n", q.value(0).toLongLong(), qPrintable(q.value(1).toString().left(150)));
    return counted;
}

RoundTripRelay::RoundTripRelay(const QString& address, int delayMicroseconds) : m_delay(delayMicroseconds)
{
    const QUrl url(address);
    m_serverHost = url.host();
    m_serverPort = url.port(5432);
    m_listening = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (m_listening < 0 || ::bind(m_listening, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(m_listening, 8) != 0 || ::getsockname(m_listening, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0) {
        std::perror("relay");
        std::abort();
    }
    QUrl relayed(url);
    relayed.setHost(QStringLiteral("127.0.0.1"));
    relayed.setPort(ntohs(local.sin_port));
    m_address = relayed.toString();
    m_thread = std::thread([this] { relay(); });
}

RoundTripRelay::~RoundTripRelay()
{
    m_stop = true;
    const char wake = 0;
    if (::write(m_wake[1], &wake, 1) < 0)
        std::perror("relay");
    m_thread.join();
    for (int fd : {m_listening, m_wake[0], m_wake[1]})
        ::close(fd);
}

qint64 RoundTripRelay::count(const std::function<void()>& work)
{
    const qint64 before = m_trips.load();
    work();
    return m_trips.load() - before;
}

void RoundTripRelay::relay()
{
    struct Pair {
        int program;
        int server;
        bool answered; // the server spoke last: the program's next words are a new round trip
    };
    std::vector<Pair> pairs;
    std::vector<char> buffer(1 << 16);
    const auto pass = [&](int from, int to) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got <= 0)
            return false;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t n = ::write(to, buffer.data() + sent, size_t(got - sent));
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    };
    while (!m_stop) {
        std::vector<pollfd> watched{{m_listening, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        for (const Pair& p : pairs) {
            watched.push_back({p.program, POLLIN, 0});
            watched.push_back({p.server, POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0)
            continue;
        if (watched[0].revents & POLLIN) {
            const int program = ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(quint16(m_serverPort));
            ::inet_pton(AF_INET, qPrintable(m_serverHost == QStringLiteral("localhost") ? QStringLiteral("127.0.0.1")
                                                                                       : m_serverHost),
                        &to.sin_addr);
            if (program >= 0 && server >= 0 && ::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
                const int on = 1;
                ::setsockopt(program, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                pairs.push_back({program, server, true});
            } else {
                ::close(program);
                ::close(server);
            }
        }
        std::vector<Pair> open;
        for (size_t i = 0; i < pairs.size(); ++i) {
            Pair p = pairs[i];
            const pollfd& fromProgram = watched[2 + 2 * i];
            const pollfd& fromServer = watched[3 + 2 * i];
            bool alive = true;
            if (fromProgram.revents & (POLLIN | POLLHUP | POLLERR)) {
                if (p.answered) {
                    ++m_trips;
                    // The way there and back again, as the network would take it.
                    if (m_delay > 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(m_delay));
                }
                p.answered = false;
                alive = pass(p.program, p.server);
            }
            if (alive && (fromServer.revents & (POLLIN | POLLHUP | POLLERR))) {
                p.answered = true;
                alive = pass(p.server, p.program);
            }
            if (alive) {
                open.push_back(p);
            } else {
                ::close(p.program);
                ::close(p.server);
            }
        }
        pairs = std::move(open);
    }
    for (const Pair& p : pairs) {
        ::close(p.program);
        ::close(p.server);
    }
}

BenchOperator::BenchOperator(Database& db, const QString& companyName)
    : clock(QDateTime(dates::lastOfMonth(lastMonth), QTime(10, 0))),
      session{companyName, QStringLiteral("bench"), QStringLiteral("Admin")}, context{db, prompter, clock, session}
{
}

void quietOffscreen()
{
    keepFreedMemoryForReuse(); // as the program does from its start
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

void figure(const char* what, double value, const char* unit)
{
    std::printf("%-70s %10.3f %-3s\n", what, value, unit);
}

void figure(const char* what, double value, double floor, const char* unit)
{
    std::printf("%-70s %10.3f %-3s %10.3f %-3s %7.1f\n", what, value, unit, floor, unit, value / floor);
}

void figuresHeading()
{
    std::printf("%s\n", qPrintable(sizeText()));
    std::printf("%-70s %14s %14s %7s\n", "median", "Kestrel", "floor", "ratio");
}

bool rawCopy(const QString& from, const QString& to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 n = 0; (n = in.read(block.data(), block.size())) > 0;)
        if (out.write(block.constData(), n) != n)
            return false;
    return out.flush() && ::fdatasync(out.handle()) == 0;
}

// Where the floors put what they read, so that the reading is not optimised away.
volatile qint64 sink = 0;

qint64 bareQuery(const Database& db, const QString& sql, const QVariantList& values)
{
    const QSqlDatabase connection = db.connection();
    const QVariant handle = connection.driver()->handle();
    if (db.backend() != Backend::SQLite || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        // A server: the client library's one call with the values, every value of every row read.
        PGconn* server = *static_cast<PGconn* const*>(handle.data());
        QString numbered;
        int mark = 0;
        for (const QChar c : sql)
            numbered += c == u'?' ? QStringLiteral("$%1").arg(++mark) : QString(c);
        QList<QByteArray> texts;
        std::vector<const char*> given;
        for (const QVariant& v : values)
            texts << v.toString().toUtf8();
        for (const QByteArray& t : std::as_const(texts))
            given.push_back(t.constData());
        PGresult* result = PQexecParams(server, numbered.toUtf8().constData(), int(given.size()), nullptr,
                                        given.data(), nullptr, nullptr, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "%s\n", PQresultErrorMessage(result));
            PQclear(result);
            return -1;
        }
        const int rows = PQntuples(result);
        const int columns = PQnfields(result);
        qint64 checksum = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                checksum += PQgetlength(result, r, c);
        PQclear(result);
        sink = checksum;
        return rows;
    }
    sqlite3* lite = *static_cast<sqlite3* const*>(handle.data());
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(lite, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(lite));
        return -1;
    }
    int i = 0;
    for (const QVariant& v : values) {
        ++i;
        if (v.typeId() == QMetaType::QString) {
            const QByteArray bytes = v.toString().toUtf8();
            sqlite3_bind_text(statement, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(statement, i, v.toLongLong());
        }
    }
    qint64 rows = 0;
    qint64 checksum = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c)
            checksum += sqlite3_column_type(statement, c) == SQLITE_TEXT ? sqlite3_column_bytes(statement, c)
                                                                          : sqlite3_column_int64(statement, c);
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(lite));
        return -1;
    }
    sink = checksum;
    return rows;
}

} // namespace bench
