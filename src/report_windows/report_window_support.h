#pragma once

#include "data/master_repository.h"
#include "data/status.h"
#include "reports/report_document.h"
#include "ui/prompter.h"

#include <QDate>
#include <QList>
#include <QString>

#include <initializer_list>
#include <optional>

struct AppContext;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTableView;

namespace report {
class DocumentModel;
}

// What the report windows share: the dates they open on, the range check, the department and
// group lists, their sortable and exportable grids and their total boxes.
namespace reportwin {

// The pickers show today when the window opens; the operator's dates then stay as chosen.
void startOnToday(AppContext& context, std::initializer_list<QDateEdit*> pickers);
// What a pair of pickers chooses: days, or whole months (from the first day of one to the last of
// the other, whatever days the pickers hold).
enum class RangeOf { Days, Months };
// The range the pickers choose, or nothing after telling the operator that it starts after it ends.
std::optional<std::pair<QDate, QDate>> rangeOf(Prompter& prompter, QDateEdit* from, QDateEdit* to,
                                               RangeOf unit = RangeOf::Days,
                                               const QString& fromCaption = QStringLiteral("From Date"),
                                               const QString& toCaption = QStringLiteral("To Date"));
// Buttons take Enter, and Enter in a picker or a fixed list moves on like Tab.
void setUpKeys(QWidget* window);
// A company's name as part of a file name: without the characters a file system refuses.
QString fileNamePart(QString name);
// Fills the list with the master's names, in order; a failure to read them is told.
void fillNames(AppContext& context, QComboBox* box, MasterRepository::Kind kind, const QStringList& first = {});
// The chosen name of a list, or nothing after asking the operator to choose one.
std::optional<QString> chosenName(Prompter& prompter, QComboBox* box, const QString& what);
// A grid showing a document's rows: sorted by a header click, exported by Ctrl+E.
report::DocumentModel* prepareGrid(AppContext& context, QTableView* view, const QString& exportName);
// Shows the rows, the name column wide, then the other columns fitted to what they show.
void showGrid(report::DocumentModel* model, QTableView* view, report::Document grid);
using ::valueOrTell;

// Puts a column's total into its box; a total beyond range (no value) says so.
void showTotal(QLineEdit* box, const report::Value& total);

} // namespace reportwin
