#include "employee_fields.h"

#include "common/clock.h"
#include "data/master_repository.h"
#include "rules/record_rules.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/keyboard_rules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <array>

namespace {

void fill(QComboBox* combo, QStringList names, bool sorted)
{
    if (sorted)
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    combo->addItems(names);
    combo->setCurrentIndex(-1);
}

// An exemption's box and the date it runs from.
struct Exemption {
    QCheckBox* box;
    QDateEdit* from;
};

std::array<Exemption, 3> exemptionsOf(const EmployeeFields& f)
{
    return {{{f.pfExempt, f.pfExemptFrom}, {f.esiExempt, f.esiExemptFrom}, {f.ptExempt, f.ptExemptFrom}}};
}

// The date is chosen only while the exemption is ticked and the fields are open: a date beside an
// unticked box would look like an exemption that is not stored. The box's own state, not the
// window's, says whether the fields are open.
void followTick(const Exemption& x)
{
    x.from->setEnabled(x.box->isEnabledTo(x.box->parentWidget()) && x.box->isChecked());
}

void showExemption(const Exemption& x, const QDate& from)
{
    // The date first, so that a box ticked never shows the date of the employee shown before.
    if (from.isValid())
        x.from->setDate(from);
    x.box->setChecked(from.isValid());
}

QDate exemptFrom(const Exemption& x)
{
    return x.box->isChecked() ? x.from->date() : QDate();
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
    for (QDateEdit* date : {hired, born}) {
        EntryBehaviour::install(date, EntryBehaviour::EnterMovesOn);
        allowNoDate(date);
    }
    EntryBehaviour::install(pensionMember, EntryBehaviour::EnterMovesOn);
    showDate(born, QDate()); // nobody's date of birth is known until it is typed
    // The returns carry these numbers as digits alone; their length is the rules' to check, so that a
    // number cut short is told, not stored.
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (QLineEdit* number : {pfNumber, esiNumber}) {
        number->setValidator(new QRegularExpressionValidator(digits, number));
        EntryBehaviour::install(number, EntryBehaviour::EnterMovesOn);
    }
    payMode->clear();
    for (bank::PayMode mode : bank::payModes())
        payMode->addItem(bank::modeCaption(mode), int(mode));
    EntryBehaviour::install(payMode, EntryBehaviour::EnterMovesOn);
    static const QRegularExpression accountDigits(QStringLiteral("[0-9]*"));
    accountNumber->setValidator(new QRegularExpressionValidator(accountDigits, accountNumber));
    accountNumber->setMaxLength(bank::maxAccountDigits);
    // A branch code is typed in any case and stored in capitals; its form is the rules' to check.
    static const QRegularExpression codeCharacters(QStringLiteral("[A-Za-z0-9]*"));
    branchCode->setValidator(new QRegularExpressionValidator(codeCharacters, branchCode));
    branchCode->setMaxLength(11);
    QObject::connect(branchCode, &QLineEdit::textEdited, branchCode, [box = branchCode](const QString& text) {
        if (text != text.toUpper()) {
            const int at = box->cursorPosition();
            box->setText(text.toUpper());
            box->setCursorPosition(at);
        }
    });
    for (QLineEdit* box : {accountHolder, bankName})
        box->setMaxLength(rules::maxNameLength);
    for (QLineEdit* box : {accountHolder, accountNumber, branchCode, bankName})
        EntryBehaviour::install(box, EntryBehaviour::EnterMovesOn);
    for (const Exemption& x : exemptionsOf(*this)) {
        QObject::connect(x.box, &QCheckBox::toggled, x.from, [x] { followTick(x); });
        EntryBehaviour::install(x.box, EntryBehaviour::EnterMovesOn);
        EntryBehaviour::install(x.from, EntryBehaviour::EnterMovesOn);
        followTick(x);
    }
    setExemptionDates(context.clock.today());
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
    born->setEnabled(!locked);
    pensionMember->setEnabled(!locked);
    setTypable(pfNumber, !locked);
    setTypable(esiNumber, !locked);
    payMode->setEnabled(!locked);
    for (QLineEdit* box : {accountHolder, accountNumber, branchCode, bankName})
        setTypable(box, !locked);
    for (const Exemption& x : exemptionsOf(*this)) {
        x.box->setEnabled(!locked);
        followTick(x);
    }
}

void EmployeeFields::clear() const
{
    for (QComboBox* combo : {gender, status, department, group, employmentStatus})
        combo->setCurrentIndex(-1);
    address->clear();
    position->clear();
    pfNumber->clear();
    esiNumber->clear();
    for (const Exemption& x : exemptionsOf(*this))
        x.box->setChecked(false);
    showDate(born, QDate());
    pensionMember->setChecked(true);
    payMode->setCurrentIndex(0);
    for (QLineEdit* box : {accountHolder, accountNumber, branchCode, bankName})
        box->clear();
}

void EmployeeFields::setExemptionDates(const QDate& date) const
{
    for (const Exemption& x : exemptionsOf(*this))
        x.from->setDate(date);
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
    showDate(born, e.exemptions.birthDate);
    pensionMember->setChecked(e.exemptions.pensionMember);
    pfNumber->setText(e.pfNumber);
    esiNumber->setText(e.esiNumber);
    const auto exemptions = exemptionsOf(*this);
    showExemption(exemptions[0], e.exemptions.pfFrom);
    showExemption(exemptions[1], e.exemptions.esiFrom);
    showExemption(exemptions[2], e.exemptions.ptFrom);
    payMode->setCurrentIndex(payMode->findData(int(e.bank.mode)));
    accountHolder->setText(e.bank.holder);
    accountNumber->setText(e.bank.account);
    branchCode->setText(e.bank.branchCode);
    bankName->setText(e.bank.bankName);
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
    e.pfNumber = pfNumber->text().trimmed();
    e.esiNumber = esiNumber->text().trimmed();
    const auto exemptions = exemptionsOf(*this);
    e.exemptions = statutory::Exemptions{exemptFrom(exemptions[0]), exemptFrom(exemptions[1]),
                                         exemptFrom(exemptions[2]), dateShown(born), pensionMember->isChecked()};
    e.bank.mode = bank::PayMode(payMode->currentData().toInt());
    e.bank.holder = accountHolder->text().trimmed();
    e.bank.account = accountNumber->text().trimmed();
    e.bank.branchCode = branchCode->text().trimmed();
    e.bank.bankName = bankName->text().trimmed();
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
            {QStringLiteral("grp"), group},            {QStringLiteral("pfno"), pfNumber},
            {QStringLiteral("esino"), esiNumber},      {QStringLiteral("pfexfrom"), pfExemptFrom},
            {QStringLiteral("esiexfrom"), esiExemptFrom}, {QStringLiteral("ptexfrom"), ptExemptFrom},
            {QStringLiteral("paymode"), payMode},      {QStringLiteral("acholder"), accountHolder},
            {QStringLiteral("acno"), accountNumber},   {QStringLiteral("ifsc"), branchCode},
            {QStringLiteral("bankname"), bankName},    {QStringLiteral("birthdate"), born},
            {QStringLiteral("penmember"), pensionMember}};
}
