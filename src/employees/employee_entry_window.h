#pragma once

#include "employees/camera.h"
#include "employees/employee_fields.h"

#include <QWidget>

#include <memory>

struct AppContext;

class PhotoArea;
class UnsavedInput;

namespace Ui {
class EmployeeEntryWindow;
}

// Enters new employees: Add shows the number the employee will get and opens the fields, Save checks
// and stores them and goes straight on to the next employee, Cancel locks what was typed.
class EmployeeEntryWindow : public QWidget {
    Q_OBJECT
public:
    // Without a camera the computer's cameras are offered.
    explicit EmployeeEntryWindow(AppContext& context, QWidget* parent = nullptr, std::unique_ptr<Camera> camera = {});
    ~EmployeeEntryWindow() override;

signals:
    void saved(qint64 id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void add();
    void save();
    void cancel();
    // Shows the next employee number and opens emptied fields; false when the number cannot be read.
    bool startEntry();
    void setEntry(bool entry);
    QList<QLineEdit*> nameBoxes() const;

    std::unique_ptr<Ui::EmployeeEntryWindow> m_ui;
    AppContext& m_context;
    EmployeeFields m_fields;
    UnsavedInput* m_unsaved = nullptr;
    PhotoArea* m_photo;
};
