#pragma once

#include "data/company_repository.h"
#include "data/master_repository.h"
#include "data/status.h"

#include <QAbstractTableModel>
#include <QList>

#include <optional>

class Database;

// One master table (departments, groups or companies) as an editable grid model. Every accepted
// edit is stored through the repository at once; a refused edit leaves the cell as it was and
// reports why through editRejected().
//
// Add starts a pending row: it exists only in the grid until its name is first set to something the
// repository accepts, and is dropped if it is still unnamed when the table is read again.
class MasterTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Department, Group, Company };

    MasterTableModel(const Database& database, Kind kind, QObject* parent = nullptr);

    Kind kind() const { return m_kind; }

    // Reads the table again, dropping the pending row. On failure the rows shown stay as they were.
    Status reload();
    // Appends the pending row (or reuses the one there is) and returns its row number.
    int addPendingRow();
    bool isPending(int row) const;
    bool hasPendingRow() const { return m_pendingRow >= 0; }
    // Drops the pending row; an address typed into an unnamed company row is offered to the repository
    // first, so that the operator learns why it was not kept.
    void discardPendingRow();
    // Deletes the stored row (a pending row is only dropped) and takes it out of the grid.
    Status removeRowAt(int row);
    // The grid row of a stored row, or -1.
    int rowOf(qint64 rowId) const;
    qint64 rowIdAt(int row) const { return m_rows.at(row).rowId; }
    // Renames a company whose rename needed the operator's word (see companyRenameRequested).
    Status renameCompany(qint64 rowId, const QString& name);
    // Stores the pending row as the deleted company of that name, its rows brought back with it
    // (see companyReturnRequested).
    Status bringBackCompany(const QString& name);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // An edit the repository refused (duplicate or empty name, or a failing statement).
    void editRejected(const QString& message);
    // A company that has data was given a new name in the grid. The cell keeps the old name until
    // renameCompany() is called.
    void companyRenameRequested(qint64 rowId, const QString& oldName, const QString& newName);
    // A new company was given the name of a deleted one whose rows are still there (leftovers says
    // what they are). The row stays unsaved until bringBackCompany() is called.
    void companyReturnRequested(const QString& name, const QString& leftovers);

private:
    struct Row {
        qint64 rowId = 0;
        QString name;
        QString address;
    };

    Status setName(int row, const QString& typed);
    Status setAddress(int row, const QString& typed);
    Result<QList<Row>> readRows() const;

    Kind m_kind;
    std::optional<MasterRepository> m_masters;
    std::optional<CompanyRepository> m_companies;
    QList<Row> m_rows;
    int m_pendingRow = -1;
};
