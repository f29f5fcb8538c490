#include "app/demo_data.h"
#include "app/program_windows.h"
#include "shell/main_window.h"
#include "support/window_fixture.h"
#include "ui/window_catalogue.h"
#include "ui/window_room.h"

#include <QAbstractButton>
#include <QAction>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// The control a focus belongs to: a combo box's or a date box's own line edit is the box.
QWidget* ownerOf(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p))
            return p;
    return w;
}

bool isReadOnlyBox(const QWidget* w)
{
    const auto* line = qobject_cast<const QLineEdit*>(w);
    const auto* text = qobject_cast<const QPlainTextEdit*>(w);
    return (line && line->isReadOnly()) || (text && text->isReadOnly());
}

// A box one types into or chooses from, or a button: what the keyboard must reach.
bool mustBeReached(const QWidget* w)
{
    if (!w->isVisible() || !w->isEnabled())
        return false;
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->focusPolicy() != Qt::NoFocus;
    if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
        return true;
    if (qobject_cast<const QLineEdit*>(w) && ownerOf(const_cast<QWidget*>(w)) == w)
        return !isReadOnlyBox(w) && w->focusPolicy() != Qt::NoFocus;
    if (qobject_cast<const QPlainTextEdit*>(w))
        return !isReadOnlyBox(w);
    return false;
}

QString nameOf(const QWidget* w)
{
    return w ? QStringLiteral("%1 (%2)").arg(w->objectName(), w->metaObject()->className()) : QStringLiteral("nothing");
}

// The Alt letter of a caption ("&&" stands for a plain "&"), or none.
QChar mnemonicOf(const QString& text)
{
    const QKeySequence alt = QKeySequence::mnemonic(text);
    return alt.isEmpty() ? QChar() : QChar(int(alt[0].key()));
}

} // namespace

// Every working window walked as a clerk walks it, from the keyboard.
class TestKeyboardWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(ensureDemoData(m_f.db(), m_f.clock));
        m_f.session.company = QStringLiteral("SHREE GANESH TEXTILES");
        addProgramWindows(m_catalogue);
        // The letters of the main window's menu bar (a submenu's letter is its menu's business).
        const MainWindow main(m_f.context, m_catalogue);
        for (const QAction* menu : main.menuBar()->actions())
            if (const QChar letter = mnemonicOf(menu->text()); !letter.isNull())
                m_menuLetters.insert(letter, QStringLiteral("the menu ") + menu->text());
        QCOMPARE(m_menuLetters.size(), 4);
    }

    void everyWindow_data()
    {
        QTest::addColumn<QString>("name");
        // initTestCase has filled the catalogue: it runs before any test's data.
        QStringList names = m_catalogue.names();
        names.sort();
        for (const QString& name : std::as_const(names))
            QTest::newRow(qPrintable(name)) << name;
    }

    void everyWindow()
    {
        QFETCH(QString, name);
        // Inside the main window's area, as the program shows it.
        QMdiArea area;
        area.resize(1366, 700);
        QWidget* made = m_catalogue.create(name, m_f.context, nullptr);
        QVERIFY(made);
        QMdiSubWindow* sub = addWorkingWindow(&area, made);
        WindowFixture::showActive(&area);
        sub->show();
        area.setActiveSubWindow(sub);
        QTest::qWait(20);
        QWidget* window = made;
        const QString title = window->windowTitle();

        // No two commands or labels on one Alt letter, and a label's letter leads to its box. The
        // main window's menus keep their letters while a working window is active inside it.
        QHash<QChar, QString> letters = m_menuLetters;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            QString caption;
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                caption = button->text();
            else if (auto* label = qobject_cast<QLabel*>(w)) {
                caption = label->text();
                if (!mnemonicOf(caption).isNull())
                    QVERIFY2(label->buddy(), qPrintable(title + ": the label " + caption + " has a letter but no box"));
            } else if (auto* group = qobject_cast<QGroupBox*>(w))
                caption = group->title();
            const QChar letter = mnemonicOf(caption);
            if (letter.isNull())
                continue;
            QVERIFY2(!letters.contains(letter),
                     qPrintable(QStringLiteral("%1: Alt+%2 is both %3 and %4").arg(title, letter, letters.value(letter), caption)));
            letters.insert(letter, caption);
        }

        // Tab from the first control: every box and button is reached, in turn, and no read-only
        // box or part of a date box holds the focus.
        QList<QWidget*> reachable;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (mustBeReached(w))
                reachable << w;
        QVERIFY2(!reachable.isEmpty(), qPrintable(title));
        QWidget* first = window->focusWidget() && mustBeReached(ownerOf(window->focusWidget()))
                             ? ownerOf(window->focusWidget())
                             : reachable.first();
        first->setFocus(Qt::TabFocusReason);
        QList<QWidget*> visited;
        for (int step = 0; step < 300; ++step) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus && window->isAncestorOf(focus), qPrintable(title + ": the focus left the window"));
            QWidget* at = ownerOf(focus);
            QVERIFY2(!isReadOnlyBox(at), qPrintable(title + ": Tab stops in the read-only " + nameOf(at)));
            if (!visited.isEmpty() && at == visited.first())
                break;
            QVERIFY2(!visited.contains(at), qPrintable(title + ": Tab comes back to " + nameOf(at) + " before the end"));
            visited << at;
            QTest::keyClick(focus, Qt::Key_Tab);
            QVERIFY2(ownerOf(QApplication::focusWidget()) != at, qPrintable(title + ": Tab stays in " + nameOf(at)));
        }
        for (QWidget* w : std::as_const(reachable))
            QVERIFY2(visited.contains(w), qPrintable(title + ": Tab never reaches " + nameOf(w)));

        // Enter leaves every box one types into, as Tab does, or answers (a box whose Enter runs its
        // command says what it did or why not).
        for (QWidget* w : std::as_const(reachable)) {
            if (qobject_cast<QAbstractButton*>(w) || !w->isVisible() || !w->isEnabled())
                continue;
            w->setFocus(Qt::TabFocusReason);
            const qsizetype said = m_f.prompter.entries().size();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTest::qWait(0);
            QVERIFY2(!window->isVisible() || ownerOf(QApplication::focusWidget()) != w ||
                         m_f.prompter.entries().size() > said,
                     qPrintable(title + ": Enter stays in " + nameOf(w)));
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        }
    }

private:
    WindowFixture m_f{QDateTime(QDate(2026, 12, 7), QTime(10, 0))};
    QHash<QChar, QString> m_menuLetters;
    WindowCatalogue m_catalogue;
};

QTEST_MAIN(TestKeyboardWalk)
#include "test_keyboard_walk.moc"
