#include "common/dates.h"

#include <QTest>

class TestDates : public QObject {
    Q_OBJECT
private slots:
    void texts()
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
};

QTEST_GUILESS_MAIN(TestDates)
#include "test_dates.moc"
