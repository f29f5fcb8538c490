#include "report_pages.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace report {

namespace {

// Measures in points (1/72 inch) on an A4 page.
constexpr double pageWidth = 595.28;
constexpr double pageHeight = 841.89;
constexpr double margin = 36;
constexpr double contentWidth = pageWidth - 2 * margin;
constexpr double strongLine = 17;
constexpr double plainLine = 14;
constexpr double headingGap = 6;
constexpr double tableHeadHeight = 16;    // one line of headings
constexpr double tableHeadTwoLines = 26; // a heading wrapped to a second line
constexpr double tableHeadPoints = 8;
constexpr double rowHeight = 13;
constexpr double recordLine = 13;
constexpr double recordPad = 6;
constexpr double recordGap = 12;
constexpr double closingLine = 16;
constexpr double footHeight = 16;
constexpr double cellPad = 3;
constexpr double captionWidth = 110; // of a record's field, before its value
constexpr double emblemSize = 28;
const QString separator = QStringLiteral(" | ");

// A font of `points` on the painter's page, whatever the resolution of the device under it.
QFont pageFont(const QPainter& painter, double points, bool bold = false)
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points * 72.0 / painter.device()->logicalDpiY());
    font.setBold(bold);
    return font;
}

// How a text too wide for its box is fitted: a text is set smaller, down to three quarters of its
// size, before it is cut; a figure is never cut (a cut figure reads as another), only set smaller.
enum class Fit { CutText, WholeFigure };

void drawText(QPainter& painter, const QRectF& box, const QString& text, Qt::Alignment alignment,
              Fit fit = Fit::CutText)
{
    const QFont font = painter.font();
    const double width = painter.fontMetrics().horizontalAdvance(text);
    if (width > box.width() && width > 0) {
        QFont smaller = font;
        smaller.setPointSizeF(font.pointSizeF() * std::max(0.75, box.width() / width));
        painter.setFont(smaller);
        // Fonts do not scale quite in proportion: a figure is set smaller step by step until it fits.
        for (int step = 0;
             fit == Fit::WholeFigure && step < 12 && painter.fontMetrics().horizontalAdvance(text) > box.width();
             ++step) {
            smaller.setPointSizeF(smaller.pointSizeF() * 0.92);
            painter.setFont(smaller);
        }
    }
    const QString shown = fit == Fit::WholeFigure
                              ? text
                              : painter.fontMetrics().elidedText(text, Qt::ElideRight, int(std::floor(box.width())));
    painter.drawText(box, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip), shown);
    painter.setFont(font);
}

// A total of the first column leaves no room before it for the caption, which then has a line of its own.
bool sumCaptionOnOwnLine(const Document& document)
{
    return !document.columns().isEmpty() && document.columns().first().summed;
}

bool isStrong(const QList<Label>& line)
{
    for (const Label& label : line)
        if (label.strong)
            return true;
    return false;
}

QString lineText(const QList<Label>& line)
{
    QStringList texts;
    for (const Label& label : line)
        if (!label.text.isEmpty())
            texts << label.text;
    return texts.join(QLatin1Char(' '));
}

// The picture beside the heading: a kestrel's head in a ring.
void paintEmblem(QPainter& painter, const QRectF& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(box.adjusted(1, 1, -1, -1));
    QPainterPath head;
    const double x = box.left(), y = box.top(), s = box.width();
    head.moveTo(x + 0.25 * s, y + 0.70 * s);
    head.cubicTo(x + 0.25 * s, y + 0.35 * s, x + 0.55 * s, y + 0.22 * s, x + 0.72 * s, y + 0.38 * s);
    head.lineTo(x + 0.82 * s, y + 0.48 * s);
    head.lineTo(x + 0.68 * s, y + 0.50 * s);
    head.cubicTo(x + 0.60 * s, y + 0.62 * s, x + 0.50 * s, y + 0.72 * s, x + 0.25 * s, y + 0.70 * s);
    painter.setBrush(Qt::black);
    painter.drawPath(head);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(x + 0.55 * s, y + 0.40 * s), 0.05 * s, 0.05 * s);
    painter.restore();
}

} // namespace

double Pages::measureTableHead() const
{
    // Decided by the length of the headings, not by the fonts of the machine, so that a report
    // breaks into the same pages everywhere: a bold character of a heading is taken as about
    // 5.2 points wide, a little more than it is in the usual sans-serif fonts.
    const QList<double> edges = columnEdges();
    for (int c = 0; c < m_document.columns().size(); ++c)
        if (m_document.columns().at(c).caption.size() * 5.2 > edges.at(c + 1) - edges.at(c) - 2 * cellPad)
            return tableHeadTwoLines;
    return tableHeadHeight;
}

