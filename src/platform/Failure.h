#pragma once
#include <stdexcept>
#include <string>

namespace larkspan {

// Run-time error codes that the program's own steps raise; the numbers follow the classic
// Basic run-time so that logs and tests read the same way the behaviour is described.
enum FailureCode : int {
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kBadFileName = 52,
  kFileNotFound = 53,
  kPathNotFound = 76,
  kTransferFailed = 35750,  // any failure reported by the transfer control
};

// A failing step. Everything that can fail in the program throws this (or another
// std::exception), and the resume-next helpers below decide what happens next.
class Failure : public std::runtime_error {
 public:
  Failure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// Runs one step of a guarded procedure: a failure is skipped and the procedure goes on.
// Returns whether the step ran through. Only std::exception is caught, so the end of the
// program (which is not one) passes through every guard.
template <class Step>
bool ResumeNext(Step&& step) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// A branch condition of a guarded procedure: when evaluating it fails, execution goes on
// with the first step inside the branch, so a failing condition counts as true.
template <class Condition>
bool ConditionOrEnter(Condition&& condition) {
  try {
    return static_cast<bool>(condition());
  } catch (const std::exception&) {
    return true;
  }
}

}  // namespace larkspan
