#include "report_window_support.h"

#include "common/clock.h"
#include "common/dates.h"
#include "reports/report_grid.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace reportwin {

void startOnToday(AppContext& context, std::initializer_list<QDateEdit*> pickers)
{
    const QDate today = context.clock.now().date();
    for (QDateEdit* picker : pickers)
        picker->setDate(today);
}

std::optional<std::pair<QDate, QDate>> rangeOf(Prompter& prompter, QDateEdit* from, QDateEdit* to, RangeOf unit,
                                               const QString& fromCaption, const QString& toCaption)
{
    const bool months = unit == RangeOf::Months;
    const QDate first = months ? dates::firstOfMonth(from->date()) : from->date();
    const QDate last = months ? dates::lastOfMonth(to->date()) : to->date();
    if (first > last) {
        prompter.warning(QStringLiteral("The %1 (%2) is after the %3 (%4). Choose a %1 on or before the %3.")
                             .arg(fromCaption, from->text(), toCaption, to->text()));
        from->setFocus();
        return std::nullopt;
    }
    return std::pair(first, last);
}

void setUpKeys(QWidget* window)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    for (QDateEdit* picker : window->findChildren<QDateEdit*>())
        EntryBehaviour::install(picker, EntryBehaviour::EnterMovesOn);
    for (QComboBox* list : window->findChildren<QComboBox*>())
        if (!list->isEditable())
            EntryBehaviour::install(list, EntryBehaviour::EnterMovesOn);
}

void fillNames(AppContext& context, QComboBox* box, MasterRepository::Kind kind, const QStringList& first)
{
    const auto entries = MasterRepository(context.db, kind).list();
    if (!entries) {
        context.prompter.error(entries.error());
        return;
    }
    QStringList names;
    for (const MasterEntry& entry : *entries)
        names << entry.name;
    names.sort(Qt::CaseInsensitive);
    box->clear();
    box->addItems(first + names);
}

std::optional<QString> chosenName(Prompter& prompter, QComboBox* box, const QString& what)
{
    const QString name = box->currentText().trimmed();
    if (name.isEmpty()) {
        prompter.information(QStringLiteral("Choose the %1 first.").arg(what), QStringLiteral("Information"));
        box->setFocus();
        return std::nullopt;
    }
    return name;
}

report::DocumentModel* prepareGrid(AppContext& context, QTableView* view, const QString& exportName)
{
    auto* model = new report::DocumentModel(view);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    report::enableGrid(*view, context.prompter, exportName);
    return model;
}

void showGrid(report::DocumentModel* model, QTableView* view, report::Document grid)
{
    model->setDocument(std::move(grid));
    // Fitted to the rows in sight rather than to every row, so a year of rows shows at once.
    view->horizontalHeader()->setResizeContentsPrecision(200);
    report::fitColumns(*view, model->document().columnIndex(QStringLiteral("Name")));
}

void showTotal(QLineEdit* box, const report::Value& total)
{
    box->setText(std::holds_alternative<std::monostate>(total)
                     ? QStringLiteral("too large")
                     : report::formatted(total, report::Format::Amount, report::Purpose::Paper));
    box->setCursorPosition(0);
}

QString fileNamePart(QString name)
{
    for (QChar& ch : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(ch) || ch.category() == QChar::Other_Control)
            ch = u'-';
    return name.trimmed();
}

} // namespace reportwin
