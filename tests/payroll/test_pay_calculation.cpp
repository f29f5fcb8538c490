#include "payroll/pay_calculation.h"

#include <QTest>

Q_DECLARE_METATYPE(PayInputs)

namespace {
Currency c(const char* text)
{
    return *Currency::parse(QString::fromLatin1(text));
}
} // namespace

class TestPayCalculation : public QObject {
    Q_OBJECT
private slots:
    void rates_data();
    void rates();
    void totals_data();
    void totals();
    void leavingABoxRoundsToWhole_data();
    void leavingABoxRoundsToWhole();
    void overflowGivesNoResult();
};

void TestPayCalculation::rates_data()
{
    QTest::addColumn<QString>("basic");
    QTest::addColumn<QDate>("payDate");
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("monthly");
    QTest::addColumn<QString>("daily");
    QTest::addColumn<QString>("earn");
    const QDate march(2026, 3, 15);
    QTest::newRow("31-day month, 25 days (8064.5 to even)") << "10000" << march << "25"
                                                            << "10000"
                                                            << "322.58"
                                                            << "8064";
    QTest::newRow("31-day month, 26 days") << "10000" << march << "26"
                                           << "10000"
                                           << "322.58"
                                           << "8387";
    QTest::newRow("basic rate half down to even") << "10000.5" << march << "31"
                                                  << "10000"
                                                  << "322.58"
                                                  << "10000";
    QTest::newRow("basic rate half up to even") << "10001.5" << march << "31"
                                                << "10002"
                                                << "322.65"
                                                << "10002";
    QTest::newRow("leap February") << "29000" << QDate(2024, 2, 1) << "29"
                                   << "29000"
                                   << "1000"
                                   << "29000";
    QTest::newRow("common February") << "29000" << QDate(2023, 2, 28) << "28"
                                     << "29000"
                                     << "1035.71"
                                     << "29000";
    QTest::newRow("half a day") << "29000" << QDate(2023, 2, 28) << "14.5"
                                << "29000"
                                << "1035.71"
                                << "15018";
    QTest::newRow("salary half down to even") << "90" << QDate(2026, 4, 1) << "1.5"
                                              << "90"
                                              << "3"
                                              << "4";
    QTest::newRow("salary half up to even") << "90" << QDate(2026, 4, 1) << "2.5"
                                            << "90"
                                            << "3"
                                            << "8";
    QTest::newRow("no days") << "10000" << march << "0"
                             << "10000"
                             << "322.58"
                             << "0";
}

void TestPayCalculation::rates()
{
    QFETCH(QString, basic);
    QFETCH(QDate, payDate);
    QFETCH(QString, days);
    PayInputs in;
    in.basicRate = *Currency::parse(basic);
    in.payDate = payDate;
    in.daysPresent = *Currency::parse(days);
    const auto out = calculatePay(in);
    QVERIFY(out);
    QTEST(out->monthlyRate.toString(), "monthly");
    QTEST(out->dailyRate.toString(), "daily");
    QTEST(out->presentDaysSalary.toString(), "earn");
    QCOMPARE(out->netPay, out->presentDaysSalary);
}

void TestPayCalculation::totals_data()
{
    QTest::addColumn<PayInputs>("in");
    QTest::addColumn<QString>("additional");
    QTest::addColumn<QString>("deductions");
    QTest::addColumn<QString>("net");
    PayInputs base;
    base.basicRate = c("10000");
    base.payDate = QDate(2026, 3, 31);
    base.daysPresent = c("25"); // present days salary 8064

    PayInputs additions = base;
    additions.bonus = c("100");
    additions.overtime = c("50");
    additions.travel = c("20.25");
    QTest::newRow("bonus, overtime and travel keep two decimals") << additions << "170.25"
                                                                  << "0"
                                                                  << "8234.25";

    PayInputs all = additions;
    all.advances = c("500");
    all.loanDeduction = c("1000");
    all.lic = c("12");
    all.contribution = c("14");
    all.pgvcl = c("7");
    QTest::newRow("LIC, contribution and PGVCL are always deducted") << all << "170.25"
                                                                     << "1533"
                                                                     << "6701.25";

    PayInputs travelDown = base;
    travelDown.travel = c("0.125");
    QTest::newRow("additional half to even, down") << travelDown << "0.12"
                                                   << "0"
                                                   << "8064.12";
    PayInputs travelUp = base;
    travelUp.travel = c("0.135");
    QTest::newRow("additional half to even, up") << travelUp << "0.14"
                                                 << "0"
                                                 << "8064.14";

    PayInputs licDown = base;
    licDown.lic = c("2.5");
    QTest::newRow("deductions half to even, down") << licDown << "0"
                                                   << "2"
                                                   << "8062";
    PayInputs licUp = base;
    licUp.lic = c("3.5");
    QTest::newRow("deductions half to even, up") << licUp << "0"
                                                 << "4"
                                                 << "8060";

    PayInputs heavy = base;
    heavy.advances = c("9000");
    QTest::newRow("deductions above salary give a negative net") << heavy << "0"
                                                                 << "9000"
                                                                 << "-936";
}

void TestPayCalculation::totals()
{
    QFETCH(PayInputs, in);
    const auto out = calculatePay(in);
    QVERIFY(out);
    QTEST(out->totalAdditional.toString(), "additional");
    QTEST(out->totalDeductions.toString(), "deductions");
    QTEST(out->netPay.toString(), "net");
}

void TestPayCalculation::leavingABoxRoundsToWhole_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("12.5 to even") << "12.5"
                                  << "12";
    QTest::newRow("13.5 to even") << "13.5"
                                  << "14";
    QTest::newRow("blank") << ""
                           << "0";
    QTest::newRow("lone point") << "."
                                << "0";
    QTest::newRow("two points") << "1..2"
                                << "0";
    QTest::newRow("whole stays") << "250"
                                 << "250";
}

void TestPayCalculation::leavingABoxRoundsToWhole()
{
    QFETCH(QString, typed);
    QTEST(wholeAmountText(typed), "shown");
}

void TestPayCalculation::overflowGivesNoResult()
{
    PayInputs in;
    in.basicRate = c("10000");
    in.payDate = QDate(2026, 1, 1);
    in.advances = Currency::fromUnits(std::numeric_limits<qint64>::max());
    in.lic = c("1");
    QVERIFY(!calculatePay(in));
    in.advances = c("0");
    in.payDate = QDate();
    QVERIFY(!calculatePay(in));
}

QTEST_GUILESS_MAIN(TestPayCalculation)
#include "test_pay_calculation.moc"
