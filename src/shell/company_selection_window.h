#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class CompanySelectionWindow;
}
struct AppContext;
class DeletePasswordGuard;

// The first window of a run: choose the company to work on, create one, or delete one (behind the
// delete password, since this window comes before any login).
class CompanySelectionWindow : public QWidget {
    Q_OBJECT
public:
    // Typing this character into the company box unlocks "Delete Company".
    static constexpr char16_t DeleteUnlockKey = u'~';

    explicit CompanySelectionWindow(AppContext& context, QWidget* parent = nullptr);
    ~CompanySelectionWindow() override;

    void reload();

signals:
    void companyChosen(const QString& company);
    void createCompanyRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose();
    void deleteCompany();
    QString typedCompany() const;

    std::unique_ptr<Ui::CompanySelectionWindow> m_ui;
    AppContext& m_context;
    DeletePasswordGuard* m_guard;
};
