// RuntimeError: the run-time error raised by the record store, the toolkit and
// the system's modules. It carries the classic error number and a description that names the
// file, table, field or index concerned. Relies only on the standard library.
// Threads: an immutable value; any thread may copy or read it.
#pragma once

#include <stdexcept>
#include <string>

namespace base {

class RuntimeError : public std::runtime_error {
 public:
  // Builds an error with its classic number and a readable description.
  RuntimeError(int number, std::string description);
  // The classic error number (3024 file not found, 13 type mismatch, ...).
  int Number() const;
  // The description, naming what the error is about.
  const std::string& Description() const;

 private:
  int number_;
  std::string description_;
};

}  // namespace base
