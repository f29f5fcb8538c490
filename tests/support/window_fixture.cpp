#include "window_fixture.h"

#include "ui/keyboard_rules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

WindowFixture::WindowFixture(const QDateTime& now) : clock(now)
{
    // The windows are tried with the keyboard habits the program installs.
    KeyboardRules::install();
    // The trail and the month close name the session's operator at the fixture's time.
    db().setClock(&clock);
    db().setUser(session.userName);
}

WindowFixture::~WindowFixture()
{
    m_window.reset();
}

void WindowFixture::showActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        qWarning("the window %s did not become active", qPrintable(window->objectName()));
}

QString WindowFixture::text(const QString& name) const
{
    QWidget* w = control(name);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        return plain->toPlainText();
    qFatal("control %s shows no text", qPrintable(name));
}

QStringList WindowFixture::texts(std::initializer_list<const char*> names) const
{
    QStringList shown;
    for (const char* name : names)
        shown << text(QString::fromLatin1(name));
    return shown;
}

void WindowFixture::type(const QString& box, const QString& text, bool enter)
{
    QWidget* w = control(box);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setFocus();
        plain->selectAll();
        QTest::keyClick(plain, Qt::Key_Backspace);
        QTest::keyClicks(plain, text);
        if (enter)
            QTest::keyClick(plain, Qt::Key_Return);
        return;
    }
    QLineEdit* edit = qobject_cast<QLineEdit*>(w);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        edit = combo->lineEdit();
    if (!edit)
        qFatal("control %s takes no typing", qPrintable(box));
    w->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    if (enter)
        QTest::keyClick(edit, Qt::Key_Return);
}

void WindowFixture::click(const QString& button)
{
    QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton);
}
