#include "employee_entry_window.h"

#include "ui_employee_entry_window.h"

#include <QCloseEvent>

#include "common/clock.h"
#include "data/session.h"
#include "employees/camera.h"
#include "employees/photo_area.h"
#include "ui/app_context.h"
#include "rules/record_rules.h"
#include "ui/entry_behaviour.h"
#include "ui/unsaved_input.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

EmployeeEntryWindow::EmployeeEntryWindow(AppContext& context, QWidget* parent, std::unique_ptr<Camera> camera)
    : QWidget(parent), m_ui(std::make_unique<Ui::EmployeeEntryWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_fields = EmployeeFields::of(*m_ui);
    m_fields.setUp(context, true);
    // The whole name is stored to its limit: no box takes more (a paste is cut at the limit).
    for (QLineEdit* box : nameBoxes()) {
        EntryBehaviour::install(box, EntryBehaviour::EnterMovesOn);
        box->setMaxLength(rules::maxNameLength);
    }
    EntryBehaviour::install(m_ui->txtBasicRate, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                                    EntryBehaviour::SelectAllOnFocus);
    m_photo = PhotoArea::attach(this, context.prompter, std::move(camera));
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The employee being entered"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->cmdAdd, &QPushButton::clicked, this, &EmployeeEntryWindow::add);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &EmployeeEntryWindow::save);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &EmployeeEntryWindow::cancel);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    m_ui->dtpHired->setDate(m_context.clock.today());
    setEntry(false);
    m_ui->cmdAdd->setFocus();
}

EmployeeEntryWindow::~EmployeeEntryWindow()
{
    disconnectChildSignals(this);
}

QList<QLineEdit*> EmployeeEntryWindow::nameBoxes() const
{
    return {m_ui->txtFName, m_ui->txtMI, m_ui->txtLName};
}

void EmployeeEntryWindow::setEntry(bool entry)
{
    // Starting, saving or cancelling an entry leaves nothing typed and unsaved.
    m_unsaved->clear();
    m_fields.setLocked(!entry);
    m_photo->setEnabled(entry);
    for (QLineEdit* box : nameBoxes())
        setTypable(box, entry);
    setTypable(m_ui->txtBasicRate, entry);
    m_ui->cmdAdd->setEnabled(!entry);
    m_ui->cmdSave->setEnabled(entry);
    m_ui->cmdCancel->setEnabled(entry);
}

bool EmployeeEntryWindow::startEntry()
{
    const auto next = EmployeeRepository(m_context.db).nextId();
    if (!next) {
        m_context.prompter.error(next.error());
        return false;
    }
    m_ui->txtIDNo->setText(QString::number(*next));
    for (QLineEdit* box : nameBoxes())
        box->clear();
    m_fields.clear();
    m_ui->txtBasicRate->setText(QStringLiteral("0"));
    m_photo->clear();
    setEntry(true);
    m_ui->txtFName->setFocus();
    return true;
}

void EmployeeEntryWindow::closeEvent(QCloseEvent* event)
{
    // However the window closes (Close, the title bar, another window's key such as F6).
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void EmployeeEntryWindow::add()
{
    // A new entry starts on today's date, hired and exempt alike; a date chosen for it is kept until it
    // is saved, and for the employees entered straight after it.
    m_ui->dtpHired->setDate(m_context.clock.today());
    m_fields.setExemptionDates(m_context.clock.today());
    startEntry();
}

void EmployeeEntryWindow::save()
{
    if (!requireFilled(m_context.prompter, m_fields.required(m_ui->txtFName), Prompter::Icon::Information,
                       QStringLiteral("Information")))
        return;
    const auto rate = Currency::parse(m_ui->txtBasicRate->text());
    if (!rate) {
        m_context.prompter.message(QStringLiteral("Please enter the basic salary rate as a number."),
                                   Prompter::Icon::Information, QStringLiteral("Information"));
        m_ui->txtBasicRate->setFocus();
        return;
    }
    Employee employee;
    QStringList parts;
    for (QLineEdit* box : nameBoxes())
        if (!box->text().trimmed().isEmpty())
            parts << box->text().trimmed();
    employee.name = parts.join(QLatin1Char(' '));
    m_fields.read(employee);
    employee.basicRate = *rate;
    employee.photo = m_ui->Text14->text().trimmed();
    if (!acceptRules(m_context.prompter, rules::check(rules::normalised(employee)),
                     m_fields.controls(m_ui->txtFName, m_ui->Text14), Prompter::Icon::Information,
                     QStringLiteral("Information")))
        return;
    const auto id = EmployeeRepository(m_context.db).insert(employee);
    if (!id) {
        m_context.prompter.error(id.error());
        return;
    }
    const QString shown = m_ui->txtIDNo->text();
    m_context.prompter.information(
        shown == QString::number(*id)
            ? QStringLiteral("Employee Record Saved Successfully")
            : QStringLiteral("Employee Record Saved Successfully as employee number %1.").arg(*id));
    emit saved(*id);
    // Straight on to the next employee, on the same hire date.
    if (!startEntry())
        setEntry(false);
}

void EmployeeEntryWindow::cancel()
{
    setEntry(false);
    m_ui->cmdAdd->setFocus();
}
