#include "time_record_window.h"

#include "ui_time_record_window.h"

#include "ui/entry_behaviour.h"

TimeRecordWindow::TimeRecordWindow(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::TimeRecordWindow>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    EntryBehaviour::installByName(this, {QStringLiteral("txtIDNo"), QStringLiteral("txtName")},
                                  EntryBehaviour::EnterMovesOn);
}

TimeRecordWindow::~TimeRecordWindow() = default;
