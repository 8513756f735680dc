// JSON text for the machine-readable output of `formats --json` and
// `info --json`: just enough to build objects and arrays of strings and
// numbers, with strings escaped as RFC 8259 asks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A JSON string literal: quotes, backslashes and control characters escaped;
// UTF-8 passes through, and each byte that is not part of valid UTF-8
// becomes U+FFFD.
std::string JsonString(std::string_view text);

// The length of the valid UTF-8 sequence at `at` (1 for ASCII), 0 when the
// bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// An object built member by member, in the order they are added.
class TJsonObject {
 public:
  TJsonObject& Add(std::string_view name, std::string_view text);  // a string
  TJsonObject& Add(std::string_view name, const char* text) { return Add(name, std::string_view(text)); }
  TJsonObject& Add(std::string_view name, long long number);
  TJsonObject& Add(std::string_view name, int number) { return Add(name, static_cast<long long>(number)); }
  TJsonObject& Add(std::string_view name, bool value);
  TJsonObject& AddNull(std::string_view name);
  TJsonObject& AddRaw(std::string_view name, std::string_view json);  // an array or object
  std::string Text() const { return "{" + Members + "}"; }

 private:
  std::string Members;
};

// An array of JSON texts (already built values).
std::string JsonArray(const std::vector<std::string>& values);
// An array of strings.
std::string JsonStringArray(const std::vector<std::string>& texts);
