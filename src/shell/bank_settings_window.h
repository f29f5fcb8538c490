#pragma once

#include "rules/bank.h"

#include <QWidget>

#include <memory>

struct AppContext;

namespace Ui {
class BankSettingsWindow;
}

// The company's account that pays the salaries and the columns of its bank's upload file
// (frmBankSettings): set once per company, by an administrator, and used by every month's letter
// and upload file.
class BankSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit BankSettingsWindow(AppContext& context, QWidget* parent = nullptr);
    ~BankSettingsWindow() override;

private:
    void showSettings(const bank::Settings& settings);
    void showColumn(int row, const bank::UploadColumn& column);
    bank::UploadColumn columnAt(int row) const;
    QList<bank::UploadColumn> columns() const;
    void addColumn();
    void removeColumn();
    void moveColumn(int by);
    void save();

    std::unique_ptr<Ui::BankSettingsWindow> m_ui;
    AppContext& m_context;
};
