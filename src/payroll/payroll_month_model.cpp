#include "payroll_month_model.h"

#include "common/dates.h"

#include <algorithm>

namespace {

struct Column {
    const char* header;
    QVariant (*value)(const PayrollTransaction&);
};

QVariant amount(Currency c)
{
    return c.toString();
}

// The headers the operators know, each over the stored column it has always shown.
const Column columns[] = {
    {"Emp. ID Num.", [](const PayrollTransaction& t) { return QVariant(t.employeeId); }},
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
constexpr int columnTotal = int(std::size(columns));

} // namespace

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
    return parent.isValid() ? 0 : columnTotal;
}

QVariant PayrollMonthModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnTotal)
        return {};
    if (role == Qt::DisplayRole)
        return columns[index.column()].value(m_rows.at(index.row()));
    if (role == Qt::TextAlignmentRole && index.column() != 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Trans ID %1").arg(m_rows.at(index.row()).transId);
    return {};
}

QVariant PayrollMonthModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < columnTotal)
        return QString::fromLatin1(columns[section].header);
    return QAbstractTableModel::headerData(section, orientation, role);
}
