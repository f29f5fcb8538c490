#pragma once

#include "data/status.h"
#include "ui/deletion_backup.h"
#include "ui/prompter.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QWidget;
struct AppContext;

// What one guarded request deletes, and the words around it.
struct GuardedDeletion {
    std::function<Status()> run;
    QString done; // shown when run() succeeds
    QString question = QStringLiteral("ARE YOU SURE YOU WANT TO DELETE THIS SLIP ENTRY");
    Prompter::Icon doneIcon = Prompter::Icon::Information;
    // When set, what to show after run() succeeded instead of `done` (how many rows went, say).
    std::function<QString()> describe = {};
};

// A deletion that counts the rows it removed and says so through describe(count), after the
// question every bulk deletion asks.
GuardedDeletion countedDeletion(std::function<Result<qint64>()> remove, std::function<QString(qint64)> describe);

// The delete-password frame that stands before every guarded deletion. request() shows the frame;
// DELETE starts the backup copy when one is asked for, hides the frame, compares the typed text
// with the delete password exactly, and only when they match asks the question (No is the default)
// and on Yes runs the deletion (committed once the copy is whole). A wrong password says "wrong password"; the box is emptied either
// way. CANCEL (or Esc) hides the frame. With no delete password set nothing can be deleted, and the
// frame is not even shown.
class DeletePasswordGuard : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QWidget* frame;
        QLineEdit* password;
        QAbstractButton* confirm; // "DELETE"
        QAbstractButton* cancel;  // "CANCEL"
    };
    using Deletion = GuardedDeletion;

    DeletePasswordGuard(AppContext& context, Controls controls, QObject* parent = nullptr);

    // The deletion begins with a fresh backup copy, taken while the operator answers and the rows
    // are deleted (see BackupBeforeDeletion).
    void backUpFirst(DeletionBackup where) { m_backup = where; }
    // Shows the frame for this deletion; false (after telling the operator) when nothing can be deleted.
    bool request(Deletion deletion);
    bool isOpen() const;
    // Hides the frame and forgets the request. The window calls it when what the request was made
    // for is no longer what the operator sees (another company typed, the window hidden).
    void cancel();

signals:
    // The frame closed: deleted says whether the deletion ran and succeeded.
    void finished(bool deleted);

private:
    void confirm();
    void close(bool deleted);

    AppContext& m_context;
    Controls m_controls;
    Deletion m_pending;
    std::optional<DeletionBackup> m_backup;
};
