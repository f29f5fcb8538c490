#pragma once

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class DeletePasswordGuard;
class QLineEdit;

namespace Ui {
class PayrollDeletionWindow;
}

// Deletes payroll transactions of the selected company: one by its number, a range of numbers, or
// all of them (after a backup copy), each behind the delete password, and tells how many went.
class PayrollDeletionWindow : public QWidget {
    Q_OBJECT
public:
    explicit PayrollDeletionWindow(AppContext& context, QWidget* parent = nullptr);
    ~PayrollDeletionWindow() override;

private:
    void deleteOne();
    void deleteRange();
    void deleteAll();
    // The whole number typed in the box; nothing (after telling the operator) when there is none.
    std::optional<qint64> number(QLineEdit* box, const QString& what);
    // The payroll window, when open, shows what is left and comes to the front.
    void showPayroll();

    std::unique_ptr<Ui::PayrollDeletionWindow> m_ui;
    AppContext& m_context;
    DeletePasswordGuard* m_single;
    DeletePasswordGuard* m_range;
    DeletePasswordGuard* m_all;
};
