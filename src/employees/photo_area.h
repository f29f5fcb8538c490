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
    };

    PhotoArea(Prompter& prompter, const Controls& controls, std::unique_ptr<Camera> camera, QObject* parent);
    ~PhotoArea() override;

    // The photograph area of a window whose controls have the usual names (lstDevices, cmdStart,
    // cmdStop, Command1, cmdBrowse, Image1, Text14); without a camera the computer's are offered.
    static PhotoArea* attach(QWidget* window, Prompter& prompter, std::unique_ptr<Camera> camera);

    // Shows the picture of that file and puts its path in the box; a missing or unreadable file
    // leaves the picture empty, without a message.
    void showFile(const QString& path);
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
    void setCapturing(bool capturing);

    Prompter& m_prompter;
    Controls m_controls;
    std::unique_ptr<Camera> m_camera;
    QImage m_frame; // the last picture from the camera
    bool m_capturing = false;
    bool m_enabled = true;
};
