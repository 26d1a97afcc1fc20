// Failures inside a component are raised as a short English text and caught at the component's or
// thread's boundary; the texts are never shown to the user.
#pragma once
#include <stdexcept>
#include <string>

class MorvelError : public std::runtime_error {
 public:
  explicit MorvelError(const std::string& text) : std::runtime_error(text) {}
};
