#pragma once

#include <QImage>
#include <QObject>

#include <memory>

class Camera;
class Prompter;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The photograph controls of the employee windows: the camera list, Start, Stop, Save (which
// freezes the picture and writes it to a file), Browse (an existing picture file), the picture and
// the box with the file's path, which is what the employee's row keeps.
class PhotoArea : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QListWidget* devices;
        QPushButton* start;
        QPushButton* stop;
        QPushButton* save;
        QPushButton* browse;
        QLabel* picture;
        QLineEdit* path;
        QLineEdit* number = nullptr; // the employee's number, which names a new photograph's file
    };

    PhotoArea(Prompter& prompter, const Controls& controls, std::unique_ptr<Camera> camera, QObject* parent);
    ~PhotoArea() override;

    // The photograph area of a window whose controls have the usual names (lstDevices, cmdStart,
    // cmdStop, Command1, cmdBrowse, Image1, Text14, and txtIDNo for the employee's number); without a
    // camera the computer's are offered.
    static PhotoArea* attach(QWidget* window, Prompter& prompter, std::unique_ptr<Camera> camera);

    // Shows the stored picture of that file and puts its path in the box; a missing or unreadable
    // file leaves the picture empty, without a message (the file may be on a share not mounted now).
    void showFile(const QString& path);
    // A file the operator chose or typed: taken only when it reads as a picture; otherwise the
    // operator is told why and the earlier path stays. Whether it was taken.
    bool choose(const QString& path);
    // No picture and no path.
    void clear();
    // A locked window's photograph cannot be changed: the camera stops and the controls are off.
    void setEnabled(bool enabled);

private:
    void startCamera();
    void stopCamera();
    void saveFrame();
    void browse();
    void showImage(const QImage& image);
    // The path in the box and the one its picture shows.
    void setPath(const QString& path);
    void setCapturing(bool capturing);

    Prompter& m_prompter;
    Controls m_controls;
    std::unique_ptr<Camera> m_camera;
    QImage m_frame; // the last picture from the camera
    bool m_capturing = false;
    bool m_enabled = true;
};
