#include "rules/pay_calculation.h"
#include "support/amounts.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(PayInputs)

class TestPayCalculation : public QObject {
    Q_OBJECT
private slots:
    void rates_data();
    void rates();
    void totals_data();
    void totals();
    void tooLargeFiguresAreMissingAlone();
    void agreesWithExactDecimalArithmetic();
    void loanDeductionIsWhatIsStillOwed_data();
    void loanDeductionIsWhatIsStillOwed();
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
    // clang-format off
    QTest::newRow("31-day month, 25 days (8064.5 to even)") << "10000" << march << "25" << "10000" << "322.58" << "8064";
    QTest::newRow("31-day month, 26 days") << "10000" << march << "26" << "10000" << "322.58" << "8387";
    QTest::newRow("basic rate half down to even") << "10000.5" << march << "31" << "10000" << "322.58" << "10000";
    QTest::newRow("basic rate half up to even") << "10001.5" << march << "31" << "10002" << "322.65" << "10002";
    QTest::newRow("leap February") << "29000" << QDate(2024, 2, 1) << "29" << "29000" << "1000" << "29000";
    QTest::newRow("common February") << "29000" << QDate(2023, 2, 28) << "28" << "29000" << "1035.71" << "29000";
    QTest::newRow("half a day") << "29000" << QDate(2023, 2, 28) << "14.5" << "29000" << "1035.71" << "15018";
    QTest::newRow("salary half down to even") << "90" << QDate(2026, 4, 1) << "1.5" << "90" << "3" << "4";
    QTest::newRow("salary half up to even") << "90" << QDate(2026, 4, 1) << "2.5" << "90" << "3" << "8";
    QTest::newRow("no days") << "10000" << march << "0" << "10000" << "322.58" << "0";
    // clang-format on
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
    PayInputs base; // present days salary 8064
    base.basicRate = c("10000");
    base.payDate = QDate(2026, 3, 31);
    base.daysPresent = c("25");
    const auto with = [&base](std::initializer_list<std::pair<Currency PayInputs::*, const char*>> amounts) {
        PayInputs in = base;
        for (const auto& [field, amount] : amounts)
            in.*field = c(amount);
        return in;
    };
    // clang-format off
    QTest::newRow("bonus, overtime and travel keep two decimals")
        << with({{&PayInputs::bonus, "100"}, {&PayInputs::overtime, "50"}, {&PayInputs::travel, "20.25"}})
        << "170.25" << "0" << "8234.25";
    QTest::newRow("LIC, contribution and PGVCL are always deducted")
        << with({{&PayInputs::bonus, "100"}, {&PayInputs::overtime, "50"}, {&PayInputs::travel, "20.25"},
                 {&PayInputs::advances, "500"}, {&PayInputs::loanDeduction, "1000"}, {&PayInputs::lic, "12"},
                 {&PayInputs::contribution, "14"}, {&PayInputs::pgvcl, "7"}})
        << "170.25" << "1533" << "6701.25";
    QTest::newRow("additional half to even, down") << with({{&PayInputs::travel, "0.125"}}) << "0.12" << "0" << "8064.12";
    QTest::newRow("additional half to even, up") << with({{&PayInputs::travel, "0.135"}}) << "0.14" << "0" << "8064.14";
    QTest::newRow("deductions half to even, down") << with({{&PayInputs::lic, "2.5"}}) << "0" << "2" << "8062";
    QTest::newRow("deductions half to even, up") << with({{&PayInputs::lic, "3.5"}}) << "0" << "4" << "8060";
    QTest::newRow("deductions above salary give a negative net")
        << with({{&PayInputs::advances, "9000"}}) << "0" << "9000" << "-936";
    // clang-format on
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

void TestPayCalculation::tooLargeFiguresAreMissingAlone()
{
    PayInputs in;
    in.basicRate = c("10000");
    in.payDate = QDate(2026, 1, 1);
    in.daysPresent = c("31");
    in.advances = Currency::fromUnits(std::numeric_limits<qint64>::max());
    in.lic = c("1");
    const PayFigures figures = workOutPay(in);
    // The deductions overflow; the rates and the salary, which do not depend on them, stay.
    QCOMPARE(figures.monthlyRate, c("10000"));
    QCOMPARE(figures.dailyRate, c("322.58"));
    QCOMPARE(figures.presentDaysSalary, c("10000"));
    QVERIFY(!figures.totalDeductions && !figures.netPay);
    QCOMPARE(figures.firstMissing(), QStringLiteral("Total Deductions"));
    QVERIFY(!calculatePay(in));
    in.advances = c("0");
    in.payDate = QDate();
    QVERIFY(!calculatePay(in));
}

namespace {

__extension__ typedef __int128 Wide;
constexpr Wide unitsMax = std::numeric_limits<qint64>::max();

// The rational n / d (d > 0) rounded half to even to a whole number, by floor division: a way of
// its own, apart from Currency's.
Wide roundHalfEven(Wide n, Wide d)
{
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0) {
        r += d;
        q -= 1;
    }
    if (2 * r > d || (2 * r == d && q % 2 != 0))
        q += 1;
    return q;
}

// A figure in ten-thousandths, or nothing once it leaves the 64-bit range.
std::optional<Wide> fits(std::optional<Wide> v)
{
    return v && *v <= unitsMax && *v >= -unitsMax - 1 ? v : std::nullopt;
}

std::optional<Wide> roundTo(std::optional<Wide> units, int decimals)
{
    if (!units)
        return std::nullopt;
    Wide step = 1;
    for (int i = decimals; i < 4; ++i)
        step *= 10;
    return fits(roundHalfEven(*units, step) * step);
}

std::optional<Wide> sum(std::initializer_list<Currency> values)
{
    Wide total = 0;
    for (Currency v : values) {
        total += v.units();
        if (!fits(total))
            return std::nullopt; // the program adds one by one, and so refuses any step out of range
    }
    return total;
}

QString shown(const std::optional<Currency>& c)
{
    return c ? c->toString() : QStringLiteral("-");
}

QString shown(const std::optional<Wide>& w)
{
    return w ? Currency::fromUnits(qint64(*w)).toString() : QStringLiteral("-");
}

} // namespace

