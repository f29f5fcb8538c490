#include "rules/pay_calculation.h"
#include "support/amounts.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>

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

QString shown(Currency c) { return c.toString(); }
QString shown(const std::optional<Currency>& c) { return c ? c->toString() : QStringLiteral("-"); }
QString shown(const std::optional<Wide>& w) { return w ? Currency::fromUnits(qint64(*w)).toString() : QStringLiteral("-"); }
// The figures as one line, each shown as above.
template <typename... Figures>
QString line(const Figures&... figures)
{
    return QStringList{shown(figures)...}.join(u' ');
}

// A deduction's rules written as the test rows read: "pf esi pt", with "full" for the provident
// fund on all wages and "slabs=0=0;7500=175;10000=200" for other slabs.
statutory::Rules rulesFrom(const QString& text, QDate from, Currency pfRate)
{
    statutory::Rules r;
    r.from = from;
    r.pfRate = pfRate;
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    r.pfOn = words.contains("pf");
    r.esiOn = words.contains("esi");
    r.ptOn = words.contains("pt");
    r.pfOnFullWages = words.contains("full");
    for (const QString& word : words)
        if (word.startsWith("slabs="))
            r.ptSlabs = *statutory::parseSlabs(word.mid(6));
    return r;
}

} // namespace

class TestPayCalculation : public QObject {
    Q_OBJECT
private slots:
    void tooLargeFiguresAreMissingAlone()
    {
        PayInputs in;
        in.basicRate = c("10000");
        in.payDate = QDate(2026, 1, 1);
        in.daysPresent = c("31");
        in.advances = Currency::fromUnits(std::numeric_limits<qint64>::max());
        in.lic = c("1");
        const PayFigures figures = workOutPay(in);
        // The deductions overflow; the rates and the salary, which do not depend on them, stay.
        QCOMPARE(line(figures.monthlyRate, figures.dailyRate, figures.presentDaysSalary, figures.totalDeductions,
                      figures.netPay),
                 QStringLiteral("10000 322.58 10000 - -"));
        QCOMPARE(figures.firstMissing(), QStringLiteral("Total Deductions"));
        QVERIFY(!calculatePay(in));
        in.advances = c("0");
        in.payDate = QDate();
        QVERIFY(!calculatePay(in));
    }

