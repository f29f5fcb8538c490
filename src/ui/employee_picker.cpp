#include "employee_picker.h"

#include "data/employee_repository.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/keyboard_rules.h"
#include "ui/prompter.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QRegularExpressionValidator>

#include <algorithm>

// The employees by number (column 0 the number, column 1 the name; both carry the number as user
// data), read a page at a time as the lists show them: a company of fifty thousand employees opens
// its windows as soon as one of fifty.
class EmployeeListModel final : public QAbstractTableModel {
public:
    static constexpr int pageSize = 200;

    EmployeeListModel(const Database& database, std::function<void(const QString&)> failed, QObject* parent)
        : QAbstractTableModel(parent), m_db(database), m_failed(std::move(failed))
    {
    }

    // The first page again, of one group's employees when a group is given.
    bool restart(const std::optional<QString>& group)
    {
        beginResetModel();
        m_group = group;
        m_employees.clear();
        m_more = true;
        endResetModel();
        return fetchPage();
    }
    bool fetchPage()
    {
        if (!m_more)
            return true;
        const auto page =
            EmployeeRepository(m_db).namesAfter(m_employees.isEmpty() ? 0 : m_employees.constLast().id, pageSize, m_group);
        if (!page) {
            m_more = false; // told once, not on every scroll
            m_failed(page.error());
            return false;
        }
        m_more = page->size() == pageSize;
        if (!page->isEmpty()) {
            beginInsertRows({}, int(m_employees.size()), int(m_employees.size() + page->size() - 1));
            m_employees += *page;
            endInsertRows();
        }
        return true;
    }
    // Reads pages until they reach that number (or the last employee).
    void readTo(qint64 id)
    {
        while (!reaches(id) && fetchPage()) {
        }
    }
    const std::optional<QString>& group() const { return m_group; }
    qint64 idAt(int row) const { return m_employees.at(row).id; }
    const QString& nameAt(int row) const { return m_employees.at(row).name; }
    // The row of a number among those read, found by halving; -1 when it is not among them.
    int rowOf(qint64 id) const
    {
        const auto at = std::lower_bound(m_employees.cbegin(), m_employees.cend(), id,
                                         [](const EmployeeName& e, qint64 wanted) { return e.id < wanted; });
        return at != m_employees.cend() && at->id == id ? int(at - m_employees.cbegin()) : -1;
    }
    // Whether the pages read reach that number: a number below the last one read and not among
    // them was added since.
    bool reaches(qint64 id) const { return !m_more || (!m_employees.isEmpty() && id <= m_employees.constLast().id); }
    bool canFetchMore(const QModelIndex& parent) const override { return !parent.isValid() && m_more; }
    void fetchMore(const QModelIndex& parent) override
    {
        if (!parent.isValid())
            fetchPage();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_employees.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_employees.size())
            return {};
        const EmployeeName& e = m_employees.at(index.row());
        if (role == Qt::UserRole)
            return e.id;
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return index.column() == 0 ? QVariant(QString::number(e.id)) : QVariant(e.name);
        return {};
    }

private:
    const Database& m_db;
    std::function<void(const QString&)> m_failed;
    std::optional<QString> m_group;
    QList<EmployeeName> m_employees;
    bool m_more = false;
};

// The names that begin with what is typed in the name box, each with its number: twins show apart.
class EmployeeMatchModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setMatches(QList<EmployeeName> matches)
    {
        beginResetModel();
        m_matches = std::move(matches);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_matches.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_matches.size())
            return {};
        const EmployeeName& e = m_matches.at(index.row());
        if (role == Qt::UserRole)
            return e.id;
        if (role == Qt::EditRole)
            return e.name;
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1   %2").arg(e.name).arg(e.id);
        return {};
    }

private:
    QList<EmployeeName> m_matches;
};

namespace {

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Thousands of entries: the lists are measured by their first rows, not by every one.
void prepareList(QComboBox* box, EmployeeListModel* model, int column)
{
    box->setModel(model);
    box->setModelColumn(column);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(box->view()))
        list->setUniformItemSizes(true);
}

} // namespace

