#include "payroll_month_model.h"

#include "common/dates.h"

#include <algorithm>

namespace {

QVariant amount(Currency c)
{
    return c.toString();
}

QVariant number(qint64 n)
{
    return n;
}

// The headers the operators know, each over the stored column it has always shown: the payroll
// window's list, and the payslip window's, which shows more of each transaction.
const PayrollListColumn payrollColumns[] = {
    {"Emp. ID Num.", [](const PayrollTransaction& t) { return number(t.employeeId); }},
    {"Emp. Name", [](const PayrollTransaction& t) { return QVariant(t.name); }},
    {"Monthly Rate", [](const PayrollTransaction& t) { return amount(t.monthRate); }},
    {"Date", [](const PayrollTransaction& t) { return QVariant(dates::displayText(t.payDate)); }},
    {"Tot Loan", [](const PayrollTransaction& t) { return amount(t.totalLoan); }},
    {"Contrib", [](const PayrollTransaction& t) { return amount(t.contribution); }},
    {"Tax", [](const PayrollTransaction& t) { return amount(t.lic); }},
    {"Absences", [](const PayrollTransaction& t) { return amount(t.pgvcl); }},
    {"Others", [](const PayrollTransaction& t) { return amount(t.daysPresent); }},
    {"Advances", [](const PayrollTransaction& t) { return amount(t.advances); }},
    {"Total Additional", [](const PayrollTransaction& t) { return amount(t.totalAdditional); }},
    {"Total Deduction", [](const PayrollTransaction& t) { return amount(t.totalDeductions); }},
    {"Net Pay", [](const PayrollTransaction& t) { return amount(t.netPay); }},
};

const PayrollListColumn payslipColumns[] = {
    {"Emp. ID Num.", [](const PayrollTransaction& t) { return number(t.employeeId); }},
    {"Emp. Name", [](const PayrollTransaction& t) { return QVariant(t.name); }},
    {"Monthly Rate", [](const PayrollTransaction& t) { return amount(t.monthRate); }},
    {"Date", [](const PayrollTransaction& t) { return QVariant(dates::displayText(t.payDate)); }},
    {"Loan", [](const PayrollTransaction& t) { return amount(t.totalLoan); }},
    {"Contribution", [](const PayrollTransaction& t) { return amount(t.contribution); }},
    {"Tax", [](const PayrollTransaction& t) { return amount(t.lic); }},
    {"Present", [](const PayrollTransaction& t) { return amount(t.daysPresent); }},
    {"Others", [](const PayrollTransaction& t) { return amount(t.pgvcl); }},
    {"Advances", [](const PayrollTransaction& t) { return amount(t.advances); }},
    {"Total Additional", [](const PayrollTransaction& t) { return amount(t.totalAdditional); }},
    {"Total Deduction", [](const PayrollTransaction& t) { return amount(t.totalDeductions); }},
    {"loanrec", [](const PayrollTransaction& t) { return amount(t.loanRecovered); }},
    {"travel", [](const PayrollTransaction& t) { return amount(t.travel); }},
    {"Net Pay", [](const PayrollTransaction& t) { return amount(t.netPay); }},
    {"TRANS ID", [](const PayrollTransaction& t) { return number(t.transId); }},
};

} // namespace

PayrollMonthModel::PayrollMonthModel(Columns columns, QObject* parent) : QAbstractTableModel(parent)
{
    if (columns == Columns::Payslips)
        m_columns = std::span<const PayrollListColumn>(payslipColumns);
    else
        m_columns = std::span<const PayrollListColumn>(payrollColumns);
}

void PayrollMonthModel::setTransactions(QList<PayrollTransaction> transactions)
{
    beginResetModel();
    m_rows = std::move(transactions);
    endResetModel();
}

void PayrollMonthModel::add(const PayrollTransaction& transaction)
{
    const auto before = [](const PayrollTransaction& a, const PayrollTransaction& b) {
        return std::pair(a.employeeId, a.transId) < std::pair(b.employeeId, b.transId);
    };
    const int row = int(std::upper_bound(m_rows.cbegin(), m_rows.cend(), transaction, before) - m_rows.cbegin());
    beginInsertRows({}, row, row);
    m_rows.insert(row, transaction);
    endInsertRows();
}

int PayrollMonthModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PayrollMonthModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant PayrollMonthModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= int(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[index.column()].value(m_rows.at(index.row()));
    if (role == Qt::TextAlignmentRole && index.column() != 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Trans ID %1").arg(m_rows.at(index.row()).transId);
    return {};
}

QVariant PayrollMonthModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < int(m_columns.size()))
        return QString::fromLatin1(m_columns[section].header);
    return QAbstractTableModel::headerData(section, orientation, role);
}
