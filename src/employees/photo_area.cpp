#include "photo_area.h"

#include "data/safe_file.h"
#include "employees/camera.h"
#include "ui/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
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
    // A path typed into the box shows its picture once the box is left; the box keeps what it
    // showed before until then, so that a path that is not a picture can be put back.
    m_controls.path->setProperty("kestrelShown", m_controls.path->text());
    connect(m_controls.path, &QLineEdit::editingFinished, this, [this] {
        const QString typed = m_controls.path->text().trimmed();
        if (typed != m_controls.path->property("kestrelShown").toString())
            choose(typed);
    });
}

PhotoArea* PhotoArea::attach(QWidget* window, Prompter& prompter, std::unique_ptr<Camera> camera)
{
    const Controls controls{named<QListWidget>(window, "lstDevices"), named<QPushButton>(window, "cmdStart"),
                            named<QPushButton>(window, "cmdStop"),    named<QPushButton>(window, "Command1"),
                            named<QPushButton>(window, "cmdBrowse"),  named<QLabel>(window, "Image1"),
                            named<QLineEdit>(window, "Text14"),       window->findChild<QLineEdit*>("txtIDNo")};
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
    // Named for the employee and with its type, so that the dialog's question about replacing a
    // file is asked of the name that will be written.
    const QString number = m_controls.number ? m_controls.number->text().trimmed() : QString();
    const QString suggested = (number.isEmpty() ? QStringLiteral("Photograph") : number) + QStringLiteral(".bmp");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QString path = m_prompter.saveFileName(QStringLiteral("Save Photograph"), QDir(folder).filePath(suggested),
                                           QStringLiteral("Bitmap (*.bmp);;JPG (*.jpg)"));
    if (path.isEmpty())
        return;
    // A name typed without a picture type ("R.PATEL") is saved as a bitmap; the dialog did not ask
    // about that name, so it is asked here before a file is replaced.
    static const QStringList types = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                      QStringLiteral("png")};
    if (!types.contains(QFileInfo(path).suffix().toLower())) {
        path += QStringLiteral(".bmp");
        if (QFileInfo::exists(path) &&
            !m_prompter.question(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                     .arg(QDir::toNativeSeparators(path)),
                                 Prompter::Icon::Warning))
            return;
    }
    // The file's format follows its name: a .jpg file holds JPEG data. Written whole or not at all.
    SafeFile file(path, FileAccess::AsUmask);
    Status written = file.open();
    if (written) {
        QImageWriter writer(&file.device(), QFileInfo(path).suffix().toLower().toLatin1());
        if (!writer.write(frame))
            written = Status::failure(writer.errorString());
        else
            written = file.commit();
    }
    if (!written) {
        m_prompter.error(QStringLiteral("The photograph cannot be saved as %1: %2")
                             .arg(QDir::toNativeSeparators(path), written.error()));
        return;
    }
    setPath(QFileInfo(path).absoluteFilePath());
}

void PhotoArea::browse()
{
    const QString current = m_controls.path->text();
    const QString folder = current.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                                             : QFileInfo(current).absolutePath();
    const QString path = m_prompter.openFileName(QStringLiteral("Employee's Photo"), folder,
                                                 QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.png)"));
    if (!path.isEmpty())
        choose(QFileInfo(path).absoluteFilePath());
}

void PhotoArea::setPath(const QString& path)
{
    m_controls.path->setText(path);
    m_controls.path->setProperty("kestrelShown", path);
}

void PhotoArea::showFile(const QString& path)
{
    setPath(path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = path.isEmpty() ? QImage() : reader.read();
    if (image.isNull())
        m_controls.picture->clear();
    else
        showImage(image);
}

bool PhotoArea::choose(const QString& path)
{
    const QString earlier = m_controls.path->property("kestrelShown").toString();
    if (path.isEmpty()) {
        clear();
        return true;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_prompter.warning(QStringLiteral("%1 cannot be read as a picture (%2). The photograph stays as it was.")
                               .arg(QDir::toNativeSeparators(path), reader.errorString()));
        m_controls.path->setText(earlier);
        return false;
    }
    setPath(path);
    showImage(image);
    return true;
}

void PhotoArea::clear()
{
    setPath(QString());
    m_controls.picture->clear();
}

void PhotoArea::showImage(const QImage& image)
{
    const QSize box = m_controls.picture->size();
    m_controls.picture->setPixmap(QPixmap::fromImage(
        image.scaled(box.isEmpty() ? QSize(160, 120) : box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
