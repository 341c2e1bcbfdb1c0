#include "memorybudget.h"

#include "photoloader.h"

#include <algorithm>
#include <utility>

MemoryReservation::MemoryReservation(MemoryBudget *budget, qint64 bytes)
    : budget(budget)
    , held(bytes)
{
}

MemoryReservation::MemoryReservation(MemoryReservation &&other) noexcept
    : budget(std::exchange(other.budget, nullptr))
    , held(std::exchange(other.held, 0))
{
}

MemoryReservation &MemoryReservation::operator=(MemoryReservation &&other) noexcept
{
    if (this != &other) {
        release();
        budget = std::exchange(other.budget, nullptr);
        held = std::exchange(other.held, 0);
    }
    return *this;
}

MemoryReservation::~MemoryReservation()
{
    release();
}

void MemoryReservation::release()
{
    if (budget)
        budget->giveBack(held);
    budget = nullptr;
    held = 0;
}

MemoryBudget::MemoryBudget(qint64 total)
    : limit(std::max<qint64>(total, 1))
{
}

MemoryReservation MemoryBudget::reserve(qint64 bytes)
{
    // More than the whole budget is taken as all of it: it runs once nothing else does.
    const qint64 wanted = std::clamp<qint64>(bytes, 0, limit);
    QMutexLocker locker(&mutex);
    while (used + wanted > limit)
        freed.wait(&mutex);
    used += wanted;
    highest = std::max(highest, used);
    return MemoryReservation(this, wanted);
}

void MemoryBudget::giveBack(qint64 bytes)
{
    QMutexLocker locker(&mutex);
    used -= bytes;
    freed.wakeAll();
}

qint64 MemoryBudget::total() const
{
    return limit;
}

qint64 MemoryBudget::inUse() const
{
    QMutexLocker locker(&mutex);
    return used;
}

qint64 MemoryBudget::peak() const
{
    QMutexLocker locker(&mutex);
    return highest;
}

MemoryBudget &MemoryBudget::decoding()
{
    static MemoryBudget budget(decodingBudgetBytes);
    return budget;
}
