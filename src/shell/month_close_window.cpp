#include "month_close_window.h"

#include "ui_month_close_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/month_close.h"
#include "data/session.h"
#include "data/user_repository.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QLocale>

namespace {

constexpr int monthRole = Qt::UserRole;

QString monthName(QDate month)
{
    return QLocale(QLocale::English).toString(month, QStringLiteral("MMMM yyyy"));
}

} // namespace

MonthCloseWindow::MonthCloseWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MonthCloseWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    // The month usually closed is the one before this one, once its salaries are paid.
    m_ui->dtpMonth->setDate(dates::firstOfMonth(m_context.clock.today()).addMonths(-1));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->cmdCloseMonth, &QPushButton::clicked, this, &MonthCloseWindow::closeMonth);
    connect(m_ui->cmdReopen, &QPushButton::clicked, this, &MonthCloseWindow::reopen);
    connect(m_ui->txtReason, &QLineEdit::returnPressed, m_ui->cmdReopen, &QPushButton::click);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // Only an administrator closes and reopens months; others see which are closed.
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->cmdCloseMonth, m_ui->cmdReopen, m_ui->txtReason})
        w->setEnabled(!m_context.session.isRestricted());
    showClosed();
    m_ui->dtpMonth->setFocus();
}

MonthCloseWindow::~MonthCloseWindow()
{
    disconnectChildSignals(this);
}

void MonthCloseWindow::showClosed()
{
    m_ui->lvwClosed->clear();
    const auto closed = MonthCloseRepository(m_context.db).closed(m_context.session.company);
    if (!closed) {
        m_context.prompter.error(closed.error());
        return;
    }
    for (const ClosedMonth& month : *closed) {
        auto* item = new QListWidgetItem(month.caption(), m_ui->lvwClosed);
        item->setData(monthRole, month.month);
    }
    if (m_ui->lvwClosed->count() > 0)
        m_ui->lvwClosed->setCurrentRow(0);
}

bool MonthCloseWindow::passwordGiven(const QString& why)
{
    const auto typed = m_context.prompter.password(QStringLiteral("Type the delete password to %1.").arg(why),
                                                   QStringLiteral("Delete Password"));
    if (!typed)
        return false;
    const auto right = UserRepository(m_context.db).checkDeletePassword(*typed);
    if (!right) {
        m_context.prompter.error(right.error());
        return false;
    }
    if (!*right) {
        m_context.prompter.warning(QStringLiteral("wrong password"));
        return false;
    }
    return true;
}

void MonthCloseWindow::closeMonth()
{
    const QDate month = dates::firstOfMonth(m_ui->dtpMonth->date());
    const QString company = m_context.session.company;
    if (!passwordGiven(QStringLiteral("close %1").arg(monthName(month))))
        return;
    if (!m_context.prompter.question(QStringLiteral("Close %1 for %2? Its payroll, and the loans and advances dated "
                                                    "in it, can then no longer be saved, changed or deleted.")
                                         .arg(monthName(month), company)))
        return;
    if (Status closed = MonthCloseRepository(m_context.db).close(company, month); !closed) {
        m_context.prompter.error(closed.error());
        return;
    }
    showClosed();
    m_context.prompter.information(QStringLiteral("%1 is closed.").arg(monthName(month)));
}

void MonthCloseWindow::reopen()
{
    QListWidgetItem* item = m_ui->lvwClosed->currentItem();
    if (!item) {
        m_context.prompter.information(QStringLiteral("Choose the closed month to reopen."));
        m_ui->lvwClosed->setFocus();
        return;
    }
    const QDate month = item->data(monthRole).toDate();
    const QString reason = m_ui->txtReason->text().trimmed();
    if (reason.isEmpty()) {
        m_context.prompter.information(QStringLiteral("Give the reason for reopening %1.").arg(monthName(month)));
        m_ui->txtReason->setFocus();
        return;
    }
    if (!passwordGiven(QStringLiteral("reopen %1").arg(monthName(month))))
        return;
    if (Status reopened = MonthCloseRepository(m_context.db).reopen(m_context.session.company, month, reason);
        !reopened) {
        m_context.prompter.error(reopened.error());
        return;
    }
    m_ui->txtReason->clear();
    showClosed();
    m_context.prompter.information(QStringLiteral("%1 is open again.").arg(monthName(month)));
}
