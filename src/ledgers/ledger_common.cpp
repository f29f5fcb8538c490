#include "ledger_common.h"

#include "data/database.h"
#include "reports/report_grid.h"
#include "ui/app_context.h"
#include "ui/prompter.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>

namespace ledger {

std::optional<Currency> amountIn(Prompter& prompter, QLineEdit* box, const QString& what)
{
    if (const auto amount = Currency::parse(box->text()))
        return amount;
    prompter.warning(QStringLiteral("Please enter %1 as a number.").arg(what));
    box->setFocus();
    box->selectAll();
    return std::nullopt;
}

void fillGrid(QTableWidget* grid, const QStringList& headers, const QList<QList<report::Value>>& rows)
{
    // Items placed into a sorted grid would move as they are set.
    const bool sorting = grid->isSortingEnabled();
    grid->setSortingEnabled(false);
    grid->clear();
    grid->verticalHeader()->hide();
    grid->setColumnCount(int(headers.size()));
    grid->setHorizontalHeaderLabels(headers);
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c) {
            const report::Value& value = rows.at(r).at(c);
            // Amounts as they are stored, dates as the operators read them.
            const auto format = std::holds_alternative<QDate>(value) ? report::Format::Date : report::Format::Text;
            auto* item = new report::GridItem;
            for (int role :
                 {int(Qt::DisplayRole), int(Qt::TextAlignmentRole), int(report::SortRole), int(report::CsvRole)})
                item->setData(role, report::cellData(value, format, role));
            grid->setItem(r, c, item);
        }
    // Widths from the rows in sight and those near them, not from every row: a ledger of years has
    // hundreds, alike in width, and measuring each was most of the time it took to show them.
    grid->horizontalHeader()->setResizeContentsPrecision(50);
    report::fitColumns(*grid);
    grid->setSortingEnabled(sorting);
}

QString count(qint64 n, const QString& one, const QString& many)
{
    return n == 1 ? QStringLiteral("1 %1").arg(one) : QStringLiteral("%1 %2").arg(n).arg(many);
}

} // namespace ledger
