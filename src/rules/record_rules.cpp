#include "record_rules.h"

#include "rules/names.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <QRegularExpression>

namespace rules {

namespace {

QString capitalised(const QString& caption)
{
    return caption.isEmpty() ? caption : caption.at(0).toUpper() + caption.mid(1);
}

Verdict broken(const QString& field, const QString& message)
{
    return Broken{field, message};
}

QString shown(Currency value)
{
    return value.toString();
}

// Control characters (NUL, escape, …) would be stored unseen and cut texts short in other programs;
// a multi-line text keeps its line breaks and tabs.
bool hasControlCharacter(const QString& text, bool multiLine)
{
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            continue;
        if (multiLine && (c == u'\n' || c == u'\r' || c == u'\t'))
            continue;
        return true;
    }
    return false;
}

constexpr int decimalsOf(Currency value)
{
    qint64 units = value.units() < 0 ? -value.units() : value.units();
    int decimals = Currency::Decimals;
    while (decimals > 0 && units % 10 == 0) {
        units /= 10;
        --decimals;
    }
    return decimals;
}

template <typename... Checks>
Verdict firstOf(Checks... checks)
{
    Verdict verdict;
    ((verdict = verdict ? verdict : checks()), ...);
    return verdict;
}

const QString payDateField = QStringLiteral("ddate");

} // namespace

QString cleanText(const QString& text, bool multiLine)
{
    return names::stored(text, multiLine);
}

QString masterName(const QString& name)
{
    return cleanText(name).toUpper();
}

QString companyName(const QString& name)
{
    return cleanText(name).toUpper();
}

Verdict text(const QString& field, const QString& caption, const QString& value, int maxLength, bool required,
             bool multiLine)
{
    if (required && value.trimmed().isEmpty())
        return broken(field, QStringLiteral("Please enter %1.").arg(caption));
    if (value.size() > maxLength)
        return broken(field, QStringLiteral("%1 can be %2 characters long at the most (it has %3).")
                                 .arg(capitalised(caption))
                                 .arg(maxLength)
                                 .arg(value.size()));
    if (hasControlCharacter(value, multiLine))
        return broken(field, QStringLiteral("%1 holds a control character (such as NUL or escape), which cannot be "
                                            "stored.")
                                 .arg(capitalised(caption)));
    if (const auto unseen = names::invisibleCharacter(value))
        return broken(field, QStringLiteral("%1 holds a character that cannot be seen (U+%2), which would make it "
                                            "read as another text: type it again without it.")
                                 .arg(capitalised(caption),
                                      QString::number(quint32(*unseen), 16).toUpper().rightJustified(4, u'0')));
    return {};
}

Verdict name(const QString& field, const QString& caption, const QString& value, int maxLength)
{
    if (auto wrong = text(field, caption, value, maxLength, true))
        return wrong;
    if (const QString word = names::wordMixingScripts(value); !word.isEmpty())
        return broken(field, QStringLiteral("%1 mixes the letters of two scripts in \"%2\", so that it looks like "
                                            "a name it is not: write each word in one script.")
                                 .arg(capitalised(caption), word));
    return {};
}

Verdict amount(const QString& field, const QString& caption, Currency value, Sign sign, int decimals)
{
    if (sign == Sign::Positive && value <= Currency())
        return broken(field, QStringLiteral("%1 must be above 0.").arg(capitalised(caption)));
    if (sign == Sign::NotNegative && value < Currency())
        return broken(field, QStringLiteral("%1 cannot be negative.").arg(capitalised(caption)));
    if (value > maxAmount || value < Currency::fromUnits(-maxAmount.units()))
        return broken(field, QStringLiteral("%1 can be %2 at the most.").arg(capitalised(caption), shown(maxAmount)));
    if (decimalsOf(value) > decimals)
        return broken(field, decimals == 0 ? QStringLiteral("%1 must be whole rupees.").arg(capitalised(caption))
                                           : QStringLiteral("%1 can have %2 decimals at the most.")
                                                 .arg(capitalised(caption))
                                                 .arg(decimals));
    return {};
}

