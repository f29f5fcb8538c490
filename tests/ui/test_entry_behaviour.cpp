#include "ui/entry_behaviour.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

// The behaviours every window installs; each window's tests use them through its own boxes too.
class TestEntryBehaviour : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void amountBoxTakesOnlySensibleAmounts();
    void enterMovesOnLikeTab();
    void comboOpensListOnFocusOnlyWithItems();

private:
    QWidget* m_window = nullptr;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    QComboBox* m_combo = nullptr;
};

void TestEntryBehaviour::init()
{
    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    layout->addWidget(m_first = new QLineEdit(m_window));
    layout->addWidget(m_second = new QLineEdit(m_window));
    layout->addWidget(m_combo = new QComboBox(m_window));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->activateWindow();
}

void TestEntryBehaviour::cleanup()
{
    delete m_window;
}

void TestEntryBehaviour::amountBoxTakesOnlySensibleAmounts()
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

void TestEntryBehaviour::enterMovesOnLikeTab()
{
    EntryBehaviour::install(m_first, EntryBehaviour::EnterMovesOn);
    m_first->setFocus();
    QTest::keyClick(m_first, Qt::Key_Return);
    QVERIFY(m_second->hasFocus());
    // Ctrl+Enter is not plain Enter.
    m_first->setFocus();
    QTest::keyClick(m_first, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(m_first->hasFocus());
}

void TestEntryBehaviour::comboOpensListOnFocusOnlyWithItems()
{
    EntryBehaviour::install(m_combo, EntryBehaviour::DropDownOnFocus);
    m_combo->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    QVERIFY(!m_combo->view()->isVisible()); // empty: nothing to open
    m_first->setFocus();
    m_combo->addItems({"ACCOUNTS", "STORES"});
    m_combo->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(m_combo->view()->isVisible());
    m_combo->hidePopup();
}

QTEST_MAIN(TestEntryBehaviour)
#include "test_entry_behaviour.moc"
