#include "employee_fields.h"

#include "data/master_repository.h"
#include "rules/record_rules.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/keyboard_rules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

void fill(QComboBox* combo, QStringList names, bool sorted)
{
    if (sorted)
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    combo->addItems(names);
    combo->setCurrentIndex(-1);
}

} // namespace

void EmployeeFields::setUp(AppContext& context, bool sorted) const
{
    fill(department, MasterRepository(context.db, MasterRepository::Kind::Department).names(), sorted);
    fill(group, MasterRepository(context.db, MasterRepository::Kind::Group).names(), sorted);
    for (QComboBox* combo : {gender, status, department, group, employmentStatus}) {
        combo->setCurrentIndex(-1);
        // What is typed stays where it is typed, and the list keeps its order.
        combo->setInsertPolicy(QComboBox::NoInsert);
        EntryBehaviour::install(combo, EntryBehaviour::EnterMovesOn);
    }
    EntryBehaviour::install(position, EntryBehaviour::EnterMovesOn);
    position->setMaxLength(rules::maxShortLength);
    EntryBehaviour::install(address, EntryBehaviour::EnterMovesOn);
    EntryBehaviour::install(hired, EntryBehaviour::EnterMovesOn);
    allowNoDate(hired);
}

void setTypable(QWidget* box, bool typable)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setReadOnly(!typable);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(box))
        text->setReadOnly(!typable);
    // The keyboard rules give the box the look and the Tab order of its state.
}

void EmployeeFields::setLocked(bool locked) const
{
    setTypable(address, !locked);
    setTypable(position, !locked);
    for (QComboBox* combo : {gender, status, department, group, employmentStatus})
        combo->setEnabled(!locked);
    hired->setEnabled(!locked);
}

void EmployeeFields::clear() const
{
    for (QComboBox* combo : {gender, status, department, group, employmentStatus})
        combo->setCurrentIndex(-1);
    address->clear();
    position->clear();
}

void EmployeeFields::show(const Employee& e) const
{
    showInList(gender, e.gender);
    showInList(status, e.civilStatus);
    address->setPlainText(e.address);
    showInList(department, e.department);
    showInList(group, e.group);
    position->setText(e.position);
    showInList(employmentStatus, e.employmentStatus);
    // An employee with no hire date shows none, not the date of the one shown before.
    showDate(hired, e.dateEmployed);
}

void EmployeeFields::read(Employee& e) const
{
    e.gender = gender->currentText().trimmed();
    e.civilStatus = status->currentText().trimmed();
    e.address = address->toPlainText().trimmed();
    e.department = department->currentText().trimmed();
    e.group = group->currentText().trimmed();
    e.position = position->text().trimmed();
    e.employmentStatus = employmentStatus->currentText().trimmed();
    e.dateEmployed = dateShown(hired);
}

QList<RequiredField> EmployeeFields::required(QWidget* nameBox) const
{
    return {
        {nameBox, QStringLiteral("Please enter First Name.")},
        {gender, QStringLiteral("Please Select Gender.")},
        {status, QStringLiteral("Please Select Status.")},
        {address, QStringLiteral("Please enter Employee's Address.")},
        {position, QStringLiteral("Please enter Employee's Position.")},
        {employmentStatus, QStringLiteral("Please Select Employee's Status.")},
        {basicRate, QStringLiteral("Please enter Employee's Basic Salary Rate.")},
    };
}

QHash<QString, QWidget*> EmployeeFields::controls(QWidget* nameBox, QWidget* photoBox) const
{
    return {{QStringLiteral("emname"), nameBox},       {QStringLiteral("gender"), gender},
            {QStringLiteral("status"), status},        {QStringLiteral("address"), address},
            {QStringLiteral("dept"), department},      {QStringLiteral("pos"), position},
            {QStringLiteral("empstat"), employmentStatus}, {QStringLiteral("basicrate"), basicRate},
            {QStringLiteral("dateemployed"), hired},   {QStringLiteral("empphoto"), photoBox},
            {QStringLiteral("grp"), group}};
}
