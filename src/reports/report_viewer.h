#pragma once

#include "reports/report_document.h"
#include "reports/report_pages.h"

#include <QWidget>

#include <memory>

class Prompter;

namespace Ui {
class ReportViewer;
}

// The preview of a report, with page navigation, zoom, Print, Export PDF and Export CSV. It is
// modeless and lives as a window of its own beside the window that showed it. Only the page shown is
// drawn, so a report of thousands of pages opens at once; printing and exporting all of it show
// their progress and can be cancelled.
class ReportViewer : public QWidget {
    Q_OBJECT
public:
    ReportViewer(Prompter& prompter, report::Document document, QWidget* parent = nullptr);
    ~ReportViewer() override;

    // Shows the document in a new viewer that closes with `owner`.
    static ReportViewer* open(QWidget* owner, Prompter& prompter, report::Document document);

    const report::Document& document() const { return m_document; }
    int page() const;

    void exportPdf();
    void exportCsv();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPage(int page);
    void render();
    void zoomBy(int steps);
    void print();
    // The file to write, with its suffix; empty when the operator cancelled.

    std::unique_ptr<Ui::ReportViewer> m_ui;
    Prompter& m_prompter;
    report::Document m_document;
    report::Pages m_pages;
};
