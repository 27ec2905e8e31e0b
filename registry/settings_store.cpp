#include "settings_store.h"

#include <cstring>
#include <limits>
#include <optional>

#include "ansi_text.h"

namespace kolo {
namespace {

// A predefined root as its handle: the 32-bit constant sign-extended, as Windows defines them.
// Any other number would be taken for a handle of this process, so it is refused.
HKEY RootHandle(std::uint32_t root) {
  if (root < kFirstRoot || root > kLastRoot) Fail();
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

void CloseChecked(UniqueHkey& key) {
  if (RegCloseKey(key.release()) != ERROR_SUCCESS) Fail();
}

UniqueVariant Copy(const VARIANT& value) {
  UniqueVariant out;
  if (FAILED(VariantCopyInd(out.put(), const_cast<VARIANT*>(&value)))) Fail();
  return out;
}

UniqueVariant MakeString(std::wstring_view text) {
  if (text.size() > std::numeric_limits<UINT>::max() / 2) Fail();
  BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!bstr) Fail();
  UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_BSTR;
  V_BSTR(v) = bstr;
  return out;
}

UniqueVariant ReadOrDefault(HKEY key, const std::string& name, const VARIANT& fallback) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return Copy(fallback);
  if (type != REG_SZ && type != REG_BINARY && type != REG_DWORD) return UniqueVariant();
  RawValue raw = ReadRaw(
      [&](DWORD* read_type, BYTE* buffer, DWORD* read_size) {
        return RegQueryValueExA(key, name.c_str(), nullptr, read_type, buffer, read_size);
      },
      size);
  return ToVariant(raw);
}

RawValue Dword(LONG number) {
  RawValue out{REG_DWORD, std::vector<BYTE>(sizeof number)};
  std::memcpy(out.data.data(), &number, sizeof number);
  return out;
}

template <typename T>
RawValue Binary(const T& number) {
  RawValue out{REG_BINARY, std::vector<BYTE>(sizeof number)};
  std::memcpy(out.data.data(), &number, sizeof number);
  return out;
}

RawValue ByteArray(SAFEARRAY* array) {
  if (!array) Fail();
  std::size_t count = 1;
  for (UINT dim = 0; dim < array->cDims; ++dim) count *= array->rgsabound[dim].cElements;
  if (count > std::numeric_limits<DWORD>::max()) Fail();
  RawValue out{REG_BINARY, std::vector<BYTE>(count)};
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) Fail();
  if (count) std::memcpy(out.data.data(), data, count);
  SafeArrayUnaccessData(array);
  return out;
}

RawValue StringForm(const VARIANT& value) {
  UniqueVariant text;
  if (FAILED(VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(&value), LOCALE_USER_DEFAULT,
                                 VARIANT_ALPHABOOL, VT_BSTR)))
    Fail();
  BSTR bstr = V_BSTR(&text.get());
  std::string ansi = TextToAnsi(std::wstring_view(bstr, SysStringLen(bstr)));
  ansi.push_back('\0');
  if (ansi.size() > std::numeric_limits<DWORD>::max()) Fail();
  return RawValue{REG_SZ, std::vector<BYTE>(ansi.begin(), ansi.end())};
}

UniqueVariant ByteArrayVariant(const std::vector<BYTE>& bytes) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
  if (!array) Fail();
  if (!bytes.empty()) {
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array.get(), &data))) Fail();
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array.get());
  }
  UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_ARRAY | VT_UI1;
  V_ARRAY(v) = array.release();
  return out;
}

}  // namespace

KeyPath ResolvePath(const Settings& settings, std::wstring_view section) {
  if (settings.default_section()) {
    if (settings.company_name.empty() || settings.app_name.empty()) Fail();
    std::wstring path = L"Software\\" + settings.company_name + L"\\" + settings.app_name;
    if (!section.empty()) path.append(L"\\").append(section);
    return KeyPath{HKEY_CURRENT_USER, NameToAnsi(path)};
  }
  if (section.empty()) Fail();
  return KeyPath{RootHandle(settings.root_key()), NameToAnsi(section)};
}

