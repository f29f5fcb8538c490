#include "employees/camera.h"

#include <QCamera>
#include <QElapsedTimer>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

class SystemCamera final : public Camera {
public:
    SystemCamera()
    {
        m_session.setVideoSink(&m_sink);
        connect(&m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
            // About ten pictures a second are enough for a likeness, and spare the processor.
            if (m_shown.isValid() && m_shown.elapsed() < 100)
                return;
            m_shown.start();
            const QImage image = frame.toImage();
            if (!image.isNull())
                emit frameReady(image);
        });
    }
    ~SystemCamera() override { stop(); }

    QStringList devices() const override
    {
        QStringList names;
        for (const QCameraDevice& device : QMediaDevices::videoInputs())
            names << device.description().trimmed();
        return names;
    }

    bool start(int device) override
    {
        stop();
        const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
        if (device < 0 || device >= inputs.size())
            return false;
        m_camera = std::make_unique<QCamera>(inputs.at(device));
        connect(m_camera.get(), &QCamera::errorOccurred, this,
                [this](QCamera::Error, const QString& reason) { emit failed(reason); });
        m_session.setCamera(m_camera.get());
        m_camera->start();
        return m_camera->error() == QCamera::NoError;
    }

    void stop() override
    {
        if (!m_camera)
            return;
        m_camera->stop();
        m_session.setCamera(nullptr);
        m_camera.reset();
    }

private:
    QMediaCaptureSession m_session;
    QVideoSink m_sink;
    std::unique_ptr<QCamera> m_camera;
    QElapsedTimer m_shown;
};

} // namespace

std::unique_ptr<Camera> systemCamera()
{
    return std::make_unique<SystemCamera>();
}
