#include "cli/JsonText.h"

#include <cstdio>

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  return length;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // Bytes that are not UTF-8 become U+FFFD, so that every parser takes the text.
      const std::size_t length = Utf8SequenceLength(text, at);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
      } else {
        out.append(text.substr(at, length));
        at += length - 1;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

TJsonObject& TJsonObject::AddRaw(std::string_view name, std::string_view json) {
  if (!Members.empty()) Members += ",";
  Members += JsonString(name);
  Members += ":";
  Members += json;
  return *this;
}

TJsonObject& TJsonObject::Add(std::string_view name, std::string_view text) {
  return AddRaw(name, JsonString(text));
}

TJsonObject& TJsonObject::Add(std::string_view name, long long number) {
  return AddRaw(name, std::to_string(number));
}

TJsonObject& TJsonObject::Add(std::string_view name, bool value) {
  return AddRaw(name, value ? "true" : "false");
}

TJsonObject& TJsonObject::AddNull(std::string_view name) { return AddRaw(name, "null"); }

std::string JsonArray(const std::vector<std::string>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + values[i];
  return out + "]";
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
  std::vector<std::string> values;
  for (const std::string& text : texts) values.push_back(JsonString(text));
  return JsonArray(values);
}
