#include "report_grid.h"

#include "reports/report_files.h"
#include "ui/prompter.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStandardPaths>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

#include <numeric>

namespace report {

namespace {

// The rank of a value's kind, so that empty cells sort first and kinds never interleave.
int kindRank(const Value& v)
{
    return int(v.index());
}

} // namespace

QVariant cellData(const Value& value, Format format, int role)
{
    switch (role) {
    case Qt::DisplayRole:
        return formatted(value, format, Purpose::Paper);
    case Qt::TextAlignmentRole:
        if (std::holds_alternative<qint64>(value) || std::holds_alternative<Currency>(value))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case SortRole:
        if (const auto* amount = std::get_if<Currency>(&value))
            return amount->units();
        if (const auto* number = std::get_if<qint64>(&value))
            return *number;
        if (const auto* date = std::get_if<QDate>(&value))
            return *date;
        if (const auto* text = std::get_if<QString>(&value))
            return *text;
        return {};
    case CsvRole:
        // A list may show an amount as stored; its export writes two decimals, as every CSV does.
        return formatted(value, std::holds_alternative<Currency>(value) ? Format::Amount : format, Purpose::Csv);
    default:
        return {};
    }
}

bool valueLess(const Value& a, const Value& b)
{
    if (a.index() != b.index())
        return kindRank(a) < kindRank(b);
    if (const auto* text = std::get_if<QString>(&a))
        return QString::compare(*text, std::get<QString>(b), Qt::CaseInsensitive) < 0;
    if (const auto* number = std::get_if<qint64>(&a))
        return *number < std::get<qint64>(b);
    if (const auto* amount = std::get_if<Currency>(&a))
        return amount->units() < std::get<Currency>(b).units();
    if (const auto* date = std::get_if<QDate>(&a))
        return *date < std::get<QDate>(b);
    return false;
}

void SortableTableModel::reorder(const QList<int>& oldRows, const std::function<void()>& apply)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    apply();
    QList<int> newRowOf(oldRows.size());
    for (int row = 0; row < oldRows.size(); ++row)
        newRowOf[oldRows.at(row)] = row;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << (index.row() < newRowOf.size() ? this->index(newRowOf.at(index.row()), index.column()) : index);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

DocumentModel::DocumentModel(QObject* parent) : SortableTableModel(parent) {}

void DocumentModel::setDocument(Document document)
{
    beginResetModel();
    m_document = std::move(document);
    m_order.resize(m_document.rowCount());
    std::iota(m_order.begin(), m_order.end(), 0);
    if (m_sortColumn >= m_document.columns().size())
        m_sortColumn = -1;
    sortOrder(m_order);
    endResetModel();
}

int DocumentModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int DocumentModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_document.columns().size());
}

QVariant DocumentModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_order.size() || index.column() >= m_document.columns().size())
        return {};
    return cellData(m_document.value(m_order.at(index.row()), index.column()),
                    m_document.columns().at(index.column()).format, role);
}

QVariant DocumentModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_document.columns().size())
        return m_document.columns().at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void DocumentModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_document.columns().size())
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    QList<int> rowOfDocumentRow(m_order.size());
    for (int row = 0; row < m_order.size(); ++row)
        rowOfDocumentRow[m_order.at(row)] = row;
    QList<int> sorted(m_order.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    sortOrder(sorted);
    QList<int> oldRows(sorted.size());
    for (int row = 0; row < sorted.size(); ++row)
        oldRows[row] = rowOfDocumentRow.at(sorted.at(row));
    reorder(oldRows, [&] { m_order = sorted; });
}

void DocumentModel::sortOrder(QList<int>& order) const
{
    if (m_sortColumn < 0)
        return;
    const int column = m_sortColumn;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Value va = m_document.value(a, column);
        const Value vb = m_document.value(b, column);
        return m_sortOrder == Qt::AscendingOrder ? valueLess(va, vb) : valueLess(vb, va);
    });
}

bool GridItem::operator<(const QTableWidgetItem& other) const
{
    const QVariant mine = data(SortRole);
    const QVariant theirs = other.data(SortRole);
    if (mine.isValid() && theirs.isValid() && mine.metaType() == theirs.metaType()) {
        if (mine.typeId() == QMetaType::QString)
            return QString::compare(mine.toString(), theirs.toString(), Qt::CaseInsensitive) < 0;
        return QVariant::compare(mine, theirs) == QPartialOrdering::Less;
    }
    return QTableWidgetItem::operator<(other);
}

