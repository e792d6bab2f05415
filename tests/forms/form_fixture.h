// A loaded package, a fresh installer state and a scripted user for dialog
// tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/state.h"
#include "package/image.h"
#include "ui/headless/user.h"

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Variant names and the one preselected.
  void SetVariants(std::initializer_list<const char*> names, std::uint32_t selected);
  // The user who plays these steps, with the application titled as start-up
  // titles it.
  ui::headless::User& Play(std::vector<ui::headless::Step> steps);
  // No script problems and no steps left.
  void ExpectPlayedThrough() const;

  PackageImage image_{};
  std::unique_ptr<ui::headless::User> user_;
};
