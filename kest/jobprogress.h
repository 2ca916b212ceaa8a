// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <sys/types.h>

// How far a running job has come, read from the process file system. A job is one session
// (the pid of its shell), and its tools give away how far they are in what they read:
//   PID/stat       "pid (comm) state ppid pgrp session ...": field 6 is the session
//   PID/fd/N       a link to each open file; stat() follows it to the file itself
//   PID/fdinfo/N   "pos:\t123": the offset of that descriptor in its file
//   PID/io         "rchar: 123": every byte the process has read, from files and pipes
//   PID/task/TID/children   the pids of the children that thread started, blank-separated
// A process of another user, or one that ends while it is looked at, is skipped. No tool's
// command line changes for this.

// The field asked for out of each file's text; -1 when it is not there.
qint64 sessionOfStat(const QByteArray &stat);
qint64 positionOfFdinfo(const QByteArray &fdinfo);
qint64 readCharsOfIo(const QByteArray &io);
// A process that has ended and waits for its parent to collect it (state Z or X).
bool isZombieStat(const QByteArray &stat);

// Reads one process file system: the machine's own, or a tree made by a test. Kest watches
// its own children, so this is never moved below the phone tree.
class ProcReader
{
public:
    explicit ProcReader(const QString &root = QStringLiteral("/proc"));

    // Every process of the session that still runs (no zombie), in no particular order. It
    // reads every process's stat: the sure way, for when the job must be over.
    QList<int> sessionMembers(int session) const;
    // The leader and its descendants, from each thread's "children" file (a handful of
    // reads); a child whose parent ended is no longer among them. Without those files (an
    // older kernel), sessionMembers(leader).
    QList<int> jobTree(int leader) const;
    // The furthest offset any descriptor of pid has reached in the file (device, inode);
    // -1 when pid does not have it open.
    qint64 filePosition(int pid, dev_t device, ino_t inode) const;
    // rchar of pid; -1 when unreadable.
    qint64 readChars(int pid) const;

private:
    QByteArray root;
};

// What the jobs that run next are measured against. The archive engine sets it before it
// starts them; the window's wait hook measures.
struct JobGauge
{
    enum Kind {
        Nothing,
        // The share of file read by the furthest descriptor of the job's processes: a tool,
        // or the decompressor it started, reads the archive from start to end.
        FileRead,
        // The most read (rchar) by one process of the job that has file open, as a share of
        // it: unzip, 7-Zip and unrar read the archive's index at its end first, so their
        // position says little.
        FileReadChars,
        // (before + the most any one process of the job has read) / total, at most upTo:
        // cp reads what it copies, and gzip under tar reads the stream that is packed.
        BytesRead,
    };
    Kind kind = Nothing;
    QString file;
    qint64 before = 0;
    qint64 upTo = 0;
    qint64 total = 0;
};

void setJobGauge(const JobGauge &gauge);
JobGauge jobGauge();

// The share of the work done (0 to 1) in the job whose shell is session; -1 when the gauge
// measures nothing, or no process of the job has its file open.
double measureJob(const ProcReader &reader, const JobGauge &gauge, int session);

// measureJob at most every intervalMs (the wait hook runs every 20 ms, and a look at /proc
// reads a file of every process on the machine), never less than before in the same job.
class JobMeter
{
public:
    explicit JobMeter(const QString &root = QStringLiteral("/proc"), int intervalMs = 100);
    double sample(int session);

private:
    ProcReader reader;
    int intervalMs;
    QElapsedTimer lastLook;
    int lastSession = -1;
    double last = -1;
};
