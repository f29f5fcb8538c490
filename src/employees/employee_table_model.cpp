#include "employee_table_model.h"

#include "reports/report_grid.h"

namespace {

using E = Employee;
using report::Format;
using report::memberField;

// The basic rate is listed as it is stored, without grouping or trailing zeros.
const QList<report::Field<E>>& columns()
{
    static const QList<report::Field<E>> all = {
        memberField("Emp ID.", Format::Number, &E::id),
        memberField("Emp. Name", Format::Text, &E::name),
        memberField("Gender", Format::Text, &E::gender),
        memberField("Status", Format::Text, &E::civilStatus),
        memberField("Address", Format::Text, &E::address),
        memberField("Department", Format::Text, &E::department),
        memberField("Position", Format::Text, &E::position),
        memberField("Emp. Status", Format::Text, &E::employmentStatus),
        memberField("Basic Rate", Format::Text, &E::basicRate),
        memberField("Date Employed", Format::Date, &E::dateEmployed),
    };
    return all;
}

} // namespace

void EmployeeTableModel::setEmployees(QList<Employee> employees)
{
    beginResetModel();
    m_rows = std::move(employees);
    endResetModel();
}

int EmployeeTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int EmployeeTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns().size());
}

QVariant EmployeeTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columns().size())
        return {};
    const auto& column = columns().at(index.column());
    return report::cellData(column.value(m_rows.at(index.row())), column.column.format, role);
}

QVariant EmployeeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns().size())
        return columns().at(section).column.caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

EmployeeFilter::EmployeeFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(report::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void EmployeeFilter::setText(const QString& text)
{
    m_text = text.trimmed();
    invalidateRowsFilter();
}

bool EmployeeFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (m_text.isEmpty())
        return true;
    const auto* model = static_cast<const EmployeeTableModel*>(sourceModel());
    const Employee& employee = model->employee(sourceRow);
    return QString::number(employee.id).startsWith(m_text) || employee.name.contains(m_text, Qt::CaseInsensitive);
}
