#include "ui/entry_behaviour.h"
#include "ui/keyboard_rules.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

// The behaviours every window installs; each window's tests use them through its own boxes too.
class TestEntryBehaviour : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_window = new QWidget;
        auto* layout = new QVBoxLayout(m_window);
        layout->addWidget(m_first = new QLineEdit(m_window));
        layout->addWidget(m_second = new QLineEdit(m_window));
        layout->addWidget(m_combo = new QComboBox(m_window));
        layout->addWidget(m_date = new QDateEdit(QDate(2026, 12, 7), m_window));
        m_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        m_date->setCalendarPopup(true);
        layout->addWidget(m_readOnly = new QLineEdit(QStringLiteral("shown only"), m_window));
        m_readOnly->setReadOnly(true);
        layout->addWidget(m_last = new QLineEdit(m_window));
        KeyboardRules::install();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_window->activateWindow();
    }

    void cleanup() { delete m_window; }

    void amountBoxTakesOnlySensibleAmounts()
    {
        EntryBehaviour::install(m_first, EntryBehaviour::AmountKeys);
        m_first->setFocus();
        QTest::keyClicks(m_first, "1a2.5-x, 7");
        QCOMPARE(m_first->text(), QStringLiteral("12.57"));
        QTest::keyClicks(m_first, "9"); // a third decimal
        QCOMPARE(m_first->text(), QStringLiteral("12.57"));
        m_first->clear();
        m_first->insert("abc"); // the path a paste takes
        QCOMPARE(m_first->text(), QString());
        QTest::keyClicks(m_first, "12345678901"); // eight digits at the most
        QCOMPARE(m_first->text(), QStringLiteral("12345678"));
    }

    // A date typed as the box shows it, separators and all, is that date; never another one.
    void datesTypedAsShown_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        const QString days = QStringLiteral("dd/MM/yyyy");
        QTest::newRow("with separators") << days << "15/01/2025" << QDate(2025, 1, 15);
        QTest::newRow("digits only") << days << "15012025" << QDate(2025, 1, 15);
        QTest::newRow("one-digit day and month") << days << "5/1/2025" << QDate(2025, 1, 5);
        QTest::newRow("day that could go on") << days << "1/1/2025" << QDate(2025, 1, 1);
        QTest::newRow("last day of a year") << days << "31/12/2024" << QDate(2024, 12, 31);
        // A month written out takes its letters as they come.
        QTest::newRow("month by name") << "MMMM yyyy" << "March 2025" << QDate(2025, 3, 7);
    }
    void datesTypedAsShown()
    {
        QFETCH(QString, format);
        QFETCH(QString, typed);
        m_date->setDisplayFormat(format);
        m_combo->setFocus();
        QTest::keyClick(m_combo, Qt::Key_Tab); // entered as a clerk enters it: the day is selected
        QTest::keyClicks(m_date, typed);
        QTEST(m_date->date(), "date");
    }

    // Enter and Shift+Tab leave a date box at once, not part by part (Tab, in every window's boxes, is
    // the keyboard walk's), and the boxes that cannot be typed into are passed over; Enter does the
    // same with an entry behaviour or without one, and Ctrl+Enter, not being plain Enter, stays.
    void keysLeaveBoxesAtOnce_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("behaviour");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false << "last";
        QTest::newRow("Enter, entry behaviour") << int(Qt::Key_Return) << int(Qt::NoModifier) << true << "last";
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << false << "combo";
        QTest::newRow("Ctrl+Enter, entry behaviour")
            << int(Qt::Key_Return) << int(Qt::ControlModifier) << true << "date";
    }
    void keysLeaveBoxesAtOnce()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, behaviour);
        QFETCH(QString, reached);
        if (behaviour)
            EntryBehaviour::install(m_date, EntryBehaviour::EnterMovesOn);
        m_combo->setFocus();
        QTest::keyClick(m_combo, Qt::Key_Tab);
        QVERIFY(m_date->hasFocus());
        QTest::keyClick(m_date, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const QHash<QString, QWidget*> boxes{{"last", m_last}, {"combo", m_combo}, {"date", m_date}};
        QVERIFY2(boxes.value(reached)->hasFocus(),
                 qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none"));
        QCOMPARE(m_date->date(), QDate(2026, 12, 7));
    }

    // A list shows, highlights and stores the same entry; it does not open by itself; Down with nothing
    // chosen chooses the first entry, Enter none.
    void listsShowWhatTheyStore()
    {
        m_combo->addItems({"ACCOUNTS", "SALES", "STORES"});
        m_combo->setCurrentIndex(-1);
        EntryBehaviour::install(m_combo, EntryBehaviour::EnterMovesOn);
        m_first->setFocus();
        QTest::keyClick(m_first, Qt::Key_Tab);
        QTest::keyClick(m_second, Qt::Key_Tab);
        QVERIFY(m_combo->hasFocus());
        QTest::qWait(20);
        QVERIFY(!m_combo->view()->isVisible());
        // Enter passes an untouched list by, never taking its first entry unasked.
        QTest::keyClick(m_combo, Qt::Key_Return);
        QVERIFY(m_date->hasFocus());
        QCOMPARE(m_combo->currentIndex(), -1);
        m_combo->setFocus();
        QTest::keyClick(m_combo, Qt::Key_Down);
        QCOMPARE(m_combo->currentText(), QStringLiteral("ACCOUNTS"));
        m_combo->setEditable(true);
        const auto shown = [this] { return QString::number(m_combo->currentIndex()) + "|" + m_combo->currentText(); };
        showInList(m_combo, QStringLiteral("sales"));
        QCOMPARE(shown(), QStringLiteral("1|SALES"));
        showInList(m_combo, QStringLiteral("TRANSPORT")); // not in the list: shown, nothing chosen
        QCOMPARE(shown(), QStringLiteral("-1|TRANSPORT"));
    }

private:
    QWidget* m_window = nullptr;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    QComboBox* m_combo = nullptr;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_readOnly = nullptr;
    QLineEdit* m_last = nullptr;
};

QTEST_MAIN(TestEntryBehaviour)
#include "test_entry_behaviour.moc"