Verdict number(const QString& field, const QString& caption, qint64 value, qint64 maximum)
{
    if (value < 1 || value > maximum)
        return broken(field, QStringLiteral("%1 must be a whole number from 1 to %2.")
                                 .arg(capitalised(caption), QString::number(maximum)));
    return {};
}

Verdict date(const QString& field, const QString& caption, QDate value, bool required)
{
    if (value.isNull())
        return required ? broken(field, QStringLiteral("Please enter %1.").arg(caption)) : Verdict();
    if (!value.isValid() || value.year() < 1900 || value.year() > 2100)
        return broken(field, QStringLiteral("%1 must be a date from 1900 to 2100.").arg(capitalised(caption)));
    return {};
}

Verdict daysPresent(const QString& field, Currency days, QDate payDate)
{
    if (days < Currency())
        return broken(field, QStringLiteral("The days present cannot be negative."));
    if (payDate.isValid() && days > *Currency::fromWhole(payDate.daysInMonth()))
        return broken(field, QStringLiteral("The days present cannot be more than the %1 days of %2.")
                                 .arg(payDate.daysInMonth())
                                 .arg(QLocale(QLocale::English).toString(payDate, QStringLiteral("MMMM yyyy"))));
    if (decimalsOf(days) > 2)
        return broken(field, QStringLiteral("The days present can have two decimals at the most."));
    return {};
}

Employee normalised(Employee e)
{
    for (QString* t : {&e.name, &e.gender, &e.civilStatus, &e.position, &e.employmentStatus, &e.pfNumber,
                       &e.esiNumber})
        *t = cleanText(*t);
    // Named as their masters keep them.
    for (QString* t : {&e.department, &e.group})
        if (!t->isNull())
            *t = masterName(*t);
    e.address = cleanText(e.address, true);
    // A file's path is found by its exact characters: only the blanks around it go.
    e.photo = e.photo.trimmed();
    e.bank = bank::normalised(e.bank);
    return e;
}

namespace {

// A number the returns carry: empty, or exactly `digits` digits.
Verdict digitsNumber(const QString& field, const QString& caption, const QString& value, int digits)
{
    static const QRegularExpression onlyDigits(QStringLiteral("^[0-9]+$"));
    if (value.isEmpty() || (value.size() == digits && onlyDigits.match(value).hasMatch()))
        return {};
    return broken(field, QStringLiteral("%1 must be %2 digits (it is \"%3\").").arg(capitalised(caption)).arg(digits).arg(value));
}

// Bank details may be left empty (they are listed before a transfer), never entered wrong.
Verdict accountNumber(const QString& field, const QString& value)
{
    if (value.isEmpty() || bank::isAccountNumber(value))
        return {};
    return broken(field, QStringLiteral("The account number must be %1 to %2 digits (it is \"%3\").")
                             .arg(bank::minAccountDigits)
                             .arg(bank::maxAccountDigits)
                             .arg(value));
}

Verdict branchCode(const QString& field, const QString& value)
{
    if (value.isEmpty() || bank::isBranchCode(value))
        return {};
    return broken(field, QStringLiteral("The branch code must be four letters, a zero and six letters or digits, "
                                        "like SBIN0001234 (it is \"%1\").")
                             .arg(value));
}

} // namespace

