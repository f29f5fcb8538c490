#include "advance_window.h"

#include "ui_advance_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/advance_repository.h"
#include "data/database.h"
#include "data/session.h"
#include "ledgers/ledger_common.h"
#include "ui/app_context.h"
#include "ui/delete_password_guard.h"
#include "ui/deletion_backup.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/unsaved_input.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>

namespace {

QString advances(qint64 n)
{
    return ledger::count(n, QStringLiteral("advance"), QStringLiteral("advances"));
}

} // namespace

AdvanceWindow::AdvanceWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AdvanceWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The advance on the screen"),
                                 {m_ui->Text1, m_ui->DTPicker1});
    m_picker = new EmployeePicker(
        context, m_ui->Combo1, m_ui->Combo2, [this](qint64 id, QString& name) { return choose(id, name); }, this);
    m_guard = new DeletePasswordGuard(context, {m_ui->Frame3, m_ui->Text6, m_ui->Command9, m_ui->Command8}, this);
    m_guard->backUpFirst(DeletionBackup::Network);
    m_ui->Frame3->hide();
    EntryBehaviour::install(m_ui->Text1, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                             EntryBehaviour::SelectAllOnFocus);
    m_ui->Text1->setText(QStringLiteral("0"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->cmdSave, &QPushButton::clicked, this, &AdvanceWindow::save);
    connect(m_ui->Command1, &QPushButton::clicked, this, &AdvanceWindow::update);
    connect(m_ui->Command2, &QPushButton::clicked, this, &AdvanceWindow::removeAdvances);
    connect(m_ui->Command3, &QPushButton::clicked, this, &AdvanceWindow::removeAll);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    m_picker->reload();
    m_ui->DTPicker1->setDate(m_context.clock.today());
    m_ui->Combo1->setFocus();
}

AdvanceWindow::~AdvanceWindow()
{
    disconnectChildSignals(this);
}

EmployeePicker::Outcome AdvanceWindow::choose(qint64 id, QString& name)
{
    return findEmployee(m_context, id, m_employee, name);
}

bool AdvanceWindow::chosen()
{
    return requireEmployee(m_context.prompter, m_picker, m_employee);
}

bool AdvanceWindow::matched(qint64 count, const QString& nothingDone)
{
    if (count > 0)
        return true;
    m_context.prompter.message(QStringLiteral("%1 has no advance of %2 dated %3; nothing was %4.")
                                   .arg(m_employee->name, m_context.session.company,
                                        dates::displayText(m_ui->DTPicker1->date()), nothingDone));
    return false;
}

void AdvanceWindow::save()
{
    if (!chosen())
        return;
    const auto amount = ledger::amountIn(m_context.prompter, m_ui->Text1, QStringLiteral("the advance amount"));
    if (!amount)
        return;
    const Advance advance{
        m_employee->id,           m_employee->name, *amount, m_ui->DTPicker1->date(), m_context.clock.now().time(),
        m_context.session.company};
    if (!acceptRules(m_context.prompter, rules::check(rules::normalised(advance)), {{QStringLiteral("advamt"), m_ui->Text1}}))
        return;
    if (Status s = AdvanceRepository(m_context.db).insert(advance); !s) {
        m_context.prompter.error(s.error());
        return;
    }
    m_context.prompter.information(QStringLiteral("Record Saved Successfully"));
    m_unsaved->clear();
    m_picker->clear();
    m_employee.reset();
    m_ui->Text1->setText(QStringLiteral("0"));
    m_ui->Combo1->setFocus();
}

void AdvanceWindow::update()
{
    if (!chosen())
        return;
    const auto amount = ledger::amountIn(m_context.prompter, m_ui->Text1, QStringLiteral("the advance amount"));
    if (!amount || !acceptRules(m_context.prompter,
                                     rules::amount(QStringLiteral("advamt"), QStringLiteral("the advance amount"),
                                                   *amount, rules::Sign::Positive),
                                     {{QStringLiteral("advamt"), m_ui->Text1}}))
        return;
    const auto changed = AdvanceRepository(m_context.db)
                             .setAmount(m_context.session.company, m_employee->id, m_ui->DTPicker1->date(), *amount);
    if (!changed) {
        m_context.prompter.error(changed.error());
        return;
    }
    if (matched(*changed, QStringLiteral("updated"))) {
        m_unsaved->clear();
        m_context.prompter.message(QStringLiteral("Values Updated: %1.").arg(advances(*changed)));
    }
}

void AdvanceWindow::removeAdvances()
{
    if (!chosen())
        return;
    const QDate date = m_ui->DTPicker1->date();
    const auto present = AdvanceRepository(m_context.db).count(m_context.session.company, m_employee->id, date);
    if (!present) {
        m_context.prompter.error(present.error());
        return;
    }
    if (!matched(*present, QStringLiteral("deleted")))
        return;
    if (!m_context.prompter.question(
            QStringLiteral("Delete %1 of %2 of %3 dated %4?")
                .arg(advances(*present), m_employee->name, m_context.session.company, dates::displayText(date))))
        return;
    const auto removed =
        AdvanceRepository(m_context.db).remove(m_context.session.company, m_employee->id, m_ui->DTPicker1->date());
    if (!removed) {
        m_context.prompter.error(removed.error());
        return;
    }
    m_context.prompter.message(QStringLiteral("Current Record Deleted: %1.").arg(advances(*removed)));
}

void AdvanceWindow::removeAll()
{
    m_guard->request(countedDeletion(
        [this] { return AdvanceRepository(m_context.db).removeAll(m_context.session.company); },
        [](qint64 n) { return QStringLiteral("ALL Advance records deleted successfully: %1.").arg(advances(n)); }));
}

void AdvanceWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
