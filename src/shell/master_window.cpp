#include "master_window.h"

#include "ui_master_window.h"

#include "data/company_repository.h"
#include "shell/company_deletion.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPointer>
#include <QStyledItemDelegate>

#include <algorithm>

// The grid's editors type in capitals, and the window can store or drop the one that is open
// (Add and Close may be pressed by their shortcuts, which leave the editor's focus where it is).
class MasterGridDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        EntryBehaviour::install(editor, EntryBehaviour::UpperCase);
        m_editor = editor;
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (m_editor == editor)
            m_editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    bool isEditing() const { return !m_editor.isNull(); }

    void commitOpenEditor()
    {
        if (QWidget* editor = m_editor) {
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
        }
    }

    void dropOpenEditor()
    {
        if (QWidget* editor = m_editor)
            emit closeEditor(editor, RevertModelCache);
    }

private:
    mutable QPointer<QWidget> m_editor;
};

namespace {
struct Identity {
    const char* objectName;
    const char* title;
    const char* heading;
};

Identity identityOf(MasterWindow::Kind kind)
{
    switch (kind) {
    case MasterWindow::Kind::Department:
        return {"Form20", "Department Master", "DEPARTMENT MASTER"};
    // The group master has never had a caption of its own.
    case MasterWindow::Kind::Group:
        return {"Form17", "", "GROUP MASTER"};
    // A top-level window of its own, so it needs a title in the task bar.
    case MasterWindow::Kind::Company:
        return {"Form19", "Company Master", "COMPANY MASTER"};
    }
    return {"", "", ""};
}
} // namespace

MasterWindow::MasterWindow(AppContext& context, Kind kind, QWidget* parent)
    : QWidget(parent), m_context(context), m_ui(std::make_unique<Ui::MasterWindow>()),
      m_model(new MasterTableModel(context.db, kind, this)), m_delegate(new MasterGridDelegate(this))
{
    m_ui->setupUi(this);
    const Identity identity = identityOf(kind);
    setObjectName(QLatin1String(identity.objectName));
    setWindowTitle(QLatin1String(identity.title));
    m_ui->Label1->setText(QLatin1String(identity.heading));

    QTableView* grid = m_ui->DataGrid1;
    grid->setModel(m_model);
    grid->setItemDelegate(m_delegate);
    grid->horizontalHeader()->setStretchLastSection(true);
    if (kind == Kind::Company)
        grid->setColumnWidth(0, 180);

    connect(m_model, &MasterTableModel::editRejected, this,
            [this](const QString& message) { tell(message, Prompter::Icon::Warning); });
    if (kind == Kind::Company) {
        m_guard = new DeletePasswordGuard(
            context, {m_ui->fraDelPass, m_ui->txtDelPass, m_ui->cmdDelPassDelete, m_ui->cmdDelPassCancel}, this);
        connect(m_guard, &DeletePasswordGuard::finished, this, [this] {
            for (QWidget* w : std::initializer_list<QWidget*>{m_ui->DataGrid1, m_ui->Command1, m_ui->Command2})
                w->setEnabled(true);
            m_ui->DataGrid1->setFocus();
        });
        connect(m_model, &MasterTableModel::companyRenameRequested, this, &MasterWindow::askToRenameCompany);
        connect(m_model, &MasterTableModel::companyReturnRequested, this, &MasterWindow::askToBringBackCompany);
    } else {
        m_ui->fraDelPass->hide();
    }
    connect(m_ui->Command1, &QPushButton::clicked, this, &MasterWindow::addRow);
    connect(m_ui->Command2, &QPushButton::clicked, this, &MasterWindow::deleteCurrentRow);
    connect(m_ui->Command3, &QPushButton::clicked, this, &QWidget::close);

    reload();
}

MasterWindow::~MasterWindow()
{
    disconnectChildSignals(this);
}