EmployeePicker::EmployeePicker(AppContext& context, QComboBox* number, QComboBox* name, Chooser chooser,
                               QObject* parent)
    : QObject(parent), m_context(context), m_number(number), m_name(name), m_chooser(std::move(chooser)),
      m_model(new EmployeeListModel(
          context.db, [&context](const QString& why) { context.prompter.error(why); }, this)),
      m_matches(new EmployeeMatchModel(this)), m_completer(new QCompleter(m_matches, this))
{
    prepareList(m_number, m_model, 0);
    prepareList(m_name, m_model, 1);
    // "7" means employee 7: no completion may turn it into 70.
    m_number->setCompleter(nullptr);
    // A name is completed from every employee, not only from the part of the list read so far: the
    // names that begin with what is typed are asked for as it is typed.
    m_name->setCompleter(nullptr);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setWidget(m_name->lineEdit());
    m_completer->popup()->installEventFilter(this);
    connect(m_name->lineEdit(), &QLineEdit::textEdited, this, &EmployeePicker::completeName);
    connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& match) { chooseMatch(match); });
    // An arrow key stepping past the last entry read reads the next page.
    for (QComboBox* box : {number, name})
        connect(box, &QComboBox::currentIndexChanged, this, [this](int entry) {
            if (entry >= m_model->rowCount() - 1 && m_model->canFetchMore({}))
                m_model->fetchMore({});
        });
    m_number->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,15}")), m_number));
    EntryBehaviour::install(m_number, EntryBehaviour::SelectAllOnFocus);
    for (QComboBox* box : {number, name}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    // An entry picked from a list, or stepped to with the arrow keys.
    connect(m_number, &QComboBox::activated, this, [this](int entry) { chooseNumber(m_number->itemText(entry)); });
    connect(m_name, &QComboBox::activated, this, &EmployeePicker::chooseNameEntry);
    connect(m_number->lineEdit(), &QLineEdit::editingFinished, this, &EmployeePicker::leaveNumber);
    connect(m_name->lineEdit(), &QLineEdit::editingFinished, this, &EmployeePicker::leaveName);
}

bool EmployeePicker::reload(const std::optional<QString>& group)
{
    const bool read = m_model->restart(group);
    clear();
    return read;
}

void EmployeePicker::show(qint64 id, const QString& name)
{
    m_chosen = id;
    m_chosenName = name;
    QSignalBlocker a(m_number);
    QSignalBlocker b(m_name);
    // Both lists stand on the employee's entry, so that Enter in the name box keeps this one of twins.
    const int entry = m_model->rowOf(id);
    m_number->setCurrentIndex(entry);
    m_name->setCurrentIndex(entry);
    m_number->setEditText(QString::number(id));
    m_name->setEditText(name);
}

void EmployeePicker::clear()
{
    m_chosen.reset();
    m_chosenName.clear();
    QSignalBlocker a(m_number);
    QSignalBlocker b(m_name);
    m_number->setCurrentIndex(-1);
    m_name->setCurrentIndex(-1);
    m_number->setEditText(QString());
    m_name->setEditText(QString());
}

