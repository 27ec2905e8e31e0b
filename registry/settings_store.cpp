#include "settings_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace kolo {
namespace {

// How often GetAllValues reads a value again that grew as it was being read.
constexpr int kGrowAttempts = 16;

// A predefined root as its handle: the 32-bit constant sign-extended, as Windows defines them.
// Any other number would be taken for a handle of this process, so it is refused.
HKEY RootHandle(RootKeyConstans root) {
  if (root < kClassesRoot || root > kDynData) Fail();
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

// A key path or value name for the registry. A NUL inside it would end it early, so that it
// named another key or value than the caller's; such a name is refused.
std::wstring Name(std::wstring_view text) {
  if (text.find(L'\0') != std::wstring_view::npos) Fail();
  return std::wstring(text);
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

UniqueVariant ReadOrDefault(HKEY key, const std::wstring& name, const VARIANT& fallback) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return Copy(fallback);
  if (type != REG_SZ && type != REG_BINARY && type != REG_DWORD) return UniqueVariant();
  std::optional<RawValue> raw = ReadRaw(
      [&](DWORD* read_type, BYTE* buffer, DWORD* read_size) {
        return RegQueryValueExW(key, name.c_str(), nullptr, read_type, buffer, read_size);
      },
      size);
  return raw ? ToVariant(*raw) : Copy(fallback);
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

// The text and one NUL, as UTF-16: what the A functions store for text of the code page, and
// every other text unchanged.
RawValue StringForm(const VARIANT& value) {
  UniqueVariant text;
  if (FAILED(VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(&value), LOCALE_USER_DEFAULT,
                                 VARIANT_ALPHABOOL, VT_BSTR)))
    Fail();
  BSTR bstr = V_BSTR(&text.get());
  std::size_t bytes = (SysStringLen(bstr) + std::size_t{1}) * sizeof(wchar_t);
  if (bytes > std::numeric_limits<DWORD>::max()) Fail();
  RawValue out{REG_SZ, std::vector<BYTE>(bytes)};
  std::memcpy(out.data.data(), bstr, bytes - sizeof(wchar_t));
  return out;
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

// One value of a listing: its name and its data, read by the same call.
struct Listed {
  std::wstring name;
  RawValue value;
};

// The key's values in enumeration order, each name with the data it held when it was read, in
// one walk however others write meanwhile. A value that grew since the key was measured, or a
// longer name that moved into the place being read, is read again into a larger buffer. A value
// deleted before the walk reached it is not listed; one that others' writes moved back into the
// walk's way is listed once; values added meanwhile may or may not be.
std::vector<Listed> List(HKEY key) {
  DWORD count = 0;
  DWORD longest_name = 0;
  DWORD longest_data = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longest_name, &longest_data, nullptr, nullptr) != ERROR_SUCCESS)
    Fail();
  std::vector<Listed> list;
  list.reserve(count);
  std::unordered_set<std::wstring> listed;
  std::vector<wchar_t> name(std::size_t{longest_name} + 1);
  std::vector<BYTE> data(std::max<DWORD>(longest_data, 1));
  // Bounds the walk while others keep adding values.
  const DWORD last = count + count / 2 + 1024;
  for (DWORD i = 0; i < last; ++i) {
    DWORD name_length = 0;
    DWORD data_size = 0;
    DWORD type = REG_NONE;
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; status == ERROR_MORE_DATA; ++attempt) {
      if (attempt == kGrowAttempts) Fail();
      if (attempt > 0 && data_size > data.size()) {
        data.resize(data_size);  // the size the value has now
      } else if (attempt > 0) {
        name.resize(name.size() * 2);  // a name's size is not told
      }
      name_length = static_cast<DWORD>(name.size());
      data_size = static_cast<DWORD>(data.size());
      status =
          RegEnumValueW(key, i, name.data(), &name_length, nullptr, &type, data.data(), &data_size);
    }
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || name_length >= name.size() || data_size > data.size()) Fail();
    std::wstring found(name.data(), name_length);
    if (!listed.insert(found).second) continue;
    list.push_back({std::move(found),
                    RawValue{type, std::vector<BYTE>(data.begin(), data.begin() + data_size)}});
  }
  return list;
}
}  // namespace

