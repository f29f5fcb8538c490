#pragma once

#include "employees/camera.h"
#include "employees/employee_fields.h"

#include <QWidget>

#include <memory>

struct AppContext;

class PhotoArea;
class UnsavedInput;

namespace Ui {
class EmployeeEditWindow;
}

// Changes one employee, loaded from the employee list. One opening allows one update: after Update
// or Cancel the fields are locked. The basic rate is shown, never typed: it changes only through
// increments and decrements.
class EmployeeEditWindow : public QWidget {
    Q_OBJECT
public:
    explicit EmployeeEditWindow(AppContext& context, QWidget* parent = nullptr, std::unique_ptr<Camera> camera = {});
    ~EmployeeEditWindow() override;

    void load(const Employee& employee);
    // Whether another employee may be loaded: nothing typed is unsaved, or the operator lets it go.
    bool mayReplace();

protected:
    void closeEvent(QCloseEvent* event) override;

signals:
    void updated(qint64 id);

private:
    void saveChanges();
    void setEditing(bool editing);

    std::unique_ptr<Ui::EmployeeEditWindow> m_ui;
    AppContext& m_context;
    EmployeeFields m_fields;
    PhotoArea* m_photo;
    UnsavedInput* m_unsaved = nullptr;
    Employee m_loaded;
    bool m_dateChanged = false; // a stored date the box cannot show (none) stays unless one is chosen
};
