#include "bank_reports.h"

#include "common/amount_words.h"
#include "common/dates.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "reports/report_files.h"

#include <algorithm>

namespace report {

namespace {

using B = BankLine;

QString monthText(QDate month)
{
    return dates::monthName(month) + u' ' + QString::number(month.year());
}

Currency totalOf(const QList<BankLine>& lines)
{
    Currency total;
    // Stored amounts are far inside the range; a sum beyond it stays at the last value held.
    for (const BankLine& line : lines)
        total = total.plus(line.netPay).value_or(total);
    return total;
}

QString groupLine(const QString& caption, const QList<BankLine>& lines)
{
    return QStringLiteral("%1: %2 %3, %4")
        .arg(caption)
        .arg(lines.size())
        .arg(lines.size() == 1 ? QStringLiteral("payment") : QStringLiteral("payments"))
        .arg(totalOf(lines).toFixedText(true));
}

// Lines of at most `width` characters, broken between words, for a letter's paragraph.
QStringList wrapped(const QString& paragraph, int width = 100)
{
    QStringList lines;
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString fieldValue(const bank::UploadColumn& column, const bank::Account& account, QDate month, const BankLine& line,
                   int serial)
{
    switch (column.field) {
    case bank::Field::Serial:
        return QString::number(serial);
    case bank::Field::EmployeeId:
        return QString::number(line.employeeId);
    case bank::Field::EmployeeName:
        return line.name;
    case bank::Field::AccountHolder:
        return line.holderOrName();
    case bank::Field::AccountNumber:
        return line.details.account;
    case bank::Field::BranchCode:
        return line.details.branchCode;
    case bank::Field::BankName:
        return line.details.bankName;
    case bank::Field::Amount:
        return line.netPay.toFixedText(false);
    case bank::Field::DebitAccount:
        return account.account;
    case bank::Field::Month:
        return monthText(month);
    case bank::Field::PayDate:
        return line.payDate.toString(Qt::ISODate);
    case bank::Field::Fixed:
        return column.value;
    }
    return {};
}

} // namespace

namespace {

// One line per employee: "12 JOSEPH FERNANDES: no account number".
QStringList problemText(const QList<BankLine>& lines)
{
    QStringList text;
    qint64 last = -1;
    for (const BankLine& line : lines) {
        if (line.employeeId == last)
            continue;
        last = line.employeeId;
        text << QStringLiteral("%1 %2: %3").arg(line.employeeId).arg(line.name, line.problems.join(QStringLiteral(", ")));
    }
    return text;
}

Field<BankLine> textField(const char* caption, double width, QString (*read)(const BankLine&))
{
    return {{QString::fromLatin1(caption), Format::Text, width}, [read](const BankLine& l) { return Value(read(l)); }};
}

} // namespace

QStringList BankMonth::toMendText() const
{
    return problemText(toMend);
}

QStringList BankMonth::notSentText() const
{
    return problemText(notSent);
}

namespace {

// The employee's month as one payment: the net pays of all its transactions, the last pay date.
QList<BankLine> monthsOf(const QList<PayrollTransaction>& transactions)
{
    QList<PayrollTransaction> ordered = transactions;
    std::stable_sort(ordered.begin(), ordered.end(), [](const PayrollTransaction& a, const PayrollTransaction& b) {
        return std::tie(a.employeeId, a.payDate, a.transId) < std::tie(b.employeeId, b.payDate, b.transId);
    });
    QList<BankLine> months;
    for (const PayrollTransaction& t : ordered) {
        if (months.isEmpty() || months.last().employeeId != t.employeeId) {
            BankLine line;
            line.employeeId = t.employeeId;
            line.name = t.name;
            months << line;
        }
        BankLine& line = months.last();
        // Stored amounts are far inside the range; a sum beyond it stays at the last value held.
        line.netPay = line.netPay.plus(t.netPay).value_or(line.netPay);
        line.payDate = t.payDate;
        ++line.transactions;
    }
    return months;
}

} // namespace

BankMonth bankMonth(const QList<PayrollTransaction>& transactions, const QHash<qint64, Employee>& employees)
{
    BankMonth paid;
    for (BankLine line : monthsOf(transactions)) {
        const auto employee = employees.constFind(line.employeeId);
        if (employee != employees.cend())
            line.name = employee->name;
        if (line.transactions > 1)
            paid.severalTransactions << QStringLiteral("%1 %2 (%3 transactions)")
                                            .arg(line.employeeId)
                                            .arg(line.name)
                                            .arg(line.transactions);
        if (employee == employees.cend()) {
            line.paidBy = QStringLiteral("Not sent");
            line.problems << QStringLiteral("no longer an employee: pay by cheque or cash");
            paid.notSent << line;
            continue;
        }
        line.details = employee->bank;
        // Nobody is paid a month of nothing or less, however it would be paid: a net pay that
        // rounds to no paisa included.
        if (line.netPay.rounded(2).value_or(line.netPay) <= Currency()) {
            line.paidBy = QStringLiteral("Not sent");
            line.problems << QStringLiteral("nothing to pay (net pay %1)").arg(line.netPay.toFixedText(true));
            paid.notSent << line;
            continue;
        }
        line.problems = bank::transferProblems(line.details);
        switch (line.details.mode) {
        case bank::PayMode::Cheque:
            line.paidBy = bank::modeCaption(bank::PayMode::Cheque);
            paid.cheques << line;
            break;
        case bank::PayMode::Cash:
            line.paidBy = bank::modeCaption(bank::PayMode::Cash);
            paid.cash << line;
            break;
        case bank::PayMode::Transfer:
            line.paidBy = line.problems.isEmpty() ? bank::modeCaption(bank::PayMode::Transfer) : QStringLiteral("To mend");
            (line.problems.isEmpty() ? paid.transfers : paid.toMend) << line;
            break;
        }
    }
    return paid;
}

BankMonth roundedForTheBank(BankMonth paid)
{
    for (BankLine& line : paid.transfers)
        line.netPay = line.netPay.rounded(2).value_or(line.netPay);
    return paid;
}

Document bankTransferList(const CompanyHeading& company, QDate month, const BankMonth& paid)
{
    Document d;
    d.name = QStringLiteral("BankTransferList");
    d.title = QStringLiteral("BANK TRANSFER LIST");
    d.heading = {{{QStringLiteral("Label20"), {}, true}},
                 {{QStringLiteral("Label21"), {}}},
                 {{QStringLiteral("Label18"), QStringLiteral("BANK TRANSFER LIST"), true}},
                 {{QStringLiteral("Label19"), QStringLiteral("FOR THE MONTH OF:")},
                  {QStringLiteral("Label22"), monthText(month)}},
                 {{QStringLiteral("lblTransfers"), groupLine(QStringLiteral("Bank transfer"), paid.transfers)}},
                 {{QStringLiteral("lblToMend"),
                   groupLine(QStringLiteral("To mend (bank details missing)"), paid.toMend)}},
                 {{QStringLiteral("lblNotSent"), groupLine(QStringLiteral("Not sent to the bank"), paid.notSent)}},
                 {{QStringLiteral("lblCheques"), groupLine(QStringLiteral("Cheque"), paid.cheques)}},
                 {{QStringLiteral("lblCash"), groupLine(QStringLiteral("Cash"), paid.cash)}}};
    if (!paid.severalTransactions.isEmpty())
        d.heading.append({{QStringLiteral("lblSeveral"),
                           QStringLiteral("Paid once for more than one transaction: %1")
                               .arg(paid.severalTransactions.join(QStringLiteral(", ")))}});
    setCompany(d, company);
    d.countCaption = QStringLiteral("Total Rows Count:");
    d.setRows<B>({textField("Paid By", 1.2, [](const B& l) { return l.paidBy; }),
                  {{QStringLiteral("Emp. ID"), Format::Number, 0.7}, [](const B& l) { return Value(l.employeeId); }},
                  textField("Employee", 1.9, [](const B& l) { return l.name; }),
                  textField("Account Holder", 1.8, [](const B& l) { return l.holderOrName(); }),
                  textField("Account No.", 1.6, [](const B& l) { return l.details.account; }),
                  textField("Branch Code", 1.5, [](const B& l) { return l.details.branchCode; }),
                  {{QStringLiteral("Net Pay"), Format::Amount, 1.3, true}, [](const B& l) { return Value(l.netPay); }}},
                 paid.all());
    return d;
}

Document bankLetter(const CompanyHeading& company, const bank::Account& account, QDate month, QDate written,
                    const BankMonth& paid)
{
    Document d;
    d.name = QStringLiteral("BankLetter");
    d.title = QStringLiteral("LETTER TO THE BANK");
    d.heading = {{{QStringLiteral("Label20"), {}, true}}, {{QStringLiteral("Label21"), {}}}};
    setCompany(d, company);
    const Currency total = totalOf(paid.transfers);
    d.opening = QStringList{QStringLiteral("Date: %1").arg(dates::displayText(written)),
                            QString(),
                            QStringLiteral("To"),
                            QStringLiteral("The Branch Manager"),
                            account.bankName.isEmpty() ? QStringLiteral("The Bank") : account.bankName,
                            QStringLiteral("Branch code %1").arg(account.branchCode),
                            QString(),
                            QStringLiteral("Subject: Salaries for %1").arg(monthText(month)),
                            QString(),
                            QStringLiteral("Dear Sir or Madam,")} +
                wrapped(QStringLiteral("Please debit our account No. %1 with Rs. %2 (%3) and make the %4 listed below "
                                       "to our employees' accounts shown against them.")
                            .arg(account.account, total.toFixedText(true), amountInWords(total),
                                 paid.transfers.size() == 1
                                     ? QStringLiteral("transfer")
                                     : QStringLiteral("%1 transfers").arg(paid.transfers.size())));
    d.signOff = {QStringLiteral("Yours faithfully,"), QStringLiteral("For %1").arg(company.name), QString(), QString(),
                 QStringLiteral("Authorised Signatory")};
    d.sumCaption = QStringLiteral("TOTAL:");
    d.setRows<B>({{{QStringLiteral("Emp. ID"), Format::Number, 0.7}, [](const B& l) { return Value(l.employeeId); }},
                  textField("Account Holder", 2.1, [](const B& l) { return l.holderOrName(); }),
                  textField("Account No.", 1.7, [](const B& l) { return l.details.account; }),
                  textField("Branch Code", 1.4, [](const B& l) { return l.details.branchCode; }),
                  textField("Bank", 1.9, [](const B& l) { return l.details.bankName; }),
                  {{QStringLiteral("Amount"), Format::Amount, 1.3, true}, [](const B& l) { return Value(l.netPay); }}},
                 paid.transfers);
    return d;
}

QByteArray uploadFile(const bank::Settings& settings, QDate month, const QList<BankLine>& transfers)
{
    QStringList headings;
    for (const bank::UploadColumn& column : settings.columns)
        headings << csvField(column.heading, true);
    QString text = headings.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    int serial = 0;
    for (const BankLine& line : transfers) {
        ++serial;
        QStringList cells;
        for (const bank::UploadColumn& column : settings.columns) {
            const bool isText = column.field != bank::Field::Amount && column.field != bank::Field::Serial &&
                                column.field != bank::Field::EmployeeId;
            cells << csvField(fieldValue(column, settings.account, month, line, serial), isText);
        }
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

Result<BankMonth> bankMonthOf(const Database& db, const QString& company, QDate month)
{
    const auto rows = PayrollRepository(db).month(company, month);
    if (!rows)
        return rows.status();
    const auto employees = EmployeeRepository(db).ofTransactions(*rows);
    if (!employees)
        return employees.status();
    return bankMonth(*rows, *employees);
}

Result<Document> bankTransferListOf(const Database& db, const QString& company, QDate month)
{
    const auto paid = bankMonthOf(db, company, month);
    if (!paid)
        return paid.status();
    const auto heading = companyHeading(db, company);
    if (!heading)
        return heading.status();
    return bankTransferList(*heading, month, *paid);
}

namespace {

// The month ready for the bank: every transfer with its details, someone to pay, and the company's
// own account to pay from.
struct ForTheBank {
    BankMonth paid;
    bank::Settings settings;
};

Result<ForTheBank> readyForTheBank(const Database& db, const QString& company, QDate month)
{
    const auto paid = bankMonthOf(db, company, month);
    if (!paid)
        return paid.status();
    if (!paid->toMend.isEmpty())
        return Status::failure(QStringLiteral("The bank cannot be paid for %1 yet: these employees are paid by bank "
                                              "transfer but their bank details are missing or wrong:\n%2\nMend them "
                                              "in the employee's window (or choose cheque or cash) first.")
                                   .arg(monthText(month), paid->toMendText().join(u'\n')));
    if (paid->transfers.isEmpty())
        return Status::failure(QStringLiteral("Nobody of %1 is paid by bank transfer in %2: there is nothing to send "
                                              "to the bank.")
                                   .arg(company, monthText(month)));
    const auto settings = CompanyRepository(db).bankSettings(company);
    if (!settings)
        return settings.status();
    if (settings->account.account.isEmpty() || settings->account.branchCode.isEmpty())
        return Status::failure(QStringLiteral("The account of %1 that pays the salaries is not set: enter it in "
                                              "Master, Bank Settings first.")
                                   .arg(company));
    return ForTheBank{roundedForTheBank(*paid), *settings};
}

} // namespace

Result<Document> bankLetterOf(const Database& db, const QString& company, QDate month, QDate written)
{
    const auto ready = readyForTheBank(db, company, month);
    if (!ready)
        return ready.status();
    const auto heading = companyHeading(db, company);
    if (!heading)
        return heading.status();
    return bankLetter(*heading, ready->settings.account, month, written, ready->paid);
}

Result<QByteArray> uploadFileOf(const Database& db, const QString& company, QDate month)
{
    const auto ready = readyForTheBank(db, company, month);
    if (!ready)
        return ready.status();
    return uploadFile(ready->settings, month, ready->paid.transfers);
}

} // namespace report
