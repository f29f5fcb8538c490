#pragma once

#include <QComboBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class EmployeeListModel;
class EmployeeMatchModel;
class QCompleter;
class QModelIndex;
class Prompter;
struct AppContext;
struct Employee;

// Binds an employee-number combo box and a name combo box, as every window that chooses an
// employee has them. Both lists come from one model, read a page at a time as they are shown; the
// name box offers the names that begin with what is typed, from every employee. An employee is
// chosen by Enter in either box, by an entry of either list or of the names offered, or by leaving
// the number box with another number typed;
// choosing the employee already shown chooses it again, so the window refills everything. Each
// name entry carries its employee's number, so two employees of one name stay apart. A number that
// matches nobody gets "Invalid Employee ID Number. Please try again".
class EmployeePicker : public QObject {
    Q_OBJECT
public:
    // Kept: the window keeps the employee it shows (the operator would not lose what was typed for
    // it); the boxes show that employee again.
    enum class Outcome { Chosen, NotFound, Failed, Kept };
    // The window's part: shows the employee, gives their name and says whether there is one. On
    // Failed the window has told the operator why already.
    using Chooser = std::function<Outcome(qint64 id, QString& name)>;

    EmployeePicker(AppContext& context, QComboBox* number, QComboBox* name, Chooser chooser, QObject* parent = nullptr);

    // Reads the employee lists (again), of one group's employees when a group is given; false when
    // they could not be read (the operator was told).
    bool reload(const std::optional<QString>& group = {});
    // Shows an employee the window chose itself (a stored transaction), as if chosen here.
    void show(qint64 id, const QString& name);
    // Empties both boxes; no employee is chosen.
    void clear();
    // Before the employee is used: a number typed but not chosen yet (a shortcut pressed in the
    // number box leaves it in place) is chosen now. True when an employee is chosen.
    bool settle();
    // Puts the focus into the number box.
    void focusNumber();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool chooseNumber(const QString& typed);
    bool chooseNameEntry(int entry);
    bool chooseTypedName();
    bool chooseMatch(const QModelIndex& match);
    // An entry of a list or of the names offered: told when that employee has gone since.
    bool chooseNamed(qint64 id, const QString& name);
    void completeName(const QString& typed);
    // Before an arrow key steps from an employee shown beyond the entries read, or on the last of
    // them: the entries are read to them and on, and both lists stand on them.
    void standOnChosen();
    Outcome choose(qint64 id);
    void leaveNumber();
    void leaveName();
    // Moves the focus to what follows the number box, skipping what cannot take typing.
    void moveOn();

    AppContext& m_context;
    // The boxes may go before the picker when their window is destroyed.
    QPointer<QComboBox> m_number;
    QPointer<QComboBox> m_name;
    Chooser m_chooser;
    EmployeeListModel* m_model;
    EmployeeMatchModel* m_matches;
    QCompleter* m_completer;
    std::optional<qint64> m_chosen;
    QString m_chosenName;
    QString m_refused; // the number last found to match nobody, so leaving the box says so once
};

// A window's part of choosing an employee: reads the employee of that number into `chosen` (empty
// when there is none) and their name into `name`; a failure to read is told to the operator.
EmployeePicker::Outcome findEmployee(AppContext& context, qint64 id, std::optional<Employee>& chosen, QString& name);
// True when an employee is chosen; otherwise the operator is asked to choose one first.
bool requireEmployee(Prompter& prompter, EmployeePicker* picker, const std::optional<Employee>& chosen);