bool EmployeePicker::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys concern the picker. The boxes get other events while they are destroyed, when they
    // are no longer combo boxes: they are not looked at then.
    if (event->type() != QEvent::KeyPress || m_number.isNull() || m_name.isNull())
        return false;
    QAbstractItemView* offered = m_completer->popup();
    if (event->type() == QEvent::KeyPress && watched == offered) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        // Tab leaves the box: a name offered and stepped to is chosen (by the completer); with none,
        // the box goes back to the employee shown, as when it is left with a name that is no one's.
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !offered->currentIndex().isValid()) {
            offered->hide();
            leaveName();
        }
    }
    if (event->type() == QEvent::KeyPress && watched != offered) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        // An arrow key steps from the employee shown, even one beyond the entries read so far or
        // on the last of them.
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && m_chosen) {
            const int entry = m_model->rowOf(*m_chosen);
            if (entry < 0 || entry == m_model->rowCount() - 1)
                standOnChosen();
        }
    }
    if (!isEnter(event))
        return false;
    if (watched == offered) {
        // Enter chooses the name stepped to, else the first offered: the typed name's own employee
        // (the last of that name) when it is a whole name, else the first that begins with it.
        const QModelIndex match =
            offered->currentIndex().isValid() ? offered->currentIndex() : offered->model()->index(0, 0);
        offered->hide();
        if (match.isValid() ? chooseMatch(match) : chooseTypedName())
            moveOn();
        return true;
    }
    m_completer->popup()->hide();
    // Nothing typed, nothing to choose: Enter moves on, as in every other box.
    QComboBox* box = (watched == m_number || watched == m_number->lineEdit()) ? m_number.data() : m_name.data();
    if (box->currentText().trimmed().isEmpty()) {
        moveFocusOn(box);
        return true;
    }
    const bool chosen = (watched == m_number || watched == m_number->lineEdit()) ? chooseNumber(m_number->currentText())
                                                                                 : chooseTypedName();
    if (chosen)
        moveOn();
    return true; // Enter never reaches the box: the box would complete or pick an entry of its own
}

bool EmployeePicker::chooseNumber(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return false;
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    const Outcome outcome = ok ? choose(id) : Outcome::NotFound;
    m_refused = outcome == Outcome::NotFound ? text : QString();
    if (outcome == Outcome::NotFound) {
        // The window has put the last employee away; the operator tries another number.
        m_context.prompter.information(QStringLiteral("Invalid Employee ID Number. Please try again"),
                                       QStringLiteral("Information"));
        QSignalBlocker block(m_number);
        m_number->setEditText(text);
        m_number->setFocus();
        m_number->lineEdit()->selectAll();
    }
    return outcome == Outcome::Chosen;
}

bool EmployeePicker::chooseNameEntry(int entry)
{
    if (entry < 0 || entry >= m_model->rowCount())
        return false;
    return chooseNamed(m_model->idAt(entry), m_model->nameAt(entry));
}

bool EmployeePicker::chooseNamed(qint64 id, const QString& name)
{
    const Outcome outcome = choose(id);
    if (outcome == Outcome::NotFound)
        m_context.prompter.information(QStringLiteral("%1 is no longer an employee.").arg(name),
                                       QStringLiteral("Information"));
    return outcome == Outcome::Chosen;
}

bool EmployeePicker::chooseTypedName()
{
    const QString typed = m_name->currentText().trimmed();
    if (typed.isEmpty())
        return false;
    // The entry picked in the list when it is that name; the employee shown when it is theirs (one
    // of twins stays chosen); else the last employee of that name.
    const int current = m_name->currentIndex();
    if (current >= 0 && m_name->itemText(current).compare(typed, Qt::CaseInsensitive) == 0)
        return chooseNameEntry(current);
    if (m_chosen && m_chosenName.compare(typed, Qt::CaseInsensitive) == 0)
        return choose(*m_chosen) == Outcome::Chosen;
    const auto named = EmployeeRepository(m_context.db).lastNamed(typed, m_model->group());
    if (!named) {
        m_context.prompter.error(named.error());
        return false;
    }
    if (!*named) {
        m_context.prompter.information(QStringLiteral("There is no employee named %1.").arg(typed),
                                       QStringLiteral("Information"));
        return false;
    }
    return choose(**named) == Outcome::Chosen;
}

bool EmployeePicker::chooseMatch(const QModelIndex& match)
{
    return chooseNamed(match.data(Qt::UserRole).toLongLong(), match.data(Qt::EditRole).toString());
}

