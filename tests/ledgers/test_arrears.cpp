#include "ledgers/arrears.h"
#include "support/amounts.h"

#include <QTest>

class TestArrears : public QObject {
    Q_OBJECT

private slots:
    void arrearsOfAMonth_data()
    {
        QTest::addColumn<QString>("increment");
        QTest::addColumn<QDate>("payDate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("perDay");
        QTest::addColumn<QString>("paid");
        QTest::addColumn<int>("divisor"); // 0: the days of the month
        // clang-format off
        QTest::newRow("a third, rounded") << "100" << QDate(2026, 4, 30) << "15" << "3.33" << "50" << 0;
        QTest::newRow("paid: half to even, down") << "15" << QDate(2026, 4, 30) << "1" << "0.5" << "0" << 0;
        QTest::newRow("paid: half to even, up") << "45" << QDate(2026, 4, 30) << "1" << "1.5" << "2" << 0;
        QTest::newRow("per day: half to even") << "3.75" << QDate(2026, 4, 30) << "10" << "0.12" << "1" << 0;
        QTest::newRow("one rounding of the exact rate") << "999.5951" << QDate(2026, 1, 31) << "31" << "32.25" << "1000" << 0;
        QTest::newRow("February of a leap year") << "290" << QDate(2024, 2, 29) << "29" << "10" << "290" << 0;
        QTest::newRow("February of a common year") << "290" << QDate(2025, 2, 28) << "28" << "10.36" << "290" << 0;
        QTest::newRow("half days are paid as such") << "310" << QDate(2026, 3, 31) << "25.5" << "10" << "255" << 0;
        QTest::newRow("no days present") << "310" << QDate(2026, 3, 31) << "0" << "10" << "0" << 0;
        // A fixed divisor prices a day not paid: a full month pays the whole increment.
        QTest::newRow("February under a 30-day divisor") << "300" << QDate(2026, 2, 28) << "28" << "10" << "300" << 30;
        QTest::newRow("31 days under a 30-day divisor") << "1000" << QDate(2026, 12, 31) << "31" << "33.33" << "1000" << 30;
        QTest::newRow("30 days of 31 under a 30-day divisor") << "1000" << QDate(2026, 12, 31) << "30" << "33.33" << "967" << 30;
        QTest::newRow("31 days under a 26-day divisor") << "1000" << QDate(2026, 12, 31) << "31" << "38.46" << "1000" << 26;
        QTest::newRow("26 days of 31 under a 26-day divisor") << "260" << QDate(2026, 3, 31) << "26" << "10" << "210" << 26;
        QTest::newRow("a half day not paid") << "260" << QDate(2026, 3, 31) << "30.5" << "10" << "255" << 26;
        QTest::newRow("absence past the increment pays nothing") << "260" << QDate(2026, 3, 31) << "0" << "10" << "0" << 26;
        // clang-format on
    }
    void arrearsOfAMonth()
    {
        QFETCH(QString, increment);
        QFETCH(QDate, payDate);
        QFETCH(QString, days);
        QFETCH(int, divisor);
        const auto owed = revision::arrearsFor(c(qPrintable(increment)), payDate, c(qPrintable(days)),
                                               *statutory::divisorFromStored(divisor));
        QVERIFY(owed);
        QTEST(owed->ratePerDay.toString(), "perDay");
        QTEST(owed->paid.toString(), "paid");
    }

    void revisedRate_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("revised"); // empty: no figure
        // clang-format off
        QTest::newRow("increment, half to even") << "12000" << "500.5" << "12500";
        QTest::newRow("increment, odd half up") << "12001" << "0.5" << "12002";
        QTest::newRow("decrement") << "12000" << "-500" << "11500";
        QTest::newRow("decrement of a half") << "12000" << "-0.5" << "12000";
        QTest::newRow("old rate with paise") << "12500.5" << "100" << "12600";
        QTest::newRow("old rate with paise, odd increment") << "100.50" << "1" << "101";
        QTest::newRow("old rate with paise, odd half up") << "101.50" << "1" << "103";
        QTest::newRow("beyond a 16-bit rate") << "40000" << "30000" << "70000";
        QTest::newRow("rounds up past the largest amount") << "922337203685477.5" << "1" << "";
        // clang-format on
    }
    void revisedRate()
    {
        QFETCH(QString, old);
        QFETCH(QString, change);
        const auto revised = revision::revisedRate(c(qPrintable(old)), c(qPrintable(change)));
        QTEST(revised ? revised->toString() : QString(), "revised");
    }
};

QTEST_GUILESS_MAIN(TestArrears)
#include "test_arrears.moc"