QString chooseExportPath(Prompter& prompter, const QString& caption, const QString& stem, const QString& suffix,
                         const QString& filter)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = prompter.saveFileName(caption, QDir(folder).filePath(stem + suffix), filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += suffix;
    return path;
}

QByteArray gridCsv(const QTableView& view)
{
    const QAbstractItemModel* model = view.model();
    if (!model)
        return {};
    QList<int> columns;
    for (int c = 0; c < model->columnCount(); ++c)
        if (!view.isColumnHidden(c))
            columns << c;
    QString text;
    QStringList fields;
    for (int c : columns)
        fields << csvField(csvCaption(model->headerData(c, Qt::Horizontal).toString()), true);
    text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int row = 0; row < model->rowCount(); ++row) {
        fields.clear();
        for (int c : columns) {
            const QModelIndex index = model->index(row, c);
            const QVariant csvText = model->data(index, CsvRole);
            const QVariant sortValue = model->data(index, SortRole);
            // Only free text can start a formula; numbers and dates are written as they are.
            const bool isText = !sortValue.isValid() || sortValue.typeId() == QMetaType::QString;
            fields << csvField(csvText.isValid() ? csvText.toString() : model->data(index).toString(), isText);
        }
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

bool exportGrid(QTableView& view, Prompter& prompter, const QString& stem)
{
    const QString path = chooseExportPath(prompter, QStringLiteral("Export CSV"), stem, QStringLiteral(".csv"),
                                          QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return false;
    if (Status written = writeFile(gridCsv(view), path); !written) {
        prompter.error(written.error());
        return false;
    }
    return true;
}

namespace {

// Shows a cell's whole text when the cell cuts it, with the cell's own tooltip after it.
class CutTextTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() == QEvent::ToolTip && index.isValid()) {
            const QString text = index.data(Qt::DisplayRole).toString();
            QStyleOptionViewItem item = option;
            initStyleOption(&item, index);
            // The cell's margins on both sides take from the room the text has.
            const int room = option.rect.width() - 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            if (!text.isEmpty() && item.fontMetrics.horizontalAdvance(text) > room) {
                const QString own = index.data(Qt::ToolTipRole).toString();
                QToolTip::showText(event->globalPos(), own.isEmpty() ? text : text + QLatin1Char('\n') + own, view,
                                   view->visualRect(index));
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

} // namespace

void showCutTextInTooltips(QAbstractItemView& view)
{
    if (view.itemDelegate() && view.itemDelegate()->objectName() == QLatin1String("cutTextTips"))
        return;
    auto* tips = new CutTextTips(&view);
    tips->setObjectName(QStringLiteral("cutTextTips"));
    view.setItemDelegate(tips);
}

void fitColumns(QTableView& view, int wideColumn)
{
    showCutTextInTooltips(view);
    view.resizeColumnsToContents();
    const int widest = view.fontMetrics().averageCharWidth() * 40;
    const int name = view.fontMetrics().averageCharWidth() * 30;
    if (!view.model())
        return;
    for (int c = 0; c < view.model()->columnCount(); ++c) {
        int width = std::min(view.columnWidth(c), widest);
        if (c == wideColumn)
            width = std::max(width, name);
        view.setColumnWidth(c, width);
    }
}

void enableGrid(QTableView& view, Prompter& prompter, const QString& stem)
{
    showCutTextInTooltips(view);
    // No column is sorted until the operator asks, so the grid opens in the order it was read.
    view.horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view.setSortingEnabled(true);
    view.horizontalHeader()->setSortIndicatorShown(true);
    auto* exportAction = new QAction(QStringLiteral("Export to &CSV…"), &view);
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(exportAction, &QAction::triggered, &view,
                     [&view, &prompter, stem] { exportGrid(view, prompter, stem); });
    view.addAction(exportAction);
    view.setContextMenuPolicy(Qt::ActionsContextMenu);
    if (view.toolTip().isEmpty())
        view.setToolTip(QStringLiteral("Click a heading to sort; right-click or Ctrl+E to export to CSV"));
}

} // namespace report
