#include "bank_settings_window.h"

#include "ui_bank_settings_window.h"

#include "data/company_repository.h"
#include "data/session.h"
#include "rules/record_rules.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QComboBox>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>

namespace {

// The field of a column is chosen from the list, in the cell, so that the table stays one stop of
// the Tab order and every cell is reached with the arrows.
class FieldDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* box = new QComboBox(parent);
        for (bank::Field f : bank::fields())
            box->addItem(bank::fieldCaption(f), int(f));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(box->findData(index.data(Qt::UserRole)));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        const auto* box = static_cast<QComboBox*>(editor);
        model->setData(index, box->currentData(), Qt::UserRole);
        model->setData(index, box->currentText(), Qt::DisplayRole);
    }
};

} // namespace

BankSettingsWindow::BankSettingsWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::BankSettingsWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    m_ui->txtAccountNo->setValidator(new QRegularExpressionValidator(digits, m_ui->txtAccountNo));
    static const QRegularExpression codeCharacters(QStringLiteral("[A-Za-z0-9]*"));
    m_ui->txtBranchCode->setValidator(new QRegularExpressionValidator(codeCharacters, m_ui->txtBranchCode));
    for (QLineEdit* box : {m_ui->txtBankName, m_ui->txtAccountNo, m_ui->txtBranchCode})
        EntryBehaviour::install(box, EntryBehaviour::EnterMovesOn);
    m_ui->tblColumns->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_ui->tblColumns->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_ui->tblColumns->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_ui->tblColumns->setItemDelegateForColumn(0, new FieldDelegate(m_ui->tblColumns));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->cmdAdd, &QPushButton::clicked, this, &BankSettingsWindow::addColumn);
    connect(m_ui->cmdRemove, &QPushButton::clicked, this, &BankSettingsWindow::removeColumn);
    connect(m_ui->cmdUp, &QPushButton::clicked, this, [this] { moveColumn(-1); });
    connect(m_ui->cmdDown, &QPushButton::clicked, this, [this] { moveColumn(1); });
    connect(m_ui->cmdDefaults, &QPushButton::clicked, this, [this] {
        bank::Settings usual;
        usual.account = {m_ui->txtBankName->text(), m_ui->txtAccountNo->text(), m_ui->txtBranchCode->text()};
        showSettings(usual);
    });
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &BankSettingsWindow::save);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // Only an administrator changes them; the menu offers the window to no one else.
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->cmdSave, m_ui->cmdAdd, m_ui->cmdRemove, m_ui->cmdUp,
                                                      m_ui->cmdDown, m_ui->cmdDefaults})
        w->setEnabled(!m_context.session.isRestricted());

    if (const auto stored = valueOrTell(m_context.prompter,
                                        CompanyRepository(m_context.db).bankSettings(m_context.session.company)))
        showSettings(*stored);
    else
        showSettings(bank::Settings());
    m_ui->txtBankName->setFocus();
}

BankSettingsWindow::~BankSettingsWindow()
{
    disconnectChildSignals(this);
}

void BankSettingsWindow::showSettings(const bank::Settings& settings)
{
    m_ui->txtBankName->setText(settings.account.bankName);
    m_ui->txtAccountNo->setText(settings.account.account);
    m_ui->txtBranchCode->setText(settings.account.branchCode);
    m_ui->tblColumns->setRowCount(0);
    for (const bank::UploadColumn& column : settings.columns) {
        const int row = m_ui->tblColumns->rowCount();
        m_ui->tblColumns->insertRow(row);
        showColumn(row, column);
    }
}

void BankSettingsWindow::showColumn(int row, const bank::UploadColumn& column)
{
    auto* field = new QTableWidgetItem(bank::fieldCaption(column.field));
    field->setData(Qt::UserRole, int(column.field));
    m_ui->tblColumns->setItem(row, 0, field);
    m_ui->tblColumns->setItem(row, 1, new QTableWidgetItem(column.heading));
    m_ui->tblColumns->setItem(row, 2, new QTableWidgetItem(column.value));
}

bank::UploadColumn BankSettingsWindow::columnAt(int row) const
{
    bank::UploadColumn column;
    if (const QTableWidgetItem* field = m_ui->tblColumns->item(row, 0))
        column.field = bank::Field(field->data(Qt::UserRole).toInt());
    const QTableWidgetItem* heading = m_ui->tblColumns->item(row, 1);
    const QTableWidgetItem* value = m_ui->tblColumns->item(row, 2);
    column.heading = heading ? heading->text().trimmed() : QString();
    column.value = value ? value->text().trimmed() : QString();
    return column;
}

QList<bank::UploadColumn> BankSettingsWindow::columns() const
{
    QList<bank::UploadColumn> all;
    for (int row = 0; row < m_ui->tblColumns->rowCount(); ++row)
        all << columnAt(row);
    return all;
}

void BankSettingsWindow::addColumn()
{
    const int row = m_ui->tblColumns->currentRow() < 0 ? m_ui->tblColumns->rowCount()
                                                       : m_ui->tblColumns->currentRow() + 1;
    m_ui->tblColumns->insertRow(row);
    showColumn(row, {bank::Field::Fixed, QString(), QString()});
    m_ui->tblColumns->setCurrentCell(row, 0);
    m_ui->tblColumns->setFocus();
    m_ui->tblColumns->editItem(m_ui->tblColumns->item(row, 0));
}

void BankSettingsWindow::removeColumn()
{
    const int row = m_ui->tblColumns->currentRow();
    if (row < 0)
        return;
    m_ui->tblColumns->removeRow(row);
    m_ui->tblColumns->setCurrentCell(std::min(row, m_ui->tblColumns->rowCount() - 1), 1);
}

void BankSettingsWindow::moveColumn(int by)
{
    const int row = m_ui->tblColumns->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_ui->tblColumns->rowCount())
        return;
    const bank::UploadColumn moving = columnAt(row);
    showColumn(row, columnAt(to));
    showColumn(to, moving);
    m_ui->tblColumns->setCurrentCell(to, m_ui->tblColumns->currentColumn());
}

void BankSettingsWindow::save()
{
    bank::Settings settings;
    settings.account = {m_ui->txtBankName->text(), m_ui->txtAccountNo->text(), m_ui->txtBranchCode->text()};
    settings.columns = columns();
    // The rules' verdict names the box to mend; the repository asks the same rules again.
    if (const auto broken = rules::check(bank::normalised(settings.account))) {
        m_context.prompter.warning(broken->message);
        QWidget* box = broken->field == QStringLiteral("bankacno")   ? m_ui->txtAccountNo
                       : broken->field == QStringLiteral("bankifsc") ? m_ui->txtBranchCode
                                                                     : m_ui->txtBankName;
        box->setFocus();
        return;
    }
    if (const Status saved = CompanyRepository(m_context.db).saveBankSettings(m_context.session.company, settings);
        !saved) {
        m_context.prompter.warning(saved.error());
        m_ui->tblColumns->setFocus();
        return;
    }
    m_context.prompter.information(QStringLiteral("The bank settings of %1 are saved.").arg(m_context.session.company));
}
