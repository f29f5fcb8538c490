#include "statutory_window.h"

#include "ui_statutory_window.h"

#include "common/clock.h"
#include "common/currency.h"
#include "common/dates.h"
#include "data/session.h"
#include "data/statutory_repository.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/window_lifetime.h"

#include <QHash>
#include <QHeaderView>
#include <QStringList>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int fromRole = Qt::UserRole;
// Room for the slabs of any state's table without scrolling; blank rows are left out.
constexpr int slabRows = 8;

// One amount box: the stored column a verdict of the rules names, what a message calls it and the
// value of the rules it shows.
struct AmountBox {
    QLineEdit* box;
    QString field;
    QString caption;
    Currency statutory::Rules::*value;
};

QList<AmountBox> amountBoxes(const Ui::StatutoryWindow& ui)
{
    using statutory::Rules;
    return {
        {ui.txtPFRate, QStringLiteral("pfrate"), QStringLiteral("provident fund rate"), &Rules::pfRate},
        {ui.txtPFCeiling, QStringLiteral("pfceil"), QStringLiteral("provident fund wage ceiling"), &Rules::pfCeiling},
        {ui.txtPensionRate, QStringLiteral("penrate"), QStringLiteral("pension rate"), &Rules::pensionRate},
        {ui.txtPensionCap, QStringLiteral("pencap"), QStringLiteral("largest pension contribution"),
         &Rules::pensionCap},
        {ui.txtESILimit, QStringLiteral("esilimit"), QStringLiteral("insurance wage limit"), &Rules::esiLimit},
        {ui.txtESIRate, QStringLiteral("esirate"), QStringLiteral("employee's insurance rate"),
         &Rules::esiEmployeeRate},
        {ui.txtESIEmployerRate, QStringLiteral("esierrate"), QStringLiteral("employer's insurance rate"),
         &Rules::esiEmployerRate},
    };
}

// A box of the heads of pay a deduction counts, the column it is stored in, and the rules' member.
struct HeadBox {
    QLineEdit* box;
    QString field;
    QString caption;
    int statutory::Rules::*value;
};

QList<HeadBox> headBoxes(const Ui::StatutoryWindow& ui)
{
    using statutory::Rules;
    return {
        {ui.txtPFHeads, QStringLiteral("pfheads"), QStringLiteral("provident fund's wages"), &Rules::pfHeads},
        {ui.txtESIHeads, QStringLiteral("esiheads"), QStringLiteral("insurance's wages"), &Rules::esiHeads},
        {ui.txtESICover, QStringLiteral("esicover"), QStringLiteral("insurance's coverage"), &Rules::esiCoverHeads},
        {ui.txtPTHeads, QStringLiteral("ptheads"), QStringLiteral("professional tax's slab"), &Rules::ptHeads},
    };
}

// "April 2026": a set holds from a month, never from a day within it.
QString monthText(QDate month)
{
    return dates::monthName(month) + u' ' + QString::number(month.year());
}

QString deductionsText(const statutory::Rules& rules)
{
    QStringList on;
    if (rules.pfOn)
        on << QStringLiteral("PF");
    if (rules.esiOn)
        on << QStringLiteral("ESI");
    if (rules.ptOn)
        on << QStringLiteral("PT");
    return on.isEmpty() ? QStringLiteral("none") : on.join(QStringLiteral(", "));
}

QString cellText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

void showSlabs(QTableWidget* table, const QList<statutory::Slab>& slabs)
{
    table->clearContents();
    // Always a blank row left to add a slab in.
    table->setRowCount(std::max(slabRows, int(slabs.size()) + 1));
    for (int row = 0; row < slabs.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(slabs.at(row).from.toString()));
        table->setItem(row, 1, new QTableWidgetItem(slabs.at(row).tax.toString()));
    }
}

// A slab's cells take what amount boxes take, typed or pasted.
class AmountDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        EntryBehaviour::install(editor, EntryBehaviour::AmountKeys);
        return editor;
    }
};

} // namespace

