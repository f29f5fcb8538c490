#pragma once

#include "data/payroll_repository.h"
#include "data/status.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"
#include "rules/bank.h"

#include <QByteArray>
#include <QHash>

class Database;

namespace report {

// One employee's month as the bank sees it: one payment of the net pays of all its transactions.
struct BankLine {
    QString paidBy; // "Bank transfer", "To mend", "Not sent", "Cheque", "Cash"
    qint64 employeeId = 0;
    QString name;
    bank::Details details;
    Currency netPay;
    QDate payDate;
    QStringList problems; // why a transfer cannot be made, for the lines to mend or not sent
    int transactions = 0; // the month's transactions paid by this one payment

    // The name the bank credits: the account holder's, else the employee's.
    QString holderOrName() const { return details.holder.isEmpty() ? name : details.holder; }
};

// The employees' months by the way each is paid, each group by employee number; together they
// are every transaction of the month, so their net pays add up to the month's. A month of nothing
// or less (to the paisa) is paid no way: it is not sent, and named.
struct BankMonth {
    QList<BankLine> transfers;
    QList<BankLine> toMend; // paid by transfer, but the details are missing or malformed
    // Nothing goes out: a net pay of nothing or less, or an employee no longer on the roll (whose
    // account nobody can check); listed, not blocking the others.
    QList<BankLine> notSent;
    QList<BankLine> cheques;
    QList<BankLine> cash;
    QStringList severalTransactions; // "12 JOSEPH FERNANDES (2 transactions)": paid once for them all

    QList<BankLine> all() const { return transfers + toMend + notSent + cheques + cash; }
    // "12 JOSEPH FERNANDES: no account number, no branch code", one per employee.
    QStringList toMendText() const;
    QStringList notSentText() const;
};
BankMonth bankMonth(const QList<PayrollTransaction>& transactions, const QHash<qint64, Employee>& employees);

// The transfers as the bank pays them: each rounded to the paisa, so that the letter's total is the
// total of the upload file's lines.
BankMonth roundedForTheBank(BankMonth paid);

Document bankTransferList(const CompanyHeading& company, QDate month, const BankMonth& paid);
// The covering letter: the company's heading, the date, the bank, the total in figures and in words,
// and the transfers attached below it.
Document bankLetter(const CompanyHeading& company, const bank::Account& account, QDate month, QDate written,
                    const BankMonth& paid);
// The bank's upload file: a header of the columns' headings, then one line per transfer; amounts
// with two decimals and no grouping, fields quoted where they need it, lines ended by CR LF.
QByteArray uploadFile(const bank::Settings& settings, QDate month, const QList<BankLine>& transfers);

// The company's month read from the database.
Result<BankMonth> bankMonthOf(const Database& db, const QString& company, QDate month);
Result<Document> bankTransferListOf(const Database& db, const QString& company, QDate month);
// Refused, naming them, while an employee paid by transfer lacks details; refused without the
// company's own account; refused when nobody is paid by transfer. The bank pays paise: each
// transfer is rounded to the paisa, and the letter's total is the total of the lines it sends.
Result<Document> bankLetterOf(const Database& db, const QString& company, QDate month, QDate written);
Result<QByteArray> uploadFileOf(const Database& db, const QString& company, QDate month);

} // namespace report
