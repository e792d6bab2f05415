#include "form_fixture.h"

#include <cstring>

#include "ui/ui.h"

void FormTest::SetUp() {
  State = InstallerState{};
  std::strcpy(image_.Header.ProductName, "Prod");
  SetVariants({"Standard"}, 0);
  State.Package = &image_;
  State.ProgramFilesRoot = "C:\\Program Files";
  State.DialogBorderIcons = biSystemMenu | biMinimize;
}

void FormTest::TearDown() {
  user_.reset();
  State = InstallerState{};
}

void FormTest::SetVariants(std::initializer_list<const char*> names, std::uint32_t selected) {
  std::memset(image_.Header.VariantNames, 0, sizeof image_.Header.VariantNames);
  std::uint32_t count = 0;
  for (const char* name : names) std::strcpy(image_.Header.VariantNames[count++], name);
  image_.Header.VariantCount = count;
  image_.Header.SelectedVariant = selected;
}

ui::headless::User& FormTest::Play(std::vector<ui::headless::Step> steps) {
  user_.reset();
  user_ = std::make_unique<ui::headless::User>(std::move(steps));
  ui::App.SetTitle("INSTALL");
  return *user_;
}

void FormTest::ExpectPlayedThrough() const {
  ASSERT_TRUE(user_);
  EXPECT_TRUE(user_->Problems().empty()) << ::testing::PrintToString(user_->Problems());
  EXPECT_EQ(user_->StepsLeft(), 0u);
}
