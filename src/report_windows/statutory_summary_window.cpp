#include "statutory_summary_window.h"

#include "ui_statutory_summary_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/report_files.h"
#include "reports/report_viewer.h"
#include "reports/statutory_reports.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

StatutorySummaryWindow::StatutorySummaryWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StatutorySummaryWindow>()), m_context(context),
      m_folder(QDir::homePath())
{
    m_ui->setupUi(this);
    // The return is filed after the month is paid, so the clerk works on last month's.
    m_ui->dtpMonth->setDate(dates::firstOfMonth(context.clock.today()).addMonths(-1));
    connect(m_ui->cmdShow, &QPushButton::clicked, this, &StatutorySummaryWindow::showSummary);
    connect(m_ui->cmdReturn, &QPushButton::clicked, this, &StatutorySummaryWindow::writeReturn);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    reportwin::setUpKeys(this);
    m_ui->dtpMonth->setFocus();
}

StatutorySummaryWindow::~StatutorySummaryWindow()
{
    disconnectChildSignals(this);
}

void StatutorySummaryWindow::showSummary()
{
    const QDate month = dates::firstOfMonth(m_ui->dtpMonth->date());
    auto summary =
        valueOrTell(m_context.prompter, report::statutorySummaryOf(m_context.db, m_context.session.company, month));
    if (!summary)
        return;
    ReportViewer::open(this, m_context.prompter, std::move(*summary));
}

void StatutorySummaryWindow::writeReturn()
{
    const QDate month = dates::firstOfMonth(m_ui->dtpMonth->date());
    const QString& company = m_context.session.company;
    // Worked out before the operator is asked where to keep it: a month without a return, or with a
    // member who has no account number, is told at once.
    const auto text = valueOrTell(m_context.prompter, report::pfReturnOf(m_context.db, company, month));
    if (!text)
        return;
    const QString suggested =
        QStringLiteral("ECR-%1-%2.txt").arg(reportwin::fileNamePart(company), month.toString(QStringLiteral("yyyy-MM")));
    QString path =
        m_context.prompter.saveFileName(QStringLiteral("Save the Provident Fund Return"),
                                        QDir(m_folder).filePath(suggested), QStringLiteral("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    // The fund's upload takes a text file; a name typed without its type gets it.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".txt");
    m_folder = QFileInfo(path).absolutePath();
    if (const Status written = report::writeFile(*text, path); !written) {
        m_context.prompter.error(written.error());
        return;
    }
    const qsizetype members = text->count('\n');
    m_context.prompter.information(
        QStringLiteral("Wrote %1: %2.")
            .arg(QDir::toNativeSeparators(path),
                 members == 1 ? QStringLiteral("1 member") : QStringLiteral("%1 members").arg(members)));
}
