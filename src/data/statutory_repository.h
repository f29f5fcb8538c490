#pragma once

#include "data/status.h"
#include "rules/statutory.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Database;
struct ScalarRead;

// Each company's dated statutory rules (table statrule): one set of rules from a month on.
class StatutoryRepository {
public:
    explicit StatutoryRepository(const Database& database) : m_db(database) {}

    // Every set of the company's rules, by the month they hold from.
    Result<statutory::RuleBook> book(const QString& company) const;
    // The rules a month paid on payDate is paid under: the plain ones before the first set.
    Result<statutory::Rules> inForce(const QString& company, QDate payDate) const;
    // How many rules the company has, dated any time: with none, the rules in force are the plain ones.
    static ScalarRead countRead(const QString& company);
    // Stores the rules from their month on, in place of any set from the same month. Refused when
    // that month or a later one is closed: a month already paid keeps the rules it was paid under.
    Status save(const statutory::Rules& rules);
    // Stores a new set, refused where the company has one from that month (and as save() is).
    Status add(const statutory::Rules& rules);
    // Removes the set from that month; refused as save() is.
    Status remove(const QString& company, QDate from);

    // The stored columns, and a set of rules read from their values in that order (a stored row's, or
    // an imported file's): refused, naming the column, where a value cannot be read.
    static const QStringList& columns();
    static Result<statutory::Rules> fromStored(const QVariantList& values);

private:
    Status refuseClosedFrom(const QString& company, QDate from) const;
    const Database& m_db;
};
