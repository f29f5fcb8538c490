#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TimeRecordWindow;
}

// The daily time record (Form4). The program has only its layout: nothing is read or stored, and
// Close is the one control that acts.
class TimeRecordWindow : public QWidget {
    Q_OBJECT
public:
    explicit TimeRecordWindow(QWidget* parent = nullptr);
    ~TimeRecordWindow() override;

private:
    std::unique_ptr<Ui::TimeRecordWindow> m_ui;
};
