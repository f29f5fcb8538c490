#pragma once

#include "data/payroll_repository.h"
#include "reports/report_document.h"

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;

namespace report {
class DocumentModel;
}

namespace Ui {
class DatewisePayrollWindow;
class DepartmentPayrollWindow;
} // namespace Ui

// The company's payroll between two dates (Form12), or of one department and group (Form14): the
// printed report, the transactions in a grid, each column's total and the count.
class PayrollReportWindow : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Datewise, Department };
    PayrollReportWindow(AppContext& context, Kind kind, QWidget* parent = nullptr);
    ~PayrollReportWindow() override;

private:
    struct Controls {
        QDateEdit* from = nullptr;
        QDateEdit* to = nullptr;
        QPushButton* ok = nullptr;
        QPushButton* close = nullptr;
        QTableView* grid = nullptr;
        QList<QLineEdit*> totals; // in the order of the grid's amount columns
        QLineEdit* count = nullptr;
        QComboBox* department = nullptr;
        QComboBox* group = nullptr;
        QPushButton* print = nullptr;
    };

    // What the window's boxes select, once they are checked.
    std::optional<PayrollSelection> selection();
    // The selected transactions, or nothing after telling the operator why they cannot be read.
    std::optional<QList<PayrollTransaction>> read(const PayrollSelection& selection);
    // The report of the rows; nothing after telling the operator why (the company cannot be read).
    std::optional<report::Document> reportOf(const PayrollSelection& selection, QList<PayrollTransaction> rows) const;
    void ok();
    void print();

    std::unique_ptr<Ui::DatewisePayrollWindow> m_datewise;
    std::unique_ptr<Ui::DepartmentPayrollWindow> m_department;
    AppContext& m_context;
    Kind m_kind;
    Controls m_c;
    report::DocumentModel* m_model;
};
