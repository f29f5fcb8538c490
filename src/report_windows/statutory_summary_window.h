#pragma once

#include <QString>
#include <QWidget>

#include <memory>

struct AppContext;

namespace Ui {
class StatutorySummaryWindow;
}

// A month's statutory deductions of the company (frmStatutorySummary): the summary of the provident
// fund, the insurance and the professional tax for the viewer, and the provident fund's return file
// to upload to the fund's office.
class StatutorySummaryWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatutorySummaryWindow(AppContext& context, QWidget* parent = nullptr);
    ~StatutorySummaryWindow() override;

private:
    void showSummary();
    // Writes a return of the month: the fund's or the insurance's, worked out before the clerk is
    // asked where to keep it.
    struct ReturnFile;
    void writeReturn(const ReturnFile& file);

    std::unique_ptr<Ui::StatutorySummaryWindow> m_ui;
    AppContext& m_context;
    // Where the last return was written: the next month's usually goes beside it.
    QString m_folder;
};
