#pragma once

// What the benchmarks share: the database laid out as real use lays it out, and the timing helpers.

#include "common/currency.h"
#include "data/session.h"
#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "ui/app_context.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

class Database;

namespace bench {

// The database's size: 5,000 employees x 200 months (1,000,000 payroll rows), or --scale F times
// the employees (0.1: 100,000 rows; 10: 10,000,000), set from the arguments by benchDatabasePath.
inline int employees = 5000;
constexpr int months = 200;
const QString company = QStringLiteral("BENCH COMPANY");
const QDate firstMonth(2010, 1, 1);
const QDate lastMonth = firstMonth.addMonths(months - 1);

Currency whole(qint64 v);

// Opens the benchmark database at path, building it first when it is missing (or when rebuild is
// asked for): 5,000 employees whose payroll is appended month by month for 200 months, with loans
// and advances in the months they happen. False (and a message on standard error) on failure.
bool openBenchDatabase(Database& db, const QString& path, bool rebuild);

// Opens the database the arguments name (--database PATH; --rebuild builds it afresh): its path, or
// an empty text when it cannot be opened.
QString openBenchDatabase(Database& db, const QStringList& arguments);
// The database the arguments name (--database PATH), or bench-payroll.db in the working folder
// (bench-payroll-xF.db at --scale F). Sets the number of employees from --scale.
QString benchDatabasePath(const QStringList& arguments);
// The size of the database in one line: employees, months and payroll rows.
QString sizeText();
// Closes the database, drops it from the page cache and opens it again: the next action runs cold.
// A server's database is only connected to again (its own cache stays as it was).
void reopenCold(Database& db, const QString& path);

// The benchmark's tables of the SQLite database at from copied into the server database at address
// (postgresql://…) with COPY, through psql, when it does not hold them yet: the server's database
// is then the same as the file. False (and a message on standard error) on failure.
bool copyToServer(const QString& from, const QString& address);

// Counts the statements a server ran for this benchmark's database, from its own statistics
// (pg_stat_statements, which the server loads when started with
// shared_preload_libraries=pg_stat_statements). Unavailable on SQLite or without the extension.
class StatementCounter {
public:
    explicit StatementCounter(const QString& address);
    ~StatementCounter();
    bool available() const { return m_available; }
    // The statements run by the server for work(): its round trips.
    qint64 count(const std::function<void()>& work);

private:
    qint64 total();
    QString m_connection;
    bool m_available = false;
};

// A relay between the benchmark and a server on this computer that counts the round trips between
// them and can hold each for a while, as a network would: every time the program speaks after the
// server answered is one round trip, however many statements it carries. The relay's address is
// the server's with the relay's port.
class RoundTripRelay {
public:
    RoundTripRelay(const QString& address, int delayMicroseconds);
    ~RoundTripRelay();
    RoundTripRelay(const RoundTripRelay&) = delete;
    RoundTripRelay& operator=(const RoundTripRelay&) = delete;
    const QString& address() const { return m_address; }
    qint64 roundTrips() const { return m_trips.load(); }
    // The round trips of work().
    qint64 count(const std::function<void()>& work);

private:
    void relay();
    QString m_address;
    QString m_serverHost;
    int m_serverPort = 0;
    int m_delay = 0;
    int m_listening = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<qint64> m_trips{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Who works the windows of a benchmark: a scripted prompter, the clock at the end of the last month,
// and a session on the company.
struct BenchOperator {
    explicit BenchOperator(Database& db, const QString& companyName = company);
    ScriptedPrompter prompter;
    FixedClock clock;
    Session session;
    AppContext context;
};

// Drops the file's pages from the operating system's cache, so the next read comes from the disk.
void evict(const QString& path);
// Until the window has handled what the action set off (deferred work, repaints).
void settle();
double median(std::vector<double> values);
// prepare (untimed), then action (timed), runs times; the median in milliseconds. A warm
// measurement goes through all the runs once untimed first, so that everything they read is cached.
double measure(int runs, const std::function<void(int)>& prepare, const std::function<void(int)>& action,
               bool warm = false);
// The bare work under an action: the same statement through the database library's own API
// (prepared, values bound, every row stepped through and each column read as it is stored), no
// objects made of it. Its number of rows; -1 (and a message on standard error) when it fails.
qint64 bareQuery(const Database& db, const QString& sql, const QVariantList& values = {});

// The floor of writing a file: the bytes of from copied raw into to and synced to the disk.
bool rawCopy(const QString& from, const QString& to);

// One line of a benchmark's figures: what was measured, its median and the unit; with a floor, the
// floor's median and Kestrel's time over it. The heading over them.
void figure(const char* what, double value, const char* unit);
void figure(const char* what, double value, double floor, const char* unit);
void figuresHeading();
// Starts as the program starts (memory kept for reuse), and silences the offscreen platform's
// notes (it cannot raise windows and says so each time).
void quietOffscreen();

} // namespace bench
