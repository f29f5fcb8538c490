#pragma once

#include "data/employee_repository.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

// The employees as the employee list shows them: ten columns, in the order the table gives them.
// report::SortRole gives the values to sort by (numbers as numbers, dates as dates).
class EmployeeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEmployees(QList<Employee> employees);
    const Employee& employee(int row) const { return m_rows.at(row); }
    const QList<Employee>& employees() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<Employee> m_rows;
};

// Narrows the list to the employees whose number begins with, or whose name contains, the text typed.
class EmployeeFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit EmployeeFilter(QObject* parent = nullptr);
    void setText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
};
