#pragma once

#include "common/currency.h"
#include "rules/bank.h"
#include "rules/statutory_figures.h"

#include <QDate>
#include <QTypeInfo>
#include <QString>
#include <QTime>

// The records Kestrel stores, as plain values: what the rules check, the repositories store and
// the windows show. Field comments give the stored column where its name differs.

struct Employee {
    qint64 id = 0; // 0: the database gives the next number
    QString name;
    QString gender;
    QString civilStatus;
    QString address;
    QString department;
    QString position;
    QString employmentStatus;
    Currency basicRate;
    QDate dateEmployed;
    QString photo;
    QString group;
    QString pfNumber{};  // pfno: the universal account number of the provident fund
    QString esiNumber{}; // esino: the insurance number
    statutory::Exemptions exemptions{}; // pfexfrom, esiexfrom, ptexfrom
    bank::Details bank{};               // paymode, acholder, acno, ifsc, bankname
};

// One stored pay transaction (a payroll row).
struct PayrollTransaction {
    qint64 transId = 0;
    qint64 employeeId = 0;
    QString name;
    Currency monthRate;
    QDate payDate;
    Currency bonus;
    Currency overtime;
    Currency totalLoan;
    Currency contribution;      // ph
    Currency lic;               // intax
    Currency pgvcl;             // others
    Currency daysPresent;       // absences
    Currency presentDaysSalary; // earn
    Currency advances;
    Currency totalAdditional; // tad
    Currency totalDeductions; // td
    Currency loanRecovered;   // loanrec
    Currency travel;
    Currency netPay;
    QString department;
    QString group;
    QString company;
    // pfwages, pswages, pfemp, pfpen, pfer, esiwages, esiemp, esier, ptax; the employee's shares
    // are in the total deductions.
    statutory::Figures statutory{};

    friend bool operator==(const PayrollTransaction&, const PayrollTransaction&) = default;
};
// Its members may be moved by copying their bytes: a month's list of 50,000 makes room for a row
// saved in its middle by one block move rather than 25,000 moves one by one.
Q_DECLARE_TYPEINFO(PayrollTransaction, Q_RELOCATABLE_TYPE);

struct Loan {
    qint64 employeeId = 0;
    QString name;
    Currency amount;
    Currency monthlyDeduction;
    QDate date;
    QTime time;
    QString department;
    QString company;
};

struct Advance {
    qint64 employeeId = 0;
    QString name;
    Currency amount;
    QDate date;
    QTime time;
    QString company;
};

// One month's arrears of an increment (a row of arr).
struct ArrearsRow {
    qint64 employeeId = 0;
    QString name;
    Currency increment;   // increamt
    QString month;        // incredt: "March2024"
    Currency daysPresent; // noofpre, fractions kept
    Currency paid;        // amtpaid
    QString company;
    QDate payDate; // ddat1: the payroll row's date
};

// A salary increment (incre) or decrement (decre).
struct Revision {
    qint64 employeeId = 0;
    QString name;
    Currency amount;
    QDate date;
    QTime time;
    QDate from; // increments only: the arrears period
    QDate to;
    QString company;
};
