#include "data/payroll_repository.h"
#include "payroll/payroll_window.h"
#include "payroll/payslip_window.h"
#include "reports/report_files.h"
#include "reports/report_viewer.h"
#include "support/report_test_data.h"
#include "support/window_fixture.h"

#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The transaction numbers a payslip document holds, in its order.
QList<qint64> payslipNumbers(const report::Document& document)
{
    QList<qint64> numbers;
    const int column = document.columnIndex(QStringLiteral("Transcation ID:"));
    for (int row = 0; row < document.rowCount(); ++row)
        numbers << std::get<qint64>(document.value(row, column));
    return numbers;
}

} // namespace

// The payslip window on the fixed report data (ACME's March 2026: transactions 1 and 3 of employee
// 1 on the 31st, 2 of employee 2, 4 of employee 3 on the 1st). Today is 15 March 2026.
class TestPayslipWindow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f = std::make_unique<WindowFixture>();
        fillReportData(m_f->db());
    }
    void cleanup() { m_f.reset(); }

    void listFollowsTheMonthOfTheCompany_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QList<qint64>>("listed");
        QTest::newRow("today's month") << QDate(2026, 3, 15) << QList<qint64>{1, 3, 2, 4};
        QTest::newRow("April, with a row on its first day") << QDate(2026, 4, 30) << QList<qint64>{5};
        QTest::newRow("February, with a row on its last day") << QDate(2026, 2, 1) << QList<qint64>{6};
        QTest::newRow("no transactions") << QDate(2026, 6, 30) << QList<qint64>{};
    }
    void listFollowsTheMonthOfTheCompany()
    {
        QFETCH(QDate, date);
        QFETCH(QList<qint64>, listed);
        m_f->open<PayslipWindow>();
        m_f->control<QDateEdit>(QStringLiteral("dtPick"))->setDate(date);
        QCOMPARE(listedNumbers(), listed);
    }

    // Transactions 1 and 2 are printed; 3, of the same employee on the same day, stays out. Sorting
    // the list keeps the same transactions selected, wherever they move.
    void printsExactlyTheSelectedTransactions()
    {
        m_f->open<PayslipWindow>();
        select({0, 2});
        m_f->click(QStringLiteral("cmdPrintSel"));
        QCOMPARE(payslipNumbers(m_f->last<ReportViewer>()->document()), (QList<qint64>{1, 2}));
        auto* view = m_f->control<QTableView>(QStringLiteral("lvwInfo"));
        view->horizontalHeader()->setSortIndicator(14, Qt::AscendingOrder); // by net pay
        QCOMPARE(view->model()->index(0, 15).data().toLongLong(), 3); // 403, the smallest
        m_f->click(QStringLiteral("cmdPrintSel"));
        QList<qint64> printed = payslipNumbers(m_f->last<ReportViewer>()->document());
        std::sort(printed.begin(), printed.end());
        QCOMPARE(printed, (QList<qint64>{1, 2}));
    }

    // The payroll window calls the payslip window up on its own month: within itself, or beside itself
    // in the main window. Asked again, the same window follows the month and reads it again (a
    // transaction may have been saved meanwhile).
    void payrollWindowOpensItOnItsMonth_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::newRow("within the payroll window") << false;
        QTest::newRow("beside it in the main window") << true;
    }
    void payrollWindowOpensItOnItsMonth()
    {
        QFETCH(bool, beside);
        std::unique_ptr<PayslipWindow> made;
        QStringList asked;
        if (beside)
            m_f->context.openBeside = [&](const QString& name) -> QWidget* {
                asked << name;
                if (!made)
                    made = std::make_unique<PayslipWindow>(m_f->context);
                return made.get();
            };
        auto* payroll = m_f->open<PayrollWindow>();
        const auto print = [&](QDate day) {
            m_f->control<QDateEdit>(QStringLiteral("DTPicker1"))->setDate(day);
            m_f->click(QStringLiteral("cmdPrintPayslip"));
            PayslipWindow* shown = beside ? made.get() : payroll->findChild<PayslipWindow*>();
            if (!shown)
                return std::pair(QDate(), -1);
            const int listed = shown->findChild<QTableView*>(QStringLiteral("lvwInfo"))->model()->rowCount();
            return std::pair(shown->month(), listed);
        };
        QCOMPARE(print(QDate(2026, 2, 10)), std::pair(QDate(2026, 2, 1), 1));
        QCOMPARE(print(QDate(2026, 4, 2)), std::pair(QDate(2026, 4, 1), 1));
        PayrollTransaction saved;
        saved.employeeId = 3;
        saved.payDate = QDate(2026, 4, 30);
        saved.company = QStringLiteral("ACME");
        QVERIFY(PayrollRepository(m_f->db()).insert(saved));
        QCOMPARE(print(QDate(2026, 4, 2)), std::pair(QDate(2026, 4, 1), 2));
        QCOMPARE(payroll->findChildren<PayslipWindow*>().size(), beside ? 0 : 1);
        QCOMPARE(asked, beside ? QStringList(3, QStringLiteral("Form5")) : QStringList());
        m_f->context.openBeside = {};
    }

    // Print All gives one payslip per transaction, and the viewer exports it.
    void printAllAndTheViewer()
    {
        m_f->open<PayslipWindow>();
        m_f->click(QStringLiteral("cmdPrintAll"));
        ReportViewer* viewer = m_f->last<ReportViewer>();
        QCOMPARE(payslipNumbers(viewer->document()), (QList<qint64>{1, 3, 2, 4}));

        QTemporaryDir dir;
        m_f->prompter.answerFile(dir.filePath(QStringLiteral("march"))); // the suffix is added
        viewer->exportCsv();
        QFile csv(dir.filePath(QStringLiteral("march.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), report::csv(viewer->document()));

        viewer->exportPdf(); // cancelled: no file name (a PDF's writing is the report engine's test)
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        QVERIFY(m_f->prompter.texts().filter(QStringLiteral("Error")).isEmpty());
    }

private:
    QList<qint64> listedNumbers() const
    {
        const QAbstractItemModel* model = m_f->control<QTableView>(QStringLiteral("lvwInfo"))->model();
        QList<qint64> numbers;
        for (int row = 0; row < model->rowCount(); ++row)
            numbers << model->index(row, 15).data().toLongLong();
        return numbers;
    }
    void select(std::initializer_list<int> rows)
    {
        auto* view = m_f->control<QTableView>(QStringLiteral("lvwInfo"));
        for (int row : rows) {
            const QRect cell = view->visualRect(view->model()->index(row, 1));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
        }
    }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestPayslipWindow)
#include "test_payslip_window.moc"
