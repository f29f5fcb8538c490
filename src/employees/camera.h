#pragma once

#include <QImage>
#include <QObject>
#include <QStringList>

#include <memory>

// Where the employee's photograph comes from: the computer's cameras, or a fake one in tests.
class Camera : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The cameras' descriptions, in the system's order.
    virtual QStringList devices() const = 0;
    // Starts the camera of that index; false when it cannot be started.
    virtual bool start(int device) = 0;
    virtual void stop() = 0;

signals:
    // A new picture from the running camera.
    void frameReady(const QImage& frame);
    // The running camera stopped by itself (unplugged, taken by another program).
    void failed(const QString& reason);
};

// The computer's cameras, through Qt Multimedia.
std::unique_ptr<Camera> systemCamera();
