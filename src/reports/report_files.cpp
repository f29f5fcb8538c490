#include "report_files.h"

#include "data/safe_file.h"
#include "reports/report_pages.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace report {

namespace {

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("The file %1 cannot be written: %2").arg(path, reason);
}

// Paints the chosen pages (all when none are chosen), each on a page of the device and scaled to it;
// false when progress stopped it.
bool paintPages(const Pages& pages, QPagedPaintDevice& device, QPainter& painter, const Progress& progress,
                QList<int> chosen = {})
{
    if (chosen.isEmpty())
        for (int page = 0; page < pages.count(); ++page)
            chosen << page;
    const QSizeF size = Pages::pageSize();
    const double scale = std::min(device.width() / size.width(), device.height() / size.height());
    for (int i = 0; i < chosen.size(); ++i) {
        if (progress && !progress(i, int(chosen.size())))
            return false;
        if (i > 0)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        pages.paint(painter, chosen.at(i));
        painter.restore();
    }
    return !progress || progress(int(chosen.size()), int(chosen.size()));
}

} // namespace

QString csvField(QString text, bool isText)
{
    if (isText && !text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')) || text != text.trimmed()) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString csvCaption(QString caption)
{
    caption = caption.trimmed();
    while (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption.trimmed();
}

QByteArray csv(const Document& document)
{
    QList<int> exported;
    for (int c = 0; c < document.columns().size(); ++c)
        if (document.columns().at(c).format != Format::Signature)
            exported << c;
    QString text;
    QStringList fields;
    for (int c : exported)
        fields << csvField(csvCaption(document.columns().at(c).caption), true);
    text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int row = 0; row < document.rowCount(); ++row) {
        fields.clear();
        for (int c : exported)
            fields << csvField(document.text(row, c, Purpose::Csv), document.columns().at(c).format == Format::Text);
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

Status writeCsv(const Document& document, const QString& path)
{
    return writeFile(csv(document), path);
}

Status writeFile(const QByteArray& bytes, const QString& path)
{
    return writeFileSafely(path, bytes);
}

namespace {

// The chosen pages (all when none are chosen) as a PDF file, through the safe writer.
Result<bool> writePdfPages(const Document& document, const QString& path, const Progress& progress,
                           const QList<int>& chosen)
{
    SafeFile file(path);
    if (Status opened = file.open(); !opened)
        return opened;
    bool done = false;
    {
        QPdfWriter writer(&file.device());
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Kestrel"));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer))
            return Status::failure(cannotWrite(path, QStringLiteral("the PDF could not be started")));
        done = paintPages(Pages(document), writer, painter, progress, chosen);
        painter.end();
    }
    if (!done) {
        file.cancel();
        return false;
    }
    if (Status written = file.commit(); !written)
        return written;
    return true;
}

} // namespace

Result<bool> writePdf(const Document& document, const QString& path, const Progress& progress)
{
    return writePdfPages(document, path, progress, {});
}

Result<bool> print(const Document& document, QPrinter& printer, const Progress& progress)
{
    const Pages pages(document);
    QList<int> chosen;
    if (printer.printRange() == QPrinter::PageRange) {
        for (int page = 0; page < pages.count(); ++page)
            if (printer.pageRanges().contains(page + 1))
                chosen << page;
        if (chosen.isEmpty())
            return Status::failure(
                QStringLiteral("The pages chosen are not in the report, which has %1 pages.").arg(pages.count()));
    }
    // Printing to a file is writing a file: whole or not at all, and an older file of that name
    // stays when it fails or is cancelled.
    if (!printer.outputFileName().isEmpty())
        return writePdfPages(document, printer.outputFileName(), progress, chosen);
    printer.setDocName(document.title);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return Status::failure(QStringLiteral("The printer could not be started."));
    const bool done = paintPages(pages, printer, painter, progress, chosen);
    if (!done)
        printer.abort();
    painter.end();
    return done;
}

} // namespace report
