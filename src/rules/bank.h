#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How salaries reach the bank: each employee's way of being paid and account, each company's own
// account and the layout of the file its bank takes.
namespace bank {

enum class PayMode { Transfer, Cheque, Cash };
const QList<PayMode>& payModes();
// Stored in emp.paymode: "bank", "cheque", "cash"; an empty or missing value is a bank transfer, so
// that an employee nobody has given details for is listed as missing them, never left out.
QString storedMode(PayMode mode);
std::optional<PayMode> modeFromStored(const QString& text);
QString modeCaption(PayMode mode); // "Bank transfer", "Cheque", "Cash"

// acholder, acno, ifsc, bankname beside paymode.
struct Details {
    PayMode mode = PayMode::Transfer;
    QString holder{};
    QString account{};
    QString branchCode{}; // the 11-character code that routes a transfer: ABCD0123456
    QString bankName{};
};

// Account numbers are 6 to 18 digits; a branch code is four letters, a zero, six letters or digits.
inline constexpr int minAccountDigits = 6;
inline constexpr int maxAccountDigits = 18;
bool isAccountNumber(const QString& text);
bool isBranchCode(const QString& text);
// As stored: blanks removed from the number and the code, the code in capitals.
QString normalisedNumber(const QString& account);
QString normalisedCode(const QString& branchCode);
Details normalised(Details details);
// Why a transfer cannot be made to these details ("no account number", "the branch code ABC is not
// of the form ABCD0123456"); empty when it can, or when the employee is not paid by transfer.
QStringList transferProblems(const Details& details);

// The company's own account, debited for the salaries (cmpmaster.bankname, bankacno, bankifsc).
struct Account {
    QString bankName;
    QString account;
    QString branchCode;
};
Account normalised(Account account);

// A column of the bank's upload file: what it holds, its heading, and for a fixed column its value.
enum class Field {
    Serial,        // 1, 2, 3 ... in the file's order
    EmployeeId,
    EmployeeName,
    AccountHolder, // the employee's name where no holder was given
    AccountNumber,
    BranchCode,
    BankName,
    Amount,        // the net pay, two decimals, no grouping
    DebitAccount,  // the company's account
    Month,         // "December 2026"
    PayDate,       // the transaction's date, 2026-12-31
    Fixed,         // the column's value, the same on every line (a transfer type, a narration)
};
const QList<Field>& fields();
QString fieldKey(Field field);     // stored: "serial", "empid", ... "fixed"
QString fieldCaption(Field field); // shown: "Serial number", "Employee number", ...
std::optional<Field> fieldFromKey(const QString& key);

struct UploadColumn {
    Field field = Field::Fixed;
    QString heading;
    QString value; // a fixed column's value
};

// The columns stored as one text (cmpmaster.bankcols): "field|heading|value" joined by ";". A
// heading or value cannot hold "|" or ";" (checked by the rules).
QString layoutText(const QList<UploadColumn>& columns);
std::optional<QList<UploadColumn>> parseLayout(const QString& text);
// The fields a bank cannot pay without: the amount, the account and its branch code.
const QList<Field>& requiredFields();
// Where a company has set none: the usual columns of a bulk salary transfer.
QList<UploadColumn> defaultLayout();

struct Settings {
    Account account;
    QList<UploadColumn> columns = defaultLayout();
};

} // namespace bank
