#pragma once

#include "data/session.h"
#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "support/test_database.h"
#include "ui/app_context.h"

#include <QStringList>
#include <QWidget>

#include <memory>

// What a window test stands on: a database file of its own, a scripted prompter, a fixed clock and
// a logged-in session, handed to the window under test, which goes before the database does.
class WindowFixture {
    TestDatabase m_database; // first: the context below refers to it

public:
    explicit WindowFixture(const QDateTime& now = QDateTime(QDate(2026, 3, 15), QTime(10, 0)));
    ~WindowFixture();

    Database& db() { return m_database.db(); }
    TestDatabase& database() { return m_database; }

    // Makes the window from the context (and any further arguments), shows it and waits until it
    // is the active window. A window opened before is closed first.
    template <typename W, typename... Args>
    W* open(Args&&... args)
    {
        m_window.reset();
        auto window = std::make_unique<W>(context, std::forward<Args>(args)...);
        W* made = window.get();
        m_window = std::move(window);
        showActive(made);
        return made;
    }
    QWidget* window() const { return m_window.get(); }

    // The window's control of that name; the test stops when there is none.
    template <typename T = QWidget>
    T* control(const QString& name) const
    {
        T* found = m_window ? m_window->findChild<T*>(name) : nullptr;
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    // The window's child of that type made last (the report shown last); the test stops when there
    // is none.
    template <typename T>
    T* last() const
    {
        const QList<T*> made = m_window ? m_window->findChildren<T*>() : QList<T*>();
        if (made.isEmpty())
            qFatal("no %s shown", T::staticMetaObject.className());
        return made.last();
    }
    // What a control shows: a box's or combo box's text, a label's or button's caption.
    QString text(const QString& name) const;
    // What each of the controls named shows, in order.
    QStringList texts(std::initializer_list<const char*> names) const;
    // Enters the box (a line edit, a text box or an editable combo box), replaces its text by typing and, unless
    // told otherwise, presses Enter.
    void type(const QString& box, const QString& text, bool enter = true);
    void click(const QString& button);

    static void showActive(QWidget* window);

    ScriptedPrompter prompter;
    FixedClock clock;
    Session session{QStringLiteral("ACME"), QStringLiteral("admin"), QStringLiteral("Admin")};
    AppContext context{m_database.db(), prompter, clock, session};

private:
    std::unique_ptr<QWidget> m_window;
};
