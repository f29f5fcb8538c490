#include "ledger_common.h"

#include "data/database.h"
#include "ui/app_context.h"
#include "ui/prompter.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>

namespace ledger {

std::optional<Currency> amountIn(Prompter& prompter, QLineEdit* box, const QString& what, Currency minimum,
                                 std::optional<Currency> maximum)
{
    const auto amount = Currency::parse(box->text());
    if (amount && *amount >= minimum && (!maximum || *amount <= *maximum))
        return amount;
    QString wanted = minimum.isZero()        ? QStringLiteral("a number of 0 or more")
                     : minimum == onePaisa() ? QStringLiteral("a number above 0")
                                             : QStringLiteral("a number of at least %1").arg(minimum.toString());
    if (maximum)
        wanted += QStringLiteral(", at most %1").arg(maximum->toString());
    prompter.warning(QStringLiteral("Please enter %1 as %2.").arg(what, wanted));
    box->setFocus();
    box->selectAll();
    return std::nullopt;
}

void fillGrid(QTableWidget* grid, const QStringList& headers, const QList<QStringList>& rows)
{
    grid->clear();
    grid->verticalHeader()->hide();
    grid->setColumnCount(int(headers.size()));
    grid->setHorizontalHeaderLabels(headers);
    grid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(rows.at(r).at(c)));
    grid->resizeColumnsToContents();
}

QString count(qint64 n, const QString& one, const QString& many)
{
    return n == 1 ? QStringLiteral("1 %1").arg(one) : QStringLiteral("%1 %2").arg(n).arg(many);
}

} // namespace ledger
