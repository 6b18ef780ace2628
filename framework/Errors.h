// Exceptions that reach a boundary to the system (window procedure, paint,
// timer, event handler) stop there: nothing may unwind through the system's
// code. They are reported, never dropped silently; so are failed system calls
// that the program goes on without.
#pragma once

#include <exception>
#include <functional>
#include <string>

// What the program's own code throws: a fault of the calling code (a bad
// index, a bad parent) or a failure that its caller handles. The text is a
// literal, so the exception is copied without allocating, and the C++
// library's exception classes stay out of the program together with the
// second string implementation that they bring.
class EKorvandelError : public std::exception {
  public:
    explicit EKorvandelError(const char* what) noexcept : FWhat(what) {}
    const char* what() const noexcept override { return FWhat; }

  private:
    const char* FWhat;
};

// An index outside a list.
class EListError : public EKorvandelError {
  public:
    using EKorvandelError::EKorvandelError;
};

// Throws EListError unless 0 <= index < count.
inline void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw EListError("List index out of bounds");
}

// An operation that the object's state does not allow, such as a bad parent.
class EInvalidOperation : public EKorvandelError {
  public:
    using EKorvandelError::EKorvandelError;
};

using TExceptionHook = std::function<void(const std::string& where, const std::string& what)>;

// Called from inside a `catch (...)`: writes the exception to the debugger
// output and hands it to the hook. Never throws.
void ReportBoundaryException(const char* where) noexcept;

// Reports a system call that failed where the program goes on without its
// result (a window class or window that could not be made), with the
// system's error code, the same way as an exception. Never throws.
void ReportSystemFailure(const char* where, const std::string& call, unsigned long error) noexcept;

// Replaces the hook (an empty one removes it); returns the previous one.
TExceptionHook SetExceptionHook(TExceptionHook hook);
