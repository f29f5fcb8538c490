#include "prompter.h"

#include <QApplication>
#include <QFileDialog>
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
} // namespace

QWidget* MessageBoxPrompter::parentWidget() const
{
    return m_parent ? m_parent : QApplication::activeWindow();
}

void MessageBoxPrompter::message(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(boxIcon(icon), title.isEmpty() ? applicationTitle() : title, text, QMessageBox::Ok, parentWidget());
    box.exec();
}

bool MessageBoxPrompter::question(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(boxIcon(icon), title.isEmpty() ? applicationTitle() : title, text,
                    QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString MessageBoxPrompter::saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(parentWidget(), caption, suggestedPath, filter);
}

void ScriptedPrompter::message(const QString& text, Icon icon, const QString& title)
{
    m_entries.append({Kind::Message, text, title.isEmpty() ? applicationTitle() : title, icon});
}

bool ScriptedPrompter::question(const QString& text, Icon icon, const QString& title)
{
    m_entries.append({Kind::Question, text, title.isEmpty() ? applicationTitle() : title, icon});
    // An unqueued question is answered No.
    return m_answers.isEmpty() ? false : m_answers.dequeue();
}

QString ScriptedPrompter::saveFileName(const QString& caption, const QString&, const QString&)
{
    m_entries.append({Kind::SaveFile, caption, caption, Icon::None});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QStringList ScriptedPrompter::texts() const
{
    QStringList list;
    for (const Entry& e : m_entries)
        list << e.text;
    return list;
}
