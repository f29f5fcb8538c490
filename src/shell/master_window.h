#pragma once

#include "shell/master_table_model.h"
#include "ui/delete_password_guard.h"
#include "ui/prompter.h"

#include <QWidget>

#include <memory>

struct AppContext;
class MasterGridDelegate;

namespace Ui {
class MasterWindow;
}

// The department (Form20), group (Form17) and company (Form19) masters: one table in an editable
// grid with Add, Delete and Close. Whatever is typed is in capitals and stored as soon as a cell is
// left; refused names are explained and not stored.
class MasterWindow : public QWidget {
    Q_OBJECT
public:
    using Kind = MasterTableModel::Kind;

    MasterWindow(AppContext& context, Kind kind, QWidget* parent = nullptr);
    ~MasterWindow() override;

    Kind kind() const { return m_model->kind(); }

public slots:
    // Add: stores the row being typed and starts a new empty row at the end, ready for typing.
    void addRow();
    // Scrolls to and selects the last row, as on activation; left alone while a cell is being edited.
    void showLastRow();

signals:
    void closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void deleteCurrentRow();
    void askToRenameCompany(qint64 rowId, const QString& oldName, const QString& newName);
    void askToBringBackCompany(const QString& name, const QString& leftovers);
    void askTheGuard(DeletePasswordGuard::Deletion deletion);
    bool reload();
    void tell(const QString& text, Prompter::Icon icon);

    AppContext& m_context;
    std::unique_ptr<Ui::MasterWindow> m_ui;
    MasterTableModel* m_model;
    MasterGridDelegate* m_delegate;
    // Companies are deleted, and renamed once they have data, only with the delete password: this
    // window is reached before any login.
    DeletePasswordGuard* m_guard = nullptr;
    // Set while one of our own messages has the focus, so that coming back from it is not taken for
    // the operator returning to the window.
    bool m_returningFromMessage = false;
};
