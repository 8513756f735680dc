#include "cli/JsonText.h"

#include <cstdio>

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
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
