#pragma once

#include "common/currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <variant>

namespace report {

// A value as a row hands it to a report.
using Value = std::variant<std::monostate, QString, qint64, Currency, QDate>;

enum class Format {
    Text,      // as it stands
    Number,    // a whole number, no grouping
    Amount,    // two decimals: grouped on paper (12,500.00), plain in CSV (12500.00)
    Date,      // 31/03/2026 on paper, 2026-03-31 in CSV
    MonthYear, // March 2026
    Signature, // a line to sign on paper; not in CSV
};

// Where a value is shown: paper (preview, printer, PDF and the text dump) or a spreadsheet.
enum class Purpose { Paper, Csv };

QString formatted(const Value& value, Format format, Purpose purpose);

struct Column {
    QString caption;
    Format format = Format::Text;
    double width = 1; // share of a table's width
    bool summed = false;

    bool rightAligned() const { return format == Format::Amount || format == Format::Number; }
};

// A caption of the heading, named as the windows address it ("Label20").
struct Label {
    QString name;
    QString text;
    bool strong = false; // a line holding a strong caption is printed larger, in bold
};

// One line of a record: the fields (by caption) side by side, an empty caption leaving its place
// empty; or, when headings are given, a line of headings over the places below.
struct RecordLine {
    QStringList fields;
    QStringList headings;
};

// A row field of a report: its column and how to read it from a row of type Row.
template <typename Row>
struct Field {
    Column column;
    std::function<Value(const Row&)> value;
};

// A field that shows a member of the row as it stands.
template <typename Row, typename Member>
Field<Row> memberField(const char* caption, Format format, Member Row::*member)
{
    return {{QString::fromLatin1(caption), format}, [member](const Row& row) { return Value(row.*member); }};
}

// A report filled for showing: its layout, its heading captions and its rows. Every output (pages,
// CSV, the text dump) is rendered from one document.
class Document {
public:
    enum class Layout {
        Table,   // one line per row under column headings; sums and the row count at the end
        Records, // one block per row, its fields laid out by `record`
    };

    QString name;        // the report's name ("drtSel"), also the viewer's
    QString title;       // the viewer's caption and the PDF's title; printed only as a heading label
    bool emblem = false; // the picture beside the heading
    Layout layout = Layout::Table;
    QList<QList<Label>> heading; // lines under the title, each a run of captions
    // Records only: the title and heading open every record instead of every page, so that a
    // payslip cut from its page still names its company.
    bool headingOnEachRecord = false;
    QList<RecordLine> record;
    // A letter's lines: `opening` between the heading and the table of the first page, `signOff`
    // after the sums of the last; each one line, left-aligned, as its writer broke them.
    QStringList opening;
    QStringList signOff;
    QString sumCaption = QStringLiteral("GRAND TOTAL:");
    QString countCaption; // "Total Rows Count:" when the report counts its rows

    // Sets the caption of the heading's label of that name; false when there is none.
    bool setLabel(const QString& labelName, const QString& text);
    QString label(const QString& labelName) const;

    template <typename Row>
    void setRows(QList<Field<Row>> fields, QList<Row> rows);

    const QList<Column>& columns() const { return m_columns; }
    int columnIndex(const QString& caption) const;
    int rowCount() const { return m_rowCount; }
    Value value(int row, int column) const { return m_value(row, column); }
    QString text(int row, int column, Purpose purpose) const;
    bool hasSums() const;
    // The exact total of each summed column over every row, of the stored amounts (rounded only
    // where it is shown, as every total is); nothing for the other columns, nor for a total beyond range.
    QList<Value> sums() const;

private:
    QList<Column> m_columns;
    int m_rowCount = 0;
    std::function<Value(int, int)> m_value = [](int, int) { return Value(); };
};

template <typename Row>
void Document::setRows(QList<Field<Row>> fields, QList<Row> rows)
{
    struct Data {
        QList<std::function<Value(const Row&)>> read;
        QList<Row> rows;
    };
    auto data = std::make_shared<Data>();
    m_columns.clear();
    for (Field<Row>& field : fields) {
        m_columns.append(field.column);
        data->read.append(std::move(field.value));
    }
    data->rows = std::move(rows);
    m_rowCount = int(data->rows.size());
    m_value = [data](int row, int column) { return data->read.at(column)(data->rows.at(row)); };
}

} // namespace report