Verdict check(const Employee& e)
{
    return firstOf(
        [&] { return e.id == 0 ? Verdict() : number(QStringLiteral("ID"), QStringLiteral("the employee number"), e.id,
                                                    maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), e.name, maxNameLength, true); },
        [&] { return text(QStringLiteral("gender"), QStringLiteral("the gender"), e.gender, maxShortLength, false); },
        [&] { return text(QStringLiteral("status"), QStringLiteral("the civil status"), e.civilStatus, maxShortLength,
                          false); },
        [&] { return text(QStringLiteral("address"), QStringLiteral("the address"), e.address, maxAddressLength, false,
                          true); },
        [&] { return text(QStringLiteral("dept"), QStringLiteral("the department"), e.department, maxShortLength,
                          false); },
        [&] { return text(QStringLiteral("pos"), QStringLiteral("the position"), e.position, maxShortLength, false); },
        [&] { return text(QStringLiteral("empstat"), QStringLiteral("the employment status"), e.employmentStatus,
                          maxShortLength, false); },
        [&] { return amount(QStringLiteral("basicrate"), QStringLiteral("the basic rate"), e.basicRate,
                            Sign::NotNegative); },
        [&] { return date(QStringLiteral("dateemployed"), QStringLiteral("the date hired"), e.dateEmployed, false); },
        [&] { return text(QStringLiteral("empphoto"), QStringLiteral("the photograph's file"), e.photo, maxPathLength,
                          false); },
        [&] { return text(QStringLiteral("grp"), QStringLiteral("the group"), e.group, maxShortLength, false); },
        [&] { return digitsNumber(QStringLiteral("pfno"), QStringLiteral("the provident fund account number (UAN)"),
                                  e.pfNumber, 12); },
        [&] { return digitsNumber(QStringLiteral("esino"), QStringLiteral("the insurance number"), e.esiNumber, 10); },
        [&] { return date(QStringLiteral("pfexfrom"), QStringLiteral("the provident fund exemption date"),
                          e.exemptions.pfFrom, false); },
        [&] { return date(QStringLiteral("esiexfrom"), QStringLiteral("the insurance exemption date"),
                          e.exemptions.esiFrom, false); },
        [&] { return date(QStringLiteral("ptexfrom"), QStringLiteral("the professional tax exemption date"),
                          e.exemptions.ptFrom, false); },
        [&] { return date(QStringLiteral("birthdate"), QStringLiteral("the date of birth"), e.exemptions.birthDate,
                          false); },
        [&]() -> Verdict {
            if (e.exemptions.birthDate.isValid() && e.dateEmployed.isValid() && e.exemptions.birthDate >= e.dateEmployed)
                return broken(QStringLiteral("birthdate"), QStringLiteral("The date of birth must be before the date hired."));
            return {};
        },
        [&] { return text(QStringLiteral("acholder"), QStringLiteral("the account holder's name"), e.bank.holder,
                          maxNameLength, false); },
        [&] { return accountNumber(QStringLiteral("acno"), e.bank.account); },
        [&] { return branchCode(QStringLiteral("ifsc"), e.bank.branchCode); },
        [&] { return text(QStringLiteral("bankname"), QStringLiteral("the bank's name"), e.bank.bankName,
                          maxNameLength, false); });
}

Verdict check(const bank::Account& a)
{
    return firstOf(
        [&] { return text(QStringLiteral("bankname"), QStringLiteral("the bank's name"), a.bankName, maxNameLength,
                          false); },
        [&] { return accountNumber(QStringLiteral("bankacno"), a.account); },
        [&] { return branchCode(QStringLiteral("bankifsc"), a.branchCode); });
}

Verdict check(const QList<bank::UploadColumn>& columns)
{
    if (columns.isEmpty())
        return broken(QStringLiteral("bankcols"), QStringLiteral("The upload file needs at least one column."));
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const bank::UploadColumn& c = columns.at(i);
        if (c.heading.trimmed().isEmpty())
            return broken(QStringLiteral("bankcols"), QStringLiteral("Column %1 of the upload file has no heading.").arg(i + 1));
        for (const QString& part : {c.heading, c.value})
            if (part.contains(QLatin1Char('|')) || part.contains(QLatin1Char(';')) || part.contains(QLatin1Char('\n')))
                return broken(QStringLiteral("bankcols"),
                              QStringLiteral("Column %1 of the upload file holds \"|\", \";\" or a line break, which "
                                             "the stored layout cannot keep.")
                                  .arg(i + 1));
        if (c.heading.size() > maxShortLength || c.value.size() > maxShortLength)
            return broken(QStringLiteral("bankcols"),
                          QStringLiteral("Column %1 of the upload file is longer than %2 characters.")
                              .arg(i + 1)
                              .arg(maxShortLength));
    }
    // A file the bank cannot pay from is refused when the layout is set, not each month.
    for (bank::Field needed : bank::requiredFields())
        if (std::none_of(columns.cbegin(), columns.cend(), [needed](const bank::UploadColumn& c) { return c.field == needed; }))
            return broken(QStringLiteral("bankcols"),
                          QStringLiteral("The upload file needs a column of the %1.").arg(bank::fieldCaption(needed).toLower()));
    return {};
}

