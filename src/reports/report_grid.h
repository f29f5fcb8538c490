#pragma once

#include "reports/report_document.h"

#include <QAbstractTableModel>
#include <QTableWidgetItem>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <numeric>

class Prompter;
class QAbstractItemView;
class QTableView;

namespace report {

// What a grid's cell gives besides its text: the value to sort by (numbers, amounts and dates as
// such), and the text a CSV export writes (amounts without grouping, ISO dates).
enum GridRole { SortRole = Qt::UserRole, CsvRole = Qt::UserRole + 1 };

// A report value as a grid shows it in the role asked for.
QVariant cellData(const Value& value, Format format, int role);
// The order a header click sorts in: numbers, amounts and dates by value, texts ignoring case,
// empty cells first.
bool valueLess(const Value& a, const Value& b);

// The rows in the order of one field, equal rows in the order they stand: for each place, the row
// that goes there.
template <typename Row>
QList<int> sortedOrder(const QList<Row>& rows, const Field<Row>& field, Qt::SortOrder order)
{
    QList<Value> keys;
    keys.reserve(rows.size());
    for (const Row& row : rows)
        keys << field.value(row);
    QList<int> places(rows.size());
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](int a, int b) {
        return order == Qt::AscendingOrder ? valueLess(keys.at(a), keys.at(b)) : valueLess(keys.at(b), keys.at(a));
    });
    return places;
}

// A table model whose rows a header click puts in another order; the selection and the current
// row move with their rows, so that what the operator chose stays chosen.
class SortableTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

protected:
    // `oldRows` gives, for each row of the new order, the row it was; `apply` puts the model's data
    // in that order.
    void reorder(const QList<int>& oldRows, const std::function<void()>& apply);
};

// A grid of a document's rows: the same definition that prints them, sorted by a header click.
class DocumentModel : public SortableTableModel {
    Q_OBJECT
public:
    explicit DocumentModel(QObject* parent = nullptr);

    // Shows the document's rows, in the order last chosen by a header click when there was one.
    void setDocument(Document document);
    const Document& document() const { return m_document; }
    // The document's row shown on a grid row.
    int documentRow(int row) const { return m_order.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    // Puts the document rows in the order last chosen, if one was.
    void sortOrder(QList<int>& order) const;

    Document m_document;
    QList<int> m_order;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// A grid cell that sorts by its SortRole value when it has one (grids filled item by item).
class GridItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override;
};

// Asks where to write a file, offering the Documents folder and stem + suffix; the suffix is added
// when the operator gives none. Empty when cancelled.
QString chooseExportPath(Prompter& prompter, const QString& caption, const QString& stem, const QString& suffix,
                         const QString& filter);

// The grid's rows as the operator sees them (sorted, without hidden columns) in the CSV form of
// the reports.
QByteArray gridCsv(const QTableView& view);
// Asks for a file and writes the grid to it; a failure is told to the operator. False when
// nothing was written.
bool exportGrid(QTableView& view, Prompter& prompter, const QString& stem);
// Lets the operator sort the grid by a header click and export it to CSV (context menu, Ctrl+E).
// The grid's model sorts itself (sort()); QTableWidget grids sort their GridItems.
void enableGrid(QTableView& view, Prompter& prompter, const QString& stem);

// The width rule of every grid: each column as wide as what it shows, but none wider than about
// forty characters, so that one long name cannot push the other columns out of sight; a text cut
// short shows whole in its tooltip (see showCutTextInTooltips). wideColumn, when given, is at
// least wide enough for a usual name.
void fitColumns(QTableView& view, int wideColumn = -1);
// A cell whose text does not fit shows the whole text as its tooltip.
void showCutTextInTooltips(QAbstractItemView& view);

} // namespace report
