#include "payroll_deletion_window.h"

#include "ui_payroll_deletion_window.h"

#include "data/payroll_repository.h"
#include "data/session.h"
#include "payroll/payroll_window.h"
#include "ui/app_context.h"
#include "ui/delete_password_guard.h"
#include "ui/deletion_backup.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QRegularExpressionValidator>

#include <memory>

namespace {

QString transactions(qint64 count)
{
    return count == 1 ? QStringLiteral("1 transaction") : QStringLiteral("%1 transactions").arg(count);
}

// The count of a deletion of many, keeping what else it tells.
Result<qint64> counted(const Result<PayrollDeletion>& deletion, PayrollDeletion& outcome)
{
    if (!deletion)
        return deletion.status();
    outcome = *deletion;
    return deletion->deleted;
}

} // namespace

PayrollDeletionWindow::PayrollDeletionWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PayrollDeletionWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_single = new DeletePasswordGuard(context, {m_ui->Frame1, m_ui->Text4, m_ui->Command4, m_ui->Command5}, this);
    m_range = new DeletePasswordGuard(context, {m_ui->Frame2, m_ui->Text5, m_ui->Command6, m_ui->Command7}, this);
    m_all = new DeletePasswordGuard(context, {m_ui->Frame3, m_ui->Text6, m_ui->Command9, m_ui->Command8}, this);
    m_all->backUpFirst(DeletionBackup::Local);
    for (DeletePasswordGuard* guard : {m_single, m_range, m_all})
        connect(guard, &DeletePasswordGuard::finished, this, [this](bool deleted) {
            if (deleted)
                showPayroll();
        });
    // Transaction numbers are whole numbers.
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text2, m_ui->Text3})
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,15}")), box));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->Command1, &QPushButton::clicked, this, &PayrollDeletionWindow::deleteOne);
    connect(m_ui->Command2, &QPushButton::clicked, this, &PayrollDeletionWindow::deleteRange);
    connect(m_ui->Command3, &QPushButton::clicked, this, &PayrollDeletionWindow::deleteAll);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->Text1, &QLineEdit::returnPressed, m_ui->Command1, &QPushButton::click);
    connect(m_ui->Text3, &QLineEdit::returnPressed, m_ui->Command2, &QPushButton::click);
    connect(m_ui->Text2, &QLineEdit::returnPressed, m_ui->Text3, qOverload<>(&QWidget::setFocus));
    // A number changed while its password frame is open is not the number the frame was opened for.
    connect(m_ui->Text1, &QLineEdit::textEdited, m_single, &DeletePasswordGuard::cancel);
    for (QLineEdit* box : {m_ui->Text2, m_ui->Text3})
        connect(box, &QLineEdit::textEdited, m_range, &DeletePasswordGuard::cancel);
    m_ui->Text1->setFocus();
}

PayrollDeletionWindow::~PayrollDeletionWindow()
{
    disconnectChildSignals(this);
}

std::optional<qint64> PayrollDeletionWindow::number(QLineEdit* box, const QString& what)
{
    bool ok = false;
    const qint64 n = box->text().toLongLong(&ok);
    if (ok && n > 0)
        return n;
    m_context.prompter.warning(QStringLiteral("Please enter %1 as a whole number above 0.").arg(what));
    box->setFocus();
    box->selectAll();
    return std::nullopt;
}

void PayrollDeletionWindow::deleteOne()
{
    const auto transId = number(m_ui->Text1, QStringLiteral("the transaction number"));
    if (!transId)
        return;
    const QString company = m_context.session.company;
    m_single->request(countedDeletion(
        [this, company, transId] { return PayrollRepository(m_context.db).removeNumber(company, *transId); },
        [company, transId](qint64 n) {
            return n == 0 ? QStringLiteral("%1 has no payroll transaction number %2; nothing was deleted.")
                                .arg(company)
                                .arg(*transId)
                          : QStringLiteral("Payroll Transaction record deleted successfully");
        }));
}

void PayrollDeletionWindow::deleteRange()
{
    const auto first = number(m_ui->Text2, QStringLiteral("the first transaction number"));
    if (!first)
        return;
    const auto last = number(m_ui->Text3, QStringLiteral("the last transaction number"));
    if (!last)
        return;
    if (*first > *last) {
        m_context.prompter.warning(
            QStringLiteral("The first transaction number (%1) is above the last (%2).").arg(*first).arg(*last));
        m_ui->Text2->setFocus();
        return;
    }
    const QString company = m_context.session.company;
    auto outcome = std::make_shared<PayrollDeletion>();
    m_range->request(countedDeletion(
        [this, company, first, last, outcome] {
            return counted(PayrollRepository(m_context.db).removeRange(company, *first, *last), *outcome);
        },
        [company, first, last, outcome](qint64 n) {
            const QString kept = outcome->keptNote();
            if (n == 0)
                return kept.isEmpty()
                           ? QStringLiteral("%1 has no payroll transaction numbered from %2 to %3; nothing was deleted.")
                                 .arg(company)
                                 .arg(*first)
                                 .arg(*last)
                           : QStringLiteral("Nothing was deleted: %1").arg(kept);
            return QStringLiteral("Payroll record deleted successfully: %1.").arg(transactions(n)) +
                   (kept.isEmpty() ? QString() : QStringLiteral("\n") + kept);
        }));
}

void PayrollDeletionWindow::deleteAll()
{
    auto outcome = std::make_shared<PayrollDeletion>();
    m_all->request(countedDeletion(
        [this, outcome] { return counted(PayrollRepository(m_context.db).removeAll(m_context.session.company), *outcome); },
        [outcome](qint64 n) {
            const QString kept = outcome->keptNote();
            if (n == 0 && !kept.isEmpty())
                return QStringLiteral("Nothing was deleted: %1").arg(kept);
            return QStringLiteral("ALL Payroll records deleted successfully: %1.").arg(transactions(n)) +
                   (kept.isEmpty() ? QString() : QStringLiteral("\n") + kept);
        }));
}

void PayrollDeletionWindow::showPayroll()
{
    // The payroll window shows what is left: refreshed when it is open, opened beside when it is not.
    auto* payroll =
        m_context.findWindow ? qobject_cast<PayrollWindow*>(m_context.findWindow(QStringLiteral("Form2"))) : nullptr;
    if (payroll)
        payroll->reloadMonth();
    if (m_context.openBeside)
        m_context.openBeside(QStringLiteral("Form2"));
}
