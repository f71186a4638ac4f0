// Errors of the tool: each carries the exit code the process ends with.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace velmsg
{

enum ExitCode : int
{
  kExitOk = 0,
  kExitFailure = 1,   // the system failed: I/O, a library that does not load, DDS
  kExitUsage = 2,     // the command line is wrong
  kExitBadInput = 3,  // unknown type or field, a value that does not fit, undecodable bytes
  kExitTimeout = 4,   // echo: fewer messages than --count before --timeout
};

class ToolError : public std::runtime_error
{
public:
  ToolError(ExitCode code, const std::string & message)
  : std::runtime_error(message), code_(code) {}
  ExitCode code() const {return code_;}

private:
  ExitCode code_;
};

// "1 byte", "2 bytes"
inline std::string counted(size_t count, const char * unit)
{
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

inline ToolError usage_error(const std::string & message) {return {kExitUsage, message};}
inline ToolError bad_input(const std::string & message) {return {kExitBadInput, message};}
inline ToolError failure(const std::string & message) {return {kExitFailure, message};}

}  // namespace velmsg
