#pragma once

#include "data/employee_repository.h"
#include "ui/required_fields.h"

#include <QDate>
#include <QHash>
#include <QList>

struct AppContext;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Makes a box read-only or typable, and grey or white to match: the look follows the read-only flag
// only when the box is styled again.
void setTypable(QWidget* box, bool typable);

// The fields both employee windows have, from gender to the hire date and the statutory details; the
// name boxes, the ID and the photograph are each window's own.
struct EmployeeFields {
    QComboBox* gender;
    QComboBox* status;
    QPlainTextEdit* address;
    QComboBox* department;
    QComboBox* group;
    QLineEdit* position;
    QComboBox* employmentStatus;
    QLineEdit* basicRate;
    QDateEdit* hired;
    QLineEdit* pfNumber;  // the provident fund's account number (UAN)
    QLineEdit* esiNumber; // the insurance number
    // Each exemption: ticked, the employee is exempt from the date beside it on.
    QCheckBox* pfExempt;
    QDateEdit* pfExemptFrom;
    QCheckBox* esiExempt;
    QDateEdit* esiExemptFrom;
    QCheckBox* ptExempt;
    QDateEdit* ptExemptFrom;
    QDateEdit* born;         // the date of birth: none shown when not known
    QCheckBox* pensionMember; // the pension scheme, which the fund's member leaves at 58
    // How the employee is paid and, for a bank transfer, where to.
    QComboBox* payMode;
    QLineEdit* accountHolder;
    QLineEdit* accountNumber;
    QLineEdit* branchCode;
    QLineEdit* bankName;

    // The fields of a window's form, whose controls both employee windows name alike.
    template <typename Form>
    static EmployeeFields of(Form& ui)
    {
        return {ui.cboGender,    ui.cboStat,      ui.txtAddress,   ui.Combo1,       ui.Combo2,
                ui.txtPosition,  ui.cboEmpStat,   ui.txtBasicRate, ui.dtpHired,     ui.txtPFNo,
                ui.txtESINo,     ui.chkPFExempt,  ui.dtpPFExempt,  ui.chkESIExempt, ui.dtpESIExempt,
                ui.chkPTExempt,  ui.dtpPTExempt,  ui.dtpBirth,     ui.chkPension,   ui.cboPayMode,   ui.txtAccountHolder, ui.txtAccountNo,
                ui.txtBranchCode, ui.txtBankName};
    }

    // Fills the department and group lists from their masters (sorted when asked) and installs the
    // entry habits: lists that open on focus, Enter that moves on; the numbers take digits only.
    void setUp(AppContext& context, bool sorted) const;
    // Read-only and grey, or open for typing (the basic rate stays as its window set it up). An
    // exemption's date is open only while its box is ticked.
    void setLocked(bool locked) const;
    // Empties every field and unticks the exemptions (their dates stay, for the next one ticked).
    void clear() const;
    // Where an exemption's date starts when its box is ticked.
    void setExemptionDates(const QDate& date) const;
    // An exemption not held is unticked and its date left where it was.
    void show(const Employee& employee) const;
    // Copies the fields into the employee; the name, ID, basic rate and photograph are left to the caller.
    // An exemption unticked is none, whatever its date box shows.
    void read(Employee& employee) const;
    // The checks of a save, in the order the operator meets them, the name box first.
    QList<RequiredField> required(QWidget* nameBox) const;
    // The control of each stored column, for the rules' verdicts.
    QHash<QString, QWidget*> controls(QWidget* nameBox, QWidget* photoBox) const;
};
