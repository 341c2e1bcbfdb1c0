#ifndef RESULT_H
#define RESULT_H

#include <QString>

#include <utility>
#include <variant>

// Why a call failed, in words for the user. Returned where a Result is expected, it makes a
// failed one of any type: `return Failure {tr("The file is empty.")};`.
struct Failure
{
    QString reason;
};

// What a call that can fail gives back: its value, or the reason it failed. Tested like a
// pointer; the value is reached through * and ->, which must not be used on a failure.
//
//     const Result<CollageDocument> project = readProjectFile(name);
//     if (!project)
//         return show(project.error());
//     use(*project);
template<typename T>
class [[nodiscard]] Result
{
public:
    // A failure without a reason: what a result not given yet holds, in a QFuture say.
    Result()
        : held(std::in_place_index<1>)
    {
    }
    Result(T value)
        : held(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Failure failure)
        : held(std::in_place_index<1>, std::move(failure))
    {
    }

    explicit operator bool() const { return held.index() == 0; }

    const T &operator*() const & { return std::get<0>(held); }
    T &operator*() & { return std::get<0>(held); }
    T &&operator*() && { return std::get<0>(std::move(held)); }
    const T *operator->() const { return &std::get<0>(held); }
    T *operator->() { return &std::get<0>(held); }

    // The reason of a failure; empty for a value.
    QString error() const { return held.index() == 1 ? std::get<1>(held).reason : QString(); }

private:
    std::variant<T, Failure> held;
};

// A call that gives nothing back but can fail: done, or the reason it was not.
template<>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure)
        : reason(std::move(failure.reason))
        , failed(true)
    {
    }

    explicit operator bool() const { return !failed; }
    QString error() const { return reason; }

private:
    QString reason;
    bool failed = false;
};

#endif // RESULT_H
