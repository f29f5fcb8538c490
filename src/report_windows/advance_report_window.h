#pragma once

#include <QWidget>

#include <memory>

struct AppContext;

namespace report {
class DocumentModel;
}

namespace Ui {
class AdvanceReportWindow;
}

// The company's salary advances paid between two dates (Form13): the printed report, the advances
// in a grid, their total and their count.
class AdvanceReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit AdvanceReportWindow(AppContext& context, QWidget* parent = nullptr);
    ~AdvanceReportWindow() override;

private:
    void ok();

    std::unique_ptr<Ui::AdvanceReportWindow> m_ui;
    AppContext& m_context;
    report::DocumentModel* m_model;
};
