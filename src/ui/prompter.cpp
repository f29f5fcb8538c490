#include "prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString& title)
{
    return title.isEmpty() ? Prompter::applicationTitle() : title;
}
} // namespace

QWidget* MessageBoxPrompter::parentWidget() const
{
    return m_parent ? m_parent : QApplication::activeWindow();
}

void MessageBoxPrompter::message(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::Ok, parentWidget());
    box.exec();
}

bool MessageBoxPrompter::question(const QString& text, Icon icon, const QString& title, Default defaultButton)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setDefaultButton(defaultButton == Default::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> MessageBoxPrompter::password(const QString& text, const QString& title)
{
    bool ok = false;
    const QString typed =
        QInputDialog::getText(parentWidget(), titleOr(title), text, QLineEdit::Password, QString(), &ok);
    return ok ? std::optional<QString>(typed) : std::nullopt;
}

QString MessageBoxPrompter::saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(parentWidget(), caption, suggestedPath, filter);
}

QString MessageBoxPrompter::openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parentWidget(), caption, folder, filter);
}

QString MessageBoxPrompter::folderName(const QString& caption, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parentWidget(), caption, folder);
}
