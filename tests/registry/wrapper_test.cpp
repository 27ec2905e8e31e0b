// The program's wrapper: typed reads and writes over the library, and error 335 raised as
// tly::NumberedError.
#include <gtest/gtest.h>

#include "kolo_reg_client.h"
#include "numbered_error.h"

namespace tly {
namespace {

class Wrapper : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    company_ = L"Tallyra Wrapper " + std::to_wstring(GetCurrentProcessId());
    HRESULT reason = E_FAIL;
    registry_ = RegistryClient::Create(&reason);
    ASSERT_TRUE(registry_) << std::hex << reason;
    EXPECT_EQ(reason, S_OK);
    registry_->SetCompanyName(company_);
    registry_->SetAppName(L"Tallyra");
  }
  void TearDown() override {
    registry_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str());
    CoUninitialize();
  }
  std::wstring company_;
  std::optional<RegistryClient> registry_;
};

TEST_F(Wrapper, TypedValuesRoundTrip) {
  registry_->SetLong(L"", L"Left", -1200);
  registry_->SetInteger(L"", L"Unit", 3);
  registry_->SetBoolean(L"", L"TaskTray", true);
  registry_->SetDouble(L"Variable", L"A", 0.1);
  registry_->SetString(L"Formation", L"00", L"sin(rad(30))^2");
  EXPECT_EQ(registry_->GetLong(L"", L"Left", 0), -1200);
  EXPECT_EQ(registry_->GetInteger(L"", L"Unit", 1), 3);
  EXPECT_TRUE(registry_->GetBoolean(L"", L"TaskTray", false));
  EXPECT_EQ(registry_->GetDouble(L"Variable", L"A", 0), 0.1);
  EXPECT_EQ(registry_->GetString(L"Formation", L"00", L""), L"sin(rad(30))^2");
}

TEST_F(Wrapper, MissingOrUnconvertibleValuesGiveTheFallback) {
  registry_->SetString(L"", L"Text", L"not a number");
  registry_->SetLong(L"", L"Big", 100000);
  EXPECT_EQ(registry_->GetLong(L"", L"Missing", 42), 42);
  EXPECT_EQ(registry_->GetLong(L"", L"Text", 42), 42);
  EXPECT_EQ(registry_->GetInteger(L"", L"Big", 1), 1);  // beyond 16 bits
  EXPECT_FALSE(registry_->GetBoolean(L"Nowhere", L"x", false));
  EXPECT_EQ(registry_->GetDouble(L"", L"Missing", 2.5), 2.5);
  EXPECT_EQ(registry_->GetString(L"", L"Missing", L"none"), L"none");
  EXPECT_EQ(registry_->GetString(L"", L"Big", L""), L"100000");
}

TEST_F(Wrapper, PropertiesAndListing) {
  EXPECT_EQ(registry_->CompanyName(), company_);
  EXPECT_EQ(registry_->AppName(), L"Tallyra");
  EXPECT_TRUE(registry_->DefaultSection());
  registry_->SetRootKey(RegistryRoot::kLocalMachine);
  EXPECT_EQ(registry_->RootKey(), RegistryRoot::kCurrentUser);
  registry_->SetLong(L"List", L"a", 1);
  registry_->SetString(L"List", L"b", L"two");
  auto values = registry_->ListValues(L"List");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].first + values[1].first, L"ab");
  registry_->DeleteValue(L"List", L"a");
  EXPECT_EQ(registry_->ListValues(L"List").size(), 1u);
  registry_->DeleteValue(L"List");
  EXPECT_EQ(registry_->GetLong(L"List", L"b", -1), -1);
}

TEST_F(Wrapper, FailuresRaiseError335) {
  struct Case {
    const char* what;
    void (*call)(RegistryClient&);
  };
  const Case cases[] = {
      {"delete a missing value", [](RegistryClient& r) { r.DeleteValue(L"", L"missing"); }},
      {"list a missing key", [](RegistryClient& r) { r.ListValues(L"Nowhere"); }},
      {"no application name",
       [](RegistryClient& r) {
         r.SetAppName(L"");
         r.SetLong(L"", L"x", 1);
       }},
      {"empty section below a root",
       [](RegistryClient& r) {
         r.SetDefaultSection(false);
         r.GetLong(L"", L"x", 0);
       }},
  };
  for (const Case& c : cases) {
    try {
      c.call(*registry_);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const NumberedError& e) {
      EXPECT_EQ(e.number(), err::kRegistry) << c.what;
    }
  }
}

}  // namespace
}  // namespace tly
