#ifndef MEMORYBUDGET_H
#define MEMORYBUDGET_H

#include <QMutex>
#include <QWaitCondition>
#include <QtGlobal>

class MemoryBudget;

// Memory taken from a budget, given back when the reservation ends. Move-only.
class MemoryReservation
{
public:
    MemoryReservation() = default;
    MemoryReservation(MemoryReservation &&other) noexcept;
    MemoryReservation &operator=(MemoryReservation &&other) noexcept;
    MemoryReservation(const MemoryReservation &) = delete;
    MemoryReservation &operator=(const MemoryReservation &) = delete;
    ~MemoryReservation();

    qint64 bytes() const { return held; }
    // Gives the memory back before the reservation ends.
    void release();

private:
    friend class MemoryBudget;
    MemoryReservation(MemoryBudget *budget, qint64 bytes);
    MemoryBudget *budget = nullptr; // not owned; outlives the reservation
    qint64 held = 0;
};

// A counting budget of bytes shared by the jobs that run at once: a job reserves what it will
// hold before it starts and waits, without a thread of the pool being the limit, until that
// much is free. A job larger than the whole budget waits until nothing is held and then runs
// alone. Safe to use from several threads.
class MemoryBudget
{
public:
    explicit MemoryBudget(qint64 total);
    MemoryBudget(const MemoryBudget &) = delete;
    MemoryBudget &operator=(const MemoryBudget &) = delete;

    // Blocks until `bytes` fit.
    MemoryReservation reserve(qint64 bytes);
    qint64 total() const;
    qint64 inUse() const;
    // The most that was ever held at once.
    qint64 peak() const;

    // The budget all photo decodes of the process share, whichever render they belong to.
    static MemoryBudget &decoding();

private:
    friend class MemoryReservation;
    void giveBack(qint64 bytes);

    mutable QMutex mutex;
    QWaitCondition freed;
    const qint64 limit;
    qint64 used = 0;
    qint64 highest = 0;
};

#endif // MEMORYBUDGET_H
