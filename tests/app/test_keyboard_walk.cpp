#include "app/demo_data.h"
#include "employees/employee_windows.h"
#include "ledgers/ledger_windows.h"
#include "payroll/payroll_windows.h"
#include "report_windows/report_windows.h"
#include "shell/shell_windows.h"
#include "support/window_fixture.h"
#include "ui/window_catalogue.h"
#include "ui/window_room.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QXmlStreamReader>

#include <memory>

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
    if (auto* line = qobject_cast<const QLineEdit*>(w))
        return line->isReadOnly();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(w))
        return text->isReadOnly();
    return false;
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

// The Alt letter of a caption, or none.
QChar mnemonicOf(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toUpper();
    }
    return {};
}

} // namespace

// Every working window walked as a clerk walks it, from the keyboard, at its default size.
class TestKeyboardWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The letters of the main window's menu bar, read from its form.
        QFile form(QStringLiteral(KESTREL_SOURCE_DIR "/src/shell/main_window.ui"));
        QVERIFY(form.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&form);
        bool inMenu = false;
        QStringList widgets; // the classes of the widgets the reader is inside
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("widget"))
                widgets.removeLast();
            if (xml.isStartElement() && xml.name() == QLatin1String("widget")) {
                // Only the menus of the bar answer Alt and a letter; a submenu's letter is its menu's.
                inMenu = xml.attributes().value(QLatin1String("class")) == QLatin1String("QMenu") &&
                         !widgets.isEmpty() && widgets.last() == QLatin1String("QMenuBar");
                widgets << xml.attributes().value(QLatin1String("class")).toString();
            }
            if (inMenu && xml.isStartElement() && xml.name() == QLatin1String("string")) {
                const QString title = xml.readElementText();
                if (const QChar letter = mnemonicOf(title); !letter.isNull())
                    m_menuLetters.insert(letter, QStringLiteral("the menu ") + title);
                inMenu = false;
            }
        }
        QCOMPARE(m_menuLetters.size(), 4);
        QVERIFY(ensureDemoData(m_f.db(), m_f.clock));
        m_f.session.company = QStringLiteral("SHREE GANESH TEXTILES");
        addShellWindows(m_catalogue);
        addEmployeeWindows(m_catalogue);
        addLedgerWindows(m_catalogue);
        addReportWindows(m_catalogue);
        addPayrollWindows(m_catalogue);
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
        // Inside the main window's area, as the program shows it, at its default size.
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

        // Every control is at least as large as it needs to be, and stays so when a frame or a
        // panel that starts hidden (a password frame, an edit panel) is shown.
        checkSizes(window, title);
        for (QFrame* frame : window->findChildren<QFrame*>()) {
            if (frame->isVisibleTo(window) || !frame->parentWidget()->isVisible() ||
                qobject_cast<QAbstractScrollArea*>(frame) || qobject_cast<QLabel*>(frame) || ownerOf(frame) != frame)
                continue;
            frame->show();
            QTest::qWait(20);
            checkSizes(window, title + " with " + frame->objectName() + " shown");
            frame->hide();
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
    void checkSizes(QWidget* window, const QString& title)
    {
        QApplication::processEvents();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            // A control's own parts (the line edit of a list or a date box, a grid's viewport) are its
            // own business.
            if (!w->isVisible() || !w->minimumSizeHint().isValid() || ownerOf(w) != w ||
                qobject_cast<QAbstractScrollArea*>(w->parentWidget()) || qobject_cast<QAbstractScrollArea*>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
                continue;
            const QSize least = w->minimumSizeHint().boundedTo(w->maximumSize());
            QVERIFY2(w->width() >= least.width() && w->height() >= least.height(),
                     qPrintable(QStringLiteral("%1: %2 is %3×%4, less than its least %5×%6")
                                    .arg(title, nameOf(w))
                                    .arg(w->width())
                                    .arg(w->height())
                                    .arg(least.width())
                                    .arg(least.height())));
        }
    }

    WindowFixture m_f{QDateTime(QDate(2026, 12, 7), QTime(10, 0))};
    QHash<QChar, QString> m_menuLetters;
    WindowCatalogue m_catalogue;
};

QTEST_MAIN(TestKeyboardWalk)
#include "test_keyboard_walk.moc"
