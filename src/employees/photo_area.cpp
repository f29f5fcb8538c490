#include "photo_area.h"

#include "employees/camera.h"
#include "ui/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString noDevice = QStringLiteral("No Device Available");

template <typename T>
T* named(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("the window %s has no photograph control %s", qPrintable(window->objectName()), name);
    return found;
}

} // namespace

PhotoArea::PhotoArea(Prompter& prompter, const Controls& controls, std::unique_ptr<Camera> camera, QObject* parent)
    : QObject(parent), m_prompter(prompter), m_controls(controls), m_camera(std::move(camera))
{
    m_controls.devices->clear();
    const QStringList devices = m_camera->devices();
    m_controls.devices->addItems(devices);
    if (devices.isEmpty())
        m_controls.devices->addItem(noDevice);
    m_controls.devices->setCurrentRow(0);
    m_controls.start->setEnabled(!devices.isEmpty());
    setCapturing(false);

    connect(m_camera.get(), &Camera::frameReady, this, [this](const QImage& frame) {
        // A picture that arrives after Stop or Save must not replace what the screen keeps.
        if (!m_capturing)
            return;
        m_frame = frame;
        showImage(frame);
    });
    connect(m_camera.get(), &Camera::failed, this, [this](const QString& reason) {
        if (!m_capturing)
            return;
        stopCamera();
        m_prompter.warning(QStringLiteral("The camera stopped: %1").arg(reason));
    });
    connect(m_controls.start, &QPushButton::clicked, this, &PhotoArea::startCamera);
    connect(m_controls.stop, &QPushButton::clicked, this, [this] {
        stopCamera();
        m_controls.picture->clear();
    });
    connect(m_controls.save, &QPushButton::clicked, this, &PhotoArea::saveFrame);
    connect(m_controls.browse, &QPushButton::clicked, this, &PhotoArea::browse);
    // A path typed into the box shows its picture once the box is left.
    connect(m_controls.path, &QLineEdit::editingFinished, this, [this] { showFile(m_controls.path->text()); });
}

PhotoArea* PhotoArea::attach(QWidget* window, Prompter& prompter, std::unique_ptr<Camera> camera)
{
    const Controls controls{named<QListWidget>(window, "lstDevices"), named<QPushButton>(window, "cmdStart"),
                            named<QPushButton>(window, "cmdStop"),    named<QPushButton>(window, "Command1"),
                            named<QPushButton>(window, "cmdBrowse"),  named<QLabel>(window, "Image1"),
                            named<QLineEdit>(window, "Text14")};
    return new PhotoArea(prompter, controls, camera ? std::move(camera) : systemCamera(), window);
}

PhotoArea::~PhotoArea()
{
    m_camera->stop();
}

void PhotoArea::setCapturing(bool capturing)
{
    m_capturing = capturing;
    const bool hasDevice = m_controls.devices->count() > 0 && m_controls.devices->item(0)->text() != noDevice;
    m_controls.start->setEnabled(m_enabled && hasDevice && !capturing);
    m_controls.stop->setEnabled(m_enabled && capturing);
    m_controls.save->setEnabled(m_enabled && capturing);
    m_controls.browse->setEnabled(m_enabled);
    m_controls.path->setReadOnly(!m_enabled);
}

void PhotoArea::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled && m_capturing)
        m_camera->stop();
    setCapturing(m_capturing && enabled);
}

void PhotoArea::startCamera()
{
    m_frame = QImage();
    if (!m_camera->start(m_controls.devices->currentRow())) {
        m_prompter.warning(
            QStringLiteral("The camera \"%1\" cannot be started.")
                .arg(m_controls.devices->currentItem() ? m_controls.devices->currentItem()->text() : QString()));
        return;
    }
    setCapturing(true);
}

void PhotoArea::stopCamera()
{
    m_camera->stop();
    setCapturing(false);
}

void PhotoArea::saveFrame()
{
    // The picture on the screen is the one kept.
    const QImage frame = m_frame;
    stopCamera();
    if (frame.isNull()) {
        m_prompter.warning(QStringLiteral("The camera has not sent a picture yet."));
        return;
    }
    showImage(frame);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QString path =
        m_prompter.saveFileName(QStringLiteral("Save Photograph"), QDir(folder).filePath(QStringLiteral("Webcam1")),
                                QStringLiteral("Bitmap (*.bmp);;JPG (*.jpg)"));
    if (path.isEmpty())
        return;
    // A name without a picture type ("R.PATEL") is saved as a bitmap.
    static const QStringList types = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                      QStringLiteral("png")};
    if (!types.contains(QFileInfo(path).suffix().toLower()))
        path += QStringLiteral(".bmp");
    // The file's format follows its name: a .jpg file holds JPEG data.
    if (!frame.save(path)) {
        m_prompter.error(QStringLiteral("The photograph cannot be saved as %1.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_controls.path->setText(QFileInfo(path).absoluteFilePath());
}

void PhotoArea::browse()
{
    const QString current = m_controls.path->text();
    const QString folder = current.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                                             : QFileInfo(current).absolutePath();
    const QString path = m_prompter.openFileName(QStringLiteral("Employee's Photo"), folder,
                                                 QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.png)"));
    if (!path.isEmpty())
        showFile(QFileInfo(path).absoluteFilePath());
}

void PhotoArea::showFile(const QString& path)
{
    m_controls.path->setText(path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = path.isEmpty() ? QImage() : reader.read();
    if (image.isNull())
        m_controls.picture->clear();
    else
        showImage(image);
}

void PhotoArea::clear()
{
    m_controls.path->clear();
    m_controls.picture->clear();
}

void PhotoArea::showImage(const QImage& image)
{
    const QSize box = m_controls.picture->size();
    m_controls.picture->setPixmap(QPixmap::fromImage(
        image.scaled(box.isEmpty() ? QSize(160, 120) : box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
