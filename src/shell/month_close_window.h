#pragma once

#include <QWidget>

#include <memory>

struct AppContext;

namespace Ui {
class MonthCloseWindow;
}

// Closing the selected company's months to change, and reopening one, for administrators: each
// behind the delete password, a reopening with its reason; both recorded in the audit trail.
class MonthCloseWindow : public QWidget {
    Q_OBJECT
public:
    explicit MonthCloseWindow(AppContext& context, QWidget* parent = nullptr);
    ~MonthCloseWindow() override;

    // Fills the list of closed months again.
    void showClosed();

private:
    void closeMonth();
    void reopen();
    // Asks for the delete password; false (after saying why) unless it was typed right.
    bool passwordGiven(const QString& why);

    std::unique_ptr<Ui::MonthCloseWindow> m_ui;
    AppContext& m_context;
};
