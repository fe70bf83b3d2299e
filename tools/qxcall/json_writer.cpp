#include "json_writer.h"

#include <cmath>
#include <cstdio>

#include "frame/collection.h"
#include "frame/vb_conversions.h"

namespace qxcall {

using qxvb::Variant;
using qxvb::VarType;

namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string number(double d) {
  if (!std::isfinite(d)) return jsonString(qxvb::formatDouble(d));
  return qxvb::formatDouble(d);
}

template <class Items, class Render>
std::string array(int32_t lbound, const Items& items, Render render) {
  std::string out = "{\"lbound\": " + std::to_string(lbound) + ", \"items\": [";
  bool first = true;
  for (const auto& item : items) {
    if (!first) out += ", ";
    first = false;
    out += render(item);
  }
  return out + "]}";
}

std::string collection(const qxvb::Collection& c) {
  std::string out = "{\"collection\": [";
  for (int32_t i = 1; i <= c.Count(); ++i) {
    if (i > 1) out += ", ";
    const auto key = c.keyAt(i);
    out += "[" + (key ? jsonString(*key) : std::string("null")) + ", " +
           toJson(c.Item(Variant(i))) + "]";
  }
  return out + "]}";
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string toJson(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return "null";
    case VarType::Null:
      return "{\"null\": true}";
    case VarType::Boolean:
      return *v.get<bool>() ? "true" : "false";
    case VarType::Integer:
      return std::to_string(*v.get<int16_t>());
    case VarType::Long:
      return std::to_string(*v.get<int32_t>());
    case VarType::Single:
      return number(*v.get<float>());
    case VarType::Double:
      return number(*v.get<double>());
    case VarType::Date:
      return jsonString(qxvb::CStr(v));
    case VarType::String:
      return jsonString(*v.get<std::string>());
    case VarType::Error:
      return "{\"scode\": " + std::to_string(v.get<qxvb::ErrorValue>()->scode) + "}";
    case VarType::ByteArray: {
      const auto& a = *v.get<qxvb::ByteArray>();
      // The lower bound is shown only when it is not the usual 0.
      std::string out = "{\"bytes\": \"" + hex(a.data) + "\"";
      if (a.lbound != 0) out += ", \"lbound\": " + std::to_string(a.lbound);
      return out + "}";
    }
    case VarType::StringArray: {
      const auto& a = *v.get<qxvb::StringArray>();
      return array(a.lbound, a.items, [](const std::string& s) { return jsonString(s); });
    }
    case VarType::VariantArray: {
      const auto& a = *v.get<qxvb::VariantArray>();
      return array(a.lbound, a.items, [](const Variant& x) { return toJson(x); });
    }
    case VarType::Record: {
      std::string out = "{";
      bool first = true;
      for (const auto& [name, value] : v.get<qxvb::Record>()->fields) {
        if (!first) out += ", ";
        first = false;
        out += jsonString(name) + ": " + toJson(value);
      }
      return out + "}";
    }
    case VarType::Object: {
      const auto& obj = *v.get<qxvb::Object>();
      if (!obj) return "{\"object\": \"Nothing\"}";
      if (const auto* c = dynamic_cast<const qxvb::Collection*>(obj.get())) return collection(*c);
      return "{\"object\": " + jsonString(std::string(obj->className())) + "}";
    }
  }
  return "null";
}

}  // namespace qxcall
