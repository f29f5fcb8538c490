#pragma once

#include <QDate>
#include <QString>
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
class DatewiseLoanWindow;
class DepartmentLoanWindow;
} // namespace Ui

// The loans paid and the loan instalments recovered through payroll between two dates (Form15),
// or of one department (Form16): two grids, each with its total, count and printed report.
class LoanReportWindow : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Datewise, Department };
    LoanReportWindow(AppContext& context, Kind kind, QWidget* parent = nullptr);
    ~LoanReportWindow() override;

private:
    struct Controls {
        QDateEdit* from;
        QDateEdit* to;
        QPushButton* ok;
        QPushButton* close;
        QTableView* loans;
        QLineEdit* loanTotal;
        QLineEdit* loanCount;
        QPushButton* printLoans;
        QTableView* recoveries;
        QLineEdit* recoveryTotal;
        QLineEdit* recoveryCount;
        QPushButton* printRecoveries;
        QComboBox* department = nullptr;
    };
    struct Selection {
        QDate from;
        QDate to;
        std::optional<QString> department;
    };

    std::optional<Selection> selection();
    void ok();
    void printLoans();
    void printRecoveries();

    std::unique_ptr<Ui::DatewiseLoanWindow> m_datewise;
    std::unique_ptr<Ui::DepartmentLoanWindow> m_department;
    AppContext& m_context;
    Kind m_kind;
    Controls m_c;
    report::DocumentModel* m_loanModel;
    report::DocumentModel* m_recoveryModel;
};