Pages::Pages(const Document& document) : m_document(document)
{
    m_tableHead = document.layout == Document::Layout::Table ? measureTableHead() : 0;
    const double available =
        pageHeight - 2 * margin - footHeight - (headingOnPage() ? headingHeight() : 0) - m_tableHead;
    const double gap = document.layout == Document::Layout::Records ? recordGap : 0;
    const auto rowsIn = [&](double room) { return std::max(1, int(std::floor((room + gap) / (itemHeight() + gap)))); };
    const double opening = openingHeight();
    for (int first = 0; first < document.rowCount() || m_pages.isEmpty();) {
        const int perPage = rowsIn(m_pages.isEmpty() ? available - opening : available);
        m_pages.append({first, std::min(perPage, document.rowCount() - first), false});
        first += perPage;
    }
    const Page& last = m_pages.last();
    const double used = last.rows * (itemHeight() + gap) + (m_pages.size() == 1 ? opening : 0);
    // `used` holds the gap after the last record, which the closing lines follow.
    if (closingHeight() > 0 && used + closingHeight() > available)
        m_pages.append({document.rowCount(), 0, true});
    m_pages.last().closing = true;
}

QSizeF Pages::pageSize()
{
    return {pageWidth, pageHeight};
}

bool Pages::headingOnPage() const
{
    return !(m_document.layout == Document::Layout::Records && m_document.headingOnEachRecord);
}

double Pages::headingHeight() const
{
    double height = 0;
    for (const QList<Label>& line : m_document.heading)
        height += isStrong(line) ? strongLine : plainLine;
    if (m_document.emblem)
        height = std::max(height, emblemSize);
    return height + headingGap;
}

double Pages::itemHeight() const
{
    if (m_document.layout == Document::Layout::Table)
        return rowHeight;
    return (headingOnPage() ? 0 : headingHeight()) + m_document.record.size() * recordLine + 2 * recordPad;
}

double Pages::closingHeight() const
{
    const int sumLines = m_document.hasSums() ? (sumCaptionOnOwnLine(m_document) ? 2 : 1) : 0;
    return (sumLines + (m_document.countCaption.isEmpty() ? 0 : 1)) * closingLine +
           (m_document.signOff.isEmpty() ? 0 : headingGap + m_document.signOff.size() * plainLine);
}

double Pages::openingHeight() const
{
    return m_document.opening.isEmpty() ? 0 : m_document.opening.size() * plainLine + headingGap;
}

double Pages::paintLetterLines(QPainter& painter, const QStringList& lines, double top) const
{
    painter.setFont(pageFont(painter, 9));
    double y = top;
    for (const QString& line : lines) {
        drawText(painter, QRectF(margin, y, contentWidth, plainLine), line, Qt::AlignLeft);
        y += plainLine;
    }
    return y;
}

QList<double> Pages::columnEdges() const
{
    double weights = 0;
    for (const Column& column : m_document.columns())
        weights += column.width;
    QList<double> edges{margin};
    for (const Column& column : m_document.columns())
        edges.append(edges.last() + contentWidth * column.width / (weights > 0 ? weights : 1));
    return edges;
}

double Pages::paintHeading(QPainter& painter, double top) const
{
    if (m_document.emblem)
        paintEmblem(painter, QRectF(margin, top, emblemSize, emblemSize));
    double y = top;
    for (const QList<Label>& line : m_document.heading) {
        const bool strong = isStrong(line);
        const double height = strong ? strongLine : plainLine;
        painter.setFont(pageFont(painter, strong ? 11.5 : 9, strong));
        drawText(painter, QRectF(margin, y, contentWidth, height), lineText(line), Qt::AlignHCenter);
        y += height;
    }
    return top + headingHeight();
}

void Pages::paintTableHead(QPainter& painter, double top) const
{
    const QList<double> edges = columnEdges();
    const QFont font = pageFont(painter, tableHeadPoints, true);
    for (int c = 0; c < m_document.columns().size(); ++c) {
        const Column& column = m_document.columns().at(c);
        const QRectF cell(edges.at(c) + cellPad, top, edges.at(c + 1) - edges.at(c) - 2 * cellPad, m_tableHead - 1);
        // A heading is never cut: it wraps to a second line, and only a word wider than its column
        // is set smaller until it fits.
        const int flags = int(column.rightAligned() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter |
                          Qt::TextWordWrap;
        QFont fitted = font;
        painter.setFont(fitted);
        for (int step = 0; step < 12; ++step) {
            const QRectF needed = painter.boundingRect(QRectF(cell.topLeft(), QSizeF(cell.width(), 1000)), flags,
                                                       column.caption);
            if (needed.width() <= cell.width() + 0.01 && needed.height() <= cell.height() + 0.01)
                break;
            fitted.setPointSizeF(fitted.pointSizeF() * 0.92);
            painter.setFont(fitted);
        }
        painter.drawText(cell, flags | Qt::TextDontClip, column.caption);
    }
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 0.8));
    painter.drawLine(QPointF(margin, top + m_tableHead - 1), QPointF(margin + contentWidth, top + m_tableHead - 1));
}

