#pragma once

#include "data/payroll_repository.h"

#include <QAbstractTableModel>

#include <span>

// A column of a month list: its header and the value it shows.
struct PayrollListColumn {
    const char* header;
    QVariant (*value)(const PayrollTransaction&);
};

// The month's transactions as the payroll window or the payslip window lists them.
class PayrollMonthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Columns { Payroll, Payslips };
    explicit PayrollMonthModel(Columns columns, QObject* parent = nullptr);

    void setTransactions(QList<PayrollTransaction> transactions);
    // Adds one transaction in its place (by employee number, then transaction number).
    void add(const PayrollTransaction& transaction);
    const PayrollTransaction& transaction(int row) const { return m_rows.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::span<const PayrollListColumn> m_columns;
    QList<PayrollTransaction> m_rows;
};
