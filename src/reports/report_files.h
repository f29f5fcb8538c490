#pragma once

#include "data/status.h"
#include "reports/report_document.h"

#include <QByteArray>

#include <functional>

class QPagedPaintDevice;
class QPrinter;

namespace report {

// Told after each page (pages done, pages in all); answers false to stop the work.
using Progress = std::function<bool(int done, int total)>;

// A field of a CSV line: quoted where it needs it. A spreadsheet reads "=...", "+...", "-..." and
// "@..." as a formula, so a text (isText) starting so is kept a text by a leading apostrophe.
QString csvField(QString text, bool isText);
// A caption as a CSV header: without the trailing colon of a form's label.
QString csvCaption(QString caption);

// One header row of the captions, then one line per row: amounts with two decimals and no
// grouping, dates as yyyy-MM-dd, UTF-8, lines ended by CR LF, fields quoted where they need it.
QByteArray csv(const Document& document);

// The file is replaced only once it is whole: a failure or a cancelled export leaves what was there.
Status writeCsv(const Document& document, const QString& path);
Status writeFile(const QByteArray& bytes, const QString& path);
// True when written; false when progress stopped it (nothing written).
Result<bool> writePdf(const Document& document, const QString& path, const Progress& progress = {});
// True when every page went to the printer; false when progress stopped it.
Result<bool> print(const Document& document, QPrinter& printer, const Progress& progress = {});

} // namespace report
