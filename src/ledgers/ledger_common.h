#pragma once

#include "common/currency.h"
#include "data/employee_repository.h"
#include "reports/report_document.h"
#include "ui/employee_picker.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct AppContext;
class Prompter;
class QLineEdit;
class QTableWidget;

// What the loan, advance and salary revision windows check, say and show alike.
namespace ledger {

// The amount typed in the box, when it is a number; otherwise the operator is asked for one, the
// box takes the focus, and nothing. What the amount may be is the rules' to say (accepted()).
std::optional<Currency> amountIn(Prompter& prompter, QLineEdit* box, const QString& what);

// Fills a grid with rows of values under the headers, columns sized to their contents; numbers,
// amounts and dates sort as such when a header is clicked (see report::enableGrid).
void fillGrid(QTableWidget* grid, const QStringList& headers, const QList<QList<report::Value>>& rows);
// "1 loan entry", "3 loan entries".
QString count(qint64 n, const QString& one, const QString& many);

} // namespace ledger
