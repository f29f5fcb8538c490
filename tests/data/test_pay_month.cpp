#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/statutory_repository.h"
#include "reports/esi_return.h"
#include "reports/statutory_reports.h"
#include "support/test_database.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <array>
#include <random>

namespace {

__extension__ typedef __int128 Wide;

// Everything here is in paise, worked out from the rules' definitions on their own: nothing of the
// program's arithmetic is used.
Wide halfEven(Wide n, Wide d)
{
    Wide q = n / d, r = n % d;
    if (r < 0) {
        r += d;
        --q;
    }
    if (2 * r > d || (2 * r == d && q % 2 != 0))
        ++q;
    return q;
}
Wide rupees(Wide paise) { return halfEven(paise, 100) * 100; }
// rate (in hundredths of a percent) of wages (paise), to whole rupees: halves up, or anything up.
Wide shareHalfUp(Wide wages, int rate) { return (wages * rate + 500000) / 1000000 * 100; }
Wide shareUp(Wide wages, int rate) { return (wages * rate + 999999) / 1000000 * 100; }
Wide paiseOf(Currency c) { return c.units() / 100; }
Currency money(Wide paise) { return Currency::fromUnits(qint64(paise * 100)); }

struct Row {
    QDate payDate;
    Wide daysHundredths; // days present in hundredths
    Wide bonus, overtime, travel;
};

// One employee's month of one company, from the definitions.
struct Expected {
    Wide basic = 0, bonus = 0, overtime = 0, travel = 0, days = 0;
    Wide pfWages = 0, pensionWages = 0, pf = 0, pension = 0, esiWages = 0, esi = 0, esiEmployer = 0, pt = 0;
};

Wide headsOf(int heads, const Expected& m)
{
    return (heads & statutory::Basic ? m.basic : 0) + (heads & statutory::Bonus ? m.bonus : 0) +
           (heads & statutory::Overtime ? m.overtime : 0) + (heads & statutory::Travel ? m.travel : 0);
}

Expected monthOf(const statutory::Rules& r, const statutory::Exemptions& x, Wide rate, const QList<Row>& rows,
                 bool coveredEarlier)
{
    Expected m;
    const QDate month = rows.first().payDate;
    const Wide dim = month.daysInMonth();
    const Wide divisor = r.divisor == statutory::Divisor::Calendar ? dim : Wide(int(r.divisor));
    // The daily rate to four decimals of a rupee, then to the paisa; a day's pay to the rupee at once.
    const Wide daily = halfEven(halfEven(rate * 100, divisor), 100);
    for (const Row& row : rows) {
        m.days += row.daysHundredths;
        if (r.divisor == statutory::Divisor::Calendar)
            m.basic += halfEven(row.daysHundredths * daily, 10000) * 100;
        m.bonus += row.bonus;
        m.overtime += row.overtime;
        m.travel += row.travel;
    }
    if (r.divisor != statutory::Divisor::Calendar && m.days > 0)
        m.basic = std::max(Wide(0), halfEven(rate * 100 - std::max(Wide(0), dim * 100 - m.days) * daily, 10000) * 100);
    const QDate payDate = rows.last().payDate;
    const auto exempt = [&](QDate from) { return from.isValid() && from <= payDate; };
    if (r.pfOn && !exempt(x.pfFrom)) {
        const Wide wages = headsOf(r.pfHeads, m);
        const Wide capped = std::min(wages, Wide(1500000));
        m.pfWages = r.pfOnFullWages ? wages : capped;
        m.pf = shareHalfUp(m.pfWages, 1200);
        const QDate turns = x.birthDate.isValid() ? x.birthDate.addYears(58) : QDate();
        const bool stopped = !x.pensionMember ||
                             (turns.isValid() && QDate(month.year(), month.month(), 1) > QDate(turns.year(), turns.month(), 1));
        if (!stopped) {
            m.pensionWages = capped;
            m.pension = std::min(shareHalfUp(capped, 833), Wide(125000));
        }
    }
    const bool insured = r.esiOn && !exempt(x.esiFrom);
    if (insured && (coveredEarlier || headsOf(r.esiCoverHeads, m) <= 2100000)) {
        m.esiWages = headsOf(r.esiHeads, m);
        m.esi = shareUp(m.esiWages, 75);
        m.esiEmployer = shareUp(m.esiWages, 325);
    }
    if (r.ptOn && !exempt(x.ptFrom))
        m.pt = headsOf(r.ptHeads, m) >= 1200000 ? 20000 : 0;
    return m;
}

} // namespace