    // The month's figures against the same steps worked out here in exact integers: the rates and the
    // salary rounded half to even, every box added and deducted, net pays below nothing, figures out of
    // range. Halves at each rounding come up many times over the runs.
    void agreesWithExactDecimalArithmetic()
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
            // Rules that are all off deduct nothing and divide by the days of the month, whatever
            // their parameters and the employee's exemptions say.
            in.rules.pfRate = Currency::fromUnits(random.bounded(100'0000));
            in.rules.pfCeiling = amount(random.bounded(8));
            in.rules.pfOnFullWages = random.bounded(2) == 0;
            in.rules.esiLimit = amount(random.bounded(8));
            in.rules.ptSlabs = {{Currency(), amount(3)}};
            in.exemptions.pfFrom = random.bounded(2) == 0 ? in.payDate.addDays(1) : QDate();

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
            const QString expected = line(monthly, daily, earn, additional, deductions, net);
            const QString actual = line(got.monthlyRate, got.dailyRate, got.presentDaysSalary, got.totalAdditional,
                                        got.totalDeductions, got.netPay);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("basic %1, %2, days %3: %4, exactly %5")
                                     .arg(in.basicRate.toString(), in.payDate.toString(Qt::ISODate),
                                          in.daysPresent.toString(), actual, expected)));
        }
    }

    // A fixed divisor prices a day not paid; the days of the month pay a day present.
    void aMonthUnderEachDivisor_data()
    {
        QTest::addColumn<int>("divisor"); // 0: the days of the month
        QTest::addColumn<QDate>("payDate");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("salary");
        // clang-format off
        QTest::newRow("30: a full February") << 30 << QDate(2026, 2, 28) << "30000" << "28" << "30000";
        QTest::newRow("30: a full December") << 30 << QDate(2026, 12, 31) << "26000" << "31" << "26000";
        QTest::newRow("30: a day of December off") << 30 << QDate(2026, 12, 31) << "26000" << "30" << "25133"; // 866.67 off
        QTest::newRow("26: a full December") << 26 << QDate(2026, 12, 31) << "26000" << "31" << "26000";
        QTest::newRow("26: a full February") << 26 << QDate(2026, 2, 28) << "30000" << "28" << "30000";
        QTest::newRow("26: two and a half days off") << 26 << QDate(2026, 2, 28) << "26000" << "25.5" << "23500";
        QTest::newRow("26: more days off than it divides by") << 26 << QDate(2026, 3, 31) << "26000" << "4" << "0";
        QTest::newRow("26: no day present") << 26 << QDate(2026, 3, 31) << "26000" << "0" << "0";
        QTest::newRow("30: an absent February") << 30 << QDate(2026, 2, 28) << "30000" << "0" << "0";
        QTest::newRow("30: a day of February") << 30 << QDate(2026, 2, 28) << "30000" << "1" << "3000";
        QTest::newRow("calendar: a full February") << 0 << QDate(2026, 2, 28) << "30000" << "28" << "30000";
        QTest::newRow("calendar: a day a day") << 0 << QDate(2026, 12, 31) << "31000" << "15.5" << "15500";
        // clang-format on
    }
    void aMonthUnderEachDivisor()
    {
        QFETCH(int, divisor);
        QFETCH(QDate, payDate);
        PayInputs in;
        in.rules.divisor = *statutory::divisorFromStored(divisor);
        in.payDate = payDate;
        QFETCH(QString, rate);
        QFETCH(QString, days);
        in.basicRate = c(qPrintable(rate));
        in.daysPresent = c(qPrintable(days));
        const auto pay = calculatePay(in);
        QVERIFY(pay);
        QTEST(pay->presentDaysSalary.toString(), "salary");
        QTEST(pay->netPay.toString(), "salary");
    }

    void statutoryAtItsEdges_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QDate>("payDate");
        QTest::addColumn<QString>("basic"); // basic wages earned: the present days salary
        QTest::addColumn<QString>("gross");
        QTest::addColumn<QString>("exempt"); // "pf:2026-09-30": exempt from that date on
        // employee's PF, pension, employer's rest, employee's ESI, employer's ESI, professional tax
        QTest::addColumn<QString>("expected");
        const QDate september(2026, 9, 30);
        // clang-format off
        // 12 % of 15,000 is 1,800; 8.33 % of it is 1,249.50, up to 1,250; 0.75 % of 15,000 is 112.50
        // and 3.25 % 487.50, both up.
        QTest::newRow("wages at the ceiling") << "pf esi pt" << september << "15000" << "15000" << "" << "1800 1250 550 113 488 200";
        QTest::newRow("one rupee over the ceiling") << "pf" << september << "15001" << "15001" << "" << "1800 1250 550 0 0 0";
        // 12 % of 15,005 is 1,800.60; the pension stays on the ceiling.
        QTest::newRow("on full wages over the ceiling") << "pf full" << september << "15005" << "15005" << "" << "1801 1250 551 0 0 0";
        QTest::newRow("full wages under the ceiling") << "pf full" << september << "9000" << "9000" << "" << "1080 750 330 0 0 0";
        // 8.33 % of 5,000 is 416.50: halves go up (to even it would be 416).
        QTest::newRow("pension, a half up") << "pf" << september << "5000" << "5000" << "" << "600 417 183 0 0 0";
        // 12 % of 10,004.17 is 1,200.5004.
        QTest::newRow("provident fund, paise up") << "pf" << september << "10004.17" << "10004.17" << "" << "1201 833 368 0 0 0";
        QTest::newRow("no wages") << "pf esi pt" << september << "0" << "0" << "" << "0 0 0 0 0 0";
        // 0.75 % of 21,000 is 157.50, 3.25 % is 682.50.
        QTest::newRow("gross exactly at the insurance limit") << "esi" << september << "20000" << "21000" << "" << "0 0 0 158 683 0";
        QTest::newRow("overtime over the limit is charged") << "esi" << september << "20000" << "21001" << "" << "0 0 0 158 683 0";
        QTest::newRow("basic wages over the limit: not covered") << "esi" << september << "21001" << "21001" << "" << "0 0 0 0 0 0";
        QTest::newRow("basic wages at the limit, overtime beyond") << "esi" << september << "21000" << "31000" << "" << "0 0 0 233 1008 0";
        QTest::newRow("insurance of whole paise is not raised") << "esi" << september << "20000" << "20000" << "" << "0 0 0 150 650 0";
        QTest::newRow("a paisa more is a rupee more") << "esi" << september << "20000" << "20000.01" << "" << "0 0 0 151 651 0";
        QTest::newRow("just under the tax slab") << "pt" << september << "11999" << "11999" << "" << "0 0 0 0 0 0";
        QTest::newRow("at the tax slab") << "pt" << september << "11000" << "12000" << "" << "0 0 0 0 0 200";
        QTest::newRow("three slabs, under the second") << "pt slabs=0=0;10000=200;7500=175" << september << "9999.99" << "9999.99" << "" << "0 0 0 0 0 175";
        QTest::newRow("three slabs, at the third") << "pt slabs=0=0;10000=200;7500=175" << september << "10000" << "10000" << "" << "0 0 0 0 0 200";
        QTest::newRow("three slabs, under the first") << "pt slabs=0=0;10000=200;7500=175" << september << "7499" << "7499" << "" << "0 0 0 0 0 0";
        QTest::newRow("exempt from the fund from the pay date") << "pf esi pt" << september << "15000" << "15000" << "pf:2026-09-30" << "0 0 0 113 488 200";
        QTest::newRow("exempt from the fund a day later") << "pf esi pt" << september << "15000" << "15000" << "pf:2026-10-01" << "1800 1250 550 113 488 200";
        QTest::newRow("exempt from the insurance") << "pf esi pt" << september << "15000" << "15000" << "esi:2020-01-01" << "1800 1250 550 0 0 200";
        QTest::newRow("exempt from the tax") << "pf esi pt" << september << "15000" << "15000" << "pt:2026-09-01" << "1800 1250 550 113 488 0";
        // The company's rate changed from October to 10 %: the months before keep 12 %, and a month
        // before the first rules deducts nothing.
        QTest::newRow("September, under the old rate") << "pf" << september << "15000" << "15000" << "" << "1800 1250 550 0 0 0";
        QTest::newRow("October, under the new rate") << "pf" << QDate(2026, 10, 1) << "15000" << "15000" << "" << "1500 1250 250 0 0 0";
        QTest::newRow("before the first rules") << "pf esi pt" << QDate(2026, 3, 31) << "15000" << "15000" << "" << "0 0 0 0 0 0";
        // clang-format on
    }
    void statutoryAtItsEdges()
    {
        QFETCH(QString, rules);
        QFETCH(QDate, payDate);
        QFETCH(QString, basic);
        QFETCH(QString, gross);
        QFETCH(QString, exempt);
        // The company's book: these rules from April, the provident fund at 10 % from October.
        const statutory::RuleBook book({rulesFrom(rules, QDate(2026, 4, 1), c("12")),
                                        rulesFrom(rules, QDate(2026, 10, 1), c("10"))});
        statutory::Exemptions exemptions;
        if (!exempt.isEmpty()) {
            const QDate from = QDate::fromString(exempt.section(u':', 1), Qt::ISODate);
            const QString which = exempt.section(u':', 0, 0);
            (which == "pf" ? exemptions.pfFrom : which == "esi" ? exemptions.esiFrom : exemptions.ptFrom) = from;
        }
        // What the gross adds to the basic wages is overtime: the insurance's wages, not its coverage.
        const auto f = statutory::figuresFor(book.on(payDate), exemptions, payDate,
                                             {c(qPrintable(basic)), {}, *c(qPrintable(gross)).minus(c(qPrintable(basic))), {}});
        QVERIFY(f);
        QTEST(line(f->pfEmployee, f->pension, f->pfEmployer, f->esiEmployee, f->esiEmployer, f->professionalTax),
              "expected");
    }

    void statutoryAgreesWithItsDefinition()
    {
        QRandomGenerator random(20261207);
        const auto rupees = [&random](int limit) { return Currency::fromUnits(qint64(random.bounded(limit)) * 10000); };
        const auto paise = [&random](int limit) { return Currency::fromUnits(qint64(random.bounded(limit)) * 100); };
        // rate % of amount, both in ten-thousandths, to whole rupees: halves up, or anything up.
        const auto share = [](Currency amount, Currency rate, bool anythingUp) {
            const Wide exact = Wide(amount.units()) * rate.units(); // in 1e-10 of a rupee, times 100
            const Wide rupee = Wide(10000) * 10000 * 100;
            Wide whole = exact / rupee;
            const Wide rest = exact % rupee;
            if ((anythingUp && rest > 0) || (!anythingUp && 2 * rest >= rupee))
                ++whole;
            return whole;
        };
        const statutory::Divisor divisors[] = {statutory::Divisor::Calendar, statutory::Divisor::Thirty,
                                               statutory::Divisor::TwentySix};
        for (int run = 0; run < 50000; ++run) {
            PayInputs in;
            in.payDate = QDate(2024 + random.bounded(4), 1 + random.bounded(12), 1).addDays(random.bounded(28));
            in.basicRate = paise(6000000);
            in.daysPresent = Currency::fromUnits(qint64(random.bounded(in.payDate.daysInMonth() * 4 + 1)) * 2500);
            in.bonus = rupees(3000);
            in.travel = paise(300000);
            in.lic = rupees(1000);
            in.advances = paise(200000);
            statutory::Rules& r = in.rules;
            r.divisor = divisors[random.bounded(3)];
            r.pfOn = random.bounded(4) != 0;
            r.esiOn = random.bounded(4) != 0;
            r.ptOn = random.bounded(4) != 0;
            r.pfOnFullWages = random.bounded(3) == 0;
            r.pfRate = Currency::fromUnits(qint64(random.bounded(1500)) * 100);
            r.pensionRate = Currency::fromUnits(qint64(random.bounded(int(r.pfRate.units() / 100) + 1)) * 100);
            r.pfCeiling = rupees(40000);
            r.pensionCap = rupees(3000);
            r.esiLimit = rupees(40000);
            r.esiEmployeeRate = Currency::fromUnits(qint64(random.bounded(500)) * 100);
            r.esiEmployerRate = Currency::fromUnits(qint64(random.bounded(800)) * 100);
            r.ptSlabs = {{Currency(), Currency()}, {c("15000"), c("300")}, {c("8000"), c("150")}};
            if (random.bounded(5) == 0)
                in.exemptions.esiFrom = in.payDate.addDays(random.bounded(3) - 1);

            // The month, from the definitions: the daily rate over the divisor's days.
            const Wide days = r.divisor == statutory::Divisor::Calendar ? in.payDate.daysInMonth() : Wide(int(r.divisor));
            const Wide monthly = *roundTo(Wide(in.basicRate.units()), 0);
            const Wide daily = *roundTo(roundHalfEven(monthly, days), 2);
            // Over the days of the month a day present earns a day's rate; a fixed divisor prices a
            // day not paid instead, and a full month earns the monthly rate.
            const Wide unpaid = std::max(Wide(0), Wide(in.payDate.daysInMonth()) * 10000 - in.daysPresent.units());
            const Wide earn = r.divisor == statutory::Divisor::Calendar
                                  ? *roundTo(roundHalfEven(Wide(in.daysPresent.units()) * daily, 10000), 0)
                                  : in.daysPresent.isZero() ? Wide(0) // an absent month earns nothing
                                                            : std::max(Wide(0), *roundTo(monthly - unpaid * daily / 10000, 0));
            const Wide additional = *roundTo(sum({in.bonus, in.overtime, in.travel}), 2);
            const Currency basicWages = Currency::fromUnits(qint64(earn));
            const Currency grossWages = Currency::fromUnits(qint64(earn + additional));
            Wide pf = 0, pension = 0, esi = 0, esiEmployer = 0, pt = 0;
            if (r.pfOn) {
                const Currency capped = std::min(basicWages, r.pfCeiling);
                pf = share(r.pfOnFullWages ? basicWages : capped, r.pfRate, false);
                pension = std::min(share(capped, r.pensionRate, false), Wide(r.pensionCap.units() / 10000));
            }
            const bool esiExempt = in.exemptions.esiFrom.isValid() && in.exemptions.esiFrom <= in.payDate;
            // The insurance's wages leave out the bonus and travel allowance; no overtime here.
            if (r.esiOn && !esiExempt && basicWages <= r.esiLimit) {
                esi = share(basicWages, r.esiEmployeeRate, true);
                esiEmployer = share(basicWages, r.esiEmployerRate, true);
            }
            if (r.ptOn)
                pt = grossWages >= Currency::fromUnits(15000'0000) ? 300 : grossWages >= Currency::fromUnits(8000'0000) ? 150 : 0;
            const Wide deductions = *roundTo(sum({in.advances, in.loanDeduction, in.lic, in.contribution, in.pgvcl}), 0) +
                                    (pf + esi + pt) * 10000;
            const Wide net = additional + *roundTo(earn - deductions, 0);

            const auto got = calculatePay(in);
            QVERIFY(got);
            const auto units = [](Wide v) { return std::optional<Wide>(v); };
            const QString expected = line(units(earn), units(deductions), units(net), units(pf * 10000),
                                          units(pension * 10000), units((pf - pension) * 10000), units(esi * 10000),
                                          units(esiEmployer * 10000), units(pt * 10000));
            const statutory::Figures& s = got->statutory;
            const QString actual = line(got->presentDaysSalary, got->totalDeductions, got->netPay, s.pfEmployee,
                                        s.pension, s.pfEmployer, s.esiEmployee, s.esiEmployer, s.professionalTax);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("%1, rate %2, days %3, divisor %4: %5, by definition %6")
                                     .arg(in.payDate.toString(Qt::ISODate), in.basicRate.toString(),
                                          in.daysPresent.toString())
                                     .arg(int(r.divisor))
                                     .arg(actual, expected)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPayCalculation)
#include "test_pay_calculation.moc"
