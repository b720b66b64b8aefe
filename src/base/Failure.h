#pragma once
#include <stdexcept>
#include <string>

namespace larkspan {

// Run-time error codes that the program's own steps raise. Each failure keeps one number
// everywhere (6 is always an overflow, 9 a table index out of range), so that logs and tests
// name it the same way.
enum FailureCode : int {
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kBadFileName = 52,
  kFileNotFound = 53,
  kPathNotFound = 76,
  kTransferFailed = 35750,  // any failure reported by the transfer control
  kCryptoFailed = 35760,    // the platform's cryptography refused a step
};

// A failing step at run time: a conversion, a file, the network, a table index. Everything
// that can fail while the program runs throws this, and the resume-next helpers below decide
// what happens next. Anything else that is thrown (std::logic_error above all) is a
// programming error and passes every guard, so that it ends the program with its message.
class Failure : public std::runtime_error {
 public:
  Failure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// Runs one step of a guarded procedure that can fail: a failure is skipped and the procedure
// goes on. Returns whether the step ran through.
template <class Step>
bool ResumeNext(Step&& step) {
  try {
    step();
    return true;
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace larkspan
