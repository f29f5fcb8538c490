#pragma once

#include "data/payroll_repository.h"
#include "data/status.h"

#include <QByteArray>
#include <QHash>

class Database;

namespace report {

// Why an insured person had no days paid in the month, as the insurance's portal numbers them.
enum class NoDaysReason { WithoutReason = 0, LeftService = 2 };

// One insured person's line of the insurance's monthly contribution upload.
struct EsiMember {
    qint64 employeeId = 0;
    QString ipNumber; // the insurance number, ten digits
    QString name;
    int daysPaid = 0; // days present of the month, a fraction up to the next whole day
    Currency wages;   // the month's insurance wages
    NoDaysReason reason = NoDaysReason::WithoutReason;
    QDate lastWorkingDay; // for a member who left: the last day paid
};

// A month's insured persons: each employee charged the insurance in the month, their transactions
// added together, and each one charged earlier in the contribution period (who stays covered to
// its end) with no days this month. `earlier` are the company's transactions of the period before
// the month. Members without an insurance number are named in `missing`.
struct EsiReturn {
    QList<EsiMember> members;
    QStringList missing; // "12 JOSEPH FERNANDES"
};
EsiReturn esiReturn(const QList<PayrollTransaction>& month, const QList<PayrollTransaction>& earlier,
                    const QHash<qint64, Employee>& employees);
// The upload's text: the portal's six headed columns, one line per member, CSV.
QByteArray esiReturnText(const QList<EsiMember>& members);

// The company's month read from the database; refused, naming them, when a member has no
// insurance number, and when nobody was insured.
Result<QByteArray> esiReturnOf(const Database& db, const QString& company, QDate month);

} // namespace report
