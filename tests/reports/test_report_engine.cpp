#include "data/sql_query.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"
#include "reports/report_files.h"
#include "reports/report_grid.h"
#include "reports/report_pages.h"
#include "support/amounts.h"
#include "support/file_size_limit.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

using namespace report;

Q_DECLARE_METATYPE(report::Value)

namespace {

struct Line {
    qint64 id;
    QString name;
    Currency amount;
    QDate date;
};

// A table like the payroll reports': a range in the heading, one summed amount, the row count.
Document table(int rows)
{
    Document d;
    d.name = QStringLiteral("TestReport");
    d.title = QStringLiteral("TEST REPORT");
    d.heading = {{{QStringLiteral("Label20"), QStringLiteral("ACME"), true}},
                 {{QStringLiteral("Label21"), QStringLiteral("1 MILL ROAD")}},
                 {{QStringLiteral("Label18"), QStringLiteral("TEST REPORT"), true}},
                 {{QStringLiteral("Label19"), QStringLiteral("REPORT FROM:")},
                  {QStringLiteral("Label22"), QStringLiteral("01/03/2026")},
                  {QStringLiteral("Label23"), QStringLiteral("TO")},
                  {QStringLiteral("Label24"), QStringLiteral("31/03/2026")}}};
    d.countCaption = QStringLiteral("Total Rows Count:");
    QList<Line> lines;
    for (int i = 0; i < rows; ++i)
        lines.append({i + 1, QStringLiteral("EMPLOYEE %1").arg(i + 1), Currency::fromUnits(qint64(1234567) * (i + 1) + 50),
                      QDate(2026, 3, 1 + i % 31)});
    d.setRows<Line>(
        {{{QStringLiteral("ID")}, [](const Line& l) { return Value(l.id); }},
         {{QStringLiteral("Employee Name"), Format::Text, 3}, [](const Line& l) { return Value(l.name); }},
         {{QStringLiteral("Netpay"), Format::Amount, 1, true}, [](const Line& l) { return Value(l.amount); }},
         {{QStringLiteral("Date"), Format::Date}, [](const Line& l) { return Value(l.date); }},
         {{QStringLiteral("Signature"), Format::Signature}, [](const Line&) { return Value(); }}},
        lines);
    return d;
}

// The amount of each detail line of a page text (the third cell), parsed back.
QList<Currency> printedAmounts(const QString& pageText)
{
    QList<Currency> amounts;
    static const QRegularExpression detail(QStringLiteral("^\\d+ \\| EMPLOYEE \\d+ \\| ([\\d,]+\\.\\d\\d) \\|"));
    for (const QString& line : pageText.split(QLatin1Char('\n'))) {
        const auto match = detail.match(line);
        if (match.hasMatch())
            amounts.append(c(match.captured(1).remove(QLatin1Char(',')).toLatin1()));
    }
    return amounts;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void formatting_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("csv");
        // clang-format off
        QTest::newRow("whole amount") << Value(c("12500")) << int(Format::Amount) << "12,500.00" << "12500.00";
        QTest::newRow("half cent down to even") << Value(c("0.125")) << int(Format::Amount) << "0.12" << "0.12";
        QTest::newRow("half cent up to even") << Value(c("0.135")) << int(Format::Amount) << "0.14" << "0.14";
        QTest::newRow("negative") << Value(c("-1234.5")) << int(Format::Amount) << "-1,234.50" << "-1234.50";
        QTest::newRow("millions") << Value(c("1234567.891")) << int(Format::Amount) << "1,234,567.89" << "1234567.89";
        QTest::newRow("number as amount") << Value(qint64(7)) << int(Format::Amount) << "7.00" << "7.00";
        QTest::newRow("number") << Value(qint64(12345)) << int(Format::Number) << "12345" << "12345";
        QTest::newRow("date") << Value(QDate(2026, 3, 9)) << int(Format::Date) << "09/03/2026" << "2026-03-09";
        QTest::newRow("month") << Value(QDate(2026, 2, 28)) << int(Format::MonthYear) << "February 2026" << "February 2026";
        QTest::newRow("no date") << Value(QDate()) << int(Format::Date) << "" << "";
        QTest::newRow("nothing") << Value() << int(Format::Amount) << "" << "";
        QTest::newRow("signature") << Value(QStringLiteral("x")) << int(Format::Signature) << "" << "";
        // clang-format on
    }
    void formatting()
    {
        QFETCH(Value, value);
        QFETCH(int, format);
        QFETCH(QString, paper);
        QFETCH(QString, csv);
        QCOMPARE(formatted(value, Format(format), Purpose::Paper), paper);
        QCOMPARE(formatted(value, Format(format), Purpose::Csv), csv);
    }

