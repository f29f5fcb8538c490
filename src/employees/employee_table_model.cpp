#include "employee_table_model.h"

#include "common/dates.h"

namespace {

struct Column {
    const char* header;
    QVariant (*shown)(const Employee&);
    QVariant (*sortKey)(const Employee&);
};

QVariant text(const QString& s)
{
    return s;
}

// clang-format off
const Column columns[] = {
    {"Emp ID.", [](const Employee& e) { return QVariant(QString::number(e.id)); }, [](const Employee& e) { return QVariant(e.id); }},
    {"Emp. Name", [](const Employee& e) { return text(e.name); }, nullptr},
    {"Gender", [](const Employee& e) { return text(e.gender); }, nullptr},
    {"Status", [](const Employee& e) { return text(e.civilStatus); }, nullptr},
    {"Address", [](const Employee& e) { return text(e.address); }, nullptr},
    {"Department", [](const Employee& e) { return text(e.department); }, nullptr},
    {"Postion", [](const Employee& e) { return text(e.position); }, nullptr},
    {"Emp. Status", [](const Employee& e) { return text(e.employmentStatus); }, nullptr},
    {"Basic Rate", [](const Employee& e) { return text(e.basicRate.toString()); }, [](const Employee& e) { return QVariant(e.basicRate.units()); }},
    {"Date Employed", [](const Employee& e) { return text(dates::displayText(e.dateEmployed)); }, [](const Employee& e) { return QVariant(e.dateEmployed); }},
};
// clang-format on
constexpr int columnTotal = int(std::size(columns));

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
    return parent.isValid() ? 0 : columnTotal;
}

QVariant EmployeeTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnTotal)
        return {};
    const Column& column = columns[index.column()];
    const Employee& employee = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return column.shown(employee);
    if (role == Qt::UserRole)
        return column.sortKey ? column.sortKey(employee) : column.shown(employee);
    if (role == Qt::TextAlignmentRole && column.sortKey && index.column() != columnTotal - 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant EmployeeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < columnTotal)
        return QString::fromLatin1(columns[section].header);
    return QAbstractTableModel::headerData(section, orientation, role);
}

EmployeeFilter::EmployeeFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(Qt::UserRole);
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
