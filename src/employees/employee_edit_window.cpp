#include "employee_edit_window.h"

#include "ui_employee_edit_window.h"

#include "rules/record_rules.h"
#include "ui/unsaved_input.h"

#include <QCloseEvent>
#include <QDateEdit>

#include "common/clock.h"
#include "employees/camera.h"
#include "employees/photo_area.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

EmployeeEditWindow::EmployeeEditWindow(AppContext& context, QWidget* parent, std::unique_ptr<Camera> camera)
    : QWidget(parent), m_ui(std::make_unique<Ui::EmployeeEditWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_fields = EmployeeFields::of(*m_ui);
    m_fields.setUp(context, false);
    EntryBehaviour::install(m_ui->txtFName, EntryBehaviour::EnterMovesOn);
    m_ui->txtFName->setMaxLength(rules::maxNameLength);
    m_photo = PhotoArea::attach(this, context.prompter, std::move(camera));
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The change to the employee"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->cmdSave, &QPushButton::clicked, this, &EmployeeEditWindow::saveChanges);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, [this] { setEditing(false); });
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->dtpHired, &QDateEdit::dateChanged, this, [this] { m_dateChanged = true; });
    setEditing(false);
}

EmployeeEditWindow::~EmployeeEditWindow()
{
    disconnectChildSignals(this);
}

void EmployeeEditWindow::load(const Employee& employee)
{
    m_loaded = employee;
    m_ui->txtIDNo->setText(QString::number(employee.id));
    m_ui->txtFName->setText(employee.name);
    // An exemption the employee does not have starts on today's date when it is ticked.
    m_fields.setExemptionDates(m_context.clock.today());
    m_fields.show(employee);
    m_ui->txtBasicRate->setText(employee.basicRate.toFixedText(true));
    m_photo->showFile(employee.photo);
    m_dateChanged = false;
    setEditing(true);
    m_ui->txtFName->setFocus();
}

void EmployeeEditWindow::setEditing(bool editing)
{
    // Loading, updating or cancelling leaves nothing typed and unsaved.
    m_unsaved->clear();
    m_fields.setLocked(!editing);
    setTypable(m_ui->txtFName, editing);
    m_photo->setEnabled(editing);
    m_ui->cmdSave->setEnabled(editing);
    m_ui->cmdCancel->setEnabled(editing);
}

bool EmployeeEditWindow::mayReplace()
{
    return m_unsaved->mayDiscard(QStringLiteral("Edit the other employee"));
}

void EmployeeEditWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void EmployeeEditWindow::saveChanges()
{
    if (!requireFilled(m_context.prompter, m_fields.required(m_ui->txtFName), Prompter::Icon::Information,
                       QStringLiteral("Information")))
        return;
    // The basic rate and the number stay as loaded.
    Employee employee = m_loaded;
    employee.name = m_ui->txtFName->text().trimmed();
    m_fields.read(employee);
    if (!m_dateChanged)
        employee.dateEmployed = m_loaded.dateEmployed;
    employee.photo = m_ui->Text14->text().trimmed();
    if (!acceptRules(m_context.prompter, rules::check(rules::normalised(employee)),
                     m_fields.controls(m_ui->txtFName, m_ui->Text14), Prompter::Icon::Information,
                     QStringLiteral("Information")))
        return;
    if (Status s = EmployeeRepository(m_context.db).update(employee); !s) {
        m_context.prompter.error(s.error());
        return;
    }
    m_loaded = employee;
    setEditing(false);
    m_context.prompter.information(QStringLiteral("Data entry successfully updated."));
    emit updated(employee.id);
}
