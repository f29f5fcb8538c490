#pragma once

#include "reports/report_document.h"

#include <QList>
#include <QSizeF>

class QPainter;

namespace report {

// A document laid out on A4 pages: the heading on every page (or on every record), no row or record
// split across pages, the sums and the row count after the last row, and the page number at the foot
// of every page. Painting and the text dump follow the same layout.
class Pages {
public:
    explicit Pages(const Document& document);

    // The page in points; paint() draws in these coordinates.
    static QSizeF pageSize();

    int count() const { return int(m_pages.size()); }
    void paint(QPainter& painter, int page) const;
    // The page as plain text, line for line as it is printed.
    QString text(int page) const;

private:
    struct Page {
        int first = 0;
        int rows = 0;
        bool closing = false; // the sums and the row count end this page
    };

    double headingHeight() const;
    double itemHeight() const;
    double closingHeight() const;
    double openingHeight() const;
    double paintLetterLines(QPainter& painter, const QStringList& lines, double top) const;
    bool headingOnPage() const;
    double paintHeading(QPainter& painter, double top) const;
    void paintTableHead(QPainter& painter, double top) const;
    void paintRow(QPainter& painter, int row, double top) const;
    void paintRecord(QPainter& painter, int row, double top) const;
    void paintClosing(QPainter& painter, double top) const;
    QList<double> columnEdges() const;
    // One line, or two when a column's heading does not fit its width on one.
    double measureTableHead() const;
    QStringList headingText() const;
    QString rowText(int row) const;
    QStringList recordText(int row) const;
    QStringList closingText() const;

    Document m_document; // a copy: the rows it holds are shared, not copied
    QList<Page> m_pages;
    double m_tableHead = 0;
};

// Every page's text, each opened by its page marker: what tests compare with reference files.
QString textDump(const Document& document);

} // namespace report