void MasterWindow::tell(const QString& text, Prompter::Icon icon)
{
    m_returningFromMessage = isActiveWindow();
    if (icon == Prompter::Icon::Critical)
        m_context.prompter.error(text);
    else
        m_context.prompter.message(text, icon);
}

bool MasterWindow::reload()
{
    const Status loaded = m_model->reload();
    if (!loaded)
        tell(loaded.error(), Prompter::Icon::Critical);
    return loaded.ok();
}

void MasterWindow::addRow()
{
    // The row being typed is stored first, so that it is in the list read again below.
    m_delegate->commitOpenEditor();
    if (!reload())
        return;
    const QModelIndex cell = m_model->index(m_model->addPendingRow(), 0);
    QTableView* grid = m_ui->DataGrid1;
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
    grid->setFocus();
    grid->edit(cell);
}

void MasterWindow::deleteCurrentRow()
{
    QTableView* grid = m_ui->DataGrid1;
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return; // an empty table has no row to delete
    // What was being typed into the row goes with it.
    m_delegate->dropOpenEditor();
    const int row = current.row();
    if (m_guard && !m_model->isPending(row)) {
        const qint64 rowId = m_model->rowIdAt(row);
        askTheGuard(companyDeletion([this, rowId] {
            const int at = m_model->rowOf(rowId);
            return at < 0 ? Status::failure(tr("The company no longer exists.")) : m_model->removeRowAt(at);
        }));
        return;
    }
    if (const Status removed = m_model->removeRowAt(row); !removed) {
        tell(removed.error(), Prompter::Icon::Critical);
        return;
    }
    if (!reload())
        return;
    if (const int rows = m_model->rowCount(); rows > 0)
        grid->setCurrentIndex(m_model->index(std::min(row, rows - 1), 0));
}

void MasterWindow::askToRenameCompany(qint64 rowId, const QString& oldName, const QString& newName)
{
    askTheGuard({[this, rowId, newName] { return m_model->renameCompany(rowId, newName); },
                 QStringLiteral("Company renamed."),
                 QStringLiteral("Rename the company %1 to %2?\n\nIts payroll, loan, advance, arrears, increment "
                                "and decrement rows will carry the new name.")
                     .arg(oldName, newName)});
}

void MasterWindow::askToBringBackCompany(const QString& name, const QString& leftovers)
{
    // The deletion took the delete password: undoing it takes it too. Without it, another name.
    askTheGuard({[this, name] { return m_model->bringBackCompany(name); },
                 QStringLiteral("Company %1 brought back with its rows.").arg(name),
                 QStringLiteral("The company %1 was deleted, and its rows are still in the database: %2.\n\n"
                                "Bring them back with the company?\n\nNo: give the new company another name.")
                     .arg(name, leftovers)});
}

void MasterWindow::askTheGuard(DeletePasswordGuard::Deletion deletion)
{
    m_returningFromMessage = isActiveWindow();
    // Until the password is given or refused, the grid stays as it is: the request is about it.
    if (m_guard->request(std::move(deletion)))
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->DataGrid1, m_ui->Command1, m_ui->Command2})
            w->setEnabled(false);
}

void MasterWindow::showLastRow()
{
    QTableView* grid = m_ui->DataGrid1;
    const int last = m_model->rowCount() - 1;
    if (last < 0 || m_delegate->isEditing())
        return;
    const QModelIndex cell = m_model->index(last, 0);
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
}

bool MasterWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        if (m_returningFromMessage)
            m_returningFromMessage = false;
        else
            showLastRow();
    }
    return QWidget::event(event);
}

void MasterWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    showLastRow();
}

void MasterWindow::closeEvent(QCloseEvent* event)
{
    m_delegate->commitOpenEditor();
    // A rename or deletion waiting for the password is not dropped unseen: DELETE or CANCEL first.
    if (m_guard && m_guard->isOpen()) {
        event->ignore();
        m_ui->txtDelPass->setFocus();
        return;
    }
    m_model->discardPendingRow();
    QWidget::closeEvent(event);
    emit closed();
}
