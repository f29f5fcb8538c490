#include "report_viewer.h"

#include "ui_report_viewer.h"

#include "reports/report_files.h"
#include "reports/report_grid.h"
#include "ui/prompter.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QKeySequence>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>

namespace {

const QList<int> zoomSteps = {50, 75, 100, 125, 150, 200, 300};
constexpr int fitWidth = 0; // the zoom box's data for "Fit width"

// A progress dialog for the pages of a long print or export; it appears only when the work takes a
// while, and its Cancel stops the work.
report::Progress progressDialog(QWidget* parent, const QString& label)
{
    auto dialog = std::make_shared<QProgressDialog>(label, QStringLiteral("Cancel"), 0, 1, parent);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);
    return [dialog](int done, int total) {
        dialog->setMaximum(total);
        dialog->setValue(done);
        if (done == total)
            dialog->reset();
        return !dialog->wasCanceled();
    };
}

} // namespace

ReportViewer::ReportViewer(Prompter& prompter, report::Document document, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::ReportViewer>()), m_prompter(prompter),
      m_document(std::move(document)), m_pages(m_document)
{
    m_ui->setupUi(this);
    setObjectName(m_document.name);
    setWindowTitle(m_document.title);
    m_ui->spnPage->setRange(1, m_pages.count());
    m_ui->lblPages->setText(QStringLiteral("of %1").arg(m_pages.count()));
    m_ui->cboZoom->addItem(QStringLiteral("Fit width"), fitWidth);
    for (int step : zoomSteps)
        m_ui->cboZoom->addItem(QStringLiteral("%1%").arg(step), step);
    m_ui->cboZoom->setCurrentIndex(0);

    connect(m_ui->cmdFirst, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(m_ui->cmdPrevious, &QToolButton::clicked, this, [this] { showPage(page() - 1); });
    connect(m_ui->cmdNext, &QToolButton::clicked, this, [this] { showPage(page() + 1); });
    connect(m_ui->cmdLast, &QToolButton::clicked, this, [this] { showPage(m_pages.count() - 1); });
    connect(m_ui->spnPage, &QSpinBox::valueChanged, this, &ReportViewer::render);
    connect(m_ui->cboZoom, &QComboBox::currentIndexChanged, this, &ReportViewer::render);
    connect(m_ui->cmdPrint, &QPushButton::clicked, this, &ReportViewer::print);
    connect(m_ui->cmdExportPdf, &QPushButton::clicked, this, &ReportViewer::exportPdf);
    connect(m_ui->cmdExportCsv, &QPushButton::clicked, this, &ReportViewer::exportCsv);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    const auto key = [this](const QKeySequence& sequence, auto action) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_PageDown), [this] { showPage(page() + 1); });
    key(QKeySequence(Qt::Key_PageUp), [this] { showPage(page() - 1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(0); });
    key(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { showPage(m_pages.count() - 1); });
    key(QKeySequence::ZoomIn, [this] { zoomBy(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoomBy(1); });
    key(QKeySequence::ZoomOut, [this] { zoomBy(-1); });
    key(QKeySequence::Print, &ReportViewer::print);
    key(QKeySequence(Qt::Key_Escape), &QWidget::close);
    m_ui->scrPage->viewport()->installEventFilter(this);
    render();
    // The page has the focus, so that Page Up and Page Down turn pages from the start.
    m_ui->scrPage->setFocus();
}

ReportViewer::~ReportViewer() = default;

ReportViewer* ReportViewer::open(QWidget* owner, Prompter& prompter, report::Document document)
{
    auto* viewer = new ReportViewer(prompter, std::move(document), owner);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->resize(760, 900);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

int ReportViewer::page() const
{
    return m_ui->spnPage->value() - 1;
}

void ReportViewer::showPage(int page)
{
    m_ui->spnPage->setValue(std::clamp(page, 0, m_pages.count() - 1) + 1);
    m_ui->scrPage->verticalScrollBar()->setValue(0);
}

void ReportViewer::zoomBy(int steps)
{
    const int index = std::max(1, m_ui->cboZoom->currentIndex()) + steps;
    m_ui->cboZoom->setCurrentIndex(std::clamp(index, 1, int(m_ui->cboZoom->count()) - 1));
}

bool ReportViewer::eventFilter(QObject* watched, QEvent* event)
{
    // The page follows the width of the view it is shown in, once the layout has sized that view.
    if (watched == m_ui->scrPage->viewport() && event->type() == QEvent::Resize &&
        m_ui->cboZoom->currentData().toInt() == fitWidth)
        render();
    return QWidget::eventFilter(watched, event);
}

void ReportViewer::render()
{
    const QSizeF size = report::Pages::pageSize();
    const int zoom = m_ui->cboZoom->currentData().toInt();
    const double ratio = devicePixelRatioF();
    const double scale = zoom == fitWidth ? (m_ui->scrPage->viewport()->width() - 24) / size.width()
                                          : zoom / 100.0 * logicalDpiX() / 72.0;
    QImage image((size * std::max(scale, 0.1) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(std::max(scale, 0.1), std::max(scale, 0.1));
    m_pages.paint(painter, page());
    painter.end();
    m_ui->lblPage->setPixmap(QPixmap::fromImage(image));
    m_ui->cmdFirst->setEnabled(page() > 0);
    m_ui->cmdPrevious->setEnabled(page() > 0);
    m_ui->cmdNext->setEnabled(page() + 1 < m_pages.count());
    m_ui->cmdLast->setEnabled(page() + 1 < m_pages.count());
}

void ReportViewer::exportPdf()
{
    const QString path = report::chooseExportPath(m_prompter, QStringLiteral("Export PDF"), m_document.title,
                                                  QStringLiteral(".pdf"), QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    const auto written = report::writePdf(m_document, path, progressDialog(this, QStringLiteral("Writing the PDF…")));
    if (!written)
        m_prompter.error(written.error());
    else if (*written)
        m_ui->lblStatus->setText(QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(path)));
    else
        m_ui->lblStatus->setText(QStringLiteral("The export was cancelled; nothing was written."));
}

void ReportViewer::exportCsv()
{
    const QString path = report::chooseExportPath(m_prompter, QStringLiteral("Export CSV"), m_document.title,
                                                  QStringLiteral(".csv"), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (Status written = report::writeCsv(m_document, path); !written)
        m_prompter.error(written.error());
    else
        m_ui->lblStatus->setText(QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(path)));
}

void ReportViewer::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFromTo(1, m_pages.count());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto printed = report::print(m_document, printer, progressDialog(this, QStringLiteral("Printing…")));
    if (!printed)
        m_prompter.error(printed.error());
    else
        m_ui->lblStatus->setText(*printed ? QStringLiteral("Sent to the printer.")
                                          : QStringLiteral("The printing was cancelled."));
}
