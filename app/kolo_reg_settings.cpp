#include "kolo_reg_settings.h"

#include <windows.h>

#include <oleauto.h>

#include "kolo_reg_client.h"
#include "product_name.h"
#include "text.h"

namespace tly {

// The portable settings name the roots by the numbers the library's enumeration gives them,
// which the start-up entry's root is also stored as.
static_assert(kHkeyCurrentUser == static_cast<std::uint32_t>(kolo::kCurrentUser) &&
              kHkeyLocalMachine == static_cast<std::uint32_t>(kolo::kLocalMachine));

namespace {

// A VARIANT made from a setting; it owns its string.
class SettingVariant {
 public:
  explicit SettingVariant(const SettingValue& v) {
    using T = SettingValue::Type;
    switch (v.type) {
      case T::kEmpty: break;
      case T::kInteger:
        V_VT(value_.addressof()) = VT_I2;
        V_I2(value_.addressof()) = static_cast<SHORT>(v.number);
        break;
      case T::kLong:
        V_VT(value_.addressof()) = VT_I4;
        V_I4(value_.addressof()) = static_cast<LONG>(v.number);
        break;
      case T::kBoolean:
        V_VT(value_.addressof()) = VT_BOOL;
        V_BOOL(value_.addressof()) = v.number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case T::kSingle:
        V_VT(value_.addressof()) = VT_R4;
        V_R4(value_.addressof()) = static_cast<float>(v.number);
        break;
      case T::kDouble:
        V_VT(value_.addressof()) = VT_R8;
        V_R8(value_.addressof()) = v.number;
        break;
      case T::kString: {
        std::wstring text = ToWide(v.text);
        V_VT(value_.addressof()) = VT_BSTR;
        V_BSTR(value_.addressof()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        break;
      }
    }
  }
  const VARIANT& get() const { return value_.get(); }

 private:
  kolo::UniqueVariant value_;
};

// A switch for the end-to-end tests: with TALLYRA_KILL_AFTER_WRITES=N in the environment, the
// process ends at once after its N-th settings write, as a kill would end it. Without the
// variable, or with anything but a positive number in it, nothing changes.
void CountWrite() {
  static const long limit = [] {
    wchar_t text[12] = {};
    const DWORD length = GetEnvironmentVariableW(L"TALLYRA_KILL_AFTER_WRITES", text, 12);
    long n = 0;
    for (DWORD i = 0; i < length && length < 10; ++i) {
      if (text[i] < L'0' || text[i] > L'9') return 0L;
      n = n * 10 + (text[i] - L'0');
    }
    return n;
  }();
  static long writes = 0;
  if (limit > 0 && ++writes >= limit) TerminateProcess(GetCurrentProcess(), 9);
}

// Counts a write when it is over, whether it failed or not.
struct CountedWrite {
  CountedWrite() = default;
  CountedWrite(const CountedWrite&) = delete;
  CountedWrite& operator=(const CountedWrite&) = delete;
  ~CountedWrite() { CountWrite(); }
};

SettingValue FromVariant(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_I2: return SettingValue::Integer(V_I2(&v));
    case VT_I4: return SettingValue::Long(V_I4(&v));
    case VT_BOOL: return SettingValue::Boolean(V_BOOL(&v) != VARIANT_FALSE);
    case VT_R4: return SettingValue::Single(V_R4(&v));
    case VT_R8: return SettingValue::Double(V_R8(&v));
    case VT_BSTR: {
      BSTR b = V_BSTR(&v);
      std::wstring text(b != nullptr ? b : L"", b != nullptr ? SysStringLen(b) : 0);
      return SettingValue::String(ToU16(text));
    }
    default: return SettingValue::Empty();  // also byte arrays: no setting of the program
  }
}

class KoloRegSettings : public SettingsStore {
 public:
  explicit KoloRegSettings(RegistryClient client) : client_(std::move(client)) {}

  void SetDefaultSection(bool on) override { client_.SetDefaultSection(on); }
  void SetRootKey(std::uint32_t root) override { client_.SetRootKey(root); }
  SettingValue Get(std::u16string_view section, std::u16string_view name,
                   const SettingValue& default_value) override {
    SettingVariant fallback(default_value);
    kolo::UniqueVariant v = client_.GetValue(ToWide(section), ToWide(name), fallback.get());
    return FromVariant(v.get());
  }
  void Set(std::u16string_view section, std::u16string_view name,
           const SettingValue& value) override {
    SettingVariant v(value);
    CountedWrite counted;
    client_.SetValue(ToWide(section), ToWide(name), v.get());
  }
  void Delete(std::u16string_view section, std::u16string_view name) override {
    CountedWrite counted;
    client_.DeleteValue(ToWide(section), ToWide(name));
  }

 private:
  RegistryClient client_;
};

}  // namespace

std::unique_ptr<SettingsStore> OpenKoloRegSettings() {
  std::optional<RegistryClient> client = RegistryClient::Create();
  if (!client) return nullptr;
  client->SetCompanyName(L"" TLY_COMPANY_NAME);
  client->SetAppName(L"" TLY_PRODUCT_NAME);
  return std::make_unique<KoloRegSettings>(std::move(*client));
}

}  // namespace tly