void TestPayCalculation::agreesWithExactDecimalArithmetic()
{
    QRandomGenerator random(20261206);
    // An amount of up to `digits` whole digits and two decimals, as the boxes take them.
    const auto amount = [&random](int digits) {
        qint64 limit = 100;
        for (int i = 0; i < digits; ++i)
            limit *= 10;
        return Currency::fromUnits(random.bounded(limit) * 100);
    };
    const auto anyUnits = [&random] { return Currency::fromUnits(qint64(random.generate64() >> 2)); };
    for (int run = 0; run < 200000; ++run) {
        PayInputs in;
        const int kind = random.bounded(10);
        // Mostly everyday rates; some so large that the figures leave the range.
        in.basicRate = kind == 0 ? anyUnits()
                       : kind == 1
                           ? Currency::fromUnits(random.bounded(qint64(1) << 40) * 10000 + random.bounded(10000))
                           : Currency::fromUnits(random.bounded(qint64(10000000)) * 10000 + random.bounded(10000));
        in.payDate = QDate(2000 + random.bounded(40), 1 + random.bounded(12), 1);
        in.daysPresent = amount(2);
        for (Currency* box : {&in.bonus, &in.overtime, &in.travel, &in.advances, &in.loanDeduction, &in.lic,
                              &in.contribution, &in.pgvcl})
            *box = random.bounded(50) == 0 ? anyUnits() : amount(random.bounded(10));

        const Wide days = in.payDate.daysInMonth();
        const auto monthly = roundTo(Wide(in.basicRate.units()), 0);
        const auto daily = monthly ? roundTo(roundHalfEven(*monthly, days), 2) : std::nullopt;
        const auto earn =
            daily ? roundTo(fits(roundHalfEven(Wide(in.daysPresent.units()) * *daily, 10000)), 0) : std::nullopt;
        const auto additional = roundTo(sum({in.bonus, in.overtime, in.travel}), 2);
        const auto deductions = roundTo(sum({in.advances, in.loanDeduction, in.lic, in.contribution, in.pgvcl}), 0);
        std::optional<Wide> net;
        if (earn && additional && deductions) {
            const auto balance = roundTo(fits(*earn - *deductions), 0);
            net = balance ? fits(*additional + *balance) : std::nullopt;
        }

        const PayFigures got = workOutPay(in);
        const QString expected =
            QStringList{shown(monthly), shown(daily), shown(earn), shown(additional), shown(deductions), shown(net)}
                .join(u' ');
        const QString actual =
            QStringList{shown(got.monthlyRate),     shown(got.dailyRate),       shown(got.presentDaysSalary),
                        shown(got.totalAdditional), shown(got.totalDeductions), shown(got.netPay)}
                .join(u' ');
        if (actual != expected)
            QFAIL(qPrintable(QStringLiteral("basic %1, %2, days %3: %4, exactly %5")
                                 .arg(in.basicRate.toString(), in.payDate.toString(Qt::ISODate),
                                      in.daysPresent.toString(), actual, expected)));
    }
}

void TestPayCalculation::loanDeductionIsWhatIsStillOwed_data()
{
    QTest::addColumn<QString>("latest"); // empty: no loan
    QTest::addColumn<QString>("lent");
    QTest::addColumn<QString>("recovered");
    QTest::addColumn<QString>("offered");
    // clang-format off
    QTest::newRow("nothing recovered yet") << "1000" << "5000" << "0" << "1000";
    QTest::newRow("the last, smaller instalment") << "1000" << "5000" << "4500" << "500";
    QTest::newRow("repaid") << "1000" << "5000" << "5000" << "0";
    QTest::newRow("recovered beyond what was lent") << "1000" << "5000" << "6000" << "0";
    QTest::newRow("no loan") << "" << "0" << "0" << "0";
    // clang-format on
}

void TestPayCalculation::loanDeductionIsWhatIsStillOwed()
{
    QFETCH(QString, latest);
    QFETCH(QString, lent);
    QFETCH(QString, recovered);
    const auto monthly = latest.isEmpty() ? std::nullopt : Currency::parse(latest);
    QTEST(offeredLoanDeduction(monthly, *Currency::parse(lent), *Currency::parse(recovered)).toString(), "offered");
}

QTEST_GUILESS_MAIN(TestPayCalculation)
#include "test_pay_calculation.moc"
