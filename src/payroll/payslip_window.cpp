#include "payslip_window.h"

#include "ui_payslip_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/session.h"
#include "payroll/payroll_month_model.h"
#include "reports/company_heading.h"
#include "reports/payroll_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>

PayslipWindow::PayslipWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PayslipWindow>()), m_context(context),
      m_model(new PayrollMonthModel(PayrollMonthModel::Columns::Payslips, this))
{
    m_ui->setupUi(this);
    m_ui->lvwInfo->setModel(m_model);
    report::enableGrid(*m_ui->lvwInfo, context.prompter, QStringLiteral("Payslips"));
    m_ui->lvwInfo->verticalHeader()->hide();
    m_ui->lvwInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ui->lvwInfo->horizontalHeader()->setResizeContentsPrecision(50);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->lvwInfo->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PayslipWindow::updateButtons);
    // A double click or Enter on the list shows the selected payslips (not a single click, which
    // builds a selection).
    connect(m_ui->lvwInfo, &QAbstractItemView::doubleClicked, this, &PayslipWindow::printSelected);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), m_ui->lvwInfo);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &PayslipWindow::printSelected);
    }
    connect(m_ui->cmdPrintAll, &QPushButton::clicked, this, &PayslipWindow::printAll);
    connect(m_ui->cmdPrintSel, &QPushButton::clicked, this, &PayslipWindow::printSelected);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    // The choice is the installation's: an office that writes the net pay in words always does.
    m_ui->chkWords->setChecked(report::netPayInWordsSetting());
    connect(m_ui->chkWords, &QCheckBox::toggled, this, [](bool on) { report::setNetPayInWordsSetting(on); });

    m_ui->dtPick->setDate(m_context.clock.today());
    connect(m_ui->dtPick, &QDateEdit::dateChanged, this, &PayslipWindow::listMonth);
    listMonth();
    m_ui->lvwInfo->setFocus();
}

PayslipWindow::~PayslipWindow()
{
    disconnectChildSignals(this);
}

void PayslipWindow::setMonth(QDate month)
{
    // Asked for by the payroll window, which may have saved transactions since: always read again.
    QSignalBlocker blocker(m_ui->dtPick);
    m_ui->dtPick->setDate(month);
    readMonth();
}

QDate PayslipWindow::month() const
{
    return m_listed;
}

void PayslipWindow::listMonth()
{
    // Only the month and year matter: another day of the listed month keeps the list and its selection.
    if (dates::firstOfMonth(m_ui->dtPick->date()) != m_listed)
        readMonth();
}

void PayslipWindow::readMonth()
{
    const QDate month = dates::firstOfMonth(m_ui->dtPick->date());
    const auto rows = PayrollRepository(m_context.db).month(m_context.session.company, month);
    if (!rows) {
        m_context.prompter.error(rows.error());
        // The picker goes back to the month the list shows.
        if (m_listed.isValid()) {
            QSignalBlocker blocker(m_ui->dtPick);
            m_ui->dtPick->setDate(m_listed);
        }
        updateButtons();
        return;
    }
    m_listed = month;
    m_model->setTransactions(rows.value());
    report::fitColumns(*m_ui->lvwInfo);
    m_ui->lblCount->setText(QStringLiteral("%1 transactions").arg(rows->size()));
    updateButtons();
}

void PayslipWindow::updateButtons()
{
    m_ui->cmdPrintSel->setEnabled(m_ui->lvwInfo->selectionModel()->hasSelection());
    m_ui->cmdPrintAll->setEnabled(m_listed.isValid());
}

void PayslipWindow::printAll()
{
    // Read again: the list may be older than the last save.
    const auto rows = PayrollRepository(m_context.db).month(m_context.session.company, m_listed);
    if (!rows) {
        m_context.prompter.error(rows.error());
        return;
    }
    showPayslips(rows.value());
}

void PayslipWindow::printSelected()
{
    QModelIndexList selected = m_ui->lvwInfo->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end());
    QList<PayrollTransaction> transactions;
    PayrollRepository repository(m_context.db);
    for (const QModelIndex& index : selected) {
        const qint64 transId = m_model->transaction(index.row()).transId;
        const auto found = repository.find(transId);
        if (!found) {
            m_context.prompter.error(found.error());
            return;
        }
        // A transaction deleted (or moved to another company) since the list was read is left out.
        if (found->has_value() && (*found)->company == m_context.session.company)
            transactions.append(**found);
    }
    if (transactions.size() < selected.size())
        m_context.prompter.warning(QStringLiteral("%1 of the selected transactions no longer exist and are left out.")
                                       .arg(selected.size() - transactions.size()));
    showPayslips(std::move(transactions));
}

void PayslipWindow::showPayslips(QList<PayrollTransaction> transactions)
{
    const auto heading =
        valueOrTell(m_context.prompter, report::companyHeading(m_context.db, m_context.session.company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::payslips(*heading, std::move(transactions), m_ui->chkWords->isChecked()));
}