void EmployeePicker::completeName(const QString& typed)
{
    const QString prefix = typed.trimmed();
    const auto matches = prefix.isEmpty() ? Result<QList<EmployeeName>>(QList<EmployeeName>{})
                                          : EmployeeRepository(m_context.db).namesStarting(prefix, 50, m_model->group());
    m_matches->setMatches(matches ? *matches : QList<EmployeeName>{});
    if (m_matches->rowCount() == 0) {
        m_completer->popup()->hide();
        return;
    }
    // Wide enough for the name and its number, however narrow the box.
    QAbstractItemView* list = m_completer->popup();
    QRect under = m_name->lineEdit()->rect();
    under.setWidth(std::max(under.width(), list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width() +
                                               2 * list->frameWidth()));
    m_completer->complete(under);
}

EmployeePicker::Outcome EmployeePicker::choose(qint64 id)
{
    QString name;
    const Outcome outcome = m_chooser(id, name);
    if (outcome == Outcome::Kept) {
        if (m_chosen)
            show(*m_chosen, m_chosenName);
        else
            clear();
        return outcome;
    }
    if (outcome != Outcome::Chosen) {
        clear();
        return outcome;
    }
    // An employee added since the lists were read, among those read, joins them now.
    if (m_model->rowOf(id) < 0 && m_model->reaches(id)) {
        const qint64 last = m_model->rowCount() > 0 ? m_model->idAt(m_model->rowCount() - 1) : 0;
        if (m_model->restart(m_model->group()))
            m_model->readTo(last);
    }
    const int entry = m_model->rowOf(id);
    show(id, entry >= 0 ? m_model->nameAt(entry) : name);
    return outcome;
}

void EmployeePicker::standOnChosen()
{
    m_model->readTo(*m_chosen);
    if (m_model->rowOf(*m_chosen) == m_model->rowCount() - 1)
        m_model->fetchPage();
    const int entry = m_model->rowOf(*m_chosen);
    QSignalBlocker a(m_number);
    QSignalBlocker b(m_name);
    m_number->setCurrentIndex(entry);
    m_name->setCurrentIndex(entry);
}

void EmployeePicker::focusNumber()
{
    if (m_number)
        m_number->setFocus();
}

bool EmployeePicker::settle()
{
    // Unlike leaving the box, this tells again of a number that matches nobody: the operator is
    // about to use it.
    const QString typed = m_number->currentText().trimmed();
    if (!typed.isEmpty() && (!m_chosen || QString::number(*m_chosen) != typed))
        chooseNumber(typed);
    return m_chosen.has_value();
}

void EmployeePicker::leaveNumber()
{
    if (!m_number)
        return;
    const QString typed = m_number->currentText().trimmed();
    // A number typed but not chosen is checked as the box is left, so a wrong one never stands.
    if (!typed.isEmpty() && typed != m_refused && (!m_chosen || QString::number(*m_chosen) != typed))
        chooseNumber(typed);
}

void EmployeePicker::leaveName()
{
    // The names offered take the focus while the operator is still typing in the box.
    if (!m_name || m_completer->popup()->isVisible())
        return;
    // A name typed that is no entry's goes back to the chosen employee's. (A name that is an entry's
    // was chosen as the box was left, by the box itself.)
    if (m_name->currentText() != m_chosenName) {
        QSignalBlocker block(m_name);
        m_name->setEditText(m_chosenName);
    }
}

void EmployeePicker::moveOn()
{
    moveFocusOn(m_number);
}

EmployeePicker::Outcome findEmployee(AppContext& context, qint64 id, std::optional<Employee>& chosen, QString& name)
{
    const auto found = EmployeeRepository(context.db).find(id);
    chosen = found ? *found : std::nullopt;
    if (chosen)
        name = chosen->name;
    if (!found)
        context.prompter.error(found.error());
    return chosen  ? EmployeePicker::Outcome::Chosen
           : found ? EmployeePicker::Outcome::NotFound
                   : EmployeePicker::Outcome::Failed;
}

bool requireEmployee(Prompter& prompter, EmployeePicker* picker, const std::optional<Employee>& chosen)
{
    if (picker->settle() && chosen)
        return true;
    prompter.warning(QStringLiteral("Please choose the employee first."));
    picker->focusNumber();
    return false;
}