// Random employee-months of one to three transactions, saved in any order as the payroll window saves
// them, against the month worked out here from the rules' definitions: every divisor, month lengths
// of 28 to 31 days, half days, exemptions, dates of birth around the 58th birthday, members covered
// earlier in the contribution period, and each deduction's heads of pay. The stored figures, the
// fund's and the insurance's return lines and the statutory summary must agree to the rupee.
class TestPayMonth : public QObject {
    Q_OBJECT
private slots:
    void monthsAgreeWithTheirDefinition()
    {
        TestDatabase t;
        QRandomGenerator random(20261208);
        const int cases = TestDatabase::onServer() ? 40 : 120;
        for (int n = 0; n < cases; ++n) {
            const QString company = QStringLiteral("CO %1").arg(n);
            ensureKnown(t.db(), {company});
            const QDate month(2025 + random.bounded(2), 1 + random.bounded(12), 1);
            statutory::Rules r;
            r.company = company;
            r.from = QDate(2024, 1, 1);
            r.divisor = std::array{statutory::Divisor::Calendar, statutory::Divisor::Thirty,
                                   statutory::Divisor::TwentySix}[random.bounded(3)];
            r.pfOn = random.bounded(4) != 0;
            r.esiOn = random.bounded(4) != 0;
            r.ptOn = random.bounded(4) != 0;
            r.pfOnFullWages = random.bounded(4) == 0;
            r.pfHeads = random.bounded(3) == 0 ? statutory::Basic | statutory::Bonus : statutory::Basic;
            r.esiHeads = random.bounded(3) == 0 ? statutory::AllHeads : statutory::Basic | statutory::Overtime;
            r.esiCoverHeads = random.bounded(3) == 0 ? statutory::Basic | statutory::Overtime : statutory::Basic;
            r.ptHeads = random.bounded(3) == 0 ? statutory::Basic : statutory::AllHeads;
            QVERIFY(StatutoryRepository(t.db()).save(r));

            Employee e;
            e.name = QStringLiteral("EMPLOYEE %1").arg(n);
            e.basicRate = Currency::fromUnits(qint64(8000 + random.bounded(30000)) * 10000 + random.bounded(2) * 5000);
            e.dateEmployed = QDate(2020, 1, 1);
            e.esiNumber = QStringLiteral("%1").arg(1000000000 + n);
            e.pfNumber = QStringLiteral("%1").arg(100000000000LL + n);
            // Exemptions from a month's first day: a month is exempt as a whole, or not.
            if (random.bounded(6) == 0)
                e.exemptions.esiFrom = month.addMonths(random.bounded(3) - 1);
            if (random.bounded(8) == 0)
                e.exemptions.pfFrom = month.addMonths(random.bounded(3) - 1);
            e.exemptions.birthDate = random.bounded(2) == 0 ? month.addYears(-58).addMonths(random.bounded(5) - 2)
                                                            : QDate(1960 + random.bounded(30), 1 + random.bounded(12), 9);
            e.exemptions.pensionMember = random.bounded(8) != 0;
            if (e.exemptions.birthDate >= e.dateEmployed)
                e.exemptions.birthDate = QDate(1961, 5, 5);
            e.id = EmployeeRepository(t.db()).insert(e).value();
            const Wide rate = rupees(paiseOf(e.basicRate));

            // Earlier in the contribution period, a month that decides the insurance's cover.
            const QDate start = statutory::contributionPeriodStart(month);
            bool coveredEarlier = false;
            if (start < month && random.bounded(2) == 0) {
                const Row earlier{start.addDays(start.daysInMonth() - 1), Wide(start.daysInMonth() - random.bounded(10)) * 100,
                                  0, 0, 0};
                QVERIFY(PayrollRepository(t.db()).insert(transaction(e, company, earlier)));
                const Expected before = monthOf(r, e.exemptions, rate, {earlier}, false);
                coveredEarlier = before.esiWages > 0 || before.esi > 0;
            }

            // One to three transactions of the month, saved in any order.
            QList<Row> rows;
            const int count = 1 + random.bounded(3);
            Wide daysLeft = Wide(month.daysInMonth()) * 100;
            for (int k = 0; k < count; ++k) {
                const Wide days = k == count - 1 ? daysLeft : std::min(daysLeft, Wide(random.bounded(int(daysLeft / 50) + 1)) * 50);
                const Wide taken = random.bounded(3) == 0 ? days - std::min(days, Wide(random.bounded(6) * 50)) : days;
                daysLeft -= days;
                rows << Row{month.addDays(5 + 10 * k), taken, Wide(random.bounded(3) == 0 ? random.bounded(3000) * 100 : 0),
                            Wide(random.bounded(2) == 0 ? random.bounded(4000) * 100 : 0),
                            Wide(random.bounded(4) == 0 ? random.bounded(150000) : 0)};
            }
            QList<int> order;
            for (int k = 0; k < count; ++k)
                order << k;
            std::shuffle(order.begin(), order.end(), std::mt19937(n));
            for (int k : order)
                QVERIFY(PayrollRepository(t.db()).insert(transaction(e, company, rows.at(k))));

            const Expected want = monthOf(r, e.exemptions, rate, rows, coveredEarlier);
            if (!checkStored(t, company, month, e, want, rows.size()))
                QFAIL(qPrintable(QStringLiteral("case %1: %2 of %3, %4 transactions, divisor %5")
                                     .arg(n)
                                     .arg(e.name, month.toString(QStringLiteral("yyyy-MM")))
                                     .arg(rows.size())
                                     .arg(int(r.divisor))));
        }
    }

private:
    static PayrollTransaction transaction(const Employee& e, const QString& company, const Row& row)
    {
        PayrollTransaction p;
        p.employeeId = e.id;
        p.name = e.name;
        p.monthRate = e.basicRate;
        p.payDate = row.payDate;
        p.daysPresent = money(row.daysHundredths);
        p.bonus = money(row.bonus);
        p.overtime = money(row.overtime);
        p.travel = money(row.travel);
        p.company = company;
        return p;
    }

