#include "statutory_summary_window.h"

#include "ui_statutory_summary_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/report_files.h"
#include "reports/report_viewer.h"
#include "reports/esi_return.h"
#include "reports/statutory_reports.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

struct StatutorySummaryWindow::ReturnFile {
    Result<QByteArray> (*make)(const Database&, const QString&, QDate);
    QString prefix;  // of the name suggested: "ECR"
    QString title;   // of the save dialog
    QString suffix;  // "txt"
    QString filter;  // "Text files (*.txt)"
};

StatutorySummaryWindow::StatutorySummaryWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StatutorySummaryWindow>()), m_context(context),
      m_folder(QDir::homePath())
{
    m_ui->setupUi(this);
    // The return is filed after the month is paid, so the clerk works on last month's.
    m_ui->dtpMonth->setDate(dates::firstOfMonth(context.clock.today()).addMonths(-1));
    connect(m_ui->cmdShow, &QPushButton::clicked, this, &StatutorySummaryWindow::showSummary);
    connect(m_ui->cmdReturn, &QPushButton::clicked, this, [this] {
        writeReturn({report::pfReturnOf, QStringLiteral("ECR"), QStringLiteral("Save the Provident Fund Return"),
                     QStringLiteral("txt"), QStringLiteral("Text files (*.txt)")});
    });
    connect(m_ui->cmdEsiReturn, &QPushButton::clicked, this, [this] {
        writeReturn({report::esiReturnOf, QStringLiteral("ESI"),
                     QStringLiteral("Save the Insurance's Monthly Contribution File"), QStringLiteral("csv"),
                     QStringLiteral("CSV files (*.csv)")});
    });
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

void StatutorySummaryWindow::writeReturn(const ReturnFile& file)
{
    const QDate month = dates::firstOfMonth(m_ui->dtpMonth->date());
    const QString& company = m_context.session.company;
    // Worked out before the operator is asked where to keep it: a month without a return, or with a
    // member who has no account number, is told at once.
    const auto text = valueOrTell(m_context.prompter, file.make(m_context.db, company, month));
    if (!text)
        return;
    const QString suggested = QStringLiteral("%1-%2-%3.%4")
                                  .arg(file.prefix, reportwin::fileNamePart(company),
                                       month.toString(QStringLiteral("yyyy-MM")), file.suffix);
    QString path = m_context.prompter.saveFileName(file.title, QDir(m_folder).filePath(suggested), file.filter);
    if (path.isEmpty())
        return;
    // The portal takes its own type of file; a name typed without its type gets it.
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + file.suffix;
    m_folder = QFileInfo(path).absolutePath();
    if (const Status written = report::writeFile(*text, path); !written) {
        m_context.prompter.error(written.error());
        return;
    }
    // The insurance's file has a line of headings above its members.
    const qsizetype members = text->count('\n') - (file.suffix == QLatin1String("csv") ? 1 : 0);
    m_context.prompter.information(
        QStringLiteral("Wrote %1: %2.")
            .arg(QDir::toNativeSeparators(path),
                 members == 1 ? QStringLiteral("1 member") : QStringLiteral("%1 members").arg(members)));
}
