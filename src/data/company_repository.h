#pragma once

#include "rules/bank.h"

#include "data/status.h"

#include <QList>
#include <QString>

#include <optional>

class Database;
struct ScalarRead;

struct Company {
    qint64 rowId = 0;
    QString name;
    QString address;
};

// What a company deleted from the master left in the database: its rows stay under its name.
struct Leftovers {
    QString name; // as the rows spell it
    qint64 payroll = 0;
    qint64 loans = 0;
    qint64 advances = 0;
    qint64 arrears = 0;
    qint64 increments = 0;
    qint64 decrements = 0;
    qint64 rules = 0;        // sets of statutory rules
    qint64 closedMonths = 0;
    bool any() const;
    // "180 payroll transactions, 3 loans, 18 advances and 10 closed months"
    QString summary() const;
};

// The company master (cmpmaster) and the flag that marks the company chosen at start-up.
class CompanyRepository {
public:
    explicit CompanyRepository(const Database& database) : m_db(database) {}

    // In the order the companies were entered.
    Result<QList<Company>> list() const;
    // The rows a deleted company left under a name that looks like `name` (none when a company of
    // the master has that name).
    Result<Leftovers> leftoversOf(const QString& name) const;
    // A new company never silently takes on a deleted company's rows: when its name has rows left
    // under it, adding it is refused unless they are brought back with it, and then it is the old
    // company again, with its name as its rows spell it and its address and bank settings as they
    // were when it was deleted (where the typed ones are empty).
    enum class Leftover { Refuse, BringBack };
    Result<qint64> add(const QString& name, const QString& address, Leftover leftover = Leftover::Refuse);
    // A new name is carried to every row that records the company by name, in one transaction, so
    // that its payroll, loans, advances, arrears, increments and decrements stay its own.
    Status update(qint64 rowId, const QString& name, const QString& address);
    // Whether any payroll, loan, advance, arrears, increment or decrement row records the company.
    Result<bool> hasData(const QString& name) const;
    Status remove(const QString& name);
    Status removeRow(qint64 rowId);

    // Whether a company of that name is in the master, as a read to run with others; what a refusal
    // of a name no company has says.
    static ScalarRead existsRead(const QString& name);
    static QString missing(const QString& name);

    // Flags exactly this company; fails when no company has that name.
    Status select(const QString& name);
    Status clearSelection();
    // The flagged company (the first one if several are flagged), if any.
    std::optional<QString> selected() const;
    // The company's address; empty for a company without one (or without a row in the master).
    Result<QString> address(const QString& name) const;

    // The company's own account and the columns of its bank's upload file (the usual columns where
    // none were set). Saving checks both with the rules and records the change in the audit trail.
    Result<bank::Settings> bankSettings(const QString& name) const;
    Status saveBankSettings(const QString& name, const bank::Settings& settings);

private:
    // The stored name of a row; no value when the row no longer exists.
    Result<std::optional<QString>> nameOf(qint64 rowId) const;

    Status checkName(const QString& name, const QString& address, qint64 exceptRowId) const;
    const Database& m_db;
};