StatutoryWindow::StatutoryWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StatutoryWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    for (statutory::Divisor divisor :
         {statutory::Divisor::Calendar, statutory::Divisor::Thirty, statutory::Divisor::TwentySix})
        m_ui->cboDivisor->addItem(statutory::divisorCaption(divisor), int(divisor));

    m_deductions = {
        {m_ui->chkPF,
         {m_ui->lblPFRate, m_ui->txtPFRate, m_ui->lblPFCeiling, m_ui->txtPFCeiling, m_ui->chkPFFull,
          m_ui->lblPensionRate, m_ui->txtPensionRate, m_ui->lblPensionCap, m_ui->txtPensionCap, m_ui->lblPFHeads,
          m_ui->txtPFHeads}},
        {m_ui->chkESI,
         {m_ui->lblESILimit, m_ui->txtESILimit, m_ui->lblESIRate, m_ui->txtESIRate, m_ui->lblESIEmployerRate,
          m_ui->txtESIEmployerRate, m_ui->lblESIHeads, m_ui->txtESIHeads, m_ui->lblESICover, m_ui->txtESICover}},
        {m_ui->chkPT, {m_ui->lblSlabs, m_ui->tblSlabs, m_ui->lblPTHeads, m_ui->txtPTHeads}},
    };
    // A deduction's figures are kept while it is off, but are not the operator's business until it is on.
    for (const auto& [tick, boxes] : m_deductions) {
        const QList<QWidget*> opened = boxes;
        connect(tick, &QCheckBox::toggled, this, [opened](bool on) {
            for (QWidget* box : opened)
                box->setEnabled(on);
        });
        for (QWidget* box : opened)
            box->setEnabled(tick->isChecked());
    }

    for (const AmountBox& amount : amountBoxes(*m_ui))
        EntryBehaviour::install(amount.box, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                                EntryBehaviour::SelectAllOnFocus);
    for (const HeadBox& heads : headBoxes(*m_ui))
        EntryBehaviour::install(heads.box, EntryBehaviour::EnterMovesOn | EntryBehaviour::SelectAllOnFocus);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->cboDivisor, m_ui->chkPF, m_ui->chkPFFull, m_ui->chkESI, m_ui->chkPT})
        EntryBehaviour::install(control, EntryBehaviour::EnterMovesOn);
    m_ui->tblSlabs->setItemDelegate(new AmountDelegate(m_ui->tblSlabs));
    m_ui->tblSlabs->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->lvwRules, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { showSet(current); });
    // Clicking the chosen set again brings back its stored figures after they were edited.
    connect(m_ui->lvwRules, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { showSet(item); });
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &StatutoryWindow::save);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &StatutoryWindow::removeSet);
    connect(m_ui->cmdDefaults, &QPushButton::clicked, this, &StatutoryWindow::fillDefaults);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // Only an administrator changes the rules; the menu offers the window to no one else.
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->cmdSave, m_ui->cmdDelete, m_ui->cmdDefaults})
        w->setEnabled(!m_context.session.isRestricted());

    // A new set usually starts from this month, from the rules in force now.
    const QDate thisMonth = dates::firstOfMonth(m_context.clock.today());
    loadSets();
    statutory::Rules current = m_book.on(thisMonth);
    current.from = thisMonth;
    showRules(current);
    m_ui->dtpFrom->setFocus();
}

StatutoryWindow::~StatutoryWindow()
{
    disconnectChildSignals(this);
}

bool StatutoryWindow::loadSets()
{
    QTreeWidget* list = m_ui->lvwRules;
    list->clear();
    m_book = {};
    const auto book = StatutoryRepository(m_context.db).book(m_context.session.company);
    if (!book) {
        m_context.prompter.error(book.error());
        return false;
    }
    m_book = *book;
    for (const statutory::Rules& rules : m_book.dated()) {
        auto* item = new QTreeWidgetItem(
            list, {monthText(rules.from), statutory::divisorCaption(rules.divisor), deductionsText(rules)});
        item->setData(0, fromRole, rules.from);
    }
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
    return true;
}

void StatutoryWindow::selectSet(QDate from)
{
    for (int i = 0; i < m_ui->lvwRules->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_ui->lvwRules->topLevelItem(i);
        if (item->data(0, fromRole).toDate() == from) {
            m_ui->lvwRules->setCurrentItem(item);
            return;
        }
    }
}

void StatutoryWindow::showSet(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QDate from = item->data(0, fromRole).toDate();
    for (const statutory::Rules& rules : m_book.dated())
        if (rules.from == from)
            showRules(rules);
}

void StatutoryWindow::showRules(const statutory::Rules& rules)
{
    m_ui->dtpFrom->setDate(rules.from);
    m_ui->cboDivisor->setCurrentIndex(m_ui->cboDivisor->findData(int(rules.divisor)));
    m_ui->chkPF->setChecked(rules.pfOn);
    m_ui->chkPFFull->setChecked(rules.pfOnFullWages);
    m_ui->chkESI->setChecked(rules.esiOn);
    m_ui->chkPT->setChecked(rules.ptOn);
    for (const AmountBox& amount : amountBoxes(*m_ui))
        amount.box->setText((rules.*amount.value).toString());
    for (const HeadBox& heads : headBoxes(*m_ui))
        heads.box->setText(statutory::headsText(rules.*heads.value));
    showSlabs(m_ui->tblSlabs, rules.ptSlabs);
}

void StatutoryWindow::fillDefaults()
{
    // The month, the divisor and which deductions are on are the operator's choice; the defaults
    // are the figures the law names for each deduction.
    const statutory::Rules defaults{};
    m_ui->chkPFFull->setChecked(defaults.pfOnFullWages);
    for (const AmountBox& amount : amountBoxes(*m_ui))
        amount.box->setText((defaults.*amount.value).toString());
    for (const HeadBox& heads : headBoxes(*m_ui))
        heads.box->setText(statutory::headsText(defaults.*heads.value));
    showSlabs(m_ui->tblSlabs, defaults.ptSlabs);
}