PayrollTransaction normalised(PayrollTransaction t)
{
    for (QString* s : {&t.name, &t.department, &t.group, &t.company})
        *s = cleanText(*s);
    return t;
}

Verdict check(const PayrollTransaction& t)
{
    const auto notNegative = [](const char* field, const char* caption, Currency value) {
        return [=] { return amount(QString::fromLatin1(field), QString::fromLatin1(caption), value, Sign::NotNegative); };
    };
    const auto statutoryFigure = [](const char* field, const char* caption, Currency value) {
        return [=] { return amount(QString::fromLatin1(field), QString::fromLatin1(caption), value, Sign::Any); };
    };
    return firstOf(
        [&] { return t.transId == 0 ? Verdict() : number(QStringLiteral("transid"), QStringLiteral("the transaction number"),
                                                         t.transId, maxTransactionId); },
        [&] { return number(QStringLiteral("ID"), QStringLiteral("the employee number"), t.employeeId, maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), t.name, maxNameLength, false); },
        notNegative("monthrate", "the monthly rate", t.monthRate),
        [&] { return date(payDateField, QStringLiteral("the pay date"), t.payDate, true); },
        notNegative("bonus", "the bonus", t.bonus), notNegative("ot", "the overtime", t.overtime),
        notNegative("totloan", "the total loan", t.totalLoan), notNegative("ph", "the contribution", t.contribution),
        notNegative("intax", "the LIC", t.lic), notNegative("others", "the PGVCL", t.pgvcl),
        [&] { return daysPresent(QStringLiteral("absences"), t.daysPresent, t.payDate); },
        notNegative("earn", "the present days salary", t.presentDaysSalary),
        notNegative("advances", "the advances", t.advances), notNegative("tad", "the total additional", t.totalAdditional),
        // A month's later transaction hands back what its earlier ones deducted beyond what the
        // month owes (the insurance of a month its wages took beyond the limit): its deductions
        // and statutory figures may be below 0.
        [&] { return amount(QStringLiteral("td"), QStringLiteral("the total deductions"), t.totalDeductions, Sign::Any); },
        notNegative("loanrec", "the loan deduction", t.loanRecovered), notNegative("travel", "the travel", t.travel),
        [&] { return amount(QStringLiteral("netpay"), QStringLiteral("the net pay"), t.netPay, Sign::Any); },
        [&] { return text(QStringLiteral("dept"), QStringLiteral("the department"), t.department, maxShortLength,
                          false); },
        [&] { return text(QStringLiteral("grp"), QStringLiteral("the group"), t.group, maxShortLength, false); },
        [&] { return text(QStringLiteral("company"), QStringLiteral("the company"), t.company, maxNameLength, true); },
        statutoryFigure("pfwages", "the provident fund wages", t.statutory.pfWages),
        statutoryFigure("pswages", "the pension wages", t.statutory.pensionWages),
        statutoryFigure("pfemp", "the provident fund", t.statutory.pfEmployee),
        statutoryFigure("pfpen", "the pension contribution", t.statutory.pension),
        statutoryFigure("pfer", "the employer's provident fund", t.statutory.pfEmployer),
        statutoryFigure("esiwages", "the insurance wages", t.statutory.esiWages),
        statutoryFigure("esiemp", "the insurance", t.statutory.esiEmployee),
        statutoryFigure("esier", "the employer's insurance", t.statutory.esiEmployer),
        statutoryFigure("ptax", "the professional tax", t.statutory.professionalTax));
}

Loan normalised(Loan loan)
{
    for (QString* s : {&loan.name, &loan.department, &loan.company})
        *s = cleanText(*s);
    return loan;
}

