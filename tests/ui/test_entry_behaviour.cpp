#include "ui/entry_behaviour.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

class TestEntryBehaviour : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void amountBoxTakesOnlyDigitsAndPoint();
    void amountBoxRefusesPastedLetters();
    void enterMovesOnLikeTab();
    void numberBoxSelectsAllOnFocus();
    void comboOpensListOnFocusOnlyWithItems();
    void upperCaseTyping();
    void installByNameIgnoresUnknownNames();

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
    m_first = new QLineEdit(m_window);
    m_first->setObjectName("txtFirst");
    m_second = new QLineEdit(m_window);
    m_second->setObjectName("txtSecond");
    m_combo = new QComboBox(m_window);
    m_combo->setObjectName("cboList");
    layout->addWidget(m_first);
    layout->addWidget(m_second);
    layout->addWidget(m_combo);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->activateWindow();
}

void TestEntryBehaviour::cleanup()
{
    delete m_window;
}

void TestEntryBehaviour::amountBoxTakesOnlyDigitsAndPoint()
{
    EntryBehaviour::installByName(m_window, {"txtFirst"}, EntryBehaviour::AmountKeys);
    m_first->setFocus();
    QTest::keyClicks(m_first, "1a2.5-x, 7");
    QCOMPARE(m_first->text(), QStringLiteral("12.57"));
    QTest::keyClick(m_first, Qt::Key_Backspace);
    QCOMPARE(m_first->text(), QStringLiteral("12.5"));
}

void TestEntryBehaviour::amountBoxRefusesPastedLetters()
{
    EntryBehaviour::install(m_first, EntryBehaviour::AmountKeys);
    m_first->setFocus();
    m_first->insert("abc"); // the path a paste takes
    QCOMPARE(m_first->text(), QString());
    m_first->insert("42");
    QCOMPARE(m_first->text(), QStringLiteral("42"));
}

void TestEntryBehaviour::enterMovesOnLikeTab()
{
    EntryBehaviour* behaviour = EntryBehaviour::install(m_first, EntryBehaviour::EnterMovesOn);
    QSignalSpy entered(behaviour, &EntryBehaviour::enterPressed);
    m_first->setFocus();
    QVERIFY(m_first->hasFocus());
    QTest::keyClick(m_first, Qt::Key_Return);
    QCOMPARE(entered.count(), 1);
    QVERIFY(m_second->hasFocus());
    // Ctrl+Enter is not plain Enter.
    m_first->setFocus();
    QTest::keyClick(m_first, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(m_first->hasFocus());
}

void TestEntryBehaviour::numberBoxSelectsAllOnFocus()
{
    EntryBehaviour::install(m_second, EntryBehaviour::SelectAllOnFocus);
    m_second->setText("1500");
    m_first->setFocus();
    QTest::keyClick(m_first, Qt::Key_Tab);
    QVERIFY(m_second->hasFocus());
    QTRY_COMPARE(m_second->selectedText(), QStringLiteral("1500"));
    QTest::keyClicks(m_second, "7");
    QCOMPARE(m_second->text(), QStringLiteral("7"));
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

void TestEntryBehaviour::upperCaseTyping()
{
    EntryBehaviour::install(m_first, EntryBehaviour::UpperCase);
    m_first->setFocus();
    QTest::keyClicks(m_first, "o'brien 2");
    QCOMPARE(m_first->text(), QStringLiteral("O'BRIEN 2"));
}

void TestEntryBehaviour::installByNameIgnoresUnknownNames()
{
    EntryBehaviour::installByName(m_window, {"nothingHere", "txtSecond"}, EntryBehaviour::AmountKeys);
    QVERIFY(EntryBehaviour::of(m_second));
    QVERIFY(!EntryBehaviour::of(m_first));
    // Installing twice extends the one filter instead of stacking another.
    EntryBehaviour::install(m_second, EntryBehaviour::EnterMovesOn);
    QCOMPARE(m_second->findChildren<EntryBehaviour*>().size(), 1);
    QCOMPARE(EntryBehaviour::of(m_second)->behaviours(), EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn);
}

QTEST_MAIN(TestEntryBehaviour)
#include "test_entry_behaviour.moc"