KeyPath ResolvePath(const Settings& settings, std::wstring_view section) {
  if (settings.default_section()) {
    if (settings.company_name.empty() || settings.app_name.empty()) Fail();
    std::wstring path = L"Software\\" + settings.company_name + L"\\" + settings.app_name;
    if (!section.empty()) path.append(L"\\").append(section);
    return KeyPath{HKEY_CURRENT_USER, Name(path)};
  }
  if (section.empty()) Fail();
  return KeyPath{RootHandle(settings.root_key()), Name(section)};
}

UniqueVariant ToVariant(const RawValue& value) {
  const std::vector<BYTE>& bytes = value.data;
  switch (value.type) {
    case REG_SZ: {
      // Up to the first NUL, or all of it when there is none; an odd last byte is no character.
      std::wstring_view text(reinterpret_cast<const wchar_t*>(bytes.data()),
                             bytes.size() / sizeof(wchar_t));
      return MakeString(text.substr(0, text.find(L'\0')));
    }
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
  std::wstring name = Name(key_name);
  // Reading needs no right to write: a key the caller may only read is still read.
  UniqueHkey key;
  if (RegOpenKeyExW(where.root, where.path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return Copy(fallback);
  UniqueVariant value = ReadOrDefault(key.get(), name, fallback);
  CloseChecked(key);
  return value;
}

void SetValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name,
              const VARIANT& data) {
  KeyPath where = ResolvePath(settings, section);
  std::wstring name = Name(key_name);
  // Converted before the key is made, so a value that cannot be written leaves no empty key.
  RawValue raw = FromVariant(data, key_name.empty());
  wchar_t no_class[] = L"";
  UniqueHkey key;
  if (RegCreateKeyExW(where.root, where.path.c_str(), 0, no_class, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    Fail();
  LONG written = RegSetValueExW(key.get(), name.c_str(), 0, raw.type, raw.data.data(),
                                static_cast<DWORD>(raw.data.size()));
  CloseChecked(key);
  if (written != ERROR_SUCCESS) Fail();
}

void DeleteValue(const Settings& settings, std::wstring_view section, std::wstring_view key_name) {
  KeyPath where = ResolvePath(settings, section);
  UniqueHkey key;
  LONG deleted;
  if (key_name.empty()) {
    std::size_t cut = where.path.rfind(L'\\');
    std::wstring parent = cut == std::wstring::npos ? std::wstring() : where.path.substr(0, cut);
    std::wstring leaf = cut == std::wstring::npos ? where.path : where.path.substr(cut + 1);
    // A path ending in "\" names no key of its own; RegDeleteKeyW would take the parent.
    if (leaf.empty()) Fail();
    if (RegOpenKeyExW(where.root, parent.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
      Fail();
    deleted = RegDeleteKeyW(key.get(), leaf.c_str());
  } else {
    std::wstring name = Name(key_name);
    if (RegOpenKeyExW(where.root, where.path.c_str(), 0, KEY_ALL_ACCESS, key.put()) !=
        ERROR_SUCCESS)
      Fail();
    deleted = RegDeleteValueW(key.get(), name.c_str());
  }
  CloseChecked(key);
  if (deleted != ERROR_SUCCESS) Fail();
}

UniqueVariant GetAllValues(const Settings& settings, std::wstring_view section) {
  KeyPath where = ResolvePath(settings, section);
  UniqueHkey key;
  if (RegOpenKeyExW(where.root, where.path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    Fail();
  const std::vector<Listed> list = List(key.get());
  CloseChecked(key);
  if (list.empty() || list.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max()))
    Fail();

  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(list.size()), 0}, {2, 0}};
  UniqueSafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
  if (!array) Fail();
  LONG row = 0;
  for (const Listed& entry : list) {
    UniqueVariant name = MakeString(entry.name);
    UniqueVariant value = ToVariant(entry.value);
    LONG index[2] = {row++, 0};
    if (FAILED(SafeArrayPutElement(array.get(), index, const_cast<VARIANT*>(&name.get())))) Fail();
    index[1] = 1;
    if (FAILED(SafeArrayPutElement(array.get(), index, const_cast<VARIANT*>(&value.get())))) Fail();
  }
  UniqueVariant out;
  VARIANT* v = out.put();
  V_VT(v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(v) = array.release();
  return out;
}

}  // namespace kolo