Verdict check(const Loan& loan)
{
    return firstOf(
        [&] { return number(QStringLiteral("ID"), QStringLiteral("the employee number"), loan.employeeId, maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), loan.name, maxNameLength,
                          false); },
        [&] { return amount(QStringLiteral("loanamt"), QStringLiteral("the loan amount"), loan.amount, Sign::Positive); },
        [&] { return amount(QStringLiteral("permonthded"), QStringLiteral("the per month deduction"),
                            loan.monthlyDeduction, Sign::NotNegative); },
        [&] {
            return loan.monthlyDeduction > loan.amount
                       ? broken(QStringLiteral("permonthded"),
                                QStringLiteral("The per month deduction (%1) cannot be more than the loan amount (%2).")
                                    .arg(shown(loan.monthlyDeduction), shown(loan.amount)))
                       : Verdict();
        },
        [&] { return date(QStringLiteral("ldt"), QStringLiteral("the loan date"), loan.date, true); },
        [&] { return text(QStringLiteral("dept"), QStringLiteral("the department"), loan.department, maxShortLength,
                          false); },
        [&] { return text(QStringLiteral("company"), QStringLiteral("the company"), loan.company, maxNameLength, true); });
}

Advance normalised(Advance advance)
{
    for (QString* s : {&advance.name, &advance.company})
        *s = cleanText(*s);
    return advance;
}

Verdict check(const Advance& a)
{
    return firstOf(
        [&] { return number(QStringLiteral("ID"), QStringLiteral("the employee number"), a.employeeId, maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), a.name, maxNameLength, false); },
        [&] { return amount(QStringLiteral("advamt"), QStringLiteral("the advance amount"), a.amount, Sign::Positive); },
        [&] { return date(QStringLiteral("advdt"), QStringLiteral("the advance date"), a.date, true); },
        [&] { return text(QStringLiteral("company"), QStringLiteral("the company"), a.company, maxNameLength, true); });
}

Revision normalised(Revision revision)
{
    for (QString* s : {&revision.name, &revision.company})
        *s = cleanText(*s);
    return revision;
}

Verdict check(const Revision& r, RevisionKind kind)
{
    const bool increment = kind == RevisionKind::Increment;
    const QString amountField = increment ? QStringLiteral("increamt") : QStringLiteral("decreamt");
    return firstOf(
        [&] { return number(QStringLiteral("ID"), QStringLiteral("the employee number"), r.employeeId, maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), r.name, maxNameLength, false); },
        [&] {
            return amount(amountField, increment ? QStringLiteral("the increment amount") : QStringLiteral("the decrement amount"),
                          r.amount, Sign::Positive, 0);
        },
        [&] {
            return date(increment ? QStringLiteral("incredt") : QStringLiteral("decredt"), QStringLiteral("the date"),
                        r.date, true);
        },
        [&] { return increment ? date(QStringLiteral("fromdt"), QStringLiteral("the start of the period"), r.from, false)
                               : Verdict(); },
        [&] { return increment ? date(QStringLiteral("todt"), QStringLiteral("the end of the period"), r.to, false)
                               : Verdict(); },
        [&] {
            return increment && r.from.isValid() && r.to.isValid() && r.from > r.to
                       ? broken(QStringLiteral("fromdt"), QStringLiteral("The period starts after it ends."))
                       : Verdict();
        },
        [&] { return text(QStringLiteral("company"), QStringLiteral("the company"), r.company, maxNameLength, true); });
}

Verdict check(const ArrearsRow& a)
{
    return firstOf(
        [&] { return number(QStringLiteral("ID"), QStringLiteral("the employee number"), a.employeeId, maxEmployeeId); },
        [&] { return text(QStringLiteral("emname"), QStringLiteral("the employee's name"), a.name, maxNameLength, false); },
        [&] { return amount(QStringLiteral("increamt"), QStringLiteral("the increment amount"), a.increment,
                            Sign::Positive, 0); },
        [&] { return text(QStringLiteral("incredt"), QStringLiteral("the month"), a.month, maxShortLength, false); },
        [&] { return daysPresent(QStringLiteral("noofpre"), a.daysPresent, a.payDate); },
        [&] { return amount(QStringLiteral("amtpaid"), QStringLiteral("the arrears paid"), a.paid, Sign::NotNegative); },
        [&] { return text(QStringLiteral("company"), QStringLiteral("the company"), a.company, maxNameLength, true); },
        [&] { return date(QStringLiteral("ddat1"), QStringLiteral("the payroll date"), a.payDate, false); });
}

