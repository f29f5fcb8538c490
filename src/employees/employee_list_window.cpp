#include "employee_list_window.h"

#include "ui_employee_list_window.h"

#include "data/session.h"
#include "employees/employee_edit_window.h"
#include "employees/employee_table_model.h"
#include "reports/company_heading.h"
#include "reports/employee_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QSet>
#include <QShortcut>

#include <algorithm>

EmployeeListWindow::EmployeeListWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::EmployeeListWindow>()), m_context(context),
      m_model(new EmployeeTableModel(this)), m_filter(new EmployeeFilter(this))
{
    m_ui->setupUi(this);
    m_filter->setSourceModel(m_model);
    m_ui->lvlEmpInfo->setModel(m_filter);
    report::enableGrid(*m_ui->lvlEmpInfo, context.prompter, QStringLiteral("Employees"));
    m_ui->lvlEmpInfo->verticalHeader()->hide();
    m_ui->lvlEmpInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ui->lvlEmpInfo->horizontalHeader()->setResizeContentsPrecision(50);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    // Enter from Find goes on to the list it narrowed, where the arrows choose an employee.
    EntryBehaviour::install(m_ui->txtFilter, EntryBehaviour::EnterMovesOn);
    connect(m_ui->txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setText(text);
        updateButtons();
    });
    connect(m_ui->lvlEmpInfo->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EmployeeListWindow::updateButtons);
    connect(m_ui->lvlEmpInfo, &QAbstractItemView::doubleClicked, this, &EmployeeListWindow::edit);
    auto* del = new QShortcut(QKeySequence::Delete, m_ui->lvlEmpInfo);
    del->setContext(Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &EmployeeListWindow::remove);
    connect(m_ui->cmdEdit, &QPushButton::clicked, this, &EmployeeListWindow::edit);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &EmployeeListWindow::remove);
    connect(m_ui->cmdPrintSel, &QPushButton::clicked, this, &EmployeeListWindow::printSelected);
    connect(m_ui->cmdPrintAll, &QPushButton::clicked, this, &EmployeeListWindow::printAll);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    reload();
    m_ui->txtFilter->setFocus();
}

EmployeeListWindow::~EmployeeListWindow()
{
    disconnectChildSignals(this);
}

void EmployeeListWindow::reload()
{
    const auto employees = EmployeeRepository(m_context.db).all();
    if (!employees) {
        m_context.prompter.error(employees.error());
        return;
    }
    QSet<qint64> chosen;
    for (const Employee& e : selected())
        chosen.insert(e.id);
    m_model->setEmployees(employees.value());
    report::fitColumns(*m_ui->lvlEmpInfo);
    QItemSelection keep;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (chosen.contains(m_model->employee(row).id)) {
            const QModelIndex shown = m_filter->mapFromSource(m_model->index(row, 0));
            if (shown.isValid())
                keep.select(shown, shown);
        }
    m_ui->lvlEmpInfo->selectionModel()->select(keep, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    updateButtons();
}

void EmployeeListWindow::updateButtons()
{
    const int chosen = int(m_ui->lvlEmpInfo->selectionModel()->selectedRows().size());
    m_ui->cmdEdit->setEnabled(chosen == 1);
    m_ui->cmdDelete->setEnabled(chosen == 1);
    m_ui->cmdPrintSel->setEnabled(chosen > 0);
    m_ui->cmdPrintAll->setEnabled(m_model->rowCount() > 0);
    m_ui->lblCount->setText(
        m_filter->rowCount() == m_model->rowCount()
            ? QStringLiteral("%1 employees").arg(m_model->rowCount())
            : QStringLiteral("%1 of %2 employees").arg(m_filter->rowCount()).arg(m_model->rowCount()));
}

QList<Employee> EmployeeListWindow::selected() const
{
    QModelIndexList rows = m_ui->lvlEmpInfo->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QList<Employee> employees;
    for (const QModelIndex& row : rows)
        employees << m_model->employee(m_filter->mapToSource(row).row());
    return employees;
}

void EmployeeListWindow::edit()
{
    const QList<Employee> chosen = selected();
    if (chosen.size() != 1)
        return;
    // Read again: the row may have changed since the list was read.
    const auto found = EmployeeRepository(m_context.db).find(chosen.first().id);
    if (!found || !found->has_value()) {
        m_context.prompter.error(found ? QStringLiteral("There is no employee number %1.").arg(chosen.first().id)
                                       : found.error());
        reload();
        return;
    }
    auto* window = m_context.openBeside
                       ? qobject_cast<EmployeeEditWindow*>(m_context.openBeside(QStringLiteral("Form7")))
                       : findChild<EmployeeEditWindow*>();
    if (!window) {
        // Without a main window to host it, the edit window opens as a window of its own.
        window = new EmployeeEditWindow(m_context, this);
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    // A change typed into the open edit window is not overwritten unasked.
    if (!window->mayReplace())
        return;
    // The list shows an update as soon as it is stored.
    connect(window, &EmployeeEditWindow::updated, this, &EmployeeListWindow::reload, Qt::UniqueConnection);
    window->load(**found);
    window->show();
    window->raise();
    window->activateWindow();
}

void EmployeeListWindow::remove()
{
    const QList<Employee> chosen = selected();
    if (chosen.size() != 1)
        return;
    if (!m_context.prompter.question(QStringLiteral("You are about to delete a record.\n"
                                                    "If you click Yes, you won't be able to undo this delete "
                                                    "operation.\n\nAre you sure you want to delete this record?"),
                                     Prompter::Icon::Question, QStringLiteral("Confirm Delete")))
        return;
    if (Status s = EmployeeRepository(m_context.db).remove(chosen.first().id); !s) {
        m_context.prompter.error(s.error());
        reload();
        return;
    }
    reload();
    m_context.prompter.information(QStringLiteral("Record deleted."));
}

void EmployeeListWindow::printSelected()
{
    const QList<Employee> chosen = selected();
    if (!chosen.isEmpty())
        showReport(chosen);
}

void EmployeeListWindow::printAll()
{
    // Every employee, by number, whatever the list shows.
    const auto all = EmployeeRepository(m_context.db).all();
    if (!all) {
        m_context.prompter.error(all.error());
        return;
    }
    showReport(all.value());
}

void EmployeeListWindow::showReport(QList<Employee> employees)
{
    const auto heading =
        valueOrTell(m_context.prompter, report::companyHeading(m_context.db, m_context.session.company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::employeeInformation(*heading, std::move(employees)));
}