    // Every row is printed once, in order; every page is numbered and the sums close the last one. The
    // amounts have four decimals: the total is their exact sum rounded once, as the report windows'
    // boxes show it, not the sum of the lines.
    void manyRowsGoOnSeveralPages()
    {
        const Document d = table(120);
        const Pages pages(d);
        QVERIFY(pages.count() >= 3);
        QList<Currency> printed;
        for (int page = 0; page < pages.count(); ++page) {
            const QString text = pages.text(page);
            QVERIFY(text.endsWith(QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages.count())));
            QCOMPARE(text.contains(QStringLiteral("GRAND TOTAL:")), page == pages.count() - 1);
            printed += printedAmounts(text);
        }
        QCOMPARE(printed.size(), 120);
        qint64 units = 0;
        for (int i = 0; i < printed.size(); ++i) {
            QCOMPARE(printed.at(i), Currency::fromUnits(qint64(1234567) * (i + 1) + 50).rounded(2));
            units += 1234567 * (i + 1) + 50;
        }
        // Half to even at the cent, worked out here apart from Currency.
        const qint64 cents = units / 100 + ((units % 100 > 50 || (units % 100 == 50 && (units / 100) % 2 == 1)) ? 1 : 0);
        const auto total = std::optional<Currency>(Currency::fromUnits(cents * 100));
        QVERIFY(total != std::optional<Currency>(std::accumulate(printed.cbegin(), printed.cend(), Currency(),
                                                                 [](Currency a, Currency b) { return *a.plus(b); })));
        const QString last = pages.text(pages.count() - 1);
        QVERIFY2(last.contains(
                     QStringLiteral("GRAND TOTAL: |  | %1 |").arg(formatted(*total, Format::Amount, Purpose::Paper))),
                 qPrintable(last));
        QVERIFY(last.contains(QStringLiteral("Total Rows Count: 120")));
    }

    // Rows that fill the last page leave the sums to a page of their own rather than squeezing them.
    void sumsThatDoNotFitTakeANewPage()
    {
        const int perPage = int(printedAmounts(Pages(table(200)).text(0)).size());
        const Pages full(table(perPage));
        QCOMPARE(full.count(), 2);
        QVERIFY(printedAmounts(full.text(1)).isEmpty());
        QVERIFY(full.text(1).contains(QStringLiteral("Total Rows Count: %1").arg(perPage)));
    }

    // A total in the first column takes the caption's place, so the caption goes on a line of its own.
    void firstColumnSummed()
    {
        Document summed;
        summed.name = QStringLiteral("TestReport");
        summed.setRows<Line>(
            {{{QStringLiteral("Amount"), Format::Amount, 1, true}, [](const Line& l) { return Value(l.amount); }},
             {{QStringLiteral("Name")}, [](const Line& l) { return Value(l.name); }}},
            {{1, QStringLiteral("A"), c("1.5"), {}}, {2, QStringLiteral("B"), c("2.25"), {}}});
        QVERIFY(textDump(summed).contains(QStringLiteral("\nGRAND TOTAL:\n3.75 | \nPage 1 of 1")));
    }

    // The printer's page ranges choose the pages ("1,3" is two pages, not three).
    void printsTheChosenPages()
    {
        QTemporaryDir dir;
        const Document d = table(120); // three pages or more, as manyRowsGoOnSeveralPages finds
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("p.pdf")));
        printer.setPrintRange(QPrinter::PageRange);
        QPageRanges ranges;
        ranges.addPage(1);
        ranges.addPage(3);
        printer.setPageRanges(ranges);
        const auto printed = report::print(d, printer);
        QVERIFY(printed && *printed);
        QCOMPARE(contents(printer.outputFileName()).count("/Type /Page\n"), 2);

        QPageRanges beyond;
        beyond.addRange(50, 60);
        printer.setPageRanges(beyond);
        QVERIFY(!report::print(d, printer));
    }

    void csvIsForSpreadsheets()
    {
        Document d;
        d.name = QStringLiteral("T");
        const QList<Line> lines = {{1, QStringLiteral("PATEL, RAMESH"), c("12500"), QDate(2026, 3, 31)},
                                   {2, QStringLiteral("O'NEIL \"JR\""), c("-3.5"), QDate()},
                                   {3, QStringLiteral("=HYPERLINK(\"x\")"), c("0.005"), QDate(2026, 1, 2)},
                                   {4, QStringLiteral("ŚRĪ GAṆEŚ"), c("1234567.891"), QDate(2026, 1, 2)}};
        d.setRows<Line>({{{QStringLiteral("ID Number:")}, [](const Line& l) { return Value(l.id); }},
                         {{QStringLiteral("Emp. Name:")}, [](const Line& l) { return Value(l.name); }},
                         {{QStringLiteral("Net Pay"), Format::Amount}, [](const Line& l) { return Value(l.amount); }},
                         {{QStringLiteral("Dated:"), Format::Date}, [](const Line& l) { return Value(l.date); }},
                         {{QStringLiteral("Signature:"), Format::Signature}, [](const Line&) { return Value(); }}},
                        lines);
        QCOMPARE(QString::fromUtf8(csv(d)), QStringLiteral("ID Number,Emp. Name,Net Pay,Dated\r\n"
                                                           "1,\"PATEL, RAMESH\",12500.00,2026-03-31\r\n"
                                                           "2,\"O'NEIL \"\"JR\"\"\",-3.50,\r\n"
                                                           "3,\"'=HYPERLINK(\"\"x\"\")\",0.00,2026-01-02\r\n"
                                                           "4,ŚRĪ GAṆEŚ,1234567.89,2026-01-02\r\n"));
    }

    void filesAreWholeOrNotWritten()
    {
        QTemporaryDir dir;
        const Document d = table(120);
        const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
        const auto written = writePdf(d, pdf);
        QVERIFY(written && *written);
        const QByteArray before = contents(pdf);
        QVERIFY(before.startsWith("%PDF-"));
        // Pay data: the owner's only, whatever the umask.
        QCOMPARE(QFile::permissions(pdf) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());

        // A cancelled export keeps the file that was there.
        const auto cancelled = writePdf(table(10), pdf, [](int done, int) { return done < 1; });
        QVERIFY(cancelled && !*cancelled);
        QCOMPARE(contents(pdf), before);

        const QString fresh = dir.filePath(QStringLiteral("fresh.pdf"));
        QVERIFY(!*writePdf(table(10), fresh, [](int done, int) { return done < 1; }));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("r.pdf")});

        const QString nowhere = dir.filePath(QStringLiteral("missing/r.pdf"));
        QVERIFY(!writePdf(d, nowhere));
        QVERIFY(!writeCsv(d, nowhere));
        QVERIFY(!QFile::exists(nowhere));
    }

    // A disk that fills while the file is written: the writer says so, and the old file stays,
    // with no partial file beside it.
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::newRow("csv") << false;
        QTest::newRow("pdf") << true;
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(bool, pdf);
        QTemporaryDir dir;
        const QString path = dir.filePath(pdf ? QStringLiteral("keep.pdf") : QStringLiteral("keep.csv"));
        QVERIFY(writeFile("old report", path));
        const Document d = table(pdf ? 200 : 2000);
        const QString failure = failureUnderFileSizeLimit(4096, [&]() -> Status {
            if (!pdf)
                return writeCsv(d, path);
            const auto written = writePdf(d, path);
            return written ? Status() : written.status();
        });
        QVERIFY2(failure.contains(QStringLiteral("cannot be written")) && failure.contains(QStringLiteral("large")),
                 qPrintable(failure));
        QCOMPARE(contents(path), QByteArray("old report"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
    }

    void companyHeading_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QVariant>("address"); // null: no company row
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("address") << "ACME" << QVariant(QStringLiteral("1 MILL ROAD")) << "1 MILL ROAD";
        QTest::newRow("empty") << "ACME" << QVariant(QString()) << "MARKET ROAD HILLTOWN";
        QTest::newRow("blanks") << "ACME" << QVariant(QStringLiteral("   ")) << "MARKET ROAD HILLTOWN";
        QTest::newRow("Null") << "ACME" << QVariant(QMetaType(QMetaType::QString)) << "MARKET ROAD HILLTOWN";
        QTest::newRow("no row") << "OTHER" << QVariant(QStringLiteral("1 MILL ROAD")) << "MARKET ROAD HILLTOWN";
        // The master cannot be read: a failure, never the fixed line.
        QTest::newRow("unreadable") << "ACME" << QVariant(QStringLiteral("1 MILL ROAD")) << "";
        // clang-format on
    }
    void companyHeading()
    {
        QFETCH(QString, company);
        QFETCH(QVariant, address);
        TestDatabase database;
        QVERIFY(SqlQuery(database.db(), "INSERT INTO cmpmaster (company, addr, selectt) VALUES ('ACME', ?, 0)")
                    .bind(address)
                    .exec());
        QFETCH(QString, line);
        if (line.isEmpty()) {
            QVERIFY(SqlQuery(database.db(), "DROP TABLE cmpmaster").exec());
            QVERIFY(!report::companyHeading(database.db(), company));
            return;
        }
        const CompanyHeading heading = report::companyHeading(database.db(), company).value();
        QCOMPARE(heading.name, company);
        QCOMPARE(heading.address, line);
    }

    // A figure too wide for its column is set smaller, never cut: a cut total reads as another. A
    // heading too wide wraps to a second line, never cut either.
    void figuresAndHeadingsAreNeverCut()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is not installed");
        Document d = table(0);
        d.setRows<Line>(
            {{{QStringLiteral("Employee Name"), Format::Text, 12}, [](const Line& l) { return Value(l.name); }},
             {{QStringLiteral("Per month Deduction"), Format::Amount, 1, true},
              [](const Line& l) { return Value(l.amount); }}},
            {{1, "A VERY LONG NAME INDEED", c("987654321.25"), {}}, {2, "B", c("987654321.25"), {}}});
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("narrow.pdf"));
        QVERIFY(writePdf(d, path).value());
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("987,654,321.25")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("1,975,308,642.50")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Per month")) && text.contains(QStringLiteral("Deduction")) &&
                     !text.contains(QChar(0x2026)),
                 qPrintable(text));
    }

    // A header click orders numbers, amounts and dates by value and texts without regard to case;
    // empty cells come first.
    void gridOrder_data()
    {
        QTest::addColumn<Value>("smaller");
        QTest::addColumn<Value>("larger");
        QTest::newRow("amounts, not their texts") << Value(c("900")) << Value(c("12500"));
        QTest::newRow("negative amounts") << Value(c("-5")) << Value(c("0.01"));
        QTest::newRow("numbers") << Value(qint64(9)) << Value(qint64(10));
        QTest::newRow("dates across a year") << Value(QDate(2025, 12, 31)) << Value(QDate(2026, 1, 1));
        QTest::newRow("texts, any case") << Value(QStringLiteral("anna")) << Value(QStringLiteral("BEN"));
        QTest::newRow("empty first") << Value() << Value(c("0"));
    }
    void gridOrder()
    {
        QFETCH(Value, smaller);
        QFETCH(Value, larger);
        QVERIFY(valueLess(smaller, larger));
        QVERIFY(!valueLess(larger, smaller));
        QVERIFY(!valueLess(smaller, smaller));
        // The same order in a grid filled item by item.
        const auto item = [](const Value& v) {
            GridItem i;
            i.setData(SortRole, cellData(v, Format::Amount, SortRole));
            i.setData(Qt::DisplayRole, cellData(v, Format::Amount, Qt::DisplayRole));
            return i;
        };
        if (!std::holds_alternative<std::monostate>(smaller)) {
            QVERIFY(item(smaller) < item(larger));
            QVERIFY(!(item(larger) < item(smaller)));
        }
    }

    // A grid of a document sorts on a header click, keeps equal rows in their order, and exports
    // what it shows: in its order, without hidden columns, amounts plain, names kept as text.
    void gridSortsAndExportsWhatItShows()
    {
        Document d = table(4);
        d.setRows<Line>({{{QStringLiteral("Name")}, [](const Line& l) { return Value(l.name); }},
                         {{QStringLiteral("Amount"), Format::Amount}, [](const Line& l) { return Value(l.amount); }},
                         // Shown as stored, written with two decimals as every other amount of a CSV.
                         {{QStringLiteral("Stored")}, [](const Line& l) { return Value(l.amount); }},
                         {{QStringLiteral("Hidden")}, [](const Line&) { return Value(QStringLiteral("x")); }}},
                        {{1, "=SUM(A1)", c("1500"), {}}, {2, "B, C", c("900"), {}}, {3, "A", c("1500"), {}},
                         {4, "d", c("12500.5"), {}}});
        QTableView view;
        auto* model = new DocumentModel(&view);
        view.setModel(model);
        model->setDocument(d);
        view.setColumnHidden(3, true);
        model->sort(1, Qt::DescendingOrder);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("12,500.50"));
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("12500.5"));
        QCOMPARE(model->documentRow(1), 0); // the two of 1,500 in the document's order
        QCOMPARE(model->documentRow(2), 2);
        QCOMPARE(QString::fromUtf8(gridCsv(view)),
                 QStringLiteral("Name,Amount,Stored\r\nd,12500.50,12500.50\r\n'=SUM(A1),1500.00,1500.00\r\n"
                                "A,1500.00,1500.00\r\n\"B, C\",900.00,900.00\r\n"));
        // New rows keep the order chosen.
        model->setDocument(d);
        QCOMPARE(model->index(3, 0).data().toString(), QStringLiteral("B, C"));
    }
};

QTEST_MAIN(TestReportEngine)
#include "test_report_engine.moc"
