#pragma once

#include "data/status.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QVariantList>
#include <QString>

#include <optional>

class Database;
struct ScalarRead;

// A company's month whose salaries are paid: its payroll, and the loans and advances dated in it,
// can no longer be saved, changed or deleted, until an administrator reopens it.
struct ClosedMonth {
    QString company;
    QDate month; // the first day
    QString closedBy;
    QDateTime closedAt;

    // "December 2026 closed by admin on 05/01/2027"
    QString caption() const;
};

class MonthCloseRepository {
public:
    explicit MonthCloseRepository(const Database& database) : m_db(database) {}

    // The company's closed months, the latest first.
    Result<QList<ClosedMonth>> closed(const QString& company) const;
    // The closed month the date falls in, if it is closed.
    Result<std::optional<ClosedMonth>> find(const QString& company, QDate date) const;
    // The same as two one-value reads (who closed it, and when), to be read with a write's other
    // checks once the month is held (see lockMonth); closedOf makes the closed month of their values.
    static QList<ScalarRead> closeReads(const QString& company, QDate date);
    static std::optional<ClosedMonth> closedOf(const QString& company, QDate date, const QVariant& by,
                                               const QVariant& at);
    // Closes the month by the database's operator, now; recorded in the audit trail. Closing a month
    // closed already fails and says by whom.
    Status close(const QString& company, QDate month);
    // A month closed in another database, brought with its data (an import): kept as it was closed,
    // by whom and when; recorded in the audit trail. Refused when the month is closed already.
    Status keep(const ClosedMonth& month);
    // Reopens it, for the reason given (required); recorded in the audit trail with the reason.
    Status reopen(const QString& company, QDate month, const QString& reason);

    // Inside the transaction that writes: the failure, naming the month and who closed it, when the
    // company's month of the date is closed; `what` says what cannot be done ("its payroll cannot be
    // changed").
    Status refuseIfClosed(const QString& company, QDate date, const QString& what) const;
    // Inside the transaction that deletes a company's rows of a table that where selects (dated in
    // dateColumn): the months they fall in, each held as it is (see lockMonth) and then read, so
    // that a month closed meanwhile is found closed. The deletion then touches the open months
    // only, and no row of a month it did not hold.
    struct Months {
        QStringList open;               // yyyy-MM
        QList<ClosedMonth> closed;
        // "(substr(ddate, 1, 7) IN (?, …) OR ddate IS NULL)" with the open months to bind after.
        QString onlyOpen(const QString& dateColumn) const;
    };
    Result<Months> monthsOf(const QString& table, const QString& dateColumn, const QString& company,
                            const QString& where, const QVariantList& values) const;

private:
    const Database& m_db;
};

// Deletes every row of the company's table (dated in dateColumn), recording each in the trail,
// unless one is dated in a closed month: then nothing, and the failure names the months and says
// what cannot be done. One write transaction (a part of the caller's): how many rows went.
Result<qint64> removeUnlessClosed(const Database& database, const QString& table, const QString& dateColumn,
                                  const QString& company, const QString& what);

// What a refusal says: "December 2026 is closed (closed by admin on 05/01/2027): its payroll cannot be changed."
QString closedMonthRefusal(const ClosedMonth& month, const QString& what);