    // The month as stored, and as its papers show it.
    static bool checkStored(TestDatabase& t, const QString& company, QDate month, const Employee& e, const Expected& want,
                            qsizetype rows)
    {
        const auto stored = PayrollRepository(t.db()).month(company, month).value();
        Expected got;
        Wide net = 0, gross = 0;
        for (const PayrollTransaction& p : stored) {
            const statutory::Figures& f = p.statutory;
            got.basic += paiseOf(p.presentDaysSalary);
            got.pfWages += paiseOf(f.pfWages);
            got.pensionWages += paiseOf(f.pensionWages);
            got.pf += paiseOf(f.pfEmployee);
            got.pension += paiseOf(f.pension);
            got.esiWages += paiseOf(f.esiWages);
            got.esi += paiseOf(f.esiEmployee);
            got.esiEmployer += paiseOf(f.esiEmployer);
            got.pt += paiseOf(f.professionalTax);
            net += paiseOf(p.netPay);
            gross += paiseOf(p.presentDaysSalary) + paiseOf(p.totalAdditional);
        }
        const auto line = [](const Expected& m) {
            return QStringLiteral("basic %1 pf %2/%3 pension %4/%5 esi %6: %7 %8 pt %9")
                .arg(qint64(m.basic))
                .arg(qint64(m.pfWages))
                .arg(qint64(m.pf))
                .arg(qint64(m.pensionWages))
                .arg(qint64(m.pension))
                .arg(qint64(m.esiWages))
                .arg(qint64(m.esi))
                .arg(qint64(m.esiEmployer))
                .arg(qint64(m.pt));
        };
        bool agree = stored.size() == rows && line(got) == line(want) &&
                     net == gross - want.pf - want.esi - want.pt;
        // The papers: the summary's shares, the fund's line and the insurance's line of the month.
        const auto summary = report::statutoryLines(stored);
        agree = agree && paiseOf(summary.at(0).employeeShare) == want.pf &&
                paiseOf(summary.at(0).employerShare) == want.pf && paiseOf(summary.at(0).pension) == want.pension &&
                paiseOf(summary.at(1).employeeShare) == want.esi && paiseOf(summary.at(2).employeeShare) == want.pt;
        const QHash<qint64, Employee> staff{{e.id, e}};
        const statutory::Rules rules = StatutoryRepository(t.db()).inForce(company, month).value();
        const auto fund = report::pfReturn(stored, staff, rules);
        if (want.pf > 0)
            agree = agree && fund.members.size() == 1 && paiseOf(fund.members.first().pfEmployee) == want.pf &&
                    paiseOf(fund.members.first().pension) == want.pension &&
                    paiseOf(fund.members.first().pensionWages) == want.pensionWages &&
                    fund.members.first().daysNotPaid ==
                        int(std::max(Wide(0), Wide(month.daysInMonth()) * 100 - want.days) + 50) / 100;
        const auto insured = report::esiReturn(stored, {}, staff);
        if (want.esi > 0)
            agree = agree && insured.members.size() == 1 && paiseOf(insured.members.first().wages) == want.esiWages;
        if (!agree)
            qWarning().noquote() << "stored:  " << line(got) << "net" << qint64(net) << "\nwanted:  " << line(want)
                                 << "net" << qint64(gross - want.pf - want.esi - want.pt) << "\nrows" << stored.size()
                                 << "summary" << summary.at(0).employeeShare.toString()
                                 << summary.at(0).employerShare.toString() << summary.at(1).employeeShare.toString()
                                 << summary.at(2).employeeShare.toString();
        return agree;
    }
};

QTEST_GUILESS_MAIN(TestPayMonth)
#include "test_pay_month.moc"
