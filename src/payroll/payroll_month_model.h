#pragma once

#include "data/payroll_repository.h"
#include "reports/report_document.h"

#include "reports/report_grid.h"

// The month's transactions as the payroll window or the payslip window lists them; a header click
// sorts them by that column.
class PayrollMonthModel : public report::SortableTableModel {
    Q_OBJECT
public:
    enum class Columns { Payroll, Payslips };
    explicit PayrollMonthModel(Columns columns, QObject* parent = nullptr);

    void setTransactions(QList<PayrollTransaction> transactions);
    // Adds one transaction in its place (by employee number, then transaction number).
    void add(const PayrollTransaction& transaction);
    const PayrollTransaction& transaction(int row) const { return m_rows.at(row); }
    // How many of the transactions are the employee's.
    qint64 countOf(qint64 employeeId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    QList<report::Field<PayrollTransaction>> m_columns;
    QList<PayrollTransaction> m_rows;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
