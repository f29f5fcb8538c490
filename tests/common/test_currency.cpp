#include "common/amount_words.h"
#include "common/currency.h"
#include "support/amounts.h"

#include <QTest>

#include <limits>

class TestCurrency : public QObject {
    Q_OBJECT
private slots:
    void parseAndFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("shortest"); // null: the text is refused
        QTest::newRow("whole") << "5000" << qint64(50000000) << "5000";
        QTest::newRow("two decimals") << "322.58" << qint64(3225800) << "322.58";
        QTest::newRow("trailing zeros dropped") << "12.500" << qint64(125000) << "12.5";
        QTest::newRow("leading point") << ".5" << qint64(5000) << "0.5";
        QTest::newRow("trailing point") << "12." << qint64(120000) << "12";
        QTest::newRow("negative") << "-0.0625" << qint64(-625) << "-0.0625";
        QTest::newRow("blanks around") << " 7 " << qint64(70000) << "7";
        QTest::newRow("fifth decimal rounds half to even, down") << "0.00005" << qint64(0) << "0";
        QTest::newRow("fifth decimal rounds half to even, up") << "0.00015" << qint64(2) << "0.0002";
        QTest::newRow("more than half rounds up") << "0.000051" << qint64(1) << "0.0001";
        const qint64 none = 0;
        QTest::newRow("empty") << "" << none << QString();
        QTest::newRow("lone point") << "." << none << QString();
        QTest::newRow("two points") << "1.2.3" << none << QString();
        QTest::newRow("letters") << "12a" << none << QString();
        QTest::newRow("lone minus") << "-" << none << QString();
        QTest::newRow("plus sign") << "+5" << none << QString();
        QTest::newRow("thousands separator") << "1,000" << none << QString();
        QTest::newRow("too large") << "922337203685478" << none << QString();
        QTest::newRow("far too large") << "99999999999999999999999" << none << QString();
    }
    void parseAndFormat()
    {
        QFETCH(QString, text);
        QFETCH(qint64, units);
        QFETCH(QString, shortest);
        const auto value = Currency::parse(text);
        QCOMPARE(value.has_value(), !shortest.isNull());
        if (value) {
            QCOMPARE(value->units(), units);
            QCOMPARE(value->toString(), shortest);
        }
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.5 to whole") << "2.5" << 0 << "2";
        QTest::newRow("3.5 to whole") << "3.5" << 0 << "4";
        QTest::newRow("0.125 to two") << "0.125" << 2 << "0.12";
        QTest::newRow("0.135 to two") << "0.135" << 2 << "0.14";
        QTest::newRow("-2.5 to whole") << "-2.5" << 0 << "-2";
        QTest::newRow("-3.5 to whole") << "-3.5" << 0 << "-4";
        QTest::newRow("just above half") << "2.5001" << 0 << "3";
        QTest::newRow("just below half") << "3.4999" << 0 << "3";
        QTest::newRow("four decimals unchanged") << "1.2345" << 4 << "1.2345";
        QTest::newRow("three decimals") << "1.23455" << 3 << "1.235"; // parse keeps 1.2346, then 1.235
    }
    void roundHalfEven()
    {
        QFETCH(QString, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        const auto rounded = Currency::parse(value)->rounded(decimals);
        QVERIFY(rounded);
        QCOMPARE(rounded->toString(), expected);
    }

    void grouped_data()
    {
        QTest::addColumn<Grouping>("grouping");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("fixed");
        QTest::addColumn<QString>("shortest");
        const auto indian = Grouping::Indian;
        const auto international = Grouping::International;
        QTest::newRow("indian, below a thousand") << indian << qint64(9995000) << "999.50" << "999.5";
        QTest::newRow("indian, a thousand") << indian << qint64(10000000) << "1,000.00" << "1,000";
        QTest::newRow("indian, a lakh") << indian << qint64(1000000000) << "1,00,000.00" << "1,00,000";
        QTest::newRow("indian, crores") << indian << qint64(1234567891234) << "12,34,56,789.12" << "12,34,56,789.1234";
        QTest::newRow("indian, negative") << indian << qint64(-1200000000) << "-1,20,000.00" << "-1,20,000";
        QTest::newRow("international, a lakh") << international << qint64(1000000000) << "100,000.00" << "100,000";
        QTest::newRow("international, crores") << international << qint64(1234567891234) << "123,456,789.12" << "123,456,789.1234";
        QTest::newRow("international, negative paise") << international << qint64(-500) << "-0.05" << "-0.05";
    }
    void grouped()
    {
        QFETCH(Grouping, grouping);
        QFETCH(qint64, units);
        QFETCH(QString, fixed);
        QFETCH(QString, shortest);
        const Grouping before = Currency::grouping();
        Currency::setGrouping(grouping);
        const Currency value = Currency::fromUnits(units);
        const QStringList texts{value.toFixedText(true), value.toGroupedText(), value.toFixedText(false)};
        Currency::setGrouping(before);
        QCOMPARE(texts.mid(0, 2), QStringList({fixed, shortest}));
        // Files for other programs stay plain whatever the installation's grouping.
        QVERIFY(!texts.at(2).contains(QLatin1Char(',')));
    }

    void inWords_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("words");
        // clang-format off
        QTest::newRow("zero") << "0" << "Rupees Zero Only";
        QTest::newRow("paise only") << "0.05" << "Paise Five Only";
        QTest::newRow("a rupee and paise") << "1.10" << "Rupees One and Paise Ten Only";
        QTest::newRow("teens") << "19" << "Rupees Nineteen Only";
        QTest::newRow("and after a thousand") << "1005" << "Rupees One Thousand and Five Only";
        QTest::newRow("the letter's example") << "120350.50" << "Rupees One Lakh Twenty Thousand Three Hundred and Fifty and Paise Fifty Only";
        QTest::newRow("exactly a lakh") << "100000" << "Rupees One Lakh Only";
        QTest::newRow("exactly a crore") << "10000000" << "Rupees One Crore Only";
        QTest::newRow("a crore less a rupee") << "9999999" << "Rupees Ninety Nine Lakh Ninety Nine Thousand Nine Hundred and Ninety Nine Only";
        QTest::newRow("a lakh less a paisa") << "99999.99" << "Rupees Ninety Nine Thousand Nine Hundred and Ninety Nine and Paise Ninety Nine Only";
        QTest::newRow("crore and units") << "10000001" << "Rupees One Crore and One Only";
        QTest::newRow("the largest") << "999999999.99" << "Rupees Ninety Nine Crore Ninety Nine Lakh Ninety Nine Thousand Nine Hundred and Ninety Nine and Paise Ninety Nine Only";
        QTest::newRow("hundreds of crores") << "12345678900" << "Rupees One Thousand Two Hundred and Thirty Four Crore Fifty Six Lakh Seventy Eight Thousand Nine Hundred Only";
        QTest::newRow("half a paisa to even") << "0.125" << "Paise Twelve Only";
        QTest::newRow("negative") << "-250" << "Minus Rupees Two Hundred and Fifty Only";
        // clang-format on
    }
    void inWords()
    {
        QFETCH(QString, amount);
        QFETCH(QString, words);
        QCOMPARE(amountInWords(*Currency::parse(amount)), words);
    }

    void arithmetic()
    {
        const Currency a = c("0.1");
        const Currency b = c("0.2");
        QCOMPARE(a.plus(b)->toString(), QStringLiteral("0.3"));
        QCOMPARE(a.minus(b)->toString(), QStringLiteral("-0.1"));
        QCOMPARE(sumOf(a, b, c("20.25"))->toString(), QStringLiteral("20.55"));
        QCOMPARE(c("10000").dividedBy(31)->toString(), QStringLiteral("322.5806"));
        QCOMPARE(c("-10000").dividedBy(31)->toString(), QStringLiteral("-322.5806"));
        QCOMPARE(c("1").dividedBy(-8)->toString(), QStringLiteral("-0.125"));
        QVERIFY(!c("1").dividedBy(0));
        // Products are exact; only the fifth decimal and beyond are rounded, halves to even.
        QCOMPARE(c("322.58").times(c("25"))->toString(), QStringLiteral("8064.5"));
        QCOMPARE(c("0.0001").times(c("0.5"))->toString(), QStringLiteral("0"));
        QCOMPARE(c("0.0003").times(c("0.5"))->toString(), QStringLiteral("0.0002"));
        QCOMPARE(c("-0.0003").times(c("0.5"))->toString(), QStringLiteral("-0.0002"));
        QCOMPARE(c("92233720368").times(c("10000"))->toString(), QStringLiteral("922337203680000"));
    }

    void overflowIsReported()
    {
        const Currency max = Currency::fromUnits(std::numeric_limits<qint64>::max());
        const Currency min = Currency::fromUnits(std::numeric_limits<qint64>::min());
        const Currency one = c("1");
        QVERIFY(!max.plus(one));
        QVERIFY(!min.minus(one));
        QVERIFY(!sumOf(one, max, one));
        QVERIFY(!max.times(c("2")));
        QVERIFY(!c("922337203686").times(c("1000")));
        QVERIFY(!max.rounded(0)); // rounds up past the largest count
        QVERIFY(!Currency::fromWhole(std::numeric_limits<qint64>::max() / 1000));
        QVERIFY(min.plus(max));
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "test_currency.moc"