Verdict checkRevisedRate(Currency oldRate, Currency change, std::optional<Currency> newRate)
{
    const QString field = QStringLiteral("basicrate");
    if (!newRate)
        return broken(field, QStringLiteral("The new basic rate can be %1 at the most.").arg(shown(maxAmount)));
    if (auto wrong = amount(field, QStringLiteral("the new basic rate"), *newRate, Sign::NotNegative))
        return wrong;
    const auto paid = oldRate.rounded(0);
    const auto expected = paid ? paid->plus(change) : std::nullopt;
    if (!expected || *expected != *newRate)
        return broken(field, QStringLiteral("The new basic rate %1 is not the rate %2 changed by %3; nothing was saved.")
                                 .arg(shown(*newRate), shown(paid.value_or(oldRate)), shown(change)));
    return {};
}

std::optional<Privilege> recognisedPrivilege(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("admin"), Qt::CaseInsensitive) == 0)
        return Privilege::Administrator;
    if (t.compare(QLatin1String("user"), Qt::CaseInsensitive) == 0)
        return Privilege::Restricted;
    return std::nullopt;
}

Privilege privilegeOf(const QString& text)
{
    // Fail closed: a privilege nobody meant to give (a typing slip, an old value) gives the least.
    return recognisedPrivilege(text).value_or(Privilege::Restricted);
}

Verdict checkPassword(const QString& field, const QString& caption, const QString& password)
{
    if (password.isEmpty())
        return broken(field, QStringLiteral("Please enter %1.").arg(caption));
    return text(field, caption, password, maxPasswordLength, true);
}

Verdict checkUser(const QString& name, const QString& password, const QString& privilege, bool passwordRequired)
{
    return firstOf(
        [&] { return rules::name(QStringLiteral("usernm"), QStringLiteral("user name"), name, maxShortLength); },
        [&] {
            return passwordRequired || !password.isEmpty()
                       ? checkPassword(QStringLiteral("pass"), QStringLiteral("password"), password)
                       : Verdict();
        },
        [&] {
            if (privilege.trimmed().isEmpty())
                return broken(QStringLiteral("priv"), QStringLiteral("Please enter privilege."));
            if (!recognisedPrivilege(privilege))
                return broken(QStringLiteral("priv"),
                              QStringLiteral("The privilege \"%1\" is neither \"admin\" nor \"user\".")
                                  .arg(privilege.trimmed().left(maxShortLength)));
            return Verdict();
        });
}

Verdict distinctName(const QString& field, const QString& noun, const QString& name, const QStringList& others)
{
    for (const QString& other : others) {
        if (!names::lookAlike(name, other))
            continue;
        if (name.compare(other, Qt::CaseInsensitive) == 0)
            return broken(field, QStringLiteral("The %1 %2 already exists.").arg(noun, other));
        return broken(field, QStringLiteral("\"%1\" would look the same as the %2 %3, which exists already: choose "
                                            "a name that reads differently.")
                                 .arg(name, noun, other));
    }
    return {};
}

Verdict inMaster(const QString& field, const QString& noun, const QString& name, const QStringList& master)
{
    if (name.isEmpty() || master.contains(name))
        return {};
    return broken(field, QStringLiteral("The %1 %2 is not in the %1 master: add it there first.").arg(noun, name));
}

Verdict checkMasterName(const QString& field, const QString& noun, const QString& name)
{
    return rules::name(field, QStringLiteral("the %1 name").arg(noun), name, maxShortLength);
}

Verdict checkCompany(const QString& name, const QString& address)
{
    return firstOf(
        [&] { return rules::name(QStringLiteral("company"), QStringLiteral("the company name"), name, maxNameLength); },
        [&] { return text(QStringLiteral("addr"), QStringLiteral("the company address"), address, maxAddressLength,
                          false, true); });
}

} // namespace rules
