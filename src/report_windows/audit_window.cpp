#include "audit_window.h"

#include "ui_audit_window.h"

#include "common/clock.h"
#include "data/audit_trail.h"
#include "data/session.h"
#include "data/user_repository.h"
#include "report_windows/report_window_support.h"
#include "reports/audit_report.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QProgressDialog>
#include <QRegularExpressionValidator>

namespace {

const QString everything = QStringLiteral("(all)");

QString chosen(const QComboBox* box)
{
    const QString text = box->currentText().trimmed();
    return text == everything ? QString() : text;
}

} // namespace

AuditWindow::AuditWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AuditWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_model = reportwin::prepareGrid(context, m_ui->lvwAudit, QStringLiteral("Audit trail"));
    // A week back to today: what is usually asked about.
    const QDate today = context.clock.today();
    m_ui->dtpFrom->setDate(today.addDays(-7));
    m_ui->dtpTo->setDate(today);
    m_ui->txtEmployee->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_ui->txtEmployee));
    m_ui->cboUser->addItem(everything);
    if (const auto users = UserRepository(context.db).list())
        for (const User& user : *users)
            m_ui->cboUser->addItem(user.name);
    m_ui->cboTable->addItem(everything);
    m_ui->cboTable->addItems(audit::tableNames());
    m_ui->cboKind->addItem(everything);
    m_ui->cboKind->addItems(audit::kindNames());
    m_ui->lvwValues->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_ui->lvwValues->verticalHeader()->hide();
    m_ui->splitter->setSizes({360, 200});
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->cmdShow, &QPushButton::clicked, this, &AuditWindow::showEntries);
    EntryBehaviour::install(m_ui->txtEmployee, EntryBehaviour::EnterMovesOn | EntryBehaviour::SelectAllOnFocus);
    for (QComboBox* box : {m_ui->cboUser, m_ui->cboTable, m_ui->cboKind})
        EntryBehaviour::install(box, EntryBehaviour::EnterMovesOn);
    connect(m_ui->cmdVerify, &QPushButton::clicked, this, &AuditWindow::verify);
    connect(m_ui->cmdReport, &QPushButton::clicked, this, &AuditWindow::preview);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->lvwAudit->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &AuditWindow::showValues);
    reportwin::setUpKeys(this);
    showEntries();
    m_ui->dtpFrom->setFocus();
}

AuditWindow::~AuditWindow()
{
    disconnectChildSignals(this);
}

std::optional<audit::Filter> AuditWindow::filter()
{
    const auto range = reportwin::rangeOf(m_context.prompter, m_ui->dtpFrom, m_ui->dtpTo);
    if (!range)
        return std::nullopt;
    audit::Filter filter;
    filter.from = range->first;
    filter.to = range->second;
    filter.user = chosen(m_ui->cboUser);
    filter.table = chosen(m_ui->cboTable);
    filter.kind = chosen(m_ui->cboKind);
    if (!m_ui->txtEmployee->text().isEmpty())
        filter.employee = m_ui->txtEmployee->text().toLongLong();
    return filter;
}

void AuditWindow::showEntries()
{
    const auto chosenFilter = filter();
    if (!chosenFilter)
        return;
    const audit::Filter& filter = *chosenFilter;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto entries = audit::select(m_context.db, filter);
    QGuiApplication::restoreOverrideCursor();
    if (!entries) {
        m_context.prompter.error(entries.error());
        return;
    }
    m_entries = *entries;
    reportwin::showGrid(m_model, m_ui->lvwAudit, report::auditReport({}, filter.from, filter.to, m_entries, false));
    m_ui->lblCount->setText(m_entries.size() == 1 ? QStringLiteral("1 entry")
                                                   : QStringLiteral("%1 entries").arg(QLocale::system().toString(m_entries.size())));
    m_ui->lvwValues->setRowCount(0);
    if (!m_entries.isEmpty())
        m_ui->lvwAudit->selectRow(0);
}

void AuditWindow::showValues()
{
    m_ui->lvwValues->setRowCount(0);
    const QModelIndex current = m_ui->lvwAudit->currentIndex();
    if (!current.isValid())
        return;
    const int row = m_model->documentRow(current.row());
    if (row < 0 || row >= m_entries.size())
        return;
    // The values are read for the one entry shown, not for every entry of the grid.
    const auto entry = audit::find(m_context.db, m_entries.at(row).seq);
    if (!entry || !entry->has_value())
        return;
    const auto before = audit::fields((*entry)->before);
    const auto after = audit::fields((*entry)->after);
    const qsizetype lines = std::max(before.size(), after.size());
    m_ui->lvwValues->setRowCount(int(lines) + ((*entry)->note.isEmpty() ? 0 : 1));
    for (qsizetype i = 0; i < lines; ++i) {
        const QString column = i < after.size() ? after.at(i).first : before.at(i).first;
        const QString old = i < before.size() ? before.at(i).second : QString();
        const QString now = i < after.size() ? after.at(i).second : QString();
        const bool changed = !before.isEmpty() && !after.isEmpty() && old != now;
        const QStringList cells{column, old, now};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (changed) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_ui->lvwValues->setItem(int(i), c, item);
        }
    }
    if (!(*entry)->note.isEmpty()) {
        m_ui->lvwValues->setItem(int(lines), 0, new QTableWidgetItem(QStringLiteral("note")));
        m_ui->lvwValues->setItem(int(lines), 1, new QTableWidgetItem((*entry)->note));
        m_ui->lvwValues->setSpan(int(lines), 1, 1, 2);
    }
}

void AuditWindow::verify()
{
    QProgressDialog progress(QStringLiteral("Checking the audit trail…"), QString(), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Audit Trail"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto checked = audit::verify(m_context.db, [&](qint64 read) {
        progress.setLabelText(QStringLiteral("Checking the audit trail… %1 entries").arg(QLocale::system().toString(read)));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    progress.close();
    if (!checked) {
        m_context.prompter.error(checked.error());
        return;
    }
    if (checked->intact())
        m_context.prompter.information(checked->summary());
    else
        m_context.prompter.warning(checked->summary());
}

void AuditWindow::preview()
{
    const auto chosenFilter = filter();
    if (!chosenFilter)
        return;
    const audit::Filter& filter = *chosenFilter;
    const auto entries = audit::select(m_context.db, filter, true);
    if (!entries) {
        m_context.prompter.error(entries.error());
        return;
    }
    ReportViewer::open(this, m_context.prompter, report::auditReport({}, filter.from, filter.to, *entries));
}
