#include "master_table_model.h"

#include "rules/record_rules.h"

MasterTableModel::MasterTableModel(const Database& database, Kind kind, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind)
{
    if (kind == Kind::Company)
        m_companies.emplace(database);
    else
        m_masters.emplace(database, kind == Kind::Department ? MasterRepository::Kind::Department
                                                             : MasterRepository::Kind::Group);
}

Result<QList<MasterTableModel::Row>> MasterTableModel::readRows() const
{
    QList<Row> rows;
    if (m_companies) {
        auto companies = m_companies->list();
        if (!companies)
            return companies.status();
        for (const Company& c : companies.value())
            rows.append({c.rowId, c.name, c.address});
    } else {
        auto entries = m_masters->list();
        if (!entries)
            return entries.status();
        for (const MasterEntry& e : entries.value())
            rows.append({e.rowId, e.name, {}});
    }
    return rows;
}

Status MasterTableModel::reload()
{
    auto rows = readRows();
    if (!rows)
        return rows.status();
    discardPendingRow();
    beginResetModel();
    m_rows = std::move(rows.value());
    m_pendingRow = -1;
    endResetModel();
    return {};
}

int MasterTableModel::addPendingRow()
{
    if (m_pendingRow >= 0)
        return m_pendingRow;
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(Row{});
    m_pendingRow = row;
    endInsertRows();
    return row;
}

bool MasterTableModel::isPending(int row) const
{
    return row >= 0 && row == m_pendingRow;
}

void MasterTableModel::discardPendingRow()
{
    if (m_pendingRow < 0)
        return;
    const int row = m_pendingRow;
    // An unnamed company cannot be stored, but an address typed into it should not vanish unexplained.
    if (!m_rows.at(row).address.trimmed().isEmpty())
        emit editRejected(tr("The new company was not saved: please enter the company name."));
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    m_pendingRow = -1;
    endRemoveRows();
}

Status MasterTableModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount())
        return Status::failure(tr("There is no row to delete."));
    if (isPending(row)) {
        discardPendingRow();
        return {};
    }
    const qint64 rowId = m_rows.at(row).rowId;
    const Status removed = m_companies ? m_companies->removeRow(rowId) : m_masters->remove(rowId);
    if (!removed)
        return removed;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    if (m_pendingRow > row)
        --m_pendingRow;
    endRemoveRows();
    return {};
}

int MasterTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MasterTableModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_kind == Kind::Company ? 2 : 1;
}

QVariant MasterTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row& row = m_rows.at(index.row());
    return index.column() == 0 ? row.name : row.address;
}

QVariant MasterTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return isPending(section) ? QStringLiteral("*") : QString::number(section + 1);
    // The headers are the stored column names, as the operator has always seen them.
    switch (m_kind) {
    case Kind::Department:
        return section == 0 ? QStringLiteral("dept") : QVariant();
    case Kind::Group:
        return section == 0 ? QStringLiteral("grp") : QVariant();
    case Kind::Company:
        return section == 0 ? QStringLiteral("company") : QStringLiteral("addr");
    }
    return {};
}

Qt::ItemFlags MasterTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool MasterTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int row = index.row();
    const QString typed = value.toString();
    // Leaving a new row's name empty is not an error: the row simply stays unsaved.
    if (index.column() == 0 && isPending(row) && typed.trimmed().isEmpty())
        return false;
    const bool wasPending = isPending(row);
    const Status stored = index.column() == 0 ? setName(row, typed) : setAddress(row, typed);
    if (!stored) {
        emit editRejected(stored.error());
        return false;
    }
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
    if (wasPending && !isPending(row))
        emit headerDataChanged(Qt::Vertical, row, row);
    return true;
}

Status MasterTableModel::setName(int row, const QString& typed)
{
    Row& current = m_rows[row];
    // Shown as the repository stores it: trimmed, in capitals.
    const QString name = m_companies ? rules::companyName(typed) : MasterRepository::normalised(typed);
    if (isPending(row)) {
        // A deleted company's rows come back with it only on the operator's word.
        if (m_companies) {
            const auto left = m_companies->leftoversOf(name);
            if (!left)
                return left.status();
            if (left->any()) {
                emit companyReturnRequested(left->name, left->summary());
                return {};
            }
        }
        Result<qint64> added = m_companies ? m_companies->add(name, current.address) : m_masters->add(name);
        if (!added)
            return added.status();
        current.rowId = added.value();
        current.name = name;
        m_pendingRow = -1;
        return {};
    }
    if (name == current.name)
        return {};
    if (m_companies) {
        // A company with data is renamed only on the operator's word: the new name goes to all its rows.
        const auto hasData = m_companies->hasData(current.name);
        if (!hasData)
            return hasData.status();
        if (*hasData) {
            emit companyRenameRequested(current.rowId, current.name, name);
            return {};
        }
        return renameCompany(current.rowId, name);
    }
    const Status renamed = m_masters->rename(current.rowId, name);
    if (renamed)
        current.name = name;
    return renamed;
}

Status MasterTableModel::renameCompany(qint64 rowId, const QString& name)
{
    const int row = rowOf(rowId);
    if (row < 0 || !m_companies)
        return Status::failure(tr("The company no longer exists."));
    Row& current = m_rows[row];
    const QString stored = rules::companyName(name);
    const Status renamed = m_companies->update(rowId, stored, current.address);
    if (renamed) {
        current.name = stored;
        emit dataChanged(index(row, 0), index(row, 0), {Qt::DisplayRole, Qt::EditRole});
    }
    return renamed;
}

Status MasterTableModel::bringBackCompany(const QString& name)
{
    if (!m_companies || m_pendingRow < 0)
        return Status::failure(tr("There is no new company to bring back."));
    const int row = m_pendingRow;
    Row& current = m_rows[row];
    const auto added = m_companies->add(name, current.address, CompanyRepository::Leftover::BringBack);
    if (!added)
        return added.status();
    // Shown as stored: the old company's name, address and all.
    const auto companies = m_companies->list();
    if (companies)
        for (const Company& c : *companies)
            if (c.rowId == *added)
                current = Row{c.rowId, c.name, c.address};
    current.rowId = *added;
    m_pendingRow = -1;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
    emit headerDataChanged(Qt::Vertical, row, row);
    return {};
}

int MasterTableModel::rowOf(qint64 rowId) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows.at(row).rowId == rowId && !isPending(row))
            return row;
    return -1;
}

Status MasterTableModel::setAddress(int row, const QString& typed)
{
    Row& current = m_rows[row];
    // A new company's address waits for its name, without which the row cannot be stored.
    if (isPending(row) || typed == current.address) {
        current.address = typed;
        return {};
    }
    const Status updated = m_companies->update(current.rowId, current.name, typed);
    if (updated)
        current.address = typed;
    return updated;
}
