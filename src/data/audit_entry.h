#pragma once

#include <QDateTime>
#include <QString>

// One entry of the audit trail: a change to the stored data, who made it, where and when, and the
// row before and after it (every column as text, never a password).
struct AuditEntry {
    qint64 seq = 0; // the entry's place in the trail, from 1 without gaps
    QDateTime at;   // to the second
    QString stamp;  // the time as stored (yyyy-MM-dd HH:mm:ss), which the hash covers
    QString user;
    QString workstation;
    QString company;
    QString table;
    QString key;       // the row: its number (transid, ID) or the database's row number
    qint64 employee = 0; // the employee the row is of; 0 for none
    QString kind;      // insert, update, delete, close, reopen, import, restore
    QString before;    // "column=value" lines
    QString after;
    QString note;      // what else the entry tells (a reason, counts)
    QString hash;      // of the entry and the hash of the one before it
};

// The trail's end: its last entry's number and hash (0 and none for an empty trail).
struct AuditEnd {
    qint64 seq = 0;
    QString hash;
};
