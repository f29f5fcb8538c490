#pragma once

#include "common/currency.h"
#include "rules/records.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// What each stored field and record may hold, written once. Every door into the data asks these
// functions: a window turns the verdict into a message and a focus, the import into a refused row
// (file, line, column, reason), and each repository refuses what they refuse before it writes.
// Rules that need the stored data (a loan never recovered beyond what was lent, a number never
// given twice) are the repositories', checked inside the writing transaction.
namespace rules {

// The first rule a record breaks: the stored column it concerns and what to tell the operator.
struct Broken {
    QString field;
    QString message;
};
using Verdict = std::optional<Broken>;

// Numbers: employee numbers fit every form and report column; transaction and user numbers leave
// room for a century of months without ever nearing the 64-bit end, where the database can no
// longer give a next number.
inline constexpr qint64 maxEmployeeId = 999'999'999;
inline constexpr qint64 maxTransactionId = 999'999'999'999;
inline constexpr qint64 maxUserId = 999'999'999;
// Every stored amount, of either sign: eight digits and two decimals, the boxes' width. A total of
// nine million such amounts still fits in 64 bits, more rows than any report of an office holds.
inline constexpr Currency maxAmount = Currency::fromUnits(99'999'999'9900);
// Lengths of the stored texts, in characters.
inline constexpr int maxNameLength = 100;    // employee, company
inline constexpr int maxShortLength = 50;    // department, group, position, status, user name
inline constexpr int maxAddressLength = 500; // employee and company addresses
inline constexpr int maxPathLength = 1024;   // photograph file
inline constexpr int maxPasswordLength = 200;

// What is stored of a typed text: as a clerk reads it (see names::stored), its blanks around it
// removed and each run of blanks one; a multi-line text (an address) keeps its line breaks.
QString cleanText(const QString& text, bool multiLine = false);
// A department, group or company name as it is stored: cleaned, in capitals.
QString masterName(const QString& name);
QString companyName(const QString& name);

// Field checks. The caption names the field in a message ("the loan amount").
enum class Sign { Positive, NotNegative, Any };
// A text holds no control character (a multi-line one keeps its line breaks and tabs) and no
// character that cannot be seen.
Verdict text(const QString& field, const QString& caption, const QString& value, int maxLength, bool required,
             bool multiLine = false);
// A name others are told apart by (a company, department, group, user): a required text whose words
// are each written in one script.
Verdict name(const QString& field, const QString& caption, const QString& value, int maxLength);
Verdict amount(const QString& field, const QString& caption, Currency value, Sign sign, int decimals = 4);
Verdict number(const QString& field, const QString& caption, qint64 value, qint64 maximum);
Verdict date(const QString& field, const QString& caption, QDate value, bool required);
// Days present in the month of payDate: 0 to the month's days, two decimals at the most.
Verdict daysPresent(const QString& field, Currency days, QDate payDate);

// Records. Texts are checked as they will be stored (see the normalised functions).
Employee normalised(Employee employee);
Verdict check(const Employee& employee);
// A company's account and the columns of its bank's upload file: at least one column, headings
// given, and no "|" or ";" in a heading or value (they separate the stored layout).
Verdict check(const bank::Account& account);
Verdict check(const QList<bank::UploadColumn>& columns);
PayrollTransaction normalised(PayrollTransaction transaction);
Verdict check(const PayrollTransaction& transaction);
Loan normalised(Loan loan);
Verdict check(const Loan& loan);
Advance normalised(Advance advance);
Verdict check(const Advance& advance);
enum class RevisionKind { Increment, Decrement };
Revision normalised(Revision revision);
// A change of a basic rate is whole rupees: the rate is paid rounded to the rupee, so a change in
// paise would be recorded but never paid, or paid in arrears on more than the rate rose.
Verdict check(const Revision& revision, RevisionKind kind);
Verdict check(const ArrearsRow& arrears);
// The basic rate a revision leaves (nothing: too large to hold): a rate the rules keep, and the old
// rate as it is paid, to the rupee, changed by exactly the revision's amount (negative for a
// decrement), so that the rate and the recorded change always agree.
Verdict checkRevisedRate(Currency oldRate, Currency change, std::optional<Currency> newRate);

// Operators. The two privileges, read trimmed and in any case; any other text restricts.
enum class Privilege { Administrator, Restricted };
std::optional<Privilege> recognisedPrivilege(const QString& text);
Privilege privilegeOf(const QString& text);
// An empty password on update keeps the stored one; a new user must have one.
Verdict checkUser(const QString& name, const QString& password, const QString& privilege, bool passwordRequired);
Verdict checkPassword(const QString& field, const QString& caption, const QString& password);

// A name that looks like none of the others (see names::lookAlike): the first it looks like is named.
// noun says what they are ("company"), in a message such as "The company ACME already exists."
Verdict distinctName(const QString& field, const QString& noun, const QString& name, const QStringList& others);

// A department or group a record names (field) is one of the master's names; an empty one names none.
Verdict inMaster(const QString& field, const QString& noun, const QString& name, const QStringList& master);

// The masters: a department or group, and a company with its address.
Verdict checkMasterName(const QString& field, const QString& noun, const QString& name);
Verdict checkCompany(const QString& name, const QString& address);

} // namespace rules
