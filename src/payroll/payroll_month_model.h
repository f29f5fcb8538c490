#pragma once

#include "data/payroll_repository.h"

#include <QAbstractTableModel>

// The month's transactions as the payroll window lists them.
class PayrollMonthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTransactions(QList<PayrollTransaction> transactions);
    // Adds one transaction in its place (by employee number, then transaction number).
    void add(const PayrollTransaction& transaction);
    const PayrollTransaction& transaction(int row) const { return m_rows.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<PayrollTransaction> m_rows;
};
