#include "runtime/expansion.h"

#include "base/log_sink.h"
#include "base/text.h"

namespace zvt {
namespace {

enum class Value { LauncherDirectory, LauncherTempDirectory, Separator, JvmHome, SystemTempDirectory };

struct FixedToken {
  const char* token;
  Value value;
};

// Order matters: a value inserted by one row is scanned by the rows below it.
constexpr FixedToken kFixedTokens[] = {
    {"%QUARN_EXEDIR%", Value::LauncherDirectory},
    {"%ZENTROVIA_EXEDIR%", Value::LauncherDirectory},
    {"%QUARN_TEMPDIR%", Value::LauncherTempDirectory},
    {"%ZENTROVIA_TEMPDIR%", Value::LauncherTempDirectory},
    {"%QUARN_PATHLIST_SEPARATOR%", Value::Separator},
    {"%ZENTROVIA_PATHLIST_SEPARATOR%", Value::Separator},
    {"%QUARN_JVM_HOME%", Value::JvmHome},
    {"%ZENTROVIA_JVM_HOME%", Value::JvmHome},
    {"${QUARN_EXEDIR}", Value::LauncherDirectory},
    {"${ZENTROVIA_EXEDIR}", Value::LauncherDirectory},
    {"${QUARN_TEMPDIR}", Value::LauncherTempDirectory},
    {"${ZENTROVIA_TEMPDIR}", Value::LauncherTempDirectory},
    {"${QUARN_PATHLIST_SEPARATOR}", Value::Separator},
    {"${ZENTROVIA_PATHLIST_SEPARATOR}", Value::Separator},
    {"${QUARN_JVM_HOME}", Value::JvmHome},
    {"${ZENTROVIA_JVM_HOME}", Value::JvmHome},
    {"${launcher:sys.launcherDirectory}", Value::LauncherDirectory},
    {"${launcher:sys.launcherTempDirectory}", Value::LauncherTempDirectory},
    {"${launcher:sys.pathlistSeparator}", Value::Separator},
    {"${launcher:sys.jvmHome}", Value::JvmHome},
    {"${launcher:sys.tempDir}", Value::SystemTempDirectory},
};

std::wstring forLog(const std::wstring& text) {
  return text;
}
std::wstring forLog(const std::string& text) {
  return widenBytes(text);
}

template <typename String>
String fromAscii(const char* text) {
  String out;
  for (; *text; ++text) out.push_back(static_cast<typename String::value_type>(*text));
  return out;
}

// Variable names are upper-cased as the C runtime does in its default
// locale: only a-z change.
template <typename String>
String upperAscii(String text) {
  for (auto& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<typename String::value_type>(c - 'a' + 'A');
  }
  return text;
}

template <typename String>
const String& valueOf(Value which, const ExpansionValues<String>& values, const String& separator) {
  switch (which) {
    case Value::LauncherDirectory:
      return values.launcherDirectory;
    case Value::LauncherTempDirectory:
      return values.launcherTempDirectory;
    case Value::JvmHome:
      return values.jvmHome;
    case Value::SystemTempDirectory:
      return values.systemTempDirectory;
    case Value::Separator:
      break;
  }
  return separator;
}

template <typename String>
size_t replaceAllImpl(String& text, const String& token, const String& value) {
  size_t count = 0;
  if (token.empty()) return count;
  size_t at = text.find(token);
  while (at != String::npos) {
    if (text.size() - token.size() + value.size() > kMaxExpandedLength) {
      logErrorText(L"expansion of " + forLog(token) + L" stopped: the text would exceed " +
                   decimal(static_cast<long long>(kMaxExpandedLength)) + L" characters");
      break;
    }
    text.replace(at, token.size(), value);
    ++count;
    logText(L"expanding2 " + forLog(token) + L" to " + forLog(value) + L" in " + forLog(text) + L".");
    at = text.find(token, at + value.size());
  }
  return count;
}

template <typename String>
void expandEnvironmentEntry(String& text, const String& entry) {
  size_t equals = entry.find('=');
  if (equals == String::npos) return;
  String token = fromAscii<String>("${") + entry.substr(0, equals) + fromAscii<String>("}");
  String value = entry.substr(equals + 1);
  replaceAllImpl(text, token, value);
  replaceAllImpl(text, upperAscii(token), value);
}

template <typename String>
void expandImpl(String& text, const ExpansionValues<String>& values) {
  const String separator = fromAscii<String>(";");
  for (const FixedToken& row : kFixedTokens) {
    replaceAllImpl(text, fromAscii<String>(row.token), valueOf(row.value, values, separator));
  }
  for (const String& entry : values.environment) expandEnvironmentEntry(text, entry);
}

}  // namespace

size_t replaceAll(std::wstring& text, const std::wstring& token, const std::wstring& value) {
  return replaceAllImpl(text, token, value);
}
size_t replaceAll(std::string& text, const std::string& token, const std::string& value) {
  return replaceAllImpl(text, token, value);
}

void expandWith(std::wstring& text, const ExpansionValuesW& values) {
  expandImpl(text, values);
}
void expandWith(std::string& text, const ExpansionValuesA& values) {
  expandImpl(text, values);
}

}  // namespace zvt
