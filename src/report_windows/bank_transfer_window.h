#pragma once

#include <QString>
#include <QWidget>

#include <memory>

struct AppContext;

namespace Ui {
class BankTransferWindow;
}

// A month's salaries as the bank pays them (frmBankTransfer): the transfer list with the cheque and
// cash payments beside it, the covering letter to the bank, and the bank's upload file. Employees
// paid by transfer whose details are missing are named before anything is shown or written.
class BankTransferWindow : public QWidget {
    Q_OBJECT
public:
    explicit BankTransferWindow(AppContext& context, QWidget* parent = nullptr);
    ~BankTransferWindow() override;

private:
    QDate month() const;
    void showList();
    void showLetter();
    void writeUpload();
    // Names the month's payments that neither the letter nor the upload file carries.
    void tellNotSent();

    std::unique_ptr<Ui::BankTransferWindow> m_ui;
    AppContext& m_context;
    // Where the last upload file was written: the next month's usually goes beside it.
    QString m_folder;
};
