#pragma once

#include "ui/delete_password_guard.h"

// A company deleted from either window that can delete one: behind the delete password, in the
// words the operators know. Its rows in the other tables stay.
inline DeletePasswordGuard::Deletion companyDeletion(std::function<Status()> run)
{
    return {std::move(run), QStringLiteral("Company Delete But Data Remains In The Database"),
            QStringLiteral("Are You Sure You Want To Delete Company")};
}
