#include "decrement_window.h"

#include "ui_decrement_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/revision_repository.h"
#include "data/session.h"
#include "ledgers/arrears.h"
#include "ledgers/ledger_common.h"
#include "reports/report_grid.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/unsaved_input.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>

DecrementWindow::DecrementWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::DecrementWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The decrement on the screen"),
                                 {m_ui->Text1});
    report::enableGrid(*m_ui->MSHFlexGrid1, context.prompter, QStringLiteral("Decrements"));
    m_picker = new EmployeePicker(
        context, m_ui->Combo1, m_ui->Combo2, [this](qint64 id, QString& name) { return choose(id, name); }, this);
    EntryBehaviour::install(m_ui->Text1, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                             EntryBehaviour::SelectAllOnFocus);
    m_ui->Text1->setText(QStringLiteral("0"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &DecrementWindow::save);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    m_picker->reload();
    showDecrements();
    m_ui->Combo1->setFocus();
}

DecrementWindow::~DecrementWindow()
{
    disconnectChildSignals(this);
}

EmployeePicker::Outcome DecrementWindow::choose(qint64 id, QString& name)
{
    const auto outcome = findEmployee(m_context, id, m_employee, name);
    showDecrements();
    return outcome;
}

void DecrementWindow::showDecrements()
{
    QList<QList<report::Value>> rows;
    if (m_employee) {
        const auto decrements = RevisionRepository(m_context.db).decrements(m_context.session.company, m_employee->id);
        if (!decrements) {
            m_context.prompter.error(decrements.error());
            return;
        }
        for (const Revision& d : *decrements)
            rows << QList<report::Value>{d.employeeId, d.name, d.amount, d.date,
                                         d.time.toString(QStringLiteral("HH:mm:ss"))};
    }
    ledger::fillGrid(m_ui->MSHFlexGrid1,
                     {QStringLiteral("ID"), QStringLiteral("Employee"), QStringLiteral("Amount"),
                      QStringLiteral("Date"), QStringLiteral("Time")},
                     rows);
}

void DecrementWindow::save()
{
    if (!requireEmployee(m_context.prompter, m_picker, m_employee))
        return;
    const auto amount = ledger::amountIn(m_context.prompter, m_ui->Text1, QStringLiteral("the decrement amount"));
    if (!amount)
        return;
    const QDateTime now = m_context.clock.now();
    const Revision decrement{m_employee->id,           m_employee->name, *amount, now.date(), now.time(), {}, {},
                             m_context.session.company};
    if (!acceptRules(m_context.prompter, rules::check(decrement, rules::RevisionKind::Decrement),
                          {{QStringLiteral("decreamt"), m_ui->Text1}}))
        return;
    const auto stored = EmployeeRepository(m_context.db).find(m_employee->id);
    if (!stored || !stored->has_value()) {
        m_context.prompter.error(stored ? QStringLiteral("There is no employee number %1.").arg(m_employee->id)
                                        : stored.error());
        return;
    }
    const Currency oldRate = (*stored)->basicRate;
    const Currency lowered = Currency::fromUnits(-amount->units());
    const auto newRate = revision::revisedRate(oldRate, lowered);
    if (!acceptRules(m_context.prompter, rules::checkRevisedRate(oldRate, lowered, newRate),
                     {{QStringLiteral("basicrate"), m_ui->Text1}}))
        return;
    if (Status s = RevisionRepository(m_context.db).saveDecrement(decrement, oldRate, *newRate); !s) {
        m_context.prompter.error(s.error());
        return;
    }
    m_context.prompter.information(QStringLiteral("Record Saved Successfully"));
    m_context.prompter.information(QStringLiteral("Basic Rate Updated Successfully"));
    m_unsaved->clear();
    m_ui->Text1->setText(QStringLiteral("0"));
    showDecrements();
}

void DecrementWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
