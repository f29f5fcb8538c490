#pragma once

#include "data/audit_trail.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;

namespace report {
class DocumentModel;
}

namespace Ui {
class AuditWindow;
}

// The audit trail for administrators: the entries of a period, narrowed by user, table, kind and
// employee, in a grid that sorts and exports as every grid does; the selected entry's values before
// and after side by side; and the check of the whole chain.
class AuditWindow : public QWidget {
    Q_OBJECT
public:
    explicit AuditWindow(AppContext& context, QWidget* parent = nullptr);
    ~AuditWindow() override;

    // Reads the entries the filters select into the grid.
    void showEntries();

private:
    // What the boxes select; nothing (after saying why) when the dates are wrong.
    std::optional<audit::Filter> filter();
    void showValues();
    void verify();
    void preview();

    std::unique_ptr<Ui::AuditWindow> m_ui;
    AppContext& m_context;
    report::DocumentModel* m_model;
    QList<AuditEntry> m_entries;
};
