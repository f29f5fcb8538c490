#include "company_selection_window.h"

#include "ui_company_selection_window.h"

#include "data/company_repository.h"
#include "shell/company_deletion.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QKeyEvent>
#include <QLineEdit>

CompanySelectionWindow::CompanySelectionWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CompanySelectionWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_guard = new DeletePasswordGuard(
        context, {m_ui->fraDelPass, m_ui->txtDelPass, m_ui->cmdDelPassDelete, m_ui->cmdDelPassCancel}, this);
    connect(m_guard, &DeletePasswordGuard::finished, this, [this](bool deleted) {
        if (deleted)
            m_ui->Combo1->setEditText(QString());
        reload();
        m_ui->Combo1->setFocus();
    });
    // Keys reach the combo box first and its line edit only through it.
    m_ui->Combo1->installEventFilter(this);
    connect(m_ui->Combo1->lineEdit(), &QLineEdit::returnPressed, this, &CompanySelectionWindow::choose);
    // A deletion asked for is of the company typed then: another one typed puts the request away.
    connect(m_ui->Combo1, &QComboBox::editTextChanged, m_guard, &DeletePasswordGuard::cancel);
    connect(m_ui->Command1, &QPushButton::clicked, this, &CompanySelectionWindow::choose);
    connect(m_ui->Command2, &QPushButton::clicked, this, &CompanySelectionWindow::createCompanyRequested);
    connect(m_ui->Command3, &QPushButton::clicked, this, &CompanySelectionWindow::deleteCompany);
    reload();
}

CompanySelectionWindow::~CompanySelectionWindow()
{
    disconnectChildSignals(this);
}

void CompanySelectionWindow::reload()
{
    const QString typed = m_ui->Combo1->currentText();
    m_ui->Combo1->clear();
    const auto companies = CompanyRepository(m_context.db).list();
    if (!companies) {
        m_context.prompter.error(companies.error());
        return;
    }
    for (const Company& company : companies.value())
        m_ui->Combo1->addItem(company.name);
    m_ui->Combo1->setCurrentIndex(-1);
    m_ui->Combo1->setEditText(typed);
    m_ui->lblHint->setVisible(companies->isEmpty());
    m_ui->Command3->setEnabled(false);
}

void CompanySelectionWindow::hideEvent(QHideEvent* event)
{
    m_guard->cancel();
    QWidget::hideEvent(event);
}

void CompanySelectionWindow::showEvent(QShowEvent* event)
{
    reload();
    QWidget::showEvent(event);
}

bool CompanySelectionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->Combo1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QString(QChar(DeleteUnlockKey))) {
            // The key only unlocks; it is not part of any company's name.
            m_ui->Command3->setEnabled(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString CompanySelectionWindow::typedCompany() const
{
    return m_ui->Combo1->currentText().trimmed();
}

void CompanySelectionWindow::choose()
{
    m_guard->cancel();
    const QString name = typedCompany();
    // Only a company of the list: a name typed freely would leave every saved row with no company.
    if (name.isEmpty() || m_ui->Combo1->findText(name, Qt::MatchFixedString) < 0) {
        m_context.prompter.information(QStringLiteral("Please Select Company"));
        return;
    }
    const QString company = m_ui->Combo1->itemText(m_ui->Combo1->findText(name, Qt::MatchFixedString));
    if (Status selected = CompanyRepository(m_context.db).select(company); !selected) {
        m_context.prompter.error(selected.error());
        return;
    }
    emit companyChosen(company);
}

void CompanySelectionWindow::deleteCompany()
{
    const QString name = typedCompany();
    if (name.isEmpty()) {
        m_context.prompter.message(QStringLiteral("Please Select Company To Delete"));
        return;
    }
    const int index = m_ui->Combo1->findText(name, Qt::MatchFixedString);
    if (index < 0) {
        m_context.prompter.message(QStringLiteral("There is no company named %1.").arg(name));
        return;
    }
    const QString company = m_ui->Combo1->itemText(index);
    m_guard->request(companyDeletion([this, company] { return CompanyRepository(m_context.db).remove(company); }));
}
