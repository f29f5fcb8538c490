#include "payroll_month_model.h"

#include "reports/report_grid.h"

#include <algorithm>

namespace {

using T = PayrollTransaction;
using report::Format;

// Amounts are listed as they are stored, without grouping or trailing zeros.
report::Field<T> amount(const char* header, Currency T::*member)
{
    return report::memberField(header, Format::Text, member);
}

report::Field<T> number(const char* header, qint64 T::*member)
{
    return report::memberField(header, Format::Number, member);
}

// The headers the operators know, each over the stored column it has always shown: the payroll
// window's list, and the payslip window's, which shows more of each transaction.
QList<report::Field<T>> payrollColumns()
{
    return {
        number("Emp. ID Num.", &T::employeeId),
        report::memberField("Emp. Name", Format::Text, &T::name),
        amount("Monthly Rate", &T::monthRate),
        report::memberField("Date", Format::Date, &T::payDate),
        amount("Tot Loan", &T::totalLoan),
        amount("Contrib", &T::contribution),
        amount("Tax", &T::lic),
        amount("Absences", &T::pgvcl),
        amount("Others", &T::daysPresent),
        amount("Advances", &T::advances),
        amount("Total Additional", &T::totalAdditional),
        amount("Total Deduction", &T::totalDeductions),
        amount("Net Pay", &T::netPay),
    };
}

QList<report::Field<T>> payslipColumns()
{
    return {
        number("Emp. ID Num.", &T::employeeId),
        report::memberField("Emp. Name", Format::Text, &T::name),
        amount("Monthly Rate", &T::monthRate),
        report::memberField("Date", Format::Date, &T::payDate),
        amount("Loan", &T::totalLoan),
        amount("Contribution", &T::contribution),
        amount("Tax", &T::lic),
        amount("Present", &T::daysPresent),
        amount("Others", &T::pgvcl),
        amount("Advances", &T::advances),
        amount("Total Additional", &T::totalAdditional),
        amount("Total Deduction", &T::totalDeductions),
        amount("loanrec", &T::loanRecovered),
        amount("travel", &T::travel),
        amount("Net Pay", &T::netPay),
        number("TRANS ID", &T::transId),
    };
}

} // namespace

PayrollMonthModel::PayrollMonthModel(Columns columns, QObject* parent) : report::SortableTableModel(parent)
{
    m_columns = columns == Columns::Payslips ? payslipColumns() : payrollColumns();
}

void PayrollMonthModel::setTransactions(QList<PayrollTransaction> transactions)
{
    beginResetModel();
    m_rows = std::move(transactions);
    if (m_sortColumn >= 0) {
        QList<PayrollTransaction> sorted;
        for (int row : report::sortedOrder(m_rows, m_columns.at(m_sortColumn), m_sortOrder))
            sorted << m_rows.at(row);
        m_rows = std::move(sorted);
    }
    endResetModel();
}

qint64 PayrollMonthModel::countOf(qint64 employeeId) const
{
    return std::count_if(m_rows.cbegin(), m_rows.cend(),
                         [employeeId](const PayrollTransaction& t) { return t.employeeId == employeeId; });
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
    if (m_sortColumn >= 0)
        sort(m_sortColumn, m_sortOrder);
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
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Trans ID %1").arg(m_rows.at(index.row()).transId);
    const auto& column = m_columns.at(index.column());
    return report::cellData(column.value(m_rows.at(index.row())), column.column.format, role);
}

QVariant PayrollMonthModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < int(m_columns.size()))
        return m_columns.at(section).column.caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void PayrollMonthModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    const QList<int> oldRows = report::sortedOrder(m_rows, m_columns.at(column), order);
    reorder(oldRows, [&] {
        QList<PayrollTransaction> sorted;
        sorted.reserve(m_rows.size());
        for (int row : oldRows)
            sorted << m_rows.at(row);
        m_rows = std::move(sorted);
    });
}