void Pages::paintRow(QPainter& painter, int row, double top) const
{
    const QList<double> edges = columnEdges();
    painter.setFont(pageFont(painter, 8));
    for (int c = 0; c < m_document.columns().size(); ++c) {
        const Column& column = m_document.columns().at(c);
        const QRectF cell(edges.at(c) + cellPad, top, edges.at(c + 1) - edges.at(c) - 2 * cellPad, rowHeight);
        if (column.format == Format::Signature) {
            painter.setPen(QPen(Qt::gray, 0.4));
            painter.drawLine(cell.bottomLeft() - QPointF(0, 2), cell.bottomRight() - QPointF(0, 2));
            painter.setPen(Qt::black);
            continue;
        }
        drawText(painter, cell, m_document.text(row, c, Purpose::Paper),
                 column.rightAligned() ? Qt::AlignRight : Qt::AlignLeft,
                 column.rightAligned() ? Fit::WholeFigure : Fit::CutText);
    }
}

void Pages::paintRecord(QPainter& painter, int row, double top) const
{
    const QRectF frame(margin, top, contentWidth, itemHeight());
    painter.setPen(QPen(Qt::black, 0.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    double y = top + recordPad;
    if (!headingOnPage())
        y = paintHeading(painter, y);
    const double inner = contentWidth - 2 * recordPad;
    for (const RecordLine& line : m_document.record) {
        const bool headings = !line.headings.isEmpty();
        const QStringList places = headings ? line.headings : line.fields;
        const double slot = inner / std::max<qsizetype>(1, places.size());
        for (int i = 0; i < places.size(); ++i) {
            const double x = margin + recordPad + i * slot;
            if (headings) {
                QFont font = pageFont(painter, 9, true);
                font.setUnderline(true);
                painter.setFont(font);
                drawText(painter, QRectF(x, y, slot, recordLine), places.at(i), Qt::AlignLeft);
                continue;
            }
            const int c = m_document.columnIndex(places.at(i));
            if (c < 0)
                continue;
            const Column& column = m_document.columns().at(c);
            painter.setFont(pageFont(painter, 8.5));
            drawText(painter, QRectF(x, y, captionWidth, recordLine), column.caption, Qt::AlignLeft);
            const QRectF value(x + captionWidth, y, slot - captionWidth - 2 * recordPad, recordLine);
            if (column.format == Format::Signature) {
                painter.setPen(QPen(Qt::black, 0.5));
                painter.drawLine(value.bottomLeft() - QPointF(0, 2), value.bottomRight() - QPointF(0, 2));
                continue;
            }
            painter.setFont(pageFont(painter, 8.5, true));
            // Amounts line up on their decimal point; numbers and texts read from the left.
            drawText(painter, value, m_document.text(row, c, Purpose::Paper),
                     column.format == Format::Amount ? Qt::AlignRight : Qt::AlignLeft,
                     column.rightAligned() ? Fit::WholeFigure : Fit::CutText);
        }
        y += recordLine;
    }
}

void Pages::paintClosing(QPainter& painter, double top) const
{
    double y = top;
    painter.setPen(QPen(Qt::black, 0.8));
    if (m_document.hasSums()) {
        painter.drawLine(QPointF(margin, y + 1), QPointF(margin + contentWidth, y + 1));
        const QList<double> edges = columnEdges();
        const QList<Value> sums = m_document.sums();
        painter.setFont(pageFont(painter, 8, true));
        if (sumCaptionOnOwnLine(m_document)) {
            drawText(painter, QRectF(margin + cellPad, y, contentWidth, closingLine), m_document.sumCaption,
                     Qt::AlignLeft);
            y += closingLine;
        } else {
            const int firstSum = int(std::find_if(m_document.columns().cbegin(), m_document.columns().cend(),
                                                  [](const Column& c) { return c.summed; }) -
                                     m_document.columns().cbegin());
            drawText(painter, QRectF(margin + cellPad, y, edges.at(firstSum) - margin - 2 * cellPad, closingLine),
                     m_document.sumCaption, Qt::AlignLeft);
        }
        for (int c = 0; c < m_document.columns().size(); ++c) {
            const Column& column = m_document.columns().at(c);
            if (!column.summed)
                continue;
            const QRectF cell(edges.at(c) + cellPad, y, edges.at(c + 1) - edges.at(c) - 2 * cellPad, closingLine);
            drawText(painter, cell, formatted(sums.at(c), column.format, Purpose::Paper), Qt::AlignRight,
                     Fit::WholeFigure);
        }
        y += closingLine;
    }
    if (!m_document.countCaption.isEmpty()) {
        painter.setFont(pageFont(painter, 8, true));
        drawText(painter, QRectF(margin + cellPad, y, contentWidth, closingLine),
                 m_document.countCaption + QLatin1Char(' ') + QString::number(m_document.rowCount()), Qt::AlignLeft);
        y += closingLine;
    }
    if (!m_document.signOff.isEmpty())
        paintLetterLines(painter, m_document.signOff, y + headingGap);
}

void Pages::paint(QPainter& painter, int page) const
{
    const Page& p = m_pages.at(page);
    painter.save();
    painter.setPen(Qt::black);
    double y = margin;
    if (headingOnPage())
        y = paintHeading(painter, y);
    if (page == 0 && !m_document.opening.isEmpty())
        y = paintLetterLines(painter, m_document.opening, y) + headingGap;
    const bool table = m_document.layout == Document::Layout::Table;
    if (table) {
        paintTableHead(painter, y);
        y += m_tableHead;
    }
    for (int row = p.first; row < p.first + p.rows; ++row) {
        if (table)
            paintRow(painter, row, y);
        else
            paintRecord(painter, row, y);
        y += itemHeight() + (table ? 0 : recordGap);
    }
    if (p.closing)
        paintClosing(painter, y);
    painter.setFont(pageFont(painter, 8));
    painter.setPen(Qt::black);
    drawText(painter, QRectF(margin, pageHeight - margin - footHeight + 4, contentWidth, footHeight - 4),
             QStringLiteral("Page %1 of %2").arg(page + 1).arg(count()), Qt::AlignRight);
    painter.restore();
}

QStringList Pages::headingText() const
{
    QStringList lines;
    for (const QList<Label>& line : m_document.heading)
        lines << lineText(line);
    return lines;
}

QString Pages::rowText(int row) const
{
    QStringList cells;
    for (int c = 0; c < m_document.columns().size(); ++c)
        cells << m_document.text(row, c, Purpose::Paper);
    return cells.join(separator);
}

QStringList Pages::recordText(int row) const
{
    QStringList lines{QStringLiteral("--")};
    if (!headingOnPage())
        lines << headingText();
    for (const RecordLine& line : m_document.record) {
        if (!line.headings.isEmpty()) {
            lines << line.headings.join(separator);
            continue;
        }
        QStringList places;
        for (const QString& field : line.fields) {
            const int c = m_document.columnIndex(field);
            places << (c < 0 ? QString()
                             : (field + QLatin1Char(' ') + m_document.text(row, c, Purpose::Paper)).trimmed());
        }
        lines << places.join(separator);
    }
    return lines;
}

QStringList Pages::closingText() const
{
    QStringList lines;
    if (m_document.hasSums()) {
        const QList<Value> sums = m_document.sums();
        QStringList cells;
        for (int c = 0; c < m_document.columns().size(); ++c) {
            const Column& column = m_document.columns().at(c);
            cells << (column.summed ? formatted(sums.at(c), column.format, Purpose::Paper) : QString());
        }
        if (sumCaptionOnOwnLine(m_document))
            lines << m_document.sumCaption;
        else
            cells.first() = m_document.sumCaption;
        lines << cells.join(separator);
    }
    if (!m_document.countCaption.isEmpty())
        lines << m_document.countCaption + QLatin1Char(' ') + QString::number(m_document.rowCount());
    return lines + m_document.signOff;
}

QString Pages::text(int page) const
{
    const Page& p = m_pages.at(page);
    QStringList lines;
    if (headingOnPage())
        lines << headingText();
    if (page == 0)
        lines << m_document.opening;
    const bool table = m_document.layout == Document::Layout::Table;
    if (table) {
        QStringList captions;
        for (const Column& column : m_document.columns())
            captions << column.caption;
        lines << captions.join(separator);
    }
    for (int row = p.first; row < p.first + p.rows; ++row) {
        if (table)
            lines << rowText(row);
        else
            lines << recordText(row);
    }
    if (p.closing)
        lines << closingText();
    lines << QStringLiteral("Page %1 of %2").arg(page + 1).arg(count());
    return lines.join(QLatin1Char('\n'));
}

QString textDump(const Document& document)
{
    const Pages pages(document);
    QString dump;
    for (int page = 0; page < pages.count(); ++page)
        dump += QStringLiteral("== %1 page %2 ==\n").arg(document.name).arg(page + 1) + pages.text(page) +
                QLatin1Char('\n');
    return dump;
}

} // namespace report
