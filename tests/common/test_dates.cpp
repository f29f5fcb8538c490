#include "common/dates.h"

#include <QTest>

class TestDates : public QObject {
    Q_OBJECT
private slots:
    void daysInMonth_data();
    void daysInMonth();
    void texts();
};

void TestDates::daysInMonth_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("days");
    QTest::newRow("any day of January") << QDate(2026, 1, 17) << 31;
    QTest::newRow("15 February 2023") << QDate(2023, 2, 15) << 28;
    QTest::newRow("1 February 2024") << QDate(2024, 2, 1) << 29;
    QTest::newRow("30 April") << QDate(2026, 4, 30) << 30;
    QTest::newRow("February 2100 is not leap") << QDate(2100, 2, 10) << 28;
    QTest::newRow("December") << QDate(2026, 12, 31) << 31;
}

void TestDates::daysInMonth()
{
    QFETCH(QDate, date);
    QFETCH(int, days);
    QCOMPARE(dates::daysInMonth(date), days);
}

void TestDates::texts()
{
    // The system locale must not change stored or printed month names.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QDate d(2024, 3, 4);
    QCOMPARE(dates::monthYearText(d), QStringLiteral("March2024"));
    QCOMPARE(dates::dayMonthYearText(d), QStringLiteral("04-Mar-2024"));
    QCOMPARE(dates::displayText(d), QStringLiteral("04/03/2024"));
    QCOMPARE(dates::storageText(d), QStringLiteral("2024-03-04"));
    QCOMPARE(dates::fromStorageText(QStringLiteral("2024-03-04")), d);
    QVERIFY(!dates::fromStorageText(QStringLiteral("04-Mar-2024")).isValid());
    QCOMPARE(dates::lastOfMonth(QDate(2024, 2, 10)), QDate(2024, 2, 29));
    QLocale::setDefault(QLocale::c());
}

QTEST_GUILESS_MAIN(TestDates)
#include "test_dates.moc"
