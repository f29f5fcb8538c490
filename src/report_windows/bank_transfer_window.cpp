#include "bank_transfer_window.h"

#include "ui_bank_transfer_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/bank_reports.h"
#include "reports/report_files.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

BankTransferWindow::BankTransferWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::BankTransferWindow>()), m_context(context),
      m_folder(QDir::homePath())
{
    m_ui->setupUi(this);
    // Salaries are sent to the bank once the month is worked out: at its end or just after.
    const QDate today = context.clock.today();
    m_ui->dtpMonth->setDate(dates::firstOfMonth(today.day() > 20 ? today : today.addMonths(-1)));
    connect(m_ui->cmdShow, &QPushButton::clicked, this, &BankTransferWindow::showList);
    connect(m_ui->cmdLetter, &QPushButton::clicked, this, &BankTransferWindow::showLetter);
    connect(m_ui->cmdUpload, &QPushButton::clicked, this, &BankTransferWindow::writeUpload);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    reportwin::setUpKeys(this);
    m_ui->dtpMonth->setFocus();
}

BankTransferWindow::~BankTransferWindow()
{
    disconnectChildSignals(this);
}

QDate BankTransferWindow::month() const
{
    return dates::firstOfMonth(m_ui->dtpMonth->date());
}

void BankTransferWindow::showList()
{
    const QString& company = m_context.session.company;
    const auto paid = valueOrTell(m_context.prompter, report::bankMonthOf(m_context.db, company, month()));
    if (!paid)
        return;
    // Named before the list, so that the clerk can mend them first; on the list they stay, as "To
    // mend" or "Not sent", in the month's total.
    QStringList told;
    if (!paid->toMend.isEmpty())
        told << QStringLiteral("These employees are paid by bank transfer, but their bank details are missing or "
                               "wrong (enter them in the employee's window):\n%1")
                    .arg(paid->toMendText().join(u'\n'));
    if (!paid->notSent.isEmpty())
        told << QStringLiteral("These payments are not sent to the bank:\n%1").arg(paid->notSentText().join(u'\n'));
    if (!told.isEmpty() &&
        !m_context.prompter.question(told.join(QStringLiteral("\n\n")) + QStringLiteral("\n\nShow the list now?"),
                                     Prompter::Icon::Warning))
        return;
    auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::bankTransferList(*heading, month(), *paid));
}

void BankTransferWindow::showLetter()
{
    auto letter = valueOrTell(m_context.prompter, report::bankLetterOf(m_context.db, m_context.session.company,
                                                                       month(), m_context.clock.today()));
    if (!letter)
        return;
    ReportViewer::open(this, m_context.prompter, std::move(*letter));
    tellNotSent();
}

void BankTransferWindow::tellNotSent()
{
    const auto paid = valueOrTell(m_context.prompter,
                                  report::bankMonthOf(m_context.db, m_context.session.company, month()));
    if (paid && !paid->notSent.isEmpty())
        m_context.prompter.warning(QStringLiteral("These payments are not in what goes to the bank:\n%1")
                                       .arg(paid->notSentText().join(u'\n')));
}

void BankTransferWindow::writeUpload()
{
    const QString& company = m_context.session.company;
    // Made before the operator is asked where to keep it: details to mend are told at once.
    const auto bytes = valueOrTell(m_context.prompter, report::uploadFileOf(m_context.db, company, month()));
    if (!bytes)
        return;
    const QString suggested = QStringLiteral("Salaries-%1-%2.csv")
                                  .arg(reportwin::fileNamePart(company), month().toString(QStringLiteral("yyyy-MM")));
    QString path = m_context.prompter.saveFileName(QStringLiteral("Save the Bank's Upload File"),
                                                   QDir(m_folder).filePath(suggested),
                                                   QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    m_folder = QFileInfo(path).absolutePath();
    if (const Status written = report::writeFile(*bytes, path); !written) {
        m_context.prompter.error(written.error());
        return;
    }
    const qsizetype lines = bytes->count('\n') - 1;
    m_context.prompter.information(
        QStringLiteral("Wrote %1: %2.")
            .arg(QDir::toNativeSeparators(path),
                 lines == 1 ? QStringLiteral("1 transfer") : QStringLiteral("%1 transfers").arg(lines)));
    tellNotSent();
}