QWidget* StatutoryWindow::focusTarget(QWidget* box) const
{
    if (box->isEnabled())
        return box;
    for (const auto& [tick, boxes] : m_deductions)
        if (boxes.contains(box))
            return tick;
    return box;
}

void StatutoryWindow::focusOn(QWidget* box)
{
    QWidget* target = focusTarget(box);
    target->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        edit->selectAll();
}

std::optional<statutory::Rules> StatutoryWindow::rulesEntered()
{
    statutory::Rules rules;
    rules.company = m_context.session.company;
    rules.from = dates::firstOfMonth(m_ui->dtpFrom->date());
    rules.divisor = statutory::divisorFromStored(m_ui->cboDivisor->currentData().toLongLong())
                        .value_or(statutory::Divisor::Calendar);
    rules.pfOn = m_ui->chkPF->isChecked();
    rules.pfOnFullWages = m_ui->chkPFFull->isChecked();
    rules.esiOn = m_ui->chkESI->isChecked();
    rules.ptOn = m_ui->chkPT->isChecked();
    for (const AmountBox& amount : amountBoxes(*m_ui)) {
        const auto value = Currency::parse(amount.box->text());
        if (!value) {
            m_context.prompter.warning(QStringLiteral("The %1 is not a number.").arg(amount.caption));
            focusOn(amount.box);
            return std::nullopt;
        }
        rules.*amount.value = *value;
    }
    for (const HeadBox& heads : headBoxes(*m_ui)) {
        const auto value = statutory::parseHeads(heads.box->text());
        if (!value) {
            m_context.prompter.warning(QStringLiteral("The %1 counts heads of pay among basic, bonus, overtime and "
                                                      "travel, written with spaces between them.")
                                           .arg(heads.caption));
            focusOn(heads.box);
            return std::nullopt;
        }
        rules.*heads.value = *value;
    }
    rules.ptSlabs.clear();
    QTableWidget* table = m_ui->tblSlabs;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString from = cellText(table, row, 0);
        const QString tax = cellText(table, row, 1);
        if (from.isEmpty() && tax.isEmpty())
            continue;
        const auto fromValue = Currency::parse(from);
        const auto taxValue = Currency::parse(tax);
        if (!fromValue || !taxValue) {
            m_context.prompter.warning((fromValue ? QStringLiteral("The tax of slab %1 is not a number.")
                                                  : QStringLiteral("The gross wages of slab %1 are not a number."))
                                           .arg(row + 1));
            table->setCurrentCell(row, fromValue ? 1 : 0);
            focusOn(table);
            return std::nullopt;
        }
        rules.ptSlabs << statutory::Slab{*fromValue, *taxValue};
    }
    return rules;
}

void StatutoryWindow::save()
{
    const auto rules = rulesEntered();
    if (!rules)
        return;
    QHash<QString, QWidget*> controls{{QStringLiteral("fromdt"), m_ui->dtpFrom},
                                      {QStringLiteral("ptslabs"), focusTarget(m_ui->tblSlabs)}};
    for (const AmountBox& amount : amountBoxes(*m_ui))
        controls.insert(amount.field, focusTarget(amount.box));
    for (const HeadBox& heads : headBoxes(*m_ui))
        controls.insert(heads.field, focusTarget(heads.box));
    if (!acceptRules(m_context.prompter, statutory::check(statutory::normalised(*rules)), controls))
        return;

    const QString company = rules->company;
    const QString month = monthText(rules->from);
    StatutoryRepository repository(m_context.db);
    // Sets that cannot be read are put right by saving them again, as the refusal to read them
    // says; only a set known to exist calls for the question.
    if (const auto stored = repository.book(company)) {
        const QList<statutory::Rules>& dated = stored->dated();
        const bool exists = std::any_of(dated.begin(), dated.end(),
                                        [&](const statutory::Rules& set) { return set.from == rules->from; });
        if (exists &&
            !m_context.prompter.question(QStringLiteral("Rules from %1 exist already. Replace them?").arg(month)))
            return;
    }
    if (Status saved = repository.save(*rules); !saved) {
        m_context.prompter.error(saved.error());
        return;
    }
    m_context.prompter.information(QStringLiteral("The statutory rules of %1 from %2 are saved.").arg(company, month));
    if (loadSets())
        selectSet(rules->from);
}

void StatutoryWindow::removeSet()
{
    QTreeWidgetItem* item = m_ui->lvwRules->currentItem();
    if (!item) {
        m_context.prompter.information(QStringLiteral("Choose the set of rules to delete."));
        m_ui->lvwRules->setFocus();
        return;
    }
    const QDate from = item->data(0, fromRole).toDate();
    const QString company = m_context.session.company;
    if (!m_context.prompter.question(
            QStringLiteral("Delete the statutory rules of %1 from %2?").arg(company, monthText(from))))
        return;
    if (Status removed = StatutoryRepository(m_context.db).remove(company, from); !removed) {
        m_context.prompter.error(removed.error());
        return;
    }
    m_context.prompter.information(
        QStringLiteral("The statutory rules of %1 from %2 are deleted.").arg(company, monthText(from)));
    loadSets();
}