UniqueVariant ToVariant(const RawValue& value) {
  const std::vector<BYTE>& bytes = value.data;
  switch (value.type) {
    case REG_SZ:
      return MakeString(
          AnsiToText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    case REG_DWORD: {
      // Read as a 32-bit integer: a shorter value fills its low bytes, a longer one cannot be.
      if (bytes.size() > sizeof(LONG)) Fail();
      LONG number = 0;
      std::memcpy(&number, bytes.data(), bytes.size());
      UniqueVariant out;
      VARIANT* v = out.put();
      V_VT(v) = VT_I4;
      V_I4(v) = number;
      return out;
    }
    case REG_BINARY: {
      if (bytes.size() != sizeof(float) && bytes.size() != sizeof(double))
        return ByteArrayVariant(bytes);
      UniqueVariant out;
      VARIANT* v = out.put();
      if (bytes.size() == sizeof(float)) {
        V_VT(v) = VT_R4;
        std::memcpy(&V_R4(v), bytes.data(), sizeof(float));
      } else {
        V_VT(v) = VT_R8;
        std::memcpy(&V_R8(v), bytes.data(), sizeof(double));
      }
      return out;
    }
    default: return UniqueVariant();
  }
}

RawValue FromVariant(const VARIANT& value, bool as_string) {
  if (!as_string) {
    switch (V_VT(&value)) {
      case VT_I2: return Dword(V_I2(&value));
      case VT_I4: return Dword(V_I4(&value));
      case VT_BOOL: return Dword(V_BOOL(&value));
      case VT_R4: return Binary(V_R4(&value));
      case VT_R8: return Binary(V_R8(&value));
      case VT_ARRAY | VT_UI1: return ByteArray(V_ARRAY(&value));
      default: break;
    }
  }
  return StringForm(value);
}

UniqueVariant GetValue(const Settings& settings, std::wstring_view section,
                       std::wstring_view key_name, const VARIANT& fallback) {
  KeyPath where = ResolvePath(settings, section);
  std::string name = NameToAnsi(key_name);
  // Reading needs no right to write: a key the caller may only read is still read.
  UniqueHkey key;
  if (RegOpenKeyExA(where.root, where.path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return Copy(fallback);
  UniqueVariant value = ReadOrDefault(key.get(), name, fallback);
  CloseChecked(key);
  return value;
}

void SetValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name,
              const VARIANT& data) {
  KeyPath where = ResolvePath(settings, section);
  std::string name = NameToAnsi(key_name);
  // Converted before the key is made, so a value that cannot be written leaves no empty key.
  RawValue raw = FromVariant(data, key_name.empty());
  char no_class[] = "";
  UniqueHkey key;
  if (RegCreateKeyExA(where.root, where.path.c_str(), 0, no_class, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    Fail();
  LONG written = RegSetValueExA(key.get(), name.c_str(), 0, raw.type, raw.data.data(),
                                static_cast<DWORD>(raw.data.size()));
  CloseChecked(key);
  if (written != ERROR_SUCCESS) Fail();
}

void DeleteValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name) {
  KeyPath where = ResolvePath(settings, section);
  UniqueHkey key;
  LONG deleted;
  if (key_name.empty()) {
    std::size_t cut = where.path.rfind('\\');
    std::string parent = cut == std::string::npos ? std::string() : where.path.substr(0, cut);
    std::string leaf = cut == std::string::npos ? where.path : where.path.substr(cut + 1);
    // A path ending in "\" names no key of its own; RegDeleteKeyA would take the parent.
    if (leaf.empty()) Fail();
    if (RegOpenKeyExA(where.root, parent.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
      Fail();
    deleted = RegDeleteKeyA(key.get(), leaf.c_str());
  } else {
    std::string name = NameToAnsi(key_name);
    if (RegOpenKeyExA(where.root, where.path.c_str(), 0, KEY_ALL_ACCESS, key.put()) !=
        ERROR_SUCCESS)
      Fail();
    deleted = RegDeleteValueA(key.get(), name.c_str());
  }
  CloseChecked(key);
  if (deleted != ERROR_SUCCESS) Fail();
}

UniqueVariant GetAllValues(const Settings& settings, std::wstring_view section) {
  KeyPath where = ResolvePath(settings, section);
  UniqueHkey key;
  if (RegOpenKeyExA(where.root, where.path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    Fail();
  DWORD count = 0;
  DWORD longest = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
      count == 0 || count > static_cast<DWORD>(std::numeric_limits<LONG>::max()))
    Fail();

  SAFEARRAYBOUND bounds[2] = {{count, 0}, {2, 0}};
  UniqueSafeArray list(SafeArrayCreate(VT_VARIANT, 2, bounds));
  if (!list) Fail();
  UniqueVariant empty_string = MakeString(L"");
  // The longest name is counted in characters; in a multi-byte code page its ANSI form can be
  // longer, so the buffer grows when the name does not fit.
  std::vector<char> name(static_cast<std::size_t>(longest) + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG status;
    while ((status = RegEnumValueA(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                                   nullptr)) == ERROR_MORE_DATA &&
           name.size() < 0x40000) {
      name.resize(name.size() * 2);
      length = static_cast<DWORD>(name.size());
    }
    if (status != ERROR_SUCCESS) Fail();
    std::string ansi(name.data(), length);
    UniqueVariant entry = MakeString(AnsiToText(ansi));
    UniqueVariant value = ReadOrDefault(key.get(), ansi, empty_string.get());
    LONG index[2] = {static_cast<LONG>(i), 0};
    if (FAILED(SafeArrayPutElement(list.get(), index, const_cast<VARIANT*>(&entry.get())))) Fail();
    index[1] = 1;
    if (FAILED(SafeArrayPutElement(list.get(), index, const_cast<VARIANT*>(&value.get())))) Fail();
  }
  CloseChecked(key);
  UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(v) = list.release();
  return out;
}

}  // namespace kolo
